#pragma once
// The internet library's own password dialog for the request of this thread that the server
// last answered with 401: what the user chose, and the credentials the library now holds.
#include "platform/ui.h"

#include "platform/win32/system_headers.h"

namespace zx::platform::http {

PasswordAnswer askForCredentials(HWND owner);

}  // namespace zx::platform::http
