#include "control/registration.h"

#include "control/class_factory.h"
#include "control/file_helpers.h"
#include "control/zorvax_ctrl.h"
#include "platform/module_file.h"
#include "platform/registry.h"

namespace zx {
namespace {

namespace reg = platform::reg;
using platform::Hive;

constexpr ole::HRESULT CO_E_CLASSSTRING = ole::hr(0x800401F3);
constexpr const char* kTypeLibraryHelpString = "ZorvAX ActiveX Control module";
constexpr const char* kTypeLibraryVersion = "1.0";
// The type library describes itself in locale 0x0409.
constexpr const char* kTypeLibraryLocale = "409";
// Dispinterfaces are marshalled by the system's dispatch proxy.
constexpr const char* kDispatchProxy = "{00020420-0000-0000-C000-000000000046}";

platform::Registry& store() { return platform::registry(); }

bool setText(const std::string& keyPath, std::string_view name, std::string_view text) {
  auto key = store().createKey(Hive::ClassesRoot, keyPath, reg::kKeyAllAccess);
  return key && store().setValue(*key, name, reg::REG_SZ, text.data(), static_cast<std::uint32_t>(text.size())) ==
                    reg::kSuccess;
}

bool createKey(const std::string& keyPath) {
  return store().createKey(Hive::ClassesRoot, keyPath, reg::kKeyAllAccess) != nullptr;
}

std::optional<std::string> readText(const std::string& keyPath, std::string_view name) {
  auto key = store().openKey(Hive::ClassesRoot, keyPath, reg::kMaximumAllowed);
  if (!key) return std::nullopt;
  std::uint32_t size = 0;
  if (store().queryValue(*key, name, nullptr, &size) == reg::kFileNotFound) return std::nullopt;
  std::string text(size, '\0');
  if (store().queryValue(*key, name, text.data(), &size) != reg::kSuccess) return std::nullopt;
  text.resize(size);
  return text;
}

// A key that is not there needs no removing; only a store that fails is a failure.
bool removeTree(const std::string& keyPath) {
  long status = reg::kSuccess;
  if (!store().openKey(Hive::ClassesRoot, keyPath, reg::kMaximumAllowed, &status))
    return status == reg::kFileNotFound;
  return store().deleteTree(Hive::ClassesRoot, keyPath) == reg::kSuccess;
}

// Removes the key only when nothing is left below it, as a plain key deletion does.
bool removeIfLeaf(const std::string& keyPath) {
  long status = reg::kSuccess;
  auto key = store().openKey(Hive::ClassesRoot, keyPath, reg::kMaximumAllowed, &status);
  if (!key) return status == reg::kFileNotFound;
  if (!store().subkeys(*key).empty()) return true;
  return store().deleteTree(Hive::ClassesRoot, keyPath) == reg::kSuccess;
}

std::string classKey(const ole::Guid& clsid) { return "CLSID\\" + clsid.toString(); }
std::string typeLibraryKey() { return "TypeLib\\" + ids::LIBID_ZORVAXLib().toString(); }
std::string typeLibraryVersionKey() { return typeLibraryKey() + "\\" + kTypeLibraryVersion; }

bool registerServer(const std::string& key, const std::string& module) {
  return setText(key + "\\InprocServer32", "", module) && setText(key + "\\InprocServer32", "ThreadingModel", "Apartment");
}

struct DispInterface {
  const ole::Guid& iid;
  const char* name;
};

std::vector<DispInterface> dispInterfaces() {
  return {{ids::IID_DZorvAX(), "_DZorvAX"}, {ids::IID_DZorvAXEvents(), "_DZorvAXEvents"}};
}

bool registerInterface(const DispInterface& dispInterface) {
  const std::string key = "Interface\\" + dispInterface.iid.toString();
  return setText(key, "", dispInterface.name) && setText(key + "\\ProxyStubClsid", "", kDispatchProxy) &&
         setText(key + "\\ProxyStubClsid32", "", kDispatchProxy) &&
         setText(key + "\\TypeLib", "", ids::LIBID_ZORVAXLib().toString()) &&
         setText(key + "\\TypeLib", "Version", kTypeLibraryVersion);
}

}  // namespace

ole::HRESULT registerTypeLibrary() {
  // The library travels inside the module: without the module's name it cannot be found.
  const std::string module = platform::moduleFileName();
  if (module.empty()) return ole::TYPE_E_LIBNOTREGISTERED;
  const std::string key = typeLibraryVersionKey();
  bool written = setText(key, "", kTypeLibraryHelpString) &&
                 setText(key + "\\" + kTypeLibraryLocale + "\\win32", "", module) &&
                 setText(key + "\\FLAGS", "", "0") && setText(key + "\\HELPDIR", "", directoryOf(module));
  for (const DispInterface& dispInterface : dispInterfaces()) written = written && registerInterface(dispInterface);
  return written ? ole::S_OK : ole::E_FAIL;
}

ole::HRESULT unregisterTypeLibrary() {
  long status = reg::kSuccess;
  if (!store().openKey(Hive::ClassesRoot, typeLibraryVersionKey(), reg::kMaximumAllowed, &status))
    return status == reg::kFileNotFound ? ole::TYPE_E_LIBNOTREGISTERED : ole::E_FAIL;
  bool removed = removeTree(typeLibraryVersionKey()) && removeIfLeaf(typeLibraryKey());
  for (const DispInterface& dispInterface : dispInterfaces())
    removed = removeTree("Interface\\" + dispInterface.iid.toString()) && removed;
  return removed ? ole::S_OK : ole::E_FAIL;
}

bool isTypeLibraryRegistered() {
  const auto path = readText(typeLibraryVersionKey() + "\\" + kTypeLibraryLocale + "\\win32", "");
  return path && !path->empty();
}

bool registerControlClass(const ControlClass& control) {
  const std::string module = platform::moduleFileName();
  if (module.empty()) return false;
  const std::string key = classKey(*control.clsid);
  return setText(key, "", control.typeName) && registerServer(key, module) &&
         setText(key + "\\ProgID", "", control.progId) && createKey(key + "\\Control") &&
         setText(key + "\\ToolboxBitmap32", "", module + ", 1") && setText(key + "\\MiscStatus", "", "0") &&
         setText(key + "\\MiscStatus\\1", "", std::to_string(control.miscStatus)) &&
         setText(key + "\\TypeLib", "", ids::LIBID_ZORVAXLib().toString()) &&
         setText(key + "\\Version", "", kTypeLibraryVersion) &&
         setText(control.progId, "", control.typeName) &&
         setText(std::string(control.progId) + "\\CLSID", "", control.clsid->toString());
}

bool unregisterControlClass(const ControlClass& control) {
  const std::string key = classKey(*control.clsid);
  bool removed = true;
  for (const char* entry : {"InprocServer32", "ProgID", "Control", "ToolboxBitmap32", "MiscStatus", "TypeLib", "Version"})
    removed = removeTree(key + "\\" + entry) && removed;
  removed = removeIfLeaf(key) && removed;
  return removeTree(control.progId) && removed;
}

bool registerPropertyPageClass(const ole::Guid& clsid, const char* typeName) {
  const std::string module = platform::moduleFileName();
  return !module.empty() && setText(classKey(clsid), "", typeName) && registerServer(classKey(clsid), module);
}

bool unregisterPropertyPageClass(const ole::Guid& clsid) {
  return removeTree(classKey(clsid) + "\\InprocServer32") && removeIfLeaf(classKey(clsid));
}

bool registerCategory(const ole::Guid& catid, std::string_view description) {
  return setText("Component Categories\\" + catid.toString(), "409", description.substr(0, 127));
}

bool registerImplementedCategory(const ole::Guid& clsid, const ole::Guid& catid) {
  return createKey(classKey(clsid) + "\\Implemented Categories\\" + catid.toString());
}

std::optional<ole::Guid> clsidFromProgId(std::string_view progId) {
  if (progId.empty() || progId.find('\\') != std::string_view::npos) return std::nullopt;
  const auto text = readText(std::string(progId) + "\\CLSID", "");
  return text ? ole::Guid::parse(*text) : std::nullopt;
}

ole::HRESULT createObjectByProgId(std::string_view progId, std::shared_ptr<ole::Dispatch>& object) {
  object.reset();
  const auto clsid = clsidFromProgId(progId);
  if (!clsid) return CO_E_CLASSSTRING;
  const auto server = readText(classKey(*clsid) + "\\InprocServer32", "");
  if (!server || server->empty()) return ole::REGDB_E_CLASSNOTREG;
  void* factory = nullptr;
  const ole::HRESULT found = DllGetClassObject(&*clsid, &ids::IID_IClassFactory(), &factory);
  if (ole::failed(found)) return found;
  return static_cast<ole::ClassFactory*>(factory)->createInstance(object);
}

}  // namespace zx

