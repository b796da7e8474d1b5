#include "platform/win32/win32_text.h"

#include "platform/codepage.h"

namespace zx::platform {

std::wstring wideText(std::string_view ansiText) {
  std::u16string text = ansiToUtf16(ansiText);
  return std::wstring(text.begin(), text.end());
}

std::string ansiText(std::wstring_view wide) {
  return utf16ToAnsi(std::u16string(wide.begin(), wide.end()));
}

std::string windowText(HWND window) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return ansiText(text);
}

}  // namespace zx::platform
