// The property page's template 200 as data rows (platform/dialog_data.h gives their form);
// included by the C++ and by the Windows module's resource script, so plain macros only.
#pragma once

#define ZX_PROP_PAGE_FRAME(FRAME) FRAME(200, CHILD, 0, 0, 250, 62, "", 8, "MS Sans Serif")

#define ZX_PROP_PAGE_ITEMS(ITEM) \
  ITEM(LTEXT, -1, 7, 25, 229, 16, "ZorvAX Control has no settings to change here; the page sets its properties by script.")
