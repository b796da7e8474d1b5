#pragma once
// The question a browser host asks before a web site it does not know may drive the control
// (template 301): the site's origin, Allow or Deny, and whether to remember the answer.
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "platform/api.h"
#include "platform/registry.h"
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

struct OriginDecision {
  bool allowed = false;
  // Why not, for a log.
  std::string why;
  // The user's answer when this decision asked.
  std::optional<ConsentAnswer> asked;
};

// Whether a web origin may drive the control, decided one way for the browser host and the
// Windows module's page gate: the origin list's rule, else the answer given here before, else
// the user's answer when someone can be asked (remembered in the list when ticked).
class ZX_API OriginGatekeeper {
 public:
  OriginGatekeeper(platform::Ui& ui, platform::Registry& registry, bool canAsk)
      : ui_(ui), registry_(registry), canAsk_(canAsk) {}

  // `origin` normalised. `beforeAsking` runs just before the question is shown (its modal loop
  // may run the page's script again).
  OriginDecision decide(const std::string& origin, const std::function<void()>& beforeAsking = {});
  // Another page may come: the answers given so far are asked again (unless stored).
  void forgetAnswers() { answered_.clear(); }

 private:
  platform::Ui& ui_;
  platform::Registry& registry_;
  bool canAsk_;
  std::map<std::string, bool> answered_;
};

}  // namespace zx
