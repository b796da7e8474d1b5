// The module in a real control container: Wine's ATL host (atl.dll, AtlAxCreateControl) sites
// and activates the control in a window nested three levels inside a "browser" window; the
// test sets properties through IDispatch, draws the control, opens its property page and its
// About box, and answers the boxes, the download's status dialog (its choice, progress and
// completed roles, against the document server beside the test) and the save-as dialog on the
// real windows while they run. Screenshots of the windows go to the artifacts folder
// (ZX_ARTIFACTS, else the program's folder) as BMP files of the screen, for a look at their
// Korean text.

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>
#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>
#include <urlmon.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "support/child_process.h"

namespace {

// {40B8C7BB-FD7C-44CA-BF70-5ADB0DC635CB}
const CLSID kControlId = {0x40B8C7BB, 0xFD7C, 0x44CA, {0xBF, 0x70, 0x5A, 0xDB, 0x0D, 0xC6, 0x35, 0xCB}};
constexpr DISPID kAboutBox = -552;

using AtlAxWinInitFn = BOOL(WINAPI*)();
using AtlAxCreateControlFn = HRESULT(WINAPI*)(LPCOLESTR, HWND, IStream*, IUnknown**);

// An export of a loaded library as the function type it has.
template <typename F>
F exported(HMODULE module, const char* name) {
  return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

template <typename T>
struct Ref {
  T* p = nullptr;
  ~Ref() {
    if (p) p->Release();
  }
  T* operator->() const { return p; }
  void** out() { return reinterpret_cast<void**>(&p); }
};

std::wstring artifactsFolder() {
  const wchar_t* configured = _wgetenv(L"ZX_ARTIFACTS");
  std::wstring folder = configured && *configured ? configured : zx::wintest::programFolder();
  if (folder.back() != L'\\' && folder.back() != L'/') folder += L'\\';
  CreateDirectoryW(folder.c_str(), nullptr);
  return folder;
}

// The whole screen as a 24-bit BMP file, once this thread's windows have painted what they show
// (the test's steps change texts between two pumps of the queue) and the painting has reached
// the display (Wine hands a window's drawing to the X server from its message loop).
void screenshot(const std::wstring& name) {
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM) CALLBACK -> BOOL {
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        return TRUE;
      },
      0);
  for (const DWORD until = GetTickCount() + 300; GetTickCount() < until;) {
    MSG paint;
    if (PeekMessageW(&paint, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)) DispatchMessageW(&paint);
    else Sleep(20);
  }
  HDC screen = GetDC(nullptr);
  const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB};
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
  GdiFlush();
  const DWORD stride = ((width * 3 + 3) / 4) * 4, size = stride * height;
  const DWORD headers = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
  BITMAPFILEHEADER file{0x4D42, headers + size, 0, 0, headers};
  HANDLE out = CreateFileW((artifactsFolder() + name + L".bmp").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  WriteFile(out, &file, sizeof file, &written, nullptr);
  WriteFile(out, &info.bmiHeader, sizeof info.bmiHeader, &written, nullptr);
  WriteFile(out, bits, size, &written, nullptr);
  CloseHandle(out);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
}

std::wstring textOf(HWND window) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

std::wstring itemText(HWND dialog, int id) {
  wchar_t text[512] = {};
  GetDlgItemTextW(dialog, id, text, 512);
  return text;
}

// The answer buttons a message box shows (the system may keep the others as hidden children).
std::vector<int> visibleAnswers(HWND box) {
  std::vector<int> shown;
  for (int id : {IDOK, IDCANCEL, IDABORT, IDRETRY, IDIGNORE, IDYES, IDNO})
    if (HWND button = GetDlgItem(box, id); button && IsWindowVisible(button)) shown.push_back(id);
  return shown;
}

// A visible top-level window of this thread whose caption is `caption`.
HWND findWindow(const std::wstring& caption) {
  struct Search {
    const std::wstring* caption;
    HWND found;
  } search{&caption, nullptr};
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM context) CALLBACK -> BOOL {
        auto* s = reinterpret_cast<Search*>(context);
        if (IsWindowVisible(window) && textOf(window) == *s->caption) {
          s->found = window;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// The texts of a window's children, in their order.
std::vector<std::wstring> childTexts(HWND window) {
  std::vector<std::wstring> texts;
  EnumChildWindows(
      window,
      [](HWND child, LPARAM context) CALLBACK -> BOOL {
        reinterpret_cast<std::vector<std::wstring>*>(context)->push_back(textOf(child));
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&texts));
  return texts;
}

// The label of a tab control's tab.
std::wstring tabText(HWND tabs, int index) {
  wchar_t text[128] = {};
  TCITEMW item{};
  item.mask = TCIF_TEXT;
  item.pszText = text;
  item.cchTextMax = 128;
  SendMessageW(tabs, TCM_GETITEMW, index, reinterpret_cast<LPARAM>(&item));
  return text;
}

bool contains(const std::vector<std::wstring>& texts, const std::wstring& text) {
  for (const auto& t : texts)
    if (t == text) return true;
  return false;
}

// Steps a person takes while the control's modal windows run: each runs from a thread timer
// (dispatched by whichever modal loop is running) until it answers true, then the next.
class User {
 public:
  explicit User(std::vector<std::function<bool()>> steps) : steps_(std::move(steps)) {
    current_ = this;
    timer_ = SetTimer(nullptr, 0, 100, &User::tick);
  }
  ~User() {
    KillTimer(nullptr, timer_);
    current_ = nullptr;
  }
  bool finished() const { return next_ == steps_.size(); }

 private:
  static void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD) {
    User* user = current_;
    if (!user || user->busy_ || user->finished()) return;
    user->busy_ = true;  // a step's own modal loop must not run the next one
    if (user->steps_[user->next_]()) ++user->next_;
    user->busy_ = false;
  }
  static inline User* current_ = nullptr;
  std::vector<std::function<bool()>> steps_;
  size_t next_ = 0;
  UINT_PTR timer_ = 0;
  bool busy_ = false;
};

void press(HWND dialog, int id) { PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id))); }

// A client site that names the page it belongs to the way a browser's document does: the
// container's moniker is the page's URL moniker.
class PageSite final : public IOleClientSite {
 public:
  explicit PageSite(std::wstring url) : url_(std::move(url)) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleClientSite)) {
      *object = static_cast<IOleClientSite*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }
  HRESULT STDMETHODCALLTYPE SaveObject() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD which, IMoniker** moniker) override {
    *moniker = nullptr;
    if (which != OLEWHICHMK_CONTAINER) return E_NOTIMPL;
    return CreateURLMonikerEx(nullptr, url_.c_str(), moniker, URL_MK_UNIFORM);
  }
  HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** container) override {
    *container = nullptr;
    return E_NOINTERFACE;
  }
  HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }

 private:
  std::wstring url_;
  ULONG references_ = 1;
};

