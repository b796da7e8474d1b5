#include "com/ole_embedding.h"

#include "control/draw.h"
#include "control/zorvax_ctrl.h"
#include "module/class_factory.h"
#include "module/prop_page.h"
#include "platform/codepage.h"
#include "platform/win32/gdi_surface.h"
#include "platform/win32/ole_win32.h"

#include <olectl.h>

#include <cstddef>

namespace zx::com {
namespace {

using platform::win32::systemId;

constexpr wchar_t kWindowClass[] = L"ZorvAXControl";
constexpr wchar_t kVersionName[] = L"_Version";
// A new control's size before its container sets one: 100 x 50 pixels at 96 per inch.
constexpr LONG kHimetricPerInch = 2540, kPixelsPerInch = 96;
constexpr SIZEL kDefaultExtent{100 * kHimetricPerInch / kPixelsPerInch, 50 * kHimetricPerInch / kPixelsPerInch};

template <typename T>
void releaseAndNull(T*& p) {
  if (p) p->Release();
  p = nullptr;
}

// The browser's window: a page's host nests the control's window three levels below it (the
// browser, its frame, the document, the control's site).
HWND browserAbove(HWND controlWindow) {
  HWND window = controlWindow;
  for (int level = 0; level < 3 && window; ++level) window = GetParent(window);
  return window;
}

void registerWindowClass(HINSTANCE module, WNDPROC procedure) {
  WNDCLASSW windowClass{};
  windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = module;
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  windowClass.lpszClassName = kWindowClass;
  RegisterClassW(&windowClass);  // fails harmlessly when an earlier control registered it
}

}  // namespace

OleEmbedding::OleEmbedding(IUnknown& outer, CZorvAXCtrl& control, platform::Win32Ui& ui,
                           std::function<void()> siteChanged)
    : outer_(outer), control_(control), ui_(ui), siteChanged_(std::move(siteChanged)), extent_(kDefaultExtent), events_(outer, systemId(ids::IID_DZorvAXEvents())) {}

OleEmbedding::~OleEmbedding() {
  destroyWindow();
  releaseAndNull(inPlaceSite_);
  releaseAndNull(site_);
  releaseAndNull(adviseHolder_);
  releaseAndNull(viewSink_);
}

HRESULT OleEmbedding::query(REFIID iid, void** object) {
  if (IsEqualIID(iid, IID_IOleObject)) *object = static_cast<IOleObject*>(this);
  else if (IsEqualIID(iid, IID_IOleWindow) || IsEqualIID(iid, IID_IOleInPlaceObject))
    *object = static_cast<IOleInPlaceObject*>(this);
  else if (IsEqualIID(iid, IID_IOleInPlaceActiveObject)) *object = static_cast<IOleInPlaceActiveObject*>(this);
  else if (IsEqualIID(iid, IID_IOleControl)) *object = static_cast<IOleControl*>(this);
  else if (IsEqualIID(iid, IID_IViewObject) || IsEqualIID(iid, IID_IViewObject2))
    *object = static_cast<IViewObject2*>(this);
  else if (IsEqualIID(iid, IID_IPersist) || IsEqualIID(iid, IID_IPersistStreamInit))
    *object = static_cast<IPersistStreamInit*>(this);
  else if (IsEqualIID(iid, IID_IPersistPropertyBag)) *object = static_cast<IPersistPropertyBag*>(this);
  else if (IsEqualIID(iid, IID_ISpecifyPropertyPages)) *object = static_cast<ISpecifyPropertyPages*>(this);
  else if (IsEqualIID(iid, IID_IConnectionPointContainer)) *object = static_cast<IConnectionPointContainer*>(&events_);
  else if (IsEqualIID(iid, IID_IQuickActivate)) *object = static_cast<IQuickActivate*>(this);
  else {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

// --- IOleObject ---

HRESULT OleEmbedding::SetClientSite(IOleClientSite* site) {
  if (site) site->AddRef();
  releaseAndNull(site_);
  site_ = site;
  siteChanged_();
  return S_OK;
}

HRESULT OleEmbedding::GetClientSite(IOleClientSite** site) {
  if (!site) return E_POINTER;
  if (site_) site_->AddRef();
  *site = site_;
  return S_OK;
}

HRESULT OleEmbedding::Close(DWORD) {
  InPlaceDeactivate();
  if (adviseHolder_) adviseHolder_->SendOnClose();
  return S_OK;
}

HRESULT OleEmbedding::DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent, LPCRECT position) {
  switch (verb) {
    case OLEIVERB_PRIMARY:
    case OLEIVERB_SHOW:
    case OLEIVERB_UIACTIVATE:
      return activateInPlace(site ? site : site_, parent, position, true);
    case OLEIVERB_INPLACEACTIVATE:
      return activateInPlace(site ? site : site_, parent, position, false);
    case OLEIVERB_HIDE:
      if (window_) ShowWindow(window_, SW_HIDE);
      return S_OK;
    case OLEIVERB_PROPERTIES:
      return showPropertyPages(window_ ? window_ : parent);
    default:
      return OLEOBJ_S_INVALIDVERB;
  }
}

HRESULT OleEmbedding::EnumVerbs(IEnumOLEVERB** verbs) { return OleRegEnumVerbs(systemId(ids::CLSID_ZorvAX()), verbs); }

HRESULT OleEmbedding::GetUserType(DWORD form, LPOLESTR* type) {
  return OleRegGetUserType(systemId(ids::CLSID_ZorvAX()), form, type);
}

HRESULT OleEmbedding::SetExtent(DWORD aspect, SIZEL* size) {
  if (!size) return E_POINTER;
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  extent_ = *size;
  return S_OK;
}

HRESULT OleEmbedding::GetExtent(DWORD aspect, SIZEL* size) {
  if (!size) return E_POINTER;
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  *size = extent_;
  return S_OK;
}

HRESULT OleEmbedding::Advise(IAdviseSink* sink, DWORD* connection) {
  if (!adviseHolder_) {
    HRESULT hr = CreateOleAdviseHolder(&adviseHolder_);
    if (FAILED(hr)) return hr;
  }
  return adviseHolder_->Advise(sink, connection);
}

HRESULT OleEmbedding::Unadvise(DWORD connection) {
  return adviseHolder_ ? adviseHolder_->Unadvise(connection) : OLE_E_NOCONNECTION;
}

HRESULT OleEmbedding::EnumAdvise(IEnumSTATDATA** advises) {
  if (!advises) return E_POINTER;
  *advises = nullptr;
  return adviseHolder_ ? adviseHolder_->EnumAdvise(advises) : S_OK;
}

HRESULT OleEmbedding::GetMiscStatus(DWORD, DWORD* status) {
  if (!status) return E_POINTER;
  *status = controlFactory().controlClass().miscStatus;  // as registered
  return S_OK;
}

// --- in place ---

HRESULT OleEmbedding::activateInPlace(IOleClientSite* site, HWND parent, LPCRECT position, bool uiActive) {
  if (!site) return E_UNEXPECTED;
  if (!inPlaceSite_) {
    IOleInPlaceSite* inPlace = nullptr;
    if (FAILED(site->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(&inPlace)))) return E_NOINTERFACE;
    if (inPlace->CanInPlaceActivate() != S_OK) {
      inPlace->Release();
      return E_FAIL;
    }
    inPlace->OnInPlaceActivate();
    inPlaceSite_ = inPlace;
  }
  if (!window_) {
    HWND siteWindow = nullptr;
    inPlaceSite_->GetWindow(&siteWindow);
    IOleInPlaceFrame* frame = nullptr;
    IOleInPlaceUIWindow* document = nullptr;
    RECT placed{}, clip{};
    OLEINPLACEFRAMEINFO frameInfo{sizeof frameInfo};
    if (SUCCEEDED(inPlaceSite_->GetWindowContext(&frame, &document, &placed, &clip, &frameInfo))) {
      releaseAndNull(frame);
      releaseAndNull(document);
    } else if (position) {
      placed = *position;
    }
    HWND host = siteWindow ? siteWindow : parent;
    const HINSTANCE module = platform::Win32Windows::resourceModule();
    registerWindowClass(module, &OleEmbedding::windowProcedure);
    window_ = CreateWindowExW(0, kWindowClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                              placed.left, placed.top, placed.right - placed.left, placed.bottom - placed.top, host,
                              nullptr, module, nullptr);
    if (!window_) return E_FAIL;
    control_.m_hBrowserWnd = reinterpret_cast<std::uintptr_t>(browserAbove(window_));
    ui_.setControlWindow(window_, reinterpret_cast<HWND>(control_.m_hBrowserWnd));
  }
  ShowWindow(window_, SW_SHOW);
  if (uiActive && !uiActive_) {
    uiActive_ = true;
    inPlaceSite_->OnUIActivate();
    SetFocus(window_);
  }
  return S_OK;
}

HRESULT OleEmbedding::GetWindow(HWND* window) {
  if (!window) return E_POINTER;
  *window = window_;
  return window_ ? S_OK : E_FAIL;
}

HRESULT OleEmbedding::InPlaceDeactivate() {
  UIDeactivate();
  destroyWindow();
  if (inPlaceSite_) {
    inPlaceSite_->OnInPlaceDeactivate();
    releaseAndNull(inPlaceSite_);
  }
  return S_OK;
}

HRESULT OleEmbedding::UIDeactivate() {
  if (uiActive_ && inPlaceSite_) inPlaceSite_->OnUIDeactivate(FALSE);
  uiActive_ = false;
  return S_OK;
}

HRESULT OleEmbedding::SetObjectRects(LPCRECT position, LPCRECT) {
  if (!position) return E_POINTER;
  if (window_)
    MoveWindow(window_, position->left, position->top, position->right - position->left,
               position->bottom - position->top, TRUE);
  return S_OK;
}

void OleEmbedding::destroyWindow() {
  if (!window_) return;
  HWND window = window_;
  window_ = nullptr;
  ui_.setControlWindow(nullptr, nullptr);
  DestroyWindow(window);
}

LRESULT CALLBACK OleEmbedding::windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    platform::GdiSurface surface(dc);
    drawControl(surface, {client.left, client.top, client.right, client.bottom});
    EndPaint(window, &paint);
    return 0;
  }
  if (message == WM_ERASEBKGND) return 1;  // the painting covers the whole window
  return DefWindowProcW(window, message, wParam, lParam);
}

