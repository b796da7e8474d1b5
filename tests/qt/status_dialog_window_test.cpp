#include <gtest/gtest.h>

#include <QFileDialog>
#include <QFontInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QScreen>
#include <QTest>

#include "platform/codepage.h"
#include "platform/qt/dialog_view.h"
#include "platform/qt/static_text.h"
#include "qt_test_support.h"
#include "support/zx_test.h"
#include "ui/status_dialog.h"

namespace zx::test::qt {
namespace {

using namespace statusdlg;
using platform::ItemKind;
using platform::qt::QtDialogView;
using platform::qt::StaticText;

class StatusDialogWindow : public DesktopControlTest {
 protected:
  void TearDown() override {
    progress_.reset();
    DesktopControlTest::TearDown();
  }

  static QWidget* windowOf(CStatusDlg* dlg) { return dynamic_cast<QtDialogView*>(dlg->view())->window(); }
  template <typename W>
  static W* item(QWidget* window, int id) {
    auto* widget = window->findChild<W*>(QStringLiteral("item%1").arg(id));
    EXPECT_NE(widget, nullptr) << id;
    return widget;
  }
  // Shows the progress dialog as a download does, its last repaint done.
  QWidget* showProgress() {
    progress_ = showStatusDialog(env(), false, "DOWNLOAD", ansi("현재 위치에서 파일을 다운로드 합니다"),
                                 ansi("다운로드 센터에 접속 중 입니다"), false);
    QWidget* window = windowOf(currentStatusDlg());
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window));
    return window;
  }
  static void waitForPaint(CStatusDlg* dlg) {
    auto* view = dynamic_cast<QtDialogView*>(dlg->view());
    QTRY_VERIFY_WITH_TIMEOUT(!view->paintDeferred(), 5000);
  }
  // A person's click on a button of the modeless dialog, arriving through the message queue.
  static void postClick(QWidget* window, int id) {
    desktopUi()->queue().post([window, id] { click(item<QPushButton>(window, id)); });
  }

  std::unique_ptr<CStatusDlg> progress_;
};

// Every item of template 201 where its dialog units put it, with its kind of widget.
void expectTemplateLayout(QWidget* window) {
  EXPECT_EQ(QFontInfo(window->font()).family(), "NanumGothicCoding") << "stands in for 굴림체";
  EXPECT_EQ(window->font().pointSize(), 9);
  ExpectedUnits units(window->font());
  platform::DialogTemplate t = dialogTemplate();
  EXPECT_EQ(window->size(), QSize(units.x(t.width), units.y(t.height)));
  for (const platform::DialogItem& d : t.items) {
    QRect expected = units.rect(d.x, d.y, d.width, d.height);
    if (d.id == -1) {
      bool found = false;
      for (StaticText* text : window->findChildren<StaticText*>())
        if (text->geometry() == expected) {
          found = true;
          EXPECT_EQ(text->text().toStdString(), "다운로드 진행되는 동안 통신 보안이 적용됩니다.");
          EXPECT_EQ(text->alignment(), Qt::AlignHCenter);
        }
      EXPECT_TRUE(found) << "the footer";
      continue;
    }
    QWidget* widget = window->findChild<QWidget*>(QStringLiteral("item%1").arg(d.id));
    ASSERT_NE(widget, nullptr) << d.id;
    EXPECT_EQ(widget->geometry(), expected) << d.id;
    switch (d.kind) {
      case ItemKind::ProgressBar:
        EXPECT_NE(qobject_cast<QProgressBar*>(widget), nullptr) << d.id;
        break;
      case ItemKind::PushButton:
        EXPECT_NE(qobject_cast<QPushButton*>(widget), nullptr) << d.id;
        break;
      default: {
        auto* text = dynamic_cast<StaticText*>(widget);
        ASSERT_NE(text, nullptr) << d.id;
        Qt::Alignment alignment = d.kind == ItemKind::StaticCentred ? Qt::AlignHCenter
                                  : d.kind == ItemKind::StaticRight ? Qt::AlignRight
                                                                    : Qt::AlignLeft;
        EXPECT_EQ(text->alignment(), alignment) << d.id;
      }
    }
  }
}

std::vector<QString> buttonLabels(QWidget* window) {
  std::vector<QString> labels;
  for (QPushButton* button : buttonsLeftToRight(window)) labels.push_back(button->text());
  return labels;
}

