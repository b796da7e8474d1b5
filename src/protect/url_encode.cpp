#include "protect/url_encode.h"

namespace zx {
namespace {
constexpr std::string_view kEscaped = "\"<>%\\^[]`+$,@:;/!#?=&";
constexpr char kHexDigits[] = "0123456789ABCDEF";
}  // namespace

bool CURLEncode::needsEscape(unsigned char c) const {
  return c < 33 || c > 122 || kEscaped.find(static_cast<char>(c)) != std::string_view::npos;
}

std::string CURLEncode::encode(std::string_view text) const {
  std::string encoded;
  encoded.reserve(text.size());
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (needsEscape(c)) {
      encoded += '%';
      encoded += kHexDigits[c >> 4];
      encoded += kHexDigits[c & 15];
    } else {
      encoded += ch;
    }
  }
  return encoded;
}

}  // namespace zx
