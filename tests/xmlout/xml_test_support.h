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

// The text without the white space (blanks, tabs, line ends) that lies between one tag's '>' and
// the next tag's '<', or after the last tag.
inline std::string withoutSpaceBetweenTags(const std::string& xml) {
  std::string out;
  size_t at = 0;
  while (at < xml.size()) {
    const size_t close = xml.find('>', at);
    if (close == std::string::npos) return out + xml.substr(at);
    out += xml.substr(at, close + 1 - at);
    size_t next = xml.find_first_not_of(" \t\r\n", close + 1);
    if (next != std::string::npos && xml[next] != '<') next = close + 1;
    at = next == std::string::npos ? xml.size() : next;
  }
  return out;
}

inline std::string xmlOf(ole::Dispatch& document) {
  std::u16string text;
  platform::asXmlDomDocument(&document)->getXml(text);
  return platform::utf16ToUtf8(text);
}

}  // namespace zx::test
