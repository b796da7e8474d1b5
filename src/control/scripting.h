#pragma once
// The scripting boundary: script strings (UTF-16) in and out.
#include <string>
#include <string_view>

namespace zx {

// 8-bit ANSI text to a new script string of exactly the converted length.
std::u16string toScriptString(std::string_view text);
std::string fromScriptString(std::u16string_view text);

}  // namespace zx
