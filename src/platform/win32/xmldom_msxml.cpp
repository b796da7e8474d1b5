// The system's XML DOM: documents of the component "Microsoft.XMLDOM", reached through their
// document interface. Loading is synchronous and reads no external entity, DTD or schema.
#include <string>

#include "platform/codepage.h"
#include "platform/win32/msxml_document.h"
#include "platform/win32/ole_win32.h"
#include "platform/xmldom.h"

#include "platform/win32/system_headers.h"
#include <msxml.h>
#include <oleauto.h>

namespace zx::platform {
namespace {

std::u16string textOf(BSTR text) {
  return text ? std::u16string(reinterpret_cast<const char16_t*>(text), SysStringLen(text)) : std::u16string();
}

// A BSTR that frees itself.
class SystemString {
 public:
  explicit SystemString(std::u16string_view text)
      : text_(SysAllocStringLen(reinterpret_cast<const wchar_t*>(text.data()), static_cast<UINT>(text.size()))) {}
  ~SystemString() { SysFreeString(text_); }
  SystemString(const SystemString&) = delete;
  SystemString& operator=(const SystemString&) = delete;
  BSTR get() const { return text_; }

 private:
  BSTR text_;
};

// The error object the failing call left behind, if any.
std::optional<ole::ExcepInfo> takeErrorInfo(HRESULT code) {
  IErrorInfo* info = nullptr;
  if (GetErrorInfo(0, &info) != S_OK || !info) return std::nullopt;
  BSTR source = nullptr, description = nullptr;
  info->GetSource(&source);
  info->GetDescription(&description);
  ole::ExcepInfo excep{textOf(source), textOf(description), code};
  SysFreeString(source);
  SysFreeString(description);
  info->Release();
  return excep;
}

class MsxmlDocument : public XmlDomDocument {
 public:
  explicit MsxmlDocument(IXMLDOMDocument* document) : document_(document) {}
  ~MsxmlDocument() override { document_->Release(); }
  MsxmlDocument(const MsxmlDocument&) = delete;
  MsxmlDocument& operator=(const MsxmlDocument&) = delete;

  ole::HRESULT putAsync(bool asynchronous) override {
    return noted(document_->put_async(asynchronous ? VARIANT_TRUE : VARIANT_FALSE));
  }

  ole::HRESULT save(const ole::Variant& destination) override {
    VARIANT target;
    HRESULT hr = win32::toVariant(destination, &target);
    if (SUCCEEDED(hr)) hr = document_->save(target);
    VariantClear(&target);
    if (SUCCEEDED(hr)) hr = completeCopy(destination);
    return noted(hr);
  }

  ole::HRESULT getXml(std::u16string& text) override {
    BSTR xml = nullptr;
    HRESULT hr = document_->get_xml(&xml);
    text = textOf(xml);
    SysFreeString(xml);
    if (!declaration_.empty() && text.starts_with(kPlainDeclaration))
      text.replace(0, std::char_traits<char16_t>::length(kPlainDeclaration), declaration_);
    return noted(hr);
  }

  ole::HRESULT loadXml(std::u16string_view text, bool& loaded) override {
    loaded = false;
    declaration_.clear();
    // The same limit as a file's bytes, counted in the UTF-8 the text would take at least.
    if (text.size() > kMaxXmlDocumentBytes) return S_FALSE;
    HRESULT hr = parse(text, loaded);
    // A text is Unicode already, and Windows' DOM ignores the encoding its declaration names;
    // Wine's refuses such a text. It is parsed without the name, which the document keeps.
    if (hr == S_FALSE) {
      const size_t end = text.find(u"?>");
      if (text.starts_with(u"<?xml ") && end != std::u16string_view::npos &&
          text.substr(0, end).find(u"encoding") != std::u16string_view::npos) {
        std::u16string bare = std::u16string(kPlainDeclaration) + std::u16string(text.substr(end + 2));
        hr = parse(bare, loaded);
        if (loaded) declaration_ = text.substr(0, end + 2);
      }
    }
    return noted(hr);
  }

  std::optional<ole::ExcepInfo> errorInfo() const override { return error_; }

