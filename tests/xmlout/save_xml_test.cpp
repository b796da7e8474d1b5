// saveXml and saveXmlWithStyle end to end: real files in a scratch folder, the scripted user
// answering the file dialog and recording every box.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "core/messages.h"
#include "control/zorvax_ctrl.h"
#include "platform/codepage.h"
#include "doubles/scripted_ui.h"
#include "platform/xmldom.h"
#include "support/zx_test.h"
#include "xml_test_support.h"
#include "flows/xml_flow.h"

namespace zx {
namespace {

namespace mb = platform::mb;
using test::documentFromUtf8;
using test::readFile;
using test::xmlOf;

const char* const kSaveFailedText =
    "XML 파일을 저장하는 중 에러가 발생했습니다.\n디스크 여유 공간을 확인하시고, 이상이 없으면 다시 시도 하십시오.";

// The saved file against the expected bytes. libxml2 (Linux) writes the document's text with a
// line feed after each top-level node, and the file is compared byte for byte; the system's DOM
// on Windows indents elements and ends lines CR LF, so there the white space between tags is
// left out of both sides and the rest is compared byte for byte.
::testing::AssertionResult savedAs(const std::string& path, const std::string& expected) {
  std::string saved = readFile(path), wanted = expected;
#ifdef _WIN32
  saved = test::withoutSpaceBetweenTags(saved);
  wanted = test::withoutSpaceBetweenTags(wanted);
#endif
  if (saved == wanted) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << path << " holds\n" << ::testing::PrintToString(saved) << "\nnot\n"
                                       << ::testing::PrintToString(wanted);
}

class SaveXmlTest : public test::ControlTest {
 protected:
  void SetUp() override {
    ControlTest::SetUp();
    ui = user;
    control = makeControl();
  }

  std::string target(const char* name) const { return out.file(name); }
  std::vector<doubles::UiRecord> recordsOf(const char* kind) const {
    std::vector<doubles::UiRecord> found;
    for (const auto& record : ui->records())
      if (record.kind == kind) found.push_back(record);
    return found;
  }

