#pragma once
// The Windows directory stand-in and the private-profile (INI) reader.
#include <string>
#include <string_view>

namespace zx::platform {

// $ZORVAX_HOME, or $XDG_CONFIG_HOME/zorvax, or ~/.config/zorvax.
std::string zorvaxHome();
// $ZORVAX_HOME/windows (created on demand).
std::string windowsDirectory();
// Value of `key` in `[section]` of an INI file, or `fallback`; at most capacity-1 characters.
std::string readProfileString(std::string_view section, std::string_view key,
                              std::string_view fallback, std::string_view iniPath, size_t capacity);

}  // namespace zx::platform
