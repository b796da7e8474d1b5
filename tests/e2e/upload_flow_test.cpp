// The upload method end to end: the user's file, the payload the flow prepares, what the
// document server stores, and the temporary files the flow leaves behind.
#include <cryptopp/base64.h>
#include <cryptopp/filters.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "core/config_store.h"
#include "flow_fixture.h"
#include "platform/codepage.h"

namespace {

using namespace zxtest;

const std::string kTransferCancelled = "자료 전송을 취소하였습니다.";

class UploadFlow : public FlowTest {
 protected:
  // The user's own file in the temporary folder and a control that names it (or lets the
  // user pick it when dialog is not "0").
  std::unique_ptr<zx::CZorvAXCtrl> prepare(const std::string& name, const std::string& bytes,
                                           const std::string& dialog) {
    zx::test::writeFile(tmp.file(name), bytes);
    return pageControl(peer().uploadUrl("/upload"), dialog == "0" ? tmp.file(name) : name, dialog);
  }
  // The lines an item of the progress dialog showed, in order (the dialog clears them first).
  Files linesShown(int itemId) const {
    Files lines = user->itemTexts(sd::kTemplateId, itemId);
    std::erase(lines, "");
    return lines;
  }
  // What the server stored from the newest upload, when there is a new one.
  std::string newestStored(size_t before) const {
    auto stored = storedUploads();
    return stored.size() > before ? zx::test::readFile(stored.back()) : "(nothing stored)";
  }
};

TEST_F(UploadFlow, NamedFileThatCannotBeOpenedEndsBeforeAnythingIsShown) {
  auto control = pageControl(peer().uploadUrl("/upload"), tmp.file("absent.txt"), "0");
  unsigned requests = requestsReceived();
  EXPECT_EQ(upload(*control, "1", "0"), -1);
  ASSERT_EQ(user->records().size(), 1u) << "one box, no progress dialog";
  expectBox(user->records()[0], "파일열기",
            "업로드 할 자료를 열 수 없습니다.\r\n다시 시도 하십시오.[" + tmp.file("absent.txt") + "]", Owner::Control,
            mb::MB_TASKMODAL);
  EXPECT_EQ(requestsReceived(), requests);
  EXPECT_TRUE(tmp.files().empty());

  // A folder opens for reading too, but it is no file to send.
  std::filesystem::create_directory(tmp.file("folder"));
  control->Filename = zx::ansi(tmp.file("folder"));
  EXPECT_EQ(upload(*control, "1", "0"), -1);
  ASSERT_EQ(user->records().size(), 2u);
  expectBox(user->records()[1], "파일열기",
            "업로드 할 자료를 열 수 없습니다.\r\n다시 시도 하십시오.[" + tmp.file("folder") + "]", Owner::Control,
            mb::MB_TASKMODAL);

  // A pseudo-file: the process's environment must not reach the server, named or picked.
  control->Filename = "/proc/self/environ";
  EXPECT_EQ(upload(*control, "0", "0"), -1);
  ASSERT_EQ(put(*control, "dialog", "1"), zx::ole::S_OK);
  user->answerFile("/proc/self/environ");
  EXPECT_EQ(upload(*control, "0", "0"), -1);
  ASSERT_EQ(user->boxes().size(), 4u);
  for (int i : {2, 3})
    EXPECT_EQ(user->boxes()[i].text, "업로드 할 자료를 열 수 없습니다.\r\n다시 시도 하십시오.[/proc/self/environ]");
  EXPECT_EQ(requestsReceived(), requests);
  EXPECT_TRUE(tmp.files().empty()) << "nothing was prepared";
}

TEST_F(UploadFlow, CancelledFileDialogEndsSilently) {
  // Not trimmed here: " 0" asks for the file dialog.
  auto control = prepare("doc.txt", "text", " 0");
  ASSERT_EQ(put(*control, "FileFilter", "Text (*.txt)|*.txt|"), zx::ole::S_OK);
  unsigned requests = requestsReceived();
  EXPECT_EQ(upload(*control, "0", "0"), -2);
  ASSERT_EQ(user->records().size(), 1u) << "the file dialog and nothing else";
  const auto& asked = user->records()[0];
  EXPECT_EQ(asked.kind, "file");
  EXPECT_EQ(asked.text, "doc.txt") << "the dialog starts at Filename";
  EXPECT_FALSE(asked.file.save);
  EXPECT_EQ(asked.file.defaultExtension, zx::ansi("파일선택"));
  EXPECT_EQ(requestsReceived(), requests);
  EXPECT_EQ(filenameOf(*control), "doc.txt");
  EXPECT_EQ(tmp.files(), Files{"doc.txt"});
}

TEST_F(UploadFlow, PlainUploadStoresExactlyThePickedFileAndKeepsIt) {
  const std::string bytes = zxtest::mixedBytes(70000, 11);
  auto control = prepare("picked.bin", bytes, "1");
  user->answerFile(zx::ansi(tmp.file("picked.bin")));
  size_t before = storedUploads().size();
  ASSERT_EQ(upload(*control, "0", "0"), 0);
  EXPECT_TRUE(newestStored(before) == bytes);
  EXPECT_TRUE(user->boxes().empty());
  EXPECT_EQ(dialogsShown(), 1);
  EXPECT_TRUE(user->liveDialogs().empty()) << "the progress dialog is always deleted";
  EXPECT_EQ(zx::test::readFile(tmp.file("picked.bin")), bytes);
  EXPECT_EQ(tmp.files(), Files{"picked.bin"}) << "the Base64 text that was sent is gone";
  std::string sent = filenameOf(*control);
  EXPECT_NE(sent, tmp.file("picked.bin")) << "Filename names the prepared file that was sent";
  EXPECT_EQ(std::filesystem::path(sent).parent_path(), std::filesystem::path(tmp.path()));
}

TEST_F(UploadFlow, ProgressDialogShowsTheUploadTitleAndEachStepsLine) {
  auto control = prepare("lines.txt", "a few words\r\n", "0");
  ASSERT_EQ(upload(*control, "0", "0"), 0);
  ASSERT_EQ(dialogsShown(), 1);
  const auto& shown = user->records().back();
  EXPECT_EQ(shown.kind, "dialog");
  EXPECT_EQ(shown.caption, "UPLOAD");
  EXPECT_EQ(linesShown(sd::kUpperText), Files{"센터로 자료를 전송합니다."});
  EXPECT_EQ(linesShown(sd::kLowerText),
            (Files{"전송할 자료를 준비하고 있습니다.", "엔코딩 중 입니다.", "서버에 연결 중입니다.", "전송 중 입니다."}));
}

TEST_F(UploadFlow, CancelOnceTheRequestIsOpenSendsNothing) {
  auto control = prepare("late.txt", "late words\r\n", "0");
  size_t before = storedUploads().size();
  unsigned requests = requestsReceived();
  user->pressWhenShowing(sd::kTemplateId, sd::kCancelButton, sd::kLowerText, zx::ansi("서버에 연결 중입니다."));
  user->answerBox(mb::IDYES);
  EXPECT_EQ(upload(*control, "0", "0"), -2);
  EXPECT_EQ(linesShown(sd::kLowerText).back(), "서버에 연결 중입니다.");
  EXPECT_EQ(requestsReceived(), requests);
  EXPECT_EQ(storedUploads().size(), before);
  auto boxes = user->boxes();
  ASSERT_EQ(boxes.size(), 2u);
  expectBox(boxes[0], "질문", kAskCancel, Owner::StatusDialog, mb::MB_YESNOCANCEL);
  expectBox(boxes[1], "취소", kTransferCancelled, Owner::Control, mb::MB_TASKMODAL);
  EXPECT_EQ(tmp.files(), Files{"late.txt"});
}

TEST_F(UploadFlow, Base64TextThatCannotBeWrittenEndsWithItsBox) {
  const std::string bytes = zxtest::mixedBytes(30000, 15);
  auto control = prepare("big.bin", bytes, "0");
  unsigned requests = requestsReceived();
  {
    // The Base64 text of 30000 bytes is about 40000: it does not fit.
    zx::test::FileSizeLimit limit(16384);
    EXPECT_EQ(upload(*control, "0", "0"), -1);
  }
  ASSERT_EQ(user->boxes().size(), 1u);
  expectBox(user->boxes()[0], "자료변환",
            "자료를 변환할 수 없습니다.\r\n디스크 여유 공간을 확인하시고, 이상이 없으면 다시 시도 하십시오.\n[" +
                tmp.file("big.bin") + "]",
            Owner::Control, mb::MB_TASKMODAL);
  EXPECT_EQ(requestsReceived(), requests);
  EXPECT_EQ(tmp.files(), Files{"big.bin"}) << "the cut text is gone";
  EXPECT_TRUE(zx::test::readFile(tmp.file("big.bin")) == bytes);
  EXPECT_TRUE(user->liveDialogs().empty());
}

TEST_F(UploadFlow, CompressedUploadArrivesAsThePickedFile) {
  const std::string bytes = std::string(200000, 'a') + zxtest::mixedBytes(50000, 12);
  auto control = prepare("named.bin", bytes, "0");
  size_t before = storedUploads().size();
  ASSERT_EQ(upload(*control, "1", "0"), 0);
  EXPECT_TRUE(newestStored(before) == bytes) << "the server gunzips the Base64-decoded payload";
  EXPECT_TRUE(user->boxes().empty());
  EXPECT_EQ(tmp.files(), Files{"named.bin"}) << "the compressed copy and its Base64 text are gone";
  EXPECT_EQ(zx::test::readFile(tmp.file("named.bin")), bytes);
}

TEST_F(UploadFlow, EncipheringIsRefusedWithItsBox) {
  auto control = prepare("secret.txt", "secret\r\n", "0");
  size_t before = storedUploads().size();
  unsigned requests = requestsReceived();
  for (std::string compressed : {"0", "1"}) {
    size_t boxes = user->boxes().size();
    EXPECT_EQ(upload(*control, compressed, "1"), -1) << compressed;
    ASSERT_EQ(user->boxes().size(), boxes + 1) << compressed;
    expectBox(user->boxes().back(), "[암호화오류]", "자료를 암호화 할 수 없습니다.\n다시 시도 하십시오.",
              Owner::Control, mb::MB_OK);
    EXPECT_EQ(tmp.files(), Files{"secret.txt"}) << "compressed " << compressed;
    EXPECT_TRUE(user->liveDialogs().empty());
  }
  EXPECT_EQ(zx::test::readFile(tmp.file("secret.txt")), "secret\r\n");
  EXPECT_EQ(storedUploads().size(), before);
  EXPECT_EQ(requestsReceived(), requests);
}

TEST_F(UploadFlow, CancelWhilePreparingEndsWithItsMessage) {
  const std::string bytes = zxtest::mixedBytes(3 << 20, 13);
  auto control = prepare("big.bin", bytes, "0");
  size_t before = storedUploads().size();
  unsigned requests = requestsReceived();
  // During the compression, and before the Base64 text when nothing is compressed.
  user->answerBox(mb::IDYES);
  user->press(sd::kTemplateId, sd::kCancelButton, When::Progress, 512 * 1024);
  EXPECT_EQ(upload(*control, "1", "0"), -2);
  user->answerBox(mb::IDYES);
  user->press(sd::kTemplateId, sd::kCancelButton, When::Shown);
  EXPECT_EQ(upload(*control, "0", "0"), -2);

  auto boxes = user->boxes();
  ASSERT_EQ(boxes.size(), 4u);
  for (int i : {0, 2}) {
    expectBox(boxes[i], "질문", kAskCancel, Owner::StatusDialog, mb::MB_YESNOCANCEL);
    expectBox(boxes[i + 1], "취소", kTransferCancelled, Owner::Control, mb::MB_TASKMODAL);
  }
  EXPECT_EQ(storedUploads().size(), before);
  EXPECT_EQ(requestsReceived(), requests);
  EXPECT_EQ(tmp.files(), Files{"big.bin"});
  EXPECT_TRUE(user->liveDialogs().empty());
  EXPECT_EQ(filenameOf(*control), tmp.file("big.bin"));
}

TEST_F(UploadFlow, DebugSwitchKeepsThePreparedTextUnlessACompressedCopyWasMade) {
  zx::writeConfigValue(registry(), "debug", "true");
  const std::string bytes = zxtest::mixedBytes(9000, 14);
  auto control = prepare("kept.bin", bytes, "0");
  size_t before = storedUploads().size();
  ASSERT_EQ(upload(*control, "0", "0"), 0);
  EXPECT_TRUE(newestStored(before) == bytes);
  std::string sent = filenameOf(*control);
  Files files = tmp.files();
  ASSERT_EQ(files.size(), 2u) << "the Base64 text stays for inspection";
  EXPECT_EQ(tmp.file(files[1]), sent);
  std::string decoded;
  CryptoPP::StringSource(zx::test::readFile(sent), true, new CryptoPP::Base64Decoder(new CryptoPP::StringSink(decoded)));
  EXPECT_TRUE(decoded == bytes);
  std::filesystem::remove(sent);

  ASSERT_EQ(put(*control, "Filename", tmp.file("kept.bin")), zx::ole::S_OK);
  ASSERT_EQ(upload(*control, "1", "0"), 0);
  EXPECT_TRUE(newestStored(before + 1) == bytes);
  EXPECT_EQ(tmp.files(), Files{"kept.bin"}) << "once compressed, every intermediate goes";
}

}  // namespace