// An event sink as a container offers it: a dispatch interface that takes no calls.
class EventSink final : public IDispatch {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)) {
      *object = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
  ULONG STDMETHODCALLTYPE Release() override { return --references; }  // lives on the test's stack
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return E_NOTIMPL;
  }
  ULONG references = 1;
};

const wchar_t kConsentCaption[] = L"ZorvAX \uC6F9 \uC0AC\uC774\uD2B8 \uD5C8\uC6A9";  // ZorvAX 웹 사이트 허용
constexpr int kConsentOrigin = 3011, kConsentRemember = 3012, kConsentAllow = 3013;

// A person answering every consent dialog that comes, the same way each time.
struct ConsentAnswers {
  bool allow = false;
  bool remember = false;
  int asked = 0;
  std::wstring origin;
  bool ticked = false;

  std::function<bool()> step() {
    return [this] {
      HWND box = findWindow(kConsentCaption);
      if (!box || !IsWindowVisible(box)) return false;
      ++asked;
      origin = itemText(box, kConsentOrigin);
      if (asked == 1) screenshot(L"origin_consent");
      if (remember) {
        SendMessageW(GetDlgItem(box, kConsentRemember), BM_CLICK, 0, 0);
        ticked = SendMessageW(GetDlgItem(box, kConsentRemember), BM_GETCHECK, 0, 0) == BST_CHECKED;
      }
      press(box, allow ? kConsentAllow : IDCANCEL);
      return false;  // keeps answering
    };
  }
};

const wchar_t kPathQuestionCaption[] = L"ZorvAX \uD30C\uC77C \uC0AC\uC6A9 \uD5C8\uC6A9";  // ZorvAX 파일 사용 허용
constexpr int kPathQuestionOrigin = 3021, kPathQuestionPath = 3023, kPathQuestionOnce = 3024;

// A person answering every path question that comes (Allow once or Deny), and the box that
// tells of the refused operation.
struct PathAnswers {
  bool allow = false;
  int asked = 0;
  std::wstring origin;
  std::wstring path;

  std::function<bool()> step() {
    return [this] {
      if (HWND failed = findWindow(L"ERROR")) press(failed, IDOK);
      HWND box = findWindow(kPathQuestionCaption);
      if (!box || !IsWindowVisible(box)) return false;
      ++asked;
      origin = itemText(box, kPathQuestionOrigin);
      path = itemText(box, kPathQuestionPath);
      if (asked == 1) screenshot(L"path_question");
      press(box, allow ? kPathQuestionOnce : IDCANCEL);
      return false;  // keeps answering
    };
  }
};

std::wstring webOriginRule(const std::wstring& origin) {
  wchar_t value[32] = {};
  DWORD size = sizeof value;
  if (RegGetValueW(HKEY_CURRENT_USER, L"Software\\QORAX\\ZorvAX0\\WebOrigins", origin.c_str(), RRF_RT_REG_SZ, nullptr,
                   value, &size) != ERROR_SUCCESS)
    return L"(none)";
  return value;
}

bool fileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string fileBytes(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::string bytes;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
  CloseHandle(file);
  return bytes;
}

// What with_docserver.sh hands on about the document server, when the test runs beside it.
std::wstring serverSetting(const wchar_t* name) {
  const wchar_t* value = _wgetenv(name);
  return value ? value : L"";
}

const wchar_t kServerDocument[] = L"\uBCF4\uACE0\uC11C 2024.hwp";  // 보고서 2024.hwp
const wchar_t kQuestionCaption[] = L"\uC9C8\uBB38";                // 질문
const wchar_t kCancelledCaption[] = L"\uCDE8\uC18C";               // 취소
constexpr int kUpperText = 221, kLowerText = 220, kBar = 202, kLeftFigure = 211, kRightFigure = 210;
constexpr int kOpenButton = 207, kSaveButton = 217, kCancelButton = 203;

int barPosition(HWND dialog) { return static_cast<int>(SendDlgItemMessageW(dialog, kBar, PBM_GETPOS, 0, 0)); }

// The files of a folder whose names start with `prefix`.
std::vector<std::wstring> filesStartingWith(const std::wstring& folder, const std::wstring& prefix) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + prefix + L"*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do names.push_back(found.cFileName);
  while (FindNextFileW(search, &found));
  FindClose(search);
  return names;
}

std::wstring temporaryFolder() {
  wchar_t folder[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH + 1, folder);
  return folder;
}

// Where a window of `size` comes when centred over `reference` and then lifted by `lift`.
POINT centredOver(const RECT& reference, const RECT& window, LONG lift) {
  return {reference.left + (reference.right - reference.left - (window.right - window.left)) / 2,
          reference.top + (reference.bottom - reference.top - (window.bottom - window.top)) / 2 - lift};
}

