#include "ui/path_consent.h"

#include "core/origin_grants.h"
#include "platform/codepage.h"
#include "platform/dialog_data.h"

namespace zx {
namespace pathdlg {

platform::DialogTemplate dialogTemplate() { return ZX_DIALOG_TEMPLATE(ZX_PATH_CONSENT); }

}  // namespace pathdlg

namespace {

std::string operationText(PageOperation operation) {
  switch (operation) {
    case PageOperation::Write:
      return ansi("작업: 파일 쓰기 또는 바꾸기");
    case PageOperation::Send:
      return ansi("작업: 파일을 서버로 보내기");
    case PageOperation::Open:
      return ansi("작업: 파일 열기");
    case PageOperation::Delete:
      return ansi("작업: 파일 삭제");
  }
  return {};
}

class PathConsentHandler : public platform::DialogHandler {
 public:
  void attach(platform::DialogView& view) { view_ = &view; }
  void onCommand(int itemId) override {
    if (itemId == pathdlg::kOnceButton || itemId == pathdlg::kFolderButton || itemId == pathdlg::kDenyButton)
      finish(itemId);
  }
  void onCancel() override { finish(pathdlg::kDenyButton); }
  PathConsent answer() const { return answer_; }

 private:
  void finish(int itemId) {
    answer_ = itemId == pathdlg::kOnceButton     ? PathConsent::AllowOnce
              : itemId == pathdlg::kFolderButton ? PathConsent::AllowFolder
                                                 : PathConsent::Deny;
    view_->endDialog(itemId);
  }

  platform::DialogView* view_ = nullptr;
  PathConsent answer_ = PathConsent::Deny;
};

}  // namespace

PathConsent askPathConsent(platform::Ui& ui, std::string_view origin, PageOperation operation, std::string_view path) {
  PathConsentHandler handler;
  std::unique_ptr<platform::DialogView> view = ui.createDialog(pathdlg::dialogTemplate(), handler, platform::Owner::None);
  if (!view) return PathConsent::Deny;
  handler.attach(*view);
  view->setItemText(pathdlg::kOriginText, origin);
  view->setItemText(pathdlg::kOperationText, operationText(operation));
  view->setItemText(pathdlg::kPathText, path);
  handler.onInitDialog();
  view->setFocus(pathdlg::kDenyButton);
  view->runModal();
  return handler.answer();
}

std::optional<std::string> admitPagePath(const platform::Env& env, const ControlState& control, std::string_view path,
                                         PageOperation operation) {
  const PathJudgement judged = judgePagePath(env, control, path);
  switch (judged.reach) {
    case PathReach::Inside:
      return judged.path;
    case PathReach::Never:
      return std::nullopt;
    case PathReach::Outside:
      break;
  }
  switch (askPathConsent(env.ui, control.pageOrigin, operation, judged.path)) {
    case PathConsent::AllowFolder:
      grantFolder(env.registry, control.pageOrigin, judged.folder);
      return judged.path;
    case PathConsent::AllowOnce:
      return judged.path;
    case PathConsent::Deny:
      return std::nullopt;
  }
  return std::nullopt;
}

}  // namespace zx
