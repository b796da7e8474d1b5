#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include "platform/codepage.h"
#include "qt_test_support.h"

namespace zx::test::qt {
namespace {

using platform::Owner;

TEST(PasswordPrompt, OkAnswersTheCredentialsForARetry) {
  whenModal(
      [](QWidget* window) {
        EXPECT_EQ(window->objectName(), "passwordPrompt");
        EXPECT_EQ(window->windowTitle().toStdString(), "네트워크 암호 입력");
        EXPECT_EQ(window->findChild<QLabel*>("server")->text(), "docs.example.test");
        auto* password = window->findChild<QLineEdit*>("password");
        ASSERT_NE(password, nullptr);
        EXPECT_EQ(password->echoMode(), QLineEdit::Password);
        auto buttons = buttonsLeftToRight(window);
        ASSERT_EQ(buttons.size(), 2u);
        EXPECT_EQ(buttons[0]->text(), "확인");
        EXPECT_TRUE(buttons[0]->isDefault());
        EXPECT_EQ(buttons[1]->text(), "취소");
      },
      [](QWidget* window) {
        type(window->findChild<QLineEdit*>("user"), QString::fromUtf8("홍길동"));
        type(window->findChild<QLineEdit*>("password"), QStringLiteral("s3cret"));
        saveScreenshot(window, "password_prompt");
        press(window->findChild<QLineEdit*>("password"), Qt::Key_Return);
      });
  platform::PasswordAnswer answer = desktopUi()->passwordPrompt(Owner::None, "docs.example.test");
  EXPECT_TRUE(answer.retry);
  EXPECT_EQ(platform::ansiToUtf8(answer.user), "홍길동");
  EXPECT_EQ(answer.password, "s3cret");
}

TEST(PasswordPrompt, CancelEscAndTheCloseBoxAskForNoRetry) {
  whenModal([](QWidget*) {}, [](QWidget* window) { click(buttonsLeftToRight(window).at(1)); });
  EXPECT_FALSE(desktopUi()->passwordPrompt(Owner::None, "host").retry);
  whenModal([](QWidget*) {},
            [](QWidget* window) {
              type(window->findChild<QLineEdit*>("user"), QStringLiteral("someone"));
              press(window, Qt::Key_Escape);
            });
  platform::PasswordAnswer answer = desktopUi()->passwordPrompt(Owner::None, "host");
  EXPECT_FALSE(answer.retry);
  EXPECT_EQ(answer.user, "") << "nothing typed is handed on after a cancel";
  whenModal([](QWidget*) {}, [](QWidget* window) { window->close(); });
  EXPECT_FALSE(desktopUi()->passwordPrompt(Owner::None, "host").retry);
}

}  // namespace
}  // namespace zx::test::qt
