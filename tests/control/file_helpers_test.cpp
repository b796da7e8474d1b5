#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>

#include "core/config_store.h"
#include "core/file_helpers.h"
#include "platform/clock.h"
#include "platform/codepage.h"
#include "platform/fixed_text.h"
#include "support/zx_test.h"

namespace zx {
namespace {

using test::TempDir;

TEST(FileHelpers, DirectoryAndLastElement) {
  EXPECT_EQ(directoryOf("C:\\doc.txt"), "C:\\");
  EXPECT_EQ(directoryOf("C:\\a\\doc.txt"), "C:\\a");
  EXPECT_EQ(directoryOf("/doc.txt"), "/");
  EXPECT_EQ(directoryOf("/srv/in/doc.txt"), "/srv/in");
  EXPECT_EQ(directoryOf("a\\b/c"), "a") << "a backslash wins over slashes";
  EXPECT_EQ(directoryOf("doc.txt"), "");
  EXPECT_EQ(directoryOf("\\x"), "\\") << "the root keeps its separator, as a drive root does";
  EXPECT_EQ(lastElement("a/b\\c/d.txt"), "c/d.txt");
  EXPECT_EQ(lastElement("a/b/d.txt"), "d.txt");
  EXPECT_EQ(lastElement("d.txt"), "d.txt");
  EXPECT_EQ(lastElement("dir/"), "");
  const std::string root = test::joinedPath({"", ""});
  EXPECT_EQ(joinPath(root, "x"), root + "x") << "a root keeps its one separator";
  EXPECT_EQ(joinPath("C:\\", "x"), "C:\\x");
  EXPECT_EQ(joinPath(test::joinedPath({"", "srv"}), "x"), test::joinedPath({"", "srv", "x"}));
}

TEST(FileHelpers, TemporaryFilesAreFreshExistingAndEmpty) {
  TempDir dir, home;
  test::TestServices noTmp(home.path(), "");
  const platform::Env env = noTmp.env();
  std::string a = makeTempFileName(env, dir.path(), ""), b = makeTempFileName(env, dir.path(), "");
  ASSERT_FALSE(a.empty());
  EXPECT_NE(a, b);
  EXPECT_EQ(directoryOf(a), dir.path());
  EXPECT_EQ(test::readFile(a), "");
  EXPECT_TRUE(std::filesystem::exists(b));

  // Without TMP the generator's own folder; with TMP naming a folder, that folder.
  TempDir tmpFolder;
  test::TestServices withTmp(home.path(), tmpFolder.path());
  EXPECT_EQ(tempDirectoryOf(withTmp.env()), tmpFolder.path());
  EXPECT_TRUE(std::filesystem::is_empty(tmpFolder.path())) << "the probe file is gone again";
  EXPECT_EQ(tempDirectoryOf(env), noTmp.system.fs().systemTempDirectory());
}

#ifndef _WIN32
// Counts the waits between attempts.
class CountingClock : public platform::Clock {
 public:
  TimePoint now() override { return real_.now(); }
  std::chrono::system_clock::time_point wallNow() override { return real_.wallNow(); }
  void sleepFor(std::chrono::milliseconds duration) override {
    ++sleeps;
    real_.sleepFor(duration);
  }
  int sleeps = 0;

