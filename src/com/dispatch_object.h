#pragma once
// A COM object over one of the module's objects (the control, the property page): IDispatch
// over its dispatch table, its class information, the safety answers its component
// categories promise, and error information for failed calls; the control's OLE embedding
// interfaces and the page's IPropertyPage are parts of the same object. Text crosses as BSTR (UTF-16)
// and is the control's code page 949 inside.
#include <atomic>
#include <memory>

#include "com/ole_embedding.h"
#include "com/page_origin_gate.h"
#include "com/property_page_object.h"
#include "module/class_factory.h"
#include "platform/ole.h"
#include "platform/system_services.h"
#include "platform/win32/win32_ui.h"

#include "platform/win32/system_headers.h"
#include <objsafe.h>
#include <ocidl.h>

namespace zx::com {

class DispatchObject final : public IDispatch,
                             public IProvideClassInfo,
                             public IObjectSafety,
                             public ISupportErrorInfo,
                             public IObjectWithSite {
 public:
  // A new object of the factory's class with the system's services, on the calling thread.
  static HRESULT create(ClassFactory& factory, REFIID iid, void** object);

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // IDispatch
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid,
                                          DISPID* dispids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID dispid, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* parameters,
                                   VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override;

  // IProvideClassInfo
  HRESULT STDMETHODCALLTYPE GetClassInfo(ITypeInfo** info) override;

  // IObjectSafety
  HRESULT STDMETHODCALLTYPE GetInterfaceSafetyOptions(REFIID iid, DWORD* supported, DWORD* enabled) override;
  HRESULT STDMETHODCALLTYPE SetInterfaceSafetyOptions(REFIID iid, DWORD mask, DWORD enabled) override;

  // ISupportErrorInfo
  HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) override;

  // IObjectWithSite (the control only): how a browser tells the control where it sits.
  HRESULT STDMETHODCALLTYPE SetSite(IUnknown* site) override;
  HRESULT STDMETHODCALLTYPE GetSite(REFIID iid, void** site) override;

 private:
  DispatchObject(const ole::Guid& classId, const ole::Guid& dispatchId);
  ~DispatchObject();
  bool isDispatchInterface(REFIID iid) const;
  // The site that names the control's page: IObjectWithSite's, else the embedding's client site.
  bool pageAdmitted();

  std::atomic<ULONG> references_{1};
  ole::Guid classId_;
  ole::Guid dispatchId_;
  DWORD safety_ = 0;
  // The services outlive the object that uses them.
  platform::SystemServices services_;
  platform::Win32Ui ui_;
  std::shared_ptr<ole::Dispatch> object_;
  // The control's embedding in a container, or the page's face to a property frame.
  std::unique_ptr<OleEmbedding> embedding_;
  std::unique_ptr<PropertyPageObject> page_;
  // The control's: which page may call it, judged through the site.
  std::unique_ptr<PageOriginGate> gate_;
  IUnknown* site_ = nullptr;
};

}  // namespace zx::com
