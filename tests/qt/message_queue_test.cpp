#include <gtest/gtest.h>

#include <QTimer>

#include "qt_test_support.h"

namespace zx::test::qt {
namespace {

// Lets the toolkit finish what it had to do, so that only the posted messages wait.
void settle() {
  for (int i = 0; i < 10; ++i) QCoreApplication::processEvents();
}

TEST(MessagePump, RunsAtMostTheLimitInPostedOrderAndLeavesTheRest) {
  platform::MessageQueue& queue = desktopUi()->queue();
  settle();
  std::vector<int> ran;
  for (int i = 0; i < 150; ++i) queue.post([&ran, i] { ran.push_back(i); });
  EXPECT_EQ(queue.pending(), 150u);
  EXPECT_EQ(queue.pump(100), 100);
  ASSERT_EQ(ran.size(), 100u);
  for (int i = 0; i < 100; ++i) EXPECT_EQ(ran[i], i);
  EXPECT_EQ(queue.pending(), 50u);
  EXPECT_EQ(queue.pump(100), 50);
  EXPECT_EQ(ran.size(), 150u);
  EXPECT_EQ(ran.back(), 149);
}

TEST(MessagePump, AnEmptyQueueReturnsAtOnce) {
  settle();
  EXPECT_EQ(desktopUi()->queue().pump(100), 0);
  EXPECT_EQ(desktopUi()->queue().pending(), 0u);
}

TEST(MessagePump, PostedMessagesRunOnlyWherePumped) {
  settle();
  bool ran = false;
  desktopUi()->queue().post([&] { ran = true; });
  QCoreApplication::processEvents();
  EXPECT_FALSE(ran) << "the toolkit's own loop leaves them alone";
  desktopUi()->queue().pump(1);
  EXPECT_TRUE(ran);
}

TEST(MessagePump, TheToolkitsOwnEventsRunInsideThePump) {
  settle();
  bool timerFired = false;
  QTimer::singleShot(0, [&] { timerFired = true; });
  int ran = desktopUi()->queue().pump(100);
  EXPECT_TRUE(timerFired);
  EXPECT_GE(ran, 1);
  EXPECT_LE(ran, 100);

  // A click waiting for a window is dispatched by the pump, as a person's click would be.
  QPushButton button(QStringLiteral("취소(&C)"));
  button.show();
  int clicks = 0;
  QObject::connect(&button, &QPushButton::clicked, [&] { ++clicks; });
  desktopUi()->queue().post([&] { click(&button); });
  desktopUi()->queue().pump(100);
  EXPECT_EQ(clicks, 1);
}

TEST(MessagePump, AModalLoopRunsPostedMessagesInOrder) {
  std::vector<int> order;
  desktopUi()->queue().post([&] { order.push_back(1); });
  desktopUi()->queue().post([&] { order.push_back(2); });
  whenModal([&](QWidget*) { order.push_back(3); }, [](QWidget* box) { press(box, Qt::Key_Return); });
  desktopUi()->messageBox(platform::Owner::None, "caption", "text", platform::mb::MB_OK);
  EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
}

}  // namespace
}  // namespace zx::test::qt
