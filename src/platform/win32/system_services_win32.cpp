#include "platform/sysdirs.h"
#include "platform/system_services.h"
#include "platform/win32/fs_win32.h"
#include "platform/win32/registry_win32.h"

namespace zx::platform {

SystemSettings SystemSettings::fromEnvironment() {
  SystemSettings settings;
  // The file system reads TMP itself, as the C runtime's temporary-name rule does; the
  // system names no download folder to the control.
  settings.home = defaultHome();
  return settings;
}

// The real registry of the user; the home names only the control's configuration folder here.
std::unique_ptr<Registry> systemRegistry(const SystemSettings&) { return std::make_unique<Win32Registry>(); }

std::unique_ptr<FileSystem> systemFileSystem(const SystemSettings&) { return std::make_unique<Win32FileSystem>(); }

}  // namespace zx::platform
