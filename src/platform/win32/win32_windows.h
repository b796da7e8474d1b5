#pragma once
// The windows the control's boxes and dialogs are placed by: the control's own window once a
// container has given it one, the browser window above it, and the dialogs on screen.
#include <vector>

#include "platform/ui.h"
#include "platform/win32/system_headers.h"

namespace zx::platform {

class Win32DialogView;

class Win32Windows {
 public:
  // The module whose code this is (zorvax.ocx, or a program linking these layers): its resources
  // hold the dialogs, and it is the file registered as the server.
  static HINSTANCE resourceModule();
  // True for a dialog window made by a Win32DialogView: the queue lets the dialog manager
  // handle its keys (Tab, Enter, Esc).
  static bool isControlDialog(HWND window);
  static void markControlDialog(HWND window, bool mark);

  // The control's window and the browser window the control recorded when its window was
  // made (nullptr: none, or gone).
  void setControlWindow(HWND control, HWND browser);
  HWND controlWindow() const;
  HWND browserWindow() const;

  // The window a box or dialog of `owner` belongs to; nullptr when there is none.
  HWND ownerOf(Owner owner) const;
  // The window a dialog of `owner` is centred over: for the control, the browser window.
  HWND centringReference(Owner owner) const;

  void dialogCreated(Win32DialogView* view) { dialogs_.push_back(view); }
  void dialogDestroyed(Win32DialogView* view);

 private:
  HWND control_ = nullptr;
  HWND browser_ = nullptr;
  std::vector<Win32DialogView*> dialogs_;
};

// Centres `window` over `reference` (nullptr: the work area), kept inside the work area of the
// reference's monitor as the dialog manager keeps dialogs.
void centreWindow(HWND window, HWND reference);

}  // namespace zx::platform
