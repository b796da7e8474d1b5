// The system's XML DOM: documents of the component "Microsoft.XMLDOM", reached through their
// document interface. Loading is synchronous and reads no external entity, DTD or schema.
#include <optional>
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

using win32::textOf;

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

bool isBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

// The text with the encoding attribute taken out of its declaration; nullopt when it has none.
std::optional<std::u16string> withoutEncodingName(std::u16string_view text) {
  const size_t end = text.find(u"?>");
  if (!text.starts_with(u"<?xml") || end == std::u16string_view::npos) return std::nullopt;
  const size_t name = text.substr(0, end).find(u"encoding");
  if (name == std::u16string_view::npos) return std::nullopt;
  size_t at = name + 8;
  while (at < end && isBlank(text[at])) ++at;
  if (at >= end || text[at] != u'=') return std::nullopt;
  ++at;
  while (at < end && isBlank(text[at])) ++at;
  if (at >= end || (text[at] != u'"' && text[at] != u'\'')) return std::nullopt;
  const size_t close = text.find(text[at], at + 1);
  if (close == std::u16string_view::npos || close >= end) return std::nullopt;
  size_t start = name;
  while (start > 0 && isBlank(text[start - 1])) --start;
  return std::u16string(text.substr(0, start)) + std::u16string(text.substr(close + 1));
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

  // A document's text is Unicode: Windows' DOM names no encoding in it, whatever the document
  // was loaded from, so what the control writes from it can name the code page of its bytes.
  // Wine's keeps the name of an encoding it read; it is taken out here.
  ole::HRESULT getXml(std::u16string& text) override {
    BSTR xml = nullptr;
    HRESULT hr = document_->get_xml(&xml);
    text = textOf(xml);
    SysFreeString(xml);
    if (auto bare = withoutEncodingName(text)) text = std::move(*bare);
    return noted(hr);
  }

  // Windows' DOM ignores the encoding a text's declaration names (the text is Unicode already);
  // Wine's refuses a text naming one it does not know (euc-kr). The text is parsed without it.
  ole::HRESULT loadXml(std::u16string_view text, bool& loaded) override {
    loaded = false;
    // The same limit as a file's bytes, counted in the UTF-8 the text would take at least.
    if (text.size() > kMaxXmlDocumentBytes) return S_FALSE;
    auto bare = withoutEncodingName(text);
    return noted(parse(bare ? std::u16string_view(*bare) : text, loaded));
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
