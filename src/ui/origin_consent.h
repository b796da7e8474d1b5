#pragma once
// The question a browser host asks before a web site it does not know may drive the control
// (template 301): the site's origin, Allow or Deny, and whether to remember the answer.
#include <string_view>

#include "platform/api.h"
#include "platform/ui.h"
#include "ui/origin_consent_data.h"

namespace zx {

namespace consentdlg {
constexpr int kTemplateId = ZX_ORIGIN_CONSENT_ID;
constexpr int kOriginText = ZX_ORIGIN_CONSENT_ORIGIN_TEXT, kRememberBox = ZX_ORIGIN_CONSENT_REMEMBER_BOX,
              kAllowButton = ZX_ORIGIN_CONSENT_ALLOW_BUTTON, kDenyButton = ZX_ORIGIN_CONSENT_DENY_BUTTON;
ZX_API platform::DialogTemplate dialogTemplate();
}  // namespace consentdlg

struct ConsentAnswer {
  bool allowed = false;
  bool remember = false;
};

// Asks modally, owned by nobody (no page window of ours is on screen). Esc, the close box and
// a dialog nobody acts on deny; Deny is the default button.
ZX_API ConsentAnswer askOriginConsent(platform::Ui& ui, std::string_view origin);

}  // namespace zx
