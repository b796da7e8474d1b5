#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/codepage.h"
#include "support/zx_test.h"
#include "ui/save_as_dialog.h"
#include "platform/fs.h"
#include "ui/status_dialog.h"

namespace zx {
namespace {

using test::ControlTest;
using namespace statusdlg;

class SaveAs : public ControlTest {};

TEST_F(SaveAs, FilterListFollowsTheDocumentsExtension) {
  CFileExportDialog d(env(), "t", "download (*.hwp)", "report.hwp", "/no/such/folder");
  ASSERT_EQ(d.filters.size(), 1u);
  EXPECT_EQ(d.filters[0].description, "download (*.hwp)");
  EXPECT_EQ(d.filters[0].pattern, "*.hwp");
  EXPECT_EQ(d.extensions[0], ".hwp");
  EXPECT_EQ(d.fileBuffer, "report.hwp");
  EXPECT_EQ(d.filterIndex, 1);
  EXPECT_EQ(d.initialFolder, fs().currentDirectory()) << "a missing folder gives the current one";

  CFileExportDialog none(env(), "t", "download (*)", "", tmp.path());
  EXPECT_EQ(none.filters[0].pattern, "*");
  EXPECT_EQ(none.fileBuffer, "*");
  EXPECT_EQ(none.initialFolder, tmp.path());

  CFileExportDialog many(env(), "t", "A (*.a)|B (*.txt)|'C|quoted (*.c)'", "x.txt", tmp.path());
  ASSERT_EQ(many.filters.size(), 3u);
  EXPECT_EQ(many.filters[2].description, "C|quoted (*.c)");
  EXPECT_EQ(many.filterIndex, 2);

  std::string twentyFive;
  for (int i = 0; i < 25; ++i) twentyFive += "T" + std::to_string(i) + " (*.t" + std::to_string(i) + ")|";
  EXPECT_EQ(CFileExportDialog(env(), "t", twentyFive, "", tmp.path()).filters.size(), 20u);
}

TEST_F(SaveAs, InitialFolderIsTakenOnlyWhenItIsAFolder) {
  test::writeFile(tmp.file("plain"), "a file, not a folder");
  EXPECT_EQ(CFileExportDialog(env(), "t", "download (*)", "x", tmp.file("plain")).initialFolder, fs().currentDirectory());
  std::filesystem::create_directory(tmp.file("sub"));
  EXPECT_EQ(CFileExportDialog(env(), "t", "download (*)", "x", tmp.file("sub")).initialFolder, tmp.file("sub"));
  EXPECT_EQ(CFileExportDialog(env(), "t", "download (*)", "x", "").initialFolder, fs().currentDirectory());
}

TEST_F(SaveAs, TypeChangeRewritesTheNameField) {
  CFileExportDialog d(env(), "t", "download (*.hwp)", "report.old.hwp", tmp.path());
  EXPECT_EQ(d.onTypeChange("report.old.hwp", "Text (*.txt)"), "report.txt");
  EXPECT_EQ(d.onTypeChange("", "Text (*.txt)"), "*.txt");
  EXPECT_EQ(d.onTypeChange("report", "Text (*.txt)"), "report.txt");
}

TEST_F(SaveAs, ProbeWritesAndReadsBackWithoutHarmingAnExistingFile) {
  EXPECT_TRUE(probeWritable(fs(), tmp.file("new.hwp")));
  EXPECT_FALSE(std::filesystem::exists(tmp.file("new.hwp")));
  test::writeFile(tmp.file("old.hwp"), "precious");
  EXPECT_TRUE(probeWritable(fs(), tmp.file("old.hwp")));
  EXPECT_EQ(test::readFile(tmp.file("old.hwp")), "precious");
  EXPECT_EQ(tmp.files(), std::vector<std::string>{"old.hwp"});
  EXPECT_FALSE(probeWritable(fs(), "/no/such/folder/x.hwp"));
}

#ifndef _WIN32
// Links and file size limits as POSIX has them.
TEST_F(SaveAs, ProbeWritesItsElevenBytesAndPassesOnlyWhenTheyComeBack) {
  // A link that leads nowhere yet: the probe's file is made at the link's target, and removing
  // the probe removes only the link, so what the probe wrote stays to be read.
  std::filesystem::create_symlink(tmp.file("written"), tmp.file("link.hwp"));
  EXPECT_TRUE(probeWritable(fs(), tmp.file("link.hwp")));
  EXPECT_EQ(test::readFile(tmp.file("written")), "123x123x123");
  EXPECT_FALSE(std::filesystem::is_symlink(tmp.file("link.hwp")));

  // Only 5 of the 11 bytes reach the disk: what comes back is not the probe's text.
  test::FileSizeLimit limit(5);
  EXPECT_FALSE(probeWritable(fs(), tmp.file("short.hwp")));
  EXPECT_FALSE(std::filesystem::exists(tmp.file("short.hwp")));
}
#endif

TEST_F(SaveAs, OlderSystemLoopsUntilAWritableFolderIsChosen) {
  // A "folder" that is a file refuses everyone, root included.
  test::writeFile(tmp.file("locked"), "not a folder");
  CStatusDlg choice(env(), false);
  ASSERT_TRUE(choice.path.assign(tmp.file("doc.hwp")));
  user->press(kTemplateId, kSaveButton, doubles::ScriptedUi::When::Modal);
  user->answerFile(tmp.file("locked/doc.hwp"));
  user->answerFile(tmp.file("doc2.hwp"));
  EXPECT_EQ(choice.DoModal(), kEndOk);
  EXPECT_EQ(choice.path.str(), tmp.file("doc2.hwp"));
  auto boxes = user->boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, "폴더 지정 오류");
  EXPECT_EQ(boxes[0].text, "이 폴더에는 파일을 생성할 수 없습니다.\r\n다른 폴더를 지정하십시오.");
  EXPECT_EQ(boxes[0].owner, platform::Owner::StatusDialog);
  std::vector<doubles::UiRecord> files;
  for (const auto& r : user->records())
    if (r.kind == "file") files.push_back(r);
  ASSERT_EQ(files.size(), 2u);
  EXPECT_EQ(files[0].caption, "다른 파일 이름으로 저장");
  EXPECT_EQ(files[0].file.filters[0].description, "download (*.hwp)");
  EXPECT_EQ(files[1].file.initialName, tmp.file("locked/doc.hwp")) << "the second try keeps the user's last choice";
}

TEST_F(SaveAs, CancellingTheSaveAsDialogCancelsTheChoice) {
  CStatusDlg choice(env(), false);
  ASSERT_TRUE(choice.path.assign(tmp.file("doc.hwp")));
  user->press(kTemplateId, kSaveButton, doubles::ScriptedUi::When::Modal);
  EXPECT_EQ(choice.DoModal(), kEndCancel);
}

}  // namespace
}  // namespace zx
