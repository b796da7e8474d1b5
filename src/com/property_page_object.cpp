#include "com/property_page_object.h"

#include "com/resource_ids.h"
#include "module/prop_page.h"
#include "platform/win32/win32_windows.h"

namespace zx::com {
namespace {

// A string resource of the module, allocated for the caller with CoTaskMemAlloc.
LPOLESTR moduleString(UINT id) {
  const wchar_t* text = nullptr;
  int length = LoadStringW(platform::Win32Windows::resourceModule(), id, reinterpret_cast<LPWSTR>(&text), 0);
  auto* copy = static_cast<LPOLESTR>(CoTaskMemAlloc((static_cast<size_t>(length) + 1) * sizeof(wchar_t)));
  if (!copy) return nullptr;
  if (length > 0) wmemcpy(copy, text, static_cast<size_t>(length));
  copy[length] = L'\0';
  return copy;
}

}  // namespace

PropertyPageObject::~PropertyPageObject() {
  Deactivate();
  if (site_) site_->Release();
}

HWND PropertyPageObject::createPage(HWND parent) const {
  return CreateDialogParamW(platform::Win32Windows::resourceModule(), MAKEINTRESOURCEW(CZorvAXPropPage::dialogTemplate().id), parent,
                            &PropertyPageObject::dialogProcedure, 0);
}

HRESULT PropertyPageObject::SetPageSite(IPropertyPageSite* site) {
  if (site) site->AddRef();
  if (site_) site_->Release();
  site_ = site;
  return S_OK;
}

HRESULT PropertyPageObject::Activate(HWND parent, LPCRECT position, BOOL) {
  if (!position) return E_POINTER;
  if (window_) return E_UNEXPECTED;
  window_ = createPage(parent);
  if (!window_) return E_OUTOFMEMORY;
  return Move(position);
}

HRESULT PropertyPageObject::Deactivate() {
  if (window_) DestroyWindow(window_);
  window_ = nullptr;
  return S_OK;
}

HRESULT PropertyPageObject::GetPageInfo(PROPPAGEINFO* info) {
  if (!info) return E_POINTER;
  // The page's size in pixels is that of its dialog in the dialog's own font: made once,
  // hidden, and measured.
  HWND measured = createPage(GetDesktopWindow());
  if (!measured) return E_OUTOFMEMORY;
  RECT client{};
  GetClientRect(measured, &client);
  DestroyWindow(measured);
  info->cb = sizeof *info;
  info->pszTitle = moduleString(IDS_ZORVAX_PPG_CAPTION);
  info->size = {client.right, client.bottom};
  info->pszDocString = nullptr;
  info->pszHelpFile = nullptr;
  info->dwHelpContext = 0;
  return info->pszTitle ? S_OK : E_OUTOFMEMORY;
}

HRESULT PropertyPageObject::SetObjects(ULONG count, IUnknown** objects) {
  // No property is bound: the objects are only checked.
  if (count > 0 && !objects) return E_POINTER;
  return S_OK;
}

HRESULT PropertyPageObject::Show(UINT command) {
  if (!window_) return E_UNEXPECTED;
  ShowWindow(window_, static_cast<int>(command));
  return S_OK;
}

HRESULT PropertyPageObject::Move(LPCRECT position) {
  if (!position) return E_POINTER;
  if (!window_) return E_UNEXPECTED;
  MoveWindow(window_, position->left, position->top, position->right - position->left,
             position->bottom - position->top, TRUE);
  return S_OK;
}

}  // namespace zx::com
