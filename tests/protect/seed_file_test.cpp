#include "protect/seed_file.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#endif

#include <cstdlib>
#include <cstring>
#include <random>

#include "platform/exceptions.h"
#include "platform/codepage.h"
#include "protect_support.h"
#include "support/zx_test.h"

namespace zx {
namespace {

using DecipherSeedFile = test::ControlTest;
using DecipherStep = test::ControlTest;
using EncipherStep = test::ControlTest;

using test::readFile;
using test::TempDir;
using test::writeFile;

const std::uint8_t kKey[16] = {0x47, 0x06, 0x48, 0x08, 0x51, 0xE6, 0x1B, 0xE8,
                               0x5D, 0x74, 0xBF, 0xB3, 0xFD, 0x95, 0x61, 0x85};

const std::string_view kLineBreaks[] = {"\n", "\r\n", ""};

// Plain text of `blocks` blocks whose last byte is the padding byte.
std::string paddedPlain(int blocks, std::uint8_t padding, std::uint32_t seed) {
  std::string plain = test::randomBytes(16 * static_cast<std::size_t>(blocks), seed);
  plain.back() = static_cast<char>(padding);
  return plain;
}

struct Deciphered {
  std::int64_t result;
  std::string plain;
  std::string trace;
};

Deciphered decipherText(const platform::Env& env, const TempDir& folder, std::string_view text, bool hasHeader = true) {
  const std::string ciphered = folder.file("reply.txt");
  const std::string plain = folder.file("plain.bin");
  writeFile(ciphered, std::string(text));
  testing::internal::CaptureStderr();
  const std::int64_t result = decipherSeedFile(env, kKey, ciphered, plain, hasHeader);
  const std::string trace = testing::internal::GetCapturedStderr();
  return {result, readFile(plain), trace};
}

std::string traceLine(std::size_t consumed, std::size_t written) {
  return "decipher : " + std::to_string(consumed) + " bytes --> " + std::to_string(written) + " bytes\n";
}

TEST_F(DecipherSeedFile, LastBlockPaddingKeepsOnlyItsLowFourBits) {
  TempDir folder;
  const struct {
    std::uint8_t padding;
    std::size_t kept;
  } cases[] = {{16, 32}, {5, 43}, {0, 32}, {32, 32}, {17, 47}};
  for (const auto& c : cases) {
    const std::string plain = paddedPlain(3, c.padding, c.padding);
    for (std::string_view lineBreak : kLineBreaks) {
      const std::string text = test::base64Text("HEADER-010\n" + test::seedEncipherEcb(kKey, plain), lineBreak);
      const Deciphered out = decipherText(env(), folder, text);
      EXPECT_EQ(out.result, static_cast<std::int64_t>(c.kept)) << int(c.padding);
      EXPECT_EQ(out.plain, plain.substr(0, c.kept)) << int(c.padding) << " line break " << lineBreak.size();
      EXPECT_EQ(out.trace, traceLine(text.size(), c.kept));
    }
  }
}

TEST_F(DecipherSeedFile, ATailShorterThanABlockIsDecipheredZeroFilled) {
  TempDir folder;
  const std::string plain = paddedPlain(2, 16, 3);
  const std::string tail = "\x01\x02\x03";
  const std::string tailBlock = test::seedDecipherBlock(kKey, tail + std::string(13, '\0'));
  for (std::string_view lineBreak : kLineBreaks) {
    const Deciphered out =
        decipherText(env(), folder, test::base64Text("0123456789\n" + test::seedEncipherEcb(kKey, plain) + tail, lineBreak));
    EXPECT_EQ(out.result, 35);
    EXPECT_EQ(out.plain, plain + tailBlock.substr(0, 3)) << "no padding is removed before a tail";
  }
  // A cipher text of the tail alone.
  const Deciphered only = decipherText(env(), folder, test::base64Text("head\n" + tail, "\n"));
  EXPECT_EQ(only.plain, tailBlock.substr(0, 3));
}

TEST_F(DecipherSeedFile, AHeaderBeyond31BytesLeavesItsRestToTheCipherText) {
  TempDir folder;
  // A server text whose 40-byte header line runs into the cipher text: the 32nd header byte is
  // where the blocks begin, so the header's bytes from there, and its LF, must be cipher text.
  std::mt19937 engine(40);
  std::string plain, cipher;
  do {
    plain = paddedPlain(4, 16, static_cast<std::uint32_t>(engine()));
    cipher = test::seedEncipherEcb(kKey, plain);
  } while (cipher[9] != '\n' || cipher.substr(0, 9).find('\n') != std::string::npos);
  const std::string header = std::string(31, 'H') + cipher.substr(0, 9);
  ASSERT_EQ(header.size(), 40u);
  for (std::string_view lineBreak : kLineBreaks) {
    const Deciphered out = decipherText(env(), folder, test::base64Text(header + cipher.substr(9), lineBreak));
    EXPECT_EQ(out.result, 48);
    EXPECT_EQ(out.plain, plain.substr(0, 48));
  }
}

TEST_F(DecipherSeedFile, MatchesAnIndependentEncipherment) {
  TempDir folder;
  // Large enough to cross the reader's and the decipherer's bulk buffers several times.
  for (std::size_t blocks : {1u, 4095u, 4096u, 4097u, 20'000u}) {
    const std::string plain = paddedPlain(static_cast<int>(blocks), 7, static_cast<std::uint32_t>(blocks));
    const Deciphered out =
        decipherText(env(), folder, test::base64Text("ok\n" + test::seedEncipherEcb(kKey, plain), "\r\n"));
    ASSERT_EQ(out.result, static_cast<std::int64_t>(plain.size() - 7)) << blocks;
    EXPECT_TRUE(out.plain == plain.substr(0, plain.size() - 7)) << blocks;
  }
}

TEST_F(DecipherSeedFile, HeaderOnlyAndEmptyTextsGiveEmptyFiles) {
  TempDir folder;
  Deciphered out = decipherText(env(), folder, test::base64Text("only a header\n", "\n"));
  EXPECT_EQ(out.result, 0);
  EXPECT_EQ(out.plain, "");
  out = decipherText(env(), folder, "");
  EXPECT_EQ(out.result, 0);
  EXPECT_EQ(out.trace, traceLine(0, 0));

  const std::string plain = paddedPlain(2, 16, 9);
  out = decipherText(env(), folder, test::base64Text(test::seedEncipherEcb(kKey, plain), ""), false);
  EXPECT_EQ(out.plain, plain.substr(0, 16)) << "without a header the first byte is cipher text";
}

#ifndef _WIN32
// The failures below are made with Linux's special files: a socket, /dev/full, /proc.
void makeSocketFile(const std::string& path) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(fd, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
  ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ::close(fd);
}

TEST_F(DecipherSeedFile, FailuresReturnMinusOneWithTheirBoxes) {
  TempDir folder;
  const std::string reply = folder.file("reply.txt");
  writeFile(reply, test::base64Text("h\n" + test::seedEncipherEcb(kKey, paddedPlain(2, 16, 1)), "\n"));
  {
    test::BoxWatch recorder(*user);
    EXPECT_EQ(decipherSeedFile(env(), kKey, folder.file("missing"), folder.file("plain"), true), -1);
    EXPECT_TRUE(recorder.boxes().empty());
  }
  {
    test::BoxWatch recorder(*user);
    const std::string socketPath = folder.file("sock");
    makeSocketFile(socketPath);
    EXPECT_EQ(decipherSeedFile(env(), kKey, socketPath, folder.file("plain"), true), -1);
    ASSERT_EQ(recorder.boxes().size(), 1u);
    EXPECT_EQ(recorder.boxes()[0].text, "ERR:OPEN:1");
    EXPECT_EQ(recorder.boxes()[0].caption, "decipherSeedFile()");
    EXPECT_EQ(recorder.boxes()[0].owner, platform::Owner::None);
    EXPECT_EQ(recorder.boxes()[0].flags, platform::mb::MB_TASKMODAL);
  }
  {
    test::BoxWatch recorder(*user);
    EXPECT_EQ(decipherSeedFile(env(), kKey, reply, folder.file("no/such/folder/plain"), true), -1);
    ASSERT_EQ(recorder.boxes().size(), 1u);
    EXPECT_EQ(recorder.boxes()[0].text, "키 정보를 추출하지 못했습니다.");
    EXPECT_EQ(recorder.boxes()[0].caption, "복호화");
    EXPECT_EQ(recorder.boxes()[0].owner, platform::Owner::None);
  }
  {
    test::BoxWatch recorder(*user);
    testing::internal::CaptureStderr();
    EXPECT_EQ(decipherSeedFile(env(), kKey, reply, "/dev/full", true), -1) << "a short write fails";
    EXPECT_EQ(testing::internal::GetCapturedStderr().rfind("decipher : ", 0), 0u) << "the trace line still comes";
    EXPECT_TRUE(recorder.boxes().empty());
  }
}

#endif

TEST_F(DecipherStep, ReplacesThePathWithTheTemporaryPlainFile) {
  TempDir folder;
  const std::string tempDir = tmp.path();
  const std::string plain = paddedPlain(3, 4, 11);
  const std::string reply = folder.file("reply.txt");

  for (bool deleteInput : {true, false}) {
    test::BoxWatch recorder(*user);
    writeFile(reply, test::base64Text("header\n" + test::seedEncipherEcb(kKey, plain), "\r\n"));
    PathText path;
    ASSERT_TRUE(path.assign(reply));
    testing::internal::CaptureStderr();
    EXPECT_EQ(decipherStep(env(), path, kKey, 16, deleteInput, tempDir), 0);
    testing::internal::GetCapturedStderr();
    EXPECT_NE(path.str(), reply);
    EXPECT_EQ(std::filesystem::path(path.str()).parent_path(), std::filesystem::path(tempDir));
    EXPECT_EQ(readFile(path.str()), plain.substr(0, 44));
    EXPECT_EQ(test::fileExists(reply), !deleteInput);
    EXPECT_TRUE(recorder.boxes().empty());
  }
}

#ifndef _WIN32
TEST_F(DecipherStep, AFailureTellsTheUserAndDeletesTheReceivedFile) {
  TempDir folder;
  const std::string reply = folder.file("reply.txt");
  // No temporary file can be made where nothing can be created.
  test::TestServices noTemporaries(home.path(), "/proc");
  for (bool deleteInput : {true, false}) {
    test::BoxWatch recorder(noTemporaries.user);
    writeFile(reply, test::base64Text("header\n" + test::seedEncipherEcb(kKey, paddedPlain(1, 16, 1)), "\n"));
    PathText path;
    ASSERT_TRUE(path.assign(reply));
    testing::internal::CaptureStderr();
    EXPECT_EQ(decipherStep(noTemporaries.env(), path, kKey, 16, deleteInput, "/proc"), -1);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(path.str(), reply) << "the path stays on failure";
    EXPECT_EQ(test::fileExists(reply), !deleteInput);
    ASSERT_EQ(recorder.boxes().size(), 2u);
    EXPECT_EQ(recorder.boxes()[0].caption, "복호화");
    EXPECT_EQ(recorder.boxes()[1].text, "자료에 이상이 있습니다,\n다시 시도 하십시오.\n[복호화오류]");
    EXPECT_EQ(recorder.boxes()[1].caption, "ERROR");
    EXPECT_EQ(recorder.boxes()[1].owner, platform::Owner::Control);
    EXPECT_EQ(recorder.boxes()[1].flags, platform::mb::MB_OK);
  }
}

#endif

TEST_F(DecipherStep, AMissingReceivedFileRaisesTheFileException) {
  TempDir folder;
  test::BoxWatch recorder(*user);
  PathText path;
  ASSERT_TRUE(path.assign(folder.file("gone.txt")));
  try {
    decipherStep(env(), path, kKey, 16, true, folder.file(""));
    ADD_FAILURE() << "no exception";
  } catch (const FileException& e) {
    EXPECT_EQ(platform::ansiToUtf8(e.errorMessage()), "파일을 열 수 없습니다.\n" + folder.file("gone.txt"));
  }
  EXPECT_TRUE(recorder.boxes().empty());
}

TEST_F(EncipherStep, RefusesWithItsBoxAndLeavesTheFile) {
  TempDir folder;
  test::BoxWatch recorder(*user);
  const std::string document = folder.file("upload.doc");
  writeFile(document, "document");
  EXPECT_EQ(encipherStep(env(), document, kKey, 16, true), -1);
  EXPECT_EQ(readFile(document), "document");
  ASSERT_EQ(recorder.boxes().size(), 1u);
  EXPECT_EQ(recorder.boxes()[0].text, "자료를 암호화 할 수 없습니다.\n다시 시도 하십시오.");
  EXPECT_EQ(recorder.boxes()[0].caption, "[암호화오류]");
  EXPECT_EQ(recorder.boxes()[0].owner, platform::Owner::Control);
  EXPECT_EQ(recorder.boxes()[0].flags, platform::mb::MB_OK);

  EXPECT_THROW(encipherStep(env(), folder.file("missing"), kKey, 16, true), FileException);
}

}  // namespace
}  // namespace zx