  // Loads the file at the path; false when it is not a well-formed document.
  bool loadFile(std::string_view ansiPath) {
    hardenParser();
    VARIANT path;
    VariantInit(&path);
    std::u16string wide = ansiToUtf16(ansiPath);
    V_VT(&path) = VT_BSTR;
    V_BSTR(&path) = SysAllocStringLen(reinterpret_cast<const wchar_t*>(wide.data()), static_cast<UINT>(wide.size()));
    VARIANT_BOOL success = VARIANT_FALSE;
    HRESULT hr = document_->load(path, &success);
    VariantClear(&path);
    return hr == S_OK && success == VARIANT_TRUE;
  }

 private:
  static constexpr const char16_t* kPlainDeclaration = u"<?xml version=\"1.0\"?>";

  HRESULT parse(std::u16string_view text, bool& loaded) {
    hardenParser();
    SystemString xml(text);
    VARIANT_BOOL success = VARIANT_FALSE;
    HRESULT hr = document_->loadXML(xml.get(), &success);
    loaded = hr == S_OK && success == VARIANT_TRUE;
    return hr;
  }

  // Windows' DOM saved into another document copies itself there; Wine's answers S_OK and
  // leaves the other document empty, so the copy is made from this document's text.
  HRESULT completeCopy(const ole::Variant& destination) {
    XmlDomDocument* copy = asXmlDomDocument(destination.dispatchValue().get());
    std::u16string mine, theirs;
    if (!copy || FAILED(getXml(mine)) || mine.empty() || FAILED(copy->getXml(theirs)) || !theirs.empty()) return S_OK;
    bool loaded = false;
    HRESULT hr = copy->loadXml(mine, loaded);
    return loaded ? S_OK : (FAILED(hr) ? hr : E_FAIL);
  }

  void hardenParser() {
    document_->put_async(VARIANT_FALSE);
    document_->put_resolveExternals(VARIANT_FALSE);
    document_->put_validateOnParse(VARIANT_FALSE);
  }

  HRESULT noted(HRESULT hr) {
    if (FAILED(hr)) error_ = takeErrorInfo(hr);
    return hr;
  }

  IXMLDOMDocument* document_;
  std::optional<ole::ExcepInfo> error_;
  // The declaration a loaded text had, where the parser had to be given the text without it.
  std::u16string declaration_;
};

}  // namespace

namespace win32 {

std::unique_ptr<XmlDomDocument> msxmlDocumentOf(IDispatch* object) {
  IXMLDOMDocument* document = nullptr;
  if (!object || FAILED(object->QueryInterface(IID_IXMLDOMDocument, reinterpret_cast<void**>(&document))))
    return nullptr;
  return std::make_unique<MsxmlDocument>(document);
}

}  // namespace win32

ole::HRESULT createXmlDocument(std::shared_ptr<ole::Dispatch>& document) {
  document.reset();
  CLSID component;
  HRESULT hr = CLSIDFromProgID(L"Microsoft.XMLDOM", &component);
  if (FAILED(hr)) return hr;
  IDispatch* object = nullptr;
  hr = CoCreateInstance(component, nullptr, CLSCTX_ALL, IID_IDispatch, reinterpret_cast<void**>(&object));
  if (FAILED(hr)) return hr;
  document = win32::wrapDispatch(object);
  object->Release();
  return S_OK;
}

std::shared_ptr<ole::Dispatch> createXmlDocumentFromFile(FileSystem& fs, std::string_view ansiPath, std::string* error) {
  auto size = fs.fileSize(ansiPath);
  auto refuse = [error](const char* why) -> std::shared_ptr<ole::Dispatch> {
    if (error) *error = why;
    return nullptr;
  };
  if (!size) return refuse("the file cannot be read");
  if (*size > kMaxXmlDocumentBytes) return refuse("the document is larger than 64 MiB");
  std::shared_ptr<ole::Dispatch> document;
  if (FAILED(createXmlDocument(document))) return refuse("the XML DOM component cannot be created");
  auto* loader = static_cast<MsxmlDocument*>(asXmlDomDocument(document.get()));
  if (!loader || !loader->loadFile(ansiPath)) return refuse("not a well-formed document");
  return document;
}

}  // namespace zx::platform
