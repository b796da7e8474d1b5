#include <libxml/parser.h>
#include <libxml/xmlsave.h>

#include <cstdio>
#include <mutex>

#include "platform/codepage.h"
#include "platform/fs.h"
#include "platform/xmldom.h"

namespace zx::platform {
namespace {

// No XML_PARSE_NOENT (entity references stay references), no XML_PARSE_DTDLOAD or DTDATTR
// (no external subset is read), XML_PARSE_NONET, and no XML_PARSE_HUGE, so the parser keeps
// its limits on text size, depth and entity amplification. Short texts are kept inside their
// nodes (XML_PARSE_COMPACT) to hold the tree near twelve times the size of its text.
// Messages go to the context only.
constexpr int kParseOptions = XML_PARSE_NONET | XML_PARSE_COMPACT | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;

// Defence in depth: whatever a document declares, this process reads no external entity.
xmlParserInputPtr refuseExternalEntity(const char*, const char*, xmlParserCtxtPtr) { return nullptr; }

void initialiseParser() {
  static std::once_flag once;
  std::call_once(once, [] {
    xmlInitParser();
    xmlSetExternalEntityLoader(refuseExternalEntity);
  });
}

struct DocDeleter {
  void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};
using DocPtr = std::unique_ptr<xmlDoc, DocDeleter>;

struct ParseResult {
  DocPtr doc;
  std::string error;  // UTF-8
};

// `forcedEncoding` null: the bytes say their encoding themselves (BOM or declaration).
ParseResult parse(std::string_view bytes, const char* forcedEncoding) {
  initialiseParser();
  if (bytes.size() > kMaxXmlDocumentBytes) return {nullptr, "the document is larger than 64 MiB"};
  std::unique_ptr<xmlParserCtxt, decltype(&xmlFreeParserCtxt)> context(xmlNewParserCtxt(), xmlFreeParserCtxt);
  if (!context) return {nullptr, "out of memory"};
  DocPtr doc(xmlCtxtReadMemory(context.get(), bytes.data(), static_cast<int>(bytes.size()), nullptr, forcedEncoding,
                               kParseOptions));
  if (doc && context->wellFormed) return {std::move(doc), {}};
  const xmlError* error = xmlCtxtGetLastError(context.get());
  std::string message = error && error->message ? error->message : "not a well-formed document";
  while (!message.empty() && message.back() == '\n') message.pop_back();
  return {nullptr, message};
}

// Whether a text begins with an XML declaration ("<?xml" and a blank), after a byte-order
// mark. The component writes a declaration only for a document that had one.
bool startsWithDeclaration(std::string_view bytes) {
  std::string head;
  if (bytes.starts_with("\xEF\xBB\xBF")) {
    head = bytes.substr(3, 6);
  } else if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) {
    // UTF-16: the ASCII byte of each pair, little- or big-endian.
    for (size_t i = bytes[0] == '\xFF' ? 2 : 3; i < bytes.size() && head.size() < 6; i += 2) head += bytes[i];
  } else {
    head = bytes.substr(0, 6);
  }
  return head.size() == 6 && head.starts_with("<?xml") && std::string_view(" \t\r\n").find(head[5]) != std::string_view::npos;
}

// Version and standalone only: the component's text is UTF-16, so it names no encoding.
std::string declarationOf(const xmlDoc& doc) {
  std::string text = "<?xml version=\"";
  text += doc.version ? reinterpret_cast<const char*>(doc.version) : "1.0";
  text += '"';
  if (doc.standalone == 1) text += " standalone=\"yes\"";
  if (doc.standalone == 0) text += " standalone=\"no\"";
  return text + "?>\n";
}

int appendTo(void* target, const char* bytes, int length) {
  static_cast<std::string*>(target)->append(bytes, static_cast<size_t>(length));
  return length;
}

// The declaration is written here, when the document has one, so that it names no encoding
// while the body is produced as UTF-8 (for the conversion to UTF-16) without character
// references.
std::string serialise(xmlDoc& doc, bool withDeclaration) {
  std::string text = withDeclaration ? declarationOf(doc) : std::string();
  xmlSaveCtxtPtr save = xmlSaveToIO(appendTo, nullptr, &text, "UTF-8", XML_SAVE_NO_DECL);
  if (!save) return {};
  xmlSaveDoc(save, &doc);
  xmlSaveClose(save);
  return text;
}

bool equalsIgnoringCase(std::u16string_view a, std::u16string_view b) {
  auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; };
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (lower(a[i]) != lower(b[i])) return false;
  return true;
}

// The members script reaches by name; the numbers are this object's own.
enum Member : ole::DISPID { kAsync = 1, kXml, kLoadXml, kSave };
struct MemberName {
  std::u16string_view name;
  Member member;
};
constexpr MemberName kMembers[] = {{u"async", kAsync}, {u"xml", kXml}, {u"loadXML", kLoadXml}, {u"save", kSave}};

class LibxmlDocument final : public ole::Dispatch, public XmlDomDocument {
 public:
  ole::HRESULT putAsync(bool asynchronous) override {
    async_ = asynchronous;
    return ole::S_OK;
  }

  ole::HRESULT save(const ole::Variant& destination) override {
    XmlDomDocument* target = destination.type() == ole::Variant::Type::Dispatch
                                 ? asXmlDomDocument(destination.dispatchValue().get())
                                 : nullptr;
    if (!target) {
      error_ = ole::ExcepInfo{u"xmldom", u"The destination of save is not an XML document.", ole::E_INVALIDARG};
      return ole::E_INVALIDARG;
    }
    std::u16string text;
    getXml(text);
    bool loaded = false;  // an empty document copies as an empty one
    const ole::HRESULT code = target->loadXml(text, loaded);
    return ole::failed(code) ? code : ole::S_OK;
  }