extern "C" {

zx::ole::HRESULT DllRegisterServer() {
  if (zx::ole::failed(zx::registerTypeLibrary())) return zx::ole::SELFREG_E_TYPELIB;
  for (zx::ole::ClassFactory* factory : zx::moduleFactories())
    if (zx::ole::failed(factory->updateRegistry(true))) return zx::ole::SELFREG_E_CLASS;
  return zx::ole::S_OK;
}

zx::ole::HRESULT DllUnregisterServer() {
  if (zx::ole::failed(zx::unregisterTypeLibrary())) return zx::ole::SELFREG_E_TYPELIB;
  for (zx::ole::ClassFactory* factory : zx::moduleFactories())
    if (zx::ole::failed(factory->updateRegistry(false))) return zx::ole::SELFREG_E_CLASS;
  return zx::ole::S_OK;
}

zx::ole::HRESULT DllGetClassObject(const zx::ole::Guid* clsid, const zx::ole::Guid* iid, void** factory) {
  if (!factory) return zx::ole::E_POINTER;
  *factory = nullptr;
  if (!clsid || !iid) return zx::ole::E_INVALIDARG;
  zx::ole::ClassFactory* found = zx::factoryFor(*clsid);
  if (!found) return zx::ole::CLASS_E_CLASSNOTAVAILABLE;
  if (!(*iid == zx::ids::IID_IClassFactory() || *iid == zx::ids::IID_IUnknown())) return zx::ole::E_NOINTERFACE;
  *factory = found;
  return zx::ole::S_OK;
}

zx::ole::HRESULT DllCanUnloadNow() { return zx::liveObjectCount() == 0 ? zx::ole::S_OK : zx::ole::S_FALSE; }

}  // extern "C"
