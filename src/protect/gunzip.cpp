#include "protect/gunzip.h"

#include <cryptopp/files.h>
#include <cryptopp/gzip.h>
#include <zlib.h>

#include <memory>
#include <new>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "core/config_store.h"
#include "core/file_helpers.h"
#include "core/messages.h"
#include "platform/codepage.h"
#include "platform/exceptions.h"
#include "platform/fs.h"
#include "protect/step_status.h"
#include "ui/status_dialog.h"

namespace zx {
namespace {

constexpr CryptoPP::lword kCompressChunk = 256 * 1024;
constexpr std::size_t kInflateInput = 64 * 1024;
constexpr std::size_t kInflateOutput = 256 * 1024;

// The message of whatever stopped a gzip pipeline: the library's own or the framework's.
template <class Work>
std::optional<std::string> failureOf(Work work) {
  try {
    if constexpr (std::is_void_v<decltype(work())>) {
      work();
      return std::nullopt;
    } else {
      return work();
    }
  } catch (const CryptoPP::Exception& e) {
    return std::string(e.what());
  } catch (const FrameworkException& e) {
    return e.errorMessage();
  } catch (const std::bad_alloc&) {
    return MemoryException().errorMessage();
  }
}

}  // namespace

std::optional<std::string> gunzipMembers(platform::File& in, platform::File& out, GunzipProgress progress,
                                         std::uint32_t userData, std::uint32_t expectedTotal,
                                         const GunzipRoom& room) {
  std::vector<unsigned char> input(kInflateInput), output(kInflateOutput);
  z_stream stream{};
  // 15 + 16: a gzip wrapper around the largest deflate window.
  if (inflateInit2(&stream, 15 + 16) != Z_OK) return MemoryException().errorMessage();
  struct End {
    z_stream& s;
    ~End() { inflateEnd(&s); }
  } end{stream};

  bool inMember = false, anyMember = false;
  std::uint32_t done = 0;
  while (true) {
    if (stream.avail_in == 0) {
      const std::size_t got = in.read(input.data(), input.size());
      if (got == 0) break;
      stream.next_in = input.data();
      stream.avail_in = static_cast<uInt>(got);
    }
    inMember = anyMember = true;
    stream.next_out = output.data();
    stream.avail_out = static_cast<uInt>(output.size());
    const int rc = inflate(&stream, Z_NO_FLUSH);
    const std::size_t produced = output.size() - stream.avail_out;
    if (produced > 0) {
      if (room && !room(produced)) return std::string("no room");
      if (!out.write(output.data(), produced)) return out.error();
      done += static_cast<std::uint32_t>(produced);
      // Once more has come out than the compressed file holds, the range grows with the count.
      if (progress) progress(userData, done, done <= expectedTotal ? expectedTotal : done);
    }
    if (rc == Z_STREAM_END) {
      // The next member, if any, starts right after this one's trailer.
      inflateReset(&stream);
      inMember = false;
    } else if (rc == Z_MEM_ERROR) {
      return MemoryException().errorMessage();
    } else if (rc != Z_OK && !(rc == Z_BUF_ERROR && stream.avail_in == 0)) {
      return std::string(stream.msg ? stream.msg : "invalid compressed data");
    }
  }
  if (in.failed()) return in.error();
  // Nothing at all, or a member that the file ends inside of.
  if (inMember || !anyMember) return std::string("unexpected end of file");
  return std::nullopt;
}

std::int32_t decompressStep(const platform::Env& env, std::string_view gzPath, std::string_view plainPath,
                            bool deleteInput) {
  const std::optional<std::uint64_t> size = env.fs.fileSize(gzPath);
  if (!size) return -1;

  // A small document can unpack to one that fills the disk: it stops while the reserve is left.
  const std::uint64_t reserve = decompressionReserve(env.registry);
  std::string folder = directoryOf(plainPath);
  if (folder.empty()) folder.push_back('.');  // the current folder
  bool reserveReached = false;
  auto room = [&](std::size_t bytes) {
    const std::optional<std::uint64_t> free = env.fs.freeSpace(folder);
    reserveReached = free && (*free < bytes || *free - bytes < reserve);
    return !reserveReached;
  };
  const std::optional<std::string> failure = failureOf([&]() -> std::optional<std::string> {
    platform::File in = env.fs.open(gzPath, "rb");
    if (!in.isOpen()) return in.error();
    platform::File out = env.fs.open(plainPath, "wb");
    if (!out.isOpen()) return out.error();
    updateStatus(nullptr, nullptr, 0, progressRange(static_cast<std::int64_t>(*size)));
    if (auto stopped = gunzipMembers(in, out, reportProgress, 0, static_cast<std::uint32_t>(*size), room))
      return stopped;
    if (!out.close()) return out.error();
    return std::nullopt;
  });
  if (reserveReached) {
    controlBox(env.ui, ansi("파일에 기록할 수 없습니다.\n디스크 여유 공간을 확인하시고, 이상이 없으면 다시 시도 하십시오."),
               ansi("압축해제오류"), platform::mb::MB_OK);
    deleteIfNamed(env.fs, plainPath);
  } else if (failure) {
    controlBox(env.ui, *failure, ansi("압축해제오류"), platform::mb::MB_OK);
  }
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
    controlBox(env.ui, ansi("자료를 압축할 수 없습니다.\n") + diskAdvice(),
               ansi("압축오류"), platform::mb::MB_OK);
    return -1;
  }
  return 0;
}

}  // namespace zx
