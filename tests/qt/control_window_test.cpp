#include <gtest/gtest.h>

#include <QTest>

#include "control/draw.h"
#include "qt_test_support.h"

namespace zx::test::qt {
namespace {

bool isWhite(QRgb pixel) { return qRed(pixel) > 240 && qGreen(pixel) > 240 && qBlue(pixel) > 240; }
bool isDark(QRgb pixel) { return qRed(pixel) < 100 && qGreen(pixel) < 100 && qBlue(pixel) < 100; }

TEST(ControlWindow, ShowsTheControlsPictureAtAnySize) {
  QWidget* window = desktopUi()->desktop().showControlWindow(
      [](platform::DrawingSurface& surface, const platform::Rect& bounds) { drawControl(surface, bounds); });
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
  EXPECT_EQ(window->windowTitle(), "ZorvAX Control");
  for (QSize size : {QSize(200, 100), QSize(64, 240), QSize(23, 17)}) {
    SCOPED_TRACE(std::to_string(size.width()) + "x" + std::to_string(size.height()));
    window->resize(size);
    QImage picture = window->grab().toImage();
    ASSERT_EQ(picture.size(), size);
    int w = size.width(), h = size.height();
    for (QPoint corner : {QPoint(0, 0), QPoint(w - 1, 0), QPoint(0, h - 1), QPoint(w - 1, h - 1)})
      EXPECT_TRUE(isWhite(picture.pixel(corner))) << "white outside the ellipse";
    EXPECT_TRUE(isWhite(picture.pixel(w / 2, h / 2))) << "filled with the white brush";
    // The inscribed ellipse touches the middle of each edge with the black pen.
    EXPECT_TRUE(isDark(picture.pixel(0, h / 2)));
    EXPECT_TRUE(isDark(picture.pixel(w - 1, h / 2)));
    EXPECT_TRUE(isDark(picture.pixel(w / 2, 0)));
    EXPECT_TRUE(isDark(picture.pixel(w / 2, h - 1)));
    saveScreenshot(window, "control_window_" + std::to_string(w) + "x" + std::to_string(h));
  }
  EXPECT_EQ(desktopUi()->desktop().ownerWindow(platform::Owner::Control), window);
  window->hide();
  EXPECT_EQ(desktopUi()->desktop().ownerWindow(platform::Owner::Control), nullptr) << "only while it is shown";
}

}  // namespace
}  // namespace zx::test::qt
