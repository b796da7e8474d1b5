#pragma once
// The system's message table: the text the system keeps for a result code.
//
// Threads: any.
#include <cstdint>
#include <optional>
#include <string>

namespace zx::platform {

// The text for `code` in the user's language as the system words it, in the ANSI code page and
// with the system's trailing line break; none when the system has no text for the code.
std::optional<std::string> systemMessageText(std::uint32_t code);

}  // namespace zx::platform
