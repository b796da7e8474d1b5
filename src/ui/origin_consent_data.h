// The origin consent dialog's template 301 as data rows (platform/dialog_data.h gives their
// form); included by the C++ and by the Windows module's resource script, so plain macros only.
#pragma once

#define ZX_ORIGIN_CONSENT_ID 301

#define ZX_ORIGIN_CONSENT_FRAME(FRAME) FRAME(ZX_ORIGIN_CONSENT_ID, POPUP, 0, 0, 240, 104, "ZorvAX 웹 사이트 허용", 9, "굴림")

// The items the code reaches; Deny is IDCANCEL (2), what Esc and the close box answer too.
#define ZX_ORIGIN_CONSENT_ORIGIN_TEXT 3011
#define ZX_ORIGIN_CONSENT_REMEMBER_BOX 3012
#define ZX_ORIGIN_CONSENT_ALLOW_BUTTON 3013
#define ZX_ORIGIN_CONSENT_DENY_BUTTON 2

#define ZX_ORIGIN_CONSENT_ITEMS(ITEM)                                                                         \
  ITEM(LTEXT, -1, 10, 8, 220, 10, "다음 웹 사이트가 ZorvAX 컨트롤을 사용하려고 합니다.")                     \
  ITEM(CTEXT, ZX_ORIGIN_CONSENT_ORIGIN_TEXT, 10, 22, 220, 10, "")                                             \
  ITEM(LTEXT, -1, 10, 38, 220, 20,                                                                            \
       "허용하면 이 사이트가 문서를 내려받고 올리며 이 컴퓨터의 설정 값을 읽고 쓸 수 있습니다.")              \
  ITEM(CHECKBOX, ZX_ORIGIN_CONSENT_REMEMBER_BOX, 10, 62, 220, 10, "이 선택을 기억(&R)")                       \
  ITEM(PUSHBUTTON, ZX_ORIGIN_CONSENT_ALLOW_BUTTON, 118, 80, 54, 16, "허용(&A)")                               \
  ITEM(DEFPUSHBUTTON, ZX_ORIGIN_CONSENT_DENY_BUTTON, 178, 80, 54, 16, "거부(&D)")
