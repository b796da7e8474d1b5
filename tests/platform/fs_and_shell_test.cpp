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

TEST(Sysdirs, TheUsersDownloadFolderComesFromTheUserDirsFile) {
  TempDir config;
  PosixFileSystem fs("");
  EXPECT_EQ(userDownloadDirectory(fs, "/home/u", config.path()), "/home/u/Downloads") << "no file: the usual folder";
  test::writeFile(config.file("user-dirs.dirs"), "# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
                                                 "XDG_DOWNLOAD_DIR=\"$HOME/받은 파일\"\n");
  EXPECT_EQ(userDownloadDirectory(fs, "/home/u", config.path()), "/home/u/" + utf8ToAnsi("받은 파일"));
  test::writeFile(config.file("user-dirs.dirs"), "XDG_DOWNLOAD_DIR=\"/srv/dl\"");
  EXPECT_EQ(userDownloadDirectory(fs, "/home/u", config.path()), "/srv/dl");
  test::writeFile(config.file("user-dirs.dirs"), "XDG_DOWNLOAD_DIR=relative\n");
  EXPECT_EQ(userDownloadDirectory(fs, "/home/u", config.path()), "/home/u/Downloads");

  TempDir user;
  PosixFileSystem withFolder("", user.file("dl/Downloads"));
  EXPECT_EQ(withFolder.userDownloadDirectory(), user.file("dl/Downloads"));
  EXPECT_TRUE(std::filesystem::is_directory(user.file("dl/Downloads")));
  EXPECT_EQ(PosixFileSystem("").userDownloadDirectory(), "");
}

TEST(Shell, LauncherPassesArgumentsApartAndKeepsTheOldCodes) {
  TempDir dir;
  std::string program = dir.file("my tools") + "/ZorvC.EXE";
  std::filesystem::create_directories(dir.file("my tools"));
  test::writeFile(program, "#!/bin/sh\nfor a in \"$@\"; do echo \"[$a]\"; done > \"$(dirname \"$0\")/args\"\n");
  chmod(program.c_str(), 0755);
  SystemShell shell;
  EXPECT_GT(shell.launch(program, {"-PKGNAME", "P1 two words"}, {}), 31);
  for (int i = 0; i < 200 && test::readFile(dir.file("my tools/args")).empty(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(test::readFile(dir.file("my tools/args")), "[-PKGNAME]\n[P1 two words]\n");

  EXPECT_EQ(shell.launch(dir.file("my tools/None.EXE"), {"-PKGNAME", "P1"}, {}), launch::kFileNotFound);
  EXPECT_EQ(shell.launch(dir.file("no folder/None.EXE"), {}, {}), launch::kPathNotFound);
  EXPECT_EQ(shell.launch("c:\\Program Files\\QORAX\\ZorvC\\Bin\\ZorvC.EXE", {"-PKGNAME", "TENDRIAX"}, {}),
            launch::kPathNotFound);
  EXPECT_EQ(shell.launch("ZorvC.EXE", {}, {}), launch::kPathNotFound) << "a relative name is never searched for";
  test::writeFile(dir.file("plain.EXE"), "not a program");
  chmod(dir.file("plain.EXE").c_str(), 0644);
  EXPECT_EQ(shell.launch(dir.file("plain.EXE"), {"-x"}, {}), launch::kBadFormat);
  EXPECT_EQ(shell.launch(dir.path(), {}, {}), launch::kBadFormat) << "a folder is no program";
  test::writeFile(dir.file("fails.EXE"), "#!/bin/sh\nexit 127\n");
  chmod(dir.file("fails.EXE").c_str(), 0755);
  EXPECT_EQ(shell.launch(dir.file("fails.EXE"), {}, {}), launch::kBadFormat);
  EXPECT_EQ(shell.open(dir.file("absent.txt"), 0, {}), launch::kFileNotFound);

  // While the launcher watches a program for a start that failed, the caller's window works.
  test::writeFile(dir.file("long.EXE"), "#!/bin/sh\nsleep 5\n");
  chmod(dir.file("long.EXE").c_str(), 0755);
  int asked = 0;
  EXPECT_GT(shell.launch(dir.file("long.EXE"), {}, [&] {
    ++asked;
    return WaitAnswer::KeepWaiting;
  }), 31);
  EXPECT_GE(asked, 2) << "the hook runs while the verdict is awaited";
  asked = 0;
  EXPECT_GT(shell.launch(dir.file("long.EXE"), {}, [&] { return ++asked == 1 ? WaitAnswer::Stop : WaitAnswer::KeepWaiting; }),
            31);
  EXPECT_EQ(asked, 1) << "a Stop ends the watch: the program counts as started";
}

// An opener that decides slowly must not hold the caller's window: the caller's wait hook runs
// while it decides, and a Stop leaves it running on its own.
TEST(Shell, OpenerVerdictsAndTheCallersWaitHook) {
  TempDir dir;
  auto opener = [&](const std::string& name, const std::string& body) {
    std::string path = dir.file(name);
    test::writeFile(path, "#!/bin/sh\n" + body + "\n");
    chmod(path.c_str(), 0755);
    return path;
  };
  test::writeFile(dir.file("doc.txt"), "x");
  int asked = 0;
  WaitHook counting = [&] {
    ++asked;
    return WaitAnswer::KeepWaiting;
  };

  EXPECT_EQ(SystemShell(opener("yes", "exit 0")).open(dir.file("doc.txt"), 0, counting), launch::kStarted);
  EXPECT_LT(SystemShell(opener("no", "exit 3")).open(dir.file("doc.txt"), 0, counting), 32);
  EXPECT_EQ(SystemShell(opener("no", "exit 3")).openFolder(dir.file("missing"), 0, counting), launch::kPathNotFound);

  asked = 0;
  EXPECT_EQ(SystemShell(opener("slow", "sleep 0.5")).openFolder(dir.path(), 0, counting), launch::kStarted);
  EXPECT_GE(asked, 2) << "the hook runs while the opener decides";

  asked = 0;
  std::string marker = dir.file("opened");
  SystemShell stalled(opener("stalled", "sleep 5; touch '" + marker + "'"));
  EXPECT_EQ(stalled.open(dir.file("doc.txt"), 0, [&] { return ++asked == 3 ? WaitAnswer::Stop : WaitAnswer::KeepWaiting; }),
            launch::kStarted);
  EXPECT_EQ(asked, 3);
  EXPECT_FALSE(std::filesystem::exists(marker)) << "a Stop returns without waiting for the opener";
}

}  // namespace
}  // namespace zx::platform
