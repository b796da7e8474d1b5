#include "platform/system_services.h"

namespace zx::platform {

std::string trustFileIn(const std::string& home) { return home + kPathSeparator + "ca.pem"; }

SystemServices::~SystemServices() = default;

Env SystemServices::env(Ui& ui) {
  return Env{ui, *shell_, *registry_, *fs_, http_, *adapters_, *os_, *clock_, home_};
}

}  // namespace zx::platform
