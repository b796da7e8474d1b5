#include "ui/origin_consent.h"

#include "platform/codepage.h"

namespace zx {
namespace consentdlg {

using platform::DialogItem;
using platform::ItemKind;

platform::DialogTemplate dialogTemplate() {
  return {kTemplateId, ansi("ZorvAX 웹 사이트 허용"), ansi("굴림"), 9, 0, 0, 240, 104, false, {
      DialogItem{-1, ItemKind::Static, 10, 8, 220, 10, ansi("다음 웹 사이트가 ZorvAX 컨트롤을 사용하려고 합니다.")},
      DialogItem{kOriginText, ItemKind::StaticCentred, 10, 22, 220, 10, ""},
      DialogItem{-1, ItemKind::Static, 10, 38, 220, 20,
                 ansi("허용하면 이 사이트가 문서를 내려받고 올리며 이 컴퓨터의 설정 값을 읽고 쓸 수 있습니다.")},
      DialogItem{kRememberBox, ItemKind::CheckBox, 10, 62, 220, 10, ansi("이 선택을 기억(&R)")},
      DialogItem{kAllowButton, ItemKind::PushButton, 118, 80, 54, 16, ansi("허용(&A)")},
      DialogItem{kDenyButton, ItemKind::DefPushButton, 178, 80, 54, 16, ansi("거부(&D)")},
  }};
}

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
