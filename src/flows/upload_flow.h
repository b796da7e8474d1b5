#pragma once
// The body of the upload method: file choice, payload preparation and the upload exchange.
#include <cstdint>
#include <string>

#include "core/control_state.h"
#include "platform/env.h"

namespace zx {

std::int32_t uploadFlow(const platform::Env& env, ControlState& control, const std::string& userId,
                        const std::string& compressed, const std::string& ciphered);

}  // namespace zx
