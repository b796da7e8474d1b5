// The shell's "open" action and the program launcher of the system.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/command_line.h"
#include "platform/shell.h"

#include "platform/win32/system_headers.h"
#include <shellapi.h>

namespace zx::platform {
namespace {

// Whether the folder a program path names exists.
bool folderOfExists(std::string_view program) {
  const size_t separator = program.find_last_of("\\/");
  if (separator == std::string_view::npos) return true;
  const std::string folder(program.substr(0, separator == 0 ? 1 : separator));
  const DWORD attributes = GetFileAttributesA(folder.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

int openWithShell(NativeWindow owner, const char* file, const char* parameters) {
  HINSTANCE result = ShellExecuteA(reinterpret_cast<HWND>(owner), "open", file, parameters, nullptr, SW_SHOW);
  return static_cast<int>(reinterpret_cast<std::intptr_t>(result));
}

}  // namespace

SystemShell::SystemShell() = default;

// ShellExecute answers once the associated program has been started or refused, so there is
// no verdict to wait for and the wait hook is not needed.
int SystemShell::open(std::string_view path, NativeWindow owner, const WaitHook&) {
  std::string file(path);
  return opener_.empty() ? openWithShell(owner, file.c_str(), nullptr)
                         : openWithShell(owner, opener_.c_str(), file.c_str());
}

int SystemShell::openFolder(std::string_view folder, NativeWindow owner, const WaitHook&) {
  return openWithShell(owner, opener_.empty() ? "explorer.exe" : opener_.c_str(), std::string(folder).c_str());
}

// The system takes one command line (platform/command_line.h): the program quoted, so that no
// program at a prefix of its path is started instead, and each argument as the program's
// runtime splits it back.
// WinExec returns once the program has been started or refused: nothing to wait for.
// Windows answers "path not found" for a program in a folder that does not exist; Wine answers
// "file not found" there too, so the folder decides between the two.
int SystemShell::launch(std::string_view program, const std::vector<std::string>& arguments, const WaitHook&) {
  const std::optional<std::string> commandLine = windowsCommandLine(program, arguments);
  if (!commandLine) return launch::kPathNotFound;
  const int result = static_cast<int>(WinExec(commandLine->c_str(), SW_SHOW));
  if (result == ERROR_FILE_NOT_FOUND && !folderOfExists(program)) return ERROR_PATH_NOT_FOUND;
  return result;
}

}  // namespace zx::platform
