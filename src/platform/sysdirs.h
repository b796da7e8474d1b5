#pragma once
// The configuration home, the Windows directory stand-in below it, and the private-profile
// (INI) reader.
//
// Threads: any.
#include <string>
#include <string_view>

#include "platform/fs.h"

namespace zx::platform {

// The home a host uses when it is told none: $ZORVAX_HOME, else $XDG_CONFIG_HOME/zorvax, else
// ~/.config/zorvax (ANSI).
std::string defaultHome();
// The user's download folder (ANSI): XDG_DOWNLOAD_DIR of configHome/user-dirs.dirs, with
// $HOME replaced by userHome, else userHome/Downloads. Not created here.
std::string userDownloadDirectory(FileSystem& fs, std::string_view userHome, std::string_view configHome);
// The same for the process's environment (HOME, XDG_CONFIG_HOME); empty without a home.
std::string userDownloadDirectory(FileSystem& fs);
// HOME/windows, created on demand.
std::string windowsDirectory(FileSystem& fs, std::string_view home);
// Value of `key` in `[section]` of an INI file, or `fallback`; at most capacity-1 characters.
std::string readProfileString(FileSystem& fs, std::string_view section, std::string_view key,
                              std::string_view fallback, std::string_view iniPath, size_t capacity);

}  // namespace zx::platform
