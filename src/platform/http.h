#pragma once
// HTTP the way the control's exchanges use it: an internet session with an agent name, a
// connection to host:port, and requests whose verb, version, header lines and body leave the
// machine exactly as given. The response is read as it arrives, from the calling thread: a
// line reader stops where the caller stops, and the rest of the body is never taken.
// Failures raise zx::InternetException with the reason in English (ASCII, valid ANSI text).
//
// Time-outs count silence, not total time: a long download that keeps arriving never times out.
// TLS: the chain is checked against the system's trust store plus the client's trust file when
// that file exists, and the certificate must name the host the request was made for; the flags
// below decide only whether its dates count.
//
// Waiting: a call that waits on the network (connecting, sending, the answer, the body) calls
// the session's wait hook at least every 100 ms, so the caller's window keeps working; when the
// hook answers Stop the call ends at once with WaitStopped.
//
// Threads: a Client may be shared; a Session and everything opened through it belong to the
// thread that opened the session, which also drives the transfers.
#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/wait.h"

namespace zx::platform::http {

// Scheme codes of the platform's URL splitter.
namespace scheme {
constexpr std::uint32_t kUnknown = 0xFFFFFFFF, kDefault = 0, kFtp = 1, kGopher = 2, kHttp = 3, kHttps = 4,
                        kFile = 5, kNews = 6, kMailto = 7, kSocks = 8, kJavascript = 9, kVbscript = 10, kRes = 11;
}

// Request flags, with the platform's values. There is none that forgives a certificate naming
// another host: a server that is not the one asked for gets nothing.
namespace flags {
constexpr std::uint32_t kReload = 0x80000000, kExistingConnect = 0x20000000, kNoCacheWrite = 0x04000000,
                        kSecure = 0x00800000, kIgnoreCertDateInvalid = 0x00002000;
}

struct UrlParts {
  std::uint32_t scheme = scheme::kUnknown;
  std::string host;
  std::string object;  // path and the extra information (query, fragment)
  std::uint16_t port = 0;
};

// The platform's URL splitter: canonicalises (unsafe characters escaped, dot segments
// resolved) and splits. False for text that is not a URL.
bool crackUrl(std::string_view url, UrlParts& parts);

// Milliseconds.
struct Timeouts {
  int connectMs = 30000;  // connecting, TLS handshake included
  int sendMs = 60000;     // no byte of the request accepted
  int receiveMs = 60000;  // no byte of the response arriving
};

struct Settings {
  Timeouts timeouts;
  // Certificate authorities trusted besides the system's (ANSI path; ignored when missing).
  std::string trustFile;
};

class Connection;
class Session;
class Request;

using platform::WaitAnswer;
using platform::WaitHook;

// The wait hook answered Stop: the call was abandoned on purpose, nothing failed.
class WaitStopped : public std::exception {
 public:
  const char* what() const noexcept override { return "the wait was stopped"; }
};

// The internet service of a control: sessions with one set of settings.
class Client {
 public:
  explicit Client(Settings settings) : settings_(std::move(settings)) {}
  std::unique_ptr<Session> openSession(std::string agent) const;
  const Settings& settings() const { return settings_; }

 private:
  Settings settings_;
};

class Session {
 public:
  // The proxy comes from the environment (http_proxy, https_proxy, no_proxy).
  Session(std::string agent, Settings settings);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  std::unique_ptr<Connection> connect(std::string host, std::uint16_t port);
  void close();
  // For every call of this session from now on; an empty hook waits without calling anything.
  void setWaitHook(WaitHook hook);

  struct Engine;

 private:
  std::unique_ptr<Engine> engine_;
};

class Connection {
 public:
  Connection(Session::Engine& engine, std::string host, std::uint16_t port);
  ~Connection();
  // version: "HTTP/1.1", "HTTP/1.0", or empty for the library's default HTTP/1.0.
  std::unique_ptr<Request> openRequest(std::string_view verb, std::string_view object, std::string_view version,
                                       std::uint32_t requestFlags);
  void close() {}

  // The system's connection, where the implementation keeps one.
  struct Handle;

 private:
  Session::Engine& engine_;
  std::string host_;
  std::uint16_t port_;
  std::unique_ptr<Handle> handle_;
};

class Request {
 public:
  struct Transfer;
  Request(Session::Engine& engine, std::string url, bool http10, std::string verb, std::uint32_t requestFlags);
  ~Request();
  Request(const Request&) = delete;
  Request& operator=(const Request&) = delete;

  // CRLF-separated header lines; a line whose name the request already has is not added.
  void addRequestHeaders(std::string_view headers);
  // Header lines are kept by the request (a later send repeats them); the body is sent once.
  void sendRequest(std::string_view headers = {}, std::string_view body = {});
  // Starts a request whose body of totalLength bytes follows through write() and endRequest().
  void sendRequestEx(std::uint64_t totalLength);
  void write(const char* data, std::size_t size);
  void endRequest();
  // Basic credentials for the next send.
  void setCredentials(std::string user, std::string password);

  std::uint32_t statusCode();
  std::string statusText();
  // The response's status line and header lines, each ending in CRLF, and the empty line.
  std::string rawHeaders();
  // The announced body length, when the response has one.
  std::optional<std::uint64_t> contentLength();

  // Bytes readable without waiting; waits for the first ones. 0 at the end of the body.
  std::size_t queryDataAvailable();
  // Up to size bytes; 0 at the end of the body.
  std::size_t read(char* buffer, std::size_t size);
  // The bytes up to and including the next LF, at most maxChars of them; every CR is dropped
  // and not counted; a zero byte follows (buffer holds maxChars + 1). False at the end of the
  // body when nothing was read.
  bool readLine(char* buffer, std::size_t maxChars);

  void close();

 private:
  // Opens the system's request, where the implementation keeps one per request.
  friend class Connection;
  Session::Engine& engine_;
  std::string url_;
  bool http10_;
  std::string verb_;
  std::uint32_t flags_;
  std::string headers_;  // CRLF lines, in the order given
  std::string user_, password_;
  std::unique_ptr<Transfer> transfer_;
};

}  // namespace zx::platform::http
