#include <gtest/gtest.h>

#include "core/message_pump.h"
#include "doubles/scripted_ui.h"
#include "platform/codepage.h"

namespace zx::platform {
namespace {

using doubles::ScriptedUi;

TEST(MessagePump, DispatchesAtMostTheLimitAndStopsWhenEmpty) {
  ScriptedUi user;
  EXPECT_EQ(pumpMessages(user, 100), 0);
  int ran = 0;
  for (int i = 0; i < 150; ++i) user.queue().post([&ran] { ++ran; });
  EXPECT_EQ(pumpMessages(user, 100), 100);
  EXPECT_EQ(ran, 100);
  EXPECT_EQ(user.queue().pending(), 50u);
  EXPECT_EQ(pumpMessages(user, 100), 50);
}

struct Recorder : DialogHandler {
  std::vector<int> commands;
  int cancels = 0;
  DialogView* view = nullptr;
  void onCommand(int id) override {
    commands.push_back(id);
    if (id == 1) view->endDialog(1);
  }
  void onCancel() override {
    ++cancels;
    view->endDialog(2);
  }
};

TEST(ScriptedUser, AnswersInOrderAndPressesWhereAPersonWould) {
  ScriptedUi user;
  user.answerBox(mb::IDNO);
  EXPECT_EQ(user.messageBox(Owner::Control, utf8ToAnsi("질문"), utf8ToAnsi("취소 하겠습니까 ?"), mb::MB_YESNOCANCEL), mb::IDNO);
  EXPECT_EQ(user.messageBox(Owner::None, "C", "T", mb::MB_OK), mb::IDOK);
  ASSERT_EQ(user.boxes().size(), 2u);
  EXPECT_EQ(user.boxes()[0].caption, "질문");
  EXPECT_EQ(user.boxes()[0].text, "취소 하겠습니까 ?");
  EXPECT_EQ(user.boxes()[0].owner, Owner::Control);
  EXPECT_EQ(user.boxes()[0].flags, mb::MB_YESNOCANCEL);

  FileDialogRequest request;
  request.initialName = "report.old.hwp";
  request.filters = {{"text (*.txt)", "*.txt"}};
  request.onTypeChange = [](const std::string& name, const std::string& description) { return name + "|" + description; };
  user.answerFile("/x/y.txt", 1);
  auto chosen = user.fileDialog(request);
  EXPECT_TRUE(chosen.ok);
  EXPECT_EQ(chosen.path, "/x/y.txt");
  EXPECT_EQ(user.records().back().renamedTo, "report.old.hwp|text (*.txt)");
  EXPECT_FALSE(user.fileDialog(request).ok) << "an unanswered file dialog is cancelled";

  DialogTemplate t;
  t.id = 77;
  t.items = {{1, ItemKind::DefPushButton, 0, 0, 10, 10, "OK"}, {5, ItemKind::PushButton, 0, 0, 10, 10, "Five"},
             {9, ItemKind::ProgressBar, 0, 0, 10, 10, ""}};
  Recorder handler;
  user.press(77, 5, ScriptedUi::When::Progress, 40);
  auto view = user.createDialog(t, handler, Owner::Control);
  handler.view = view.get();
  view->show();
  view->setProgressRange(9, 0, 100);
  view->setProgressPos(9, 39);
  EXPECT_EQ(user.queue().pending(), 0u);
  view->setProgressPos(9, 40);
  EXPECT_TRUE(handler.commands.empty()) << "a click waits in the queue until it is pumped";
  user.queue().pump(100);
  EXPECT_EQ(handler.commands, std::vector<int>{5});

  user.press(77, kDialogEscape, ScriptedUi::When::Modal);
  EXPECT_EQ(view->runModal(), 2);
  EXPECT_EQ(handler.cancels, 1);
  EXPECT_EQ(view->runModal(), 1) << "with nothing scripted the default button ends a modal dialog";
}

TEST(HeadlessDialog, ACheckBoxTogglesWhenClickedAndOnlyCheckBoxesCheck) {
  ScriptedUi user;
  DialogTemplate t;
  t.id = 78;
  t.items = {{3, ItemKind::CheckBox, 0, 0, 10, 10, "remember"}, {4, ItemKind::PushButton, 0, 0, 10, 10, "Go"}};
  Recorder handler;
  auto view = user.createDialog(t, handler, Owner::None);
  handler.view = view.get();
  auto* headless = static_cast<HeadlessDialogView*>(view.get());
  EXPECT_FALSE(view->isItemChecked(3));
  EXPECT_TRUE(headless->press(3));
  EXPECT_TRUE(view->isItemChecked(3));
  EXPECT_EQ(handler.commands, std::vector<int>{3}) << "the click is reported after the toggle";
  headless->press(3);
  EXPECT_FALSE(view->isItemChecked(3));
  view->setItemChecked(3, true);
  EXPECT_TRUE(view->isItemChecked(3));
  view->setItemChecked(4, true);
  EXPECT_FALSE(view->isItemChecked(4)) << "a push button has no check";
  view->enableItem(3, false);
  EXPECT_FALSE(headless->press(3));
  EXPECT_TRUE(view->isItemChecked(3)) << "a disabled box keeps its state";
}

}  // namespace
}  // namespace zx::platform
