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

}  // namespace zx
