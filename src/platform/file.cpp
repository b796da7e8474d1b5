#include <cerrno>
#include <cstring>
#include <utility>

#include "platform/fs.h"

namespace zx::platform {
namespace {

// 64-bit positions on every platform (long is 32 bits on Windows).
std::int64_t tellOf(std::FILE* stream) {
#ifdef _WIN32
  return _ftelli64(stream);
#else
  return ftello(stream);
#endif
}

bool seekTo(std::FILE* stream, std::int64_t offset, int origin) {
#ifdef _WIN32
  return _fseeki64(stream, offset, origin) == 0;
#else
  return fseeko(stream, offset, origin) == 0;
#endif
}

}  // namespace

File::File(std::FILE* stream, std::string error) : stream_(stream), error_(stream ? std::string() : std::move(error)) {}

File::File(File&& other) noexcept
    : stream_(std::exchange(other.stream_, nullptr)), error_(std::move(other.error_)) {}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    close();
    stream_ = std::exchange(other.stream_, nullptr);
    error_ = std::move(other.error_);
  }
  return *this;
}

File::~File() { close(); }

void File::noteError() {
  if (error_.empty()) error_ = errno ? std::strerror(errno) : "input/output error";
}

std::size_t File::read(void* buffer, std::size_t size) {
  if (!stream_) return 0;
  errno = 0;
  std::size_t n = std::fread(buffer, 1, size, stream_);
  if (n < size && std::ferror(stream_)) noteError();
  return n;
}

bool File::write(const void* data, std::size_t size) {
  if (!stream_) return false;
  errno = 0;
  if (size != 0 && std::fwrite(data, 1, size, stream_) != size) noteError();
  return !failed();
}

bool File::put(char c) {
  if (!stream_) return false;
  errno = 0;
  if (std::putc(c, stream_) == EOF) noteError();
  return !failed();
}

bool File::flush() {
  if (!stream_) return !failed();
  errno = 0;
  if (std::fflush(stream_) != 0) noteError();
  return !failed();
}

bool File::close() {
  if (!stream_) return !failed();
  flush();
  errno = 0;
  // A full disk may only show when the file is closed.
  if (std::fclose(std::exchange(stream_, nullptr)) != 0) noteError();
  return !failed();
}

std::optional<std::uint64_t> File::size() {
  if (!stream_) return std::nullopt;
  std::int64_t at = tellOf(stream_);
  if (at < 0 || !seekTo(stream_, 0, SEEK_END)) return std::nullopt;
  std::int64_t end = tellOf(stream_);
  seekTo(stream_, at, SEEK_SET);
  if (end < 0) return std::nullopt;
  return static_cast<std::uint64_t>(end);
}

void File::setBufferSize(std::size_t bytes) {
  if (stream_) std::setvbuf(stream_, nullptr, _IOFBF, bytes);
}

}  // namespace zx::platform
