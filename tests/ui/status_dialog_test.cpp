#include <gtest/gtest.h>

#include "platform/codepage.h"
#include "support/zx_test.h"
#include "ui/status_dialog.h"

namespace zx {
namespace {

using namespace statusdlg;
using test::ControlTest;
namespace mb = platform::mb;

class StatusDialog : public ControlTest {
 protected:
  platform::HeadlessDialogView* view() { return static_cast<platform::HeadlessDialogView*>(currentStatusDlg()->view()); }
  void show(std::string_view title, std::string_view upper, std::string_view lower, bool choices) {
    progress = showStatusDialog(env(), true, title, upper, lower, choices);
  }

  std::unique_ptr<CStatusDlg> progress;
};

// The texts a flow gives the dialog are compared where the flows run (tests/e2e).
TEST_F(StatusDialog, ProgressDialogStartsAtFiveOfAHundred) {
  show("UPLOAD", "upper", "lower", false);
  ASSERT_NE(currentStatusDlg(), nullptr);
  auto* v = view();
  EXPECT_TRUE(v->isVisible());
  EXPECT_EQ(v->progressHigh(kProgress), 100);
  EXPECT_EQ(v->progressPos(kProgress), 5);
  EXPECT_FALSE(v->isItemEnabled(kOpenButton));
  EXPECT_FALSE(v->isItemEnabled(kSaveButton));
  EXPECT_EQ(v->itemText(kLeftFigure), "");
  const platform::Rect rect = v->screenRect();
  EXPECT_EQ(rect.top, (768 - (rect.bottom - rect.top)) / 2 - 40) << "centred, then moved up by 40 pixels";
  EXPECT_GT(rect.bottom - rect.top, 0) << "its size kept";
  EXPECT_EQ(user->records().back().kind, "dialog");
  EXPECT_EQ(user->records().back().templateId, kTemplateId);
}

TEST_F(StatusDialog, RangeChangesResetThePositionAndStepsStopAtTheRange) {
  show("DOWNLOAD", "a", "b", true);
  auto* v = view();
  updateStatus(nullptr, nullptr, 40, 100);
  EXPECT_EQ(v->progressPos(kProgress), 40);
  EXPECT_EQ(currentStatusDlg()->lastRange, 100);
  updateStatus(nullptr, nullptr, 41, 100);
  EXPECT_EQ(user->progressMoves().back(), 41);
  EXPECT_EQ(user->progressMoves()[user->progressMoves().size() - 2], 40) << "the same range sets the position only";
  updateStatus(nullptr, "x", 7, 1000);
  EXPECT_EQ(v->progressHigh(kProgress), 1000);
  EXPECT_EQ(v->progressPos(kProgress), 7);
  const std::vector<int>& moves = user->progressMoves();
  ASSERT_GE(moves.size(), 2u);
  EXPECT_EQ(moves[moves.size() - 2], 0) << "a new range starts the bar at 0 first";
  EXPECT_EQ(v->itemText(kLowerText), "x");
  EXPECT_EQ(v->itemText(kUpperText), "a") << "a null line stays as it was";
  stepProgress(990);
  EXPECT_EQ(v->progressPos(kProgress), 997);
  stepProgress(50);
  EXPECT_EQ(v->progressPos(kProgress), 1000);
  reportProgress(0, 60000, 60000);
  EXPECT_EQ(v->progressHigh(kProgress), 60000);
}

TEST_F(StatusDialog, ByteCountsReadAsAScaleWithThousands) {
  show("DOWNLOAD", "a", "b", true);
  showCurrentByteCounts(0, 1000);
  EXPECT_EQ(view()->itemText(kLeftFigure), "0");
  EXPECT_EQ(view()->itemText(kRightFigure), "1,000");
  showCurrentByteCounts(0, -5);
  EXPECT_EQ(view()->itemText(kRightFigure), "");
  showCurrentByteCounts(0, 1234567);
  EXPECT_EQ(view()->itemText(kRightFigure), "1,234,567");
  std::string t = " 1234567.891 ";
  formatThousands(t, 20);
  EXPECT_EQ(t, "1,234,567.891");
  t = "123";
  formatThousands(t, 20);
  EXPECT_EQ(t, "123");
  t = "12345";
  formatThousands(t, 20);
  EXPECT_EQ(t, "12,345");
  t = "1234567890123456789012";
  formatThousands(t, 20);
  EXPECT_EQ(t.size(), 19u) << "bounded by the capacity";
}

TEST_F(StatusDialog, CancelAsksFirstAndOnlyYesCancels) {
  show("DOWNLOAD", "a", "b", true);
  auto* v = view();
  user->answerBox(mb::IDNO);
  v->press(kCancelButton);
  EXPECT_FALSE(currentStatusDlg()->cancelled);
  EXPECT_TRUE(v->isVisible());
  auto q = user->boxes().back();
  EXPECT_EQ(q.caption, "질문");
  EXPECT_EQ(q.text, "취소 하겠습니까 ?");
  EXPECT_EQ(q.owner, platform::Owner::StatusDialog);
  EXPECT_EQ(q.flags, mb::MB_YESNOCANCEL);
  user->answerBox(mb::IDCANCEL);
  v->press(platform::kDialogEscape);
  EXPECT_FALSE(currentStatusDlg()->cancelled);
  user->answerBox(mb::IDYES);
  v->press(kCancelButton);
  EXPECT_TRUE(currentStatusDlg()->cancelled);
  EXPECT_FALSE(v->isVisible());
  EXPECT_TRUE(statusCancelled());
  updateStatus("changed", "changed", 50, 200);
  EXPECT_NE(v->itemText(kUpperText), "changed") << "a cancelled dialog takes no more updates";
  EXPECT_EQ(v->progressHigh(kProgress), 100);
}

TEST_F(StatusDialog, CompletedDialogOpensFileOrFolderAndFreesItself) {
  show("DOWNLOAD", "a", "b", true);
  CStatusDlg* dlg = progress.get();
  dlg->becomeCompleted("/srv/in/report.hwp");
  leaveOnScreen(std::move(progress));
  EXPECT_EQ(currentStatusDlg(), nullptr);
  auto* v = static_cast<platform::HeadlessDialogView*>(dlg->view());
  EXPECT_EQ(test::utf8(v->itemText(kOpenButton)), "파일열기(&O)");
  EXPECT_EQ(test::utf8(v->itemText(kSaveButton)), "폴더열기(&D)");
  EXPECT_EQ(test::utf8(v->itemText(kCancelButton)), "닫기(&C)");
  EXPECT_EQ(v->focus(), kOpenButton);
  size_t boxes = user->boxes().size();
  user->postPress(v, kSaveButton);
  user->queue().pump(100);
  ASSERT_EQ(shell.requests.size(), 1u);
  EXPECT_EQ(shell.requests[0].verb, "folder");
  EXPECT_EQ(shell.requests[0].target, "/srv/in");
  EXPECT_EQ(shell.requests[0].owner, user->nativeWindow(platform::Owner::StatusDialog)) << "the dialog owns the folder window";
  EXPECT_EQ(user->boxes().size(), boxes) << "closing the completed dialog asks nothing";
  EXPECT_TRUE(user->liveDialogs().empty()) << "the dialog freed itself";
}

TEST_F(StatusDialog, ASecondClickWhileTheShellWaitsStartsNothingMore) {
  shell.asksWaitHook = true;
  for (int button : {kOpenButton, kSaveButton}) {
    shell.requests.clear();
    show("DOWNLOAD", "a", "b", true);
    CStatusDlg* dlg = progress.get();
    dlg->becomeCompleted("/srv/in/report.hwp");
    leaveOnScreen(std::move(progress));
    auto* v = static_cast<platform::HeadlessDialogView*>(dlg->view());
    user->postPress(v, button);
    user->postPress(v, button);  // reaches the dialog while the shell pumps messages
    user->queue().pump(100);
    EXPECT_EQ(shell.requests.size(), 1u) << "button " << button;
    EXPECT_TRUE(user->liveDialogs().empty()) << "button " << button;
  }
}

TEST_F(StatusDialog, ChoiceRoleOnAModernSystemSavesWithoutAsking) {
  CStatusDlg choice(env(), true);
  ASSERT_TRUE(choice.path.assign("/srv/in/doc.hwp"));
  user->press(kTemplateId, kSaveButton, doubles::ScriptedUi::When::Modal);
  EXPECT_EQ(choice.DoModal(), kEndOk);
  EXPECT_FALSE(choice.openChosen);
  EXPECT_EQ(choice.path.str(), "/srv/in/doc.hwp");
  EXPECT_TRUE(shell.requests.empty());

  CStatusDlg again(env(), true);
  user->press(kTemplateId, kOpenButton, doubles::ScriptedUi::When::Modal);
  EXPECT_EQ(again.DoModal(), kEndOk);
  EXPECT_TRUE(again.openChosen);
  EXPECT_TRUE(shell.requests.empty()) << "Open in the choice role opens nothing yet";
  CStatusDlg third(env(), true);
  EXPECT_EQ(third.DoModal(), kEndCancel) << "dismissing the choice dialog is a cancel";
  EXPECT_TRUE(user->boxes().empty()) << "the choice role does not ask before cancelling";
}

}  // namespace
}  // namespace zx
