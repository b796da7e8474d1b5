#pragma once
// The document interface over the system's XML DOM (MSXML) object.
#include <memory>

#include "platform/xmldom.h"

#include "platform/win32/system_headers.h"
#include <oaidl.h>

namespace zx::platform::win32 {

// nullptr when the object is no XML document of the system's DOM.
std::unique_ptr<XmlDomDocument> msxmlDocumentOf(IDispatch* object);

}  // namespace zx::platform::win32
