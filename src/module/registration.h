#pragma once
// The module's self-registration in the classes root of the registry store, in the layout
// the platform uses for in-process controls, and creation of objects by ProgID.
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/api.h"
#include "platform/env.h"
#include "platform/ole.h"
#include "platform/registry.h"

namespace zx {

struct ControlClass {
  const ole::Guid* clsid;
  const char* progId;
  const char* typeName;
  unsigned miscStatus;
};
// CLSID\{...} with its server, ProgID, control, bitmap, status, type library and version
// entries, and the ProgID key. False when the store refuses a write.
bool registerControlClass(platform::Registry& registry, const ControlClass& control);
// Removes the class's entries and its ProgID; keys others added below the class key (its
// implemented categories) stay, and so does the class key holding them.
bool unregisterControlClass(platform::Registry& registry, const ControlClass& control);

// CLSID\{...} with its type name and server.
bool registerPropertyPageClass(platform::Registry& registry, const ole::Guid& clsid, const char* typeName);
bool unregisterPropertyPageClass(platform::Registry& registry, const ole::Guid& clsid);

// Component Categories\{CATID} with its description (cut to 127 characters), and the class's
// Implemented Categories entry. Failures are the caller's to ignore.
bool registerCategory(platform::Registry& registry, const ole::Guid& catid, std::string_view description);
bool registerImplementedCategory(platform::Registry& registry, const ole::Guid& clsid, const ole::Guid& catid);

// The class a ProgID names in the store, or nullopt when it names none.
ZX_API std::optional<ole::Guid> clsidFromProgId(platform::Registry& registry, std::string_view progId);
// A new object of the class the ProgID names, made by this module's factory for it when the
// class is registered with a server. CO_E_CLASSSTRING for an unknown ProgID,
// REGDB_E_CLASSNOTREG for a class without a server, CLASS_E_CLASSNOTAVAILABLE for a class of
// another module.
ZX_API ole::HRESULT createObjectByProgId(const platform::Env& env, std::string_view progId,
                                  std::shared_ptr<ole::Dispatch>& object);

// What the module's registration entry points do, against the given store: the type library,
// then every factory's classes. SELFREG_E_TYPELIB or SELFREG_E_CLASS for the step that failed.
ole::HRESULT registerModule(platform::Registry& registry);
ole::HRESULT unregisterModule(platform::Registry& registry);

}  // namespace zx
