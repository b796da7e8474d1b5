// zorvax --native-messaging fed frames as a browser sends them.
#include <gtest/gtest.h>

#include <algorithm>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "native_frames_io.h"
#include "support/zx_test.h"

namespace zx {
namespace {

using nlohmann::json;
using test::runCommand;
using test::TempDir;

const std::string kOrigin = "http://127.0.0.1:8123";

using hosttest::frame;
using hosttest::replies;

class BrowserHost : public ::testing::Test {
 protected:
  void SetUp() override { allow(kOrigin); }

  void allow(const std::string& origin) {
    ASSERT_EQ(runCommand(test::binary("zorvax") + " --home " + home.path() + " allow-origin " + origin).status, 0);
  }

  // Runs the host on `input` (then the end of input); the replies, in order.
  std::vector<json> serve(const std::string& input, const std::string& options = "--ui=console") {
    test::writeFile(home.file("in"), input);
    auto r = runCommand(test::binary("zorvax") + " --home " + home.path() + " " + options +
                        " --native-messaging chrome-extension://test/ < " + home.file("in"));
    EXPECT_EQ(r.status, 0) << r.err;
    return replies(r.out);
  }

  std::string log() { return test::readFile(home.file("browser-host.log")); }

  static json create(int id, const std::string& origin = kOrigin) {
    return {{"id", id}, {"origin", origin}, {"create", true}};
  }
  static json on(int id, int control, json statement, const std::string& origin = kOrigin) {
    statement["id"] = id;
    statement["control"] = control;
    statement["origin"] = origin;
    return statement;
  }

  std::string zorvax(const std::string& rest) {
    return runCommand(test::binary("zorvax") + " --home " + home.path() + " " + rest).out;
  }

