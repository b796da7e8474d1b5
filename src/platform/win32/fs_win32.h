#pragma once
// The file system on Windows: ANSI paths go to the system as they are (its ANSI code page is
// the control's); temporary names follow the C runtime's rule for choosing their folder.
#include <map>
#include <mutex>

#include "platform/fs.h"

namespace zx::platform {

class Win32FileSystem : public FileSystem {
 public:
  Win32FileSystem() = default;
  Win32FileSystem(const Win32FileSystem&) = delete;
  Win32FileSystem& operator=(const Win32FileSystem&) = delete;
  ~Win32FileSystem() override;

  File open(std::string_view path, const char* mode) override;
  bool exists(std::string_view path) override;
  bool isDirectory(std::string_view path) override;
  bool isRegularFile(std::string_view path) override;
  // A file on a disk: not a folder, a device, a pipe or a console.
  bool isOrdinaryFile(std::string_view path) override;
  std::optional<std::uint64_t> fileSize(std::string_view path) override;
  bool createExclusive(std::string_view path) override;
  // Locked by a handle that shares reading and writing but not deletion, so another process's
  // clean-up cannot remove it; released before this process renames or removes it.
  bool createLocked(std::string_view path) override;
  int removeAbandoned(std::string_view folder, std::string_view prefix, std::chrono::seconds age) override;
  bool renameFile(std::string_view from, std::string_view to) override;
  bool replaceFile(std::string_view from, std::string_view to) override;
  std::optional<std::uint64_t> freeSpace(std::string_view path) override;
  bool removeFile(std::string_view path) override;
  bool makeDirectories(std::string_view path) override;
  std::string currentDirectory() override;
  // The C runtime's _tempnam rule: the TMP folder when it names a directory, else `dir`, else
  // the system's temporary folder.
  std::string tempName(std::string_view dir, std::string_view prefix) override;
  std::string systemTempDirectory() override;
  // None: on Windows downloads keep going to the temporary folder until the user picks one.
  std::string userDownloadDirectory() override { return {}; }
  std::string systemPath(std::string_view ansiPath) override { return std::string(ansiPath); }
  std::optional<std::string> realLocation(std::string_view path) override;

 private:
  void release(std::string_view path);

  std::mutex locksMutex_;
  std::map<std::string, void*, std::less<>> locks_;  // ANSI path -> the handle holding its lock
};

}  // namespace zx::platform