// --- IOleControl ---

HRESULT OleEmbedding::GetControlInfo(CONTROLINFO* info) {
  if (!info) return E_POINTER;
  info->hAccel = nullptr;
  info->cAccel = 0;
  info->dwFlags = 0;
  return S_OK;
}

// --- IViewObject2 ---

HRESULT OleEmbedding::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC dc, LPCRECTL bounds, LPCRECTL,
                           BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) {
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (!dc) return E_INVALIDARG;
  RECT area{};
  if (bounds) area = {bounds->left, bounds->top, bounds->right, bounds->bottom};
  else if (!window_ || !GetClientRect(window_, &area)) return E_INVALIDARG;
  platform::GdiSurface surface(dc);
  drawControl(surface, {area.left, area.top, area.right, area.bottom});
  return S_OK;
}

HRESULT OleEmbedding::SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) {
  if (sink) sink->AddRef();
  releaseAndNull(viewSink_);
  viewSink_ = sink;
  viewAspects_ = aspects;
  viewFlags_ = flags;
  return S_OK;
}

HRESULT OleEmbedding::GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) {
  if (aspects) *aspects = viewAspects_;
  if (flags) *flags = viewFlags_;
  if (sink) {
    if (viewSink_) viewSink_->AddRef();
    *sink = viewSink_;
  }
  return S_OK;
}

