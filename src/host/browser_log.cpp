#include "host/browser_log.h"

#include <ctime>

namespace zx::host {

BrowserLog::BrowserLog(const std::string& utf8Path) : file_(std::fopen(utf8Path.c_str(), "a")) {}

BrowserLog::~BrowserLog() {
  if (file_) std::fclose(file_);
}

void BrowserLog::write(std::string_view origin, std::string_view event) {
  if (!file_) return;
  std::time_t now = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&now, &utc);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%M:%SZ", &utc);
  std::fprintf(file_, "%s %.*s %.*s\n", stamp, static_cast<int>(origin.empty() ? 1 : origin.size()),
               origin.empty() ? "-" : origin.data(), static_cast<int>(event.size()), event.data());
  std::fflush(file_);
}

}  // namespace zx::host
