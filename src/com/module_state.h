#pragma once
// What the module keeps while it is loaded: the server locks and the objects it handed out, for
// DllCanUnloadNow; and the type library in its resources.
#include "platform/win32/system_headers.h"
#include <oaidl.h>

namespace zx::com {

// Live COM objects of the module (controls, pages, and factories a client holds).
void objectCreated();
void objectReleased();
// IClassFactory::LockServer.
void lockServer(bool lock);
bool canUnload();

// The module's file name (UTF-16), as the registry names the server.
std::wstring moduleFileName();

// The type library in the module's resource TYPELIB 1, loaded once; AddRef'ed for the caller.
HRESULT embeddedTypeLibrary(ITypeLib** library);

}  // namespace zx::com
