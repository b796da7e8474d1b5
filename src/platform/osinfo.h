#pragma once
#include <cstdint>

namespace zx::platform {

struct OsVersion {
  std::uint32_t size = 148;
  std::uint32_t majorVersion = 0;
  std::uint32_t minorVersion = 0;
  std::uint32_t buildNumber = 0;
};

// Reports a modern system (major 10) unless an older one is emulated: by emulateOsMajor, or by
// the environment variable ZORVAX_OS_MAJOR (the host's way to play an older system).
bool queryOsVersion(OsVersion& version);
void emulateOsMajor(std::uint32_t major);  // 0 ends the emulation

}  // namespace zx::platform
