#pragma once
// The browser host's log in the configuration home: one line per event, the time (UTC), the
// page's origin, then what happened. Each line is on disk before the next request is read.
// Origins and events carry what a page sent, so their control characters (C0, DEL and C1) are
// written as escapes (\n, \r, \t, \xHH) and a backslash as \\: one event stays one line and
// a page cannot forge another or send the terminal that shows the log its sequences.
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
