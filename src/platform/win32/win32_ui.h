#pragma once
// The interface on Windows: the system's message boxes and the password dialog of the
// internet library over the thread's real message queue. The file dialogs and the dialogs
// built from templates have no windows of their own yet: they behave as on the console
// (file dialogs cancelled, dialogs kept headless), so the control works without them.
#include "platform/api.h"
#include "platform/console_ui.h"
#include "platform/ui.h"
#include "platform/win32/message_queue_win32.h"

namespace zx::platform {

class Win32Ui : public Ui {
 public:
  int messageBox(Owner owner, std::string_view caption, std::string_view text, unsigned flags) override;
  FileDialogResult fileDialog(const FileDialogRequest& request) override;
  PasswordAnswer passwordPrompt(Owner owner, std::string_view server) override;
  std::unique_ptr<DialogView> createDialog(const DialogTemplate& dialogTemplate, DialogHandler& handler,
                                           Owner owner) override;
  MessageQueue& queue() override { return queue_; }

 private:
  ConsoleUi console_;
  Win32MessageQueue queue_;
};

}  // namespace zx::platform
