#include "core/messages.h"

#include <cstdarg>
#include <cstdio>

#include "core/config_store.h"
#include "platform/codepage.h"
#include "platform/system_message.h"

namespace zx {

namespace mb = platform::mb;
using platform::Owner;

int showErrorBox(platform::Ui& ui, Owner owner, std::string_view caption, const char* format, ...) {
  char text[2048];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  return ui.messageBox(owner, caption, text, mb::MB_ICONHAND | mb::MB_TASKMODAL);
}

int showDebugBox(platform::Ui& ui, std::string text) {
  return ui.messageBox(Owner::None, "DEBUG", text, mb::MB_TASKMODAL);
}

int showBox(platform::Ui& ui, std::string text, std::string caption) {
  return ui.messageBox(Owner::None, caption, text, mb::MB_TASKMODAL);
}

int controlBox(platform::Ui& ui, std::string_view text, std::string_view caption, unsigned flags) {
  return ui.messageBox(Owner::Control, caption, text, flags);
}

const char* applicationTitle() { return "ZORVAX"; }

std::string diskAdvice() { return ansi("디스크 여유 공간을 확인하시고, 이상이 없으면 다시 시도 하십시오."); }

int applicationBox(platform::Ui& ui, std::string_view text) {
  return ui.messageBox(Owner::None, applicationTitle(), text, mb::MB_OK);
}

std::string comErrorText(ole::HRESULT code) {
  auto value = static_cast<std::uint32_t>(code);
  if (std::optional<std::string> message = platform::systemMessageText(value)) {
    std::string text = std::move(*message);
    if (text.size() > 1 && text.back() == '\n') {
      text.pop_back();
      if (!text.empty() && text.back() == '\r') text.pop_back();
    }
    return text;
  }
  char text[32];
  if (value >= 0x80040200 && value <= 0x8004FFFF && value - 0x80040200 != 0)
    std::snprintf(text, sizeof text, "IDispatch error #%d", static_cast<int>(value - 0x80040200));
  else
    std::snprintf(text, sizeof text, "Unknown error 0x%0lX", static_cast<unsigned long>(value));
  return text;
}

bool isDebugEnabled(platform::Registry& registry) { return readConfigFlag(registry, "debug", false); }

}  // namespace zx
