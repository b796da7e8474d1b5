#pragma once
// Saving a page's XML document to a local file in the Korean 8-bit encoding, optionally
// pointing its style-sheet instruction at another style sheet.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/ole.h"
#include "platform/xmldom.h"

namespace zx {

class CZorvAXCtrl;

// The body of saveXml and saveXmlWithStyle: copies `dom`, edits the copy, asks for the file
// (or makes a temporary one when `dialog` is "0"), writes it and answers 0, -1 or -2.
// The page's document is never changed.
std::int32_t saveXmlDocument(CZorvAXCtrl& control, const std::shared_ptr<ole::Dispatch>& dom,
                             const std::optional<std::string>& stylesheet);

// Writes the document's text, declaring euc-kr, as 8-bit bytes to `path`. False when the
// file cannot be created (no message) or cannot be written (after a short box).
bool writeXmlFile(platform::XmlDomDocument& document, const std::string& path);

}  // namespace zx