class Container : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    module_ = LoadLibraryW((zx::wintest::programFolder() + L"zorvax.ocx").c_str());
    ASSERT_NE(module_, nullptr);
    auto registerServer = exported<HRESULT(WINAPI*)()>(module_, "DllRegisterServer");
    ASSERT_EQ(registerServer(), S_OK);
    atl_ = LoadLibraryW(L"atl.dll");
    ASSERT_NE(atl_, nullptr);
    exported<AtlAxWinInitFn>(atl_, "AtlAxWinInit")();
  }

  void SetUp() override {
    WNDCLASSW plain{};
    plain.lpfnWndProc = DefWindowProcW;
    plain.hInstance = GetModuleHandleW(nullptr);
    plain.hbrBackground = static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH));
    plain.lpszClassName = L"ContainerTestWindow";
    RegisterClassW(&plain);
    browser_ = CreateWindowExW(0, plain.lpszClassName, L"Browser", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 800,
                               600, nullptr, nullptr, plain.hInstance, nullptr);
    frame_ = CreateWindowExW(0, plain.lpszClassName, L"", WS_CHILD | WS_VISIBLE, 0, 0, 780, 560, browser_, nullptr,
                             plain.hInstance, nullptr);
    HWND document = CreateWindowExW(0, plain.lpszClassName, L"", WS_CHILD | WS_VISIBLE, 0, 0, 780, 560, frame_,
                                    nullptr, plain.hInstance, nullptr);
    host_ = CreateWindowExW(0, plain.lpszClassName, L"", WS_CHILD | WS_VISIBLE, 20, 20, 200, 100, document, nullptr,
                            plain.hInstance, nullptr);
    auto create = exported<AtlAxCreateControlFn>(atl_, "AtlAxCreateControl");
    ASSERT_EQ(create(L"ZORVAX.ZorvAXCtrl.1", host_, nullptr, &container_.p), S_OK);
    ASSERT_EQ(AtlAxGetControl(host_, &control_.p), S_OK);
    ASSERT_EQ(control_->QueryInterface(IID_IDispatch, script_.out()), S_OK);
    pump();
  }

  void TearDown() override {
    script_.~Ref();
    script_.p = nullptr;
    control_.~Ref();
    control_.p = nullptr;
    container_.~Ref();
    container_.p = nullptr;
    DestroyWindow(browser_);
    pump();
  }

  static HRESULT AtlAxGetControl(HWND window, IUnknown** control) {
    using Fn = HRESULT(WINAPI*)(HWND, IUnknown**);
    return exported<Fn>(atl_, "AtlAxGetControl")(window, control);
  }

  static void pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }

  DISPID dispid(const wchar_t* name) {
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    EXPECT_EQ(script_->GetIDsOfNames(IID_NULL, names, 1, 0, &id), S_OK) << name;
    return id;
  }

  HRESULT tryPut(const wchar_t* name, const wchar_t* value) {
    VARIANT argument;
    V_VT(&argument) = VT_BSTR;
    V_BSTR(&argument) = SysAllocString(value);
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS parameters{&argument, &named, 1, 1};
    const HRESULT hr =
        script_->Invoke(dispid(name), IID_NULL, 0, DISPATCH_PROPERTYPUT, &parameters, nullptr, nullptr, nullptr);
    VariantClear(&argument);
    return hr;
  }

  void put(const wchar_t* name, const wchar_t* value) { EXPECT_EQ(tryPut(name, value), S_OK) << name; }

  HRESULT tryCall(DISPID id, WORD flags, const std::vector<std::wstring>& arguments, VARIANT* result) {
    std::vector<VARIANT> args(arguments.size());
    for (size_t i = 0; i < arguments.size(); ++i) {  // DISPPARAMS holds them last first
      V_VT(&args[arguments.size() - 1 - i]) = VT_BSTR;
      V_BSTR(&args[arguments.size() - 1 - i]) = SysAllocString(arguments[i].c_str());
    }
    DISPPARAMS parameters{args.data(), nullptr, static_cast<UINT>(args.size()), 0};
    VariantInit(result);
    const HRESULT hr = script_->Invoke(id, IID_NULL, 0, flags, &parameters, result, nullptr, nullptr);
    for (VARIANT& a : args) VariantClear(&a);
    return hr;
  }

  VARIANT call(DISPID id, WORD flags, const std::vector<std::wstring>& arguments = {}) {
    VARIANT result;
    EXPECT_EQ(tryCall(id, flags, arguments, &result), S_OK);
    return result;
  }

  HWND controlWindow() {
    Ref<IOleWindow> window;
    HWND handle = nullptr;
    if (SUCCEEDED(control_->QueryInterface(IID_IOleWindow, window.out()))) window->GetWindow(&handle);
    return handle;
  }

  // The server's Korean-named document, downloaded with the status dialog; `query` holds the
  // server's switches.
  void pointAtServerDocument(const std::wstring& query) {
    const std::wstring base = serverSetting(L"ZX_DOCSERVER_DOWNLOAD_URL");
    ASSERT_FALSE(base.empty()) << "runs beside the document server (with_docserver.sh)";
    put(L"url", (base + kServerDocument + query).c_str());
    put(L"Pubkey", serverSetting(L"ZX_DOCSERVER_PUBKEY").c_str());
    put(L"Filename", kServerDocument);
    put(L"dialog", L"1");
  }
  // Ciphered, not compressed: the server is asked for no gzip.
  VARIANT downloadServerDocument() {
    return call(dispid(L"download"), DISPATCH_METHOD, {L"user01", L"session01", L"0", L"1"});
  }
  static std::string serverDocumentBytes() {
    return fileBytes(serverSetting(L"ZX_DOCSERVER_DATA") + L"\\" + kServerDocument);
  }
  std::wstring filenameProperty() {
    VARIANT name = call(dispid(L"Filename"), DISPATCH_PROPERTYGET);
    std::wstring text = V_VT(&name) == VT_BSTR ? V_BSTR(&name) : L"";
    VariantClear(&name);
    return text;
  }
  static RECT rectOf(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r;
  }

  static inline HMODULE module_ = nullptr, atl_ = nullptr;
  // The top-level window; the window two levels above the host, which the control takes for the
  // browser's; the window the control sits in.
  HWND browser_ = nullptr, frame_ = nullptr, host_ = nullptr;
  Ref<IUnknown> container_, control_;
  Ref<IDispatch> script_;
};

TEST_F(Container, SitesTheControlInAWindowThreeLevelsBelowTheBrowser) {
  HWND window = controlWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(GetParent(window), host_);
  EXPECT_EQ(GetParent(GetParent(GetParent(GetParent(window)))), browser_);
  EXPECT_TRUE(IsWindowVisible(window));
  Ref<IOleObject> object;
  ASSERT_EQ(control_->QueryInterface(IID_IOleObject, object.out()), S_OK);
  DWORD status = 0;
  EXPECT_EQ(object->GetMiscStatus(DVASPECT_CONTENT, &status), S_OK);
  EXPECT_EQ(status, 0x00020191u);
}

TEST_F(Container, SetsAndReadsPropertiesThroughIDispatch) {
  put(L"dialog", L"0");
  put(L"Filename", L"\uBCF4\uACE0\uC11C.hwp");  // 보고서.hwp
  VARIANT dialog = call(dispid(L"dialog"), DISPATCH_PROPERTYGET);
  ASSERT_EQ(V_VT(&dialog), VT_BSTR);
  EXPECT_STREQ(V_BSTR(&dialog), L"0");
  VariantClear(&dialog);
  VARIANT name = call(dispid(L"Filename"), DISPATCH_PROPERTYGET);
  ASSERT_EQ(V_VT(&name), VT_BSTR);
  EXPECT_STREQ(V_BSTR(&name), L"\uBCF4\uACE0\uC11C.hwp");
  VariantClear(&name);
}

