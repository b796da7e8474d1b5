#pragma once
// The system's own services, owned in one place; a host picks the user interface and makes an
// Env from them.
#include <memory>
#include <string>

#include "platform/adapters.h"
#include "platform/api.h"
#include "platform/clock.h"
#include "platform/env.h"
#include "platform/fs.h"
#include "platform/http.h"
#include "platform/osinfo.h"
#include "platform/registry.h"
#include "platform/shell.h"

namespace zx::platform {

struct ZX_API SystemSettings {
  std::string home;       // the configuration home (ANSI)
  std::string tmpFolder;  // what the TMP variable names (ANSI), empty when it is not set
  std::string downloadFolder;  // the user's download folder (ANSI), empty for none
  http::Timeouts timeouts;

  // The home, TMP and download folder the process's environment names, and the default
  // time-outs.
  static SystemSettings fromEnvironment();
};

// The extra certificate authorities a home may hold.
ZX_API std::string trustFileIn(const std::string& home);

// The two services whose making differs between the systems (each system's
// system_services_*.cpp); the rest are made alike.
std::unique_ptr<Registry> systemRegistry(const SystemSettings& settings);
std::unique_ptr<FileSystem> systemFileSystem(const SystemSettings& settings);

class ZX_API SystemServices {
 public:
  explicit SystemServices(const SystemSettings& settings);
  SystemServices(const SystemServices&) = delete;
  SystemServices& operator=(const SystemServices&) = delete;
  ~SystemServices();

  // Every system service with the given interface.
  Env env(Ui& ui);

  Registry& registry() { return *registry_; }
  FileSystem& fs() { return *fs_; }
  Shell& shell() { return *shell_; }
  const http::Client& http() const { return http_; }
  adapters::AdapterSource& adapters() { return *adapters_; }
  OsInfo& os() { return *os_; }
  Clock& clock() { return *clock_; }
  const std::string& home() const { return home_; }

 private:
  std::string home_;
  std::unique_ptr<Registry> registry_;
  std::unique_ptr<FileSystem> fs_;
  std::unique_ptr<Shell> shell_;
  http::Client http_;
  std::unique_ptr<adapters::AdapterSource> adapters_;
  std::unique_ptr<OsInfo> os_;
  std::unique_ptr<Clock> clock_;
};

}  // namespace zx::platform
