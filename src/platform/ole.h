#pragma once
// The scripting object model the control is built on: GUIDs, result codes, VARIANT-like
// values, dispatch by name and DISPID, and class factories.
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/api.h"

namespace zx::ole {

using HRESULT = std::int32_t;
using DISPID = std::int32_t;
using LCID = std::uint32_t;

constexpr HRESULT hr(std::uint32_t code) { return static_cast<HRESULT>(code); }
constexpr HRESULT S_OK = 0, S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = hr(0x80004001), E_NOINTERFACE = hr(0x80004002), E_POINTER = hr(0x80004003),
                  E_FAIL = hr(0x80004005), E_OUTOFMEMORY = hr(0x8007000E), E_INVALIDARG = hr(0x80070057),
                  E_UNEXPECTED = hr(0x8000FFFF), CLASS_E_CLASSNOTAVAILABLE = hr(0x80040111),
                  CLASS_E_NOAGGREGATION = hr(0x80040110), REGDB_E_CLASSNOTREG = hr(0x80040154),
                  SELFREG_E_TYPELIB = hr(0x80040200), SELFREG_E_CLASS = hr(0x80040201),
                  DISP_E_UNKNOWNINTERFACE = hr(0x80020001), DISP_E_MEMBERNOTFOUND = hr(0x80020003),
                  DISP_E_PARAMNOTFOUND = hr(0x80020004), DISP_E_TYPEMISMATCH = hr(0x80020005),
                  DISP_E_UNKNOWNNAME = hr(0x80020006), DISP_E_EXCEPTION = hr(0x80020009),
                  DISP_E_BADPARAMCOUNT = hr(0x8002000E), TYPE_E_LIBNOTREGISTERED = hr(0x8002801D);

constexpr bool failed(HRESULT code) { return code < 0; }

constexpr std::uint16_t DISPATCH_METHOD = 1, DISPATCH_PROPERTYGET = 2, DISPATCH_PROPERTYPUT = 4;
constexpr DISPID DISPID_ABOUTBOX = -552;

struct ZX_API Guid {
  std::uint32_t data1 = 0;
  std::uint16_t data2 = 0, data3 = 0;
  std::array<std::uint8_t, 8> data4{};

  // "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}"
  static std::optional<Guid> parse(std::string_view text);
  // A GUID written in the source, which is known to be well formed.
  static Guid constant(std::string_view text) { return *parse(text); }
  std::string toString() const;
  bool operator==(const Guid&) const = default;
};

ZX_API const Guid& IID_NULL();

class Dispatch;

// A script value: empty, a 32-bit integer, a script string (UTF-16) or a dispatch object.
class ZX_API Variant {
 public:
  enum class Type { Empty, Int32, String, Dispatch };

  Variant() = default;
  static Variant fromInt(std::int32_t value);
  static Variant fromString(std::u16string value);
  static Variant fromDispatch(std::shared_ptr<ole::Dispatch> object);

  Type type() const { return type_; }
  std::int32_t intValue() const { return int_; }
  const std::u16string& stringValue() const { return string_; }
  const std::shared_ptr<ole::Dispatch>& dispatchValue() const { return dispatch_; }

  // Coercions as the dispatcher applies them to arguments.
  std::optional<std::u16string> asString() const;
  std::optional<std::int32_t> asInt() const;

 private:
  Type type_ = Type::Empty;
  std::int32_t int_ = 0;
  std::u16string string_;
  std::shared_ptr<ole::Dispatch> dispatch_;
};

struct ExcepInfo {
  std::u16string source;
  std::u16string description;
  HRESULT scode = S_OK;
};

class ZX_API Dispatch {
 public:
  virtual ~Dispatch() = default;
  virtual HRESULT getIDsOfNames(const Guid& iid, const std::vector<std::u16string>& names, LCID lcid,
                                std::vector<DISPID>& dispids) = 0;
  // Arguments in the order the caller wrote them.
  virtual HRESULT invoke(DISPID dispid, const Guid& iid, LCID lcid, std::uint16_t flags,
                         const std::vector<Variant>& args, Variant* result, ExcepInfo* excepInfo) = 0;
  // Another interface of the same object, or nullptr.
  virtual void* queryInterface(const Guid& iid) { return nullptr; }
};

}  // namespace zx::ole
