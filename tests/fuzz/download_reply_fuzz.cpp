// What a server sends a download: the reply's body, served on loopback by a plain HTTP server
// and read by the download exchange (the line reader over the received bytes, the embedded
// status line, the "." line). The stored text and the result are checked against the rules the
// reader follows, restated here in their plainest form.
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "core/control_state.h"
#include "fuzz_files.h"
#include "platform/fs.h"
#include "transfer/download_exchange.h"
#include "transfer/url_parsing.h"
#include "transport.h"

namespace {

using namespace zx;

// Answers every request with the body given last, announced by its Content-Length.
class ReplyServer {
 public:
  ReplyServer() {
    const int listening = zxpeer::listenOn("127.0.0.1", port_);
    std::thread([this, listening] {
      zxpeer::acceptLoop(listening, nullptr, [this](zxpeer::Stream& stream) { serve(stream); });
    }).detach();
  }
  int port() const { return port_; }
  void setBody(std::string body) {
    std::lock_guard lock(mutex_);
    body_ = std::move(body);
  }

 private:
  void serve(zxpeer::Stream& stream) {
    zxpeer::RawRequest request;
    if (!zxpeer::readRequest(stream, request, [](const zxpeer::RawRequest&) { return 5000; })) return;
    std::string body;
    {
      std::lock_guard lock(mutex_);
      body = body_;
    }
    stream.writeAll("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) +
                    "\r\nConnection: close\r\n\r\n" + body);
  }

  int port_ = 0;
  std::mutex mutex_;
  std::string body_;
};

struct Expected {
  std::int32_t result = 0;
  std::string stored;
};

std::string_view trimmed(std::string_view text) {
  constexpr std::string_view blanks = " \t\n\v\f\r";
  const size_t first = text.find_first_not_of(blanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// Pieces of at most 510 bytes, each up to and including a line feed, carriage returns dropped
// and not counted; a piece ends at a zero byte and is trimmed of blanks. Before any data a line
// starting "HTTP/" is a status line (passed over when its code starts with 2); "." ends the data;
// an empty or one-character piece fails; the end of the body succeeds once data has come.
Expected expectedOf(std::string_view body) {
  Expected e;
  size_t at = 0;
  for (;;) {
    std::string piece;
    bool read = false;
    while (piece.size() < 510 && at < body.size()) {
      const char c = body[at++];
      read = true;
      if (c == '\r') continue;
      piece += c;
      if (c == '\n') break;
    }
    if (!read) {
      e.result = e.stored.empty() ? -1 : 0;
      return e;
    }
    const std::string_view line = trimmed(std::string_view(piece).substr(0, piece.find('\0')));
    if (line.size() <= 1) {
      e.result = line == "." ? 0 : -1;
      return e;
    }
    if (e.stored.empty() && line.starts_with("HTTP/")) {
      const size_t space = line.find(' ');
      const size_t code = space == std::string_view::npos ? space : line.find_first_not_of(' ', space);
      if (code != std::string_view::npos && line[code] == '2') continue;
      e.result = -1;
      return e;
    }
    e.stored += line;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static ReplyServer server;
  const std::string body(reinterpret_cast<const char*>(data), size);
  server.setBody(body);
  const fuzz::RunServices run;
  ControlState control;
  control.url = "http://127.0.0.1:" + std::to_string(server.port()) + "/document";
  if (parseUrl(run.env().ui, control) != 0) std::abort();
  const std::string local = fuzz::writeInput("received.tmp", nullptr, 0);
  if (!control.m_filePath.assign(local)) std::abort();
  const std::int32_t result = downloadExchange(run.env(), control, "user", "session", "1", "1");
  std::string stored;
  platform::File file = run.env().fs.open(local, "rb");
  char buffer[4096];
  for (std::size_t got; (got = file.read(buffer, sizeof buffer)) > 0;) stored.append(buffer, got);
  const Expected expected = expectedOf(body);
  if (result != expected.result || stored != expected.stored) std::abort();
  return 0;
}