  TempDir home;
};

TEST_F(BrowserHost, StatementsRunAsTheScriptCommandRunsThem) {
  auto r = serve(frame(create(1)) + frame(on(2, 1, {{"get", "Port"}})) + frame(on(3, 1, {{"call", "getVersion"}})) +
                 frame(on(4, 1, {{"set", "Package"}, {"value", "WEB"}})) +
                 frame(on(5, 1, {{"call", "setRegisterValue"}, {"args", {"k", "값"}}})) +
                 frame(on(6, 1, {{"invoke", 14}, {"args", {"k"}}})) + frame(on(7, 1, {{"ids", {"Port", "zz"}}})) +
                 frame(on(8, 1, {{"get", "nothing"}})));
  ASSERT_EQ(r.size(), 8u);
  EXPECT_EQ(r[0], json({{"id", 1}, {"ok", true}, {"control", 1}}));
  EXPECT_EQ(r[1], json({{"id", 2}, {"ok", true}, {"result", "80"}}));
  EXPECT_EQ(r[2]["result"], "3.1.0");
  EXPECT_EQ(r[3], json({{"id", 4}, {"ok", true}}));
  EXPECT_EQ(r[4]["result"], 0);  // a 32-bit result is a number
  EXPECT_EQ(r[5]["result"], "값");
  EXPECT_EQ(r[6]["ids"], json({"1", "0x80020006"}));
  EXPECT_EQ(r[7], json({{"id", 8}, {"ok", false}, {"code", "0x80020006"}}));
  EXPECT_EQ(runCommand(test::binary("zorvax") + " --home " + home.path() + " set Package WEB call getRegisterValue k").out,
            "값\n");
}

TEST_F(BrowserHost, FramesThatCarryNoRequestGetAnErrorAndTheHostGoesOn) {
  const std::string oneMiB(1024 * 1024, ' ');
  // Exactly the limit: a request padded with spaces is still one request.
  const std::string atLimit = on(3, 1, {{"get", "dialog"}}).dump();
  auto r = serve(frame(create(1)) + frame(std::string()) + frame(std::string(1024 * 1024 + 1, 'x')) +
                 frame(atLimit + oneMiB.substr(atLimit.size())) + frame("{\"id\":4,\"get\":\"\xC0\xAF\"}") +
                 frame("[1,2]") + frame("\"text\"") + frame(on(5, 1, {{"get", "Port"}})) + frame(std::string("{\"id\":6"), 100));
  ASSERT_EQ(r.size(), 9u);
  auto failed = [](const json& reply, const char* error) {
    EXPECT_EQ(reply["ok"], false);
    EXPECT_EQ(reply["code"], "0x80070057");
    EXPECT_NE(reply["error"].get<std::string>().find(error), std::string::npos) << reply;
  };
  failed(r[1], "not JSON");                            // zero length
  failed(r[2], "1048577 bytes passes the limit");      // 1 MiB + 1
  EXPECT_EQ(r[3], json({{"id", 3}, {"ok", true}, {"result", "1"}}));
  failed(r[4], "not JSON");                            // not UTF-8
  failed(r[5], "a request is a JSON object");
  failed(r[6], "a request is a JSON object");
  EXPECT_EQ(r[7]["result"], "80");                     // the host went on
  failed(r[8], "the input ended inside a message");   // the length promised more than came
}

// The request's text with one more member whose value is the given JSON text (built as text:
// a value this deep cannot be copied or printed as a json object).
std::string withMember(const json& request, const std::string& name, const std::string& valueText) {
  std::string text = request.dump();
  text.pop_back();
  return text + ",\"" + name + "\":" + valueText + "}";
}

std::string nestedArrays(int levels) { return std::string(levels, '[') + std::string(levels, ']'); }

TEST_F(BrowserHost, RequestsNestedDeeperThan64LevelsAreRefusedBeforeParsingAndTheHostGoesOn) {
  // The request object is the first level.
  auto r = serve(frame(create(1)) + frame(withMember(on(2, 1, {{"get", "Port"}}), "pad", nestedArrays(63))) +
                 frame(withMember(on(3, 1, {{"get", "Port"}}), "pad", nestedArrays(64))) +
                 frame(withMember({{"control", 1}, {"get", "Port"}}, "id", nestedArrays(100000))) +
                 frame(withMember(on(4, 1, {{"call", "getVersion"}}), "args", nestedArrays(100000))) +
                 frame(on(5, 1, {{"get", "Port"}})));
  ASSERT_EQ(r.size(), 6u);
  EXPECT_EQ(r[1], json({{"id", 2}, {"ok", true}, {"result", "80"}}));
  for (int i = 2; i <= 4; ++i)
    EXPECT_EQ(r[i], json({{"id", nullptr}, {"ok", false}, {"code", "0x80070057"}, {"error", "nested deeper than 64 levels"}}))
        << i;
  EXPECT_EQ(r[5], json({{"id", 5}, {"ok", true}, {"result", "80"}}));
}

TEST_F(BrowserHost, ControlCharactersAPageSendsStayInsideTheirLogLine) {
  auto r = serve(frame(create(1, "https://x.example\n2026-01-01T00:00:00Z https://x.example create control 7")) +
                 frame(create(2)) + frame(on(3, 1, {{"get", "Port\r\n\x1b[2Jforged\\n\t\x7f\u0085"}})));
  ASSERT_EQ(r.size(), 3u);
  EXPECT_EQ(r[0]["code"], "0x80070005");
  const std::string text = log();
  // host started, the refused create, the control made, the statement and its outcome, host ended.
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 6) << text;
  EXPECT_NE(text.find(" https://x.example\\n2026-01-01T00:00:00Z https://x.example create control 7 create refused"),
            std::string::npos) << text;
  EXPECT_NE(text.find("control 1 get Port\\r\\n\\x1B[2Jforged\\\\n\\t\\x7F\\xC2\\x85 failed 0x80020006"),
            std::string::npos) << text;
  EXPECT_EQ(text.find('\x1b'), std::string::npos);
  EXPECT_EQ(text.find('\r'), std::string::npos);
}

TEST_F(BrowserHost, ManyControlsKeepTheirOwnState) {
  std::string input;
  const int count = 40;
  for (int i = 1; i <= count; ++i) input += frame(create(i));
  for (int i = 1; i <= count; ++i) input += frame(on(100 + i, i, {{"set", "Filename"}, {"value", "f" + std::to_string(i)}}));
  for (int i = 1; i <= count; ++i) input += frame(on(200 + i, i, {{"get", "Filename"}}));
  auto r = serve(input);
  ASSERT_EQ(r.size(), 3u * count);
  for (int i = 1; i <= count; ++i) {
    EXPECT_EQ(r[i - 1]["control"], i);
    EXPECT_EQ(r[2 * count + i - 1], json({{"id", 200 + i}, {"ok", true}, {"result", "f" + std::to_string(i)}}));
  }
}

TEST_F(BrowserHost, AClosedOrUnknownControlIsGoneAndAnotherOriginsControlIsRefused) {
  allow("https://other.example");
  json foreign = on(6, 2, {{"get", "Port"}});
  foreign["origin"] = "https://other.example";
  auto r = serve(frame(create(1)) + frame(create(2)) + frame(on(3, 1, {{"close", true}})) +
                 frame(on(4, 1, {{"get", "Port"}})) + frame(on(5, 9, {{"get", "Port"}})) + frame(foreign) +
                 frame(on(7, 2, {{"get", "Port"}})));
  ASSERT_EQ(r.size(), 7u);
  EXPECT_EQ(r[2], json({{"id", 3}, {"ok", true}}));
  EXPECT_EQ(r[3]["code"], "0x80010108");
  EXPECT_EQ(r[4]["code"], "0x80010108");
  EXPECT_EQ(r[5]["code"], "0x80070005");
  EXPECT_EQ(r[6]["result"], "80");  // the other control lives on
}

TEST_F(BrowserHost, OriginsNotAllowedAreRefusedWithoutADisplayAndLogged) {
  ASSERT_EQ(runCommand(test::binary("zorvax") + " --home " + home.path() + " deny-origin https://denied.example").status, 0);
  auto r = serve(frame(create(1, "https://unknown.example")) + frame(create(2, "https://denied.example")) +
                 frame(create(3, "null")) + frame(json{{"id", 4}, {"create", true}}) + frame(create(5)));
  ASSERT_EQ(r.size(), 5u);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(r[i]["code"], "0x80070005") << r[i];
  EXPECT_EQ(r[4]["control"], 1);
  const std::string text = log();
  EXPECT_NE(text.find(" https://unknown.example create refused (not in the origin list, and no display to ask on) 0x80070005"),
            std::string::npos) << text;
  EXPECT_NE(text.find(" https://denied.example create refused (denied in the origin list)"), std::string::npos);
  EXPECT_NE(text.find(" chrome-extension://test/ host started"), std::string::npos);
  EXPECT_NE(text.find(" " + kOrigin + " create control 1"), std::string::npos);
}

TEST_F(BrowserHost, TheConsentDialogAllowsOrDeniesAndRemembersWhenTicked) {
  // Tick "remember", then Allow; the second page of the same origin is not asked again.
  test::writeFile(home.file("allow.jsonl"), "{\"press\": 3012, \"dialog\": 301, \"when\": \"modal\"}\n"
                                            "{\"press\": 3013, \"dialog\": 301, \"when\": \"modal\"}\n");
  auto r = serve(frame(create(1, "https://asked.example")) + frame(create(2, "https://asked.example")),
                 "--ui=script:" + home.file("allow.jsonl") + " --ui-log " + home.file("ui.log"));
  ASSERT_EQ(r.size(), 2u);
  EXPECT_EQ(r[0]["ok"], true);
  EXPECT_EQ(r[1]["ok"], true);
  const std::string shown = test::readFile(home.file("ui.log"));
  EXPECT_EQ(std::count(shown.begin(), shown.end(), '\n'), 1) << shown;  // one dialog for both pages
  EXPECT_NE(shown.find("\"kind\":\"dialog\""), std::string::npos);
  EXPECT_NE(shown.find("\"text\":\"301\""), std::string::npos);
  EXPECT_EQ(runCommand(test::binary("zorvax") + " --home " + home.path() + " origins").out,
            "http://127.0.0.1:8123 allow\nhttps://asked.example allow\n");

  // Allow without the tick lets this page in and remembers nothing; nobody acting denies.
  test::writeFile(home.file("once.jsonl"), "{\"press\": 3013, \"dialog\": 301, \"when\": \"modal\"}\n");
  r = serve(frame(create(1, "https://once.example")), "--ui=script:" + home.file("once.jsonl"));
  EXPECT_EQ(r.at(0)["ok"], true);
  test::writeFile(home.file("nobody.jsonl"), "");
  r = serve(frame(create(1, "https://once.example")), "--ui=script:" + home.file("nobody.jsonl"));
  EXPECT_EQ(r.at(0)["code"], "0x80070005");
  EXPECT_NE(log().find("https://once.example create refused (denied by the user)"), std::string::npos);
}

TEST_F(BrowserHost, ASecondOriginNeitherReadsNorChangesTheFirstOriginsPackage) {
  const std::string other = "https://other.example";
  allow(other);
  auto r = serve(frame(create(1)) + frame(on(2, 1, {{"set", "Package"}, {"value", "P"}})) +
                 frame(on(3, 1, {{"call", "setRegisterValue"}, {"args", {"k", "first"}}})) +
                 frame(on(4, 1, {{"set", "Port"}, {"value", "8443"}})));
  ASSERT_EQ(r.size(), 4u);
  EXPECT_EQ(r[2]["result"], 0);

  const auto from = [&](int id, json statement) { return frame(on(id, 1, std::move(statement), other)); };
  r = serve(frame(create(1, other)) + from(2, {{"set", "Package"}, {"value", "P"}}) +
            from(3, {{"call", "getRegisterValue"}, {"args", {"k"}}}) +
            from(4, {{"call", "setRegisterValue"}, {"args", {"k", "second"}}}) +
            from(5, {{"call", "setRegisterIfEmpty"}, {"args", {"k2", "second"}}}) +
            from(6, {{"call", "getRegisterValue"}, {"args", {"Port"}}}) + from(7, {{"set", "Port"}, {"value", "1"}}) +
            from(8, {{"set", "Hostname"}, {"value", "evil.example"}}));
  ASSERT_EQ(r.size(), 8u);
  EXPECT_EQ(r[1]["ok"], true);
  EXPECT_EQ(r[2]["result"], "");
  EXPECT_EQ(r[3]["result"], 1);
  EXPECT_EQ(r[4]["result"], 1);
  EXPECT_EQ(r[5]["result"], "");

  r = serve(frame(create(1)) + frame(on(2, 1, {{"set", "Package"}, {"value", "P"}})) +
            frame(on(3, 1, {{"call", "getRegisterValue"}, {"args", {"k"}}})));
  EXPECT_EQ(r.at(2)["result"], "first");
  EXPECT_EQ(zorvax("set Package P call getRegisterValue k call getRegisterValue Port call getRegisterValue Hostname "
                   "call getRegisterValue k2"),
            "first\n8443\n\n\n");
  EXPECT_EQ(zorvax("origins"), "http://127.0.0.1:8123 allow\n  package P\nhttps://other.example allow\n");
}

TEST_F(BrowserHost, APackageTheUserWroteGoesToTheFirstOriginThatUsesItUntilForgotten) {
  const std::string other = "https://other.example";
  allow(other);
  ASSERT_EQ(zorvax("set Package 'Q Q' call setRegisterValue k 'written by the user'"), "0\n");
  EXPECT_EQ(zorvax("origins"), "http://127.0.0.1:8123 allow\nhttps://other.example allow\n");

  const auto read = [&](const std::string& origin) {
    auto r = serve(frame(create(1, origin)) + frame(on(2, 1, {{"set", "Package"}, {"value", "Q Q"}}, origin)) +
                   frame(on(3, 1, {{"call", "getRegisterValue"}, {"args", {"k"}}}, origin)));
    return r.size() == 3 ? r[2]["result"].get<std::string>() : "no reply";
  };
  EXPECT_EQ(read(other), "written by the user");
  EXPECT_EQ(read(kOrigin), "");
  EXPECT_EQ(zorvax("origins"), "http://127.0.0.1:8123 allow\nhttps://other.example allow\n  package Q Q\n");

  // The user shares it, then takes it back from its first owner.
  EXPECT_EQ(zorvax("give-package 'Q Q' http://127.0.0.1:8123/"), "Q Q given to http://127.0.0.1:8123\n");
  EXPECT_EQ(read(kOrigin), "written by the user");
  EXPECT_EQ(zorvax("take-package 'Q Q' https://other.example"), "Q Q taken from https://other.example\n");
  EXPECT_EQ(read(other), "");
  EXPECT_EQ(zorvax("origins"), "http://127.0.0.1:8123 allow\n  package Q Q\nhttps://other.example allow\n");

  // Forgetting the origin drops what it owned; the next origin to use the package gets it.
  EXPECT_EQ(zorvax("forget-origin http://127.0.0.1:8123"), "http://127.0.0.1:8123 forgotten\n");
  EXPECT_EQ(zorvax("origins"), "https://other.example allow\n");
  EXPECT_EQ(read(other), "written by the user");
}

TEST_F(BrowserHost, AReplyPastTheBrowsersLimitComesInPiecesThatMakeItWhole) {
  json names = json::array();
  for (int i = 0; i < 90000; ++i) names.push_back("n" + std::to_string(i));
  auto r = serve(frame(create(1)) + frame(on(2, 1, {{"ids", names}})));
  ASSERT_GT(r.size(), 2u);
  std::string whole;
  for (size_t i = 1; i < r.size(); ++i) {
    EXPECT_EQ(r[i]["id"], 2);
    EXPECT_EQ(r[i]["part"], i - 1);
    EXPECT_EQ(r[i]["parts"], r.size() - 1);
    whole += r[i]["data"].get<std::string>();
  }
  json reply = json::parse(whole);
  EXPECT_EQ(reply["id"], 2);
  ASSERT_EQ(reply["ids"].size(), names.size());
  EXPECT_EQ(reply["ids"][89999], "0x80020006");
}

}  // namespace
}  // namespace zx
