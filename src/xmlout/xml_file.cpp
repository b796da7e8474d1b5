#include "xmlout/xml_file.h"

#include "core/file_helpers.h"
#include "core/messages.h"
#include "platform/codepage.h"
#include "platform/fs.h"
#include "xmlout/xml_text.h"

namespace zx {

void checkDom(ole::HRESULT code, const platform::XmlDomDocument* document) {
  if (ole::failed(code)) throw DomFailure{code, document ? document->errorInfo() : std::nullopt};
}

std::string xmlTextOf(platform::XmlDomDocument& document) {
  std::u16string xml;
  checkDom(document.getXml(xml), &document);
  return platform::utf16ToAnsi(xml);
}

bool writeXmlFile(const platform::Env& env, platform::XmlDomDocument& document, const std::string& path) {
  const std::string text = withEucKrDeclaration(xmlTextOf(document));
  // An existing file is replaced only by the whole document.
  ReplacementFile file(env.fs, path);
  if (!file.isOpen()) return false;
  const bool written = file.file().write(text) && file.commit();
  if (!written) applicationBox(env.ui, ansi("파일을 저장하는 중 에러가 발생했습니다."));
  return written;
}

}  // namespace zx
