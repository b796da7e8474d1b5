// The About box's template 1 as data rows (platform/dialog_data.h gives their form); included
// by the C++ and by the Windows module's resource script, so plain macros only.
#pragma once

#define ZX_ABOUT_NOTICE "Copyright (C) QORAX. All rights reserved."

#define ZX_ABOUT_BOX_FRAME(FRAME) FRAME(1, POPUP, 34, 22, 260, 55, "About ZorvAX Control", 8, "MS Sans Serif")

#define ZX_ABOUT_BOX_ITEMS(ITEM)                                  \
  ITEM(ICON, -1, 10, 10, 20, 20, 1)                              \
  ITEM(LTEXT, -1, 40, 10, 170, 8, "ZorvAX Control, Version 1.0") \
  ITEM(LTEXT, -1, 40, 25, 170, 8, ZX_ABOUT_NOTICE)               \
  ITEM(DEFPUSHBUTTON, 1, 221, 7, 32, 14, "OK")
