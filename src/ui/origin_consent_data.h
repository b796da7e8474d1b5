// The origin consent dialog's template 301 as data rows (platform/dialog_data.h gives their
// form); included by the C++ and by the Windows module's resource script, so plain macros only.
#pragma once

#define ZX_ORIGIN_CONSENT_ID 301

#define ZX_ORIGIN_CONSENT_FRAME(FRAME) FRAME(ZX_ORIGIN_CONSENT_ID, POPUP, 0, 0, 260, 150, "ZorvAX 웹 사이트 허용", 9, "굴림")

// The items the code reaches; Deny is IDCANCEL (2), what Esc and the close box answer too.
#define ZX_ORIGIN_CONSENT_ORIGIN_TEXT 3011
#define ZX_ORIGIN_CONSENT_REMEMBER_BOX 3012
#define ZX_ORIGIN_CONSENT_ALLOW_BUTTON 3013
#define ZX_ORIGIN_CONSENT_DENY_BUTTON 2

// What an allowed site may do, as docs/browser.md "What a page may reach" states it.
#define ZX_ORIGIN_CONSENT_ITEMS(ITEM)                                                                         \
  ITEM(LTEXT, -1, 10, 8, 240, 10, "다음 웹 사이트가 ZorvAX 컨트롤을 사용하려고 합니다.")                     \
  ITEM(CTEXT, ZX_ORIGIN_CONSENT_ORIGIN_TEXT, 10, 22, 240, 10, "")                                             \
  /* one literal: the resource compiler joins no adjacent strings */                                         \
  ITEM(LTEXT, -1, 10, 38, 240, 72, "허용하면 이 사이트가 다음을 할 수 있습니다.\n문서를 내려받아 다운로드 폴더에 저장하고, 그 폴더와 임시 폴더의 파일, 직접 고른 파일을 열거나 서버로 보냅니다.\n그 밖의 파일은 사용할 때마다 묻습니다. ZorvAX 설정 폴더는 사용할 수 없습니다.\n설정 값(패키지 값)을 읽고 쓰며, 동반 프로그램을 실행하고, 이 컴퓨터의 MAC 주소를 읽습니다.") \
  ITEM(CHECKBOX, ZX_ORIGIN_CONSENT_REMEMBER_BOX, 10, 112, 240, 10, "이 선택을 기억(&R)")                      \
  ITEM(PUSHBUTTON, ZX_ORIGIN_CONSENT_ALLOW_BUTTON, 138, 128, 54, 16, "허용(&A)")                              \
  ITEM(DEFPUSHBUTTON, ZX_ORIGIN_CONSENT_DENY_BUTTON, 198, 128, 54, 16, "거부(&D)")
