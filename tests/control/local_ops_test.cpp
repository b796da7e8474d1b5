#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <chrono>
#include <filesystem>
#include <thread>

#include "core/config_store.h"
#include "core/file_helpers.h"
#include "platform/codepage.h"
#include "platform/module_file.h"
#include "support/zx_test.h"

namespace zx {
namespace {

using test::ControlTest;
namespace mb = platform::mb;

const std::string kDiskAdvice = "디스크 여유 공간을 확인하시고, 이상이 없으면 다시 시도 하십시오.";

// A companion program that writes the arguments it was started with, one per line, into
// "started" beside itself; and a file in its place that the system cannot start.
#ifdef _WIN32
void writeCompanion(const std::string& path) {
  std::filesystem::copy_file(joinPath(directoryOf(platform::moduleFileName()), "companion_probe.exe"), path,
                             std::filesystem::copy_options::overwrite_existing);
}
void writeCompanionThatCannotStart(const std::string& path) { test::writeFile(path, "no program"); }
#else
void writeCompanion(const std::string& path) {
  test::writeFile(path, "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$(dirname \"$0\")/started\"\n");
  chmod(path.c_str(), 0755);
}
// Ends at once with the status of a failed start.
void writeCompanionThatCannotStart(const std::string& path) { test::writeFile(path, "#!/bin/sh\nexit 127\n"); }
#endif

// What the companion in `folder` wrote once started; empty when it did not start within 3 s.
std::string startedArguments(const std::string& folder) {
  const std::string marker = joinPath(folder, "started");
  for (int i = 0; i < 300 && test::readFile(marker).empty(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  return test::readFile(marker);
}

class LocalOps : public ControlTest {};

TEST_F(LocalOps, SaveFileWithoutDialogWritesTheCodePageBytesIntoAFreshTemporaryFile) {
  auto c = makeControl();
  put(*c, "dialog", "0");
  EXPECT_EQ(call(*c, "saveFile", {text("한글")}).intValue(), 0);
  EXPECT_EQ(c->ret, 0);
  ASSERT_FALSE(c->Filename.empty());
  EXPECT_EQ(c->Filename.rfind(test::joinedPath({tmp.path(), ""}), 0), 0u) << "placed by the TMP rule";
  EXPECT_EQ(test::readFile(c->Filename), std::string("\xC7\xD1\xB1\xDB"));
  EXPECT_TRUE(user->records().empty());

  // The same name is written again, emptied first.
  EXPECT_EQ(c->saveFile("x"), 0);
  EXPECT_EQ(test::readFile(c->Filename), "x");
}

TEST_F(LocalOps, SaveFileThroughTheDialog) {
  auto c = makeControl();
  put(*c, "Filename", "start.txt");
  put(*c, "FileFilter", "Text (*.txt)|*.txt|All (*.*)|*.*||");
  c->ret = 7;
  EXPECT_EQ(c->saveFile("abc"), -2);
  EXPECT_EQ(c->ret, 7) << "a cancelled dialog leaves ret alone";
  ASSERT_EQ(user->records().size(), 1u);
  const auto& asked = user->records()[0].file;
  EXPECT_TRUE(asked.save);
  EXPECT_EQ(test::utf8(asked.defaultExtension), "파일저장");
  EXPECT_EQ(asked.initialName, "start.txt");
  EXPECT_EQ(asked.flags, 0x6u);
  EXPECT_EQ(asked.owner, platform::Owner::None);
  ASSERT_EQ(asked.filters.size(), 2u);
  EXPECT_EQ(asked.filters[1].pattern, "*.*");

  user->answerFile(tmp.file("chosen.txt"));
  EXPECT_EQ(c->saveFile("abc"), 0);
  EXPECT_EQ(c->Filename, tmp.file("chosen.txt"));
  EXPECT_EQ(test::readFile(tmp.file("chosen.txt")), "abc");
}

TEST_F(LocalOps, SaveFileIntoAnUnwritablePlaceShowsTheErrorBox) {
  auto c = makeControl();
  put(*c, "dialog", "0");
  put(*c, "Filename", test::joinedPath({"", "no", "such", "folder", "x.txt"}));
  EXPECT_EQ(c->saveFile("abc"), -1);
  EXPECT_EQ(c->ret, -1);
  auto shown = user->boxes();
  ASSERT_EQ(shown.size(), 1u);
  const auto& box = shown[0];
  EXPECT_EQ(box.text, "파일을 열 수 없습니다.\n" + kDiskAdvice);
  EXPECT_EQ(box.caption, "ERROR");
  EXPECT_EQ(box.owner, platform::Owner::Control);
  EXPECT_EQ(box.flags, mb::MB_OK);

#ifndef _WIN32
  if (access("/dev/full", W_OK) == 0) {
    put(*c, "Filename", "/dev/full");
    EXPECT_EQ(c->saveFile(std::string(100000, 'z')), -1);
    auto after = user->boxes();
    EXPECT_EQ(after.back().text, "파일에 기록할 수 없습니다.\n" + kDiskAdvice);
    EXPECT_EQ(after.back().caption, "ERROR");
  }
#else
  // Under Wine, drive Z: is the Linux root, and Linux's full device is a file that opens and
  // then refuses every write as a full disk does.
  put(*c, "Filename", "Z:\\dev\\full");
  EXPECT_EQ(c->saveFile(std::string(100000, 'z')), -1);
  EXPECT_EQ(c->ret, -1);
  auto after = user->boxes();
  ASSERT_EQ(after.size(), 2u);
  EXPECT_EQ(after.back().text, "파일에 기록할 수 없습니다.\n" + kDiskAdvice);
  EXPECT_EQ(after.back().caption, "ERROR");
  EXPECT_EQ(after.back().owner, platform::Owner::Control);
  EXPECT_EQ(after.back().flags, mb::MB_OK);
#endif
}

#ifndef _WIN32
TEST_F(LocalOps, SaveFileOnAFullDiskLeavesTheOldFileAsItWas) {
  test::SmallFileSystem disk("64k");
  if (!disk.mounted()) GTEST_SKIP() << disk.why();
  const std::string target = disk.file("kept.txt");
  test::writeFile(target, "the old content");
  chmod(target.c_str(), 0640);
  auto c = makeControl();
  put(*c, "dialog", "0");
  put(*c, "Filename", target);
  EXPECT_EQ(c->saveFile("the new content"), 0);
  EXPECT_EQ(test::readFile(target), "the new content");

  disk.fillLeaving(8192);
  EXPECT_EQ(c->saveFile(std::string(100000, 'z')), -1);
  EXPECT_EQ(c->ret, -1);
  EXPECT_EQ(user->boxes().back().text, "파일에 기록할 수 없습니다.\n" + kDiskAdvice);
  EXPECT_EQ(test::readFile(target), "the new content") << "the text that did not fit replaced nothing";
  EXPECT_EQ(disk.files(), (std::vector<std::string>{"filler", "kept.txt"})) << "nothing is left beside it";
  struct stat st;
  ASSERT_EQ(stat(target.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u) << "the replaced file keeps its permissions";
}
#endif

TEST_F(LocalOps, SaveFileNeverWritesTheControlsOwnFiles) {
  auto c = makeControl();
  put(*c, "dialog", "0");
  test::writeFile(tmp.file("ZorvC.EXE"), "the companion");
  writeConfigValue(registry(), "Path", tmp.path());
  std::vector<std::string> targets{home.file("ca.pem"), home.file("registry.db"), tmp.file("ZorvC.EXE"),
                                   test::joinedPath({home.path(), "windows", "..", "ca.pem"})};
  // A link into the home where one can be made: Windows lets only privileged users make links.
  std::error_code linked;
  std::filesystem::create_directory_symlink(home.path(), tmp.file("link-to-home"), linked);
#ifndef _WIN32
  ASSERT_FALSE(linked) << linked.message();
#endif
  if (!linked) targets.push_back(test::joinedPath({tmp.file("link-to-home"), "ca.pem"}));
  for (const std::string& target : targets) {
    put(*c, "Filename", target);
    EXPECT_EQ(c->saveFile("-----BEGIN CERTIFICATE-----"), -1) << target;
    ASSERT_FALSE(user->boxes().empty());
    EXPECT_EQ(user->boxes().back().text, "파일을 열 수 없습니다.\n" + kDiskAdvice);
  }
  EXPECT_FALSE(std::filesystem::exists(home.file("ca.pem")));
  EXPECT_EQ(test::readFile(tmp.file("ZorvC.EXE")), "the companion");
  put(*c, "Filename", tmp.file("ZorvC.txt"));
  EXPECT_EQ(c->saveFile("a document"), 0) << "beside them is fine";
}

TEST_F(LocalOps, ShowRemoveAndGetPath) {
  auto c = makeControl();
  call(*c, "showFile");
  EXPECT_TRUE(shell.requests.empty()) << "an empty Filename does nothing";
  put(*c, "Filename", "없는파일.txt");
  shell.answer = [](const doubles::ShellRequest&) { return platform::launch::kFileNotFound; };
  call(*c, "showFile");
  ASSERT_EQ(shell.requests.size(), 1u);
  EXPECT_EQ(shell.requests[0].verb, "open");
  EXPECT_EQ(shell.requests[0].owner, user->nativeWindow(platform::Owner::Control)) << "the control's window owns it";
  ASSERT_EQ(user->boxes().size(), 1u);
  EXPECT_EQ(user->boxes()[0].text, "파일을 열 수 없습니다.\n없는파일.txt");
  EXPECT_EQ(user->boxes()[0].caption, "파일열기");
  EXPECT_EQ(user->boxes()[0].flags, mb::MB_TASKMODAL);
  EXPECT_EQ(user->boxes()[0].owner, platform::Owner::Control);

  std::string file = tmp.file("last.txt");
  test::writeFile(file, "x");
  ASSERT_TRUE(c->m_filePath.assign(file));
  c->Filename = "other.txt";
  EXPECT_EQ(textOf(call(*c, "getPath")), file);
  call(*c, "removeFile");
  EXPECT_TRUE(std::filesystem::exists(file)) << "Filename names another file";
  EXPECT_EQ(textOf(call(*c, "getPath")), "");
  ASSERT_TRUE(c->m_filePath.assign(file));
  c->Filename = file;
  call(*c, "removeFile");
  EXPECT_TRUE(std::filesystem::exists(file)) << "a file the control did not make stays, silently";
  EXPECT_EQ(user->records().size(), 1u) << "and says nothing";
  EXPECT_EQ(textOf(call(*c, "getPath")), "");

  // A file this control wrote for the page goes.
  put(*c, "dialog", "0");
  c->Filename = file;
  ASSERT_EQ(c->saveFile("made here"), 0);
  ASSERT_TRUE(c->m_filePath.assign(file));
  call(*c, "removeFile");
  EXPECT_FALSE(std::filesystem::exists(file));
  EXPECT_EQ(textOf(call(*c, "getPath")), "");
}

TEST_F(LocalOps, RemoveFileAfterAFailedUploadLeavesThePagesFileAlone) {
  auto c = makeControl();
  const std::string victim = tmp.file("victim.txt");
  test::writeFile(victim, "the user's own file");
  put(*c, "url", "https://127.0.0.1:9/upload");
  put(*c, "dialog", "0");
  put(*c, "Filename", victim);
  EXPECT_EQ(call(*c, "upload", {text("u"), text("0"), text("1")}).intValue(), -1);
  EXPECT_EQ(textOf(call(*c, "getPath")), victim) << "the upload worked on the page's file";
  call(*c, "removeFile");
  EXPECT_EQ(test::readFile(victim), "the user's own file");
}

TEST_F(LocalOps, RunNamesTheCompanionAndPassesOptionAndPackageApart) {
  auto c = makeControl();
  shell.answer = [](const doubles::ShellRequest&) { return platform::launch::kPathNotFound; };
  EXPECT_EQ(call(*c, "Run").intValue(), platform::launch::kPathNotFound);
  ASSERT_EQ(shell.requests.size(), 1u);
  EXPECT_EQ(shell.requests[0].target, "c:\\Program Files\\QORAX\\ZorvC\\Bin\\ZorvC.EXE");
  EXPECT_EQ(shell.requests[0].arguments, (std::vector<std::string>{"-PKGNAME", "TENDRIAX"}));
  const std::string folder = test::joinedPath({"", "opt", "zorvc"});
  writeConfigValue(registry(), "Path", folder);
  c->Package = "P1 --evil option";
  c->Run();
  EXPECT_EQ(shell.requests[1].target, test::joinedPath({folder, "ZorvC.EXE"}));
  EXPECT_EQ(shell.requests[1].arguments, (std::vector<std::string>{"-PKGNAME", "P1 --evil option"}));
  c->Package = std::string(1000, 'P');
  EXPECT_EQ(c->Run(), platform::launch::kPathNotFound) << "an over-long line is refused, not cut";
  EXPECT_EQ(shell.requests.size(), 2u);
}

TEST_F(LocalOps, RunStartsARealCompanionProgram) {
  services.useSystemShell();
  auto c = makeControl();
  EXPECT_EQ(c->Run(), platform::launch::kPathNotFound) << "nothing at the default path";
  std::string program = tmp.file("ZorvC.EXE");
  writeCompanion(program);
  writeConfigValue(registry(), "Path", tmp.path());
  put(*c, "Package", "P9 -x");
  EXPECT_GT(c->Run(), 31);
  EXPECT_EQ(startedArguments(tmp.path()), "-PKGNAME\nP9 -x\n");

  // A companion that the system cannot start was not started.
  writeCompanionThatCannotStart(program);
  EXPECT_EQ(c->Run(), platform::launch::kBadFormat);
}

#ifdef _WIN32
// Windows hands a program one command line: the package still arrives as one argument, and no
// program at a prefix of the companion's path (the folder's name up to its first blank, as an
// unquoted line would be read) is started instead.
TEST_F(LocalOps, RunStartsTheCompanionAloneWithThePackageAsOneArgument) {
  services.useSystemShell();
  auto c = makeControl();
  ASSERT_EQ(tmp.path().find(' '), std::string::npos);
  const std::string folder = tmp.file("dir with space");
  std::filesystem::create_directory(folder);
  writeCompanion(joinPath(folder, "ZorvC.EXE"));
  writeCompanion(tmp.file("dir.exe"));
  writeConfigValue(registry(), "Path", folder);
  const std::string package = "P 1 \"quoted\" a\\\"b\tc:\\end\\";
  put(*c, "Package", package);
  EXPECT_GT(c->Run(), 31);
  EXPECT_EQ(startedArguments(folder), "-PKGNAME\n" + package + "\n");
  EXPECT_FALSE(std::filesystem::exists(tmp.file("started"))) << test::readFile(tmp.file("started"));
}

#else
// The fixed path is relative on Linux only; on Windows it names a drive.
TEST_F(LocalOps, RunNeverStartsAProgramOfTheCurrentFolder) {
  services.useSystemShell();
  auto c = makeControl();
  // An executable that the fixed path names relative to the current folder.
  const std::string planted = tmp.file("c:\\Program Files\\QORAX\\ZorvC\\Bin\\ZorvC.EXE");
  test::writeFile(planted, "#!/bin/sh\ntouch \"$(dirname \"$0\")/planted-ran\"\n");
  chmod(planted.c_str(), 0755);
  const std::string before = std::filesystem::current_path();
  std::filesystem::current_path(tmp.path());
  const std::int32_t result = c->Run();
  std::filesystem::current_path(before);
  EXPECT_EQ(result, platform::launch::kPathNotFound);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_FALSE(std::filesystem::exists(tmp.file("planted-ran")));
}

#endif

}  // namespace
}  // namespace zx
