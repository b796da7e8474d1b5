#include "platform/win32/win32_ui.h"
#include "platform/codepage.h"
#include "platform/win32/wininet_credentials.h"

#include "platform/win32/system_headers.h"

namespace zx::platform {
namespace {

std::wstring wide(std::string_view ansi) {
  std::u16string text = ansiToUtf16(ansi);
  return std::wstring(text.begin(), text.end());
}

}  // namespace

int Win32Ui::messageBox(Owner, std::string_view caption, std::string_view text, unsigned flags) {
  // The control has no window of its own yet: its boxes have no owner, which MB_TASKMODAL
  // (where asked for) makes modal to the thread's windows all the same.
  return MessageBoxW(nullptr, wide(text).c_str(), wide(caption).c_str(), flags);
}

FileDialogResult Win32Ui::fileDialog(const FileDialogRequest& request) { return console_.fileDialog(request); }

PasswordAnswer Win32Ui::passwordPrompt(Owner, std::string_view) {
  return http::askForCredentials(GetDesktopWindow());
}

std::unique_ptr<DialogView> Win32Ui::createDialog(const DialogTemplate& dialogTemplate, DialogHandler& handler,
                                                  Owner owner) {
  return console_.createDialog(dialogTemplate, handler, owner);
}

}  // namespace zx::platform
