#include "platform/xmldom.h"

#include <gtest/gtest.h>

#include "platform/codepage.h"
#include "support/zx_test.h"
#include "xml_test_support.h"

namespace zx::platform {
namespace {

using zx::test::documentFromUtf8;
using zx::test::xmlOf;

TEST(XmlDom, SerialisesADeclarationOnlyWhenTheDocumentHasOneAndNeverItsEncoding) {
  EXPECT_EQ(xmlOf(*documentFromUtf8("<r a='1'>x</r>")), "<r a=\"1\">x</r>\n");
  EXPECT_EQ(xmlOf(*documentFromUtf8("<?xml version=\"1.0\"?><r/>")), "<?xml version=\"1.0\"?>\n<r/>\n");
  // The text is UTF-16, whatever encoding the loaded text named.
  EXPECT_EQ(xmlOf(*documentFromUtf8("<?xml version=\"1.0\" encoding=\"euc-kr\"?><r>한글</r>")),
            "<?xml version=\"1.0\"?>\n<r>한글</r>\n");
  EXPECT_EQ(xmlOf(*documentFromUtf8("<?xml version='1.0' encoding = 'UTF-8' standalone='yes'?><r/>")),
            "<?xml version=\"1.0\" standalone=\"yes\"?>\n<r/>\n");
  // An instruction that merely starts alike is no declaration, and none is added before it.
  EXPECT_EQ(xmlOf(*documentFromUtf8("<?xml-stylesheet href=\"x/old.xsl\"?><doc/>")),
            "<?xml-stylesheet href=\"x/old.xsl\"?>\n<doc/>\n");
}

TEST(XmlDom, KeepsInstructionsCommentsAndTextInOrder) {
  const std::string xml = xmlOf(*documentFromUtf8(
      "<?xml-stylesheet type=\"text/xsl\" href=\"/xsl/doc.xsl\"?><!-- 머리 --><doc><!-- in --><?app x?>"
      "<t>가 &amp; &lt; 나</t>\n  <u/></doc>"));
  EXPECT_EQ(xml,
            "<?xml-stylesheet type=\"text/xsl\" href=\"/xsl/doc.xsl\"?>\n<!-- 머리 -->\n"
            "<doc><!-- in --><?app x?><t>가 &amp; &lt; 나</t>\n  <u/></doc>\n");
}

TEST(XmlDom, SaveCopiesIntoAnotherDocumentAndRefusesOtherDestinations) {
  auto page = documentFromUtf8("<?xml-stylesheet href=\"a/b.xsl\"?><r>원본</r>");
  std::shared_ptr<ole::Dispatch> copy;
  ASSERT_EQ(createXmlDocument(copy), ole::S_OK);
  EXPECT_EQ(xmlOf(*copy), "");
  EXPECT_EQ(asXmlDomDocument(page.get())->save(ole::Variant::fromDispatch(copy)), ole::S_OK);
  EXPECT_EQ(xmlOf(*copy), xmlOf(*page));

  bool loaded = true;
  EXPECT_EQ(asXmlDomDocument(copy.get())->loadXml(u"<other/>", loaded), ole::S_OK);
  EXPECT_NE(xmlOf(*copy), xmlOf(*page));  // two documents, not one

  XmlDomDocument& document = *asXmlDomDocument(page.get());
  EXPECT_EQ(document.save(ole::Variant::fromString(u"/tmp/x.xml")), ole::E_INVALIDARG);
  ASSERT_TRUE(document.errorInfo().has_value());
  EXPECT_FALSE(document.errorInfo()->description.empty());
  EXPECT_EQ(document.save(ole::Variant::fromDispatch(nullptr)), ole::E_INVALIDARG);
}

TEST(XmlDom, AMalformedTextLeavesTheDocumentEmpty) {
  auto document = documentFromUtf8("<r/>");
  XmlDomDocument& dom = *asXmlDomDocument(document.get());
  for (std::u16string_view bad : {u"<r>", u"", u"<a/><b/>", u"text", u"<r>&undeclared;</r>"}) {
    bool loaded = true;
    EXPECT_EQ(dom.loadXml(bad, loaded), ole::S_FALSE);
    EXPECT_FALSE(loaded);
    EXPECT_EQ(xmlOf(*document), "");
  }
}

TEST(XmlDom, ScriptReachesTheDocumentByName) {
  std::shared_ptr<ole::Dispatch> document;
  createXmlDocument(document);
  std::vector<ole::DISPID> ids;
  ASSERT_EQ(document->getIDsOfNames(ole::IID_NULL(), {u"ASYNC", u"loadxml", u"xml", u"Save"}, 0, ids), ole::S_OK);
  EXPECT_EQ(document->getIDsOfNames(ole::IID_NULL(), {u"xml", u"nothing"}, 0, ids), ole::DISP_E_UNKNOWNNAME);

  ASSERT_EQ(document->getIDsOfNames(ole::IID_NULL(), {u"async", u"loadXML", u"xml"}, 0, ids), ole::S_OK);
  ole::Variant result;
  EXPECT_EQ(document->invoke(ids[0], ole::IID_NULL(), 0, ole::DISPATCH_PROPERTYPUT, {ole::Variant::fromInt(0)},
                             nullptr, nullptr),
            ole::S_OK);
  document->invoke(ids[0], ole::IID_NULL(), 0, ole::DISPATCH_PROPERTYGET, {}, &result, nullptr);
  EXPECT_EQ(result.intValue(), 0);
  document->invoke(ids[1], ole::IID_NULL(), 0, ole::DISPATCH_METHOD, {ole::Variant::fromString(u"<a>b</a>")},
                   &result, nullptr);
  EXPECT_EQ(result.intValue(), -1);
  document->invoke(ids[2], ole::IID_NULL(), 0, ole::DISPATCH_PROPERTYGET, {}, &result, nullptr);
  EXPECT_EQ(result.stringValue(), u"<a>b</a>\n");
  EXPECT_EQ(document->invoke(ids[1], ole::IID_NULL(), 0, ole::DISPATCH_METHOD, {}, &result, nullptr),
            ole::DISP_E_BADPARAMCOUNT);
  EXPECT_EQ(document->invoke(99, ole::IID_NULL(), 0, ole::DISPATCH_METHOD, {}, &result, nullptr),
            ole::DISP_E_MEMBERNOTFOUND);
}

TEST(XmlDom, OnlyDocumentsAnswerTheDocumentInterface) {
  std::shared_ptr<ole::Dispatch> document;
  createXmlDocument(document);
  EXPECT_NE(asXmlDomDocument(document.get()), nullptr);
  EXPECT_EQ(asXmlDomDocument(nullptr), nullptr);
  EXPECT_EQ(document->queryInterface(ole::IID_NULL()), nullptr);
}

TEST(XmlDom, LoadsFilesInTheirOwnEncoding) {
  zx::test::TempDir folder;
  const std::string euckr = folder.file("euckr.xml");
  zx::test::writeFile(euckr, "<?xml version=\"1.0\" encoding=\"euc-kr\"?><r>" + ansi("한글") + "</r>");
  std::string error;
  auto document = createXmlDocumentFromFile(test::localFiles(), euckr, &error);
  ASSERT_NE(document, nullptr) << error;
  EXPECT_EQ(xmlOf(*document), "<?xml version=\"1.0\"?>\n<r>한글</r>\n");

  const std::string utf16 = folder.file("utf16.xml");
  zx::test::writeFile(utf16, std::string("\xFF\xFE<\0?\0x\0m\0l\0 \0v\0e\0r\0s\0i\0o\0n\0=\0\"\0001\0.\0000\0\"\0?\0>\0<\0r\0/\0>\0", 52));
  document = createXmlDocumentFromFile(test::localFiles(), utf16, &error);
  ASSERT_NE(document, nullptr) << error;
  EXPECT_EQ(xmlOf(*document), "<?xml version=\"1.0\"?>\n<r/>\n");

  const std::string utf8 = folder.file("plain.xml");
  zx::test::writeFile(utf8, "<r>한글</r>");
  document = createXmlDocumentFromFile(test::localFiles(), utf8, &error);
  ASSERT_NE(document, nullptr) << error;
  EXPECT_EQ(xmlOf(*document), "<r>한글</r>\n");

  zx::test::writeFile(folder.file("bad.xml"), "<r><open></r>");
  EXPECT_EQ(createXmlDocumentFromFile(test::localFiles(), folder.file("bad.xml"), &error), nullptr);
  EXPECT_FALSE(error.empty());
  error.clear();
  EXPECT_EQ(createXmlDocumentFromFile(test::localFiles(), folder.file("missing.xml"), &error), nullptr);
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(createXmlDocumentFromFile(test::localFiles(), folder.path(), &error), nullptr);
}

}  // namespace
}  // namespace zx::platform
