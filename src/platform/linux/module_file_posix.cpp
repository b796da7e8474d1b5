#include <dlfcn.h>

#include <cstdlib>
#include <memory>

#include "platform/codepage.h"
#include "platform/module_file.h"

namespace zx::platform {

std::string moduleFileName() {
  Dl_info info{};
  if (!dladdr(reinterpret_cast<void*>(&moduleFileName), &info) || !info.dli_fname) return {};
  std::unique_ptr<char, decltype(&std::free)> resolved(realpath(info.dli_fname, nullptr), std::free);
  return utf8ToAnsi(resolved ? resolved.get() : info.dli_fname);
}

}  // namespace zx::platform
