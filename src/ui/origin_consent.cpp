#include "ui/origin_consent.h"

#include "core/origin_list.h"
#include "platform/dialog_data.h"

namespace zx {
namespace consentdlg {

platform::DialogTemplate dialogTemplate() { return ZX_DIALOG_TEMPLATE(ZX_ORIGIN_CONSENT); }

}  // namespace consentdlg

namespace {

class ConsentHandler : public platform::DialogHandler {
 public:
  void attach(platform::DialogView& view) { view_ = &view; }
  void onCommand(int itemId) override {
    if (itemId == consentdlg::kAllowButton || itemId == consentdlg::kDenyButton) finish(itemId);
  }
  void onCancel() override { finish(consentdlg::kDenyButton); }
  const ConsentAnswer& answer() const { return answer_; }

 private:
  void finish(int itemId) {
    answer_.allowed = itemId == consentdlg::kAllowButton;
    answer_.remember = view_->isItemChecked(consentdlg::kRememberBox);
    view_->endDialog(itemId);
  }

  platform::DialogView* view_ = nullptr;
  ConsentAnswer answer_;
};

}  // namespace

ConsentAnswer askOriginConsent(platform::Ui& ui, std::string_view origin) {
  ConsentHandler handler;
  std::unique_ptr<platform::DialogView> view =
      ui.createDialog(consentdlg::dialogTemplate(), handler, platform::Owner::None);
  if (!view) return {};
  handler.attach(*view);
  view->setItemText(consentdlg::kOriginText, origin);
  handler.onInitDialog();
  view->setFocus(consentdlg::kDenyButton);
  view->runModal();
  return handler.answer();
}

OriginDecision OriginGatekeeper::decide(const std::string& origin, const std::function<void()>& beforeAsking) {
  switch (originRule(registry_, origin)) {
    case OriginRule::Allowed:
      return {true, {}, std::nullopt};
    case OriginRule::Denied:
      return {false, "denied in the origin list", std::nullopt};
    case OriginRule::Unknown:
      break;
  }
  if (const auto earlier = answered_.find(origin); earlier != answered_.end())
    return {earlier->second, earlier->second ? "" : "denied by the user", std::nullopt};
  if (!canAsk_) return {false, "not in the origin list, and no display to ask on", std::nullopt};
  if (beforeAsking) beforeAsking();
  const ConsentAnswer answer = askOriginConsent(ui_, origin);
  answered_[origin] = answer.allowed;
  if (answer.remember) setOriginRule(registry_, origin, answer.allowed ? OriginRule::Allowed : OriginRule::Denied);
  return {answer.allowed, answer.allowed ? "" : "denied by the user", answer};
}

}  // namespace zx
