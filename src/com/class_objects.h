#pragma once
// The system's class objects (IClassFactory) over the module's two factories.
#include "platform/win32/system_headers.h"

namespace zx::com {

// The class object for clsid, AddRef'ed, through DllGetClassObject's rules.
HRESULT getClassObject(REFCLSID clsid, REFIID iid, void** object);

}  // namespace zx::com
