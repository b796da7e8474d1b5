// The platform's HTTP layer against the document server on loopback: what leaves the machine,
// how the body is read, and how failures surface.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "platform/exceptions.h"
#include "peer_process.h"
#include "support/zx_test.h"
#include "platform/http.h"
#include "platform/system_services.h"

namespace http = zx::platform::http;
using zxtest::PeerProcess;

namespace {

constexpr std::uint32_t kDownloadFlags = http::flags::kReload | http::flags::kExistingConnect |
                                         http::flags::kNoCacheWrite | http::flags::kIgnoreCertDateInvalid;

std::string formHeaders(int port, const char* connection, size_t length) {
  return "Accept: */*\r\nUser-Agent: ZorvCW\r\nHost: 127.0.0.1:" + std::to_string(port) + "\r\nConnection: " +
         connection + "\r\nContent-type: application/x-www-form-urlencoded\r\nContent-length: " +
         std::to_string(length) + "\r\n";
}

struct Exchange {
  http::Session session;
  std::unique_ptr<http::Connection> connection;
  std::unique_ptr<http::Request> request;

  Exchange(int port, const std::string& object, const char* version, std::uint32_t flags,
           const http::Settings& settings = {})
      : session("ZorvCW", settings) {
    connection = session.connect("127.0.0.1", static_cast<std::uint16_t>(port));
    request = connection->openRequest("POST", object, version, flags);
  }
};

std::vector<std::string> readAllLines(http::Request& request, size_t maxChars = 510) {
  std::vector<std::string> lines;
  char buffer[512];
  while (request.readLine(buffer, maxChars)) lines.emplace_back(buffer);
  return lines;
}

}  // namespace

// The Linux splitter's own rules beyond what both systems share (tests/platform/url_split_test):
// dot segments and spaces canonicalized, bracketed IPv6 hosts, a drive letter's path kept, and
// texts it cannot split refused.
TEST(UrlSplitter, TheLinuxSplitterCanonicalizesAndRefusesWhatItCannotSplit) {
  http::UrlParts parts;
  ASSERT_TRUE(http::crackUrl("HTTPS://user:pw@srv:8443/a/./b/../c?x=1 2#f", parts));
  EXPECT_EQ(parts.scheme, http::scheme::kHttps);
  EXPECT_EQ(parts.host, "srv");
  EXPECT_EQ(parts.port, 8443);
  EXPECT_EQ(parts.object, "/a/c?x=1%202#f");
  ASSERT_TRUE(http::crackUrl("http://[::1]:81/x", parts));
  EXPECT_EQ(parts.host, "[::1]");
  EXPECT_EQ(parts.port, 81);
  ASSERT_TRUE(http::crackUrl("file://C:/dir/doc", parts));
  EXPECT_NE(parts.object.find("C:/dir/doc"), std::string::npos) << parts.object;
  for (const char* bad : {"", "srv/path", "http:/srv", "http://", "http://srv:99999/", "http://srv:8x/",
                          "://srv/", "1http://srv/"})
    EXPECT_FALSE(http::crackUrl(bad, parts)) << bad;
}

TEST(HttpRequest, SendsExactlyTheGivenRequest) {
  PeerProcess peer;
  peer.putDocument("a.txt", "line one\nline two\n");
  std::string body = "command=download&userId=a%26b%3Dc%20d";
  Exchange exchange(peer.httpPort(), "/docs/a.txt?mode=lines", "HTTP/1.1", kDownloadFlags);
  std::string headers = formHeaders(peer.httpPort(), "close", body.size());
  exchange.request->sendRequest(headers, body);
  EXPECT_EQ(exchange.request->statusCode(), 200u);
  EXPECT_EQ(exchange.request->statusText(), "OK");
  EXPECT_NE(exchange.request->rawHeaders().find("\r\nContent-Length: 23\r\n"), std::string::npos);
  EXPECT_EQ(exchange.request->contentLength(), 23u);
  EXPECT_EQ(readAllLines(*exchange.request), (std::vector<std::string>{"line one\n", "line two\n", ".\n"}));
  EXPECT_EQ(peer.rawRequest(1), "POST /docs/a.txt?mode=lines HTTP/1.1\r\n" + headers + "\r\n" + body);

  // A repeated send keeps the header lines; a request without a User-Agent line gets the agent;
  // a line whose name is there already is not added again.
  Exchange second(peer.httpPort(), "/docs/a.txt?mode=lines", "", kDownloadFlags);
  second.request->addRequestHeaders("Host: h:1\r\nhost: other\r\nContent-length: 0\r\n");
  second.request->sendRequest();
  second.request->sendRequest();
  EXPECT_EQ(second.request->statusCode(), 400u);
  EXPECT_EQ(peer.rawRequest(3),
            "POST /docs/a.txt?mode=lines HTTP/1.0\r\nUser-Agent: ZorvCW\r\nHost: h:1\r\nContent-length: 0\r\n\r\n");
}

