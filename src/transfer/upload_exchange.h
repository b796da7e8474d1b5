#pragma once
// The upload request: the prepared local file as the last form field, sent over TLS in pieces.
#include <cstdint>
#include <string>

#include "core/control_state.h"
#include "platform/env.h"

namespace zx {

// Sends m_filePath with the form; 0 for a 2xx answer, -1 (a box has been shown, except in the
// silent cases of the exchange) or -2 (cancelled while the file was read or before sending).
std::int32_t uploadExchange(const platform::Env& env, ControlState& control, const std::string& userId,
                            const std::string& compressed, const std::string& ciphered,
                            const std::string& cipherKeyText);

}  // namespace zx
