#include "platform/sysdirs.h"

#include <cstdlib>
#include <fstream>

#include "platform/ascii.h"
#include "platform/codepage.h"
#include "platform/fs.h"

namespace zx::platform {
namespace {

std::string trim(std::string_view s) {
  size_t b = s.find_first_not_of(" \t\r\n");
  if (b == std::string_view::npos) return std::string();
  size_t e = s.find_last_not_of(" \t\r\n");
  return std::string(s.substr(b, e - b + 1));
}

}  // namespace

std::string zorvaxHome() {
  const char* home = std::getenv("ZORVAX_HOME");
  if (home && *home) return utf8ToAnsi(home);
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg && *xdg) return utf8ToAnsi(std::string(xdg) + "/zorvax");
  const char* user = std::getenv("HOME");
  return utf8ToAnsi(std::string(user && *user ? user : "/tmp") + "/.config/zorvax");
}

std::string windowsDirectory() {
  std::string dir = zorvaxHome() + "/windows";
  fs::makeDirectories(dir);
  return dir;
}

std::string readProfileString(std::string_view section, std::string_view key, std::string_view fallback,
                               std::string_view iniPath, size_t capacity) {
  auto clip = [capacity](std::string s) {
    if (capacity == 0) return std::string();
    if (s.size() > capacity - 1) s.resize(capacity - 1);
    return s;
  };
  std::ifstream in(fs::systemPath(iniPath), std::ios::binary);
  if (!in) return clip(std::string(fallback));
  std::string line;
  bool inSection = false;
  while (std::getline(in, line)) {
    std::string t = trim(line);
    if (t.empty() || t[0] == ';') continue;
    if (t.front() == '[') {
      size_t close = t.find(']');
      inSection = close != std::string::npos && ascii::equalsIgnoreCase(trim(t.substr(1, close - 1)), section);
      continue;
    }
    if (!inSection) continue;
    size_t eq = t.find('=');
    if (eq == std::string::npos || !ascii::equalsIgnoreCase(trim(t.substr(0, eq)), key)) continue;
    std::string value = trim(t.substr(eq + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
      value = value.substr(1, value.size() - 2);
    return clip(value);
  }
  return clip(std::string(fallback));
}

}  // namespace zx::platform
