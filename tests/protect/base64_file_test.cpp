#include "protect/base64_file.h"

#include <gtest/gtest.h>

#include <string>

#include "protect_support.h"

namespace zx {
namespace {

using test::readFile;
using test::TempDir;
using test::writeFile;

// Everything the reader yields, byte by byte.
std::string decodeAll(const std::string& path) {
  CBase64File reader;
  EXPECT_NE(reader.open(test::localFiles(), path, "r"), nullptr);
  std::string bytes;
  for (int b = reader.readByte(); b >= 0; b = reader.readByte()) bytes += static_cast<char>(b);
  return bytes;
}

std::string decodeText(const TempDir& folder, std::string_view text) {
  const std::string path = folder.file("in.b64");
  writeFile(path, std::string(text));
  return decodeAll(path);
}

TEST(Base64Reader, DecodesShortGroupsAndSkipsEverythingOutsideTheAlphabet) {
  TempDir folder;
  EXPECT_EQ(decodeText(folder, "QQ=="), "A");
  EXPECT_EQ(decodeText(folder, "QQ"), "A");
  EXPECT_EQ(decodeText(folder, " =Q\r\n =Q= "), "A");
  EXPECT_EQ(decodeText(folder, "QUJD"), "ABC");
  EXPECT_EQ(decodeText(folder, "QUJ"), "AB");
  EXPECT_EQ(decodeText(folder, "Q"), std::string(1, '\x40'));
  EXPECT_EQ(decodeText(folder, ""), "");
  EXPECT_EQ(decodeText(folder, "\r\n== \t*"), "");
}

TEST(Base64Reader, LargeTextsDecodeLikeCryptopp) {
  TempDir folder;
  // Larger than the reader's bulk buffer, so groups straddle its refills.
  const std::string bytes = test::randomBytes(200'001, 7);
  for (std::string_view lineBreak : {"", "\n", "\r\n"}) {
    EXPECT_EQ(decodeText(folder, test::base64Text(bytes, lineBreak)), bytes) << "line break size " << lineBreak.size();
  }
  const std::string path = folder.file("bulk.b64");
  writeFile(path, test::base64Text(bytes, "\r\n"));
  CBase64File reader;
  ASSERT_NE(reader.open(test::localFiles(), path, "r"), nullptr);
  std::string bulk(bytes.size() + 10, '\x55');
  const int got = reader.readBytes(reinterpret_cast<std::uint8_t*>(bulk.data()), static_cast<int>(bulk.size()));
  ASSERT_EQ(got, static_cast<int>(bytes.size()));
  EXPECT_EQ(bulk.substr(0, bytes.size()), bytes);
  EXPECT_EQ(bulk[bytes.size()], '\0') << "a short read ends with a zero byte";
  EXPECT_EQ(reader.charsRead, static_cast<std::int64_t>(readFile(path).size())) << "every character counts";
}

TEST(Base64Reader, LinesAndBytesFollowEachOther) {
  TempDir folder;
  const std::string path = folder.file("lines.b64");
  writeFile(path, test::base64Text("12\nXYZ\n\nlast", "\n", 3));

  CBase64File reader;
  ASSERT_NE(reader.open(test::localFiles(), path, "r"), nullptr);
  std::uint8_t line[32];
  ASSERT_EQ(reader.readLine(line, 31), line);
  EXPECT_STREQ(reinterpret_cast<char*>(line), "12");
  std::uint8_t three[4] = {9, 9, 9, 9};
  EXPECT_EQ(reader.readBytes(three, 3), 3);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(three), 3), "XYZ");
  EXPECT_EQ(three[3], 9) << "a full read stores no terminator";
  EXPECT_EQ(reader.readLine(line, 31), nullptr) << "a line feed right away stores nothing";
  EXPECT_EQ(reader.readLine(line, 31), nullptr) << "an empty line stores nothing either";
  ASSERT_EQ(reader.readLine(line, 31), line);
  EXPECT_STREQ(reinterpret_cast<char*>(line), "last");
  EXPECT_EQ(reader.readLine(line, 31), nullptr);
  EXPECT_EQ(reader.readByte(), -1);
  EXPECT_EQ(reader.readBytes(three, 0), 0);
  EXPECT_EQ(reader.readLine(line, 0), nullptr);
}

TEST(Base64Reader, ALongLineStopsAfterNBytesAndLeavesItsRest) {
  TempDir folder;
  const std::string path = folder.file("long.b64");
  writeFile(path, test::base64Text("abcdefgh\nZ", "\n"));
  CBase64File reader;
  ASSERT_NE(reader.open(test::localFiles(), path, "r"), nullptr);
  std::uint8_t line[8];
  std::fill(std::begin(line), std::end(line), 0x7F);
  ASSERT_EQ(reader.readLine(line, 5), line);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(line), 6), "abcde\x7F") << "no terminator after n bytes";
  EXPECT_EQ(reader.readByte(), 'f');
}

