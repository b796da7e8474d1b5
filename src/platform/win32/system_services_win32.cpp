#include "platform/sysdirs.h"
#include "platform/system_services.h"
#include "platform/win32/fs_win32.h"
#include "platform/win32/registry_win32.h"

namespace zx::platform {

SystemSettings SystemSettings::fromEnvironment() {
  SystemSettings settings;
  // The C runtime's temporary-name generator reads TMP itself.
  settings.home = defaultHome();
  return settings;
}

// The system's certificate store decides on Windows; a home's file is for the other systems.
SystemServices::SystemServices(const SystemSettings& settings)
    : home_(settings.home),
      registry_(std::make_unique<Win32Registry>()),
      fs_(std::make_unique<Win32FileSystem>()),
      shell_(std::make_unique<SystemShell>()),
      http_(http::Settings{settings.timeouts, trustFileIn(settings.home)}),
      adapters_(std::make_unique<adapters::SystemAdapters>()),
      os_(std::make_unique<SystemOsInfo>()),
      clock_(std::make_unique<SystemClock>()) {}

}  // namespace zx::platform
