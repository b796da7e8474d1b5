#include "text.h"

#include <iconv.h>

#include <cryptopp/base64.h>
#include <cryptopp/filters.h>

#include "platform/ascii.h"

namespace zxpeer {

using zx::ascii::hexDigitValue;

std::string urlDecode(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '+') {
      out += ' ';
    } else if (c == '%' && i + 2 < text.size() && hexDigitValue(text[i + 1]) >= 0 && hexDigitValue(text[i + 2]) >= 0) {
      out += static_cast<char>(hexDigitValue(text[i + 1]) * 16 + hexDigitValue(text[i + 2]));
      i += 2;
    } else {
      out += c;
    }
  }
  return out;
}

FormFields parseForm(std::string_view text) {
  FormFields fields;
  while (!text.empty()) {
    size_t amp = text.find('&');
    std::string_view pair = text.substr(0, amp);
    size_t eq = pair.find('=');
    if (!pair.empty()) {
      fields.emplace_back(urlDecode(pair.substr(0, eq)),
                          eq == std::string_view::npos ? std::string() : urlDecode(pair.substr(eq + 1)));
    }
    if (amp == std::string_view::npos) break;
    text.remove_prefix(amp + 1);
  }
  return fields;
}

std::string fieldOr(const FormFields& fields, std::string_view name, std::string_view fallback) {
  for (const auto& [key, value] : fields)
    if (key == name) return value;
  return std::string(fallback);
}

bool hasField(const FormFields& fields, std::string_view name) {
  for (const auto& field : fields)
    if (field.first == name) return true;
  return false;
}

std::string toHex(std::string_view bytes) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : bytes) {
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

std::string base64Encode(std::string_view bytes) {
  std::string out;
  CryptoPP::StringSource(reinterpret_cast<const CryptoPP::byte*>(bytes.data()), bytes.size(), true,
                         new CryptoPP::Base64Encoder(new CryptoPP::StringSink(out), false));
  return out;
}

std::string base64Decode(std::string_view text) {
  std::string out;
  CryptoPP::StringSource(reinterpret_cast<const CryptoPP::byte*>(text.data()), text.size(), true,
                         new CryptoPP::Base64Decoder(new CryptoPP::StringSink(out)));
  return out;
}

bool isValidUtf8(std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    unsigned char c = text[i];
    int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
    if (extra < 0 || i + extra >= text.size()) return false;
    for (int k = 1; k <= extra; ++k)
      if ((static_cast<unsigned char>(text[i + k]) >> 6) != 2) return false;
    i += extra + 1;
  }
  return true;
}

std::string toUtf8Name(std::string_view bytes) {
  if (isValidUtf8(bytes)) return std::string(bytes);
  iconv_t cd = iconv_open("UTF-8", "CP949");
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(bytes);
  std::string in(bytes), out(bytes.size() * 3 + 4, '\0');
  char* inp = in.data();
  char* outp = out.data();
  size_t inLeft = in.size(), outLeft = out.size();
  size_t done = iconv(cd, &inp, &inLeft, &outp, &outLeft);
  iconv_close(cd);
  if (done == static_cast<size_t>(-1)) return std::string(bytes);
  out.resize(out.size() - outLeft);
  return out;
}

bool startsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}


}  // namespace zxpeer
