#pragma once
// The user interface on a desktop, over Qt 6 Widgets: message boxes, the file dialogs, the
// password prompt and the dialogs built from templates, all modal loops running the messages
// posted to the queue as the control's own pump does.
#include <memory>

#include "platform/qt/desktop.h"
#include "platform/ui.h"

namespace zx::platform::qt {

class QtUi : public Ui {
 public:
  explicit QtUi(std::shared_ptr<Desktop> desktop) : desktop_(std::move(desktop)) {}

  int messageBox(Owner owner, std::string_view caption, std::string_view text, unsigned flags) override;
  FileDialogResult fileDialog(const FileDialogRequest& request) override;
  PasswordAnswer passwordPrompt(Owner owner, std::string_view server) override;
  std::unique_ptr<DialogView> createDialog(const DialogTemplate& dialogTemplate, DialogHandler& handler,
                                           Owner owner) override;
  MessageQueue& queue() override { return desktop_->queue(); }

  Desktop& desktop() { return *desktop_; }

 private:
  std::shared_ptr<Desktop> desktop_;
};

}  // namespace zx::platform::qt
