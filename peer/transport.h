#pragma once
// Sockets and TLS for the document server: listening, accepting, and reading one request as the
// raw bytes that arrived (request line, headers in their order and spelling, body).
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

typedef struct ssl_ctx_st SSL_CTX;
typedef struct ssl_st SSL;

namespace zxpeer {

class Stream {
 public:
  explicit Stream(int fd, SSL* ssl = nullptr) : fd_(fd), ssl_(ssl) {}
  ~Stream();
  Stream(const Stream&) = delete;
  Stream& operator=(const Stream&) = delete;

  // Waits at most timeoutMs for bytes; answers the count, 0 at the end or on time-out, -1 on error.
  long readSome(char* buffer, size_t size, int timeoutMs, bool* timedOut = nullptr);
  bool writeAll(std::string_view bytes);
  // Blocks until the client goes away (a server that never answers).
  void waitForClose();
  // Ends the connection at once, without a TLS close notice.
  void drop();
  bool secure() const { return ssl_ != nullptr; }

 private:
  int fd_;
  SSL* ssl_;
};

struct RawRequest {
  std::string bytes;  // exactly as received
  std::string method, target, version;
  std::vector<std::pair<std::string, std::string>> headers;
  std::string body;
  bool bodyComplete = true;
  // Sizes of the reads that brought the body in (over TLS: one record each, so the writer's pieces).
  std::vector<size_t> bodyReads;

  std::string header(std::string_view name) const;  // first match, any case; empty when absent
  std::string path() const;
  std::string query() const;
};

// Reads the header block and then the body the Content-Length announces, waiting at most
// bodyWaitMs(request) between arrivals. False when no request line arrived.
bool readRequest(Stream& stream, RawRequest& request, const std::function<int(const RawRequest&)>& bodyWaitMs);

// Opens a listening socket; port 0 picks a free one. Answers the fd and sets the actual port.
int listenOn(const std::string& address, int& port);

class TlsContext {
 public:
  TlsContext(const std::string& certificateFile, const std::string& keyFile);
  ~TlsContext();
  // Handshake on an accepted socket; nullptr (socket closed) when it fails.
  std::unique_ptr<Stream> accept(int fd) const;

 private:
  SSL_CTX* context_;
};

// Accepts on `listenFd` for ever; every connection runs `serve` on a thread of its own.
void acceptLoop(int listenFd, const TlsContext* tls, std::function<void(Stream&)> serve);

}  // namespace zxpeer
