#include "platform/qt/message_box.h"

#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <map>

#include "platform/qt/text.h"

namespace zx::platform::qt {
namespace {

constexpr unsigned kStyleMask = 0x0F, kIconMask = 0xF0;

QMessageBox::Icon iconOf(unsigned flags) {
  switch (flags & kIconMask) {
    case mb::MB_ICONHAND:
      return QMessageBox::Critical;
    case mb::MB_ICONQUESTION:
      return QMessageBox::Question;
    default:
      return QMessageBox::NoIcon;
  }
}

QMessageBox::ButtonRole roleOf(int answer) {
  switch (answer) {
    case mb::IDYES:
      return QMessageBox::YesRole;
    case mb::IDNO:
      return QMessageBox::NoRole;
    case mb::IDCANCEL:
      return QMessageBox::RejectRole;
    default:
      return QMessageBox::AcceptRole;
  }
}

const BoxButton kOk{QStringLiteral("확인"), mb::IDOK};
const BoxButton kCancel{QStringLiteral("취소"), mb::IDCANCEL};
const BoxButton kYes{QStringLiteral("예(&Y)"), mb::IDYES};
const BoxButton kNo{QStringLiteral("아니요(&N)"), mb::IDNO};

}  // namespace

std::vector<BoxButton> boxButtons(unsigned flags) {
  switch (flags & kStyleMask) {
    case mb::MB_OKCANCEL:
      return {kOk, kCancel};
    case mb::MB_YESNOCANCEL:
      return {kYes, kNo, kCancel};
    case mb::MB_YESNO:
      return {kYes, kNo};
    default:
      return {kOk};
  }
}

int escapeAnswer(unsigned flags) {
  int answer = mb::IDOK;
  for (const BoxButton& button : boxButtons(flags)) {
    if (button.answer == mb::IDCANCEL) return mb::IDCANCEL;
    if (button.answer == mb::IDNO) answer = mb::IDNO;
  }
  return answer;
}

int runMessageBox(Desktop& desktop, QWidget* owner, std::string_view caption, std::string_view text, unsigned flags) {
  QPointer<QMessageBox> box = new QMessageBox(owner);
  box->setObjectName(QStringLiteral("messageBox"));
  box->setWindowTitle(fromAnsi(caption));
  box->setTextFormat(Qt::PlainText);
  box->setText(fromAnsi(text));
  box->setIcon(iconOf(flags));
  std::map<QAbstractButton*, int> answers;
  int escape = escapeAnswer(flags);
  for (const BoxButton& choice : boxButtons(flags)) {
    QPushButton* button = box->addButton(choice.label, roleOf(choice.answer));
    button->setObjectName(QStringLiteral("answer%1").arg(choice.answer));
    if (answers.empty()) box->setDefaultButton(button);
    if (choice.answer == escape) box->setEscapeButton(button);
    answers[button] = choice.answer;
  }
  box->setWindowModality(modalityFor(owner, (flags & mb::MB_TASKMODAL) != 0));
  showCentred(box, owner);
  box->activateWindow();
  desktop.runModalLoop([&box] { return !box || !box->isVisible(); });
  if (!box) return escape;
  auto chosen = answers.find(box->clickedButton());
  int answer = chosen == answers.end() ? escape : chosen->second;
  delete box.data();
  return answer;
}

}  // namespace zx::platform::qt
