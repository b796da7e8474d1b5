#pragma once
// <windows.h> for the control's code. The system's header defines macros with the names of
// the control's own constants (S_OK, DISP_E_..., MB_OK, IDOK, REG_SZ, ...); the control's
// headers are read first, so their declarations stay intact. Code after this header uses the
// system's names for those values.
#include "platform/ole.h"
#include "platform/registry.h"
#include "platform/ui.h"

#include <windows.h>
