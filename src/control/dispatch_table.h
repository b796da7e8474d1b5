#pragma once
// The control's dispatch table: 26 members in their fixed order, their DISPIDs, the 19 of
// them the type library describes, name lookup and invocation.
#include <functional>
#include <memory>
#include <string>
#include <vector>

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

// Whether the type library can be loaded for a locale. It travels inside the module, so it
// always can, unless a test says otherwise.
bool typeLibraryAvailable(ole::LCID lcid);
void setTypeLibraryAvailable(bool available);

// The type information: the members the type library lists, in table order.
std::vector<const DispatchMember*> typeInfoMembers();

ole::HRESULT lookupNames(const ole::Guid& iid, const std::vector<std::u16string>& names, ole::LCID lcid,
                         std::vector<ole::DISPID>& dispids);
ole::HRESULT invokeMember(CZorvAXCtrl& control, ole::DISPID dispid, std::uint16_t flags,
                          const std::vector<ole::Variant>& args, ole::Variant* result);

}  // namespace zx
