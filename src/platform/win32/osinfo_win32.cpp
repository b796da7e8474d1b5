#include "platform/osinfo.h"

#include "platform/win32/system_headers.h"

namespace zx::platform {

bool SystemOsInfo::queryVersion(OsVersion& version) {
  if (version.size != sizeof(OSVERSIONINFOA)) return false;
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  // The version query of the control's generation; without a manifest naming newer systems,
  // Windows 8.1 and later answer 6.2, which still counts as Vista or later.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!GetVersionExA(&info)) return false;
#pragma GCC diagnostic pop
  version.majorVersion = info.dwMajorVersion;
  version.minorVersion = info.dwMinorVersion;
  version.buildNumber = info.dwBuildNumber;
  return true;
}

}  // namespace zx::platform
