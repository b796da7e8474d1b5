#include "core/messages.h"

#include <cstdarg>
#include <cstdio>

#include "core/config_store.h"
#include "platform/codepage.h"

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

namespace {

struct SystemMessage {
  std::uint32_t code;
  const char* text;
};

// The system's message table for the result codes this control meets; each text ends with
// the line break the system puts after its messages.
const SystemMessage kSystemMessages[] = {
    {0x80004001, "Not implemented\r\n"},
    {0x80004002, "No such interface supported\r\n"},
    {0x80004003, "Invalid pointer\r\n"},
    {0x80004004, "Operation aborted\r\n"},
    {0x80004005, "Unspecified error\r\n"},
    {0x8000FFFF, "Catastrophic failure\r\n"},
    {0x80070002, "The system cannot find the file specified.\r\n"},
    {0x80070003, "The system cannot find the path specified.\r\n"},
    {0x80070005, "Access is denied.\r\n"},
    {0x8007000E, "Not enough memory resources are available to complete this operation.\r\n"},
    {0x80070057, "The parameter is incorrect.\r\n"},
    {0x80020001, "Unknown interface.\r\n"},
    {0x80020003, "Member not found.\r\n"},
    {0x80020004, "Parameter not found.\r\n"},
    {0x80020005, "Type mismatch.\r\n"},
    {0x80020006, "Unknown name.\r\n"},
    {0x80020009, "Exception occurred.\r\n"},
    {0x8002000E, "Invalid number of parameters.\r\n"},
    {0x80040111, "ClassFactory cannot supply requested class\r\n"},
    {0x80040154, "Class not registered\r\n"},
    {0x800401F3, "Invalid class string\r\n"},
    {0x800C0005, "The system cannot locate the resource specified.\r\n"},
    {0x800C0008, "The download of the specified resource has failed.\r\n"},
};

const char* systemMessage(std::uint32_t code) {
  for (const auto& m : kSystemMessages)
    if (m.code == code) return m.text;
  return nullptr;
}

}  // namespace

std::string comErrorText(ole::HRESULT code) {
  auto value = static_cast<std::uint32_t>(code);
  if (const char* message = systemMessage(value)) {
    std::string text = message;
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