  ole::HRESULT getXml(std::u16string& text) override {
    text = doc_ ? utf8ToUtf16(serialise(*doc_, hasDeclaration_)) : std::u16string();
    return ole::S_OK;
  }

  ole::HRESULT loadXml(std::u16string_view text, bool& loaded) override {
    const std::string utf8 = utf16ToUtf8(text);
    return adopt(parse(utf8, "UTF-8"), startsWithDeclaration(utf8), loaded);
  }

  ole::HRESULT loadBytes(std::string_view bytes, bool& loaded) {
    return adopt(parse(bytes, nullptr), startsWithDeclaration(bytes), loaded);
  }

  const std::string& parseError() const { return parseError_; }

  std::optional<ole::ExcepInfo> errorInfo() const override { return error_; }

  void* queryInterface(const ole::Guid& iid) override {
    return iid == IID_XmlDomDocument() ? static_cast<XmlDomDocument*>(this) : nullptr;
  }

  ole::HRESULT getIDsOfNames(const ole::Guid& iid, const std::vector<std::u16string>& names, ole::LCID,
                             std::vector<ole::DISPID>& dispids) override {
    if (!(iid == ole::IID_NULL())) return ole::DISP_E_UNKNOWNINTERFACE;
    dispids.assign(names.size(), -1);
    bool allFound = true;
    for (size_t i = 0; i < names.size(); ++i) {
      for (const MemberName& entry : kMembers)
        if (equalsIgnoringCase(names[i], entry.name)) dispids[i] = entry.member;
      allFound = allFound && dispids[i] != -1;
    }
    return allFound ? ole::S_OK : ole::DISP_E_UNKNOWNNAME;
  }

  ole::HRESULT invoke(ole::DISPID dispid, const ole::Guid&, ole::LCID, std::uint16_t flags,
                      const std::vector<ole::Variant>& args, ole::Variant* result, ole::ExcepInfo*) override {
    const bool put = flags & ole::DISPATCH_PROPERTYPUT;
    const size_t arity = dispid == kXml || (dispid == kAsync && !put) ? 0 : 1;
    if (dispid < kAsync || dispid > kSave) return ole::DISP_E_MEMBERNOTFOUND;
    if (args.size() != arity) return ole::DISP_E_BADPARAMCOUNT;
    ole::Variant answer;
    ole::HRESULT code = ole::S_OK;
    switch (dispid) {
      case kAsync:
        if (put) {
          const auto value = args[0].asInt();
          if (!value) return ole::DISP_E_TYPEMISMATCH;
          code = putAsync(*value != 0);
        } else {
          answer = ole::Variant::fromInt(async_ ? -1 : 0);
        }
        break;
      case kXml: {
        std::u16string text;
        code = getXml(text);
        answer = ole::Variant::fromString(std::move(text));
        break;
      }
      case kLoadXml: {
        const auto text = args[0].asString();
        if (!text) return ole::DISP_E_TYPEMISMATCH;
        bool loaded = false;
        code = loadXml(*text, loaded);
        answer = ole::Variant::fromInt(loaded ? -1 : 0);  // the script's true is -1
        break;
      }
      case kSave:
        code = save(args[0]);
        break;
    }
    if (result) *result = std::move(answer);
    return code;
  }

 private:
  ole::HRESULT adopt(ParseResult result, bool hasDeclaration, bool& loaded) {
    error_.reset();
    doc_ = std::move(result.doc);
    hasDeclaration_ = hasDeclaration;
    parseError_ = std::move(result.error);
    loaded = doc_ != nullptr;
    return loaded ? ole::S_OK : ole::S_FALSE;
  }

  DocPtr doc_;
  bool hasDeclaration_ = false;
  bool async_ = true;
  std::string parseError_;
  std::optional<ole::ExcepInfo> error_;
};

std::optional<std::string> readWholeFile(FileSystem& fs, std::string_view ansiPath, std::string* error) {
  const auto size = fs.fileSize(ansiPath);
  File opened = fs.open(ansiPath, "rb");
  if (!size || !opened.isOpen()) {
    if (error) *error = "cannot read the file";
    return std::nullopt;
  }
  if (*size > kMaxXmlDocumentBytes) {
    if (error) *error = "the document is larger than 64 MiB";
    return std::nullopt;
  }
  std::string bytes(*size, '\0');
  bytes.resize(opened.read(bytes.data(), bytes.size()));
  if (opened.failed()) {
    if (error) *error = "cannot read the file";
    return std::nullopt;
  }
  return bytes;
}

}  // namespace

ole::HRESULT createXmlDocument(std::shared_ptr<ole::Dispatch>& document) {
  document = std::make_shared<LibxmlDocument>();
  return ole::S_OK;
}

std::shared_ptr<ole::Dispatch> createXmlDocumentFromFile(FileSystem& fs, std::string_view ansiPath, std::string* error) {
  const auto bytes = readWholeFile(fs, ansiPath, error);
  if (!bytes) return nullptr;
  auto document = std::make_shared<LibxmlDocument>();
  bool loaded = false;
  document->loadBytes(*bytes, loaded);
  if (!loaded) {
    if (error) *error = document->parseError();
    return nullptr;
  }
  return document;
}

}  // namespace zx::platform
