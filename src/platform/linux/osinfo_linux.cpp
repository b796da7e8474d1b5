#include "platform/osinfo.h"

namespace zx::platform {

bool SystemOsInfo::queryVersion(OsVersion& version) {
  if (version.size != 148) return false;
  version.majorVersion = 10;
  version.minorVersion = 0;
  version.buildNumber = 19045;
  return true;
}

}  // namespace zx::platform
