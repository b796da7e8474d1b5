#pragma once
// The desktop interface for hosts: no Qt header needed to ask for it.
#include <memory>
#include <string>

#include "platform/ui.h"

namespace zx::platform::qt {

// The Qt Widgets interface, with the application object it needs. nullptr, with the reason in
// *error, when there is no display to show windows on.
std::shared_ptr<Ui> makeQtUi(std::string* error);

}  // namespace zx::platform::qt