TEST_F(StatusDialogWindow, ChoiceRoleShowsTheFileAndItsThreeChoices) {
  CStatusDlg dlg(env(), false);
  dlg.title = "DOWNLOAD";
  dlg.upperText = ansi("현재 위치에서 파일을 다운로드 합니다");
  dlg.lowerText = ansi("보고서 2024.hwp");
  ASSERT_TRUE(dlg.path.assign(ansi(tmp.file("보고서 2024.hwp"))));
  whenModal(
      [](QWidget* window) {
        EXPECT_EQ(window->objectName(), "template201");
        EXPECT_EQ(window->windowTitle(), "DOWNLOAD");
        expectTemplateLayout(window);
        EXPECT_EQ(item<StaticText>(window, kUpperText)->text().toStdString(), "현재 위치에서 파일을 다운로드 합니다");
        EXPECT_EQ(item<StaticText>(window, kLowerText)->text().toStdString(), "보고서 2024.hwp");
        EXPECT_EQ(item<StaticText>(window, kLeftFigure)->text(), "");
        EXPECT_EQ(item<StaticText>(window, kRightFigure)->text(), "");
        EXPECT_EQ(buttonLabels(window), (std::vector<QString>{"열기(&O)", "저장(&S)", "취소(&C)"}));
        for (int id : {kOpenButton, kSaveButton, kCancelButton}) EXPECT_TRUE(item<QPushButton>(window, id)->isEnabled());
        EXPECT_EQ(window->windowModality(), Qt::ApplicationModal) << "no control window is shown";
        saveScreenshot(window, "status_choice");
      },
      [](QWidget* window) { click(item<QPushButton>(window, kOpenButton)); });
  EXPECT_EQ(dlg.DoModal(), kEndOk);
  EXPECT_TRUE(dlg.openChosen);
  EXPECT_TRUE(shell.requests.empty()) << "Open in the choice role only chooses";
}

