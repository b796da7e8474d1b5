#include <gtest/gtest.h>

#include <QFontInfo>
#include <QLabel>
#include <QScreen>

#include <QCheckBox>
#include <QProgressBar>
#include <QTest>
#include <climits>

#include "control/about_box.h"
#include "module/prop_page.h"
#include "platform/codepage.h"
#include "platform/qt/dialog_view.h"
#include "platform/qt/static_text.h"
#include "qt_test_support.h"
#include "support/zx_test.h"
#include "ui/origin_consent.h"
#include "ui/path_consent.h"
#include "ui/status_dialog.h"

namespace zx::test::qt {
namespace {

namespace mb = platform::mb;
using platform::qt::StaticText;

using TemplateDialogs = DesktopControlTest;

StaticText* staticAt(QWidget* window, const QRect& geometry) {
  for (StaticText* text : window->findChildren<StaticText*>())
    if (text->geometry() == geometry) return text;
  return nullptr;
}

int showAbout() { return runModuleDialog(*desktopUi(), aboutBoxTemplate(), platform::Owner::Control); }

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

TEST_F(TemplateDialogs, AboutBoxIsCentredOverTheControlsWindowButStaysOnTheScreen) {
  QWidget* control = desktopUi()->desktop().showControlWindow([](platform::DrawingSurface&, const platform::Rect&) {});
  QRect screen = control->screen()->availableGeometry();
  for (QPoint at : {screen.center() - QPoint(100, 50), screen.topLeft()}) {
    control->move(at);
    whenModal(
        [&](QWidget* window) {
          QRect box = window->geometry();
          EXPECT_TRUE(screen.contains(window->frameGeometry())) << "inside the screen";
          if (at != screen.topLeft()) {
            EXPECT_LE((box.center() - control->geometry().center()).manhattanLength(), 1) << "centred over the control";
          } else {
            // Wider than the control at the screen's left edge: pushed right, still centred
            // on the control's middle line.
            EXPECT_EQ(window->frameGeometry().left(), screen.left()) << "pushed back from the screen's edge";
            EXPECT_LE(std::abs(box.center().y() - control->geometry().center().y()), 1);
            saveScreenshot(window, "about_box_over_control");
          }
        },
        [](QWidget* window) { press(window, Qt::Key_Return); });
    EXPECT_EQ(showAbout(), mb::IDOK);
  }
  control->hide();
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
  CZorvAXPropPage page(env());
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
        EXPECT_EQ(text->text(), "ZorvAX Control has no settings to change here; the page sets its properties by script.");
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

TEST_F(TemplateDialogs, TheConsentDialogNamesTheOriginAndItsCheckBoxSaysWhetherToRemember) {
  whenModal(
      [](QWidget* window) {
        EXPECT_EQ(window->objectName(), "template301");
        ExpectedUnits units(window->font());
        EXPECT_EQ(window->size(), QSize(units.x(260), units.y(150)));
        auto* origin = window->findChild<StaticText*>("item3011");
        ASSERT_NE(origin, nullptr);
        EXPECT_EQ(origin->text(), "https://docs.example.com");
        auto* remember = window->findChild<QCheckBox*>("item3012");
        ASSERT_NE(remember, nullptr);
        EXPECT_EQ(remember->geometry(), units.rect(10, 112, 240, 10));
        EXPECT_FALSE(remember->isChecked());
        auto* deny = window->findChild<QPushButton*>("item2");
        ASSERT_NE(deny, nullptr);
        EXPECT_TRUE(deny->isDefault()) << "Enter denies";
        // On the box itself: a check box takes clicks on its indicator and label only.
        QTest::mouseClick(remember, Qt::LeftButton, {}, QPoint(remember->height() / 2, remember->height() / 2));
        EXPECT_TRUE(remember->isChecked());
        saveScreenshot(window, "origin_consent");
      },
      [](QWidget* window) { click(window->findChild<QPushButton*>("item3013")); });
  ConsentAnswer answer = askOriginConsent(*desktopUi(), "https://docs.example.com");
  EXPECT_TRUE(answer.allowed);
  EXPECT_TRUE(answer.remember);

  whenModal([](QWidget*) {}, [](QWidget* window) { press(window, Qt::Key_Return); });
  answer = askOriginConsent(*desktopUi(), "https://docs.example.com");
  EXPECT_FALSE(answer.allowed);
  EXPECT_FALSE(answer.remember);
  whenModal([](QWidget*) {}, [](QWidget* window) { press(window, Qt::Key_Escape); });
  EXPECT_FALSE(askOriginConsent(*desktopUi(), "https://docs.example.com").allowed);
}

TEST_F(TemplateDialogs, ThePathQuestionNamesSiteOperationAndPathAndDeniesByDefault) {
  whenModal(
      [](QWidget* window) {
        EXPECT_EQ(window->objectName(), "template302");
        auto text = [window](const char* name) {
          auto* item = window->findChild<StaticText*>(name);
          return item ? item->text() : QString("(none)");
        };
        EXPECT_EQ(text("item3021"), "https://docs.example.com");
        EXPECT_EQ(text("item3022"), "작업: 파일 쓰기 또는 바꾸기");
        EXPECT_EQ(text("item3023"), "/home/user/notes.txt");
        auto* deny = window->findChild<QPushButton*>("item2");
        ASSERT_NE(deny, nullptr);
        EXPECT_TRUE(deny->isDefault()) << "Enter denies";
        saveScreenshot(window, "path_question");
      },
      [](QWidget* window) { click(window->findChild<QPushButton*>("item3025")); });
  EXPECT_EQ(askPathConsent(*desktopUi(), "https://docs.example.com", PageOperation::Write, "/home/user/notes.txt"),
            PathConsent::AllowFolder);
  whenModal([](QWidget*) {}, [](QWidget* window) { click(window->findChild<QPushButton*>("item3024")); });
  EXPECT_EQ(askPathConsent(*desktopUi(), "https://docs.example.com", PageOperation::Open, "/x"), PathConsent::AllowOnce);
  whenModal([](QWidget*) {}, [](QWidget* window) { press(window, Qt::Key_Return); });
  EXPECT_EQ(askPathConsent(*desktopUi(), "https://docs.example.com", PageOperation::Send, "/x"), PathConsent::Deny);
  whenModal([](QWidget*) {}, [](QWidget* window) { press(window, Qt::Key_Escape); });
  EXPECT_EQ(askPathConsent(*desktopUi(), "https://docs.example.com", PageOperation::Delete, "/x"), PathConsent::Deny);
}

class RecordingHandler : public platform::DialogHandler {
 public:
  void onCommand(int itemId) override {
    commands.push_back(itemId);
    view->endDialog(itemId);
  }
  void onCancel() override { ++cancels; }
  void onDestroyed() override { destroyed = true; }
  platform::DialogView* view = nullptr;
  std::vector<int> commands;
  int cancels = 0;
  bool destroyed = false;
};

TEST_F(TemplateDialogs, AModelessDialogDoesWhatTheControlAsksAndTellsWhenItsWindowGoes) {
  using namespace statusdlg;
  RecordingHandler handler;
  auto view = desktopUi()->createDialog(dialogTemplate(), handler, platform::Owner::None);
  handler.view = view.get();
  QPointer<QWidget> window = dynamic_cast<platform::qt::QtDialogView*>(view.get())->window();
  view->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
  EXPECT_FALSE(window->isModal());

  view->setItemText(kCancelButton, ansi("닫기(&C)"));
  EXPECT_EQ(view->itemText(kCancelButton), ansi("닫기(&C)"));
  auto* cancel = window->findChild<QPushButton*>("item203");
  EXPECT_EQ(cancel->text(), "닫기(&C)");
  view->enableItem(kOpenButton, false);
  EXPECT_FALSE(view->isItemEnabled(kOpenButton));
  click(window->findChild<QPushButton*>("item207"));
  EXPECT_TRUE(handler.commands.empty()) << "a disabled button does nothing";
  view->setFocus(kCancelButton);
  EXPECT_EQ(window->focusWidget(), cancel);

  // 32-bit ranges, clamped positions.
  view->setProgressRange(kProgress, 0, INT_MAX);
  view->setProgressPos(kProgress, 2000000000);
  EXPECT_EQ(view->progressPos(kProgress), 2000000000);
  EXPECT_EQ(view->progressHigh(kProgress), INT_MAX);
  view->setProgressPos(kProgress, -7);
  EXPECT_EQ(view->progressPos(kProgress), 0);
  view->setProgressRange(kProgress, 0, 100);
  view->setProgressPos(kProgress, 250);
  EXPECT_EQ(view->progressPos(kProgress), 100);

  platform::Rect before = view->screenRect();
  view->moveTo({30, 20, 30 + before.right - before.left, 20 + before.bottom - before.top}, true);
  EXPECT_EQ(view->screenRect().left, 30);
  EXPECT_EQ(view->screenRect().top, 20);
  EXPECT_EQ(view->screenRect().right - view->screenRect().left, before.right - before.left) << "its size kept";

  press(window, Qt::Key_Escape);
  EXPECT_EQ(handler.cancels, 1);
  EXPECT_TRUE(view->isVisible()) << "the handler decides whether Esc ends it";
  window->close();
  EXPECT_EQ(handler.cancels, 2) << "the close box as Esc";
  EXPECT_TRUE(view->isVisible());

  click(cancel);
  EXPECT_EQ(handler.commands, std::vector<int>{kCancelButton});
  EXPECT_FALSE(view->isVisible()) << "ending a modeless dialog hides it";
  EXPECT_FALSE(handler.destroyed);
  view.reset();
  EXPECT_TRUE(handler.destroyed);
  EXPECT_TRUE(window.isNull());
}

}  // namespace
}  // namespace zx::test::qt
