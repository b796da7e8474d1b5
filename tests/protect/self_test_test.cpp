#include "protect/self_test.h"

#include <gtest/gtest.h>


#include "control/zorvax_ctrl.h"
#include "protect/key_material.h"
#include "protect_support.h"

namespace zx {
namespace {

using SelfTest = test::ControlTest;

TEST(HexText, WritesUpperCaseDigitsAsFarAsTheyFit) {
  const std::uint8_t bytes[] = {0x00, 0x9F, 0xA0, 0xFF};
  char out[64];
  toHexText(bytes, 4, out, sizeof out);
  EXPECT_STREQ(out, "009FA0FF");
  toHexText(bytes, 0, out, sizeof out);
  EXPECT_STREQ(out, "");

  std::uint8_t forty[40];
  for (int i = 0; i < 40; ++i) forty[i] = static_cast<std::uint8_t>(i);
  toHexText(forty, 40, out, 64);
  EXPECT_EQ(std::string(out).size(), 62u) << "31 bytes and the terminator fill 63 of 64";
  EXPECT_EQ(std::string(out).substr(54), "1B1C1D1E");

  char small[6] = {'x', 'x', 'x', 'x', 'x', 'x'};
  toHexText(bytes, 4, small, 5);
  EXPECT_STREQ(small, "009F");
  EXPECT_EQ(small[5], 'x') << "nothing beyond outSize";
  char one[1] = {'x'};
  toHexText(bytes, 4, one, 1);
  EXPECT_EQ(one[0], '\0');
}

struct SelfTestBoxes {
  std::string value;
  std::string pri[2], pub[2], enc[2], dec[2], after[2];
};

SelfTestBoxes runSelfTest(CZorvAXCtrl& control, const doubles::ScriptedUi& user) {
  const test::BoxWatch recorder(user);
  EXPECT_EQ(control.test_zorvax(), 0);
  SelfTestBoxes seen;
  const std::vector<doubles::UiRecord> boxes = recorder.boxes();
  EXPECT_EQ(boxes.size(), 3u);
  if (boxes.size() != 3) return seen;
  EXPECT_EQ(boxes[0].caption, "PASS PHRASE");
  seen.value = boxes[0].text;
  for (int round = 0; round < 2; ++round) {
    const doubles::UiRecord& box = boxes[1 + round];
    EXPECT_EQ(box.caption, "CHPHER KEY:" + std::to_string(round + 1));
    // PRI:\n<pri>\nPUB:\n<pub>\nENC:\n<enc>\n\nDEC:\n<hex><--<hex>
    const std::string& text = box.text;
    const std::size_t pub = text.find("\nPUB:\n"), enc = text.find("\nENC:\n"), dec = text.find("\n\nDEC:\n"),
                      arrow = text.find("<--");
    EXPECT_EQ(text.rfind("PRI:\n", 0), 0u);
    if (pub == std::string::npos || enc == std::string::npos || dec == std::string::npos ||
        arrow == std::string::npos) {
      ADD_FAILURE() << text;
      continue;
    }
    seen.pri[round] = text.substr(5, pub - 5);
    seen.pub[round] = text.substr(pub + 6, enc - pub - 6);
    seen.enc[round] = text.substr(enc + 6, dec - enc - 6);
    seen.dec[round] = text.substr(dec + 7, arrow - dec - 7);
    seen.after[round] = text.substr(arrow + 3);
  }
  for (const auto& box : boxes) {
    EXPECT_EQ(box.owner, platform::Owner::Control);
    EXPECT_EQ(box.flags, platform::mb::MB_OK);
  }
  return seen;
}

TEST_F(SelfTest, ShowsTheValueTheKeysAndTwoWrapsThatUnwrapToIt) {
  CZorvAXCtrl control(env());
  ASSERT_NE(control.m_cipher, nullptr) << "the constructor makes the key pair";
  const SelfTestBoxes first = runSelfTest(control, *user);
  EXPECT_EQ(first.value.size(), 32u);
  EXPECT_EQ(first.value.find_first_not_of("0123456789ABCDEF"), std::string::npos) << first.value;
  for (int round = 0; round < 2; ++round) {
    EXPECT_EQ(first.pri[round], control.m_cipher->privateKeyText);
    EXPECT_EQ(first.pub[round], control.m_cipher->publicKeyText);
    EXPECT_EQ(first.enc[round].size(), 72u + 1 + 72 + 1 + 28 + 1) << "three lines, each ended by LF";
    EXPECT_EQ(first.dec[round], first.value);
    EXPECT_EQ(first.after[round], first.value);
  }
  EXPECT_NE(first.enc[0], first.enc[1]);

  const SelfTestBoxes second = runSelfTest(control, *user);
  EXPECT_EQ(second.pub[0], first.pub[0]);
  EXPECT_NE(second.value, first.value);

  CZorvAXCtrl other(env());
  EXPECT_NE(runSelfTest(other, *user).pub[0], first.pub[0]);
}

}  // namespace
}  // namespace zx