HRESULT OleEmbedding::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) { return GetExtent(aspect, size); }

// --- persistence ---

HRESULT OleEmbedding::GetClassID(CLSID* clsid) {
  if (!clsid) return E_POINTER;
  *clsid = systemId(ids::CLSID_ZorvAX());
  return S_OK;
}

HRESULT OleEmbedding::InitNew() {
  control_.clearModifiedFlag();
  return S_OK;
}

// A state of another major version is not ours to read.
HRESULT OleEmbedding::Load(LPSTREAM stream) {
  if (!stream) return E_POINTER;
  DWORD version = 0;
  ULONG read = 0;
  HRESULT hr = stream->Read(&version, sizeof version, &read);
  if (FAILED(hr)) return hr;
  if (read != sizeof version || HIWORD(version) != HIWORD(kVersion)) return E_FAIL;
  control_.clearModifiedFlag();
  return S_OK;
}

HRESULT OleEmbedding::Save(LPSTREAM stream, BOOL clearDirty) {
  if (!stream) return E_POINTER;
  const DWORD version = kVersion;
  HRESULT hr = stream->Write(&version, sizeof version, nullptr);
  if (SUCCEEDED(hr) && clearDirty) control_.clearModifiedFlag();
  return hr;
}

HRESULT OleEmbedding::GetSizeMax(ULARGE_INTEGER* size) {
  if (!size) return E_POINTER;
  size->QuadPart = sizeof(DWORD);
  return S_OK;
}

