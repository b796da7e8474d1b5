// The conversions through the system's own code-page tables.
#include "platform/codepage.h"

#include "platform/win32/system_headers.h"

namespace zx::platform {
namespace {

constexpr wchar_t kReplacement = 0xFFFD;

std::wstring toWide(unsigned codePage, std::string_view bytes, DWORD flags = 0) {
  if (bytes.empty()) return {};
  int n = MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  if (n <= 0) return {};
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()), out.data(), n);
  return out;
}

// The code page has no character beyond the basic plane, so a surrogate pair is one character it
// lacks and must give one '?', as on Linux; the system's converter (Wine's at least) gives one
// per UTF-16 unit.
std::wstring pairsAsOneUnmappable(std::wstring_view wide) {
  std::wstring out;
  out.reserve(wide.size());
  for (size_t i = 0; i < wide.size(); ++i) {
    const bool pair = IS_HIGH_SURROGATE(wide[i]) && i + 1 < wide.size() && IS_LOW_SURROGATE(wide[i + 1]);
    out += pair ? kReplacement : wide[i];
    if (pair) ++i;
  }
  return out;
}

std::string fromWide(unsigned codePage, std::wstring_view wide) {
  if (wide.empty()) return {};
  std::wstring collapsed;
  if (codePage != CP_UTF8) {
    collapsed = pairsAsOneUnmappable(wide);
    wide = collapsed;
  }
  // What the code page lacks becomes '?', never a look-alike ("best fit" would turn é into e);
  // UTF-8 lacks nothing and takes neither the flag nor a default character.
  const char* fallback = codePage == CP_UTF8 ? nullptr : "?";
  const DWORD flags = codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
  int n = WideCharToMultiByte(codePage, flags, wide.data(), static_cast<int>(wide.size()), nullptr, 0, fallback,
                              nullptr);
  if (n <= 0) return {};
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(codePage, flags, wide.data(), static_cast<int>(wide.size()), out.data(), n, fallback, nullptr);
  return out;
}

// ANSI text to UTF-16 where every invalid or cut sequence becomes U+FFFD: the system's own
// default character for such bytes differs between code pages and systems.
std::wstring ansiToWide(std::string_view ansi) {
  if (ansi.empty()) return {};
  if (MultiByteToWideChar(kAnsiCodePage, MB_ERR_INVALID_CHARS, ansi.data(), static_cast<int>(ansi.size()), nullptr,
                          0) > 0)
    return toWide(kAnsiCodePage, ansi);
  std::wstring out;
  for (size_t i = 0; i < ansi.size();) {
    size_t length = isLeadByte(static_cast<unsigned char>(ansi[i])) && i + 1 < ansi.size() ? 2 : 1;
    wchar_t unit = 0;
    if (MultiByteToWideChar(kAnsiCodePage, MB_ERR_INVALID_CHARS, ansi.data() + i, static_cast<int>(length), &unit,
                            1) == 1) {
      out += unit;
      i += length;
    } else {
      out += kReplacement;
      ++i;  // a bad lead byte or trail byte: drop one byte and resynchronise
    }
  }
  return out;
}

std::u16string asUtf16(const std::wstring& wide) { return std::u16string(wide.begin(), wide.end()); }
std::wstring_view asWide(std::u16string_view utf16) {
  return {reinterpret_cast<const wchar_t*>(utf16.data()), utf16.size()};
}

}  // namespace

std::string utf8ToAnsi(std::string_view utf8) { return fromWide(kAnsiCodePage, toWide(CP_UTF8, utf8)); }
std::string ansiToUtf8(std::string_view ansi) { return fromWide(CP_UTF8, ansiToWide(ansi)); }
std::u16string ansiToUtf16(std::string_view ansi) { return asUtf16(ansiToWide(ansi)); }
std::string utf16ToAnsi(std::u16string_view utf16) { return fromWide(kAnsiCodePage, asWide(utf16)); }
std::u16string utf8ToUtf16(std::string_view utf8) { return asUtf16(toWide(CP_UTF8, utf8)); }
std::string utf16ToUtf8(std::u16string_view utf16) { return fromWide(CP_UTF8, asWide(utf16)); }

}  // namespace zx::platform
