#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <thread>

#include "platform/codepage.h"
#include "platform/linux/fs_posix.h"
#include "platform/shell.h"
#include "platform/sysdirs.h"
#include "support/zx_test.h"

namespace zx::platform {
namespace {

using test::TempDir;

TEST(Fs, KoreanPathsReachTheFileSystemAsUtf8) {
  TempDir dir;
  PosixFileSystem fs("");
  std::string path = utf8ToAnsi(dir.file("문서.txt"));
  EXPECT_TRUE(fs.createExclusive(path));
  EXPECT_FALSE(fs.createExclusive(path));
  EXPECT_TRUE(std::filesystem::exists(dir.file("문서.txt")));
  EXPECT_EQ(fs.fileSize(path), 0u);
  std::string other = utf8ToAnsi(dir.file("다른.txt"));
  EXPECT_TRUE(fs.renameFile(path, other));
  EXPECT_TRUE(fs.createExclusive(path));
  EXPECT_FALSE(fs.renameFile(path, other)) << "a rename never replaces an existing file";
  EXPECT_TRUE(fs.removeFile(path));
  EXPECT_FALSE(fs.exists(path));
}

TEST(Fs, TemporaryNamesPreferTmpThenTheGivenFolder) {
  TempDir tmp, given;
  EXPECT_EQ(PosixFileSystem(tmp.path()).tempName(given.path(), "").rfind(tmp.path() + "/", 0), 0u);
  EXPECT_EQ(PosixFileSystem("/no/such/folder").tempName(given.path(), "p").rfind(given.path() + "/p", 0), 0u);
}

TEST(Sysdirs, ProfileReaderFindsSectionAndKeyWithoutRegardToCase) {
  TempDir dir;
  PosixFileSystem fs("");
  test::writeFile(dir.file("a.ini"), "; old settings\r\n[other]\r\ndir=/x\r\n[Download]\r\n DIR = /srv/docs \r\n");
  EXPECT_EQ(readProfileString(fs, "download", "dir", "", dir.file("a.ini"), 512), "/srv/docs");
  EXPECT_EQ(readProfileString(fs, "download", "missing", "dflt", dir.file("a.ini"), 512), "dflt");
  EXPECT_EQ(readProfileString(fs, "download", "dir", "", dir.file("a.ini"), 5), "/srv");
  EXPECT_EQ(readProfileString(fs, "download", "dir", "none", dir.file("absent.ini"), 512), "none");
}

TEST(Shell, LauncherReadsAnUnquotedCommandLineAndKeepsTheOldCodes) {
  TempDir dir;
  std::string program = dir.file("my tools") + "/ZorvC.EXE";
  std::filesystem::create_directories(dir.file("my tools"));
  test::writeFile(program, "#!/bin/sh\necho \"$@\" > \"$(dirname \"$0\")/args\"\n");
  chmod(program.c_str(), 0755);
  SystemShell shell;
  EXPECT_GT(shell.launch(program + " -PKGNAME P1"), 31);
  for (int i = 0; i < 200 && !std::filesystem::exists(dir.file("my tools/args")); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(test::readFile(dir.file("my tools/args")), "-PKGNAME P1\n");

  EXPECT_EQ(shell.launch(dir.file("my tools/None.EXE -PKGNAME P1")), launch::kFileNotFound);
  EXPECT_EQ(shell.launch("c:\\Program Files\\QORAX\\ZorvC\\Bin\\ZorvC.EXE -PKGNAME TENDRIAX"), launch::kPathNotFound);
  test::writeFile(dir.file("plain.EXE"), "not a program");
  chmod(dir.file("plain.EXE").c_str(), 0644);
  EXPECT_EQ(shell.launch(dir.file("plain.EXE") + " -x"), launch::kBadFormat);
  EXPECT_EQ(shell.open(dir.file("absent.txt")), launch::kFileNotFound);
}

}  // namespace
}  // namespace zx::platform
