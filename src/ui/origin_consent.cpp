#include "ui/origin_consent.h"

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

}  // namespace zx