HRESULT OleEmbedding::Load(IPropertyBag* bag, IErrorLog* log) {
  if (!bag) return E_POINTER;
  VARIANT value;
  VariantInit(&value);
  V_VT(&value) = VT_I4;
  // A page's object element without the value is a new control.
  if (SUCCEEDED(bag->Read(kVersionName, &value, log))) {
    bool ours = V_VT(&value) == VT_I4 && HIWORD(static_cast<DWORD>(V_I4(&value))) == HIWORD(kVersion);
    VariantClear(&value);
    if (!ours) return E_FAIL;
  }
  control_.clearModifiedFlag();
  return S_OK;
}

HRESULT OleEmbedding::Save(IPropertyBag* bag, BOOL clearDirty, BOOL) {
  if (!bag) return E_POINTER;
  VARIANT value;
  VariantInit(&value);
  V_VT(&value) = VT_I4;
  V_I4(&value) = static_cast<LONG>(kVersion);
  HRESULT hr = bag->Write(kVersionName, &value);
  if (SUCCEEDED(hr) && clearDirty) control_.clearModifiedFlag();
  return hr;
}

// --- property pages ---

HRESULT OleEmbedding::GetPages(CAUUID* pages) {
  if (!pages) return E_POINTER;
  const std::vector<ole::Guid> listed = propertyPageIds();
  pages->cElems = static_cast<ULONG>(listed.size());
  pages->pElems = static_cast<GUID*>(CoTaskMemAlloc(sizeof(GUID) * listed.size()));
  if (!pages->pElems) {
    pages->cElems = 0;
    return E_OUTOFMEMORY;
  }
  for (size_t i = 0; i < listed.size(); ++i) pages->pElems[i] = systemId(listed[i]);
  return S_OK;
}

HRESULT OleEmbedding::showPropertyPages(HWND owner) {
  CAUUID pages{};
  HRESULT hr = GetPages(&pages);
  if (FAILED(hr)) return hr;
  IUnknown* self = &outer_;
  const std::u16string caption = platform::ansiToUtf16(controlFactory().controlClass().typeName);
  hr = OleCreatePropertyFrame(owner, 0, 0, reinterpret_cast<LPCOLESTR>(caption.c_str()), 1, &self, pages.cElems, pages.pElems,
                              GetUserDefaultLCID(), 0, nullptr);
  CoTaskMemFree(pages.pElems);
  return hr;
}

// --- IQuickActivate ---

HRESULT OleEmbedding::QuickActivate(QACONTAINER* container, QACONTROL* control) {
  // Containers of every age fill at least the members up to the event sink.
  constexpr ULONG kKnownPart = offsetof(QACONTAINER, pUnkEventSink) + sizeof(IUnknown*);
  if (!container || !control || container->cbSize < kKnownPart || control->cbSize < sizeof(QACONTROL))
    return E_INVALIDARG;
  HRESULT hr = SetClientSite(container->pClientSite);
  if (SUCCEEDED(hr) && container->pAdviseSink) hr = SetAdvise(DVASPECT_CONTENT, 0, container->pAdviseSink);
  if (FAILED(hr)) return hr;
  control->dwEventCookie = 0;
  if (container->pUnkEventSink) {
    IConnectionPoint* point = nullptr;
    if (SUCCEEDED(events_.FindConnectionPoint(systemId(ids::IID_DZorvAXEvents()), &point))) {
      point->Advise(container->pUnkEventSink, &control->dwEventCookie);
      point->Release();
    }
  }
  GetMiscStatus(DVASPECT_CONTENT, &control->dwMiscStatus);
  control->dwViewStatus = 0;          // no IViewObjectEx
  control->dwPropNotifyCookie = 0;    // no property-change notifications
  control->dwPointerActivationPolicy = 0;
  return S_OK;
}

}  // namespace zx::com
