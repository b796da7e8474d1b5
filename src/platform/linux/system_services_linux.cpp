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

std::unique_ptr<Registry> systemRegistry(const SystemSettings& settings) {
  return std::make_unique<SqliteRegistry>(settings.home + kPathSeparator + "registry.db");
}

std::unique_ptr<FileSystem> systemFileSystem(const SystemSettings& settings) {
  return std::make_unique<PosixFileSystem>(settings.tmpFolder, settings.downloadFolder);
}

}  // namespace zx::platform
