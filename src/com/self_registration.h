#pragma once
// The module in the system's registry: its type library through the system's loader, the two
// classes in HKEY_CLASSES_ROOT, and the control's component categories through the system's
// category manager.
#include "platform/win32/system_headers.h"

namespace zx::com {

// S_OK, SELFREG_E_TYPELIB or SELFREG_E_CLASS.
HRESULT registerServer();
HRESULT unregisterServer();

}  // namespace zx::com
