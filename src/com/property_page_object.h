#pragma once
// The property page as a property frame hosts it: its window is dialog 200 made a child of
// the frame, its title the page caption (string 200). It binds no property, so it is never
// dirty and applying it changes nothing. Shares the identity of the object that owns it.
#include <string>

#include "platform/win32/system_headers.h"
#include <ocidl.h>

namespace zx::com {

class PropertyPageObject final : public IPropertyPage {
 public:
  explicit PropertyPageObject(IUnknown& outer) : outer_(outer) {}
  ~PropertyPageObject();
  PropertyPageObject(const PropertyPageObject&) = delete;
  PropertyPageObject& operator=(const PropertyPageObject&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override { return outer_.QueryInterface(iid, object); }
  ULONG STDMETHODCALLTYPE AddRef() override { return outer_.AddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return outer_.Release(); }

  HRESULT STDMETHODCALLTYPE SetPageSite(IPropertyPageSite* site) override;
  HRESULT STDMETHODCALLTYPE Activate(HWND parent, LPCRECT position, BOOL modal) override;
  HRESULT STDMETHODCALLTYPE Deactivate() override;
  HRESULT STDMETHODCALLTYPE GetPageInfo(PROPPAGEINFO* info) override;
  HRESULT STDMETHODCALLTYPE SetObjects(ULONG count, IUnknown** objects) override;
  HRESULT STDMETHODCALLTYPE Show(UINT command) override;
  HRESULT STDMETHODCALLTYPE Move(LPCRECT position) override;
  HRESULT STDMETHODCALLTYPE IsPageDirty() override { return S_FALSE; }
  HRESULT STDMETHODCALLTYPE Apply() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Help(LPCOLESTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG*) override { return S_FALSE; }

 private:
  static INT_PTR CALLBACK dialogProcedure(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }
  HWND createPage(HWND parent) const;

  IUnknown& outer_;
  IPropertyPageSite* site_ = nullptr;
  HWND window_ = nullptr;
};

}  // namespace zx::com
