#pragma once
// The file system on POSIX: ANSI paths become UTF-8 at the system call. The free functions are
// the platform layer's own primitives, shared by its other POSIX implementations.
#include <map>
#include <mutex>
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
  // downloadFolder: the user's download folder (empty: none).
  explicit PosixFileSystem(std::string tmpFolder, std::string downloadFolder = {})
      : tmpFolder_(std::move(tmpFolder)), downloadFolder_(std::move(downloadFolder)) {}
  ~PosixFileSystem() override;

  File open(std::string_view path, const char* mode) override;
  bool exists(std::string_view path) override { return posix::exists(path); }
  bool isDirectory(std::string_view path) override { return posix::isDirectory(path); }
  bool isRegularFile(std::string_view path) override { return posix::isRegularFile(path); }
  bool isOrdinaryFile(std::string_view path) override;
  std::optional<std::uint64_t> fileSize(std::string_view path) override;
  bool createExclusive(std::string_view path) override;
  bool createLocked(std::string_view path) override;
  int removeAbandoned(std::string_view folder, std::string_view prefix, std::chrono::seconds age) override;
  bool renameFile(std::string_view from, std::string_view to) override;
  bool replaceFile(std::string_view from, std::string_view to) override;
  std::optional<std::uint64_t> freeSpace(std::string_view path) override;
  bool removeFile(std::string_view path) override;
  bool makeDirectories(std::string_view path) override { return posix::makeDirectories(path); }
  std::string currentDirectory() override;
  std::string tempName(std::string_view dir, std::string_view prefix) override;
  std::string systemTempDirectory() override;
  std::string userDownloadDirectory() override;
  std::optional<std::string> realLocation(std::string_view path) override;
  std::string systemPath(std::string_view ansiPath) override { return posix::systemPath(ansiPath); }

 private:
  // Drops the lock this process holds on a file, if any.
  void release(std::string_view path);

  std::string tmpFolder_;
  std::string downloadFolder_;
  std::mutex locksMutex_;
  std::map<std::string, int, std::less<>> locks_;  // ANSI path -> the descriptor holding its lock
};

}  // namespace zx::platform
