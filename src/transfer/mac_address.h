#pragma once
// The network adapters' hardware addresses as one text, as the server receives it in "macAddr".
#include <string>
#include <string_view>

#include "platform/env.h"

namespace zx {

// Two upper-case hexadecimal digits per address byte, adapters joined by ':'; empty text on any
// failure. showMsg "0" keeps every box away but the one for a library that cannot be loaded.
std::string getMACAddr(const platform::Env& env, std::string_view showMsg);

}  // namespace zx
