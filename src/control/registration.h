#pragma once
// The module's self-registration in the classes root of the registry store, in the layout
// the platform uses for in-process controls, and creation of objects by ProgID.
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/ole.h"

namespace zx {

// The type library's entries: TypeLib\{LIBID}\1.0 and the Interface keys of its two
// dispinterfaces. Unregistering fails when the library is not registered.
ole::HRESULT registerTypeLibrary();
ole::HRESULT unregisterTypeLibrary();
// True when the type library is registered with a module path, as loading it by its GUID needs.
bool isTypeLibraryRegistered();

struct ControlClass {
  const ole::Guid* clsid;
  const char* progId;
  const char* typeName;
  unsigned miscStatus;
};
// CLSID\{...} with its server, ProgID, control, bitmap, status, type library and version
// entries, and the ProgID key. False when the store refuses a write.
bool registerControlClass(const ControlClass& control);
// Removes the class's entries and its ProgID; keys others added below the class key (its
// implemented categories) stay, and so does the class key holding them.
bool unregisterControlClass(const ControlClass& control);

// CLSID\{...} with its type name and server.
bool registerPropertyPageClass(const ole::Guid& clsid, const char* typeName);
bool unregisterPropertyPageClass(const ole::Guid& clsid);

// Component Categories\{CATID} with its description (cut to 127 characters), and the class's
// Implemented Categories entry. Failures are the caller's to ignore.
bool registerCategory(const ole::Guid& catid, std::string_view description);
bool registerImplementedCategory(const ole::Guid& clsid, const ole::Guid& catid);

// The class a ProgID names in the store, or nullopt when it names none.
std::optional<ole::Guid> clsidFromProgId(std::string_view progId);
// A new object of the class the ProgID names, made by this module's factory for it when the
// class is registered with a server. CO_E_CLASSSTRING for an unknown ProgID,
// REGDB_E_CLASSNOTREG for a class without a server, CLASS_E_CLASSNOTAVAILABLE for a class of
// another module.
ole::HRESULT createObjectByProgId(std::string_view progId, std::shared_ptr<ole::Dispatch>& object);

}  // namespace zx

// The module's exported entry points.
extern "C" {
__attribute__((visibility("default"))) zx::ole::HRESULT DllRegisterServer();
__attribute__((visibility("default"))) zx::ole::HRESULT DllUnregisterServer();
// *factory receives the module's zx::ole::ClassFactory for clsid (not owned: the factories
// live as long as the module). iid: IID_IClassFactory or IID_IUnknown.
__attribute__((visibility("default"))) zx::ole::HRESULT DllGetClassObject(const zx::ole::Guid* clsid,
                                                                          const zx::ole::Guid* iid, void** factory);
// S_OK when no object of the module is alive, S_FALSE otherwise.
__attribute__((visibility("default"))) zx::ole::HRESULT DllCanUnloadNow();
}
