#include "platform/win32/win32_ui.h"

#include "platform/win32/system_headers.h"
#include "platform/win32/win32_dialog_view.h"
#include "platform/win32/win32_file_dialog.h"
#include "platform/win32/win32_text.h"
#include "platform/win32/wininet_credentials.h"

namespace zx::platform {

int Win32Ui::messageBox(Owner owner, std::string_view caption, std::string_view text, unsigned flags) {
  // The flags are the system's own: icon, buttons, modality and the answers come from it.
  return MessageBoxW(windows_.ownerOf(owner), wideText(text).c_str(), wideText(caption).c_str(), flags);
}

FileDialogResult Win32Ui::fileDialog(const FileDialogRequest& request) {
  return runFileDialog(windows_.ownerOf(request.owner), request);
}

PasswordAnswer Win32Ui::passwordPrompt(Owner owner, std::string_view) {
  // The internet library's dialog needs a window to belong to; the desktop stands in for none.
  HWND window = windows_.ownerOf(owner);
  return http::askForCredentials(window ? window : GetDesktopWindow());
}

std::unique_ptr<DialogView> Win32Ui::createDialog(const DialogTemplate& dialogTemplate, DialogHandler& handler,
                                                  Owner owner) {
  return std::make_unique<Win32DialogView>(windows_, dialogTemplate, handler, owner);
}

}  // namespace zx::platform
