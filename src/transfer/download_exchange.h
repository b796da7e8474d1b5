#pragma once
// The download request: a fresh session key wrapped for the server, the form, and the body's
// text lines stored into the flow's local file up to the "." line.
#include <cstdint>
#include <string>

#include "core/control_state.h"
#include "platform/env.h"

namespace zx {

// 0, -1 (a box has been shown, except in the silent cases of the exchange) or -2 (cancelled).
// compressed and ciphered are accepted for the flow's sake and not used here.
std::int32_t downloadExchange(const platform::Env& env, ControlState& control, const std::string& userId, const std::string& sessionId,
                              const std::string& compressed, const std::string& ciphered);

}  // namespace zx