TEST(HttpRequest, ReadsLinesInPiecesAndStopsWhereTheReaderStops) {
  PeerProcess peer;
  std::string longLine(1200, 'x'), body = "QUJD\r\n" + longLine + "\r\n\r\r\nlast";
  peer.putDocument("raw.txt", body);
  Exchange exchange(peer.httpPort(), "/docs/raw.txt?mode=raw", "HTTP/1.1", kDownloadFlags);
  exchange.request->sendRequest("", "command=download");
  auto lines = readAllLines(*exchange.request);
  EXPECT_EQ(lines, (std::vector<std::string>{"QUJD\n", std::string(510, 'x'), std::string(510, 'x'),
                                             std::string(180, 'x') + "\n", "\n", "last"}));

  // A body far larger than the read-ahead: the reader takes two lines and closes.
  std::string big;
  for (int i = 0; i < 200000; ++i) big += "QUJDREVGQUJDREVGQUJDREVG\r\n";
  peer.putDocument("big.txt", big);
  Exchange early(peer.httpPort(), "/docs/big.txt?mode=raw", "HTTP/1.1", kDownloadFlags);
  early.request->sendRequest("", "command=download");
  size_t available = early.request->queryDataAvailable();
  EXPECT_GT(available, 0u);
  EXPECT_LT(available, big.size());
  char line[512];
  ASSERT_TRUE(early.request->readLine(line, 510));
  EXPECT_STREQ(line, "QUJDREVGQUJDREVGQUJDREVG\n");
  EXPECT_EQ(early.request->read(line, 4), 4u);
  EXPECT_EQ(std::string(line, 4), "QUJD");
  early.request->close();
}

// A carriage return right after a full piece is read by the next call, which then holds an
// empty line, as byte-wise reading gives it; it was taken with the full piece when the body
// arrived in one chunk, so the result depended on how the network cut the body.
TEST(HttpRequest, ACarriageReturnAfterAFullPieceBelongsToTheNextPiece) {
  PeerProcess peer;
  peer.putDocument("cr.txt", std::string(510, 'y') + "\r");
  Exchange exchange(peer.httpPort(), "/docs/cr.txt?mode=raw", "HTTP/1.1", kDownloadFlags);
  exchange.request->sendRequest("", "command=download");
  EXPECT_EQ(readAllLines(*exchange.request), (std::vector<std::string>{std::string(510, 'y'), ""}));
}

TEST(HttpRequest, UploadsInPiecesOverTls) {
  PeerProcess peer;
  zx::test::TempDir home;
  const http::Settings trusting{{}, zx::platform::trustFileIn(home.path())};
  std::string body = "command=upload&userId=u&filename=f.txt&compressed=0&ciphered=0&macAddr=&cipherData=" +
                     std::string(2049 - 83, 'Q');
  ASSERT_EQ(body.size(), 2049u);
  std::string headers = formHeaders(peer.uploadPort(), "Keep-Alive", body.size());
  auto upload = [&] {
    Exchange exchange(peer.uploadPort(), "/upload", "", kDownloadFlags | http::flags::kSecure, trusting);
    exchange.request->addRequestHeaders(headers);
    exchange.request->sendRequestEx(body.size());
    for (size_t sent = 0; sent < body.size(); sent += 1024)
      exchange.request->write(body.data() + sent, std::min<size_t>(1024, body.size() - sent));
    exchange.request->endRequest();
    return exchange.request->statusCode();
  };
  // Without the server's certificate among the trusted ones the chain does not verify.
  try {
    upload();
    FAIL() << "an untrusted certificate was accepted";
  } catch (const zx::InternetException& error) {
    EXPECT_NE(std::string(error.what()).find("certificate authority"), std::string::npos) << error.what();
  }
  std::filesystem::copy_file(peer.certificate(), std::filesystem::path(home.path()) / "ca.pem");
  EXPECT_EQ(upload(), 200u);
  unsigned last = peer.requestCount();
  EXPECT_EQ(peer.rawRequest(last), "POST /upload HTTP/1.0\r\n" + headers + "\r\n" + body);
  EXPECT_EQ(peer.requestNote(last, "secure"), "1");
}

