#pragma once
// The commands that set the browser side up, without a control:
//   zorvax allow-origin ORIGIN | deny-origin ORIGIN | forget-origin ORIGIN | origins
//   zorvax give-package PACKAGE ORIGIN | take-package PACKAGE ORIGIN
//   zorvax browser-host install [--profile DIR] | browser-host uninstall [--profile DIR]
#include <ostream>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace zx::host {

// The native-messaging host's name.
extern const char* const kNativeHostName;

bool isBrowserCommand(const std::string& verb);
// Answers the exit status: 0 done, 1 failed, 2 a usage error.
int runBrowserCommand(const std::vector<std::string>& words, platform::Registry& registry, const std::string& homeUtf8,
                      std::ostream& out, std::ostream& err);

}  // namespace zx::host
