#include "platform/osinfo.h"

#include <atomic>
#include <cstdlib>

namespace zx::platform {
namespace {
std::atomic<std::uint32_t> emulatedMajor{0};
}

void emulateOsMajor(std::uint32_t major) { emulatedMajor = major; }

bool queryOsVersion(OsVersion& version) {
  if (version.size != 148) return false;
  std::uint32_t major = emulatedMajor;
  if (major == 0) {
    const char* env = std::getenv("ZORVAX_OS_MAJOR");
    if (env && *env) major = static_cast<std::uint32_t>(std::strtoul(env, nullptr, 10));
  }
  version.majorVersion = major ? major : 10;
  version.minorVersion = 0;
  version.buildNumber = major ? 2600 : 19045;
  return true;
}

}  // namespace zx::platform
