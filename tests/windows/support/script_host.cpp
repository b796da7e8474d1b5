#include "support/script_host.h"

#include <wincrypt.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace zx::wintest {
namespace {

constexpr UINT kKoreanCodePage = 949;

std::wstring windowText(HWND window) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

std::wstring className(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

struct BoxParts {
  std::wstring text;
  HWND firstButton = nullptr;
};

BOOL CALLBACK collectPart(HWND child, LPARAM data) {
  auto* parts = reinterpret_cast<BoxParts*>(data);
  const std::wstring kind = className(child);
  if (_wcsicmp(kind.c_str(), L"Static") == 0) parts->text += windowText(child);
  // Wine's boxes keep every button and hide the ones the box does not offer.
  if (_wcsicmp(kind.c_str(), L"Button") == 0 && IsWindowVisible(child) && !parts->firstButton) parts->firstButton = child;
  return TRUE;
}

}  // namespace

std::wstring modulePath() { return programFolder() + L"..\\..\\zorvax.ocx"; }

std::wstring fromKorean(const std::string& bytes) {
  int n = MultiByteToWideChar(kKoreanCodePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring text(static_cast<size_t>(std::max(n, 0)), L'\0');
  MultiByteToWideChar(kKoreanCodePage, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), n);
  return text;
}

std::string toKorean(const std::wstring& text) {
  int n = WideCharToMultiByte(kKoreanCodePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                              nullptr);
  std::string bytes(static_cast<size_t>(std::max(n, 0)), '\0');
  WideCharToMultiByte(kKoreanCodePage, 0, text.data(), static_cast<int>(text.size()), bytes.data(), n, nullptr,
                      nullptr);
  return bytes;
}

std::string readBytes(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeBytes(const std::wstring& path, const std::string& bytes) {
  std::ofstream(path.c_str(), std::ios::binary) << bytes;
}

ScratchFolder::ScratchFolder() {
  wchar_t base[MAX_PATH];
  GetTempPathW(MAX_PATH, base);
  path_ = std::wstring(base) + L"zxtest" + std::to_wstring(GetCurrentProcessId()) + L"_" +
          std::to_wstring(GetTickCount64()) + L"\\";
  CreateDirectoryW(path_.c_str(), nullptr);
}

ScratchFolder::~ScratchFolder() {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((path_ + L"*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileW((path_ + found.cFileName).c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  RemoveDirectoryW(path_.c_str());
}

ChildRun runJScript(const ScratchFolder& folder, const std::string& script, unsigned long timeoutMs) {
  static int counter = 0;
  const std::wstring file = folder.path() + L"script" + std::to_wstring(++counter) + L".js";
  writeBytes(file, script);
  return runChild(L"cscript.exe //nologo " + quoted(file), timeoutMs);
}

std::string serverSetting(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

bool trustCertificate(const std::wstring& pemPath) {
  const std::string pem = readBytes(pemPath);
  DWORD size = 0;
  if (pem.empty() || !CryptStringToBinaryA(pem.c_str(), static_cast<DWORD>(pem.size()), CRYPT_STRING_BASE64HEADER,
                                           nullptr, &size, nullptr, nullptr))
    return false;
  std::string der(size, '\0');
  CryptStringToBinaryA(pem.c_str(), static_cast<DWORD>(pem.size()), CRYPT_STRING_BASE64HEADER,
                       reinterpret_cast<BYTE*>(der.data()), &size, nullptr, nullptr);
  HCERTSTORE store = CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"ROOT");
  if (!store) return false;
  const BOOL added = CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING,
                                                      reinterpret_cast<const BYTE*>(der.data()), size,
                                                      CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
  CertCloseStore(store, 0);
  return added != FALSE;
}

void DialogAnswerer::start() { thread_ = std::thread([this] { watch(); }); }

void DialogAnswerer::stop() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
}

std::vector<std::wstring> DialogAnswerer::seen() {
  std::lock_guard lock(mutex_);
  return seen_;
}

void DialogAnswerer::note(std::wstring what) {
  std::lock_guard lock(mutex_);
  seen_.push_back(std::move(what));
}

BoxWatcher::BoxWatcher(std::vector<std::wstring> captions) : captions_(std::move(captions)) { start(); }

namespace {

struct VisibleBoxes {
  std::vector<HWND> found;
};

BOOL CALLBACK collectBox(HWND window, LPARAM data) {
  if (IsWindowVisible(window) && className(window) == L"#32770")
    reinterpret_cast<VisibleBoxes*>(data)->found.push_back(window);
  return TRUE;
}

}  // namespace

void DialogAnswerer::watch() {
  std::vector<HWND> answered;  // dialogs answered that may not have gone yet
  while (!stop_) {
    answered.erase(std::remove_if(answered.begin(), answered.end(), [](HWND box) { return !IsWindow(box); }),
                   answered.end());
    VisibleBoxes dialogs;
    EnumWindows(collectBox, reinterpret_cast<LPARAM>(&dialogs));
    for (HWND dialog : dialogs.found)
      if (!std::count(answered.begin(), answered.end(), dialog) && answer(dialog)) answered.push_back(dialog);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

bool BoxWatcher::answer(HWND box) {
  const std::wstring caption = windowText(box);
  if (!captions_.empty() && !std::count(captions_.begin(), captions_.end(), caption)) return false;
  BoxParts parts;
  EnumChildWindows(box, collectPart, reinterpret_cast<LPARAM>(&parts));
  if (!parts.firstButton) return false;
  note(caption + L"|" + parts.text);
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(parts.firstButton), BN_CLICKED),
               reinterpret_cast<LPARAM>(parts.firstButton));
  return true;
}

namespace {

// The parts of a dialog a person reads and fills in.
struct PromptParts {
  std::wstring texts;
  std::vector<HWND> plainEdits;
  HWND passwordEdit = nullptr;
  HWND ok = nullptr;
  HWND cancel = nullptr;
};

BOOL CALLBACK collectPromptPart(HWND child, LPARAM data) {
  auto* parts = reinterpret_cast<PromptParts*>(data);
  if (!IsWindowVisible(child)) return TRUE;
  const std::wstring kind = className(child);
  if (_wcsicmp(kind.c_str(), L"Static") == 0) {
    const std::wstring text = windowText(child);
    if (!text.empty()) parts->texts += (parts->texts.empty() ? L"" : L" / ") + text;
  } else if (_wcsicmp(kind.c_str(), L"Edit") == 0) {
    if (GetWindowLongW(child, GWL_STYLE) & ES_PASSWORD) parts->passwordEdit = child;
    else parts->plainEdits.push_back(child);
  } else if (_wcsicmp(kind.c_str(), L"Button") == 0) {
    if (GetDlgCtrlID(child) == IDOK) parts->ok = child;
    if (GetDlgCtrlID(child) == IDCANCEL) parts->cancel = child;
  }
  return TRUE;
}

// What a field of another process holds (GetWindowText reads only captions there).
std::wstring fieldText(HWND field) {
  wchar_t text[256] = {};
  SendMessageW(field, WM_GETTEXT, sizeof text / sizeof text[0], reinterpret_cast<LPARAM>(text));
  return text;
}

// Types the text into the field key by key, as the keyboard would deliver it.
void typeInto(HWND field, const std::wstring& text) {
  SendMessageW(field, WM_SETFOCUS, 0, 0);
  SendMessageW(field, EM_SETSEL, 0, -1);
  SendMessageW(field, WM_CHAR, VK_BACK, 0);
  for (wchar_t ch : text) SendMessageW(field, WM_CHAR, ch, 0);
}

}  // namespace

PasswordPromptAnswerer::PasswordPromptAnswerer(std::wstring user, std::wstring password, Press press)
    : user_(std::move(user)), password_(std::move(password)), press_(press) {
  start();
}

bool PasswordPromptAnswerer::answer(HWND dialog) {
  PromptParts parts;
  EnumChildWindows(dialog, collectPromptPart, reinterpret_cast<LPARAM>(&parts));
  if (!parts.passwordEdit || parts.plainEdits.empty() || !parts.ok || !parts.cancel) return false;
  HWND pressed = parts.cancel;
  std::wstring typedUser;
  int passwordLength = 0;
  if (press_ == Press::Ok) {
    typeInto(parts.plainEdits.front(), user_);
    typeInto(parts.passwordEdit, password_);
    typedUser = fieldText(parts.plainEdits.front());
    passwordLength = static_cast<int>(fieldText(parts.passwordEdit).size());
    pressed = parts.ok;
  }
  note(windowText(dialog) + L"|" + parts.texts + L"|" + windowText(pressed) + L"|" + typedUser + L"|" +
       std::to_wstring(passwordLength));
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(pressed), BN_CLICKED), reinterpret_cast<LPARAM>(pressed));
  return true;
}

}  // namespace zx::wintest
