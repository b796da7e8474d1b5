#include "qt_test_support.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFontMetrics>
#include <QInputMethodEvent>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/qt/qt_ui_factory.h"

namespace zx::test::qt {
namespace {

std::shared_ptr<platform::qt::QtUi>& theUi() {
  static std::shared_ptr<platform::qt::QtUi> ui;
  return ui;
}

}  // namespace

std::shared_ptr<platform::qt::QtUi> desktopUi() { return theUi(); }

DesktopControlTest::DesktopControlTest() { services.useUi(*desktopUi()); }

std::string saveScreenshot(QWidget* widget, const std::string& name) {
  QString dir = QString::fromUtf8(ZX_QT_ARTIFACTS);
  QDir().mkpath(dir);
  QString path = dir + QStringLiteral("/") + QString::fromStdString(name) + QStringLiteral(".png");
  EXPECT_TRUE(widget->grab().save(path, "PNG")) << path.toStdString();
  return path.toStdString();
}

void whenModal(std::function<void(QWidget*)> check, std::function<void(QWidget*)> act) {
  desktopUi()->queue().post([check = std::move(check), act = std::move(act)] {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal) {
      ADD_FAILURE() << "no modal window was on screen";
      return;
    }
    // A person acts once the window is on screen and has the keyboard.
    EXPECT_TRUE(QTest::qWaitForWindowActive(modal));
    check(modal);
    act(modal);
  });
}

void click(QAbstractButton* button) {
  ASSERT_NE(button, nullptr);
  QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, button->rect().center());
}

void press(QWidget* widget, int key) { QTest::keyClick(widget, static_cast<Qt::Key>(key)); }

void type(QWidget* widget, const QString& text) {
  for (QChar c : text) {
    if (c.unicode() < 0x80) {
      QTest::keyClicks(widget, QString(c));
      continue;
    }
    QInputMethodEvent composed;
    composed.setCommitString(QString(c));
    QApplication::sendEvent(widget, &composed);
  }
}

std::vector<QPushButton*> buttonsLeftToRight(QWidget* window) {
  std::vector<QPushButton*> buttons;
  for (QPushButton* button : window->findChildren<QPushButton*>())
    if (button->isVisible()) buttons.push_back(button);
  std::sort(buttons.begin(), buttons.end(), [](QPushButton* a, QPushButton* b) {
    return a->mapTo(a->window(), QPoint(0, 0)).x() < b->mapTo(b->window(), QPoint(0, 0)).x();
  });
  return buttons;
}

QString shown(const QString& mnemonicText) {
  QString out;
  for (qsizetype i = 0; i < mnemonicText.size(); ++i) {
    if (mnemonicText[i] == u'&') {
      if (++i >= mnemonicText.size()) break;
    }
    out += mnemonicText[i];
  }
  return out;
}

ExpectedUnits::ExpectedUnits(const QFont& font) {
  QFontMetrics metrics(font);
  double average = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) / 52.0;
  baseX = static_cast<int>(std::floor(average + 0.5));
  baseY = metrics.ascent() + metrics.descent();
}

int ExpectedUnits::x(int dlu) const { return static_cast<int>(std::floor(dlu * baseX / 4.0 + 0.5)); }
int ExpectedUnits::y(int dlu) const { return static_cast<int>(std::floor(dlu * baseY / 8.0 + 0.5)); }
QRect ExpectedUnits::rect(int x0, int y0, int width, int height) const {
  return {x(x0), y(y0), x(width), y(height)};
}

}  // namespace zx::test::qt

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  std::string error;
  auto ui = std::dynamic_pointer_cast<zx::platform::qt::QtUi>(zx::platform::qt::makeQtUi(&error));
  if (!ui) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  zx::test::qt::theUi() = ui;
  ui.reset();
  int status = RUN_ALL_TESTS();
  zx::test::qt::theUi().reset();
  return status;
}
