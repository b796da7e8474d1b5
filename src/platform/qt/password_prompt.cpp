#include "platform/qt/password_prompt.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

#include "platform/qt/text.h"

namespace zx::platform::qt {

PasswordAnswer runPasswordPrompt(Desktop& desktop, QWidget* owner, std::string_view server) {
  QPointer<QDialog> dialog = new QDialog(owner);
  dialog->setObjectName(QStringLiteral("passwordPrompt"));
  dialog->setWindowTitle(QStringLiteral("네트워크 암호 입력"));
  auto* layout = new QFormLayout(dialog);
  auto* notice = new QLabel(QStringLiteral("이 서버에 접속하려면 사용자 이름과 암호가 필요합니다."), dialog);
  layout->addRow(notice);
  auto* serverName = new QLabel(fromAnsi(server), dialog);
  serverName->setObjectName(QStringLiteral("server"));
  serverName->setTextFormat(Qt::PlainText);
  layout->addRow(QStringLiteral("서버:"), serverName);
  auto* user = new QLineEdit(dialog);
  user->setObjectName(QStringLiteral("user"));
  layout->addRow(QStringLiteral("사용자 이름(&U):"), user);
  auto* password = new QLineEdit(dialog);
  password->setObjectName(QStringLiteral("password"));
  password->setEchoMode(QLineEdit::Password);
  layout->addRow(QStringLiteral("암호(&P):"), password);
  auto* buttons = new QDialogButtonBox(dialog);
  QPushButton* ok = buttons->addButton(QStringLiteral("확인"), QDialogButtonBox::AcceptRole);
  ok->setObjectName(QStringLiteral("ok"));
  ok->setDefault(true);
  QPushButton* cancel = buttons->addButton(QStringLiteral("취소"), QDialogButtonBox::RejectRole);
  cancel->setObjectName(QStringLiteral("cancel"));
  QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
  layout->addRow(buttons);
  user->setFocus();

  dialog->setWindowModality(modalityFor(owner, false));
  showCentred(dialog, owner);
  dialog->activateWindow();
  desktop.runModalLoop([&dialog] { return !dialog || !dialog->isVisible(); });

  PasswordAnswer answer;
  if (dialog && dialog->result() == QDialog::Accepted) {
    answer.retry = true;
    answer.user = toAnsi(user->text());
    answer.password = toAnsi(password->text());
  }
  delete dialog.data();
  return answer;
}

}  // namespace zx::platform::qt
