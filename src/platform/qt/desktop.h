#pragma once
// What every window of the desktop interface shares: the application object (made before any
// window and gone after the last), the message queue, the clock of the repaint limit, and the
// windows that owners name. The interface and each dialog keep it alive.
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/qt/control_window.h"
#include "platform/qt/message_queue.h"
#include "platform/qt/paint_throttle.h"
#include "platform/ui.h"

class QApplication;
class QTranslator;

namespace zx::platform::qt {

class QtDialogView;

class Desktop {
 public:
  // Makes the application object when none exists yet; on a second call the same desktop.
  // nullptr, with the reason in *error, when there is no display to show windows on.
  static std::shared_ptr<Desktop> open(std::string* error);
  ~Desktop();
  Desktop(const Desktop&) = delete;
  Desktop& operator=(const Desktop&) = delete;

  QtMessageQueue& queue() { return queue_; }
  // Closes the windows the desktop owns, then the application object: the end, at exit.
  void close();

  // A modal loop: the toolkit's events and the posted messages, waiting when there are none,
  // until `done` says so.
  void runModalLoop(const std::function<bool()>& done);

  // The window an owner names, or nullptr: the control's window when it is shown, the
  // status dialog on screen, the innermost modal window.
  QWidget* ownerWindow(Owner owner) const;
  // Shows the control as an embedded object would be, drawn by `draw`; it owns the boxes
  // and dialogs of Owner::Control from then on.
  ControlWindow* showControlWindow(DrawControl draw);

  void dialogCreated(QtDialogView* view) { dialogs_.push_back(view); }
  void dialogDestroyed(QtDialogView* view);

  PaintThrottle::Clock clock;

 private:
  Desktop();

  int argc_ = 1;
  char programName_[7] = "zorvax";
  char* argv_[2] = {programName_, nullptr};
  std::unique_ptr<QApplication> application_;
  std::unique_ptr<QTranslator> translator_;
  QtMessageQueue queue_;
  std::unique_ptr<ControlWindow> controlWindow_;
  std::vector<QtDialogView*> dialogs_;
};

// Modal to its owner, or to the whole application when it has none or the box asks for it.
Qt::WindowModality modalityFor(const QWidget* owner, bool taskModal);
// Makes `window` owned by `owner` without making it its child: the window manager keeps it
// above its owner, and either can go first.
void setOwner(QWidget* window, QWidget* owner);
// Centres the window over its owner, or over the screen without an owner, inside the screen.
void centreOver(QWidget* window, QWidget* owner);
// Shows a window whose size the toolkit settles as it shows it (boxes, the file dialog, the
// prompt), centred over its owner.
void showCentred(QWidget* window, QWidget* owner);

}  // namespace zx::platform::qt
