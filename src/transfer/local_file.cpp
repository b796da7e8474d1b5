#include "transfer/local_file.h"

#include "platform/fs.h"

namespace zx {

namespace {
// Lines of a download are written one by one; a large buffer keeps that from costing a system
// call each.
constexpr std::size_t kWriteBuffer = 256 * 1024;
}  // namespace

bool LocalFile::openExistingForWriting(std::string_view ansiPath) {
  close();
  failed_ = false;
  file_ = platform::fs::openFile(ansiPath, "r+b");
  if (file_) std::setvbuf(file_, nullptr, _IOFBF, kWriteBuffer);
  return file_ != nullptr;
}

bool LocalFile::openForReading(std::string_view ansiPath) {
  close();
  failed_ = false;
  file_ = platform::fs::openFile(ansiPath, "rb");
  return file_ != nullptr;
}

bool LocalFile::write(std::string_view bytes) {
  if (!file_ || std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) failed_ = true;
  return !failed_;
}

std::size_t LocalFile::read(char* buffer, std::size_t size) {
  if (!file_) return 0;
  std::size_t n = std::fread(buffer, 1, size, file_);
  if (n == 0 && std::ferror(file_)) failed_ = true;
  return n;
}

bool LocalFile::close() {
  if (!file_) return !failed_;
  if (std::fflush(file_) != 0) failed_ = true;
  if (std::fclose(file_) != 0) failed_ = true;
  file_ = nullptr;
  return !failed_;
}

long long LocalFile::size() {
  if (!file_) return -1;
  long at = std::ftell(file_);
  std::fseek(file_, 0, SEEK_END);
  long end = std::ftell(file_);
  std::fseek(file_, at, SEEK_SET);
  return end;
}

}  // namespace zx
