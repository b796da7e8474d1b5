#pragma once
// The XML DOM component ("Microsoft.XMLDOM") a page builds its documents with: a document
// object that script hands over as a dispatch object, and whose document interface the control
// reaches through queryInterface. The DOM's strings are UTF-16, as the component's are.
//
// Parsing is hardened: no entity substitution, no DTD loading, no network, no external
// entity ever read, the parser's default size limits, and texts above kMaxXmlDocumentBytes
// refused before parsing.
//
// Threads: a document belongs to the thread that made it.
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/api.h"
#include "platform/fs.h"
#include "platform/ole.h"

namespace zx::platform {

// The largest document text (UTF-8 bytes, or a file's bytes) the component parses.
constexpr std::size_t kMaxXmlDocumentBytes = std::size_t{64} << 20;

// Identity of the document interface below.
ZX_API const ole::Guid& IID_XmlDomDocument();

// The document interface of the component.
class ZX_API XmlDomDocument {
 public:
  virtual ~XmlDomDocument() = default;
  // Loads are always synchronous here; the flag is kept for callers that read it back.
  virtual ole::HRESULT putAsync(bool asynchronous) = 0;
  // Copies this document into `destination`, which must hold another document object.
  virtual ole::HRESULT save(const ole::Variant& destination) = 0;
  // The serialised document; empty text for a document that holds nothing.
  virtual ole::HRESULT getXml(std::u16string& text) = 0;
  // S_OK and loaded = true when the text is a well-formed document within the limits;
  // otherwise S_FALSE, loaded = false, and the document is left empty.
  virtual ole::HRESULT loadXml(std::u16string_view text, bool& loaded) = 0;
  // The error object a failing call left behind (its source and description), if any.
  virtual std::optional<ole::ExcepInfo> errorInfo() const { return std::nullopt; }
};

// The document interface of a script object; nullptr when it is no document (or null).
ZX_API XmlDomDocument* asXmlDomDocument(ole::Dispatch* object);

// A new, empty document of the component.
ZX_API ole::HRESULT createXmlDocument(std::shared_ptr<ole::Dispatch>& document);

// A document holding the XML file at the ANSI path (its encoding taken from the file), for
// hosts that pass a document argument. nullptr when the file cannot be read, is too large or
// is not a well-formed document; *error then says why (UTF-8).
ZX_API std::shared_ptr<ole::Dispatch> createXmlDocumentFromFile(FileSystem& fs, std::string_view ansiPath,
                                                         std::string* error = nullptr);

}  // namespace zx::platform
