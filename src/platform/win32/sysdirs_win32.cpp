// The Windows directory and the private-profile reader are the system's own.
#include <vector>

#include "platform/sysdirs.h"

#include "platform/win32/system_headers.h"

namespace zx::platform {

std::string defaultHome() {
  char folder[MAX_PATH];
  DWORD length = GetEnvironmentVariableA("APPDATA", folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) length = GetTempPathA(MAX_PATH, folder);
  std::string home(folder, length);
  if (!home.empty() && home.back() == '\\') home.pop_back();
  return home + "\\ZorvAX";
}

std::string windowsDirectory(FileSystem&, std::string_view) {
  char folder[MAX_PATH];
  UINT length = GetWindowsDirectoryA(folder, MAX_PATH);
  return length == 0 || length >= MAX_PATH ? std::string() : std::string(folder, length);
}

std::string readProfileString(FileSystem&, std::string_view section, std::string_view key, std::string_view fallback,
                              std::string_view iniPath, size_t capacity) {
  if (capacity == 0) return {};
  std::vector<char> value(capacity, '\0');
  DWORD length = GetPrivateProfileStringA(std::string(section).c_str(), std::string(key).c_str(),
                                          std::string(fallback).c_str(), value.data(), static_cast<DWORD>(capacity),
                                          std::string(iniPath).c_str());
  return std::string(value.data(), length);
}

}  // namespace zx::platform
