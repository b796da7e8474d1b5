// The path consent dialog's template 302 as data rows (platform/dialog_data.h gives their
// form); included by the C++ and by the Windows module's resource script, so plain macros only.
#pragma once

#define ZX_PATH_CONSENT_ID 302

#define ZX_PATH_CONSENT_FRAME(FRAME) FRAME(ZX_PATH_CONSENT_ID, POPUP, 0, 0, 300, 124, "ZorvAX 파일 사용 허용", 9, "굴림")

// The items the code reaches; Deny is IDCANCEL (2), what Esc and the close box answer too.
#define ZX_PATH_CONSENT_ORIGIN_TEXT 3021
#define ZX_PATH_CONSENT_OPERATION_TEXT 3022
#define ZX_PATH_CONSENT_PATH_TEXT 3023
#define ZX_PATH_CONSENT_ONCE_BUTTON 3024
#define ZX_PATH_CONSENT_FOLDER_BUTTON 3025
#define ZX_PATH_CONSENT_DENY_BUTTON 2

#define ZX_PATH_CONSENT_ITEMS(ITEM)                                                                          \
  ITEM(LTEXT, -1, 10, 8, 280, 10, "다음 웹 사이트가 허용된 범위 밖의 파일을 사용하려고 합니다.")           \
  ITEM(CTEXT, ZX_PATH_CONSENT_ORIGIN_TEXT, 10, 22, 280, 10, "")                                              \
  ITEM(LTEXT, ZX_PATH_CONSENT_OPERATION_TEXT, 10, 38, 280, 10, "")                                           \
  ITEM(LTEXT, ZX_PATH_CONSENT_PATH_TEXT, 10, 52, 280, 30, "")                                                \
  ITEM(PUSHBUTTON, ZX_PATH_CONSENT_ONCE_BUTTON, 10, 100, 80, 16, "이번만 허용(&O)")                          \
  ITEM(PUSHBUTTON, ZX_PATH_CONSENT_FOLDER_BUTTON, 96, 100, 110, 16, "이 폴더 항상 허용(&F)")                 \
  ITEM(DEFPUSHBUTTON, ZX_PATH_CONSENT_DENY_BUTTON, 236, 100, 54, 16, "거부(&D)")
