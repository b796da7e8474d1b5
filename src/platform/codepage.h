#pragma once
// The control's 8-bit world is the ANSI code page (949, Korean). Script strings are UTF-16,
// the display and the file system speak UTF-8; each boundary converts once, here.
//
// Threads: any (each thread keeps converters of its own).
#include <string>
#include <string_view>

#include "platform/api.h"

namespace zx::platform {

constexpr unsigned kAnsiCodePage = 949;

// Characters the code page cannot represent become '?'; invalid UTF-8 is skipped byte by byte.
ZX_API std::string utf8ToAnsi(std::string_view utf8);
// Invalid or truncated ANSI sequences become U+FFFD; never reads past the input.
ZX_API std::string ansiToUtf8(std::string_view ansi);
ZX_API std::u16string ansiToUtf16(std::string_view ansi);
ZX_API std::string utf16ToAnsi(std::u16string_view utf16);
ZX_API std::u16string utf8ToUtf16(std::string_view utf8);
ZX_API std::string utf16ToUtf8(std::u16string_view utf16);

// True when c opens a two-byte character of the ANSI code page.
ZX_API bool isLeadByte(unsigned char c);

// Multibyte-aware searches: the second byte of a double-byte character never matches.
// Return the byte index, or std::string_view::npos.
ZX_API size_t ansiFind(std::string_view text, char c, size_t from = 0);
ZX_API size_t ansiFindLast(std::string_view text, char c);

}  // namespace zx::platform

namespace zx {
// A text written in UTF-8 in the source, as the control's 8-bit ANSI text.
ZX_API std::string ansi(std::string_view utf8);
}  // namespace zx