TEST_F(Container, DrawsAWhiteRectangleWithTheEllipseInscribed) {
  Ref<IViewObject2> view;
  ASSERT_EQ(control_->QueryInterface(IID_IViewObject2, view.out()), S_OK);
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 120, 60);
  ReleaseDC(nullptr, screen);
  SelectObject(dc, bitmap);
  RECT all{0, 0, 120, 60};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  // The ellipse takes the context's brush: black, so that it shows against the white.
  SelectObject(dc, GetStockObject(BLACK_BRUSH));
  RECTL bounds{10, 5, 110, 55};
  ASSERT_EQ(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc, &bounds, nullptr, nullptr, 0), S_OK);
  EXPECT_EQ(GetPixel(dc, 11, 6), RGB(255, 255, 255));    // a corner of the bounds: white
  EXPECT_EQ(GetPixel(dc, 60, 30), RGB(0, 0, 0));         // the ellipse's middle
  EXPECT_EQ(GetPixel(dc, 5, 30), RGB(0, 0, 0));          // outside the bounds: untouched
  SIZEL extent{};
  EXPECT_EQ(view->GetExtent(DVASPECT_CONTENT, -1, nullptr, &extent), S_OK);
  EXPECT_GT(extent.cx, 0);
  DeleteDC(dc);
  DeleteObject(bitmap);
}

TEST_F(Container, PersistsOnlyItsVersionNumber) {
  Ref<IPersistStreamInit> persist;
  ASSERT_EQ(control_->QueryInterface(IID_IPersistStreamInit, persist.out()), S_OK);
  Ref<IStream> stream;
  ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream.p), S_OK);
  ASSERT_EQ(persist->Save(stream.p, TRUE), S_OK);
  STATSTG stat{};
  stream->Stat(&stat, STATFLAG_NONAME);
  EXPECT_EQ(stat.cbSize.QuadPart, 4u);
  LARGE_INTEGER start{};
  stream->Seek(start, STREAM_SEEK_SET, nullptr);
  DWORD version = 0;
  stream->Read(&version, sizeof version, nullptr);
  EXPECT_EQ(version, 0x00010000u);
  stream->Seek(start, STREAM_SEEK_SET, nullptr);
  EXPECT_EQ(persist->Load(stream.p), S_OK);
  DWORD foreign = 0x00020000;
  stream->Seek(start, STREAM_SEEK_SET, nullptr);
  stream->Write(&foreign, sizeof foreign, nullptr);
  stream->Seek(start, STREAM_SEEK_SET, nullptr);
  EXPECT_EQ(persist->Load(stream.p), E_FAIL);
}

// A property bag that keeps what is written to it, as a page's container does when it saves.
class MemoryBag final : public IPropertyBag {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IPropertyBag)) {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    *object = this;
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE Read(LPCOLESTR, VARIANT*, IErrorLog*) override { return E_INVALIDARG; }
  HRESULT STDMETHODCALLTYPE Write(LPCOLESTR name, VARIANT* value) override {
    written.push_back(name);
    return value ? S_OK : E_POINTER;
  }
  std::vector<std::wstring> written;
};

// A property the page changes leaves the control unsaved until a save that clears it: what the
// container asks before it saves the page, through either persistence interface.
TEST_F(Container, APropertyChangeMarksTheControlUnsavedUntilASaveClearsIt) {
  Ref<IPersistStreamInit> stream;
  ASSERT_EQ(control_->QueryInterface(IID_IPersistStreamInit, stream.out()), S_OK);
  Ref<IPersistPropertyBag> bag;
  ASSERT_EQ(control_->QueryInterface(IID_IPersistPropertyBag, bag.out()), S_OK);
  EXPECT_EQ(stream->IsDirty(), S_FALSE) << "a new control has nothing to save";

  put(L"Filename", L"memo.txt");
  EXPECT_EQ(stream->IsDirty(), S_OK);
  Ref<IStream> saved;
  ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &saved.p), S_OK);
  ASSERT_EQ(stream->Save(saved.p, FALSE), S_OK);
  EXPECT_EQ(stream->IsDirty(), S_OK) << "a save that keeps the mark (a copy) keeps it";
  ASSERT_EQ(stream->Save(saved.p, TRUE), S_OK);
  EXPECT_EQ(stream->IsDirty(), S_FALSE);

  put(L"Port", L"8080");  // a property with a change handler of its own
  EXPECT_EQ(stream->IsDirty(), S_OK);
  MemoryBag page;
  ASSERT_EQ(bag->Save(&page, TRUE, FALSE), S_OK);
  EXPECT_EQ(page.written, std::vector<std::wstring>{L"_Version"});
  EXPECT_EQ(stream->IsDirty(), S_FALSE) << "the property bag's save clears it too";

  put(L"dialog", L"0");
  ASSERT_EQ(stream->InitNew(), S_OK);
  EXPECT_EQ(stream->IsDirty(), S_FALSE) << "a state made new is unchanged";
}

TEST_F(Container, HasAnEventConnectionPointThatTakesASink) {
  Ref<IConnectionPointContainer> points;
  ASSERT_EQ(control_->QueryInterface(IID_IConnectionPointContainer, points.out()), S_OK);
  Ref<IEnumConnectionPoints> all;
  ASSERT_EQ(points->EnumConnectionPoints(&all.p), S_OK);
  Ref<IConnectionPoint> point;
  ULONG fetched = 0;
  ASSERT_EQ(all->Next(1, &point.p, &fetched), S_OK);
  IID events{};
  point->GetConnectionInterface(&events);
  Ref<IConnectionPoint> found;
  EXPECT_EQ(points->FindConnectionPoint(events, &found.p), S_OK);
  EXPECT_EQ(points->FindConnectionPoint(IID_IPropertyNotifySink, reinterpret_cast<IConnectionPoint**>(found.out())),
            CONNECT_E_NOCONNECTION);
}

