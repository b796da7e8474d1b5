#include "platform/system_services.h"

namespace zx::platform {

std::string trustFileIn(const std::string& home) { return home + kPathSeparator + "ca.pem"; }

SystemServices::SystemServices(const SystemSettings& settings)
    : home_(settings.home),
      registry_(systemRegistry(settings)),
      fs_(systemFileSystem(settings)),
      shell_(std::make_unique<SystemShell>()),
      // libcurl adds the home's authorities to the system's; WinInet trusts the system's store alone.
      http_(http::Settings{settings.timeouts, trustFileIn(settings.home)}),
      adapters_(std::make_unique<adapters::SystemAdapters>()),
      os_(std::make_unique<SystemOsInfo>()),
      clock_(std::make_unique<SystemClock>()) {}

SystemServices::~SystemServices() = default;

Env SystemServices::env(Ui& ui) {
  return Env{ui, *shell_, *registry_, *fs_, http_, *adapters_, *os_, *clock_, home_};
}

}  // namespace zx::platform
