#pragma once
// The server address of a transfer, taken from the page's `url` property.
#include <cstdint>

#include "core/control_state.h"
#include "platform/ui.h"

namespace zx {

// Fills Hostname, Port, m_requestObject, m_serverPort and m_serviceType from `url`; 0, or -1
// after the malformed-URL box.
std::int32_t parseUrl(platform::Ui& ui, ControlState& control);

}  // namespace zx
