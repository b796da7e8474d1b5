#include <gtest/gtest.h>

#include <QProgressBar>
#include <QTest>
#include <chrono>

#include "platform/qt/dialog_view.h"
#include "qt_test_support.h"
#include "ui/status_dialog.h"

namespace zx::test::qt {
namespace {

using namespace std::chrono_literals;
using platform::qt::PaintThrottle;
using platform::qt::QtDialogView;
using Clock = std::chrono::steady_clock;

struct FakeClock {
  Clock::time_point now{};
  PaintThrottle::Clock function() {
    return [this] { return now; };
  }
};

class PaintCounter : public QObject {
 public:
  explicit PaintCounter(QWidget* target) : target_(target) { target->installEventFilter(this); }
  int paints = 0;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == target_ && event->type() == QEvent::Paint) ++paints;
    return false;
  }

 private:
  QWidget* target_;
};

class NoHandler : public platform::DialogHandler {
 public:
  void onCommand(int) override {}
  void onCancel() override {}
};

TEST(RepaintLimit, PaintsAtOnceWhenTheLastPaintIsOldElseOnceAfterTheInterval) {
  FakeClock clock;
  int paints = 0;
  PaintThrottle throttle(clock.function(), [&] { ++paints; });
  throttle.request();
  EXPECT_EQ(paints, 1) << "the first request paints";
  for (int i = 0; i < 1000; ++i) {
    clock.now += 32us;
    throttle.request();
  }
  EXPECT_EQ(paints, 1) << "32 ms later: still within the interval";
  EXPECT_TRUE(throttle.deferred()) << "but a paint is owed";
  clock.now += 1ms;
  throttle.request();
  EXPECT_EQ(paints, 2) << "33 ms after the last paint";
  EXPECT_FALSE(throttle.deferred()) << "the owed paint was this one";
  clock.now += 5ms;
  throttle.request();
  EXPECT_EQ(paints, 2);
  QTRY_COMPARE_WITH_TIMEOUT(paints, 3, 5000);  // the owed paint follows by itself
  EXPECT_FALSE(throttle.deferred());
}

TEST(RepaintLimit, AStatusDialogPaintsThirtyTimesForASecondOfUpdatesAndKeepsEveryPosition) {
  FakeClock clock;
  auto& desktop = desktopUi()->desktop();
  desktop.clock = clock.function();
  NoHandler handler;
  auto view = desktopUi()->createDialog(statusdlg::dialogTemplate(), handler, platform::Owner::None);
  auto* qtView = dynamic_cast<QtDialogView*>(view.get());
  ASSERT_NE(qtView, nullptr);
  view->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(qtView->window()));
  QTRY_VERIFY(!qtView->paintDeferred());
  auto* bar = qtView->window()->findChild<QProgressBar*>(QStringLiteral("item%1").arg(statusdlg::kProgress));
  ASSERT_NE(bar, nullptr);
  const int total = 64 << 20, updates = 20000;
  view->setProgressRange(statusdlg::kProgress, 0, total);

  // One second later, a second of a 64 MiB transfer reported every 3,355 bytes: 20,000
  // updates, 50 µs apart, each asking for a repaint.
  clock.now += 1s;
  PaintCounter barPaints(bar), windowPaints(qtView->window());
  int shownPositions = 0;
  QObject::connect(bar, &QProgressBar::valueChanged, [&] { ++shownPositions; });
  int kept = 0;
  for (int i = 1; i <= updates; ++i) {
    int position = static_cast<int>(static_cast<long long>(total) * i / updates);
    view->setProgressPos(statusdlg::kProgress, position);
    view->repaint();
    if (view->progressPos(statusdlg::kProgress) == position) ++kept;
    if (i < updates) clock.now += 50us;
  }
  EXPECT_EQ(kept, updates) << "the dialog's logic sees every update";
  EXPECT_EQ(view->progressHigh(statusdlg::kProgress), total);
  EXPECT_EQ(shownPositions, 31) << "the bar took a new position at 0, 33, ..., 990 ms of the second";
  EXPECT_LE(barPaints.paints, 31) << "and painted no more often than that";
  EXPECT_LE(windowPaints.paints, 31);
  EXPECT_TRUE(qtView->paintDeferred());
  QTRY_VERIFY_WITH_TIMEOUT(!qtView->paintDeferred(), 5000);
  EXPECT_EQ(shownPositions, 32) << "one more brings the last position to the screen";
  EXPECT_LE(barPaints.paints, 32);
  EXPECT_LE(windowPaints.paints, 32);
  EXPECT_EQ(bar->maximum(), total);
  EXPECT_EQ(bar->value(), total);
  desktop.clock = [] { return Clock::now(); };
}

}  // namespace
}  // namespace zx::test::qt
