#pragma once
// The body of the download method: from the script call to the placed, opened or offered file.
#include <cstdint>
#include <string>

#include "core/control_state.h"
#include "platform/env.h"
#include "platform/fixed_text.h"

namespace zx {

// The download method: the flow with the framework's exceptions shown under "다운로드 오류".
std::int32_t download(const platform::Env& env, ControlState& control, const std::string& userId,
                      const std::string& sessionId, const std::string& compressed, const std::string& ciphered);

std::int32_t downloadFlow(const platform::Env& env, ControlState& control, const std::string& userId,
                          const std::string& sessionId, const std::string& compressed, const std::string& ciphered);

// Copies source to target with progress; on success source is removed and names target.
// Raises FileException when either file cannot be opened.
std::int32_t copyWithProgress(const platform::Env& env, PathText& source, const std::string& target,
                              bool deleteSource);

}  // namespace zx
