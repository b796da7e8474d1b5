#include "platform/system_message.h"

namespace zx::platform {
namespace {

struct SystemMessage {
  std::uint32_t code;
  const char* text;
};

// Linux has no message table of its own: these are the English texts of the Windows system's
// table for the result codes this control meets, each ending with the line break the system
// puts after its messages.
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

}  // namespace

std::optional<std::string> systemMessageText(std::uint32_t code) {
  for (const auto& m : kSystemMessages)
    if (m.code == code) return std::string(m.text);
  return std::nullopt;
}

}  // namespace zx::platform
