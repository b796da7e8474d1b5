// parseUrl and getMACAddr with the scripted user: their texts, members and boxes.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sched.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#endif

#include "control/zorvax_ctrl.h"
#include "support/zx_test.h"
#include "platform/adapters.h"
#include "platform/codepage.h"
#include "platform/http.h"
#include "doubles/scripted_ui.h"
#include "transfer/http_exchange.h"
#include "transfer/url_parsing.h"

namespace adapters = zx::platform::adapters;

namespace {

class ControlWithUi : public zx::test::ControlTest {
 protected:
  std::vector<std::string> boxes() const { return zx::test::boxLines(*user); }

  zx::CZorvAXCtrl control_{env()};
};

using ParseUrl = ControlWithUi;
using MacAddress = ControlWithUi;

adapters::AdapterInfo adapter(std::initializer_list<std::uint8_t> bytes) {
  adapters::AdapterInfo info;
  info.addressLength = static_cast<std::uint32_t>(bytes.size());
  std::copy(bytes.begin(), bytes.end(), info.address);
  return info;
}

zx::doubles::AdapterScenario listOf(std::vector<adapters::AdapterInfo> list) {
  zx::doubles::AdapterScenario scenario;
  scenario.adapters = std::move(list);
  return scenario;
}

}  // namespace

TEST_F(ParseUrl, FillsTheServerMembers) {
  control_.url = "http://srv/path/svc";
  ASSERT_EQ(zx::parseUrl(*user, control_), 0);
  EXPECT_EQ(control_.Hostname, "srv");
  EXPECT_EQ(control_.m_serverPort, 80);
  EXPECT_EQ(control_.Port, "80");
  EXPECT_EQ(control_.m_requestObject, "/path/svc");
  EXPECT_EQ(control_.m_serviceType, 3u);
  // The Host line always names the port, 80 included.
  EXPECT_NE(zx::requestHeaders(control_, zx::Direction::Download, 5).find("\r\nHost: srv:80\r\n"), std::string::npos);

  control_.url = "http://srv:8080/a/b?x=1";
  ASSERT_EQ(zx::parseUrl(*user, control_), 0);
  EXPECT_EQ(control_.Port, "8080");
  EXPECT_EQ(control_.m_requestObject, "/a/b?x=1");

  for (auto [url, host, port] : {std::tuple{"file://srv:9000/doc", "srv", "9000"},
                                 std::tuple{"file://srv:9000", "srv", "9000"},
                                 std::tuple{"file://srv:abc/doc", "srv", "0"},
                                 std::tuple{"file://srv: 70000x/doc", "srv", "4464"},
                                 std::tuple{"FILE://srv:9000/doc", "srv", "9000"}}) {
    control_.url = url;
    ASSERT_EQ(zx::parseUrl(*user, control_), 0) << url;
    EXPECT_EQ(control_.Hostname, host) << url;
    EXPECT_EQ(control_.Port, port) << url;
  }
  // In capitals the text is not read again: host and port are the splitter's, which takes a
  // URL without a port that the lower-case form refuses.
  control_.url = "FILE://srv/doc";
  ASSERT_EQ(zx::parseUrl(*user, control_), 0);
  EXPECT_EQ(control_.Hostname, "srv");
  EXPECT_EQ(control_.Port, "0");
  // A Korean host name whose second byte is ':' in code page 949 terms is not split there.
  control_.url = "file://" + zx::ansi("가") + ":81/x";
  ASSERT_EQ(zx::parseUrl(*user, control_), 0);
  EXPECT_EQ(control_.Hostname, zx::ansi("가"));
  EXPECT_EQ(control_.Port, "81");
  EXPECT_TRUE(user->boxes().empty());
}

TEST_F(ParseUrl, RejectsWithTheConnectionBox) {
  control_.Port = "1234";
  for (const char* url : {"file://srv/doc", "file://", "", "not a url"}) {
    control_.url = url;
    EXPECT_EQ(zx::parseUrl(*user, control_), -1) << url;
  }
  EXPECT_EQ(control_.Port, "1234");
  auto shown = boxes();
  ASSERT_EQ(shown.size(), 4u);
  EXPECT_EQ(shown[0], "연결|URL 형식이 잘 못 되었습니다.\r\n다시 시도 하십시오.\n[file://srv/doc]");
  EXPECT_EQ(shown[2], "연결|URL 형식이 잘 못 되었습니다.\r\n다시 시도 하십시오.\n[]");
  EXPECT_EQ(user->boxes()[0].owner, zx::platform::Owner::Control);
  EXPECT_EQ(user->boxes()[0].flags, zx::platform::mb::MB_TASKMODAL);
}

