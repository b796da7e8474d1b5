#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "control/dispatch_table.h"
#include "module/registration.h"
#include "platform/codepage.h"
#include "support/zx_test.h"

namespace zx {
namespace {

using test::ControlTest;

class ControlObject : public ControlTest {};

TEST_F(ControlObject, FreshControlAnswersItsDefaults) {
  auto c = makeControl();
  EXPECT_EQ(textOf(get(*c, "Port")), "80");
  EXPECT_EQ(textOf(get(*c, "Package")), "TENDRIAX");
  EXPECT_EQ(textOf(get(*c, "dialog")), "1");
  for (const char* empty : {"Filename", "Pubkey", "url", "FileFilter"}) EXPECT_EQ(textOf(get(*c, empty)), "") << empty;
  EXPECT_EQ(get(*c, "size").intValue(), 0);
  EXPECT_EQ(get(*c, "ret").intValue(), 0);
  EXPECT_EQ(textOf(call(*c, "getVersion")), "3.1.0");
  EXPECT_EQ(textOf(call(*c, "getPath")), "");
  EXPECT_TRUE(c->m_isVistaOrLater);
  EXPECT_EQ(c->m_tempDir.str(), tmp.path()) << "TMP names the temporary folder";
}

TEST_F(ControlObject, AStartingControlRemovesWhatAKilledOneLeftBehind) {
  // A download killed mid-way leaves its intermediates; nothing else would ever remove them.
  test::writeFile(tmp.file("zxpart-zxkilled"), std::string(100000, 'k'));
  test::writeFile(tmp.file("zxpart-zxrecent"), "a transfer of another process that runs now");
  test::writeFile(tmp.file("zxsaved"), "a page's saved file");
  const auto old = std::filesystem::file_time_type::clock::now() - std::chrono::hours(3);
  std::filesystem::last_write_time(tmp.file("zxpart-zxkilled"), old);
  std::filesystem::last_write_time(tmp.file("zxsaved"), old);
  auto c = makeControl();
  EXPECT_EQ(tmp.files(), (std::vector<std::string>{"zxpart-zxrecent", "zxsaved"}));
}

TEST_F(ControlObject, KoreanTextPropertiesReadBackUnchanged) {
  auto c = makeControl();
  ASSERT_EQ(put(*c, "Filename", "보고서 2024.hwp"), ole::S_OK);
  EXPECT_EQ(c->Filename, platform::utf8ToAnsi("보고서 2024.hwp"));
  EXPECT_EQ(textOf(get(*c, "Filename")), "보고서 2024.hwp");
  ASSERT_EQ(put(*c, "size", "1234"), ole::S_OK);
  EXPECT_EQ(get(*c, "size").intValue(), 1234);
  EXPECT_TRUE(c->isModified());
}

TEST_F(ControlObject, TableHasTwentySixMembersInOrderAndTypeInfoNineteen) {
  const auto& table = dispatchTable();
  ASSERT_EQ(table.size(), 26u);
  EXPECT_STREQ(table[0].name, "Port");
  EXPECT_STREQ(table[23].name, "saveXmlWithStyle");
  EXPECT_EQ(table[23].dispid, 24);
  EXPECT_EQ(table[24].dispid, ole::DISPID_ABOUTBOX);
  EXPECT_STREQ(table[25].name, "test_zorvax");
  EXPECT_EQ(table[25].dispid, 25);
  for (int i = 0; i < 24; ++i) EXPECT_EQ(table[i].dispid, i + 1) << table[i].name;
  auto info = typeInfoMembers();
  EXPECT_EQ(info.size(), 19u);
  for (const auto* m : info)
    for (const char* absent : {"Port", "Package", "Hostname", "setRegisterIfEmpty", "setRegisterValue", "Run",
                               "getRegisterValue"})
      EXPECT_STRNE(m->name, absent);
}

TEST_F(ControlObject, NameLookupFollowsTheLocaleRule) {
  auto c = makeControl();
  ASSERT_EQ(registerModule(registry()), ole::S_OK) << "a type library loads only when registered";
  std::vector<ole::DISPID> ids;
  EXPECT_EQ(c->getIDsOfNames(ole::IID_NULL(), {u"SETREGISTERVALUE"}, 0, ids), ole::S_OK);
  EXPECT_EQ(ids[0], 12);
  EXPECT_EQ(c->getIDsOfNames(ole::IID_NULL(), {u"setRegisterValue"}, 1033, ids), ole::DISP_E_UNKNOWNNAME);
  EXPECT_EQ(c->getIDsOfNames(ole::IID_NULL(), {u"Port"}, 1033, ids), ole::DISP_E_UNKNOWNNAME);
  EXPECT_EQ(c->getIDsOfNames(ole::IID_NULL(), {u"getversion"}, 1033, ids), ole::S_OK);
  EXPECT_EQ(ids[0], 15);
  EXPECT_EQ(c->getIDsOfNames(ole::IID_NULL(), {u"AboutBox"}, 1033, ids), ole::S_OK);
  EXPECT_EQ(ids[0], ole::DISPID_ABOUTBOX);
  EXPECT_EQ(c->getIDsOfNames(ole::IID_NULL(), {u"noSuchName"}, 0, ids), ole::DISP_E_UNKNOWNNAME);
  EXPECT_EQ(c->getIDsOfNames(zx::ids::IID_DZorvAX(), {u"getVersion"}, 0, ids), ole::DISP_E_UNKNOWNINTERFACE);
  // Registered for 0x409 alone: a Korean caller finds no library and gets the control's own table.
  EXPECT_EQ(c->getIDsOfNames(ole::IID_NULL(), {u"setRegisterValue"}, 0x412, ids), ole::S_OK);
  EXPECT_EQ(ids[0], 12);
  EXPECT_EQ(c->getIDsOfNames(ole::IID_NULL(), {u"Port"}, 0x412, ids), ole::S_OK);
  EXPECT_EQ(ids[0], 1);
  ASSERT_EQ(unregisterModule(registry()), ole::S_OK);
  EXPECT_EQ(c->getIDsOfNames(ole::IID_NULL(), {u"setRegisterValue"}, 1033, ids), ole::S_OK);
  EXPECT_EQ(ids[0], 12);
}

TEST_F(ControlObject, InvocationByDispidReachesMembersMissingFromTheTypeLibrary) {
  auto c = makeControl();
  ASSERT_EQ(put(*c, "Package", "P1"), ole::S_OK);
  ole::Variant r;
  EXPECT_EQ(c->invoke(12, ole::IID_NULL(), 1033, ole::DISPATCH_METHOD, {text("k"), text("v")}, &r, nullptr), ole::S_OK);
  EXPECT_EQ(r.intValue(), 0);
  EXPECT_EQ(c->getRegisterValue("k"), "v");
}

TEST_F(ControlObject, TheBoundaryReportsWhatADispatcherReports) {
  auto c = makeControl();
  ole::Variant r;
  EXPECT_EQ(c->invoke(12, ole::IID_NULL(), 0, ole::DISPATCH_METHOD, {text("only one")}, &r, nullptr),
            ole::DISP_E_BADPARAMCOUNT);
  EXPECT_EQ(c->invoke(999, ole::IID_NULL(), 0, ole::DISPATCH_METHOD, {}, &r, nullptr), ole::DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(c->invoke(1, ole::IID_NULL(), 0, ole::DISPATCH_PROPERTYPUT, {ole::Variant::fromDispatch(nullptr)}, nullptr,
                      nullptr),
            ole::DISP_E_TYPEMISMATCH);
  EXPECT_EQ(c->invoke(7, ole::IID_NULL(), 0, ole::DISPATCH_PROPERTYPUT, {text("many")}, nullptr, nullptr),
            ole::DISP_E_TYPEMISMATCH);
  EXPECT_EQ(c->invoke(15, ole::IID_NULL(), 0, ole::DISPATCH_PROPERTYPUT, {text("x")}, nullptr, nullptr),
            ole::DISP_E_MEMBERNOTFOUND);
  // A number where text is expected is converted, as a dispatcher coerces it.
  EXPECT_EQ(c->invoke(1, ole::IID_NULL(), 0, ole::DISPATCH_PROPERTYPUT, {ole::Variant::fromInt(8080)}, nullptr, nullptr),
            ole::S_OK);
  EXPECT_EQ(c->Port, "8080");
}

}  // namespace
}  // namespace zx
