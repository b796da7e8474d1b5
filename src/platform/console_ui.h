#pragma once
// The interface without a display: boxes go to standard error as "[caption] text" in UTF-8 and
// are answered with their first button; file and password prompts are declined.
#include "platform/api.h"
#include "platform/headless_dialog.h"
#include "platform/ui.h"

namespace zx::platform {

// The first button of a box: what Enter would choose.
ZX_API int defaultBoxAnswer(unsigned flags);

class ZX_API ConsoleUi : public Ui {
 public:
  int messageBox(Owner owner, std::string_view caption, std::string_view text, unsigned flags) override;
  FileDialogResult fileDialog(const FileDialogRequest& request) override;
  PasswordAnswer passwordPrompt(Owner owner, std::string_view server) override;
  std::unique_ptr<DialogView> createDialog(const DialogTemplate& dialogTemplate, DialogHandler& handler,
                                           Owner owner) override;
  MessageQueue& queue() override { return queue_; }

 private:
  MessageQueue queue_;
};

}  // namespace zx::platform