TEST_F(Container, OpensThePropertyPageInAPropertyFrame) {
  Ref<ISpecifyPropertyPages> specify;
  ASSERT_EQ(control_->QueryInterface(IID_ISpecifyPropertyPages, specify.out()), S_OK);
  CAUUID pages{};
  ASSERT_EQ(specify->GetPages(&pages), S_OK);
  ASSERT_EQ(pages.cElems, 1u);
  std::vector<std::wstring> seen;
  bool closed = false;
  User user({[&] {
    // The frame is the active window of the thread once it shows the page.
    HWND frame = GetActiveWindow();
    if (!frame || frame == browser_) return false;
    seen = childTexts(frame);
    if (HWND tabs = FindWindowExW(frame, nullptr, WC_TABCONTROLW, nullptr)) seen.push_back(tabText(tabs, 0));
    if (!contains(seen, L"ZorvAX Control has no settings to change here; the page sets its properties by script."))
      return false;
    screenshot(L"property_page");
    PostMessageW(frame, WM_COMMAND, IDOK, 0);
    closed = true;
    return true;
  }});
  IUnknown* objects[] = {control_.p};
  EXPECT_EQ(OleCreatePropertyFrame(browser_, 0, 0, L"ZorvAX Control", 1, objects, pages.cElems, pages.pElems, 0, 0,
                                   nullptr),
            S_OK);
  CoTaskMemFree(pages.pElems);
  EXPECT_TRUE(closed);
  EXPECT_TRUE(contains(seen, L"General")) << "the page's caption on its tab";
}

TEST_F(Container, ShowsTheAboutBoxUntilItsOkIsPressed) {
  std::vector<std::wstring> seen;
  User user({[&] {
    HWND about = findWindow(L"About ZorvAX Control");
    if (!about) return false;
    seen = childTexts(about);
    // A child window cannot own a pop-up: the system makes the control's top-level window,
    // the browser, the owner.
    EXPECT_EQ(GetWindow(about, GW_OWNER), browser_);
    screenshot(L"about_box");
    press(about, IDOK);
    return true;
  }});
  VARIANT result = call(kAboutBox, DISPATCH_METHOD);
  EXPECT_TRUE(user.finished());
  EXPECT_TRUE(contains(seen, L"ZorvAX Control, Version 1.0"));
  EXPECT_TRUE(contains(seen, L"OK"));
  VariantClear(&result);
}

TEST_F(Container, ShowsAMessageBoxOnTheControlWindow) {
  // A download without a file name says so in a box owned by the control's window.
  std::wstring caption, text;
  HWND owner = nullptr;
  std::vector<int> answers;
  User user({[&] {
    HWND box = findWindow(L"\uC624\uB958");  // 오류
    if (!box) return false;
    caption = textOf(box);
    text = itemText(box, 0xFFFF);  // the box's text item
    owner = GetWindow(box, GW_OWNER);
    answers = visibleAnswers(box);
    screenshot(L"message_box");
    press(box, IDOK);
    return true;
  }});
  put(L"url", L"http://127.0.0.1:9/download");
  put(L"Filename", L"");
  VARIANT result = call(dispid(L"download"), DISPATCH_METHOD, {L"user", L"session", L"0", L"0"});
  EXPECT_TRUE(user.finished());
  EXPECT_EQ(caption, L"\uC624\uB958");
  EXPECT_EQ(text, L"\uB2E4\uC6B4\uB85C\uB4DC \uD30C\uC77C\uC774\uB984\uC774 \uC5C6\uC2B5\uB2C8\uB2E4.");  // 다운로드 파일이름이 없습니다.
  EXPECT_EQ(owner, browser_);  // the control window's top-level window, as for every pop-up
  EXPECT_EQ(answers, std::vector<int>{IDOK});
  VariantClear(&result);
}

TEST_F(Container, CancelsADownloadOnTheChoiceDialog) {
  std::wstring caption, upper, lower, open, save, cancel;
  RECT placed{};
  User user({[&] {
    HWND choice = findWindow(L"DOWNLOAD");
    if (!choice) return false;
    caption = textOf(choice);
    upper = itemText(choice, 221);
    lower = itemText(choice, 220);
    open = itemText(choice, 207);
    save = itemText(choice, 217);
    cancel = itemText(choice, 203);
    GetWindowRect(choice, &placed);
    screenshot(L"status_dialog_choice");
    press(choice, 203);
    return true;
  }});
  put(L"url", L"http://127.0.0.1:9/download");
  put(L"Filename", L"report.hwp");
  put(L"dialog", L"1");
  VARIANT result = call(dispid(L"download"), DISPATCH_METHOD, {L"user", L"session", L"0", L"0"});
  EXPECT_TRUE(user.finished());
  ASSERT_EQ(V_VT(&result), VT_I4);
  EXPECT_EQ(V_I4(&result), -2);
  EXPECT_EQ(upper, L"\uD604\uC7AC \uC704\uCE58\uC5D0\uC11C \uD30C\uC77C\uC744 \uB2E4\uC6B4\uB85C\uB4DC \uD569\uB2C8\uB2E4");
  EXPECT_EQ(lower, L"report.hwp");
  EXPECT_EQ(open, L"\uC5F4\uAE30(&O)");
  EXPECT_EQ(save, L"\uC800\uC7A5(&S)");
  EXPECT_EQ(cancel, L"\uCDE8\uC18C(&C)");
  // A modal dialog comes up centred over its owner, which for a pop-up is the control's
  // top-level window: the browser.
  const POINT expected = centredOver(rectOf(browser_), placed, 0);
  EXPECT_NEAR(placed.left, expected.x, 1);
  EXPECT_NEAR(placed.top, expected.y, 1);
}

const wchar_t kCancelLabel[] = L"\uCDE8\uC18C(&C)";  // 취소(&C)

// The choice dialog's Save, the first thing the person does in the download tests below.
std::function<bool()> chooseSave() {
  return [] {
    HWND choice = findWindow(L"DOWNLOAD");
    if (!choice) return false;
    press(choice, kSaveButton);
    return true;
  };
}

