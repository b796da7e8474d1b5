#include "doubles/logging_ui.h"

#include <nlohmann/json.hpp>

#include "platform/codepage.h"

namespace zx::doubles {

using namespace platform;

void LoggingUi::write(const char* kind, Owner owner, std::string_view caption, std::string_view text, unsigned flags) {
  nlohmann::ordered_json line = {{"kind", kind},
                         {"owner", ownerName(owner)},
                         {"caption", ansiToUtf8(caption)},
                         {"text", ansiToUtf8(text)},
                         {"flags", flags}};
  std::fprintf(log_, "%s\n", line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace).c_str());
  std::fflush(log_);
}

int LoggingUi::messageBox(Owner owner, std::string_view caption, std::string_view text, unsigned flags) {
  write("box", owner, caption, text, flags);
  return inner_->messageBox(owner, caption, text, flags);
}

FileDialogResult LoggingUi::fileDialog(const FileDialogRequest& request) {
  write("file", request.owner, request.title, request.initialName, request.flags);
  return inner_->fileDialog(request);
}

PasswordAnswer LoggingUi::passwordPrompt(Owner owner, std::string_view server) {
  write("password", owner, "", server, 0);
  return inner_->passwordPrompt(owner, server);
}

std::unique_ptr<DialogView> LoggingUi::createDialog(const DialogTemplate& dialogTemplate, DialogHandler& handler,
                                                    Owner owner) {
  write("dialog", owner, dialogTemplate.caption, std::to_string(dialogTemplate.id), 0);
  return inner_->createDialog(dialogTemplate, handler, owner);
}

}  // namespace zx::doubles
