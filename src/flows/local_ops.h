#pragma once
// What the control does on the local machine without the server: the last file, text files,
// the companion program.
#include <cstdint>
#include <string>

#include "core/control_state.h"
#include "platform/env.h"

namespace zx {

// Opens Filename with the shell; tells the user when nothing opens it.
void showFile(const platform::Env& env, const ControlState& control);
// Deletes the last transferred file when Filename still names it; the last file is forgotten.
void removeFile(const platform::Env& env, ControlState& control);
// Writes the text into the file the user picks (or Filename, or a fresh temporary file):
// 0, -1 after telling the user, -2 when the user cancelled.
std::int32_t saveFile(const platform::Env& env, ControlState& control, const std::string& str);
// Starts the companion program for Package; the launcher's result.
std::int32_t runCompanion(const platform::Env& env, const ControlState& control);

}  // namespace zx
