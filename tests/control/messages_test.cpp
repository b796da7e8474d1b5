#include <gtest/gtest.h>

#include "core/messages.h"
#include "platform/codepage.h"
#include "support/zx_test.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace zx {
namespace {

using test::ControlTest;

class Messages : public ControlTest {};

TEST_F(Messages, BoxOperationsCarryTheirOwnersCaptionsAndFlags) {
  showErrorBox(*user, platform::Owner::Control, "모듈로딩", "%s %s", "IPHlpApi.dll", "x");
  showDebugBox(*user, "parseUrl:error");
  showBox(*user, "t", "c");
  applicationBox(*user, "app");
  std::string longText(5000, 'y');
  showErrorBox(*user, platform::Owner::None, "cap", "%s", longText.c_str());
  auto b = user->boxes();
  ASSERT_EQ(b.size(), 5u);
  EXPECT_EQ(b[0].flags, 0x2010u);
  EXPECT_EQ(b[0].owner, platform::Owner::Control);
  EXPECT_EQ(b[0].text, "IPHlpApi.dll x");
  EXPECT_EQ(b[1].caption, "DEBUG");
  EXPECT_EQ(b[1].flags, 0x2000u);
  EXPECT_EQ(b[1].owner, platform::Owner::None);
  EXPECT_EQ(b[2].caption, "c");
  EXPECT_EQ(b[3].caption, "ZORVAX") << "the module's name without its extension";
  EXPECT_EQ(b[3].flags, 0u);
  EXPECT_EQ(b[4].text.size(), 2047u);
}

#ifdef _WIN32
// The system's message for a code in the user's language, asked for as UTF-16 and without its
// trailing line break.
std::string systemWording(std::uint32_t code) {
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                      nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::u16string wording(reinterpret_cast<const char16_t*>(text), length);
  LocalFree(text);
  while (!wording.empty() && (wording.back() == u'\n' || wording.back() == u'\r')) wording.pop_back();
  return platform::utf16ToAnsi(wording);
}

// Windows answers from the system's own table, so a Korean system shows its Korean texts and
// every code the system knows has its text, not only the ones the control expects.
TEST(ComErrorText, ComesFromTheSystemsMessageTable) {
  // Codes of system errors, which Wine's table knows too (it has no texts for E_POINTER and its
  // kind).
  for (std::uint32_t code : {0x80070002u /* file not found */, 0x80070020u /* a sharing violation */}) {
    const std::string text = comErrorText(ole::hr(code));
    EXPECT_FALSE(systemWording(code).empty()) << std::hex << code;
    EXPECT_EQ(text, systemWording(code)) << std::hex << code;
    EXPECT_EQ(text.find("Unknown error"), std::string::npos);
  }
}
#else
// Linux has no table of its own: the control's copy of the system's English texts answers.
TEST(ComErrorText, LinuxAnswersFromTheControlsCopyOfTheSystemsTexts) {
  EXPECT_EQ(comErrorText(ole::E_POINTER), "Invalid pointer");
  EXPECT_EQ(comErrorText(ole::hr(0x80070005)), "Access is denied.");
}
#endif

TEST(ComErrorText, CodesWithoutASystemTextAreMadeUp) {
  EXPECT_EQ(comErrorText(ole::hr(0x80040205)), "IDispatch error #5");
  EXPECT_EQ(comErrorText(ole::hr(0x80040200)), "Unknown error 0x80040200");
  EXPECT_EQ(comErrorText(ole::hr(0x80991234)), "Unknown error 0x80991234");
  EXPECT_EQ(comErrorText(0x1234), "Unknown error 0x1234");
}

}  // namespace
}  // namespace zx
