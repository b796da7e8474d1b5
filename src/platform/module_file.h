#pragma once
// The file of the module (libzorvax) this code is linked into, as the registration entries
// name it.
#include <string>

namespace zx::platform {

// The module's full path as ANSI text; empty when the system cannot say.
std::string moduleFileName();

}  // namespace zx::platform
