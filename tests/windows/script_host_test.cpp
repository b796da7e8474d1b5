// The road a control takes on a user's system, walked with the system's own tools: regsvr32
// registers an in-process server (the script-probe fixture, which carries the module's
// resources), reg shows what it wrote, a JScript file run by cscript creates it by ProgID and
// calls it by name, and regsvr32 /u takes everything out again.

#include "support/child_process.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>

namespace zx::wintest {
namespace {

const wchar_t kProgIdKey[] = L"HKCR\\ZorvAXTest.ScriptProbe.1\\CLSID";
const wchar_t kClassKey[] = L"HKCR\\CLSID\\{B666950B-6B7A-466B-83B1-4000D1F9B117}\\InprocServer32";
const wchar_t kTypeLibKey[] = L"HKCR\\TypeLib\\{412532B1-0C61-4900-8767-647BD63CA0C5}\\1.0";

std::string lowered(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

std::string narrow(const std::wstring& text) {
  return std::string(text.begin(), text.end());  // the paths here are ASCII
}

// Prints the exit code and output of a child for a failed expectation.
std::string describe(const ChildRun& run) {
  return "exit " + std::to_string(run.exitCode) + (run.timedOut ? " (timed out)" : "") +
         ", output:\n" + run.output;
}

class ScriptHost : public testing::Test {
 protected:
  static std::wstring server() { return programFolder() + L"script_probe.dll"; }
  static ChildRun regQuery(const wchar_t* key) { return runChild(L"reg.exe query " + quoted(key)); }
  static ChildRun regsvr32(const std::wstring& switches) {
    return runChild(L"regsvr32.exe " + switches + L" " + quoted(server()));
  }
  static ChildRun cscript(const std::wstring& script) {
    return runChild(L"cscript.exe //nologo " + quoted(programFolder() + script));
  }

  void TearDown() override { regsvr32(L"/u /s"); }
};

TEST_F(ScriptHost, RegisterCreateByProgIdCallByNameUnregister) {
  ChildRun run = regsvr32(L"/s");
  ASSERT_EQ(run.exitCode, 0u) << describe(run);

  run = regQuery(kProgIdKey);
  ASSERT_EQ(run.exitCode, 0u) << describe(run);
  EXPECT_NE(run.output.find("{B666950B-6B7A-466B-83B1-4000D1F9B117}"), std::string::npos) << run.output;

  run = regQuery(kClassKey);
  ASSERT_EQ(run.exitCode, 0u) << describe(run);
  EXPECT_NE(lowered(run.output).find(lowered(narrow(server()))), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("Apartment"), std::string::npos) << run.output;

  // The module's type library, registered from the server's own resource.
  run = regQuery(kTypeLibKey);
  ASSERT_EQ(run.exitCode, 0u) << describe(run);
  EXPECT_NE(run.output.find("ZorvAX ActiveX Control module"), std::string::npos) << run.output;

  run = cscript(L"script_probe.js");
  ASSERT_FALSE(run.timedOut) << describe(run);
  EXPECT_EQ(run.exitCode, 0u) << describe(run);
  // getVersion is found through the type library and answered from the version resource; a name
  // the type library leaves out is an unsupported member for the script
  // (0x800A01B6, "object doesn't support this property or method").
  EXPECT_EQ(run.output,
            "getVersion: 3.1.0\r\n"
            "setRegisterValue: error 800a01b6\r\n");

  run = regsvr32(L"/u /s");
  ASSERT_EQ(run.exitCode, 0u) << describe(run);
  for (const wchar_t* key : {kProgIdKey, kClassKey, kTypeLibKey}) {
    run = regQuery(key);
    EXPECT_NE(run.exitCode, 0u) << narrow(key) << " is still there: " << run.output;
  }
  // The ProgID no longer resolves (0x800A01AD, "automation server can't create object").
  run = cscript(L"script_probe.js");
  EXPECT_EQ(run.output, "create: error 800a01ad\r\n") << describe(run);
}

}  // namespace
}  // namespace zx::wintest
