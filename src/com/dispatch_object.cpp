#include <new>
#include <string>
#include <vector>

#include "com/dispatch_object.h"
#include "com/module_state.h"
#include "control/dispatch_table.h"
#include "control/zorvax_ctrl.h"
#include "module/class_factory.h"
#include "platform/codepage.h"
#include "platform/win32/ole_win32.h"

#include <oleauto.h>

namespace zx::com {
namespace {

using platform::win32::ourId;
using platform::win32::systemId;

constexpr DWORD kSafeOptions = INTERFACESAFE_FOR_UNTRUSTED_CALLER | INTERFACESAFE_FOR_UNTRUSTED_DATA;
// An object without a dispatch interface of its own in the type library (the property page).
const ole::Guid kNoDispatchInterface{};


std::u16string textOf(const wchar_t* text) {
  return text ? std::u16string(reinterpret_cast<const char16_t*>(text)) : std::u16string();
}

BSTR systemString(const std::u16string& text) {
  return text.empty() ? nullptr
                      : SysAllocStringLen(reinterpret_cast<const wchar_t*>(text.data()), static_cast<UINT>(text.size()));
}

// True when the registered type library loads for the caller's locale: the name rule then
// answers from it alone.
bool registeredTypeLibraryLoads(LCID lcid) {
  if (lcid == 0) return false;
  ITypeLib* library = nullptr;
  if (FAILED(LoadRegTypeLib(systemId(ids::LIBID_ZORVAXLib()), 1, 0, lcid, &library))) return false;
  library->Release();
  return true;
}

// The description of a class or interface in the module's own type library.
HRESULT embeddedTypeInfo(const ole::Guid& id, ITypeInfo** info) {
  ITypeLib* library = nullptr;
  HRESULT hr = embeddedTypeLibrary(&library);
  if (FAILED(hr)) return hr;
  hr = library->GetTypeInfoOfGuid(systemId(id), info);
  library->Release();
  return hr;
}

// The arguments in the order the script wrote them; DISPPARAMS holds them last first. A
// property write names its one value DISPID_PROPERTYPUT; other named arguments are not taken.
HRESULT scriptArguments(const DISPPARAMS* parameters, WORD flags, std::vector<ole::Variant>& args, UINT* argumentError) {
  if (!parameters) return S_OK;
  const bool namedValue = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) && parameters->cNamedArgs == 1 &&
                          parameters->rgdispidNamedArgs[0] == DISPID_PROPERTYPUT;
  if (parameters->cNamedArgs > 0 && !namedValue) return DISP_E_NONAMEDARGS;
  for (UINT i = parameters->cArgs; i-- > 0;) {
    auto value = platform::win32::fromVariant(parameters->rgvarg[i]);
    if (!value) {
      if (argumentError) *argumentError = i;
      return DISP_E_TYPEMISMATCH;
    }
    args.push_back(std::move(*value));
  }
  return S_OK;
}

// The failure of a call as the script host shows it: EXCEPINFO, and the thread's error object.
void reportException(const ole::ExcepInfo& failure, EXCEPINFO* exception) {
  const std::u16string source = failure.source.empty() ? platform::ansiToUtf16(controlFactory().progId()) : failure.source;
  const std::u16string description =
      failure.description.empty() ? textOf(L"The control could not complete the call.") : failure.description;
  const HRESULT scode = failure.scode != S_OK ? failure.scode : E_UNEXPECTED;
  if (exception) {
    *exception = EXCEPINFO{};
    exception->bstrSource = systemString(source);
    exception->bstrDescription = systemString(description);
    exception->scode = scode;
  }
  ICreateErrorInfo* created = nullptr;
  if (SUCCEEDED(CreateErrorInfo(&created))) {
    created->SetSource(const_cast<LPOLESTR>(reinterpret_cast<const wchar_t*>(source.c_str())));
    created->SetDescription(const_cast<LPOLESTR>(reinterpret_cast<const wchar_t*>(description.c_str())));
    IErrorInfo* info = nullptr;
    if (SUCCEEDED(created->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info)))) {
      SetErrorInfo(0, info);
      info->Release();
    }
    created->Release();
  }
}

}  // namespace

DispatchObject::DispatchObject(const ole::Guid& classId, const ole::Guid& dispatchId)
    : classId_(classId), dispatchId_(dispatchId), services_(platform::SystemSettings::fromEnvironment()) {
  objectCreated();
}

DispatchObject::~DispatchObject() {
  if (site_) site_->Release();
  embedding_.reset();
  page_.reset();
  object_.reset();
  objectReleased();
}

