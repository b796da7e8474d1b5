// What the code page means for the control's searches, the same on every system; the
// conversions themselves are the system's (linux/, win32/).
#include "platform/codepage.h"

namespace zx::platform {

bool isLeadByte(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

size_t ansiFind(std::string_view text, char c, size_t from) {
  for (size_t i = 0; i < text.size(); ++i) {
    if (i >= from && text[i] == c) return i;
    if (isLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size()) ++i;
  }
  return std::string_view::npos;
}

size_t ansiFindLast(std::string_view text, char c) {
  size_t found = std::string_view::npos;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == c) found = i;
    if (isLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size()) ++i;
  }
  return found;
}

}  // namespace zx::platform

namespace zx {
std::string ansi(std::string_view utf8) { return platform::utf8ToAnsi(utf8); }
}  // namespace zx
