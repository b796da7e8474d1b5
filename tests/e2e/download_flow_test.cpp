// The download method end to end: the page's call, the user's choices, the document server's
// answer, and the files the flow leaves behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "core/config_store.h"
#include "core/file_helpers.h"
#include "flows/download_flow.h"
#include "flow_fixture.h"
#include "platform/codepage.h"
#include "platform/headless_dialog.h"
#include "platform/osinfo.h"

namespace {

using namespace zxtest;

const std::string kCancelled = "다운로드 작업이 취소 되었습니다";

class DownloadFlow : public FlowTest {
 protected:
  // The document on the server and a control pointed at it; query switches go after '?'.
  std::unique_ptr<zx::CZorvAXCtrl> serve(const std::string& name, const std::string& bytes, const std::string& dialog,
                                         const std::string& query = "") {
    peer().putDocument(name, bytes);
    return pageControl(peer().downloadUrl("/docs/" + name + query), name, dialog);
  }
  zx::platform::HeadlessDialogView* onlyLiveDialog() {
    auto live = user->liveDialogs();
    return live.size() == 1 ? live[0] : nullptr;
  }
};

TEST_F(DownloadFlow, DialogZeroNamesTheFileByAMoveAndOffersNothing) {
  const std::string document = zxtest::mixedBytes(50000, 1);
  int dialogs = 0;
  for (std::string dialog : {"0", " 0 ", "\t0\r\n"}) {
    std::string name = "plain" + std::to_string(dialogs) + ".bin";
    auto control = serve(name, document, dialog);
    ASSERT_EQ(download(*control, "1", "1"), 0) << "dialog [" << dialog << "]";
    ++dialogs;
    EXPECT_EQ(dialogsShown(), dialogs) << "no choice dialog, only the progress dialog";
    EXPECT_TRUE(user->liveDialogs().empty()) << "the progress dialog is deleted, no completion buttons";
    EXPECT_EQ(filenameOf(*control), tmp.file(name));
    EXPECT_EQ(zx::test::readFile(tmp.file(name)), document);
    EXPECT_EQ(textOf(get(*control, "dialog")), "0") << "the property is trimmed in place";
  }
  EXPECT_EQ(user->records().size(), 3u) << "no box, no file dialog";
  EXPECT_TRUE(shell.requests.empty()) << "nothing opened";
  EXPECT_EQ(tmp.files(), (Files{"plain0.bin", "plain1.bin", "plain2.bin"})) << "no intermediate file stays";
}

TEST_F(DownloadFlow, TakenNamesCountUpAndTheUsersFilesStay) {
  zx::test::writeFile(tmp.file("report.hwp"), "the user's own report");
  const std::string document = "the server's report\r\n";
  auto control = serve("report.hwp", document, "0");
  ASSERT_EQ(download(*control, "1", "1"), 0);
  EXPECT_EQ(filenameOf(*control), tmp.file("report(1).hwp"));
  ASSERT_EQ(put(*control, "Filename", "report.hwp"), zx::ole::S_OK);
  ASSERT_EQ(download(*control, "1", "1"), 0);
  EXPECT_EQ(filenameOf(*control), tmp.file("report(2).hwp"));

  EXPECT_EQ(tmp.files(), (Files{"report(1).hwp", "report(2).hwp", "report.hwp"}));
  EXPECT_EQ(zx::test::readFile(tmp.file("report.hwp")), "the user's own report");
  EXPECT_EQ(zx::test::readFile(tmp.file("report(1).hwp")), document);
  EXPECT_EQ(zx::test::readFile(tmp.file("report(2).hwp")), document);
}

// With every candidate name taken the document keeps a name of the temporary kind, but not an
// intermediate's, which another control's start-up clean-up would delete an hour later.
TEST_F(DownloadFlow, ADocumentWithoutAFreeNameIsNoIntermediate) {
  zx::test::writeFile(tmp.file("memo.txt"), "taken");
  for (int counter = 1; counter < 4999; ++counter)
    zx::test::writeFile(tmp.file("memo(" + std::to_string(counter) + ").txt"), "taken");
  auto control = serve("memo.txt", "the server's memo\r\n", "0");
  ASSERT_EQ(download(*control, "1", "1"), 0);
  const std::string placed = filenameOf(*control);
  EXPECT_EQ(zx::directoryOf(placed), tmp.path());
  EXPECT_NE(zx::lastElement(placed).rfind(zx::kIntermediatePrefix, 0), 0u) << placed;
  EXPECT_EQ(zx::test::readFile(placed), "the server's memo\r\n");
}

TEST_F(DownloadFlow, CancellingTheChoiceDialogFetchesNothingAndSaysNothing) {
  unsigned requests = requestsReceived();
  for (int button : {sd::kCancelButton, zx::platform::kDialogEscape}) {
    auto control = serve("never.txt", "never fetched\r\n", "1");
    user->press(sd::kTemplateId, button, When::Modal);
    EXPECT_EQ(download(*control, "1", "1"), -2);
    EXPECT_EQ(filenameOf(*control), "never.txt");
  }
  EXPECT_EQ(dialogsShown(), 2) << "two choice dialogs and no progress dialog";
  EXPECT_TRUE(user->boxes().empty()) << "a cancelled choice is not the cancelled transfer";
  EXPECT_TRUE(user->liveDialogs().empty());
  EXPECT_EQ(requestsReceived(), requests);
  EXPECT_TRUE(tmp.files().empty());
}

TEST_F(DownloadFlow, SaveOnAnOlderSystemProbesUntilAFolderTakesTheCopy) {
  services.os.setMajor(5);
  zx::test::writeFile(tmp.file("plainfile"), "not a folder");
  std::filesystem::create_directory(tmp.file("out"));
  const std::string document = zxtest::mixedBytes(30000, 2);
  auto control = serve("report.hwp", document, "1");
  ASSERT_FALSE(control->m_isVistaOrLater);
  user->press(sd::kTemplateId, sd::kSaveButton, When::Modal);
  user->answerFile(zx::ansi(tmp.file("plainfile/x.hwp")));
  user->answerFile(zx::ansi(tmp.file("out/saved.hwp")));

  ASSERT_EQ(download(*control, "1", "1"), 0);
  std::vector<zx::doubles::UiRecord> asked;
  for (const auto& r : user->records())
    if (r.kind == "file") asked.push_back(r);
  ASSERT_EQ(asked.size(), 2u) << "the same save-as dialog again after the refused folder";
  for (const auto& r : asked) {
    EXPECT_EQ(r.caption, "다른 파일 이름으로 저장");
    ASSERT_EQ(r.file.filters.size(), 1u);
    EXPECT_EQ(r.file.filters[0].description, "download (*.hwp)");
  }
  EXPECT_EQ(asked[0].text, "report.hwp");
  auto boxes = user->boxes();
  ASSERT_EQ(boxes.size(), 1u);
  expectBox(boxes[0], "폴더 지정 오류", "이 폴더에는 파일을 생성할 수 없습니다.\r\n다른 폴더를 지정하십시오.",
            Owner::StatusDialog, mb::MB_OK);

  // Temporary files live in TMP, so only a copy can have put the document into out/: it says so
  // and its bar steps block by block up to the document's size.
  EXPECT_EQ(zx::test::readFile(tmp.file("out/saved.hwp")), document);
  auto lower = user->itemTexts(sd::kTemplateId, sd::kLowerText);
  EXPECT_NE(std::find(lower.begin(), lower.end(), "파일을 복사하고 있습니다."), lower.end());
  const std::vector<int> copySteps{0, 4096, 8192, 12288, 16384, 20480, 24576, 28672, 30000};
  const auto& moves = user->progressMoves();
  EXPECT_NE(std::search(moves.begin(), moves.end(), copySteps.begin(), copySteps.end()), moves.end());
  EXPECT_EQ(filenameOf(*control), tmp.file("out/saved.hwp"));
  EXPECT_EQ(tmp.files(), (Files{"out/saved.hwp", "plainfile"}));
  EXPECT_EQ(zx::test::readFile(tmp.file("plainfile")), "not a folder");
  EXPECT_EQ(zx::readConfigValue(registry(), "downloadDir", ""), tmp.file("out")) << "the next download starts there";

  auto* completed = onlyLiveDialog();
  ASSERT_NE(completed, nullptr) << "a saved download leaves its dialog open";
  EXPECT_EQ(zx::test::utf8(completed->itemText(sd::kUpperText)), "파일이 저장 되었습니다");
  EXPECT_EQ(completed->itemText(sd::kLowerText), "saved.hwp");
  user->postPress(completed, sd::kOpenButton);
  user->queue().pump(100);
  ASSERT_EQ(shell.requests.size(), 1u);
  EXPECT_EQ(shell.requests[0].verb, "open");
  EXPECT_EQ(shell.requests[0].target, tmp.file("out/saved.hwp"));
  EXPECT_EQ(shell.requests[0].owner, user->nativeWindow(zx::platform::Owner::StatusDialog));
  EXPECT_TRUE(user->liveDialogs().empty());
}

#ifndef _WIN32
TEST_F(DownloadFlow, ASaveThatDoesNotFitLeavesTheOldFileAsItWas) {
  zx::test::SmallFileSystem disk("64k");
  if (!disk.mounted()) GTEST_SKIP() << disk.why();
  services.os.setMajor(5);
  const std::string kept = disk.file("kept.hwp");
  zx::test::writeFile(kept, "the old document");
  disk.fillLeaving(16384);
  auto control = serve("report.hwp", zxtest::mixedBytes(100000, 4), "1");
  user->press(sd::kTemplateId, sd::kSaveButton, When::Modal);
  user->answerFile(zx::ansi(kept));
  EXPECT_EQ(download(*control, "1", "1"), -1);
  ASSERT_FALSE(user->boxes().empty());
  expectBox(user->boxes().back(), "디스크오류",
            "파일을 복사할 수 없습니다.\n디스크 여유 공간을 확인하시고, 이상이 없으면 다시 시도 하십시오.",
            Owner::Control, mb::MB_OK);
  EXPECT_EQ(zx::test::readFile(kept), "the old document") << "the copy that did not fit replaced nothing";
  EXPECT_EQ(disk.files(), (Files{"filler", "kept.hwp"})) << "nothing is left beside it";
  EXPECT_TRUE(tmp.files().empty());
}
#endif

TEST_F(DownloadFlow, SaveOnAModernSystemMovesAndLeavesTheRelabelledDialog) {
  const std::string document = zxtest::mixedBytes(20000, 3);
  auto control = serve("kept.hwp", document, "1");
  user->press(sd::kTemplateId, sd::kSaveButton, When::Modal);
  ASSERT_EQ(download(*control, "1", "1"), 0);

  EXPECT_TRUE(user->boxes().empty());
  for (const auto& r : user->records()) EXPECT_NE(r.kind, "file") << "no save-as dialog on a modern system";
  EXPECT_EQ(filenameOf(*control), tmp.file("kept.hwp"));
  EXPECT_EQ(tmp.files(), Files{"kept.hwp"}) << "moved in place, no copy and no leftovers";
  EXPECT_EQ(zx::test::readFile(tmp.file("kept.hwp")), document);
  EXPECT_EQ(zx::currentStatusDlg(), nullptr);

  auto* completed = onlyLiveDialog();
  ASSERT_NE(completed, nullptr);
  EXPECT_TRUE(completed->isVisible());
  EXPECT_EQ(zx::test::utf8(completed->itemText(sd::kOpenButton)), "파일열기(&O)");
  EXPECT_EQ(zx::test::utf8(completed->itemText(sd::kSaveButton)), "폴더열기(&D)");
  EXPECT_EQ(zx::test::utf8(completed->itemText(sd::kCancelButton)), "닫기(&C)");
  EXPECT_TRUE(completed->isItemEnabled(sd::kOpenButton));
  EXPECT_TRUE(completed->isItemEnabled(sd::kSaveButton));
  EXPECT_EQ(completed->focus(), sd::kOpenButton);
  EXPECT_EQ(completed->itemText(sd::kRightFigure), "20,000");
  EXPECT_TRUE(shell.requests.empty()) << "a saved document is not opened by itself";

  user->postPress(completed, sd::kSaveButton);
  user->queue().pump(100);
  ASSERT_EQ(shell.requests.size(), 1u);
  EXPECT_EQ(shell.requests[0].verb, "folder");
  EXPECT_EQ(shell.requests[0].target, tmp.path());
  EXPECT_TRUE(user->liveDialogs().empty());
  EXPECT_TRUE(user->boxes().empty()) << "closing the completed dialog asks nothing";
}

TEST_F(DownloadFlow, CancelDuringTheTransferAsksAndOnlyYesStopsIt) {
  const std::string document = zxtest::mixedBytes(1 << 20, 4);
  auto control = serve("large.bin", document, "0");
  user->answerBox(mb::IDNO);
  user->press(sd::kTemplateId, sd::kCancelButton, When::Progress, 200000);
  ASSERT_EQ(download(*control, "1", "1"), 0) << "No lets the transfer go on";
  EXPECT_EQ(zx::test::readFile(tmp.file("large.bin")), document);
  ASSERT_EQ(user->boxes().size(), 1u);
  expectBox(user->boxes()[0], "질문", kAskCancel, Owner::StatusDialog, mb::MB_YESNOCANCEL);

  ASSERT_EQ(put(*control, "Filename", "large.bin"), zx::ole::S_OK);
  user->answerBox(mb::IDYES);
  user->press(sd::kTemplateId, sd::kCancelButton, When::Progress, 200000);
  EXPECT_EQ(download(*control, "1", "1"), -2);
  auto boxes = user->boxes();
  ASSERT_EQ(boxes.size(), 3u);
  expectBox(boxes[1], "질문", kAskCancel, Owner::StatusDialog, mb::MB_YESNOCANCEL);
  expectBox(boxes[2], "취소", kCancelled, Owner::Control, mb::MB_TASKMODAL);
  EXPECT_EQ(filenameOf(*control), "large.bin") << "a cancelled download names no file";
  EXPECT_EQ(tmp.files(), Files{"large.bin"}) << "the partial file is deleted";
  EXPECT_TRUE(user->liveDialogs().empty());
}

TEST_F(DownloadFlow, ACancelConfirmedAfterTheExchangeEndsTheDownloadAtTheNextStep) {
  // A document that compresses well: the exchange never reaches position 500000, the
  // decompression (decompressed bytes against the compressed size) does.
  const std::string document(1 << 20, 'a');
  for (const char* dialog : {"0", "1"}) {
    auto control = serve("squeezed.txt", document, dialog);
    if (std::string(dialog) == "1") user->press(sd::kTemplateId, sd::kSaveButton, When::Modal);
    user->answerBox(mb::IDYES);
    user->press(sd::kTemplateId, sd::kCancelButton, When::Progress, 500000);
    const std::size_t before = user->boxes().size();
    EXPECT_EQ(download(*control, "1", "1"), -2) << dialog;
    auto boxes = user->boxes();
    ASSERT_EQ(boxes.size(), before + 2) << dialog;
    expectBox(boxes[before], "질문", kAskCancel, Owner::StatusDialog, mb::MB_YESNOCANCEL);
    expectBox(boxes[before + 1], "취소", kCancelled, Owner::Control, mb::MB_TASKMODAL);
    EXPECT_EQ(filenameOf(*control), "squeezed.txt") << "a cancelled download names no file";
    EXPECT_TRUE(tmp.files().empty()) << dialog << ": neither intermediates nor the document stay";
    EXPECT_TRUE(user->liveDialogs().empty()) << dialog << ": the dialog is closed and freed";
  }
}

TEST_F(DownloadFlow, OpenChoiceWithoutAProgramForTheFileSaysSoAndKeepsTheFile) {
  shell.answer = [](const zx::doubles::ShellRequest&) { return zx::platform::launch::kFileNotFound; };
  auto control = serve("memo.xyz", "memo\r\n", "1");
  user->press(sd::kTemplateId, sd::kOpenButton, When::Modal);
  EXPECT_EQ(download(*control, "1", "1"), 0);
  ASSERT_EQ(shell.requests.size(), 1u);
  EXPECT_EQ(shell.requests[0].verb, "open");
  EXPECT_EQ(shell.requests[0].target, tmp.file("memo.xyz"));
  EXPECT_EQ(shell.requests[0].owner, user->nativeWindow(zx::platform::Owner::Control)) << "the control's window owns it";
  ASSERT_EQ(user->boxes().size(), 1u);
  EXPECT_EQ(user->itemTexts(sd::kTemplateId, sd::kUpperText).back(), "다운로드 되었습니다.");
  EXPECT_EQ(user->itemTexts(sd::kTemplateId, sd::kLowerText).back(), "memo.xyz");
  expectBox(user->boxes()[0], "OPEN ERROR",
            "다운로드 하였으나 파일을 열 수 없습니다.\n이 자료를 열 수 있는 프로그램이 설치 되었는지 "
            "확인하십시오.\n" + tmp.file("memo.xyz"),
            Owner::Control, mb::MB_TASKMODAL);
  EXPECT_EQ(zx::test::readFile(tmp.file("memo.xyz")), "memo\r\n");
  EXPECT_EQ(tmp.files(), Files{"memo.xyz"});
  EXPECT_TRUE(user->liveDialogs().empty()) << "an opened download keeps no dialog";
}

TEST_F(DownloadFlow, ACopyThatCannotBeWrittenShowsTheDiskBoxAndDropsItsSource) {
  auto progress = zx::showStatusDialog(env(), false, "DOWNLOAD", "a", "b", true);
  const std::string document = zxtest::mixedBytes(30000, 3);
  zx::test::writeFile(tmp.file("received.tmp"), document);
  zx::PathText source;
  ASSERT_TRUE(source.assign(zx::ansi(tmp.file("received.tmp"))));
  {
    zx::test::FileSizeLimit limit(10000);
    EXPECT_EQ(zx::copyWithProgress(env(), source, zx::ansi(tmp.file("copy.hwp")), true), -1);
  }
  auto boxes = user->boxes();
  ASSERT_EQ(boxes.size(), 2u) << "the failed write's own box, then the disk box";
  EXPECT_EQ(boxes[0].text, "파일에 기록할 수 없습니다.\n" + tmp.file("copy.hwp"));
  expectBox(boxes[1], "디스크오류", "파일을 복사할 수 없습니다.\n디스크 여유 공간을 확인하시고, 이상이 없으면 다시 시도 하십시오.",
            Owner::Control, mb::MB_OK);
  EXPECT_FALSE(std::filesystem::exists(tmp.file("received.tmp"))) << "the source goes when asked to";
  EXPECT_EQ(source.str(), zx::ansi(tmp.file("received.tmp"))) << "the caller's path is not replaced";
}

TEST_F(DownloadFlow, RemoveFileDeletesTheDownloadWhileFilenameStillNamesIt) {
  auto control = serve("gone.hwp", "to be removed\r\n", "0");
  ASSERT_EQ(download(*control, "1", "1"), 0);
  ASSERT_EQ(textOf(call(*control, "getPath")), tmp.file("gone.hwp"));
  call(*control, "removeFile");
  EXPECT_FALSE(std::filesystem::exists(tmp.file("gone.hwp")));
  EXPECT_EQ(textOf(call(*control, "getPath")), "");

  // Once the page names another file, the download is no longer the one to remove.
  ASSERT_EQ(put(*control, "Filename", "kept.hwp"), zx::ole::S_OK);
  ASSERT_EQ(download(*control, "1", "1"), 0);
  ASSERT_EQ(put(*control, "Filename", "elsewhere.hwp"), zx::ole::S_OK);
  call(*control, "removeFile");
  EXPECT_EQ(zx::test::readFile(tmp.file("kept.hwp")), "to be removed\r\n");
  EXPECT_TRUE(user->boxes().empty());
}

TEST_F(DownloadFlow, DebugSwitchKeepsEveryIntermediateFile) {
  zx::writeConfigValue(registry(), "debug", "true");
  const std::string document = zxtest::mixedBytes(40000, 5);
  auto control = serve("traced.bin", document, "0");
  ASSERT_EQ(download(*control, "1", "1"), 0);
  Files files = tmp.files();
  ASSERT_EQ(files.size(), 3u) << "the received text and the deciphered file stay";
  EXPECT_EQ(files[0], "traced.bin");
  EXPECT_EQ(files[1].substr(0, 7), "zxpart-") << "kept intermediates carry their prefix";
  EXPECT_EQ(files[2].substr(0, 7), "zxpart-");
  EXPECT_EQ(zx::test::readFile(tmp.file("traced.bin")), document);
}

TEST_F(DownloadFlow, EveryProtectionCombinationGivesBackTheOriginalBytes) {
  const std::string document = zxtest::mixedBytes(300001, 6);
  struct Case {
    const char* compressed;
    const char* ciphered;
    const char* query;
  };
  int n = 0;
  // An empty flag text counts as on.
  for (Case c : {Case{"1", "1", ""}, Case{"", "", ""}, Case{"0", "1", "?gzip=0"}}) {
    std::string name = "round" + std::to_string(n++) + ".bin";
    auto control = serve(name, document, "0", c.query);
    ASSERT_EQ(download(*control, c.compressed, c.ciphered), 0) << name;
    EXPECT_TRUE(zx::test::readFile(tmp.file(name)) == document) << name;
  }
  EXPECT_TRUE(user->boxes().empty());
  EXPECT_EQ(tmp.files(), (Files{"round0.bin", "round1.bin", "round2.bin"}));
}

TEST_F(DownloadFlow, TheUnsealedCombinationsRunOnlyTheirOwnSteps) {
  // Neither flag: the received lines are the document, stored as they come (trimmed, joined).
  auto control = serve("plain.txt", "first line \r\n\tsecond line\r\n", "0", "?mode=lines");
  ASSERT_EQ(download(*control, "0", "0"), 0);
  EXPECT_EQ(zx::test::readFile(tmp.file("plain.txt")), "first linesecond line");
  EXPECT_TRUE(user->boxes().empty()) << "nothing deciphered, nothing decompressed";

  // Compressed only: the lines go to the decompression as they are, not to the decipher.
  control = serve("packed.txt", "not gzip at all\r\n", "0", "?mode=lines");
  EXPECT_EQ(download(*control, "1", "0"), -1);
  ASSERT_EQ(user->boxes().size(), 1u);
  expectBox(user->boxes()[0], "압축해제오류", "incorrect header check", Owner::Control, mb::MB_OK);
  EXPECT_EQ(tmp.files(), Files{"plain.txt"}) << "no intermediate and no cut document stay";
}

TEST_F(DownloadFlow, KoreanFileNameArrivesAndIsNamedSo) {
  const std::string name = "전자문서 안내.hwp";
  const std::string document = "전자문서 본문\r\n" + zxtest::mixedBytes(5000, 7);
  auto control = serve(name, document, "0");
  ASSERT_EQ(download(*control, "1", "1"), 0);
  EXPECT_EQ(filenameOf(*control), tmp.file(name));
  EXPECT_EQ(tmp.files(), Files{name});
  EXPECT_EQ(zx::test::readFile(tmp.file(name)), document);
}

TEST_F(DownloadFlow, FailuresLeaveNoFileBehind) {
  struct Case {
    const char* query;
    const char* caption;
    std::string document;
  };
  const std::string binary = zxtest::mixedBytes(100000, 8);
  int n = 0;
  // A text that is no sealed document deciphers to noise, which the decompression refuses: the
  // download then ends without a partial document.
  for (const Case& c : {Case{"?drop=1", "OPEN ERROR", binary}, Case{"?badgzip=1", "압축해제오류", binary},
                        Case{"?status=500", "서버응답", binary}, Case{"?mode=lines", "압축해제오류", "not sealed\r\n"}}) {
    std::string name = "failed" + std::to_string(n++) + ".bin";
    auto control = serve(name, c.document, "0", c.query);
    size_t boxes = user->boxes().size();
    std::int32_t result = download(*control, "1", "1");
    EXPECT_NE(result, 0) << c.query;
    EXPECT_NE(result, -2) << c.query;
    ASSERT_EQ(user->boxes().size(), boxes + 1) << c.query << ": the user is told once";
    EXPECT_EQ(user->boxes().back().caption, c.caption) << c.query;
    EXPECT_EQ(user->boxes().back().owner, Owner::Control) << c.query;
    EXPECT_EQ(filenameOf(*control), name) << c.query;
    EXPECT_TRUE(tmp.files().empty()) << c.query;
    EXPECT_TRUE(user->liveDialogs().empty()) << c.query;
  }
}

TEST_F(DownloadFlow, OpenAndSaveWaitForTheFileBeforeTheyAct) {
  const std::string document = zxtest::mixedBytes(1 << 20, 9);
  auto control = serve("early.bin", document, "1");
  user->press(sd::kTemplateId, sd::kSaveButton, When::Modal);
  user->press(sd::kTemplateId, sd::kOpenButton, When::Progress, 200000);
  user->press(sd::kTemplateId, sd::kSaveButton, When::Progress, 400000);
  ASSERT_EQ(download(*control, "1", "1"), 0);
  EXPECT_TRUE(shell.requests.empty()) << "nothing to open while the document is on its way";
  auto* completed = onlyLiveDialog();
  ASSERT_NE(completed, nullptr);
  EXPECT_TRUE(completed->isVisible()) << "the completed dialog is there for the user to close";
  EXPECT_EQ(zx::test::utf8(completed->itemText(sd::kCancelButton)), "닫기(&C)");
  EXPECT_EQ(zx::test::readFile(tmp.file("early.bin")), document);
}

TEST_F(DownloadFlow, TheNameIsTheTextAfterTheLastSeparatorOfEitherKind) {
  // The design took the text after the last backslash: "../victim/pwned.txt" left the folder.
  const std::string victim = tmp.path() + "-victim";
  std::filesystem::create_directory(victim);
  const std::string escape = "x\\../" + std::filesystem::path(victim).filename().string() + "/pwned.txt";
  peer().putDocument("pwned.txt", "pwned\r\n");
  auto control = pageControl(peer().downloadUrl("/docs/pwned.txt?mode=lines"), escape, "0");
  EXPECT_EQ(download(*control, "0", "0"), 0);
  EXPECT_TRUE(std::filesystem::is_empty(victim)) << "nothing lands outside the folder";
  std::filesystem::remove_all(victim);
  EXPECT_EQ(filenameOf(*control), tmp.file("pwned.txt"));
  EXPECT_EQ(tmp.files(), Files{"pwned.txt"});
  EXPECT_EQ(zx::readConfigValue(registry(), "downloadDir", ""), tmp.path()) << "the folder stays the folder";
}

TEST_F(DownloadFlow, ANameNoFileCanCarryFetchesNothing) {
  const unsigned requests = requestsReceived();
  const std::string tooLong = std::string(300, 'n') + ".txt";
  for (const std::string& name : {std::string("a\0b.txt", 7), std::string(1, '\0'), tooLong, std::string("."),
                                  std::string("dir\\.."), std::string("a\nb.txt"), std::string("dir/")}) {
    for (const char* dialog : {"0", "1"}) {
      auto control = serve("doc.txt", "doc\r\n", dialog);
      ASSERT_EQ(put(*control, "Filename", name), zx::ole::S_OK);
      control->ret = 7;
      EXPECT_EQ(download(*control, "1", "1"), -1) << "a refused name is a failure, not the last result";
      EXPECT_EQ(control->ret, -1);
      ASSERT_FALSE(user->boxes().empty());
      expectBox(user->boxes().back(), "오류", "다운로드 파일이름이 없습니다.", Owner::Control, mb::MB_OK);
    }
  }
  EXPECT_EQ(user->boxes().size(), 14u);
  EXPECT_EQ(dialogsShown(), 0);
  EXPECT_EQ(requestsReceived(), requests);
  EXPECT_TRUE(tmp.files().empty());
}

TEST_F(DownloadFlow, TheConfigurationHomeTakesNoDocument) {
  // Open on a modern system: the document is made in the download folder, here the home.
  zx::writeConfigValue(registry(), "downloadDir", home.path());
  auto control = serve("trusted.pem", "-----BEGIN CERTIFICATE-----\r\n", "1");
  user->press(sd::kTemplateId, sd::kOpenButton, When::Modal);
  const unsigned requests = requestsReceived();
  EXPECT_EQ(download(*control, "1", "1"), -1);
  ASSERT_EQ(user->boxes().size(), 1u);
  expectBox(user->boxes()[0], "다운로드 오류", "파일을 열 수 없습니다.\n" + home.file("trusted.pem"), Owner::Control,
            mb::MB_OK);
  EXPECT_FALSE(std::filesystem::exists(home.file("trusted.pem")));
  EXPECT_EQ(requestsReceived(), requests);

  // Save on an older system: the home is a folder the document cannot go to.
  services.os.setMajor(5);
  control = serve("trusted.pem", "-----BEGIN CERTIFICATE-----\r\n", "1");
  user->press(sd::kTemplateId, sd::kSaveButton, When::Modal);
  user->answerFile(zx::ansi(home.file("trusted.pem")));
  EXPECT_EQ(download(*control, "1", "1"), -2) << "the user gave up choosing";
  ASSERT_EQ(user->boxes().size(), 2u);
  expectBox(user->boxes()[1], "폴더 지정 오류", "이 폴더에는 파일을 생성할 수 없습니다.\r\n다른 폴더를 지정하십시오.",
            Owner::StatusDialog, mb::MB_OK);
  EXPECT_FALSE(std::filesystem::exists(home.file("trusted.pem")));
  EXPECT_EQ(requestsReceived(), requests);
}

}  // namespace
