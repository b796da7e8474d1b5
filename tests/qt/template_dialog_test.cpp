#include <gtest/gtest.h>

#include <QFontInfo>
#include <QLabel>
#include <QScreen>

#include "control/about_box.h"
#include "control/prop_page.h"
#include "platform/qt/static_text.h"
#include "qt_test_support.h"
#include "support/zx_test.h"

namespace zx::test::qt {
namespace {

namespace mb = platform::mb;
using platform::qt::StaticText;

// The control's code reaches the interface through the process's current one.
class TemplateDialogs : public ControlTest {
 protected:
  void SetUp() override {
    ControlTest::SetUp();
    platform::setUi(desktopUi());
  }
};

StaticText* staticAt(QWidget* window, const QRect& geometry) {
  for (StaticText* text : window->findChildren<StaticText*>())
    if (text->geometry() == geometry) return text;
  return nullptr;
}

int showAbout() { return runModuleDialog(aboutBoxTemplate(), platform::Owner::Control); }

TEST_F(TemplateDialogs, AboutBoxIsLaidOutInDialogUnitsOfItsFont) {
  whenModal(
      [](QWidget* window) {
        EXPECT_EQ(window->objectName(), "template1");
        EXPECT_EQ(window->windowTitle(), "About ZorvAX Control");
        EXPECT_EQ(window->font().pointSize(), 8);
        EXPECT_EQ(QFontInfo(window->font()).family(), "NanumGothic") << "stands in for MS Sans Serif";
        ExpectedUnits units(window->font());
        EXPECT_GT(units.baseX, 3);
        EXPECT_GT(units.baseY, 8);
        EXPECT_EQ(window->size(), QSize(units.x(260), units.y(55)));
        QPoint offset = window->geometry().center() - window->screen()->availableGeometry().center();
        EXPECT_LE(offset.manhattanLength(), 1) << "centred over the screen: the control's window is not shown";

        StaticText* title = staticAt(window, units.rect(40, 10, 170, 8));
        ASSERT_NE(title, nullptr);
        EXPECT_EQ(title->text(), "ZorvAX Control, Version 1.0");
        EXPECT_EQ(title->alignment(), Qt::AlignLeft);
        StaticText* notice = staticAt(window, units.rect(40, 25, 170, 8));
        ASSERT_NE(notice, nullptr);
        EXPECT_EQ(notice->text().toStdString(), kAboutNotice);

        auto* ok = window->findChild<QPushButton*>("item1");
        ASSERT_NE(ok, nullptr);
        EXPECT_EQ(ok->text(), "OK");
        EXPECT_EQ(ok->geometry(), units.rect(221, 7, 32, 14));
        EXPECT_TRUE(ok->isDefault());
        EXPECT_TRUE(ok->isEnabled());
        auto* icon = window->findChild<QLabel*>();
        ASSERT_NE(icon, nullptr);
        EXPECT_EQ(icon->geometry(), QRect(units.x(10), units.y(10), 32, 32)) << "an icon keeps its own size";
        EXPECT_FALSE(icon->pixmap().isNull());
        saveScreenshot(window, "about_box");
      },
      [](QWidget* window) { press(window, Qt::Key_Return); });
  EXPECT_EQ(showAbout(), mb::IDOK);
}

TEST_F(TemplateDialogs, AboutBoxClosesByItsButtonEscOrTheCloseBox) {
  whenModal([](QWidget*) {}, [](QWidget* window) { click(window->findChild<QPushButton*>("item1")); });
  EXPECT_EQ(showAbout(), mb::IDOK);
  whenModal([](QWidget*) {}, [](QWidget* window) { press(window, Qt::Key_Escape); });
  EXPECT_EQ(showAbout(), mb::IDCANCEL);
  whenModal([](QWidget*) {}, [](QWidget* window) { window->close(); });
  EXPECT_EQ(showAbout(), mb::IDCANCEL);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(TemplateDialogs, PropertyPageSitsInAFrameWithOkAndCancel) {
  CZorvAXPropPage page;
  whenModal(
      [](QWidget* window) {
        EXPECT_EQ(window->objectName(), "template200");
        EXPECT_EQ(window->windowTitle(), "General");
        ExpectedUnits units(window->font());
        auto* client = window->findChild<QWidget*>("page");
        ASSERT_NE(client, nullptr);
        EXPECT_EQ(client->size(), QSize(units.x(250), units.y(62)));
        StaticText* text = staticAt(client, units.rect(7, 25, 229, 16));
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(text->text(), "TODO: Place controls to manipulate properties of ZorvAX Control on this dialog.");
        auto buttons = buttonsLeftToRight(window);
        ASSERT_EQ(buttons.size(), 2u);
        EXPECT_EQ(buttons[0]->text(), "확인");
        EXPECT_TRUE(buttons[0]->isDefault());
        EXPECT_EQ(buttons[1]->text(), "취소");
        EXPECT_TRUE(window->rect().contains(buttons[1]->mapTo(window, buttons[1]->rect().bottomRight())))
            << "nothing is cut off";
        saveScreenshot(window, "property_page");
      },
      [](QWidget* window) { click(buttonsLeftToRight(window).at(1)); });
  EXPECT_EQ(page.show(), mb::IDCANCEL);
  whenModal([](QWidget*) {}, [](QWidget* window) { press(window, Qt::Key_Return); });
  EXPECT_EQ(page.show(), mb::IDOK);
}

}  // namespace
}  // namespace zx::test::qt