TEST_F(StatusDialogWindow, ChoiceRoleEnterPressesTheFocusedButtonAndEscCancelsWithoutAQuestion) {
  CStatusDlg first(env(), false);
  ASSERT_TRUE(first.path.assign(ansi(tmp.file("a.hwp"))));
  whenModal([](QWidget* window) { EXPECT_EQ(window->focusWidget(), item<QPushButton>(window, kOpenButton)); },
            [](QWidget* window) { press(window->focusWidget(), Qt::Key_Return); });
  EXPECT_EQ(first.DoModal(), kEndOk);
  EXPECT_TRUE(first.openChosen);

  CStatusDlg second(env(), false);
  ASSERT_TRUE(second.path.assign(ansi(tmp.file("a.hwp"))));
  whenModal([](QWidget*) {}, [](QWidget* window) { press(window, Qt::Key_Escape); });
  EXPECT_EQ(second.DoModal(), kEndCancel);
  EXPECT_TRUE(second.cancelled);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(StatusDialogWindow, ChoiceRoleSaveAsksForAPlaceOverTheChoiceDialog) {
  CStatusDlg dlg(env(), false);
  ASSERT_TRUE(dlg.path.assign(ansi(tmp.file("보고서.hwp"))));
  whenModal([](QWidget*) {},
            [&](QWidget* choice) {
              whenModal(
                  [&](QWidget* window) {
                    auto* files = qobject_cast<QFileDialog*>(window);
                    ASSERT_NE(files, nullptr);
                    EXPECT_EQ(files->parentWidget(), choice) << "owned by the status dialog";
                    EXPECT_EQ(files->windowTitle().toStdString(), "다른 파일 이름으로 저장");
                    EXPECT_EQ(files->nameFilters(), QStringList{"download (*.hwp)"});
                    EXPECT_EQ(files->findChild<QLineEdit*>("fileNameEdit")->text(), "보고서.hwp");
                  },
                  [](QWidget* window) { press(window->findChild<QLineEdit*>("fileNameEdit"), Qt::Key_Return); });
              click(item<QPushButton>(choice, kSaveButton));
            });
  EXPECT_EQ(dlg.DoModal(), kEndOk);
  EXPECT_FALSE(dlg.openChosen);
  EXPECT_EQ(utf8(dlg.path.str()), tmp.file("보고서.hwp"));
  EXPECT_TRUE(tmp.files().empty()) << "the probe leaves nothing behind";
}

TEST_F(StatusDialogWindow, ProgressRoleShowsTextsBarAndScale) {
  QWidget* window = showProgress();
  EXPECT_EQ(window->windowTitle(), "DOWNLOAD");
  expectTemplateLayout(window);
  QRect screen = window->screen()->availableGeometry();
  int centredTop = screen.center().y() - window->height() / 2;
  int titleBar = window->geometry().y() - window->y();
  EXPECT_NEAR(window->y(), std::max(0, centredTop - titleBar - 40), 1) << "centred, then its frame moved 40 up";

  updateStatus(nullptr, ansi("보고서.hwp 받는 중").c_str(), 617283, 1234567);
  showCurrentByteCounts(0, 1234567);
  waitForPaint(currentStatusDlg());
  auto* bar = item<QProgressBar>(window, kProgress);
  EXPECT_EQ(bar->maximum(), 1234567);
  EXPECT_EQ(bar->value(), 617283);
  EXPECT_EQ(item<StaticText>(window, kUpperText)->text().toStdString(), "현재 위치에서 파일을 다운로드 합니다");
  EXPECT_EQ(item<StaticText>(window, kLowerText)->text().toStdString(), "보고서.hwp 받는 중");
  EXPECT_EQ(item<StaticText>(window, kLeftFigure)->text(), "0");
  EXPECT_EQ(item<StaticText>(window, kRightFigure)->text(), "1,234,567");
  EXPECT_FALSE(item<QPushButton>(window, kOpenButton)->isEnabled());
  EXPECT_FALSE(item<QPushButton>(window, kSaveButton)->isEnabled());
  EXPECT_TRUE(item<QPushButton>(window, kCancelButton)->isEnabled());
  EXPECT_TRUE(window->isVisible());
  EXPECT_FALSE(window->isModal()) << "the page stays usable during a transfer";
  saveScreenshot(window, "status_progress");
}

TEST_F(StatusDialogWindow, CancelAsksFirstAndOnlyYesCancels) {
  QWidget* window = showProgress();
  for (int answer : {platform::mb::IDNO, platform::mb::IDCANCEL}) {
    postClick(window, kCancelButton);
    whenModal(
        [&](QWidget* modal) {
          auto* box = qobject_cast<QMessageBox*>(modal);
          ASSERT_NE(box, nullptr);
          EXPECT_EQ(box->windowTitle().toStdString(), "질문");
          EXPECT_EQ(box->text().toStdString(), "취소 하겠습니까 ?");
          EXPECT_EQ(box->parentWidget(), window) << "owned by the progress dialog";
          EXPECT_EQ(buttonLabels(box), (std::vector<QString>{"예(&Y)", "아니요(&N)", "취소"}));
          if (answer == platform::mb::IDNO) saveScreenshot(box, "status_cancel_question");
        },
        [answer](QWidget* box) { click(box->findChild<QPushButton*>(QStringLiteral("answer%1").arg(answer))); });
    // The click arrives while the transfer pumps messages in its progress update.
    updateStatus(nullptr, nullptr, 40, 100);
    EXPECT_EQ(desktopUi()->queue().pending(), 0u);
    EXPECT_FALSE(currentStatusDlg()->cancelled) << answer;
    EXPECT_TRUE(window->isVisible()) << answer;
  }

  postClick(window, kCancelButton);
  whenModal([](QWidget*) {}, [](QWidget* box) { press(box, Qt::Key_Return); });
  updateStatus(nullptr, nullptr, 50, 100);
  EXPECT_TRUE(currentStatusDlg()->cancelled);
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(currentStatusDlg()->view()->progressPos(kProgress), 50);
  updateStatus(nullptr, ansi("바뀌지 않음").c_str(), 90, 100);
  EXPECT_EQ(currentStatusDlg()->view()->progressPos(kProgress), 50) << "a cancelled dialog changes no more";
  EXPECT_EQ(item<StaticText>(window, kLowerText)->text().toStdString(), "다운로드 센터에 접속 중 입니다");
}

TEST_F(StatusDialogWindow, CompletedRoleIsRelabelledAndClosesWithoutAQuestion) {
  QWidget* window = showProgress();
  std::string saved = ansi(tmp.file("보고서.hwp"));
  updateStatus(ansi("파일이 저장 되었습니다").c_str(), ansi("보고서.hwp").c_str(), 2048, 2048);
  showCurrentByteCounts(0, 2048);
  CStatusDlg* completed = progress_.get();
  completed->becomeCompleted(saved);
  leaveOnScreen(std::move(progress_));
  waitForPaint(completed);

  EXPECT_EQ(buttonLabels(window), (std::vector<QString>{"파일열기(&O)", "폴더열기(&D)", "닫기(&C)"}));
  EXPECT_EQ(shown(item<QPushButton>(window, kCancelButton)->text()), "닫기(C)");
  for (int id : {kOpenButton, kSaveButton, kCancelButton}) EXPECT_TRUE(item<QPushButton>(window, id)->isEnabled());
  EXPECT_EQ(window->focusWidget(), item<QPushButton>(window, kOpenButton));
  EXPECT_EQ(item<QProgressBar>(window, kProgress)->value(), 2048);
  EXPECT_EQ(item<StaticText>(window, kUpperText)->text().toStdString(), "파일이 저장 되었습니다");
  saveScreenshot(window, "status_completed");

  QPointer<QWidget> alive = window;
  click(item<QPushButton>(window, kSaveButton));
  ASSERT_EQ(shell.requests.size(), 1u);
  EXPECT_EQ(shell.requests[0].verb, "folder");
  EXPECT_EQ(utf8(shell.requests[0].target), tmp.path());
  EXPECT_FALSE(window->isVisible());
  // The dialog outlived the flow; it frees itself, and its window goes, at the next pump.
  EXPECT_FALSE(alive.isNull());
  desktopUi()->queue().pump(100);
  EXPECT_TRUE(alive.isNull());
}

}  // namespace
}  // namespace zx::test::qt