TEST_F(MacAddress, FormatsTheAdapterList) {
  services.adapters.set(listOf({adapter({0x0A, 0x1B, 0x2C, 0x3D, 0x4E, 0x5F})}));
  EXPECT_EQ(control_.getMACAddr("1"), "0A1B2C3D4E5F");
  services.adapters.set(listOf({adapter({0x0A, 0x1B, 0x2C, 0x3D, 0x4E, 0x5F}), adapter({}),
                                   adapter({0xff, 0, 1, 2, 3, 4, 5, 6})}));
  EXPECT_EQ(control_.getMACAddr(""), "0A1B2C3D4E5F::FF00010203040506");
  services.adapters.set(listOf(std::vector<adapters::AdapterInfo>(52, adapter({1}))));
  EXPECT_EQ(control_.getMACAddr("0"), "");
  EXPECT_TRUE(user->boxes().empty());
  EXPECT_EQ(control_.getMACAddr("1"), "");
  EXPECT_EQ(boxes(), std::vector<std::string>{"정보읽기|ERROR: BUFFER_OVERFLOW"});
}

TEST_F(MacAddress, FailuresGiveEmptyTextAndTheirBoxes) {
  services.adapters.set(listOf({}));
  EXPECT_EQ(control_.getMACAddr("0"), "");
  EXPECT_TRUE(user->boxes().empty());
  EXPECT_EQ(control_.getMACAddr("1"), "");
  for (std::uint32_t code : {50u, 87u, 5u}) {
    zx::doubles::AdapterScenario failing;
    failing.kind = zx::doubles::AdapterScenario::Kind::ErrorCode;
    failing.errorCode = code;
    services.adapters.set(failing);
    EXPECT_EQ(control_.getMACAddr("yes"), "");
    EXPECT_EQ(control_.getMACAddr("0"), "");
  }
  zx::doubles::AdapterScenario missing;
  missing.kind = zx::doubles::AdapterScenario::Kind::FunctionMissing;
  services.adapters.set(missing);
  EXPECT_EQ(control_.getMACAddr("0"), "");
  EXPECT_EQ(control_.getMACAddr("1"), "");
  missing.kind = zx::doubles::AdapterScenario::Kind::LibraryMissing;
  services.adapters.set(missing);
  EXPECT_EQ(control_.getMACAddr("0"), "");
  EXPECT_EQ(boxes(), (std::vector<std::string>{
                         "정보읽기|ERROR: NO_DATA", "정보읽기|ERROR: NOT_SUPPORTED", "정보읽기|ERROR: INVALID_PARAMETER",
                         "정보읽기|ERROR: 5", "모듈로딩|IPHlpApi.dll 에서 함수 GetAdaptersInfo()을 찾을 수 없습니다.",
                         "모듈로딩|IPHlpApi.dll 을 찾을 수 없습니다."}));
  EXPECT_EQ(user->boxes().back().flags, zx::platform::mb::MB_ICONHAND | zx::platform::mb::MB_TASKMODAL);
}

#ifndef _WIN32
// The system's adapters under Wine are read in windows/platform_win32_test. Here a network of
// the test's own: a loopback and the two ends of a link with chosen addresses and positions, so
// the text the description gives is known in advance.
TEST_F(MacAddress, ReadsTheSystemsAdaptersInItsOrderWithoutTheLoopback) {
  int channel[2];
  ASSERT_EQ(pipe(channel), 0);
  const pid_t child = fork();
  ASSERT_NE(child, -1);
  if (child == 0) {
    close(channel[0]);
    std::string text = "(no network of its own)";
    if (unshare(CLONE_NEWNET) == 0 &&
        std::system("PATH=/usr/sbin:/sbin:$PATH ip link add zx0 index 7 address 02:11:22:33:44:55 type veth "
                    "peer name zx1 index 8 address 02:aa:bb:cc:dd:0e") == 0)
      text = control_.getMACAddr("1");
    (void)!write(channel[1], text.data(), text.size());
    _exit(0);
  }
  close(channel[1]);
  std::string text;
  char buffer[256];
  for (ssize_t got; (got = read(channel[0], buffer, sizeof buffer)) > 0;) text.append(buffer, static_cast<size_t>(got));
  close(channel[0]);
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_EQ(text, "021122334455:02AABBCCDD0E");
}
#endif

TEST(AdapterScenario, RefusesTextsThatAreNoAddressList) {
  EXPECT_FALSE(zx::doubles::parseAdapterScenario("0A1"));
  EXPECT_FALSE(zx::doubles::parseAdapterScenario("GG"));
}
