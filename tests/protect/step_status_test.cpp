// What the payload steps show on the progress dialog of a transfer.
#include <gtest/gtest.h>

#include "platform/codepage.h"
#include "protect/gunzip.h"
#include "protect/seed_file.h"
#include "protect_support.h"
#include "ui/status_dialog.h"

namespace zx {
namespace {

using StepStatus = test::ControlTest;

const std::uint8_t kKey[16] = {};

TEST_F(StepStatus, EachStepShowsItsLineAndTheSizeOfItsInput) {
  auto progress = showStatusDialog(env(), true, "UPLOAD", ansi("센터로 자료를 전송합니다."), ansi("준비"), false);
  ASSERT_EQ(currentStatusDlg(), progress.get());
  auto lowerLine = [] { return test::utf8(currentStatusDlg()->lowerText); };
  auto rightFigure = [] { return test::utf8(currentStatusDlg()->view()->itemText(statusdlg::kRightFigure)); };

  const std::string document = tmp.file("upload.doc");
  test::writeFile(document, test::randomBytes(1234, 1));
  EXPECT_EQ(encipherStep(env(), document, kKey, 16, false), -1);
  EXPECT_EQ(lowerLine(), "자료를 암호화하고 있습니다.");
  EXPECT_EQ(rightFigure(), "1,234");

  const std::string packed = tmp.file("upload.gz");
  EXPECT_EQ(compressStep(env(), document, packed), 0);
  EXPECT_EQ(lowerLine(), "자료를 압축하고 있습니다.");
  EXPECT_EQ(currentStatusDlg()->view()->progressPos(statusdlg::kProgress), 1234) << "the whole source was read";

  const std::string reply = tmp.file("reply.txt");
  const std::string text = test::base64Text("h\n" + test::seedEncipherEcb(kKey, std::string(2000, '\x10')), "\n");
  test::writeFile(reply, text);
  PathText path;
  ASSERT_TRUE(path.assign(reply));
  testing::internal::CaptureStderr();
  EXPECT_EQ(decipherStep(env(), path, kKey, 16, true, tmp.path()), 0);
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(lowerLine(), "암호를 해제하고 있습니다.");
  std::string figure = std::to_string(text.size());
  ASSERT_EQ(figure.size(), 4u);
  EXPECT_EQ(rightFigure(), figure.insert(1, ","));
}

}  // namespace
}  // namespace zx
