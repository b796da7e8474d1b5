#include <iconv.h>

#include <cerrno>
#include <string>

#include "platform/codepage.h"

namespace zx::platform {
namespace {

// One converter per direction and thread; iconv_open is too slow to pay on every call.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (valid()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Converts `in`; on a sequence it cannot take, `skip` says how many input bytes to drop and
  // `replacement` is appended instead.
  template <typename SkipFn>
  std::string run(std::string_view in, std::string_view replacement, SkipFn skip) {
    std::string out;
    if (!valid()) return out;
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char buffer[4096];
    while (srcLeft > 0) {
      char* dst = buffer;
      size_t dstLeft = sizeof buffer;
      size_t rc = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
      out.append(buffer, dst - buffer);
      if (rc != static_cast<size_t>(-1)) continue;
      if (errno == E2BIG) continue;
      // EILSEQ or EINVAL (truncated input): replace and step over the offending bytes.
      size_t n = skip(std::string_view(src, srcLeft));
      if (n == 0 || n > srcLeft) n = 1;
      src += n;
      srcLeft -= n;
      out.append(replacement);
      iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    }
    char* dst = buffer;
    size_t dstLeft = sizeof buffer;
    iconv(cd_, nullptr, nullptr, &dst, &dstLeft);
    out.append(buffer, dst - buffer);
    return out;
  }

 private:
  iconv_t cd_;
};

size_t utf8SequenceLength(std::string_view s) {
  unsigned char c = static_cast<unsigned char>(s[0]);
  size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 1;
  if (n > s.size()) return 1;
  for (size_t i = 1; i < n; ++i)
    if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) return 1;
  return n;
}

size_t ansiSequenceLength(std::string_view s) {
  return 1;  // a bad lead byte or trail byte: drop one byte and resynchronise
}

size_t utf16leUnitLength(std::string_view s) { return s.size() >= 2 ? 2 : 1; }

std::u16string fromUtf16le(const std::string& bytes) {
  std::u16string out(bytes.size() / 2, u'\0');
  for (size_t i = 0; i < out.size(); ++i)
    out[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                   (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
  return out;
}

std::string toUtf16le(std::u16string_view text) {
  std::string bytes(text.size() * 2, '\0');
  for (size_t i = 0; i < text.size(); ++i) {
    bytes[2 * i] = static_cast<char>(text[i] & 0xFF);
    bytes[2 * i + 1] = static_cast<char>(text[i] >> 8);
  }
  return bytes;
}

Converter& converter(int which) {
  thread_local Converter utf8ToCp949("CP949", "UTF-8");
  thread_local Converter cp949ToUtf8("UTF-8", "CP949");
  thread_local Converter cp949ToUtf16("UTF-16LE", "CP949");
  thread_local Converter utf16ToCp949("CP949", "UTF-16LE");
  thread_local Converter utf8ToUtf16le("UTF-16LE", "UTF-8");
  thread_local Converter utf16leToUtf8("UTF-8", "UTF-16LE");
  Converter* all[] = {&utf8ToCp949, &cp949ToUtf8, &cp949ToUtf16, &utf16ToCp949, &utf8ToUtf16le, &utf16leToUtf8};
  return *all[which];
}

const std::string kReplacementUtf8 = "\xEF\xBF\xBD";
const std::string kReplacementUtf16le = std::string("\xFD\xFF", 2);

bool isAscii(std::string_view text) {
  for (char c : text)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

}  // namespace

std::string utf8ToAnsi(std::string_view utf8) {
  if (isAscii(utf8)) return std::string(utf8);
  return converter(0).run(utf8, "?", utf8SequenceLength);
}

std::string ansiToUtf8(std::string_view ansi) {
  if (isAscii(ansi)) return std::string(ansi);
  return converter(1).run(ansi, kReplacementUtf8, ansiSequenceLength);
}

std::u16string ansiToUtf16(std::string_view ansi) {
  if (isAscii(ansi)) return std::u16string(ansi.begin(), ansi.end());
  return fromUtf16le(converter(2).run(ansi, kReplacementUtf16le, ansiSequenceLength));
}

std::string utf16ToAnsi(std::u16string_view utf16) {
  std::string bytes = toUtf16le(utf16);
  return converter(3).run(bytes, "?", utf16leUnitLength);
}

std::u16string utf8ToUtf16(std::string_view utf8) {
  return fromUtf16le(converter(4).run(utf8, kReplacementUtf16le, utf8SequenceLength));
}

std::string utf16ToUtf8(std::u16string_view utf16) {
  std::string bytes = toUtf16le(utf16);
  return converter(5).run(bytes, kReplacementUtf8, utf16leUnitLength);
}

}  // namespace zx::platform
