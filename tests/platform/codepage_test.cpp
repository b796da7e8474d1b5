#include <gtest/gtest.h>

#include "platform/codepage.h"

namespace zx::platform {
namespace {

TEST(CodePage, KoreanRoundTripsThroughAllThreeEncodings) {
  const std::string utf8 = "한글 문서 – ZorvAX 값";
  std::string ansiText = utf8ToAnsi(utf8);
  EXPECT_EQ(utf8ToAnsi("한글"), std::string("\xC7\xD1\xB1\xDB"));
  EXPECT_EQ(ansiToUtf16(utf8ToAnsi("값")), u"값");
  EXPECT_EQ(utf16ToAnsi(u"한글"), std::string("\xC7\xD1\xB1\xDB"));
  EXPECT_EQ(utf16ToUtf8(utf8ToUtf16(utf8)), utf8);
  // The en dash has no code page 949 form; everything else survives.
  EXPECT_EQ(ansiToUtf8(ansiText), "한글 문서 ? ZorvAX 값");
}

TEST(CodePage, InvalidOrUnmappableInputIsReplacedNeverOverread) {
  EXPECT_EQ(utf8ToAnsi("a\xF0\x9F\x98\x80" "b"), "a?b");            // outside the code page
  EXPECT_EQ(utf8ToAnsi("a\xC3"), "a?");                              // truncated UTF-8
  EXPECT_EQ(ansiToUtf8(std::string("x\xC7", 2)), "x\xEF\xBF\xBD");   // lone lead byte at the end
  EXPECT_EQ(ansiToUtf16(std::string("\xFF\xFF" "A", 3)).back(), u'A');
  EXPECT_EQ(utf16ToAnsi(std::u16string(1, char16_t(0xD800)) + u"z"), "?z");  // lone surrogate
  std::string noise;
  for (int i = 0; i < 4096; ++i) noise += static_cast<char>((i * 7919) & 0xFF);
  EXPECT_FALSE(ansiToUtf8(noise).empty());
  EXPECT_EQ(ansiToUtf8(""), "");
}

TEST(CodePage, SearchesNeverTakeATrailByteForTheCharacter) {
  // 0x81 0x41 is one Korean character whose trail byte reads as 'A'.
  const std::string text = std::string("\x81" "A" "xA", 4);
  EXPECT_TRUE(isLeadByte(0x81));
  EXPECT_FALSE(isLeadByte('A'));
  EXPECT_EQ(ansiFind(text, 'A'), 3u);
  EXPECT_EQ(ansiFindLast(std::string("\x81" "A", 2), 'A'), std::string_view::npos);
  EXPECT_EQ(ansiFind("a:b:c", ':', 2), 3u);
  EXPECT_EQ(ansiFindLast("a/b/c", '/'), 3u);
}

}  // namespace
}  // namespace zx::platform
