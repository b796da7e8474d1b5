// The status dialog's template 201 as data rows (platform/dialog_data.h gives their form);
// included by the C++ and by the Windows module's resource script, so plain macros only.
#pragma once

#define ZX_STATUS_DIALOG_FRAME(FRAME) FRAME(201, POPUP, 0, 0, 222, 122, "다운로드", 9, "굴림체")

#define ZX_STATUS_DIALOG_ITEMS(ITEM)                                                  \
  ITEM(CTEXT, 221, 10, 10, 202, 12, "Static")                                        \
  ITEM(CTEXT, 220, 8, 26, 206, 19, "Static")                                         \
  ITEM(PROGRESS, 202, 17, 50, 189, 10, "Progress1")                                  \
  ITEM(LTEXT, 211, 17, 63, 75, 9, "Static")                                          \
  ITEM(RTEXT, 210, 129, 63, 75, 12, "Static")                                        \
  ITEM(PUSHBUTTON, 207, 21, 77, 54, 18, "열기(&O)")                                  \
  ITEM(PUSHBUTTON, 217, 88, 77, 50, 18, "저장(&S)")                                  \
  ITEM(PUSHBUTTON, 203, 150, 77, 50, 18, "취소(&C)")                                 \
  ITEM(CTEXT, -1, 10, 108, 200, 9, "다운로드 진행되는 동안 통신 보안이 적용됩니다.")
