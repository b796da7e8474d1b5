#pragma once
// The control's ANSI text (code page 949) and the system's UTF-16 window texts.
#include <string>
#include <string_view>

#include "platform/win32/system_headers.h"

namespace zx::platform {

std::wstring wideText(std::string_view ansiText);
std::string ansiText(std::wstring_view wide);
// A window's text (a caption, an item's label) as ANSI text.
std::string windowText(HWND window);

}  // namespace zx::platform