  test::TempDir out;
  doubles::ScriptedUi* ui = nullptr;
  std::unique_ptr<CZorvAXCtrl> control;
};

TEST_F(SaveXmlTest, WritesTheChosenFileAsEucKrWithTheDeclarationNamingIt) {
  control->Filename = ansi("문서.xml");
  control->FileFilter = "XML (*.xml)|*.xml|All (*.*)|*.*||";
  ui->answerFile(target("out.xml"));
  auto dom = documentFromUtf8("<?xml version=\"1.0\"?><doc><t>한글 문서</t><x>ก</x></doc>");

  EXPECT_EQ(control->saveXml(dom), 0);
  EXPECT_EQ(control->ret, 0);
  EXPECT_EQ(control->Filename, target("out.xml"));
  // "ก" has no place in code page 949 and is lost; the Korean text arrives as its bytes.
  EXPECT_TRUE(savedAs(target("out.xml"), "<?xml version=\"1.0\" encoding=\"euc-kr\"?>\n<doc><t>"
                                          "\xC7\xD1\xB1\xDB \xB9\xAE\xBC\xAD</t><x>?</x></doc>\n"));

  const auto dialogs = recordsOf("file");
  ASSERT_EQ(dialogs.size(), 1u);
  const platform::FileDialogRequest& request = dialogs[0].file;
  EXPECT_TRUE(request.save);
  EXPECT_EQ(request.defaultExtension, ansi("파일저장"));
  EXPECT_EQ(request.initialName, ansi("문서.xml"));
  EXPECT_EQ(request.flags, platform::ofn::OFN_OVERWRITEPROMPT);
  EXPECT_EQ(request.owner, platform::Owner::None);
  ASSERT_EQ(request.filters.size(), 2u);
  EXPECT_EQ(request.filters[0].pattern, "*.xml");
  EXPECT_TRUE(ui->boxes().empty());
}

TEST_F(SaveXmlTest, LabelsTheCodePageBytesTheyAreAndLeavesThePagesDocumentAlone) {
  control->dialog = "0";
  // Whatever the page's text declared, the file holds code page 949 bytes under a declaration
  // that says so.
  for (const char* declaration : {"<?xml version=\"1.0\" encoding=\"euc-kr\"?>", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"}) {
    auto dom = documentFromUtf8(std::string(declaration) + "<r>가</r>");
    const std::string before = xmlOf(*dom);
    EXPECT_EQ(control->saveXmlWithStyle(dom, "new.xsl"), 0);
    EXPECT_TRUE(savedAs(control->Filename, "<?xml version=\"1.0\" encoding=\"euc-kr\"?>\n<r>\xB0\xA1</r>\n"));
    EXPECT_EQ(xmlOf(*dom), before);
  }
  // A document without a declaration gets none, and its instruction at the very start stays.
  auto dom = documentFromUtf8("<?xml-stylesheet type=\"text/xsl\" href=\"x/old.xsl\"?><doc/>");
  EXPECT_EQ(control->saveXmlWithStyle(dom, "new.xsl"), 0);
  EXPECT_TRUE(savedAs(control->Filename, "<?xml-stylesheet type=\"text/xsl\" href=\"x/old.xsl\"?>\n<doc/>\n"));
}

TEST_F(SaveXmlTest, RetargetsTheStyleSheetOfTheCopyOnly) {
  control->dialog = "0";
  auto dom = documentFromUtf8(
      "<?xml version=\"1.0\"?><?xml-stylesheet type=\"text/xsl\" href=\"http://svc/xsl/old.xsl\"?><doc>내용</doc>");
  EXPECT_EQ(control->saveXmlWithStyle(dom, ansi("새양식.xsl")), 0);
  EXPECT_TRUE(savedAs(control->Filename,
            "<?xml version=\"1.0\" encoding=\"euc-kr\"?>\n<?xml-stylesheet type=\"text/xsl\" href=\"http://svc/xsl/" +
                ansi("새양식.xsl") + "\"?>\n<doc>" + ansi("내용") + "</doc>\n"));
  EXPECT_NE(xmlOf(*dom).find("old.xsl"), std::string::npos);

  // The href is not the last attribute: the name after the last '/' before "?>" goes.
  dom = documentFromUtf8("<?xml version=\"1.0\"?><?xml-stylesheet href=\"xsl/old.xsl\" type=\"text/xsl\"?><doc/>");
  EXPECT_EQ(control->saveXmlWithStyle(dom, "new.xsl"), 0);
  EXPECT_TRUE(savedAs(control->Filename, "<?xml version=\"1.0\" encoding=\"euc-kr\"?>\n"
                                         "<?xml-stylesheet href=\"xsl/old.xsl\" type=\"text/new.xsl\"?>\n<doc/>\n"));

  // saveXml leaves the instruction as it is.
  dom = documentFromUtf8("<?xml-stylesheet href=\"xsl/old.xsl\"?><doc/>");
  EXPECT_EQ(control->saveXml(dom), 0);
  EXPECT_NE(readFile(control->Filename).find("xsl/old.xsl"), std::string::npos);
}

TEST_F(SaveXmlTest, AnEditThatWouldBreakTheDocumentIsNotMade) {
  // The only '/' before the instruction's end lies in the comment: cutting there would leave
  // the comment open and the document unreadable.
  control->dialog = "0";
  auto dom = documentFromUtf8("<?xml version=\"1.0\"?><!-- see a/b --><?xml-stylesheet href=\"old.xsl\"?><doc>본문</doc>");
  EXPECT_EQ(control->saveXmlWithStyle(dom, "new.xsl"), 0);
  EXPECT_TRUE(savedAs(control->Filename, "<?xml version=\"1.0\" encoding=\"euc-kr\"?>\n<!-- see a/b -->\n"
                                         "<?xml-stylesheet href=\"old.xsl\"?>\n<doc>" + ansi("본문") + "</doc>\n"));
}

TEST_F(SaveXmlTest, DialogZeroWritesAFreshTemporaryFileNamedByFilename) {
  control->dialog = "0";
  control->Filename = target("ignored.xml");
  EXPECT_EQ(control->saveXml(documentFromUtf8("<?xml version=\"1.0\"?><r/>")), 0);
  const std::string first = control->Filename;
  EXPECT_EQ(std::filesystem::path(first).parent_path(), std::filesystem::path(tmp.path()));
  EXPECT_TRUE(savedAs(first, "<?xml version=\"1.0\" encoding=\"euc-kr\"?>\n<r/>\n"));
  EXPECT_EQ(control->saveXml(documentFromUtf8("<s/>")), 0);
  EXPECT_NE(control->Filename, first);
  EXPECT_TRUE(savedAs(first, "<?xml version=\"1.0\" encoding=\"euc-kr\"?>\n<r/>\n"));
  EXPECT_FALSE(std::filesystem::exists(target("ignored.xml")));
  EXPECT_TRUE(recordsOf("file").empty());

  // Only "0" exactly suppresses the dialog.
  control->dialog = " 0";
  ui->answerFile(target("asked.xml"));
  EXPECT_EQ(control->saveXml(documentFromUtf8("<?xml version=\"1.0\"?><r/>")), 0);
  EXPECT_EQ(recordsOf("file").size(), 1u);
  EXPECT_TRUE(std::filesystem::exists(target("asked.xml")));
}

TEST_F(SaveXmlTest, ACancelledDialogWritesNothing) {
  control->Filename = target("keep.xml");
  ui->answerFile(std::nullopt);
  EXPECT_EQ(control->saveXmlWithStyle(documentFromUtf8("<r/>"), "x.xsl"), -2);
  EXPECT_EQ(control->ret, -2);
  EXPECT_EQ(control->Filename, target("keep.xml"));
  EXPECT_FALSE(std::filesystem::exists(target("keep.xml")));
  EXPECT_EQ(tmp.files(), std::vector<std::string>{}) << "nothing is written";
  EXPECT_TRUE(ui->boxes().empty());
}

TEST_F(SaveXmlTest, AnUnwritableTargetShowsItsBoxesAndFails) {
  // Cannot be created: the caller's box only.
  ui->answerFile(target("no-such-folder/out.xml"));
  EXPECT_EQ(control->saveXml(documentFromUtf8("<r/>")), -1);
  EXPECT_EQ(control->ret, -1);
  auto boxes = ui->boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].owner, platform::Owner::Control);
  EXPECT_EQ(boxes[0].caption, "파일저장");
  EXPECT_EQ(boxes[0].text, kSaveFailedText);
  EXPECT_EQ(boxes[0].flags, mb::MB_TASKMODAL);

#ifndef _WIN32
  // Opens but cannot be written: the short box first, then the caller's. (Linux's device; under
  // Wine the path would reach it only through the drive that maps the Linux root.)
  ui->answerFile("/dev/full");
  EXPECT_EQ(control->saveXml(documentFromUtf8("<r/>")), -1);
  boxes = ui->boxes();
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(boxes[1].owner, platform::Owner::None);
  EXPECT_EQ(boxes[1].caption, applicationTitle());
  EXPECT_EQ(boxes[1].text, "파일을 저장하는 중 에러가 발생했습니다.");
  EXPECT_EQ(boxes[1].flags, mb::MB_OK);
  EXPECT_EQ(boxes[2].text, kSaveFailedText);
#endif
}

#ifndef _WIN32
TEST_F(SaveXmlTest, AFullDiskLeavesTheOldFileAsItWas) {
  test::SmallFileSystem disk("64k");
  if (!disk.mounted()) GTEST_SKIP() << disk.why();
  const std::string path = disk.file("kept.xml");
  test::writeFile(path, "<old/>");
  disk.fillLeaving(8192);
  ui->answerFile(path);
  EXPECT_EQ(control->saveXml(documentFromUtf8("<r>" + std::string(100000, 'x') + "</r>")), -1);
  auto boxes = ui->boxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, "파일을 저장하는 중 에러가 발생했습니다.");
  EXPECT_EQ(boxes[1].text, kSaveFailedText);
  EXPECT_EQ(readFile(path), "<old/>");
  EXPECT_EQ(disk.files(), (std::vector<std::string>{"filler", "kept.xml"})) << "nothing is left beside it";

