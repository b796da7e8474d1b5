#pragma once
// The body of the download method: from the script call to the placed, opened or offered file.
#include <cstdint>
#include <string>

#include "control/fixed_text.h"

namespace zx {

class CZorvAXCtrl;

std::int32_t downloadFlow(CZorvAXCtrl& control, const std::string& userId, const std::string& sessionId,
                          const std::string& compressed, const std::string& ciphered);

// Copies source to target with progress; on success source is removed and names target.
// Raises FileException when either file cannot be opened.
std::int32_t copyWithProgress(PathText& source, const std::string& target, bool deleteSource);

}  // namespace zx
