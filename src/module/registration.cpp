#include "module/registration.h"

#include "control/zorvax_ctrl.h"
#include "control/type_library.h"
#include "core/classes_root.h"
#include "core/file_helpers.h"
#include "module/class_factory.h"
#include "platform/module_file.h"
#include "platform/registry.h"
#include "platform/system_services.h"

namespace zx {
namespace {

namespace reg = platform::reg;
using platform::Hive;

constexpr ole::HRESULT CO_E_CLASSSTRING = ole::hr(0x800401F3);

std::string classKey(const ole::Guid& clsid) { return "CLSID\\" + clsid.toString(); }
bool registerServer(ClassesRoot& root, const std::string& key, const std::string& module) {
  return root.setText(key + "\\InprocServer32", "", module) &&
         root.setText(key + "\\InprocServer32", "ThreadingModel", "Apartment");
}

}  // namespace

bool registerControlClass(platform::Registry& registry, const ControlClass& control) {
  const std::string module = platform::moduleFileName();
  if (module.empty()) return false;
  ClassesRoot root(registry);
  const std::string key = classKey(*control.clsid);
  return root.setText(key, "", control.typeName) && registerServer(root, key, module) &&
         root.setText(key + "\\ProgID", "", control.progId) && root.createKey(key + "\\Control") &&
         root.setText(key + "\\ToolboxBitmap32", "", module + ", 1") && root.setText(key + "\\MiscStatus", "", "0") &&
         root.setText(key + "\\MiscStatus\\1", "", std::to_string(control.miscStatus)) &&
         root.setText(key + "\\TypeLib", "", ids::LIBID_ZORVAXLib().toString()) &&
         root.setText(key + "\\Version", "", kTypeLibraryVersionText) && root.setText(control.progId, "", control.typeName) &&
         root.setText(std::string(control.progId) + "\\CLSID", "", control.clsid->toString());
}

bool unregisterControlClass(platform::Registry& registry, const ControlClass& control) {
  ClassesRoot root(registry);
  const std::string key = classKey(*control.clsid);
  bool removed = true;
  for (const char* entry : {"InprocServer32", "ProgID", "Control", "ToolboxBitmap32", "MiscStatus", "TypeLib", "Version"})
    removed = root.removeTree(key + "\\" + entry) && removed;
  removed = root.removeIfLeaf(key) && removed;
  return root.removeTree(control.progId) && removed;
}

bool registerPropertyPageClass(platform::Registry& registry, const ole::Guid& clsid, const char* typeName) {
  const std::string module = platform::moduleFileName();
  ClassesRoot root(registry);
  return !module.empty() && root.setText(classKey(clsid), "", typeName) && registerServer(root, classKey(clsid), module);
}

bool unregisterPropertyPageClass(platform::Registry& registry, const ole::Guid& clsid) {
  ClassesRoot root(registry);
  return root.removeTree(classKey(clsid) + "\\InprocServer32") && root.removeIfLeaf(classKey(clsid));
}

bool registerCategory(platform::Registry& registry, const ole::Guid& catid, std::string_view description) {
  return ClassesRoot(registry).setText("Component Categories\\" + catid.toString(), "409", description.substr(0, 127));
}

bool registerImplementedCategory(platform::Registry& registry, const ole::Guid& clsid, const ole::Guid& catid) {
  return ClassesRoot(registry).createKey(classKey(clsid) + "\\Implemented Categories\\" + catid.toString());
}

std::optional<ole::Guid> clsidFromProgId(platform::Registry& registry, std::string_view progId) {
  if (progId.empty() || progId.find('\\') != std::string_view::npos) return std::nullopt;
  const auto text = ClassesRoot(registry).readText(std::string(progId) + "\\CLSID", "");
  return text ? ole::Guid::parse(*text) : std::nullopt;
}

ole::HRESULT createObjectByProgId(const platform::Env& env, std::string_view progId,
                                  std::shared_ptr<ole::Dispatch>& object) {
  object.reset();
  const auto clsid = clsidFromProgId(env.registry, progId);
  if (!clsid) return CO_E_CLASSSTRING;
  const auto server = ClassesRoot(env.registry).readText(classKey(*clsid) + "\\InprocServer32", "");
  if (!server || server->empty()) return ole::REGDB_E_CLASSNOTREG;
  void* factory = nullptr;
  const ole::HRESULT found = DllGetClassObject(&*clsid, &ids::IID_IClassFactory(), &factory);
  if (ole::failed(found)) return found;
  return static_cast<ClassFactory*>(factory)->createInstance(env, object);
}

ole::HRESULT registerModule(platform::Registry& registry) {
  if (ole::failed(registerTypeLibrary(registry))) return ole::SELFREG_E_TYPELIB;
  for (ClassFactory* factory : moduleFactories())
    if (ole::failed(factory->updateRegistry(registry, true))) return ole::SELFREG_E_CLASS;
  return ole::S_OK;
}

ole::HRESULT unregisterModule(platform::Registry& registry) {
  if (ole::failed(unregisterTypeLibrary(registry))) return ole::SELFREG_E_TYPELIB;
  for (ClassFactory* factory : moduleFactories())
    if (ole::failed(factory->updateRegistry(registry, false))) return ole::SELFREG_E_CLASS;
  return ole::S_OK;
}

}  // namespace zx

extern "C" {

// The entry points serve whoever loaded the module: the store is the one the process's
// environment names at the moment of the call.
zx::ole::HRESULT DllRegisterServer() {
  zx::platform::SystemServices services(zx::platform::SystemSettings::fromEnvironment());
  return zx::registerModule(services.registry());
}

zx::ole::HRESULT DllUnregisterServer() {
  zx::platform::SystemServices services(zx::platform::SystemSettings::fromEnvironment());
  return zx::unregisterModule(services.registry());
}

zx::ole::HRESULT DllGetClassObject(const zx::ole::Guid* clsid, const zx::ole::Guid* iid, void** factory) {
  if (!factory) return zx::ole::E_POINTER;
  *factory = nullptr;
  if (!clsid || !iid) return zx::ole::E_INVALIDARG;
  zx::ClassFactory* found = zx::factoryFor(*clsid);
  if (!found) return zx::ole::CLASS_E_CLASSNOTAVAILABLE;
  if (!(*iid == zx::ids::IID_IClassFactory() || *iid == zx::ids::IID_IUnknown())) return zx::ole::E_NOINTERFACE;
  *factory = found;
  return zx::ole::S_OK;
}

zx::ole::HRESULT DllCanUnloadNow() { return zx::liveObjectCount() == 0 ? zx::ole::S_OK : zx::ole::S_FALSE; }

}  // extern "C"
