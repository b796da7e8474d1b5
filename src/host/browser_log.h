#pragma once
// The browser host's log in the configuration home: one line per event, the time (UTC), the
// page's origin, then what happened. Each line is on disk before the next request is read.
#include <cstdio>
#include <string>
#include <string_view>

namespace zx::host {

class BrowserLog {
 public:
  explicit BrowserLog(const std::string& utf8Path);
  ~BrowserLog();
  BrowserLog(const BrowserLog&) = delete;
  BrowserLog& operator=(const BrowserLog&) = delete;

  void write(std::string_view origin, std::string_view event);

 private:
  std::FILE* file_;
};

}  // namespace zx::host
