#pragma once
// Message boxes in the style the control asks for: icon, buttons and answers of the system's
// message-box flags.
#include <QString>
#include <vector>

#include "platform/qt/desktop.h"

class QMessageBox;

namespace zx::platform::qt {

struct BoxButton {
  QString label;
  int answer;  // IDOK, IDCANCEL, IDYES or IDNO
};

// The buttons of a style, in their order on screen; the first is the default one (Enter).
std::vector<BoxButton> boxButtons(unsigned flags);
// What Esc and the close box answer: Cancel, else No, else OK.
int escapeAnswer(unsigned flags);

// Shows the box modally over `owner` (none: over the screen) and answers the button chosen.
// Texts are the control's ANSI text.
int runMessageBox(Desktop& desktop, QWidget* owner, std::string_view caption, std::string_view text, unsigned flags);

}  // namespace zx::platform::qt
