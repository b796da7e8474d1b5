#include <gtest/gtest.h>

#include <QMessageBox>

#include "platform/codepage.h"
#include "qt_test_support.h"

namespace zx::test::qt {
namespace {

namespace mb = platform::mb;
using platform::Owner;

struct BoxCase {
  const char* name;
  unsigned flags;
  std::vector<QString> labels;  // left to right; the first is the default
  std::vector<int> answers;     // of each button
  QMessageBox::Icon icon;
  int escape;  // what Esc answers
};

const std::vector<BoxCase>& boxCases() {
  static const std::vector<BoxCase> cases{
      {"ok_stop", mb::MB_OK | mb::MB_ICONHAND | mb::MB_TASKMODAL, {"확인"}, {mb::IDOK}, QMessageBox::Critical, mb::IDOK},
      {"okcancel", mb::MB_OKCANCEL, {"확인", "취소"}, {mb::IDOK, mb::IDCANCEL}, QMessageBox::NoIcon, mb::IDCANCEL},
      {"yesno_question", mb::MB_YESNO | mb::MB_ICONQUESTION, {"예(&Y)", "아니요(&N)"}, {mb::IDYES, mb::IDNO}, QMessageBox::Question, mb::IDNO},
      {"yesnocancel_question",
       mb::MB_YESNOCANCEL | mb::MB_ICONQUESTION,
       {"예(&Y)", "아니요(&N)", "취소"},
       {mb::IDYES, mb::IDNO, mb::IDCANCEL},
       QMessageBox::Question,
       mb::IDCANCEL},
  };
  return cases;
}

const std::string kCaption = "파일열기";
const std::string kText = "파일을 열 수 없습니다.\n/자료/보고서.hwp";

int showBox(unsigned flags, Owner owner = Owner::None) {
  return desktopUi()->messageBox(owner, platform::utf8ToAnsi(kCaption), platform::utf8ToAnsi(kText), flags);
}

TEST(MessageBoxes, EachStyleShowsItsCaptionTextIconAndButtonsAndAnswersTheOneClicked) {
  for (const BoxCase& c : boxCases()) {
    for (size_t clicked = 0; clicked < c.labels.size(); ++clicked) {
      SCOPED_TRACE(std::string(c.name) + " button " + std::to_string(clicked));
      whenModal(
          [&](QWidget* window) {
            auto* box = qobject_cast<QMessageBox*>(window);
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->windowTitle().toStdString(), kCaption);
            EXPECT_EQ(box->text().toStdString(), kText);
            EXPECT_EQ(box->icon(), c.icon);
            auto buttons = buttonsLeftToRight(box);
            ASSERT_EQ(buttons.size(), c.labels.size());
            for (size_t i = 0; i < buttons.size(); ++i) {
              EXPECT_EQ(buttons[i]->text(), c.labels[i]);
              EXPECT_TRUE(buttons[i]->isEnabled());
            }
            EXPECT_EQ(box->defaultButton(), buttons.front()) << "Enter chooses the first button";
            if (clicked == 0) saveScreenshot(box, std::string("box_") + c.name);
          },
          [&](QWidget* window) {
            auto buttons = buttonsLeftToRight(window);
            ASSERT_GT(buttons.size(), clicked);
            click(buttons[clicked]);
          });
      EXPECT_EQ(showBox(c.flags), c.answers[clicked]);
      EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "the box is gone";
    }
  }
}

TEST(MessageBoxes, EnterChoosesTheFirstButtonAndEscTheCancelOrNoAnswer) {
  for (const BoxCase& c : boxCases()) {
    SCOPED_TRACE(c.name);
    whenModal([](QWidget*) {}, [](QWidget* box) { press(box, Qt::Key_Return); });
    EXPECT_EQ(showBox(c.flags), c.answers.front());
    whenModal([](QWidget*) {}, [](QWidget* box) { press(box, Qt::Key_Escape); });
    EXPECT_EQ(showBox(c.flags), c.escape);
    whenModal([](QWidget*) {}, [](QWidget* box) { box->close(); });
    EXPECT_EQ(showBox(c.flags), c.escape) << "the close box answers as Esc does";
  }
}

TEST(MessageBoxes, ABoxIsModalToTheWindowItsOwnerNames) {
  QWidget* controlWindow = desktopUi()->desktop().showControlWindow([](platform::DrawingSurface&, const platform::Rect&) {});
  controlWindow->setGeometry(300, 200, 240, 160);
  whenModal(
      [&](QWidget* box) {
        EXPECT_EQ(box->parentWidget(), controlWindow);
        EXPECT_EQ(box->windowModality(), Qt::WindowModal);
        QPoint offset = box->geometry().center() - controlWindow->geometry().center();
        EXPECT_LE(offset.manhattanLength(), 2) << "centred over its owner";
      },
      [](QWidget* box) { press(box, Qt::Key_Return); });
  showBox(mb::MB_OK, Owner::Control);

  whenModal(
      [&](QWidget* box) {
        EXPECT_EQ(box->parentWidget(), controlWindow);
        EXPECT_EQ(box->windowModality(), Qt::ApplicationModal) << "task-modal boxes block every window";
      },
      [](QWidget* box) { press(box, Qt::Key_Return); });
  showBox(mb::MB_OK | mb::MB_TASKMODAL, Owner::Control);

  whenModal(
      [&](QWidget* box) {
        EXPECT_EQ(box->parentWidget(), nullptr);
        EXPECT_EQ(box->windowModality(), Qt::ApplicationModal);
      },
      [](QWidget* box) { press(box, Qt::Key_Return); });
  showBox(mb::MB_OK, Owner::None);

  // A box over a box: the innermost modal window owns the second one.
  whenModal([](QWidget*) {},
            [&](QWidget* outer) {
              whenModal([&](QWidget* inner) { EXPECT_EQ(inner->parentWidget(), outer); },
                        [](QWidget* inner) { press(inner, Qt::Key_Escape); });
              EXPECT_EQ(showBox(mb::MB_OKCANCEL, Owner::Dialog), mb::IDCANCEL);
              press(outer, Qt::Key_Return);
            });
  EXPECT_EQ(showBox(mb::MB_YESNO), mb::IDYES);
  controlWindow->hide();
}

}  // namespace
}  // namespace zx::test::qt
