#pragma once
// Modal message boxes with Korean texts, the COM error text, the debug switch.
// Every text here is the control's ANSI text; write Korean literals through zx::ansi().
#include <string>
#include <string_view>

#include "platform/ole.h"
#include "platform/registry.h"
#include "platform/ui.h"

namespace zx {

// printf-style; the text is cut at 2047 characters. Flags MB_ICONHAND | MB_TASKMODAL.
int showErrorBox(platform::Ui& ui, platform::Owner owner, std::string_view caption, const char* format, ...)
    __attribute__((format(printf, 4, 5)));
// Caption "DEBUG", no owner, task-modal.
int showDebugBox(platform::Ui& ui, std::string text);
// No owner, task-modal.
int showBox(platform::Ui& ui, std::string text, std::string caption);
// A box owned by the control's window.
int controlBox(platform::Ui& ui, std::string_view text, std::string_view caption, unsigned flags);
// The application's box: caption is the module's title, MB_OK.
int applicationBox(platform::Ui& ui, std::string_view text);
const char* applicationTitle();

// The advice that ends every box about a file that could not be written.
std::string diskAdvice();

// The system's text for a result code, without its trailing line break.
std::string comErrorText(ole::HRESULT code);

// "debug" = "true" in the root configuration key, read afresh on every call.
bool isDebugEnabled(platform::Registry& registry);

}  // namespace zx
