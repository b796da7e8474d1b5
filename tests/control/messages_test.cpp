#include <gtest/gtest.h>

#include "core/messages.h"
#include "support/zx_test.h"

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

TEST(ComErrorText, SystemTextsLoseTheirLineBreakOthersAreMadeUp) {
  EXPECT_EQ(comErrorText(ole::E_POINTER), "Invalid pointer");
  EXPECT_EQ(comErrorText(ole::hr(0x80040205)), "IDispatch error #5");
  EXPECT_EQ(comErrorText(ole::hr(0x80040200)), "Unknown error 0x80040200");
  EXPECT_EQ(comErrorText(ole::hr(0x80991234)), "Unknown error 0x80991234");
  EXPECT_EQ(comErrorText(0x1234), "Unknown error 0x1234");
}

}  // namespace
}  // namespace zx
