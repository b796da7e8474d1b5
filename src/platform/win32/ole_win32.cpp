#include "platform/win32/ole_win32.h"
#include "platform/win32/msxml_document.h"

#include <oleauto.h>

namespace zx::platform::win32 {

std::u16string textOf(BSTR text) {
  return text ? std::u16string(reinterpret_cast<const char16_t*>(text), SysStringLen(text)) : std::u16string();
}

namespace {

std::wstring_view wideOf(const std::u16string& text) {
  return {reinterpret_cast<const wchar_t*>(text.data()), text.size()};
}


// A system dispatch object, reached through its own GetIDsOfNames and Invoke.
class SystemDispatch : public ole::Dispatch {
 public:
  explicit SystemDispatch(IDispatch* object) : object_(object) { object_->AddRef(); }
  ~SystemDispatch() override { object_->Release(); }
  SystemDispatch(const SystemDispatch&) = delete;
  SystemDispatch& operator=(const SystemDispatch&) = delete;

  IDispatch* system() const { return object_; }

  ole::HRESULT getIDsOfNames(const ole::Guid& iid, const std::vector<std::u16string>& names, ole::LCID lcid,
                             std::vector<ole::DISPID>& dispids) override {
    std::vector<LPOLESTR> pointers;
    std::vector<std::u16string> copies(names);
    for (auto& name : copies) pointers.push_back(reinterpret_cast<LPOLESTR>(name.data()));
    std::vector<DISPID> found(names.size(), DISPID_UNKNOWN);
    HRESULT hr = object_->GetIDsOfNames(reinterpret_cast<const IID&>(iid), pointers.data(),
                                        static_cast<UINT>(pointers.size()), lcid, found.data());
    dispids.assign(found.begin(), found.end());
    return hr;
  }

  ole::HRESULT invoke(ole::DISPID dispid, const ole::Guid& iid, ole::LCID lcid, std::uint16_t flags,
                      const std::vector<ole::Variant>& args, ole::Variant* result,
                      ole::ExcepInfo* excepInfo) override {
    // DISPPARAMS holds the arguments last first.
    std::vector<VARIANT> values(args.size());
    for (auto& value : values) VariantInit(&value);
    HRESULT hr = S_OK;
    for (size_t i = 0; i < args.size() && SUCCEEDED(hr); ++i) hr = toVariant(args[i], &values[args.size() - 1 - i]);
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS parameters{values.data(), (flags & DISPATCH_PROPERTYPUT) ? &named : nullptr,
                          static_cast<UINT>(values.size()), (flags & DISPATCH_PROPERTYPUT) ? 1u : 0u};
    VARIANT answer;
    VariantInit(&answer);
    EXCEPINFO exception{};
    if (SUCCEEDED(hr))
      hr = object_->Invoke(dispid, reinterpret_cast<const IID&>(iid), lcid, flags, &parameters, &answer, &exception,
                           nullptr);
    if (hr == DISP_E_EXCEPTION && excepInfo)
      *excepInfo = {textOf(exception.bstrSource), textOf(exception.bstrDescription), exception.scode};
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
    if (SUCCEEDED(hr) && result) {
      auto converted = fromVariant(answer);
      if (converted) *result = std::move(*converted);
      else hr = DISP_E_TYPEMISMATCH;
    }
    VariantClear(&answer);
    for (auto& value : values) VariantClear(&value);
    return hr;
  }

  void* queryInterface(const ole::Guid& iid) override {
    if (!(iid == IID_XmlDomDocument())) return nullptr;
    if (!document_) document_ = msxmlDocumentOf(object_);
    return document_.get();
  }

 private:
  IDispatch* object_;
  std::unique_ptr<XmlDomDocument> document_;
};

}  // namespace

std::optional<ole::Variant> fromVariant(const VARIANT& value) {
  if (V_VT(&value) == (VT_BYREF | VT_VARIANT)) return fromVariant(*V_VARIANTREF(&value));
  switch (V_VT(&value)) {
    case VT_EMPTY:
      return ole::Variant();
    case VT_BSTR:
      return ole::Variant::fromString(textOf(V_BSTR(&value)));
    case VT_DISPATCH:
      return ole::Variant::fromDispatch(wrapDispatch(V_DISPATCH(&value)));
    case VT_NULL:
    case VT_UNKNOWN:
    case VT_ERROR:
      return std::nullopt;
    default:
      break;
  }
  // Whole numbers become integers; every other value becomes its text, as the system's
  // coercion writes it.
  VARIANT converted;
  VariantInit(&converted);
  const VARTYPE type = V_VT(&value) & ~VT_BYREF;
  const bool whole = type == VT_I1 || type == VT_I2 || type == VT_I4 || type == VT_INT || type == VT_UI1 ||
                     type == VT_UI2 || type == VT_UI4 || type == VT_UINT;
  if (FAILED(VariantChangeType(&converted, const_cast<VARIANT*>(&value), 0, whole ? VT_I4 : VT_BSTR)))
    return std::nullopt;
  std::optional<ole::Variant> result =
      whole ? ole::Variant::fromInt(V_I4(&converted)) : ole::Variant::fromString(textOf(V_BSTR(&converted)));
  VariantClear(&converted);
  return result;
}

HRESULT toVariant(const ole::Variant& value, VARIANT* out) {
  VariantInit(out);
  switch (value.type()) {
    case ole::Variant::Type::Empty:
      return S_OK;
    case ole::Variant::Type::Int32:
      V_VT(out) = VT_I4;
      V_I4(out) = value.intValue();
      return S_OK;
    case ole::Variant::Type::String: {
      std::wstring_view text = wideOf(value.stringValue());
      BSTR copy = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
      if (!copy) return E_OUTOFMEMORY;
      V_VT(out) = VT_BSTR;
      V_BSTR(out) = copy;
      return S_OK;
    }
    case ole::Variant::Type::Dispatch: {
      IDispatch* object = systemDispatchOf(value.dispatchValue().get());
      if (value.dispatchValue() && !object) return DISP_E_TYPEMISMATCH;
      if (object) object->AddRef();
      V_VT(out) = VT_DISPATCH;
      V_DISPATCH(out) = object;
      return S_OK;
    }
  }
  return DISP_E_TYPEMISMATCH;
}

std::shared_ptr<ole::Dispatch> wrapDispatch(IDispatch* object) {
  return object ? std::make_shared<SystemDispatch>(object) : nullptr;
}

IDispatch* systemDispatchOf(const ole::Dispatch* object) {
  auto* wrapped = dynamic_cast<const SystemDispatch*>(object);
  return wrapped ? wrapped->system() : nullptr;
}

}  // namespace zx::platform::win32
