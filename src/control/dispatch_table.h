#pragma once
// The control's dispatch table: 26 members in their fixed order, their DISPIDs, the 19 of
// them the type library describes, name lookup and invocation.
#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <string>
#include <vector>

#include "platform/api.h"
#include "platform/ole.h"

namespace zx {

class CZorvAXCtrl;

enum class MemberKind { TextProperty, IntProperty, Method };
enum class ParamType { Text, Dispatch };
enum class ResultType { None, Int, Text };

// The arguments of a method call, converted at the boundary.
struct MethodArgs {
  std::vector<std::string> texts;                         // text parameters in order
  std::vector<std::shared_ptr<ole::Dispatch>> objects;    // dispatch parameters in order
};

struct MethodResult {
  std::int32_t number = 0;
  std::string text;
};

struct DispatchMember {
  const char* name;
  ole::DISPID dispid;
  MemberKind kind;
  bool inTypeLibrary;
  std::string CZorvAXCtrl::*textProperty = nullptr;
  std::int32_t CZorvAXCtrl::*intProperty = nullptr;
  void (CZorvAXCtrl::*onChange)() = nullptr;
  std::vector<ParamType> params;
  ResultType result = ResultType::None;
  // nullptr: the member's body is not part of this build (E_NOTIMPL).
  std::function<MethodResult(CZorvAXCtrl&, const MethodArgs&)> call;
};

const std::vector<DispatchMember>& dispatchTable();
const DispatchMember* findMember(ole::DISPID dispid);

// The type information: the members the type library lists, in table order.
std::vector<const DispatchMember*> typeInfoMembers();

// With a non-zero locale and a type library that loads, only the names it lists are found.
ole::HRESULT lookupNames(const ole::Guid& iid, const std::vector<std::u16string>& names, ole::LCID lcid,
                         bool typeLibraryLoads, std::vector<ole::DISPID>& dispids);
// What a host needs to know to call a member from a command line: how many arguments it takes
// (0 for a property) and whether it answers something. nullopt for no member.
struct MemberShape {
  std::size_t parameters = 0;
  bool hasResult = false;
};
ZX_API std::optional<MemberShape> memberShape(ole::DISPID dispid);
// The member of that name in the control's own table (locale 0), without regard to case.
ZX_API std::optional<ole::DISPID> memberId(std::u16string_view name);

ole::HRESULT invokeMember(CZorvAXCtrl& control, ole::DISPID dispid, std::uint16_t flags,
                          const std::vector<ole::Variant>& args, ole::Variant* result);

}  // namespace zx
