#include <gtest/gtest.h>

#include "core/file_helpers.h"
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
  EXPECT_EQ(lastElement("a/b\\c/d.txt"), "c/d.txt");
  EXPECT_EQ(lastElement("a/b/d.txt"), "d.txt");
  EXPECT_EQ(lastElement("d.txt"), "d.txt");
  EXPECT_EQ(lastElement("dir/"), "");
  EXPECT_EQ(joinPath("/", "x"), "/x");
  EXPECT_EQ(joinPath("C:\\", "x"), "C:\\x");
  EXPECT_EQ(joinPath("/srv", "x"), "/srv/x");
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
  EXPECT_FALSE(tempDirectoryOf(env).empty());
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
  deleteIfNamed(test::localFiles(), "");
}

}  // namespace
}  // namespace zx
