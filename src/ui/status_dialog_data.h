// The status dialog's template 201 as data rows (platform/dialog_data.h gives their form);
// included by the C++ and by the Windows module's resource script, so plain macros only.
#pragma once

#define ZX_STATUS_DIALOG_ID 201

// The items the code reaches.
#define ZX_STATUS_DIALOG_UPPER_TEXT 221
#define ZX_STATUS_DIALOG_LOWER_TEXT 220
#define ZX_STATUS_DIALOG_PROGRESS 202
#define ZX_STATUS_DIALOG_LEFT_FIGURE 211
#define ZX_STATUS_DIALOG_RIGHT_FIGURE 210
#define ZX_STATUS_DIALOG_OPEN_BUTTON 207
#define ZX_STATUS_DIALOG_SAVE_BUTTON 217
#define ZX_STATUS_DIALOG_CANCEL_BUTTON 203

#define ZX_STATUS_DIALOG_FRAME(FRAME) FRAME(ZX_STATUS_DIALOG_ID, POPUP, 0, 0, 222, 122, "다운로드", 9, "굴림체")

#define ZX_STATUS_DIALOG_ITEMS(ITEM)                                                  \
  ITEM(CTEXT, ZX_STATUS_DIALOG_UPPER_TEXT, 10, 10, 202, 12, "Static")                 \
  ITEM(CTEXT, ZX_STATUS_DIALOG_LOWER_TEXT, 8, 26, 206, 19, "Static")                  \
  ITEM(PROGRESS, ZX_STATUS_DIALOG_PROGRESS, 17, 50, 189, 10, "Progress1")            \
  ITEM(LTEXT, ZX_STATUS_DIALOG_LEFT_FIGURE, 17, 63, 75, 9, "Static")                 \
  ITEM(RTEXT, ZX_STATUS_DIALOG_RIGHT_FIGURE, 129, 63, 75, 12, "Static")              \
  ITEM(PUSHBUTTON, ZX_STATUS_DIALOG_OPEN_BUTTON, 21, 77, 54, 18, "열기(&O)")         \
  ITEM(PUSHBUTTON, ZX_STATUS_DIALOG_SAVE_BUTTON, 88, 77, 50, 18, "저장(&S)")         \
  ITEM(PUSHBUTTON, ZX_STATUS_DIALOG_CANCEL_BUTTON, 150, 77, 50, 18, "취소(&C)")      \
  ITEM(CTEXT, -1, 10, 108, 200, 9, "다운로드 진행되는 동안 통신 보안이 적용됩니다.")
