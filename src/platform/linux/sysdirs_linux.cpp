#include "platform/sysdirs.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "platform/ascii.h"
#include "platform/codepage.h"

namespace zx::platform {
namespace {

std::string trim(std::string_view s) {
  size_t b = s.find_first_not_of(" \t\r\n");
  if (b == std::string_view::npos) return std::string();
  size_t e = s.find_last_not_of(" \t\r\n");
  return std::string(s.substr(b, e - b + 1));
}

// The lines of a small text file, trimmed; none when it cannot be read.
std::vector<std::string> trimmedLines(File& in) {
  std::string content;
  char block[4096];
  while (std::size_t n = in.read(block, sizeof block)) content.append(block, n);
  std::vector<std::string> lines;
  for (std::string_view rest = content; !rest.empty();) {
    const std::string_view line = rest.substr(0, rest.find('\n'));
    rest.remove_prefix(std::min(rest.size(), line.size() + 1));
    lines.push_back(trim(line));
  }
  return lines;
}

// The user's configuration folder, UTF-8: $XDG_CONFIG_HOME, else .config below `home`.
std::string configHome(std::string_view home) {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg && *xdg) return xdg;
  return std::string(home) + "/.config";
}

}  // namespace

std::string defaultHome() {
  const char* home = std::getenv("ZORVAX_HOME");
  if (home && *home) return utf8ToAnsi(home);
  const char* user = std::getenv("HOME");
  return utf8ToAnsi(configHome(user && *user ? user : "/tmp") + "/zorvax");
}

std::string userDownloadDirectory(FileSystem& fs, std::string_view userHome, std::string_view configHome) {
  File in = fs.open(std::string(configHome) + kPathSeparator + "user-dirs.dirs", "rb");
  // A line XDG_DOWNLOAD_DIR="$HOME/Downloads" names a folder below the home, or a full path.
  const std::string_view key = "XDG_DOWNLOAD_DIR=\"";
  for (const std::string& line : trimmedLines(in)) {
    if (!line.starts_with(key) || line.size() < key.size() + 2 || line.back() != '"') continue;
    const std::string value = line.substr(key.size(), line.size() - key.size() - 1);
    if (value.starts_with("$HOME/")) return std::string(userHome) + utf8ToAnsi(value.substr(5));
    if (value.starts_with("/")) return utf8ToAnsi(value);
  }
  return std::string(userHome) + kPathSeparator + "Downloads";
}

std::string userDownloadDirectory(FileSystem& fs) {
  const char* user = std::getenv("HOME");
  if (!user || !*user) return std::string();
  return userDownloadDirectory(fs, utf8ToAnsi(user), utf8ToAnsi(configHome(user)));
}

std::string windowsDirectory(FileSystem& fs, std::string_view home) {
  std::string dir = std::string(home) + kPathSeparator + "windows";
  fs.makeDirectories(dir);
  return dir;
}

std::string readProfileString(FileSystem& fs, std::string_view section, std::string_view key,
                              std::string_view fallback, std::string_view iniPath, size_t capacity) {
  auto clip = [capacity](std::string s) {
    if (capacity == 0) return std::string();
    if (s.size() > capacity - 1) s.resize(capacity - 1);
    return s;
  };
  File in = fs.open(iniPath, "rb");
  if (!in.isOpen()) return clip(std::string(fallback));
  bool inSection = false;
  for (const std::string& t : trimmedLines(in)) {
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
