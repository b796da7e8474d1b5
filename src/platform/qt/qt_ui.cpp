#include "platform/qt/qt_ui.h"

#include "platform/qt/dialog_view.h"
#include "platform/qt/file_dialog.h"
#include "platform/qt/message_box.h"
#include "platform/qt/password_prompt.h"
#include "platform/qt/qt_ui_factory.h"

namespace zx::platform::qt {

int QtUi::messageBox(Owner owner, std::string_view caption, std::string_view text, unsigned flags) {
  return runMessageBox(*desktop_, desktop_->ownerWindow(owner), caption, text, flags);
}

FileDialogResult QtUi::fileDialog(const FileDialogRequest& request) {
  return runFileDialog(*desktop_, desktop_->ownerWindow(request.owner), request);
}

PasswordAnswer QtUi::passwordPrompt(Owner owner, std::string_view server) {
  return runPasswordPrompt(*desktop_, desktop_->ownerWindow(owner), server);
}

std::unique_ptr<DialogView> QtUi::createDialog(const DialogTemplate& dialogTemplate, DialogHandler& handler,
                                               Owner owner) {
  return std::make_unique<QtDialogView>(desktop_, dialogTemplate, handler, owner);
}

std::shared_ptr<Ui> makeQtUi(std::string* error, DrawControl showControl) {
  auto desktop = Desktop::open(error);
  if (!desktop) return nullptr;
  if (showControl) desktop->showControlWindow(std::move(showControl));
  return std::make_shared<QtUi>(std::move(desktop));
}

}  // namespace zx::platform::qt
