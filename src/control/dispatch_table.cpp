#include "control/dispatch_table.h"

#include <new>

#include "control/scripting.h"
#include "control/zorvax_ctrl.h"

namespace zx {
namespace {

using ole::DISPID;
using ole::HRESULT;

DispatchMember textProperty(const char* name, DISPID id, bool inTypeLibrary, std::string CZorvAXCtrl::*member,
                            void (CZorvAXCtrl::*onChange)() = &CZorvAXCtrl::SetModifiedFlag) {
  DispatchMember m{name, id, MemberKind::TextProperty, inTypeLibrary};
  m.textProperty = member;
  m.onChange = onChange;
  return m;
}

DispatchMember intProperty(const char* name, DISPID id, std::int32_t CZorvAXCtrl::*member) {
  DispatchMember m{name, id, MemberKind::IntProperty, true};
  m.intProperty = member;
  m.onChange = &CZorvAXCtrl::SetModifiedFlag;
  return m;
}

DispatchMember method(const char* name, DISPID id, bool inTypeLibrary, std::vector<ParamType> params,
                      ResultType result, std::function<MethodResult(CZorvAXCtrl&, const MethodArgs&)> call) {
  DispatchMember m{name, id, MemberKind::Method, inTypeLibrary};
  m.params = std::move(params);
  m.result = result;
  m.call = std::move(call);
  return m;
}

MethodResult number(std::int32_t value) { return {value, {}}; }
MethodResult text(std::string value) { return {0, std::move(value)}; }

constexpr auto T = ParamType::Text;
constexpr auto D = ParamType::Dispatch;

std::vector<DispatchMember> buildTable() {
  using C = CZorvAXCtrl;
  std::vector<DispatchMember> t;
  t.push_back(textProperty("Port", 1, false, &C::Port, &C::OnPortChanged));
  t.push_back(textProperty("Package", 2, false, &C::Package, &C::OnPackageChanged));
  t.push_back(textProperty("Hostname", 3, false, &C::Hostname, &C::OnHostnameChanged));
  t.push_back(textProperty("Pubkey", 4, true, &C::Pubkey));
  t.push_back(textProperty("Filename", 5, true, &C::Filename));
  t.push_back(textProperty("url", 6, true, &C::url));
  t.push_back(intProperty("size", 7, &C::size));
  t.push_back(textProperty("FileFilter", 8, true, &C::FileFilter));
  t.push_back(textProperty("dialog", 9, true, &C::dialog));
  t.push_back(intProperty("ret", 10, &C::ret));
  t.push_back(method("setRegisterIfEmpty", 11, false, {T, T}, ResultType::Int, [](C& c, const MethodArgs& a) {
    return number(c.setRegisterIfEmpty(a.texts[0], a.texts[1]));
  }));
  t.push_back(method("setRegisterValue", 12, false, {T, T}, ResultType::Int, [](C& c, const MethodArgs& a) {
    return number(c.setRegisterValue(a.texts[0], a.texts[1]));
  }));
  t.push_back(method("Run", 13, false, {}, ResultType::Int, [](C& c, const MethodArgs&) { return number(c.Run()); }));
  t.push_back(method("getRegisterValue", 14, false, {T}, ResultType::Text,
                     [](C& c, const MethodArgs& a) { return text(c.getRegisterValue(a.texts[0])); }));
  t.push_back(method("getVersion", 15, true, {}, ResultType::Text,
                     [](C& c, const MethodArgs&) { return text(c.getVersion()); }));
  t.push_back(method("download", 16, true, {T, T, T, T}, ResultType::Int, [](C& c, const MethodArgs& a) {
    return number(c.download(a.texts[0], a.texts[1], a.texts[2], a.texts[3]));
  }));
  t.push_back(method("getPath", 17, true, {}, ResultType::Text, [](C& c, const MethodArgs&) { return text(c.getPath()); }));
  t.push_back(method("removeFile", 18, true, {}, ResultType::None, [](C& c, const MethodArgs&) {
    c.removeFile();
    return MethodResult{};
  }));
  t.push_back(method("showFile", 19, true, {}, ResultType::None, [](C& c, const MethodArgs&) {
    c.showFile();
    return MethodResult{};
  }));
  t.push_back(method("saveXml", 20, true, {D}, ResultType::Int,
                     [](C& c, const MethodArgs& a) { return number(c.saveXml(a.objects[0])); }));
  t.push_back(method("upload", 21, true, {T, T, T}, ResultType::Int, [](C& c, const MethodArgs& a) {
    return number(c.upload(a.texts[0], a.texts[1], a.texts[2]));
  }));
  t.push_back(method("getMACAddr", 22, true, {T}, ResultType::Text,
                     [](C& c, const MethodArgs& a) { return text(c.getMACAddr(a.texts[0])); }));
  t.push_back(method("saveFile", 23, true, {T}, ResultType::Int,
                     [](C& c, const MethodArgs& a) { return number(c.saveFile(a.texts[0])); }));
  t.push_back(method("saveXmlWithStyle", 24, true, {D, T}, ResultType::Int, [](C& c, const MethodArgs& a) {
    return number(c.saveXmlWithStyle(a.objects[0], a.texts[0]));
  }));
  t.push_back(method("AboutBox", ole::DISPID_ABOUTBOX, true, {}, ResultType::None, [](C& c, const MethodArgs&) {
    c.AboutBox();
    return MethodResult{};
  }));
  t.push_back(method("test_zorvax", 25, true, {}, ResultType::Int,
                     [](C& c, const MethodArgs&) { return number(c.test_zorvax()); }));
  return t;
}

bool sameNameIgnoringCase(std::u16string_view a, const char* b) {
  size_t i = 0;
  for (; i < a.size() && b[i]; ++i) {
    char16_t x = a[i], y = static_cast<unsigned char>(b[i]);
    if (x >= u'A' && x <= u'Z') x += 32;
    if (y >= u'A' && y <= u'Z') y += 32;
    if (x != y) return false;
  }
  return i == a.size() && b[i] == '\0';
}

HRESULT convertArgs(const DispatchMember& member, const std::vector<ole::Variant>& args, MethodArgs& out) {
  if (args.size() != member.params.size()) return ole::DISP_E_BADPARAMCOUNT;
  for (size_t i = 0; i < args.size(); ++i) {
    if (member.params[i] == ParamType::Text) {
      auto s = args[i].asString();
      if (!s) return ole::DISP_E_TYPEMISMATCH;
      out.texts.push_back(fromScriptString(*s));
    } else {
      // Anything but a dispatch object arrives as a null object, which the method reports.
      out.objects.push_back(args[i].type() == ole::Variant::Type::Dispatch ? args[i].dispatchValue() : nullptr);
    }
  }
  return ole::S_OK;
}

HRESULT invokeProperty(CZorvAXCtrl& control, const DispatchMember& member, std::uint16_t flags,
                       const std::vector<ole::Variant>& args, ole::Variant* result) {
  if (flags & ole::DISPATCH_PROPERTYPUT) {
    if (args.size() != 1) return ole::DISP_E_BADPARAMCOUNT;
    if (member.kind == MemberKind::TextProperty) {
      auto s = args[0].asString();
      if (!s) return ole::DISP_E_TYPEMISMATCH;
      control.*member.textProperty = fromScriptString(*s);
    } else {
      auto n = args[0].asInt();
      if (!n) return ole::DISP_E_TYPEMISMATCH;
      control.*member.intProperty = *n;
    }
    (control.*member.onChange)();
    return ole::S_OK;
  }
  if (!(flags & ole::DISPATCH_PROPERTYGET)) return ole::DISP_E_MEMBERNOTFOUND;
  if (!args.empty()) return ole::DISP_E_BADPARAMCOUNT;
  if (result) {
    *result = member.kind == MemberKind::TextProperty ? ole::Variant::fromString(toScriptString(control.*member.textProperty))
                                                       : ole::Variant::fromInt(control.*member.intProperty);
  }
  return ole::S_OK;
}

HRESULT invokeMethod(CZorvAXCtrl& control, const DispatchMember& member, std::uint16_t flags,
                     const std::vector<ole::Variant>& args, ole::Variant* result) {
  if (!(flags & ole::DISPATCH_METHOD)) return ole::DISP_E_MEMBERNOTFOUND;
  MethodArgs converted;
  if (HRESULT rc = convertArgs(member, args, converted); rc != ole::S_OK) return rc;
  if (!member.call) return ole::E_NOTIMPL;
  MethodResult r = member.call(control, converted);
  if (result) {
    if (member.result == ResultType::Int) *result = ole::Variant::fromInt(r.number);
    else if (member.result == ResultType::Text) *result = ole::Variant::fromString(toScriptString(r.text));
    else *result = ole::Variant();
  }
  return ole::S_OK;
}

}  // namespace

const std::vector<DispatchMember>& dispatchTable() {
  static const std::vector<DispatchMember> table = buildTable();
  return table;
}

const DispatchMember* findMember(DISPID dispid) {
  for (const auto& m : dispatchTable())
    if (m.dispid == dispid) return &m;
  return nullptr;
}

std::vector<const DispatchMember*> typeInfoMembers() {
  std::vector<const DispatchMember*> members;
  for (const auto& m : dispatchTable())
    if (m.inTypeLibrary) members.push_back(&m);
  return members;
}

HRESULT lookupNames(const ole::Guid& iid, const std::vector<std::u16string>& names, ole::LCID lcid,
                    bool typeLibraryLoads, std::vector<DISPID>& dispids) {
  if (!(iid == ole::IID_NULL())) return ole::DISP_E_UNKNOWNINTERFACE;
  dispids.assign(names.size(), -1);
  if (names.empty()) return ole::S_OK;
  bool fromTypeLibrary = lcid != 0 && typeLibraryLoads;
  for (const auto& m : dispatchTable()) {
    if (fromTypeLibrary && !m.inTypeLibrary) continue;
    if (sameNameIgnoringCase(names[0], m.name)) {
      dispids[0] = m.dispid;
      // No member takes named arguments.
      return names.size() == 1 ? ole::S_OK : ole::DISP_E_UNKNOWNNAME;
    }
  }
  return ole::DISP_E_UNKNOWNNAME;
}

std::optional<MemberShape> memberShape(DISPID dispid) {
  const DispatchMember* member = findMember(dispid);
  if (!member) return std::nullopt;
  if (member->kind != MemberKind::Method) return MemberShape{0, true};
  return MemberShape{member->params.size(), member->result != ResultType::None};
}

std::optional<DISPID> memberId(std::u16string_view name) {
  for (const auto& m : dispatchTable())
    if (sameNameIgnoringCase(name, m.name)) return m.dispid;
  return std::nullopt;
}

HRESULT invokeMember(CZorvAXCtrl& control, DISPID dispid, std::uint16_t flags, const std::vector<ole::Variant>& args,
                     ole::Variant* result) {
  const DispatchMember* member = findMember(dispid);
  if (!member) return ole::DISP_E_MEMBERNOTFOUND;
  try {
    if (member->kind == MemberKind::Method) return invokeMethod(control, *member, flags, args, result);
    return invokeProperty(control, *member, flags, args, result);
  } catch (const std::bad_alloc&) {
    return ole::E_OUTOFMEMORY;
  } catch (const std::exception&) {
    // A failure no method caught must not take the page down with it.
    return ole::DISP_E_EXCEPTION;
  }
}

}  // namespace zx
