#include "platform/xmldom.h"

namespace zx::platform {

const ole::Guid& IID_XmlDomDocument() {
  static const ole::Guid iid = ole::Guid::constant("{5E3C4A71-2B9D-4F08-A6E1-7C0D93B24F58}");
  return iid;
}

XmlDomDocument* asXmlDomDocument(ole::Dispatch* object) {
  return object ? static_cast<XmlDomDocument*>(object->queryInterface(IID_XmlDomDocument())) : nullptr;
}

}  // namespace zx::platform
