#pragma once
// The file system on Windows: ANSI paths go to the system as they are (its ANSI code page is
// the control's); temporary names follow the C runtime's generator.
#include "platform/fs.h"

namespace zx::platform {

class Win32FileSystem : public FileSystem {
 public:
  File open(std::string_view path, const char* mode) override;
  bool exists(std::string_view path) override;
  bool isDirectory(std::string_view path) override;
  bool isRegularFile(std::string_view path) override;
  std::optional<std::uint64_t> fileSize(std::string_view path) override;
  bool createExclusive(std::string_view path) override;
  bool renameFile(std::string_view from, std::string_view to) override;
  bool removeFile(std::string_view path) override;
  bool makeDirectories(std::string_view path) override;
  std::string currentDirectory() override;
  // The C runtime's _tempnam rule: the TMP folder when it names a directory, else `dir`, else
  // the system's temporary folder.
  std::string tempName(std::string_view dir, std::string_view prefix) override;
  std::string systemTempDirectory() override;
  std::string systemPath(std::string_view ansiPath) override { return std::string(ansiPath); }
};

}  // namespace zx::platform
