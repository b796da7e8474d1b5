#include "protect/gunzip.h"

#include <gtest/gtest.h>


#include <cstdlib>
#include <filesystem>
#include <vector>

#include "allocation_failure.h"
#include "core/config_store.h"
#include "protect_support.h"

namespace zx {
namespace {

using DecompressStep = test::ControlTest;
using CompressStep = test::ControlTest;

using test::readFile;
using test::TempDir;
using test::writeFile;

struct Progress {
  std::uint32_t userData, done, range;
};
std::vector<Progress> g_progress;
void recordProgress(std::uint32_t userData, std::uint32_t done, std::uint32_t range) {
  g_progress.push_back({userData, done, range});
}

std::string gunzipWithProgress(const std::string& packed, std::uint32_t expectedTotal) {
  g_progress.clear();
  TempDir folder;
  writeFile(folder.file("in.gz"), packed);
  platform::File in = test::localFiles().open(folder.file("in.gz"), "rb");
  platform::File out = test::localFiles().open(folder.file("out"), "wb");
  EXPECT_EQ(gunzipMembers(in, out, recordProgress, 7, expectedTotal), std::nullopt);
  out.close();
  return readFile(folder.file("out"));
}

TEST(GunzipMembers, ReportsDecompressedBytesAndRaisesTheRangeWithThem) {
  const std::string plain(50'000, 'z');
  const std::string packed = test::gzipBytes(plain);
  ASSERT_LT(packed.size(), 1000u);
  EXPECT_EQ(gunzipWithProgress(packed, static_cast<std::uint32_t>(packed.size())), plain);
  ASSERT_FALSE(g_progress.empty());
  std::uint32_t previous = 0;
  for (const Progress& p : g_progress) {
    EXPECT_EQ(p.userData, 7u);
    EXPECT_GT(p.done, previous);
    EXPECT_EQ(p.range, p.done <= packed.size() ? packed.size() : p.done);
    previous = p.done;
  }
  EXPECT_EQ(g_progress.back().done, 50'000u);
  EXPECT_EQ(g_progress.back().range, 50'000u) << "position and range meet at the end";

  const std::string random = test::randomBytes(700'000, 5);
  EXPECT_TRUE(gunzipWithProgress(test::gzipBytes(random), 1'000'000) == random);
  EXPECT_EQ(g_progress.back().done, 700'000u);
  EXPECT_EQ(g_progress.back().range, 1'000'000u) << "below the expected total the range stays";

  EXPECT_EQ(gunzipWithProgress(test::gzipBytes(""), 20), "");
  EXPECT_TRUE(g_progress.empty()) << "nothing decompressed, nothing reported";
}

TEST_F(DecompressStep, WritesThePlainFileAndDeletesTheInputWhenAsked) {
  TempDir folder;
  const std::string gz = folder.file("doc.gz");
  const std::string plainPath = folder.file("doc");
  const std::string plain = test::randomBytes(300'000, 8) + std::string(300'000, 'a');
  for (bool deleteInput : {false, true}) {
    test::BoxWatch recorder(*user);
    writeFile(gz, test::gzipBytes(plain));
    EXPECT_EQ(decompressStep(env(), gz, plainPath, deleteInput), 0);
    EXPECT_TRUE(readFile(plainPath) == plain);
    EXPECT_EQ(test::fileExists(gz), !deleteInput);
    EXPECT_TRUE(recorder.boxes().empty());
  }
  writeFile(gz, test::gzipBytes(""));
  writeFile(plainPath, "old content");
  EXPECT_EQ(decompressStep(env(), gz, plainPath, true), 0);
  EXPECT_EQ(readFile(plainPath), "") << "an empty document truncates the plain file";
}

TEST_F(DecompressStep, AMissingInputFailsWithoutAMessage) {
  TempDir folder;
  test::BoxWatch recorder(*user);
  EXPECT_EQ(decompressStep(env(), folder.file("missing.gz"), folder.file("plain"), true), -1);
  EXPECT_TRUE(recorder.boxes().empty());
}

void expectDecompressFailure(const platform::Env& env, const doubles::ScriptedUi& user, const std::string& gz, const std::string& plainPath, const std::string& message,
                             std::size_t failingAllocation = 0) {
  for (bool deleteInput : {false, true}) {
    const std::string content = readFile(gz);
    test::BoxWatch recorder(user);
    if (failingAllocation) test::failNextAllocation(failingAllocation);
    EXPECT_EQ(decompressStep(env, gz, plainPath, deleteInput), -1);
    ASSERT_EQ(recorder.boxes().size(), 1u);
    EXPECT_EQ(recorder.boxes()[0].caption, "압축해제오류");
    EXPECT_EQ(recorder.boxes()[0].text, message);
    EXPECT_EQ(recorder.boxes()[0].owner, platform::Owner::Control);
    EXPECT_EQ(recorder.boxes()[0].flags, platform::mb::MB_OK);
    EXPECT_EQ(test::fileExists(gz), !deleteInput);
    if (deleteInput) writeFile(gz, content);
  }
}

TEST_F(DecompressStep, DamagedInputShowsTheLibrarysMessage) {
  TempDir folder;
  const std::string gz = folder.file("doc.gz");
  const std::string plainPath = folder.file("doc");
  std::string packed = test::gzipBytes(test::randomBytes(5000, 9));

  std::string badCrc = packed;
  badCrc[badCrc.size() - 8] ^= 0x01;
  writeFile(gz, badCrc);
  expectDecompressFailure(env(), *user, gz, plainPath, "incorrect data check");

  std::string badLength = packed;
  badLength[badLength.size() - 1] ^= 0x01;
  writeFile(gz, badLength);
  expectDecompressFailure(env(), *user, gz, plainPath, "incorrect length check");

  writeFile(gz, "this is not gzip at all");
  expectDecompressFailure(env(), *user, gz, plainPath, "incorrect header check");
  writeFile(gz, "");
  expectDecompressFailure(env(), *user, gz, plainPath, "unexpected end of file");

  writeFile(gz, packed.substr(0, packed.size() / 2));
  expectDecompressFailure(env(), *user, gz, plainPath, "unexpected end of file");
}

TEST_F(DecompressStep, EveryMemberIsDecodedAndWhatIsNoMemberFails) {
  TempDir folder;
  const std::string gz = folder.file("doc.gz");
  const std::string plainPath = folder.file("doc");
  const std::string first = test::randomBytes(3000, 11), second = "the second member\n";
  writeFile(gz, test::gzipBytes(first) + test::gzipBytes(second) + test::gzipBytes(""));
  test::BoxWatch recorder(*user);
  EXPECT_EQ(decompressStep(env(), gz, plainPath, false), 0);
  EXPECT_TRUE(readFile(plainPath) == first + second) << "as gzip -d gives it";
  EXPECT_TRUE(recorder.boxes().empty());

  writeFile(gz, test::gzipBytes(first) + "garbage after the member, not a member");
  expectDecompressFailure(env(), *user, gz, plainPath, "incorrect header check");
  writeFile(gz, test::gzipBytes(first) + std::string(1, '\0'));
  expectDecompressFailure(env(), *user, gz, plainPath, "unexpected end of file");
}

TEST_F(DecompressStep, AnUnwritablePlainFileOrAMemoryFailureIsShownToo) {
  TempDir folder;
  const std::string gz = folder.file("doc.gz");
  writeFile(gz, test::gzipBytes("document"));
  const std::string unwritable = folder.file("no/such/folder/doc");
  expectDecompressFailure(env(), *user, gz, unwritable, "No such file or directory");

  expectDecompressFailure(env(), *user, gz, folder.file("doc"), "Out of memory.", 256 * 1024);
  EXPECT_FALSE(test::cancelAllocationFailure());
}

#ifndef _WIN32
TEST_F(DecompressStep, ADocumentThatWouldFillTheDiskStopsAndLeavesNothing) {
  test::SmallFileSystem disk("8m");
  if (!disk.mounted()) GTEST_SKIP() << disk.why();
  const std::string gz = disk.file("doc.gz");
  const std::string plainPath = disk.file("doc");
  const std::string small(1 << 20, 's'), large(5 << 20, 'l');  // each a few KiB when packed
  auto expectStopped = [&](const char* why) {
    test::BoxWatch recorder(*user);
    EXPECT_EQ(decompressStep(env(), gz, plainPath, true), -1) << why;
    ASSERT_EQ(recorder.boxes().size(), 1u) << why;
    EXPECT_EQ(recorder.boxes()[0].caption, "압축해제오류");
    EXPECT_EQ(recorder.boxes()[0].text,
              "파일에 기록할 수 없습니다.\n디스크 여유 공간을 확인하시고, 이상이 없으면 다시 시도 하십시오.");
    EXPECT_TRUE(disk.files().empty()) << why << ": neither the input nor a part of the document is left";
  };
  // Less than the default 64 MiB are free on this disk: nothing unpacks there.
  writeFile(gz, test::gzipBytes(small));
  expectStopped("default reserve");

  writeConfigValue(registry(), kKeepFreeValue, "4");
  writeFile(gz, test::gzipBytes(small));
  EXPECT_EQ(decompressStep(env(), gz, plainPath, true), 0) << "1 MiB leaves more than 4 MiB of 8 free";
  EXPECT_TRUE(readFile(plainPath) == small);
  std::filesystem::remove(plainPath);
  writeFile(gz, test::gzipBytes(large));
  expectStopped("5 MiB would leave less than 4 MiB");
}

// The independent check is the system's gzip command, run through the POSIX shell.
TEST_F(CompressStep, WritesGzipThatTheGzipCommandRestores) {
  TempDir folder;
  const std::string source = folder.file("upload.doc");
  const std::string packed = folder.file("upload.gz");
  for (const std::string& content : {test::randomBytes(700'000, 10) + std::string(100'000, 'x'), std::string()}) {
    test::BoxWatch recorder(*user);
    writeFile(source, content);
    writeFile(packed, "");
    EXPECT_EQ(compressStep(env(), source, packed), 0);
    const std::string restored = folder.file("restored");
    ASSERT_EQ(std::system(("gzip -dc < '" + packed + "' > '" + restored + "'").c_str()), 0);
    EXPECT_TRUE(readFile(restored) == content);
    EXPECT_EQ(readFile(source), content) << "the source stays";
    EXPECT_TRUE(recorder.boxes().empty());
  }
}
#endif

TEST_F(CompressStep, FailuresTellTheUserAndLeaveNoPartialCopy) {
  TempDir folder;
  const std::string packed = folder.file("upload.gz");
  const std::string source = folder.file("upload.doc");
  writeFile(source, "document");
  for (const auto& [from, target] :
       {std::pair{folder.file("missing.doc"), packed}, std::pair{source, folder.file("no/such/folder/x.gz")}}) {
    test::BoxWatch recorder(*user);
    writeFile(packed, "");
    EXPECT_EQ(compressStep(env(), from, target), -1);
    ASSERT_EQ(recorder.boxes().size(), 1u);
    EXPECT_EQ(recorder.boxes()[0].text,
              "자료를 압축할 수 없습니다.\n디스크 여유 공간을 확인하시고, 이상이 없으면 다시 시도 하십시오.");
    EXPECT_EQ(recorder.boxes()[0].caption, "압축오류");
    EXPECT_EQ(recorder.boxes()[0].owner, platform::Owner::Control);
    EXPECT_FALSE(test::fileExists(target));
  }
}

}  // namespace
}  // namespace zx
