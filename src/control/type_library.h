#pragma once
// The control's type library (ZORVAXLib 1.0) in the classes root: registered from the module,
// and loadable by its GUID only while it is registered.
#include "platform/ole.h"
#include "platform/registry.h"

namespace zx {

// The version the class entries name as well.
inline constexpr const char* kTypeLibraryVersionText = "1.0";

// TypeLib\{LIBID}\1.0 with the module's path and the Interface keys of its two dispinterfaces.
// TYPE_E_LIBNOTREGISTERED when the module cannot name its own file.
ole::HRESULT registerTypeLibrary(platform::Registry& registry);
// Fails with TYPE_E_LIBNOTREGISTERED when the library is not registered.
ole::HRESULT unregisterTypeLibrary(platform::Registry& registry);
// True when the library is registered with a module path, as loading it by its GUID needs.
bool isTypeLibraryRegistered(platform::Registry& registry);
// True when loading the library by its GUID for the locale finds it, as the system looks: under
// the locale itself, its primary language or the neutral locale. The library is registered
// for 0x409 alone, so a Korean caller (0x412) does not get it.
bool typeLibraryLoads(platform::Registry& registry, ole::LCID lcid);

}  // namespace zx
