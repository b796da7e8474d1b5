#pragma once
// The system's common open and save dialogs (GetOpenFileName, GetSaveFileName), hooked so that
// the request's type-change rule renames the file-name field when the user picks another type.
#include "platform/ui.h"
#include "platform/win32/system_headers.h"

namespace zx::platform {

FileDialogResult runFileDialog(HWND owner, const FileDialogRequest& request);

}  // namespace zx::platform
