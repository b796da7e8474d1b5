#pragma once
// Fuzz inputs reach the protection code the way a server's reply does: as files on disk.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace zx::fuzz {

// A private folder for this process, made once.
inline const std::filesystem::path& workFolder() {
  static const std::filesystem::path folder = [] {
    auto path = std::filesystem::temp_directory_path() / ("zx-fuzz-" + std::to_string(::getpid()));
    std::filesystem::create_directories(path);
    return path;
  }();
  return folder;
}

inline std::string writeInput(const char* name, const std::uint8_t* data, std::size_t size) {
  const std::string path = (workFolder() / name).string();
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (size > 0) std::fwrite(data, 1, size, file);
  std::fclose(file);
  return path;
}

}  // namespace zx::fuzz
