#include <cstdlib>

#include "platform/codepage.h"
#include "platform/linux/fs_posix.h"
#include "platform/linux/registry_sqlite.h"
#include "platform/sysdirs.h"
#include "platform/system_services.h"

namespace zx::platform {

SystemSettings SystemSettings::fromEnvironment() {
  SystemSettings settings;
  settings.home = defaultHome();
  if (const char* tmp = std::getenv("TMP"); tmp && *tmp) settings.tmpFolder = utf8ToAnsi(tmp);
  PosixFileSystem files("");
  settings.downloadFolder = userDownloadDirectory(files);
  return settings;
}

SystemServices::SystemServices(const SystemSettings& settings)
    : home_(settings.home),
      registry_(std::make_unique<SqliteRegistry>(settings.home + kPathSeparator + "registry.db")),
      fs_(std::make_unique<PosixFileSystem>(settings.tmpFolder, settings.downloadFolder)),
      shell_(std::make_unique<SystemShell>()),
      http_(http::Settings{settings.timeouts, trustFileIn(settings.home)}),
      adapters_(std::make_unique<adapters::SystemAdapters>()),
      os_(std::make_unique<SystemOsInfo>()),
      clock_(std::make_unique<SystemClock>()) {}

}  // namespace zx::platform
