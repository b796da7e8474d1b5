#include "platform/system_message.h"

#include "platform/win32/system_headers.h"

namespace zx::platform {

// The system's own messages only, without inserts, in the neutral language: the system then
// answers in the user's language (a Korean system in Korean).
std::optional<std::string> systemMessageText(std::uint32_t code) {
  char* text = nullptr;
  const DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                          FORMAT_MESSAGE_IGNORE_INSERTS,
                                      nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                      reinterpret_cast<char*>(&text), 0, nullptr);
  if (length == 0 || !text) return std::nullopt;
  std::string message(text, length);
  LocalFree(text);
  return message;
}

}  // namespace zx::platform
