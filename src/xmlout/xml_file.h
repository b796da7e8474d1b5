#pragma once
// An XML document of the DOM component written to a local file in the Korean 8-bit encoding.
#include <optional>
#include <string>

#include "platform/env.h"
#include "platform/ole.h"
#include "platform/xmldom.h"

namespace zx {

// A DOM call that failed, with the error object it left behind. It ends the saving at once, as
// an exception of the component's would.
struct DomFailure {
  ole::HRESULT code;
  std::optional<ole::ExcepInfo> info;
};

// Raises DomFailure when `code` is a failure.
void checkDom(ole::HRESULT code, const platform::XmlDomDocument* document);

// The document's serialised text as the control's 8-bit text; DomFailure when it cannot be read.
std::string xmlTextOf(platform::XmlDomDocument& document);

// Writes the document's text, declaring euc-kr, as 8-bit bytes to `path`. False when the
// file cannot be created (no message) or cannot be written (after a short box).
bool writeXmlFile(const platform::Env& env, platform::XmlDomDocument& document, const std::string& path);

}  // namespace zx