TEST_F(Container, ShowsTheDownloadsProgressAndEndsItOnlyWhenTheUserConfirmsTheCancel) {
  using Clock = std::chrono::steady_clock;
  pointAtServerDocument(L"?gzip=0&stall=1");
  put(L"size", L"300000");  // the page's word for the document's size: the bar's scale
  const std::wstring temp = temporaryFolder();
  std::wstring upper, lower, leftFigure, rightFigure, question, cancelledText;
  RECT placed{};
  int position = 0, range = 0, lastPosition = -1, stillTicks = 0;
  std::vector<std::wstring> partsWhileStalled;
  bool runningAfterNo = false, progressGoneAtTheEnd = false;
  std::vector<int> questionAnswers;
  HWND progressWindow = nullptr, questionOwner = nullptr;
  Clock::time_point confirmed;
  Clock::duration untilEnded{};
  User user({chooseSave(),
             [&] {  // the progress dialog, half the body in and the server silent
               HWND progress = findWindow(L"DOWNLOAD");
               if (!progress || itemText(progress, kCancelButton) != kCancelLabel) return false;
               const int now = barPosition(progress);
               stillTicks = now > 5 && now == lastPosition ? stillTicks + 1 : 0;
               lastPosition = now;
               if (stillTicks < 5) return false;
               upper = itemText(progress, kUpperText);
               lower = itemText(progress, kLowerText);
               leftFigure = itemText(progress, kLeftFigure);
               rightFigure = itemText(progress, kRightFigure);
               position = now;
               range = static_cast<int>(SendDlgItemMessageW(progress, kBar, PBM_GETRANGE, FALSE, 0));
               GetWindowRect(progress, &placed);
               progressWindow = progress;
               partsWhileStalled = filesStartingWith(temp, L"zxpart-");
               screenshot(L"status_dialog_progress");
               press(progress, kCancelButton);
               return true;
             },
             [&] {  // "do you want to cancel?": No
               HWND box = findWindow(kQuestionCaption);
               if (!box) return false;
               question = itemText(box, 0xFFFF);
               questionAnswers = visibleAnswers(box);
               questionOwner = GetWindow(box, GW_OWNER);
               press(box, IDNO);
               return true;
             },
             [&] {  // the download goes on: Cancel once more
               if (findWindow(kQuestionCaption)) return false;
               HWND progress = findWindow(L"DOWNLOAD");
               runningAfterNo = progress && itemText(progress, kCancelButton) == kCancelLabel;
               if (progress) press(progress, kCancelButton);
               return true;
             },
             [&] {  // and Yes
               HWND box = findWindow(kQuestionCaption);
               if (!box) return false;
               confirmed = Clock::now();
               press(box, IDYES);
               return true;
             },
             [&] {  // the word that the download was cancelled
               HWND box = findWindow(kCancelledCaption);
               if (!box) return false;
               untilEnded = Clock::now() - confirmed;
               cancelledText = itemText(box, 0xFFFF);
               progressGoneAtTheEnd = findWindow(L"DOWNLOAD") == nullptr;
               press(box, IDOK);
               return true;
             }});
  VARIANT result = downloadServerDocument();
  EXPECT_TRUE(user.finished());
  ASSERT_EQ(V_VT(&result), VT_I4);
  EXPECT_EQ(V_I4(&result), -2);
  EXPECT_EQ(upper, L"\uD604\uC7AC \uC704\uCE58\uC5D0\uC11C \uD30C\uC77C\uC744 \uB2E4\uC6B4\uB85C\uB4DC \uD569\uB2C8\uB2E4");
  EXPECT_EQ(lower, L"\uB2E4\uC6B4\uB85C\uB4DC \uC911 \uC785\uB2C8\uB2E4.");  // 다운로드 중 입니다.
  EXPECT_EQ(leftFigure, L"0");
  EXPECT_EQ(rightFigure, L"300,000");
  EXPECT_GT(position, 5);
  EXPECT_LT(position, range) << "half the body in";
  EXPECT_EQ(question, L"\uCDE8\uC18C \uD558\uACA0\uC2B5\uB2C8\uAE4C ?");  // 취소 하겠습니까 ?
  EXPECT_EQ(questionAnswers, (std::vector<int>{IDCANCEL, IDYES, IDNO}));
  EXPECT_EQ(questionOwner, progressWindow) << "the question belongs to the progress dialog";
  EXPECT_TRUE(runningAfterNo) << "No leaves the download running";
  EXPECT_EQ(cancelledText, L"\uB2E4\uC6B4\uB85C\uB4DC \uC791\uC5C5\uC774 \uCDE8\uC18C \uB418\uC5C8\uC2B5\uB2C8\uB2E4");
  EXPECT_TRUE(progressGoneAtTheEnd);
  EXPECT_LT(untilEnded, std::chrono::seconds(5)) << "the cancel ends the wait, not the server's silence limit";
  EXPECT_EQ(partsWhileStalled.size(), 1u) << "the partial file while the server kept silent";
  EXPECT_TRUE(filesStartingWith(temp, L"zxpart-").empty()) << "the partial file is gone";
  EXPECT_FALSE(fileExists(temp + kServerDocument));
  // Centred over the window the control takes for the browser's, then lifted by 40 pixels.
  const POINT expected = centredOver(rectOf(frame_), placed, 40);
  EXPECT_NEAR(placed.left, expected.x, 1);
  EXPECT_NEAR(placed.top, expected.y, 1);
  VariantClear(&result);
}

TEST_F(Container, LeavesTheSavedDownloadOnScreenUntilTheUserClosesIt) {
  pointAtServerDocument(L"?gzip=0");
  User user({chooseSave()});
  VARIANT result = downloadServerDocument();
  EXPECT_TRUE(user.finished());
  ASSERT_EQ(V_VT(&result), VT_I4);
  EXPECT_EQ(V_I4(&result), 0);
  // The method has returned; the dialog stays for the person.
  HWND completed = findWindow(L"DOWNLOAD");
  ASSERT_NE(completed, nullptr);
  EXPECT_EQ(itemText(completed, kUpperText), L"\uD30C\uC77C\uC774 \uC800\uC7A5 \uB418\uC5C8\uC2B5\uB2C8\uB2E4");
  EXPECT_EQ(itemText(completed, kLowerText), kServerDocument);
  EXPECT_EQ(itemText(completed, kOpenButton), L"\uD30C\uC77C\uC5F4\uAE30(&O)");    // 파일열기(&O)
  EXPECT_EQ(itemText(completed, kSaveButton), L"\uD3F4\uB354\uC5F4\uAE30(&D)");    // 폴더열기(&D)
  EXPECT_EQ(itemText(completed, kCancelButton), L"\uB2EB\uAE30(&C)");                // 닫기(&C)
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(completed, kOpenButton)));
  const int high = static_cast<int>(SendDlgItemMessageW(completed, kBar, PBM_GETRANGE, FALSE, 0));
  EXPECT_GT(high, 0);
  EXPECT_EQ(barPosition(completed), high) << "the bar stands full";
  screenshot(L"status_dialog_completed");
  const std::wstring local = filenameProperty();
  EXPECT_TRUE(fileBytes(local) == serverDocumentBytes()) << "the saved file differs from the server's document";
  // Close asks nothing; the dialog goes, and with its window the object behind it.
  press(completed, kCancelButton);
  for (int i = 0; i < 50 && IsWindow(completed); ++i) {
    pump();
    Sleep(20);
  }
  EXPECT_FALSE(IsWindow(completed));
  EXPECT_EQ(findWindow(kQuestionCaption), nullptr);
  DeleteFileW(local.c_str());
  VariantClear(&result);
}

