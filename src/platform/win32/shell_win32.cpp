// The shell's "open" action and the program launcher of the system.
#include <cstdint>
#include <string>

#include "platform/shell.h"

#include "platform/win32/system_headers.h"
#include <shellapi.h>

namespace zx::platform {
namespace {

int openWithShell(const char* file, const char* parameters) {
  HINSTANCE result = ShellExecuteA(nullptr, "open", file, parameters, nullptr, SW_SHOW);
  return static_cast<int>(reinterpret_cast<std::intptr_t>(result));
}

}  // namespace

// ShellExecute answers once the associated program has been started or refused, so there is
// no verdict to wait for and the wait hook is not needed.
int SystemShell::open(std::string_view path, const WaitHook&) {
  return openWithShell(std::string(path).c_str(), nullptr);
}

int SystemShell::openFolder(std::string_view folder, const WaitHook&) {
  return openWithShell("explorer.exe", std::string(folder).c_str());
}

int SystemShell::launch(std::string_view commandLine) {
  return static_cast<int>(WinExec(std::string(commandLine).c_str(), SW_SHOW));
}

}  // namespace zx::platform
