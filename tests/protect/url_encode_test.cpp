#include "protect/url_encode.h"

#include <gtest/gtest.h>

#include "platform/codepage.h"

namespace zx {
namespace {

TEST(UrlEncode, EscapesReservedAndOutOfRangeBytes) {
  const CURLEncode encoder;
  EXPECT_EQ(encoder.encode(" "), "%20");
  EXPECT_EQ(encoder.encode("="), "%3D");
  EXPECT_EQ(encoder.encode("&"), "%26");
  EXPECT_EQ(encoder.encode("~"), "%7E");
  EXPECT_EQ(encoder.encode("\xB0"), "%B0");
  EXPECT_EQ(encoder.encode("a=b&c d"), "a%3Db%26c%20d");
  EXPECT_EQ(encoder.encode(std::string_view("\0\x1F", 2)), "%00%1F");
  EXPECT_EQ(encoder.encode(""), "");
  const std::string unchanged = "AZaz09'()*-._";
  EXPECT_EQ(encoder.encode(unchanged), unchanged);
}

TEST(UrlEncode, LeavesExactlyLettersDigitsAndSevenMarksUnescaped) {
  const CURLEncode encoder;
  const std::string_view marks = "'()*-._";
  for (int c = 0; c < 256; ++c) {
    const bool letterOrDigit = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
    const bool mark = c != 0 && marks.find(static_cast<char>(c)) != std::string_view::npos;
    EXPECT_EQ(encoder.needsEscape(static_cast<unsigned char>(c)), !(letterOrDigit || mark)) << c;
  }
}

TEST(UrlEncode, EveryByteOfAKoreanTextBecomesAnEscape) {
  const std::string korean = ansi("자료");  // four bytes in the 949 code page
  ASSERT_EQ(korean.size(), 4u);
  const std::string encoded = CURLEncode().encode(korean);
  ASSERT_EQ(encoded.size(), 12u);
  const char* hex = "0123456789ABCDEF";
  for (std::size_t i = 0; i < korean.size(); ++i) {
    const auto byte = static_cast<unsigned char>(korean[i]);
    const std::string escape{'%', hex[byte >> 4], hex[byte & 15]};
    EXPECT_EQ(encoded.substr(i * 3, 3), escape);
  }
}

}  // namespace
}  // namespace zx
