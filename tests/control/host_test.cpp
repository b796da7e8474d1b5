// The zorvax command as a person or a test drives it.
#include <gtest/gtest.h>

#include "platform/linux/registry_sqlite.h"
#include "support/zx_test.h"

namespace zx {
namespace {

using test::runCommand;
using test::TempDir;

std::string zorvax(const TempDir& home, const std::string& rest) {
  return test::binary("zorvax") + " --home " + home.path() + " " + rest;
}

TEST(Host, PrintsDefaultsAndVersion) {
  TempDir home;
  auto r = runCommand(zorvax(home, "get Port get Package get dialog call getVersion"));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "80\nTENDRIAX\n1\n3.1.0\n");
}

TEST(Host, RegistryRoundTripIsSeenByASecondProcess) {
  TempDir home;
  auto first = runCommand(zorvax(home, "set Package P1 call setRegisterValue k 값 call getRegisterValue k"));
  EXPECT_EQ(first.status, 0);
  EXPECT_EQ(first.out, "0\n값\n");
  auto second = runCommand(zorvax(home, "set Package P1 call getRegisterValue k"));
  EXPECT_EQ(second.out, "값\n");
}

TEST(Host, TwoProcessesWritingAtOnceLoseNothing) {
  TempDir home;
  runCommand(zorvax(home, "set Package P call getVersion"));
  std::string scriptA = home.file("a.jsonl"), scriptB = home.file("b.jsonl");
  std::string a, b;
  for (int i = 0; i < 60; ++i) {
    a += "{\"call\":\"setRegisterValue\",\"args\":[\"a" + std::to_string(i) + "\",\"x\"]}\n";
    b += "{\"call\":\"setRegisterValue\",\"args\":[\"b" + std::to_string(i) + "\",\"y\"]}\n";
  }
  test::writeFile(scriptA, "{\"set\":\"Package\",\"value\":\"P\"}\n" + a);
  test::writeFile(scriptB, "{\"set\":\"Package\",\"value\":\"P\"}\n" + b);
  auto r = runCommand("(" + zorvax(home, "script " + scriptA) + " > " + home.file("outA") + " & " +
                      zorvax(home, "script " + scriptB) + " > " + home.file("outB") + "; wait)");
  EXPECT_EQ(r.status, 0);
  std::string check = "set Package P";
  for (int i = 0; i < 60; i += 7) check += " call getRegisterValue a" + std::to_string(i) + " call getRegisterValue b" + std::to_string(i);
  auto seen = runCommand(zorvax(home, check));
  std::string expected;
  for (int i = 0; i < 60; i += 7) expected += "x\ny\n";
  EXPECT_EQ(seen.out, expected);
  EXPECT_EQ(test::readFile(home.file("outA")).find("\"ok\":false"), std::string::npos);
}

TEST(Host, LookupsFollowTheLocaleAndInvokeWorksEitherWay) {
  TempDir home;
  EXPECT_EQ(runCommand(zorvax(home, "--lcid 0 ids setRegisterValue")).out, "12\n");
  // Unregistered, no type library loads: the control's own table answers every name.
  EXPECT_EQ(runCommand(zorvax(home, "--lcid 1033 ids setRegisterValue getVersion")).out, "12\n15\n");
  ASSERT_EQ(runCommand(zorvax(home, "register")).out, "0x00000000\n");
  auto r = runCommand(zorvax(home, "--lcid 1033 ids setRegisterValue getVersion"));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "0x80020006\n15\n");
  // The default package's key exists once a page has set it; then either locale stores by DISPID.
  EXPECT_EQ(runCommand(zorvax(home, "set Package TENDRIAX")).status, 0);
  EXPECT_EQ(runCommand(zorvax(home, "--lcid 1033 invoke 12 k v")).out, "0\n");
  EXPECT_EQ(runCommand(zorvax(home, "--lcid 0 invoke 12 k2 w")).out, "0\n");
  EXPECT_EQ(runCommand(zorvax(home, "call getRegisterValue k call getRegisterValue k2")).out, "v\nw\n");
}

TEST(Host, SaveFileWritesCodePageBytesAndUsageErrorsExitTwo) {
  TempDir home, tmp;
  auto r = runCommand("TMP=" + tmp.path() + " " + zorvax(home, "set dialog 0 call saveFile 한글 get Filename"));
  ASSERT_EQ(r.status, 0);
  std::string name = r.out.substr(r.out.find('\n') + 1);
  name.pop_back();
  EXPECT_EQ(test::readFile(name), std::string("\xC7\xD1\xB1\xDB"));
  EXPECT_EQ(runCommand(zorvax(home, "frobnicate")).status, 2);
  EXPECT_EQ(runCommand(zorvax(home, "set Port")).status, 2);
  EXPECT_EQ(runCommand(test::binary("zorvax") + " --help").status, 0);
  auto failed = runCommand(zorvax(home, "call noSuchMethod"));
  EXPECT_EQ(failed.status, 1);
  EXPECT_NE(failed.err.find("0x80020006"), std::string::npos);
}