// The control on a system older than Vista, where the choice dialog's Save opens the save-as
// dialog: the test runs in a Wine prefix that reports Windows XP (ZX_WINE_WINDOWS=winxp64).
class OnAnOlderSystem : public Container {
 protected:
  void SetUp() override {
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExW(&version);
    ASSERT_LT(version.dwMajorVersion, 6u) << "run with a system older than Vista (ZX_WINE_WINDOWS=winxp64)";
    Container::SetUp();
  }
};

TEST_F(OnAnOlderSystem, TheSaveAsDialogRenamesTheFileWhenItsTypeIsChosen) {
  pointAtServerDocument(L"?gzip=0");
  const std::wstring typed = L"\uC0C8 \uBCF4\uACE0\uC11C.txt";  // 새 보고서.txt
  std::wstring type, renamed;
  User user({chooseSave(), [&] {
               HWND saveAs = findWindow(L"\uB2E4\uB978 \uD30C\uC77C \uC774\uB984\uC73C\uB85C \uC800\uC7A5");
               if (!saveAs) return false;
               const int field = GetDlgItem(saveAs, cmb13) ? cmb13 : edt1;
               SetDlgItemTextW(saveAs, field, typed.c_str());
               // The person picks the (only) type in the list; the list tells its dialog as it
               // does for a click in it.
               HWND types = GetDlgItem(saveAs, cmb1);
               SendMessageW(types, CB_SETCURSEL, 0, 0);
               for (WORD notification : {CBN_SELCHANGE, CBN_SELENDOK, CBN_CLOSEUP})
                 SendMessageW(saveAs, WM_COMMAND, MAKEWPARAM(cmb1, notification), reinterpret_cast<LPARAM>(types));
               type = textOf(types);
               renamed = itemText(saveAs, field);
               screenshot(L"save_as_dialog");
               PostMessageW(saveAs, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                            reinterpret_cast<LPARAM>(GetDlgItem(saveAs, IDOK)));
               return true;
             }});
  VARIANT result = downloadServerDocument();
  EXPECT_TRUE(user.finished());
  ASSERT_EQ(V_VT(&result), VT_I4);
  EXPECT_EQ(V_I4(&result), 0);
  EXPECT_EQ(type, L"download (*.hwp)");
  EXPECT_EQ(renamed, L"\uC0C8 \uBCF4\uACE0\uC11C.hwp");
  const std::wstring local = filenameProperty();
  EXPECT_EQ(local.substr(local.find_last_of(L'\\') + 1), renamed);
  EXPECT_TRUE(fileBytes(local) == serverDocumentBytes()) << "the saved file differs from the server's document";
  if (HWND completed = findWindow(L"DOWNLOAD")) press(completed, kCancelButton);
  pump();
  DeleteFileW(local.c_str());
  VariantClear(&result);
}

// The control as a page in a browser has it: sited with a site that names the page.
class PageContainer : public Container {
 protected:
  // Written while the control still trusts its container, before the page's site is given.
  void prepareSaveTo(const std::wstring& path) {
    DeleteFileW(path.c_str());
    put(L"dialog", L"0");
    put(L"Filename", path.c_str());
  }
  HRESULT siteOnPage(const Ref<PageSite>& site) {
    Ref<IObjectWithSite> withSite;
    HRESULT hr = control_->QueryInterface(IID_IObjectWithSite, withSite.out());
    return SUCCEEDED(hr) ? withSite->SetSite(site.p) : hr;
  }
  static Ref<PageSite> pageAt(const wchar_t* url) { return Ref<PageSite>{new PageSite(url)}; }
  HRESULT saveFile(const std::wstring& text, long* answer = nullptr) {
    VARIANT result;
    VariantInit(&result);
    HRESULT hr = tryCall(dispid(L"saveFile"), DISPATCH_METHOD, {text}, &result);
    if (answer) *answer = V_VT(&result) == VT_I4 ? V_I4(&result) : -99;
    VariantClear(&result);
    return hr;
  }
};

TEST_F(PageContainer, APageTheUserRefusesGetsAccessDeniedFromEveryMemberAndNothingIsWritten) {
  const std::wstring target = zx::wintest::programFolder() + L"refused.txt";
  prepareSaveTo(target);
  const Ref<PageSite> page = pageAt(L"http://pages.example:8080/app/index.html?x=1");
  ASSERT_EQ(siteOnPage(page), S_OK);
  ConsentAnswers person;
  User user({person.step()});
  EXPECT_EQ(saveFile(L"written"), E_ACCESSDENIED);
  EXPECT_EQ(person.asked, 1);
  EXPECT_EQ(person.origin, L"http://pages.example:8080");
  EXPECT_EQ(tryPut(L"Filename", L"C:\\elsewhere.txt"), E_ACCESSDENIED);
  VARIANT version;
  EXPECT_EQ(tryCall(dispid(L"getVersion"), DISPATCH_METHOD, {}, &version), E_ACCESSDENIED);
  EXPECT_EQ(person.asked, 1) << "the page is asked about once";
  EXPECT_FALSE(fileExists(target));
  EXPECT_EQ(webOriginRule(L"http://pages.example:8080"), L"(none)") << "not ticked: nothing remembered";
}

TEST_F(PageContainer, APageTheUserAllowsDrivesTheControl) {
  const std::wstring target = temporaryFolder() + L"allowed.txt";
  prepareSaveTo(target);
  const Ref<PageSite> page = pageAt(L"https://docs.example/forms/page.html");
  ASSERT_EQ(siteOnPage(page), S_OK);
  ConsentAnswers person{true};
  User user({person.step()});
  EXPECT_EQ(saveFile(L"written"), S_OK);
  EXPECT_EQ(person.asked, 1);
  EXPECT_EQ(person.origin, L"https://docs.example");
  EXPECT_EQ(fileBytes(target), "written");
  EXPECT_EQ(webOriginRule(L"https://docs.example"), L"(none)");
  // The same page sited again (another document) is judged again, and asked again.
  ASSERT_EQ(siteOnPage(page), S_OK);
  EXPECT_EQ(saveFile(L"again"), S_OK);
  EXPECT_EQ(person.asked, 2);
  DeleteFileW(target.c_str());
}