TEST(Base64Reader, OpenFailsForAMissingFile) {
  TempDir folder;
  CBase64File reader;
  EXPECT_EQ(reader.open(test::localFiles(), folder.file("missing"), "r"), nullptr);
  EXPECT_EQ(reader.readByte(), -1);
  EXPECT_EQ(reader.close(), 0) << "closing what was never opened does nothing";
}

std::string encodeBytes(const TempDir& folder, std::string_view bytes, CBase64File* counters = nullptr) {
  const std::string path = folder.file("out.b64");
  CBase64File writer;
  EXPECT_NE(writer.open(test::localFiles(), path, "w"), nullptr);
  EXPECT_EQ(writer.writeBytes(reinterpret_cast<const std::uint8_t*>(bytes.data()), static_cast<int>(bytes.size())),
            static_cast<int>(bytes.size()));
  EXPECT_EQ(writer.close(), 0);
  EXPECT_EQ(writer.close(), 0) << "a second close does nothing";
  if (counters) {
    counters->bytesEncoded = writer.bytesEncoded;
    counters->charsWritten = writer.charsWritten;
  }
  return readFile(path);
}

TEST(Base64Writer, BreaksLinesAfterEvery72ndCharacterWithCrLf) {
  TempDir folder;
  const std::string bytes54 = test::randomBytes(54, 1);
  const std::string flat54 = test::base64Text(bytes54, "");
  CBase64File counters;
  EXPECT_EQ(encodeBytes(folder, bytes54, &counters), flat54 + "\r\n");
  EXPECT_EQ(counters.bytesEncoded, 54);
  EXPECT_EQ(counters.charsWritten, 73) << "a line break counts as one character";

  const std::string bytes55 = test::randomBytes(55, 2);
  const std::string flat55 = test::base64Text(bytes55, "");
  ASSERT_EQ(flat55.size(), 76u);
  ASSERT_EQ(flat55.substr(74), "==");
  EXPECT_EQ(encodeBytes(folder, bytes55), flat55.substr(0, 72) + "\r\n" + flat55.substr(72));

  EXPECT_EQ(encodeBytes(folder, "A"), "QQ==");
  EXPECT_EQ(encodeBytes(folder, "AB"), "QUI=");
  EXPECT_EQ(encodeBytes(folder, "ABC"), "QUJD");
  EXPECT_EQ(encodeBytes(folder, ""), "");
}

TEST(Base64Writer, WhatItWritesTheReaderReadsBack) {
  TempDir folder;
  for (std::size_t size : {1u, 2u, 3u, 53u, 54u, 55u, 4096u, 100'000u}) {
    const std::string bytes = test::randomBytes(size, static_cast<std::uint32_t>(size));
    encodeBytes(folder, bytes);
    EXPECT_EQ(decodeAll(folder.file("out.b64")), bytes) << size;
  }
}

TEST(Base64Writer, AFullDiskGivesAShortCount) {
  CBase64File writer;
  ASSERT_NE(writer.open(test::localFiles(), "/dev/full", "w"), nullptr);
  const std::string bytes = test::randomBytes(64 * 1024, 3);
  EXPECT_LT(writer.writeBytes(reinterpret_cast<const std::uint8_t*>(bytes.data()), static_cast<int>(bytes.size())),
            static_cast<int>(bytes.size()));
  EXPECT_NE(writer.close(), 0);
}

TEST(EncodeFileBase64, EncodesFilesAndReportsWhatFails) {
  TempDir folder;
  const std::string source = folder.file("doc.bin");
  const std::string target = folder.file("doc.b64");
  const std::string bytes = test::randomBytes(5000, 4);
  writeFile(source, bytes);
  EXPECT_EQ(encodeFileBase64(test::localFiles(), source, target), 0);
  std::string expected = test::base64Text(bytes, "\r\n", 72);
  expected.resize(expected.size() - 2);  // 6668 characters: the short last line has no break
  EXPECT_EQ(readFile(target), expected);
  EXPECT_EQ(decodeAll(target), bytes);

  writeFile(source, "");
  EXPECT_EQ(encodeFileBase64(test::localFiles(), source, target), 0);
  EXPECT_EQ(readFile(target), "");

  EXPECT_EQ(encodeFileBase64(test::localFiles(), folder.file("missing"), target), -101);
  EXPECT_EQ(encodeFileBase64(test::localFiles(), source, folder.file("no/such/folder/out")), -101);
  writeFile(source, bytes);
  EXPECT_EQ(encodeFileBase64(test::localFiles(), source, "/dev/full"), -102);
}

}  // namespace
}  // namespace zx
