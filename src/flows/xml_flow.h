#pragma once
// Saving a page's XML document to a local file in the Korean 8-bit encoding, optionally
// pointing its style-sheet instruction at another style sheet.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "core/control_state.h"
#include "platform/env.h"
#include "platform/ole.h"

namespace zx {

// The body of saveXml and saveXmlWithStyle: copies `dom`, edits the copy, asks for the file
// (or makes a temporary one when `dialog` is "0"), writes it and answers 0, -1 or -2.
// The page's document is never changed.
std::int32_t saveXmlDocument(const platform::Env& env, ControlState& control, const std::shared_ptr<ole::Dispatch>& dom,
                             const std::optional<std::string>& stylesheet);

}  // namespace zx