  ui->answerFile(path);
  EXPECT_EQ(control->saveXml(documentFromUtf8("<r/>")), 0);
  EXPECT_TRUE(savedAs(path, "<r/>\n"));
}
#endif

// A document of some other DOM: fails where it is told to, with the error object it is given.
class ScriptedDocument : public ole::Dispatch, public platform::XmlDomDocument {
 public:
  ole::HRESULT saveResult = ole::S_OK;
  std::u16string xml;
  std::optional<ole::ExcepInfo> error;

  ole::HRESULT putAsync(bool) override { return ole::S_OK; }
  ole::HRESULT save(const ole::Variant&) override { return saveResult; }  // copies nothing
  ole::HRESULT getXml(std::u16string& text) override {
    text = xml;
    return ole::S_OK;
  }
  ole::HRESULT loadXml(std::u16string_view, bool& loaded) override {
    loaded = false;
    return ole::E_NOTIMPL;
  }
  std::optional<ole::ExcepInfo> errorInfo() const override { return error; }
  void* queryInterface(const ole::Guid& iid) override {
    return iid == platform::IID_XmlDomDocument() ? static_cast<platform::XmlDomDocument*>(this) : nullptr;
  }
  ole::HRESULT getIDsOfNames(const ole::Guid&, const std::vector<std::u16string>&, ole::LCID,
                             std::vector<ole::DISPID>&) override {
    return ole::DISP_E_UNKNOWNNAME;
  }
  ole::HRESULT invoke(ole::DISPID, const ole::Guid&, ole::LCID, std::uint16_t, const std::vector<ole::Variant>&,
                      ole::Variant*, ole::ExcepInfo*) override {
    return ole::DISP_E_MEMBERNOTFOUND;
  }
};

