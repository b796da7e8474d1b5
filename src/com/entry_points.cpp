// The module's four exported entry points (zorvax.def) and its load notification.
#include "com/class_objects.h"
#include "com/module_state.h"
#include "com/self_registration.h"

#include "platform/win32/system_headers.h"

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) DisableThreadLibraryCalls(instance);
  return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* object) {
  return zx::com::getClassObject(clsid, iid, object);
}

STDAPI DllCanUnloadNow() { return zx::com::canUnload() ? S_OK : S_FALSE; }

STDAPI DllRegisterServer() { return zx::com::registerServer(); }

STDAPI DllUnregisterServer() { return zx::com::unregisterServer(); }

}  // extern "C"
