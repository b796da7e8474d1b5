#pragma once
// The prompt for a user name and password when the server asks for them (status 401).
#include <string_view>

#include "platform/qt/desktop.h"

namespace zx::platform::qt {

// OK answers the credentials with `retry` set; Cancel, Esc and the close box answer no retry.
PasswordAnswer runPasswordPrompt(Desktop& desktop, QWidget* owner, std::string_view server);

}  // namespace zx::platform::qt