HRESULT DispatchObject::create(ClassFactory& factory, REFIID iid, void** object) {
  const bool control = factory.classId() == ids::CLSID_ZorvAX();
  DispatchObject* made = nullptr;
  try {
    made = new DispatchObject(factory.classId(), control ? ids::IID_DZorvAX() : kNoDispatchInterface);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (const std::exception&) {
    return E_FAIL;
  }
  HRESULT hr = factory.createInstance(made->services_.env(made->ui_), made->object_);
  try {
    if (control && SUCCEEDED(hr)) {
      made->gate_ = std::make_unique<PageOriginGate>(made->ui_, made->services_.registry());
      made->embedding_ = std::make_unique<OleEmbedding>(*static_cast<IDispatch*>(made),
                                                        static_cast<CZorvAXCtrl&>(*made->object_), made->ui_,
                                                        [gate = made->gate_.get()] { gate->siteChanged(); });
    } else if (!control) made->page_ = std::make_unique<PropertyPageObject>(*static_cast<IDispatch*>(made));
  } catch (const std::bad_alloc&) {
    hr = E_OUTOFMEMORY;
  }
  if (SUCCEEDED(hr)) hr = made->QueryInterface(iid, object);
  made->Release();
  return hr;
}

bool DispatchObject::isDispatchInterface(REFIID iid) const {
  return IsEqualIID(iid, IID_IDispatch) || (!(dispatchId_ == kNoDispatchInterface) && IsEqualIID(iid, systemId(dispatchId_)));
}

HRESULT DispatchObject::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || isDispatchInterface(iid))
    *object = static_cast<IDispatch*>(this);
  else if (IsEqualIID(iid, IID_IProvideClassInfo))
    *object = static_cast<IProvideClassInfo*>(this);
  else if (IsEqualIID(iid, IID_IObjectSafety))
    *object = static_cast<IObjectSafety*>(this);
  else if (IsEqualIID(iid, IID_ISupportErrorInfo))
    *object = static_cast<ISupportErrorInfo*>(this);
  else if (gate_ && IsEqualIID(iid, IID_IObjectWithSite))
    *object = static_cast<IObjectWithSite*>(this);
  else if (embedding_)
    return embedding_->query(iid, object);
  else if (page_ && (IsEqualIID(iid, IID_IPropertyPage)))
    *object = static_cast<IPropertyPage*>(page_.get());
  else {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

ULONG DispatchObject::AddRef() { return ++references_; }

ULONG DispatchObject::Release() {
  ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

HRESULT DispatchObject::GetTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = dispatchId_ == kNoDispatchInterface ? 0 : 1;
  return S_OK;
}

HRESULT DispatchObject::GetTypeInfo(UINT index, LCID, ITypeInfo** info) {
  if (!info) return E_POINTER;
  *info = nullptr;
  if (index != 0 || dispatchId_ == kNoDispatchInterface) return DISP_E_BADINDEX;
  return embeddedTypeInfo(dispatchId_, info);
}

HRESULT DispatchObject::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid, DISPID* dispids) {
  if ((count > 0 && !names) || !dispids) return E_POINTER;
  std::vector<std::u16string> wanted;
  for (UINT i = 0; i < count; ++i) wanted.push_back(textOf(names[i]));
  std::vector<ole::DISPID> found;
  const HRESULT hr = dispatchId_ == ids::IID_DZorvAX()
                         ? lookupNames(ourId(iid), wanted, lcid, registeredTypeLibraryLoads(lcid), found)
                         : object_->getIDsOfNames(ourId(iid), wanted, lcid, found);
  for (UINT i = 0; i < count; ++i) dispids[i] = i < found.size() ? found[i] : DISPID_UNKNOWN;
  return hr;
}

HRESULT DispatchObject::Invoke(DISPID dispid, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* parameters,
                               VARIANT* result, EXCEPINFO* exception, UINT* argumentError) {
  if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  if (!pageAdmitted()) return E_ACCESSDENIED;
  std::vector<ole::Variant> args;
  HRESULT hr = scriptArguments(parameters, flags, args, argumentError);
  if (FAILED(hr)) return hr;
  ole::Variant answer;
  ole::ExcepInfo failure;
  hr = object_->invoke(dispid, ourId(iid), lcid, flags, args, result ? &answer : nullptr, &failure);
  if (hr == DISP_E_EXCEPTION) reportException(failure, exception);
  if (FAILED(hr) || !result) return hr;
  return platform::win32::toVariant(answer, result);
}

HRESULT DispatchObject::GetClassInfo(ITypeInfo** info) {
  if (!info) return E_POINTER;
  *info = nullptr;
  return embeddedTypeInfo(classId_, info);
}

HRESULT DispatchObject::GetInterfaceSafetyOptions(REFIID iid, DWORD* supported, DWORD* enabled) {
  if (!supported || !enabled) return E_POINTER;
  if (!isDispatchInterface(iid)) return E_NOINTERFACE;
  *supported = kSafeOptions;
  *enabled = safety_;
  return S_OK;
}

HRESULT DispatchObject::SetInterfaceSafetyOptions(REFIID iid, DWORD mask, DWORD enabled) {
  if (!isDispatchInterface(iid)) return E_NOINTERFACE;
  if (mask & ~kSafeOptions) return E_FAIL;
  safety_ = (safety_ & ~mask) | (enabled & mask);
  return S_OK;
}

HRESULT DispatchObject::InterfaceSupportsErrorInfo(REFIID iid) { return isDispatchInterface(iid) ? S_OK : S_FALSE; }

bool DispatchObject::pageAdmitted() {
  if (!gate_) return true;
  IOleClientSite* client = nullptr;
  if (!site_) embedding_->GetClientSite(&client);
  const bool admitted = gate_->admits(site_ ? site_ : client);
  if (client) client->Release();
  // The admitted page's file scope is the control's: what the browser host's pages may reach.
  if (admitted)
    if (auto* state = dynamic_cast<ControlState*>(object_.get())) state->pageOrigin = gate_->pageOrigin();
  return admitted;
}

HRESULT DispatchObject::SetSite(IUnknown* site) {
  if (site) site->AddRef();
  if (site_) site_->Release();
  site_ = site;
  gate_->siteChanged();
  return S_OK;
}

HRESULT DispatchObject::GetSite(REFIID iid, void** site) {
  if (!site) return E_POINTER;
  *site = nullptr;
  return site_ ? site_->QueryInterface(iid, site) : E_FAIL;
}

}  // namespace zx::com
