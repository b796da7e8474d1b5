#pragma once
// The desktop interface for hosts: no Qt header needed to ask for it.
#include <functional>
#include <memory>
#include <string>

#include "platform/drawing.h"
#include "platform/ui.h"

namespace zx::platform::qt {

// How the control draws itself into its bounds.
using DrawControl = std::function<void(DrawingSurface& surface, const Rect& bounds)>;

// The Qt Widgets interface, with the application object it needs. nullptr, with the reason in
// *error, when there is no display to show windows on. With `showControl`, the control's
// picture gets a small window of its own, as a page shows the embedded object; boxes the
// control owns sit over it.
std::shared_ptr<Ui> makeQtUi(std::string* error, DrawControl showControl = {});

}  // namespace zx::platform::qt
