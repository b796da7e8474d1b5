// The entry points of the shared library (libzorvax): they serve whoever loaded it, and the
// store is the one the process's environment names at the moment of the call. The Windows
// module has its own, over COM (src/com).
#include "module/class_factory.h"
#include "module/entry_points.h"
#include "module/registration.h"
#include "platform/system_services.h"

extern "C" {

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
