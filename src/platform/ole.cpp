#include "platform/ole.h"

#include <cstdio>
#include <string>

#include "platform/ascii.h"
#include "platform/codepage.h"

namespace zx::ole {
std::optional<Guid> Guid::parse(std::string_view text) {
  // {8-4-4-4-12}
  if (text.size() != 38 || text.front() != '{' || text.back() != '}') return std::nullopt;
  std::string hex;
  for (size_t i = 1; i + 1 < text.size(); ++i) {
    bool dash = i == 9 || i == 14 || i == 19 || i == 24;
    if (dash != (text[i] == '-')) return std::nullopt;
    if (!dash) {
      if (ascii::hexDigitValue(text[i]) < 0) return std::nullopt;
      hex += text[i];
    }
  }
  auto byteAt = [&hex](size_t i) { return static_cast<std::uint8_t>(ascii::hexDigitValue(hex[2 * i]) * 16 + ascii::hexDigitValue(hex[2 * i + 1])); };
  Guid g;
  for (size_t i = 0; i < 4; ++i) g.data1 = (g.data1 << 8) | byteAt(i);
  g.data2 = static_cast<std::uint16_t>((byteAt(4) << 8) | byteAt(5));
  g.data3 = static_cast<std::uint16_t>((byteAt(6) << 8) | byteAt(7));
  for (size_t i = 0; i < 8; ++i) g.data4[i] = byteAt(8 + i);
  return g;
}

std::string Guid::toString() const {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", data1, data2, data3,
                data4[0], data4[1], data4[2], data4[3], data4[4], data4[5], data4[6], data4[7]);
  return buffer;
}

const Guid& IID_NULL() {
  static const Guid null{};
  return null;
}

Variant Variant::fromInt(std::int32_t value) {
  Variant v;
  v.type_ = Type::Int32;
  v.int_ = value;
  return v;
}

Variant Variant::fromString(std::u16string value) {
  Variant v;
  v.type_ = Type::String;
  v.string_ = std::move(value);
  return v;
}

Variant Variant::fromDispatch(std::shared_ptr<ole::Dispatch> object) {
  Variant v;
  v.type_ = Type::Dispatch;
  v.dispatch_ = std::move(object);
  return v;
}

std::optional<std::u16string> Variant::asString() const {
  switch (type_) {
    case Type::String:
      return string_;
    case Type::Int32: {
      std::string digits = std::to_string(int_);
      return std::u16string(digits.begin(), digits.end());
    }
    case Type::Empty:
      return std::u16string();
    case Type::Dispatch:
      return std::nullopt;
  }
  return std::nullopt;
}

std::optional<std::int32_t> Variant::asInt() const {
  switch (type_) {
    case Type::Int32:
      return int_;
    case Type::Empty:
      return 0;
    case Type::String: {
      std::string text = platform::utf16ToUtf8(string_);
      size_t start = text.find_first_not_of(' ');
      if (start == std::string::npos) return std::nullopt;
      try {
        size_t used = 0;
        long long value = std::stoll(text.substr(start), &used);
        if (text.find_first_not_of(' ', start + used) != std::string::npos) return std::nullopt;
        if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
        return static_cast<std::int32_t>(value);
      } catch (...) {
        return std::nullopt;
      }
    }
    case Type::Dispatch:
      return std::nullopt;
  }
  return std::nullopt;
}

}  // namespace zx::ole