TEST(HttpRequest, FailuresBecomeInternetExceptionsWithinTheirTime) {
  PeerProcess peer;
  peer.putDocument("a.txt", std::string(100000, 'A') + "\n");
  const http::Settings impatient{{.receiveMs = 1500}, ""};
  auto failureOf = [&](int port, const std::string& object, std::uint32_t flags = kDownloadFlags) -> std::string {
    try {
      Exchange exchange(port, object, "HTTP/1.1", flags, impatient);
      exchange.request->sendRequest("", "command=download");
      readAllLines(*exchange.request);
    } catch (const zx::InternetException& error) {
      return error.what();
    }
    return "no failure";
  };
  EXPECT_NE(failureOf(peer.httpPort(), "/docs/a.txt?mode=raw&drop=1").find("terminated abnormally"),
            std::string::npos);
  auto start = std::chrono::steady_clock::now();
  EXPECT_NE(failureOf(peer.httpPort(), "/docs/a.txt?hang=1").find("timed out"), std::string::npos);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
  EXPECT_NE(failureOf(peer.httpPort(), "/docs/a.txt", kDownloadFlags | http::flags::kSecure).find("secure channel"),
            std::string::npos);

  int closedPort = peer.httpPort();
  {
    PeerProcess gone;
    closedPort = gone.httpPort();
  }
  EXPECT_NE(failureOf(closedPort, "/").find("could not be established"), std::string::npos);
}

// A server that takes the request and keeps silent: the session's wait hook keeps being called
// while the call waits, and ends the wait when it answers Stop, long before the silence limit.
TEST(HttpRequest, AWaitingCallRunsTheWaitHookAndEndsWhenItSaysStop) {
  using Clock = std::chrono::steady_clock;
  PeerProcess peer;
  peer.putDocument("a.txt", "never sent\n");

  // Kept waiting: called all along until the silence limit ends the call as before.
  const http::Settings shortSilence{{.receiveMs = 1500}, ""};
  Exchange patient(peer.httpPort(), "/docs/a.txt?hang=1", "HTTP/1.1", kDownloadFlags, shortSilence);
  int calls = 0;
  patient.session.setWaitHook([&] {
    ++calls;
    return http::WaitAnswer::KeepWaiting;
  });
  auto start = Clock::now();
  EXPECT_THROW(patient.request->sendRequest("", "command=download"), zx::InternetException);
  auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
  EXPECT_GE(waited, 1500);
  EXPECT_GE(calls * 100, waited - 200) << calls << " calls in " << waited << " ms: not every 100 ms";

  // Stopped: the call ends at once with its own outcome, not as a failure of the exchange.
  const http::Settings longSilence{{.receiveMs = 60000}, ""};
  for (const char* object : {"/docs/a.txt?hang=1", "/docs/a.txt?mode=raw&hang=1"}) {
    Exchange stopped(peer.httpPort(), object, "HTTP/1.1", kDownloadFlags, longSilence);
    int asked = 0;
    stopped.session.setWaitHook([&] { return ++asked == 10 ? http::WaitAnswer::Stop : http::WaitAnswer::KeepWaiting; });
    start = Clock::now();
    try {
      stopped.request->sendRequest("", "command=download");
      ADD_FAILURE() << "the silent server answered";
    } catch (const http::WaitStopped&) {
    }
    EXPECT_EQ(asked, 10);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(5)) << "ten calls of the hook, not the 60 s silence limit";
  }
}

// A body that stops half-way: reading it waits, and the hook ends that wait too.
TEST(HttpRequest, TheWaitHookAlsoRunsWhileTheBodyStalls) {
  PeerProcess peer;
  peer.putDocument("a.txt", std::string(100000, 'A') + "\n");
  const http::Settings longSilence{{.receiveMs = 60000}, ""};
  Exchange exchange(peer.httpPort(), "/docs/a.txt?mode=raw&stall=1", "HTTP/1.1", kDownloadFlags, longSilence);
  bool stop = false;
  exchange.session.setWaitHook([&] { return stop ? http::WaitAnswer::Stop : http::WaitAnswer::KeepWaiting; });
  exchange.request->sendRequest("", "command=download");
  EXPECT_EQ(exchange.request->statusCode(), 200u);
  char buffer[4096];
  std::size_t got = 0;
  auto start = std::chrono::steady_clock::now();
  try {
    while (std::size_t n = exchange.request->read(buffer, sizeof buffer)) {
      got += n;
      if (got >= 50000) stop = true;
    }
    ADD_FAILURE() << "the body ended";
  } catch (const http::WaitStopped&) {
  }
  EXPECT_EQ(got, 50000u) << "half the body, then the wait";
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}
