#pragma once
// The exchanges' local file: the download writes into an existing file (never creating or
// truncating it), the upload reads one; bytes pass untranslated.
#include <cstddef>
#include <cstdio>
#include <string_view>

namespace zx {

class LocalFile {
 public:
  LocalFile() = default;
  ~LocalFile() { close(); }
  LocalFile(const LocalFile&) = delete;
  LocalFile& operator=(const LocalFile&) = delete;

  bool openExistingForWriting(std::string_view ansiPath);
  bool openForReading(std::string_view ansiPath);
  bool isOpen() const { return file_ != nullptr; }

  bool write(std::string_view bytes);
  // Up to size bytes; 0 at the end or after a read error (see failed()).
  std::size_t read(char* buffer, std::size_t size);
  // Flushes and closes; false when a write did not reach the file. A second close does nothing.
  bool close();
  bool failed() const { return failed_; }
  long long size();

 private:
  std::FILE* file_ = nullptr;
  bool failed_ = false;
};

}  // namespace zx
