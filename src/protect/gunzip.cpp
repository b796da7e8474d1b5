#include "protect/gunzip.h"

#include <cryptopp/files.h>

#include <memory>
#include <new>
#include <optional>
#include <string>

#include "core/file_helpers.h"
#include "core/messages.h"
#include "platform/codepage.h"
#include "platform/exceptions.h"
#include "platform/fs.h"
#include "protect/step_status.h"
#include "ui/status_dialog.h"

namespace CryptoPP {

void CryptoGunzip::ProcessDecompressedData(const byte* string, size_t length) {
  Gunzip::ProcessDecompressedData(string, length);
  if (!progressCallback_ || length == 0) return;
  bytesDone_ += static_cast<std::uint32_t>(length);
  // Once more has come out than the compressed file holds, the range grows with the count.
  progressCallback_(userData_, bytesDone_, bytesDone_ <= expectedTotal_ ? expectedTotal_ : bytesDone_);
}

}  // namespace CryptoPP

namespace zx {
namespace {

constexpr CryptoPP::lword kCompressChunk = 256 * 1024;

// The message of whatever stopped a gzip pipeline: the library's own or the framework's.
template <class Work>
std::optional<std::string> failureOf(Work work) {
  try {
    work();
    return std::nullopt;
  } catch (const CryptoPP::Exception& e) {
    return std::string(e.what());
  } catch (const FrameworkException& e) {
    return e.errorMessage();
  } catch (const std::bad_alloc&) {
    return MemoryException().errorMessage();
  }
}

}  // namespace

std::int32_t decompressStep(const platform::Env& env, std::string_view gzPath, std::string_view plainPath,
                            bool deleteInput) {
  const std::optional<std::uint64_t> size = env.fs.fileSize(gzPath);
  if (!size) return -1;

  const std::optional<std::string> failure = failureOf([&] {
    auto sink = std::make_unique<CryptoPP::FileSink>(env.fs.systemPath(plainPath).c_str(), true);
    updateStatus(nullptr, nullptr, 0, progressRange(static_cast<std::int64_t>(*size)));
    // Repeating, the decompressor takes member after member, as gzip -d does, and a header
    // error ends it where bytes follow that are no member.
    CryptoPP::FileSource(env.fs.systemPath(gzPath).c_str(), true,
                         new CryptoPP::CryptoGunzip(sink.release(), true, -1, reportProgress, 0,
                                                    static_cast<std::uint32_t>(*size)),
                         true);
  });
  if (failure) controlBox(env.ui, *failure, ansi("압축해제오류"), platform::mb::MB_OK);
  if (deleteInput) deleteIfNamed(env.fs, gzPath);
  return failure ? -1 : 0;
}

std::int32_t compressStep(const platform::Env& env, std::string_view sourcePath, std::string_view tempPath) {
  const std::int64_t size = static_cast<std::int64_t>(env.fs.fileSize(sourcePath).value_or(0));
  announceStep(size, "자료를 압축하고 있습니다.");

  bool cancelled = false;
  const std::optional<std::string> failure = failureOf([&] {
    CryptoPP::FileSource source(
        env.fs.systemPath(sourcePath).c_str(), false,
        new CryptoPP::Gzip(new CryptoPP::FileSink(env.fs.systemPath(tempPath).c_str(), true)), true);
    std::int64_t done = 0;
    while (!source.SourceExhausted()) {
      const CryptoPP::lword pumped = source.Pump(kCompressChunk);
      if (pumped == 0) break;
      done += static_cast<std::int64_t>(pumped);
      updateStatus(nullptr, nullptr, progressRange(done), progressRange(size));
      if (statusCancelled()) {
        cancelled = true;
        return;
      }
    }
    source.PumpAll();  // ends the message: the gzip trailer is written and the file closed
  });
  if (failure || cancelled) deleteIfNamed(env.fs, tempPath);
  if (cancelled) return -2;
  if (failure) {
    controlBox(env.ui, ansi("자료를 압축할 수 없습니다.\n디스크 여유 공간을 확인하시고, 이상이 없으면 다시 시도 하십시오."),
               ansi("압축오류"), platform::mb::MB_OK);
    return -1;
  }
  return 0;
}

}  // namespace zx
