#pragma once
// The interface on Windows: the system's message boxes, common file dialogs and the internet
// library's password dialog; the dialogs from the module's dialog resources; the thread's real
// message queue. Boxes and dialogs belong to the control's window once a container has given
// the control one (setControlWindow), and to nobody before.
#include "platform/api.h"
#include "platform/ui.h"
#include "platform/win32/message_queue_win32.h"
#include "platform/win32/win32_windows.h"

namespace zx::platform {

class Win32Ui : public Ui {
 public:
  int messageBox(Owner owner, std::string_view caption, std::string_view text, unsigned flags) override;
  FileDialogResult fileDialog(const FileDialogRequest& request) override;
  PasswordAnswer passwordPrompt(Owner owner, std::string_view server) override;
  std::unique_ptr<DialogView> createDialog(const DialogTemplate& dialogTemplate, DialogHandler& handler,
                                           Owner owner) override;
  MessageQueue& queue() override { return queue_; }
  NativeWindow nativeWindow(Owner owner) const override {
    return reinterpret_cast<NativeWindow>(windows_.ownerOf(owner));
  }

  // The window an embedding container made for the control and the browser window the control
  // recorded above it (nullptr when they go).
  void setControlWindow(HWND control, HWND browser) { windows_.setControlWindow(control, browser); }

 private:
  Win32Windows windows_;
  Win32MessageQueue queue_;
};

}  // namespace zx::platform
