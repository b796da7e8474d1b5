#pragma once
// The file system on POSIX: ANSI paths become UTF-8 at the system call. The free functions are
// the platform layer's own primitives, shared by its other POSIX implementations.
#include <string>
#include <string_view>

#include "platform/fs.h"

namespace zx::platform {

namespace posix {
std::string systemPath(std::string_view ansiPath);
bool exists(std::string_view path);
bool isDirectory(std::string_view path);
bool isRegularFile(std::string_view path);
bool makeDirectories(std::string_view path);
}  // namespace posix

class PosixFileSystem : public FileSystem {
 public:
  // tmpFolder: what the TMP variable names (empty: not set); the generator prefers it.
  explicit PosixFileSystem(std::string tmpFolder) : tmpFolder_(std::move(tmpFolder)) {}

  File open(std::string_view path, const char* mode) override;
  bool exists(std::string_view path) override { return posix::exists(path); }
  bool isDirectory(std::string_view path) override { return posix::isDirectory(path); }
  bool isRegularFile(std::string_view path) override { return posix::isRegularFile(path); }
  std::optional<std::uint64_t> fileSize(std::string_view path) override;
  bool createExclusive(std::string_view path) override;
  bool renameFile(std::string_view from, std::string_view to) override;
  bool removeFile(std::string_view path) override;
  bool makeDirectories(std::string_view path) override { return posix::makeDirectories(path); }
  std::string currentDirectory() override;
  std::string tempName(std::string_view dir, std::string_view prefix) override;
  std::string systemTempDirectory() override;
  std::string systemPath(std::string_view ansiPath) override { return posix::systemPath(ansiPath); }

 private:
  std::string tmpFolder_;
};

}  // namespace zx::platform
