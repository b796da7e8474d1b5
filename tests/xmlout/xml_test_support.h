#pragma once
// Documents of the DOM component for the XML output tests, made from and read as UTF-8.
#include <memory>
#include <string>

#include "platform/codepage.h"
#include "platform/xmldom.h"

namespace zx::test {

// A document loaded from the text; nullptr when the text does not load.
inline std::shared_ptr<ole::Dispatch> documentFromUtf8(const std::string& utf8) {
  std::shared_ptr<ole::Dispatch> document;
  platform::createXmlDocument(document);
  bool loaded = false;
  platform::asXmlDomDocument(document.get())->loadXml(platform::utf8ToUtf16(utf8), loaded);
  return loaded ? document : nullptr;
}

inline std::string xmlOf(ole::Dispatch& document) {
  std::u16string text;
  platform::asXmlDomDocument(&document)->getXml(text);
  return platform::utf16ToUtf8(text);
}

}  // namespace zx::test
