#include "platform/console_ui.h"

#include <cstdio>

#include "platform/codepage.h"

namespace zx::platform {

int defaultBoxAnswer(unsigned flags) {
  switch (flags & 0x0F) {
    case mb::MB_YESNO:
    case mb::MB_YESNOCANCEL:
      return mb::IDYES;
    default:
      return mb::IDOK;
  }
}

int ConsoleUi::messageBox(Owner, std::string_view caption, std::string_view text, unsigned flags) {
  std::fprintf(stderr, "[%s] %s\n", ansiToUtf8(caption).c_str(), ansiToUtf8(text).c_str());
  return defaultBoxAnswer(flags);
}

FileDialogResult ConsoleUi::fileDialog(const FileDialogRequest& request) {
  std::fprintf(stderr, "[%s] no display: the file dialog is cancelled\n",
               ansiToUtf8(request.title.empty() ? (request.save ? "Save As" : "Open") : request.title).c_str());
  return {};
}

PasswordAnswer ConsoleUi::passwordPrompt(Owner, std::string_view server) {
  std::fprintf(stderr, "[%s] no display: the password prompt is cancelled\n", ansiToUtf8(server).c_str());
  return {};
}

std::unique_ptr<DialogView> ConsoleUi::createDialog(const DialogTemplate& dialogTemplate, DialogHandler& handler,
                                                    Owner owner) {
  return std::make_unique<HeadlessDialogView>(dialogTemplate, handler, owner, nullptr);
}

}  // namespace zx::platform