TEST_F(PageContainer, AnAllowedPageWritesOutsideItsScopeOnlyWhenTheUserAgrees) {
  const std::wstring outside = zx::wintest::programFolder() + L"outside-scope.txt";
  prepareSaveTo(outside);
  const Ref<PageSite> page = pageAt(L"https://scope.example/page.html");
  ASSERT_EQ(siteOnPage(page), S_OK);
  ConsentAnswers person{true};
  PathAnswers paths;
  const auto consent = person.step();
  const auto question = paths.step();
  User user({[consent, question] { return consent() || question(); }});
  long result = 0;
  EXPECT_EQ(saveFile(L"outside", &result), S_OK);
  EXPECT_EQ(result, -1) << "denied: the member's own failure";
  EXPECT_EQ(paths.asked, 1);
  EXPECT_EQ(paths.origin, L"https://scope.example");
  EXPECT_NE(paths.path.find(L"outside-scope.txt"), std::wstring::npos) << "the whole path is named";
  EXPECT_FALSE(fileExists(outside));

  // The control's temporary folder is the page's without a question.
  const std::wstring inside = temporaryFolder() + L"inside-scope.txt";
  EXPECT_EQ(tryPut(L"Filename", inside.c_str()), S_OK);
  EXPECT_EQ(saveFile(L"inside", &result), S_OK);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(paths.asked, 1);
  EXPECT_EQ(fileBytes(inside), "inside");
  DeleteFileW(inside.c_str());

  // Allowed once, the same path outside is written.
  paths.allow = true;
  EXPECT_EQ(tryPut(L"Filename", outside.c_str()), S_OK);
  EXPECT_EQ(saveFile(L"allowed once", &result), S_OK);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(paths.asked, 2);
  EXPECT_EQ(fileBytes(outside), "allowed once");
  DeleteFileW(outside.c_str());
}

TEST_F(PageContainer, ARememberedAnswerHoldsForTheNextControlWithoutAQuestion) {
  const std::wstring allowedTarget = temporaryFolder() + L"remembered.txt";
  prepareSaveTo(allowedTarget);
  const Ref<PageSite> allowedPage = pageAt(L"http://remembered.example:8081/");
  ASSERT_EQ(siteOnPage(allowedPage), S_OK);
  ConsentAnswers person{true, true};
  {
    User user({person.step()});
    EXPECT_EQ(saveFile(L"first"), S_OK);
  }
  EXPECT_EQ(person.asked, 1);
  EXPECT_TRUE(person.ticked);
  EXPECT_EQ(webOriginRule(L"http://remembered.example:8081"), L"allow");

  ConsentAnswers refuser{false, true};
  {
    const Ref<PageSite> deniedPage = pageAt(L"http://refused.example/x");
    ASSERT_EQ(siteOnPage(deniedPage), S_OK);
    User user({refuser.step()});
    EXPECT_EQ(saveFile(L"no"), E_ACCESSDENIED);
  }
  EXPECT_EQ(webOriginRule(L"http://refused.example"), L"deny");

  // A new control, as a reloaded page makes: sited on the remembered pages, asked nothing.
  TearDown();
  SetUp();
  prepareSaveTo(allowedTarget);
  ConsentAnswers nobody;
  User user({nobody.step()});
  ASSERT_EQ(siteOnPage(allowedPage), S_OK);
  EXPECT_EQ(saveFile(L"second"), S_OK);
  EXPECT_EQ(fileBytes(allowedTarget), "second");
  const Ref<PageSite> deniedAgain = pageAt(L"http://REFUSED.example:80/other");
  ASSERT_EQ(siteOnPage(deniedAgain), S_OK);
  EXPECT_EQ(saveFile(L"never"), E_ACCESSDENIED);
  EXPECT_EQ(nobody.asked, 0);
  EXPECT_EQ(fileBytes(allowedTarget), "second");
  DeleteFileW(allowedTarget.c_str());
}

TEST_F(PageContainer, AContainerThatQuickActivatesIsJudgedByThePageItsSiteNames) {
  Ref<IQuickActivate> quick;
  ASSERT_EQ(CoCreateInstance(kControlId, nullptr, CLSCTX_INPROC_SERVER, IID_IQuickActivate, quick.out()), S_OK);
  const Ref<PageSite> page = pageAt(L"http://quick.example/page.html");
  EventSink sink;
  QACONTAINER container{};
  container.cbSize = sizeof container;
  container.pClientSite = page.p;
  container.pUnkEventSink = &sink;
  QACONTROL control{};
  control.cbSize = sizeof control;
  ASSERT_EQ(quick->QuickActivate(&container, &control), S_OK);
  EXPECT_EQ(control.dwMiscStatus, 0x00020191u);
  EXPECT_NE(control.dwEventCookie, 0u);
  EXPECT_GT(sink.references, 1u) << "the event sink is held";
  SIZEL extent{2000, 1000}, read{};
  EXPECT_EQ(quick->SetContentExtent(&extent), S_OK);
  EXPECT_EQ(quick->GetContentExtent(&read), S_OK);
  EXPECT_EQ(read.cx, 2000);
  // The site given this way names the page the control answers to.
  Ref<IDispatch> script;
  ASSERT_EQ(quick->QueryInterface(IID_IDispatch, script.out()), S_OK);
  ConsentAnswers person;
  User user({person.step()});
  DISPID id = DISPID_UNKNOWN;
  LPOLESTR names[] = {const_cast<LPOLESTR>(L"getVersion")};
  ASSERT_EQ(script->GetIDsOfNames(IID_NULL, names, 1, 0, &id), S_OK);
  DISPPARAMS none{};
  VARIANT result;
  VariantInit(&result);
  EXPECT_EQ(script->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &none, &result, nullptr, nullptr), E_ACCESSDENIED);
  EXPECT_EQ(person.asked, 1);
  EXPECT_EQ(person.origin, L"http://quick.example");
  Ref<IOleObject> object;
  ASSERT_EQ(quick->QueryInterface(IID_IOleObject, object.out()), S_OK);
  object->SetClientSite(nullptr);
  object->Close(OLECLOSE_NOSAVE);
}

TEST_F(PageContainer, APageWithoutAWebOriginIsRefusedWithoutAQuestion) {
  const Ref<PageSite> page = pageAt(L"file:///C:/users/pages/local.html");
  ASSERT_EQ(siteOnPage(page), S_OK);
  ConsentAnswers nobody;
  User user({nobody.step()});
  VARIANT version;
  EXPECT_EQ(tryCall(dispid(L"getVersion"), DISPATCH_METHOD, {}, &version), E_ACCESSDENIED);
  EXPECT_EQ(nobody.asked, 0);
}

}  // namespace
