#pragma once
// The test variables of the zorvax command, which stand in for machines the tests do not have:
//   ZORVAX_OS_MAJOR                 an operating system of that major version (5: an older one)
//   ZORVAX_ADAPTERS                 an adapter list (see parseAdapterScenario)
//   ZORVAX_HTTP_CONNECT_TIMEOUT_MS  connecting, TLS handshake included   (default 30000)
//   ZORVAX_HTTP_SEND_TIMEOUT_MS     no byte of the request accepted       (default 60000)
//   ZORVAX_HTTP_RECEIVE_TIMEOUT_MS  no byte of the response arriving      (default 60000)
#include <cstdint>
#include <optional>

#include "doubles/adapter_scenarios.h"
#include "platform/http.h"

namespace zx::doubles {

struct TestVariables {
  std::optional<std::uint32_t> osMajor;
  std::optional<AdapterScenario> adapters;
  platform::http::Timeouts timeouts;

  static TestVariables fromEnvironment();
};

}  // namespace zx::doubles
