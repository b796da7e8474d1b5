#include "doubles/test_variables.h"

#include <cstdlib>

namespace zx::doubles {
namespace {

int millisecondsOr(const char* name, int fallback) {
  const char* text = std::getenv(name);
  if (!text || !*text) return fallback;
  char* end = nullptr;
  long value = std::strtol(text, &end, 10);
  return (*end == '\0' && value > 0 && value <= 24L * 3600 * 1000) ? static_cast<int>(value) : fallback;
}

}  // namespace

TestVariables TestVariables::fromEnvironment() {
  TestVariables variables;
  if (const char* major = std::getenv("ZORVAX_OS_MAJOR"); major && *major)
    if (auto value = std::strtoul(major, nullptr, 10); value > 0) variables.osMajor = static_cast<std::uint32_t>(value);
  if (const char* adapters = std::getenv("ZORVAX_ADAPTERS")) variables.adapters = parseAdapterScenario(adapters);
  platform::http::Timeouts& t = variables.timeouts;
  t.connectMs = millisecondsOr("ZORVAX_HTTP_CONNECT_TIMEOUT_MS", t.connectMs);
  t.sendMs = millisecondsOr("ZORVAX_HTTP_SEND_TIMEOUT_MS", t.sendMs);
  t.receiveMs = millisecondsOr("ZORVAX_HTTP_RECEIVE_TIMEOUT_MS", t.receiveMs);
  return variables;
}

}  // namespace zx::doubles
