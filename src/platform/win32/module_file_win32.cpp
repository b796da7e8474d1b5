#include "platform/module_file.h"

#include "platform/win32/system_headers.h"
#include "platform/win32/win32_windows.h"

namespace zx::platform {

std::string moduleFileName() {
  char path[MAX_PATH];
  DWORD length = GetModuleFileNameA(Win32Windows::resourceModule(), path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  return std::string(path, length);
}

}  // namespace zx::platform
