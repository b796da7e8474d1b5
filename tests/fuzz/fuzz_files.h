#pragma once
// Fuzz inputs reach the protection code the way a server's reply does: as files on disk.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

#include "doubles/scripted_ui.h"
#include "platform/system_services.h"

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

// The services of one run: the system's own in the work folder, and a fresh scripted user
// that takes every box without printing it and forgets it with the run.
class RunServices {
 public:
  RunServices() : env_(system().env(user_)) {}
  const platform::Env& env() const { return env_; }

 private:
  static platform::SystemServices& system() {
    static platform::SystemServices services([] {
      platform::SystemSettings settings;
      settings.home = (workFolder() / "home").string();
      settings.tmpFolder = workFolder().string();
      return settings;
    }());
    return services;
  }

  doubles::ScriptedUi user_;
  platform::Env env_;
};

inline std::string writeInput(const char* name, const std::uint8_t* data, std::size_t size) {
  const std::string path = (workFolder() / name).string();
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (size > 0) std::fwrite(data, 1, size, file);
  std::fclose(file);
  return path;
}

}  // namespace zx::fuzz
