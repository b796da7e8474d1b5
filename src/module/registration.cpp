#include "module/registration.h"

#include "control/zorvax_ctrl.h"
#include "control/type_library.h"
#include "core/classes_root.h"
#include "core/file_helpers.h"
#include "module/class_factory.h"
#include "platform/module_file.h"
#include "platform/registry.h"

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
  ClassFactory* factory = factoryFor(*clsid);
  if (!factory) return ole::CLASS_E_CLASSNOTAVAILABLE;
  return factory->createInstance(env, object);
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
