#include "doubles/emulated_os.h"

namespace zx::doubles {

bool EmulatedOs::queryVersion(platform::OsVersion& version) {
  if (major_ == 0) return system_.queryVersion(version);
  if (version.size != 148) return false;
  version.majorVersion = major_;
  version.minorVersion = 0;
  version.buildNumber = 2600;
  return true;
}

}  // namespace zx::doubles