TEST(Host, MalformedInputIsAnswerNotAnAbort) {
  TempDir home;
  std::string script = home.file("s.jsonl");
  test::writeFile(script, "{\"set\":1}\n{\"get\":[\"Port\"]}\n{\"set\":\"Package\",\"value\":7}\n"
                          "{\"invoke\":99999999999}\n{\"invoke\":\"15\"}\n[1]\n{\"call\":\"getVersion\"}\n"
                          "{\"invoke\":15}\n");
  auto r = runCommand(zorvax(home, "script " + script));
  EXPECT_EQ(r.status, 1) << "the failed statements count";
  std::vector<std::string> lines;
  for (size_t at = 0, nl; (nl = r.out.find('\n', at)) != std::string::npos; at = nl + 1) lines.push_back(r.out.substr(at, nl - at));
  ASSERT_EQ(lines.size(), 8u) << r.out << r.err;
  for (size_t i = 0; i < 6; ++i) {
    EXPECT_NE(lines[i].find("\"ok\":false"), std::string::npos) << lines[i];
    EXPECT_NE(lines[i].find("\"code\":\"0x80070057\""), std::string::npos) << lines[i];
  }
  EXPECT_NE(lines[3].find("32-bit"), std::string::npos) << lines[3];
  EXPECT_NE(lines[5].find("JSON object"), std::string::npos) << lines[5];
  EXPECT_EQ(lines[6], "{\"ok\":true,\"result\":\"3.1.0\"}");
  EXPECT_EQ(lines[7], "{\"ok\":true,\"result\":\"3.1.0\"}");

  for (const char* bad : {"invoke 99999999999", "invoke 15x", "invoke 0x0F", "--lcid 1q ids Port", "--lcid 99999999999 ids Port"}) {
    auto usage = runCommand(zorvax(home, bad));
    EXPECT_EQ(usage.status, 2) << bad << ": " << usage.err;
  }
  EXPECT_EQ(runCommand(zorvax(home, "--ui=console invoke -552")).status, 0);
  EXPECT_EQ(runCommand(zorvax(home, "--lcid 0x409 ids getVersion")).out, "15\n");
}

TEST(Host, UiLogAndConsoleShowEveryBox) {
  TempDir home;
  std::string log = home.file("ui.jsonl");
  auto r = runCommand(zorvax(home, "--ui=console --ui-log " + log + " set dialog 0 set Filename /no/dir/x call saveFile a"));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "-1\n");
  EXPECT_NE(r.err.find("[ERROR] 파일을 열 수 없습니다.\n"), std::string::npos);
  std::string line = test::readFile(log);
  EXPECT_NE(line.find("\"kind\":\"box\""), std::string::npos);
  EXPECT_NE(line.find("\"owner\":\"control\""), std::string::npos);
  EXPECT_NE(line.find("\"caption\":\"ERROR\""), std::string::npos);
}


TEST(Host, LaterMembersAreWiredThroughTheDispatchTable) {
  TempDir home, tmp;
  std::string log = home.file("ui.jsonl");
  test::writeFile(home.file("d.xml"), "<?xml version=\"1.0\"?>\n<?xml-stylesheet type=\"text/xsl\" href=\"/s/old.xsl\"?>\n<a>\xED\x95\x9C</a>\n");
  auto r = runCommand("TMP=" + tmp.path() + " " +
                      zorvax(home, "--ui=console --ui-log " + log + " set dialog 0 call saveXmlWithStyle @xml:" +
                                       home.file("d.xml") + " new.xsl get Filename call saveXml 5 call test_zorvax "
                                                            "call AboutBox call getMACAddr 0"));
  ASSERT_EQ(r.status, 0) << r.err;
  std::vector<std::string> lines;
  for (size_t at = 0, nl; (nl = r.out.find('\n', at)) != std::string::npos; at = nl + 1) lines.push_back(r.out.substr(at, nl - at));
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(lines[0], "0");
  EXPECT_EQ(test::readFile(lines[1]),
            "<?xml version=\"1.0\" encoding=\"euc-kr\"?>\n<?xml-stylesheet type=\"text/xsl\" href=\"/s/new.xsl\"?>\n<a>\xC7\xD1</a>\n");
  EXPECT_EQ(lines[2], "-1") << "a number is no document";
  EXPECT_EQ(lines[3], "0");
  std::string shown = test::readFile(log);
  EXPECT_NE(shown.find("에러코드 : 80004003"), std::string::npos);
  EXPECT_NE(shown.find("\"caption\":\"PASS PHRASE\""), std::string::npos);
  EXPECT_NE(shown.find("\"caption\":\"CHPHER KEY:2\""), std::string::npos);
  EXPECT_NE(shown.find("\"kind\":\"dialog\",\"owner\":\"control\",\"caption\":\"About ZorvAX Control\""), std::string::npos);
}

TEST(Host, RegisteredModuleMakesTheControlThroughItsFactory) {
  TempDir home;
  auto r = runCommand(zorvax(home, "register get Port"));
  EXPECT_EQ(r.out, "0x00000000\n80\n");
  {
    // The server the command registers is the module library it loaded.
    platform::SqliteRegistry store(home.file("registry.db"));
    auto server = store.openKey(platform::Hive::ClassesRoot, "CLSID\\{40B8C7BB-FD7C-44CA-BF70-5ADB0DC635CB}\\InprocServer32",
                                platform::reg::kMaximumAllowed);
    ASSERT_NE(server, nullptr);
    const auto values = store.values(*server);
    ASSERT_FALSE(values.empty());
    EXPECT_NE(values[0].data.find("/libzorvax.so"), std::string::npos) << values[0].data;
  }
  EXPECT_EQ(runCommand(zorvax(home, "get Package unregister")).out, "TENDRIAX\n0x00000000\n");
  EXPECT_EQ(runCommand(zorvax(home, "unregister")).status, 1) << "nothing left to unregister";
}

}  // namespace
}  // namespace zx
