#pragma once
// The desktop interface under test: one application object for the test program (Qt's offscreen
// platform unless the environment names another), screenshots kept as artifacts, and acting on
// modal windows the way the scripted user does, through the posted-message queue.
#include <QAbstractButton>
#include <QApplication>
#include <QPushButton>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/qt/qt_ui.h"
#include "support/zx_test.h"

namespace zx::test::qt {

// The interface every test of the program uses.
std::shared_ptr<platform::qt::QtUi> desktopUi();

// Controls and dialogs made by these tests get the desktop's interface in their services.
class DesktopControlTest : public ControlTest {
 protected:
  DesktopControlTest();
};

// Saves what the widget shows as <artifact dir>/<name>.png; answers the file's path.
std::string saveScreenshot(QWidget* widget, const std::string& name);

// Posts one user action for the modal window that will be on top when the message runs (the
// box or dialog the code under test is about to show): `check` looks at it, then `act`
// answers it. Should `check` stop early on a failed assertion, `act` still runs.
void whenModal(std::function<void(QWidget*)> check, std::function<void(QWidget*)> act);

// A person's click: press and release of the left button in the middle of the button.
void click(QAbstractButton* button);
// A key pressed and released on the widget.
void press(QWidget* widget, int key);
// Typing into the widget: Latin letters key by key, anything else committed by the input
// method, as Korean syllables arrive.
void type(QWidget* widget, const QString& text);

// The push buttons of a window, left to right as they stand on screen.
std::vector<QPushButton*> buttonsLeftToRight(QWidget* window);
// The visible text of a label with mnemonic markers: "열기(&O)" reads "열기(O)", "&&" reads "&".
QString shown(const QString& mnemonicText);

// Dialog units as the system converts them, computed here from the font alone.
struct ExpectedUnits {
  explicit ExpectedUnits(const QFont& font);
  int x(int dlu) const;
  int y(int dlu) const;
  QRect rect(int x, int y, int width, int height) const;
  int baseX = 0, baseY = 0;
};

}  // namespace zx::test::qt