 private:
  platform::SystemClock real_;
};

// A folder deeper than a path buffer holds: no name in it fits, so every attempt fails.
TEST(FileHelpers, TemporaryNameIsEmptyAfterFiveFailedAttempts) {
  TempDir home, top;
  std::string deep = top.path();
  for (char c : {'a', 'b', 'c'}) deep += "/" + std::string(200, c);
  std::filesystem::create_directories(deep);
  test::TestServices noTmp(home.path(), "");
  const platform::Env base = noTmp.env();
  CountingClock clock;
  const platform::Env env{base.ui, base.shell, base.registry, base.fs, base.http, base.adapters, base.os, clock, base.home};
  EXPECT_EQ(makeTempFileName(env, deep, ""), "");
  EXPECT_EQ(clock.sleeps, 5) << "five attempts, each followed by its wait";
  EXPECT_TRUE(std::filesystem::is_empty(deep));
}
#endif

TEST(FileHelpers, DownloadNamesStayInTheirFolder) {
  platform::FileSystem& fs = test::localFiles();
  EXPECT_EQ(downloadNameOf(fs, "report.hwp"), "report.hwp");
  EXPECT_EQ(downloadNameOf(fs, "x\\../victim/pwned.txt"), "pwned.txt") << "a slash after the backslash ends the folder";
  EXPECT_EQ(downloadNameOf(fs, "a/b\\c.txt"), "c.txt");
  EXPECT_EQ(downloadNameOf(fs, "C:\\docs\\" + ansi("보고서.hwp")), ansi("보고서.hwp"));
  // A lead byte hides the separator after it from the search, but the system would see it.
  EXPECT_FALSE(downloadNameOf(fs, "\x95/..").has_value());
  EXPECT_FALSE(downloadNameOf(fs, "dir\\\x95\x5C.txt").has_value());
  EXPECT_EQ(downloadNameOf(fs, std::string(255, 'n')), std::string(255, 'n'));
  for (const std::string& refused : {std::string(), std::string("dir/"), std::string("dir\\"), std::string("."),
                                     std::string("a/.."), std::string("a\0b.txt", 7), std::string(1, '\0'),
                                     std::string("a\nb"), std::string("a\rb"), std::string("tab\t"), std::string("\x7F"),
                                     std::string(256, 'n')})
    EXPECT_FALSE(downloadNameOf(fs, refused).has_value()) << refused.size();
  // A name may take 255 bytes as the system spells it: UTF-8 on Linux (a Korean character takes
  // three), the code page on Windows (two).
#ifdef _WIN32
  const size_t mostKorean = 127;
#else
  const size_t mostKorean = 85;
#endif
  std::string korean;
  for (size_t i = 0; i < mostKorean; ++i) korean += "\xB0\xA1";
  EXPECT_EQ(downloadNameOf(fs, korean), korean);
  EXPECT_FALSE(downloadNameOf(fs, korean + "\xB0\xA1").has_value());
}

TEST(FileHelpers, IntermediatesAreLockedAndOnlyAbandonedOnesAreCleanedUp) {
  TempDir dir, home;
  test::TestServices services(home.path(), "");
  const platform::Env env = services.env();
  const std::string inUse = makeIntermediateFile(env, dir.path());
  ASSERT_FALSE(inUse.empty());
  EXPECT_EQ(lastElement(inUse).rfind(kIntermediatePrefix, 0), 0u);
  test::writeFile(dir.file("zxpart-left"), "a crashed transfer's");
  test::writeFile(dir.file("zxpart-fresh"), "a running transfer's, not locked yet");
  test::writeFile(dir.file("zxkept"), "a page's saved file");
  test::writeFile(dir.file("report.hwp"), "a document");
  const auto old = std::filesystem::file_time_type::clock::now() - std::chrono::hours(2);
  for (const char* name : {"zxpart-left", "zxkept", "report.hwp"}) std::filesystem::last_write_time(dir.file(name), old);
  std::filesystem::last_write_time(inUse, old);

  // Another process's clean-up: a file system of its own sees the lock this one holds.
  auto other = test::anotherFileSystem();
  EXPECT_EQ(other->removeAbandoned(dir.path(), kIntermediatePrefix, std::chrono::hours(1)), 1);
  std::vector<std::string> left{"report.hwp", "zxkept", "zxpart-fresh", lastElement(inUse)};
  std::sort(left.begin(), left.end());
  EXPECT_EQ(dir.files(), left);
  deleteIfNamed(services.system.fs(), inUse);
  EXPECT_FALSE(std::filesystem::exists(inUse));
}

// What the clean-up must not take: intermediates the debug switch keeps for inspection, and a
// download that became the user's document without a name of its own.
TEST(FileHelpers, TheCleanUpSparesKeptIntermediatesAndDocuments) {
  TempDir dir, home;
  test::TestServices services(home.path(), "");
  const platform::Env env = services.env();
  auto abandon = [&](const std::string& name) {
    test::writeFile(dir.file(name), "left by a transfer");
    std::filesystem::last_write_time(dir.file(name), std::filesystem::file_time_type::clock::now() - std::chrono::hours(2));
  };
  abandon("zxpart-kept");
  writeConfigValue(env.registry, "debug", "true");
  removeAbandonedIntermediates(env, dir.path());
  EXPECT_TRUE(std::filesystem::exists(dir.file("zxpart-kept"))) << "the debug switch keeps it";
  writeConfigValue(env.registry, "debug", "false");
  removeAbandonedIntermediates(env, dir.path());
  EXPECT_FALSE(std::filesystem::exists(dir.file("zxpart-kept")));

  const std::string received = makeIntermediateFile(env, dir.path());
  const std::string document = keepAsDocument(env.fs, received);
  EXPECT_EQ(directoryOf(document), dir.path());
  EXPECT_NE(lastElement(document).rfind(kIntermediatePrefix, 0), 0u) << document;
  EXPECT_FALSE(std::filesystem::exists(received));
  abandon(lastElement(document));
  test::anotherFileSystem()->removeAbandoned(dir.path(), kIntermediatePrefix, std::chrono::hours(1));
  EXPECT_TRUE(std::filesystem::exists(document));
}


TEST(FileHelpers, MoveToUniqueNameCountsBeforeTheLastPoint) {
  TempDir dir;
  auto fresh = [&dir](const std::string& name) {
    test::writeFile(dir.file(name), name);
    return dir.file(name);
  };
  EXPECT_EQ(moveToUniqueName(test::localFiles(), "report.hwp", fresh("t1")), dir.file("report.hwp"));
  EXPECT_EQ(moveToUniqueName(test::localFiles(), "report.hwp", fresh("t2")), dir.file("report(1).hwp"));
  EXPECT_EQ(moveToUniqueName(test::localFiles(), "report.hwp", fresh("t3")), dir.file("report(2).hwp"));
  EXPECT_EQ(test::readFile(dir.file("report(2).hwp")), "t3");
  EXPECT_EQ(moveToUniqueName(test::localFiles(), "a.tar.gz", fresh("t4")), dir.file("a.tar.gz"));
  EXPECT_EQ(moveToUniqueName(test::localFiles(), "a.tar.gz", fresh("t5")), dir.file("a.tar(1).gz"));
  EXPECT_EQ(moveToUniqueName(test::localFiles(), "README", fresh("t6")), dir.file("README"));
  EXPECT_EQ(moveToUniqueName(test::localFiles(), "README", fresh("t7")), dir.file("README(1)"));
  std::filesystem::create_directory(dir.file("taken.txt"));
  EXPECT_EQ(moveToUniqueName(test::localFiles(), "taken.txt", fresh("t8")), dir.file("taken(1).txt")) << "a folder takes a name too";
}

TEST(FileHelpers, MoveToUniqueNameGivesUpAfterAllCandidates) {
  TempDir dir;
  test::writeFile(dir.file("x.txt"), "");
  for (int i = 1; i <= 4998; ++i) test::writeFile(dir.file("x(" + std::to_string(i) + ").txt"), "");
  test::writeFile(dir.file("source"), "keep");
  EXPECT_FALSE(moveToUniqueName(test::localFiles(), "x.txt", dir.file("source")).has_value());
  EXPECT_EQ(test::readFile(dir.file("source")), "keep");
  std::filesystem::remove(dir.file("x(4998).txt"));
  EXPECT_EQ(moveToUniqueName(test::localFiles(), "x.txt", dir.file("source")), dir.file("x(4998).txt"));
}

TEST(FileHelpers, FixedTextRefusesWhatDoesNotFit) {
  PathText p;
  EXPECT_TRUE(p.assign(std::string(511, 'a')));
  EXPECT_EQ(p.view().size(), 511u);
  EXPECT_FALSE(p.assign(std::string(512, 'b')));
  EXPECT_EQ(p.view(), std::string(511, 'a')) << "a refused text leaves the old one whole";
  EXPECT_FALSE(p.assign(std::string("a\0b", 3)));
  p.clear();
  EXPECT_TRUE(p.empty());
}

TEST(FileHelpers, AReplacementTakesThePlaceOnlyWhenCommitted) {
  TempDir dir;
  platform::FileSystem& fs = test::localFiles();
  const std::string target = dir.file("doc.txt");
  test::writeFile(target, "old");
  {
    ReplacementFile replacement(fs, target);
    ASSERT_TRUE(replacement.isOpen());
    ASSERT_TRUE(replacement.file().write("half of the new"));
    EXPECT_EQ(test::readFile(target), "old") << "the old file stays while the new one is written";
  }
  EXPECT_EQ(test::readFile(target), "old") << "uncommitted";
  EXPECT_EQ(dir.files(), std::vector<std::string>{"doc.txt"}) << "and nothing left beside it";
  {
    ReplacementFile replacement(fs, target);
    ASSERT_TRUE(replacement.file().write("new"));
    EXPECT_TRUE(replacement.commit());
  }
  EXPECT_EQ(test::readFile(target), "new");
  EXPECT_EQ(dir.files(), std::vector<std::string>{"doc.txt"});
  {
    ReplacementFile fresh(fs, dir.file("fresh.txt"));
    ASSERT_TRUE(fresh.file().write("made"));
    EXPECT_TRUE(fresh.commit());
  }
  EXPECT_EQ(test::readFile(dir.file("fresh.txt")), "made");
  ReplacementFile nowhere(fs, test::joinedPath({dir.path(), "no-such-folder", "x.txt"}));
  EXPECT_FALSE(nowhere.isOpen());
}

#ifndef _WIN32
TEST(FileHelpers, AReplacementFollowsLinksAndWritesDevicesInPlace) {
  TempDir dir;
  platform::FileSystem& fs = test::localFiles();
  std::filesystem::create_directory(dir.file("real"));
  test::writeFile(dir.file("real/doc.txt"), "old");
  std::filesystem::create_symlink(dir.file("real/doc.txt"), dir.file("link.txt"));
  {
    ReplacementFile replacement(fs, dir.file("link.txt"));
    ASSERT_TRUE(replacement.file().write("new"));
    EXPECT_TRUE(replacement.commit());
  }
  EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link.txt"))) << "the link stays a link";
  EXPECT_EQ(test::readFile(dir.file("real/doc.txt")), "new");
  auto entries = [](const std::string& folder) {
    return std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator());
  };
  EXPECT_EQ(entries(dir.path()), 2) << "the link and its folder, nothing beside them";
  EXPECT_EQ(entries(dir.file("real")), 1);
  // A device is no file to put beside: it is written as it is.
  ReplacementFile device(fs, "/dev/null");
  ASSERT_TRUE(device.isOpen());
  EXPECT_TRUE(device.file().write("discarded"));
  EXPECT_TRUE(device.commit());
  EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));
}
#endif

TEST(FileHelpers, DeleteIfNamedDeletesOnlyANamedFile) {
  TempDir dir;
  test::writeFile(dir.file("kept"), "x");
  const auto before = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  deleteIfNamed(test::localFiles(), "");
  std::filesystem::current_path(before);
  EXPECT_EQ(dir.files(), std::vector<std::string>{"kept"});
  deleteIfNamed(test::localFiles(), dir.file("kept"));
  EXPECT_TRUE(dir.files().empty());
}

}  // namespace
}  // namespace zx
