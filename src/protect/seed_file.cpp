#include "protect/seed_file.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "core/file_helpers.h"
#include "core/messages.h"
#include "platform/codepage.h"
#include "platform/fs.h"
#include "protect/base64_file.h"
#include "protect/seed.h"
#include "protect/step_status.h"

namespace zx {
namespace {

// The header line is read into a small buffer: a longer header leaves its rest to the cipher text.
constexpr int kHeaderLimit = 31;
// Decoded bytes taken per read; a whole number of blocks.
constexpr int kChunkSize = 4096 * kSeedBlockSize;

class BlockDecipherer {
 public:
  BlockDecipherer(const std::uint8_t* key, platform::File& plain) : plain_(plain) {
    seedKeySchedule(key, first_, second_);
  }

  // Deciphers everything the reader yields; false after a short write.
  bool run(CBase64File& reader) {
    auto in = std::make_unique_for_overwrite<std::uint8_t[]>(kChunkSize);
    auto out = std::make_unique_for_overwrite<std::uint8_t[]>(kChunkSize + kSeedBlockSize);
    std::uint8_t pending[kSeedBlockSize];
    bool havePending = false;

    for (int n = reader.readBytes(in.get(), kChunkSize); n > 0; n = reader.readBytes(in.get(), kChunkSize)) {
      std::size_t outLength = 0;
      if (havePending) {
        std::memcpy(out.get(), pending, kSeedBlockSize);
        outLength = kSeedBlockSize;
      }
      const int fullBlocks = n / kSeedBlockSize;
      const int tail = n % kSeedBlockSize;
      for (int b = 0; b < fullBlocks; ++b) {
        seedDecryptBlock(in.get() + b * kSeedBlockSize, out.get() + outLength, first_, second_);
        outLength += kSeedBlockSize;
      }
      if (tail > 0) {
        // A cipher text cut inside a block: the cut block is deciphered zero-filled, and without
        // a last full block there is no padding to remove.
        std::uint8_t last[kSeedBlockSize] = {};
        std::memcpy(last, in.get() + fullBlocks * kSeedBlockSize, tail);
        seedDecryptBlock(last, last, first_, second_);
        std::memcpy(out.get() + outLength, last, tail);
        return write(out.get(), outLength + tail);
      }
      // Only the next read tells whether the last block carries the padding, so it waits.
      outLength -= kSeedBlockSize;
      std::memcpy(pending, out.get() + outLength, kSeedBlockSize);
      havePending = true;
      if (!write(out.get(), outLength)) return false;
    }
    if (!havePending) return true;
    // Only the low four bits of the padding byte count: 16 (or 0) drops the whole block.
    const std::size_t kept = (kSeedBlockSize - (pending[kSeedBlockSize - 1] & 15)) & 15;
    return write(pending, kept);
  }

  std::int64_t written() const { return written_; }

 private:
  bool write(const std::uint8_t* data, std::size_t length) {
    if (length == 0) return true;
    if (!plain_.write(data, length)) return false;
    written_ += static_cast<std::int64_t>(length);
    return true;
  }

  platform::File& plain_;
  std::uint32_t first_[kSeedRounds];
  std::uint32_t second_[kSeedRounds];
  std::int64_t written_ = 0;
};

}  // namespace

std::int64_t decipherSeedFile(const platform::Env& env, const std::uint8_t* key, std::string_view cipheredPath,
                              std::string_view plainPath, bool hasHeader) {
  if (!env.fs.exists(cipheredPath)) return -1;
  CBase64File reader;
  if (!reader.open(env.fs, cipheredPath, "r")) {
    showBox(env.ui, "ERR:OPEN:1", "decipherSeedFile()");
    return -1;
  }
  if (hasHeader) {
    std::uint8_t header[kHeaderLimit + 1];
    reader.readLine(header, kHeaderLimit);
  }
  platform::File plain = env.fs.open(plainPath, "w+b");
  if (!plain.isOpen()) {
    reader.close();
    showBox(env.ui, ansi("키 정보를 추출하지 못했습니다."), ansi("복호화"));
    return -1;
  }

  BlockDecipherer decipherer(key, plain);
  bool failed = !decipherer.run(reader);
  reader.close();
  // Buffered bytes that cannot reach the disk are a short write too.
  if (!plain.flush()) failed = true;
  std::fprintf(stderr, "decipher : %lld bytes --> %lld bytes\n", static_cast<long long>(reader.charsRead),
               static_cast<long long>(decipherer.written()));
  if (!plain.close()) failed = true;
  return failed ? -1 : decipherer.written();
}

std::int32_t decipherStep(const platform::Env& env, PathText& path, const std::uint8_t* key, std::int32_t keyLength,
                          bool deleteInput, std::string_view tempDir) {
  const std::string receivedPath = path.str();
  announceStep(openableFileSize(env.fs, receivedPath), "암호를 해제하고 있습니다.");

  const std::string plainPath = makeIntermediateFile(env, tempDir);
  if (decipherSeedFile(env, key, receivedPath, plainPath, true) < 0 || !path.assign(plainPath)) {
    controlBox(env.ui, ansi("자료에 이상이 있습니다,\n다시 시도 하십시오.\n[복호화오류]"), "ERROR", platform::mb::MB_OK);
    if (deleteInput) {
      deleteIfNamed(env.fs, receivedPath);
      // Half a document is of no use to anyone; with the debug switch on it stays for a look.
      deleteIfNamed(env.fs, plainPath);
    }
    return -1;
  }
  if (deleteInput) deleteIfNamed(env.fs, receivedPath);
  return 0;
}

std::int32_t encipherStep(const platform::Env& env, std::string_view path, const std::uint8_t* key,
                          std::int32_t keyLength, bool flag) {
  announceStep(openableFileSize(env.fs, path), "자료를 암호화하고 있습니다.");
  controlBox(env.ui, ansi("자료를 암호화 할 수 없습니다.\n다시 시도 하십시오."), ansi("[암호화오류]"), platform::mb::MB_OK);
  return -1;
}

}  // namespace zx
