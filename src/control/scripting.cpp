#include "control/scripting.h"

#include "platform/codepage.h"

namespace zx {

std::u16string toScriptString(std::string_view text) { return platform::ansiToUtf16(text); }

std::string fromScriptString(std::u16string_view text) { return platform::utf16ToAnsi(text); }

}  // namespace zx