// The system's text for a result code, as the report shows it: the control's own copy on Linux,
// the system's message table on Windows (which Wine's table words its own way).
std::string systemText(std::uint32_t code, const char* linuxText) {
#ifdef _WIN32
  (void)linuxText;
  return platform::ansiToUtf8(comErrorText(ole::hr(code)));
#else
  (void)code;
  return linuxText;
#endif
}

std::string report(const char* code, const std::string& text, const char* source, const char* description) {
  return std::string("전자문서 내려받는 중 에러가 발생 했습니다.\n다시 시도 하십시오.\n") + "에러코드 : " + code +
         "\n에러내용 : " + text + "\n에러소스 : " + source + "\n에러설명 : " + description + "\n";
}

TEST_F(SaveXmlTest, ANonDocumentArgumentEndsInTheErrorReport) {
  for (const std::shared_ptr<ole::Dispatch>& argument :
       {std::shared_ptr<ole::Dispatch>(), std::shared_ptr<ole::Dispatch>(std::make_shared<CZorvAXCtrl>(env()))}) {
    EXPECT_EQ(control->saveXml(argument), -1);
    EXPECT_EQ(control->ret, -1);
  }
  const auto boxes = ui->boxes();
  ASSERT_EQ(boxes.size(), 2u);
  for (const auto& box : boxes) {
    EXPECT_EQ(box.text, report("80004003", systemText(0x80004003, "Invalid pointer"), "없음", "없음"));
    EXPECT_EQ(box.caption, applicationTitle());
    EXPECT_EQ(box.flags, mb::MB_OK);
  }
  EXPECT_TRUE(recordsOf("file").empty());
  EXPECT_EQ(tmp.files(), std::vector<std::string>{}) << "nothing is written";
}

TEST_F(SaveXmlTest, AFailingDomCallReportsItsErrorObject) {
  auto dom = std::make_shared<ScriptedDocument>();
  dom->saveResult = ole::hr(0x80070005);
  dom->error = ole::ExcepInfo{u"XML 구성요소", u"거부됨", dom->saveResult};
  EXPECT_EQ(control->saveXmlWithStyle(dom, "x.xsl"), -1);
  ASSERT_EQ(ui->boxes().size(), 1u);
  EXPECT_EQ(ui->boxes()[0].text, report("80070005", systemText(0x80070005, "Access is denied."), "XML 구성요소", "거부됨"));
}

TEST_F(SaveXmlTest, ACopyLeftEmptyIsLoadedFromThePagesTextWithTheDeclarationReplaced) {
  // A document whose save copies nothing: the copy is made from the page's own text.
  control->dialog = "0";
  auto dom = std::make_shared<ScriptedDocument>();
  dom->xml = u"<?xml version=\"1.0\"?>\n<?xml-stylesheet href=\"a/b.xsl\"?>\n<r>\uAC00</r>\n";
  EXPECT_EQ(control->saveXmlWithStyle(dom, "c.xsl"), 0);
  EXPECT_TRUE(savedAs(control->Filename, "<?xml version=\"1.0\" encoding=\"euc-kr\"?>\n"
                                         "<?xml-stylesheet href=\"a/c.xsl\"?>\n<r>\xB0\xA1</r>\n"));
}

}  // namespace
}  // namespace zx
