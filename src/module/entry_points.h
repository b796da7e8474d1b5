#pragma once
// The shared library's exported entry points (libzorvax); the Windows module exports the
// system's own COM entry points instead (src/com).
#include "platform/api.h"
#include "platform/ole.h"

// The module's exported entry points.
extern "C" {
ZX_API zx::ole::HRESULT DllRegisterServer();
ZX_API zx::ole::HRESULT DllUnregisterServer();
// *factory receives the module's zx::ClassFactory for clsid (not owned: the factories live as
// long as the module). iid: IID_IClassFactory or IID_IUnknown.
ZX_API zx::ole::HRESULT DllGetClassObject(const zx::ole::Guid* clsid, const zx::ole::Guid* iid, void** factory);
// S_OK when no object of the module is alive, S_FALSE otherwise.
ZX_API zx::ole::HRESULT DllCanUnloadNow();
}
