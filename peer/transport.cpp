#include "transport.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <thread>

#include "platform/ascii.h"
#include "text.h"

namespace zxpeer {

namespace {
constexpr size_t kMaxHeaderBytes = 64 * 1024;
constexpr int kHeaderWaitMs = 30000;

bool waitReadable(int fd, int timeoutMs) {
  pollfd entry{fd, POLLIN, 0};
  int ready;
  do ready = ::poll(&entry, 1, timeoutMs);
  while (ready < 0 && errno == EINTR);
  return ready > 0;
}
}  // namespace

Stream::~Stream() {
  if (ssl_) {
    SSL_shutdown(ssl_);
    SSL_free(ssl_);
  }
  if (fd_ >= 0) ::close(fd_);
}

long Stream::readSome(char* buffer, size_t size, int timeoutMs, bool* timedOut) {
  if (timedOut) *timedOut = false;
  if (!(ssl_ && SSL_pending(ssl_) > 0) && !waitReadable(fd_, timeoutMs)) {
    if (timedOut) *timedOut = true;
    return 0;
  }
  if (ssl_) {
    int n = SSL_read(ssl_, buffer, static_cast<int>(size));
    if (n > 0) return n;
    return SSL_get_error(ssl_, n) == SSL_ERROR_ZERO_RETURN ? 0 : -1;
  }
  long n;
  do n = ::recv(fd_, buffer, size, 0);
  while (n < 0 && errno == EINTR);
  return n;
}

bool Stream::writeAll(std::string_view bytes) {
  while (!bytes.empty()) {
    long n;
    if (ssl_) {
      n = SSL_write(ssl_, bytes.data(), static_cast<int>(std::min<size_t>(bytes.size(), 1 << 20)));
    } else {
      do n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
      while (n < 0 && errno == EINTR);
    }
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

void Stream::waitForClose() {
  char sink[4096];
  while (true) {
    bool timedOut = false;
    long n = readSome(sink, sizeof sink, 60000, &timedOut);
    if (!timedOut && n <= 0) return;
  }
}

void Stream::drop() {
  if (ssl_) {
    SSL_free(ssl_);
    ssl_ = nullptr;
  }
  linger abortive{1, 0};
  ::setsockopt(fd_, SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
  ::close(fd_);
  fd_ = -1;
}

std::string RawRequest::header(std::string_view name) const {
  for (const auto& [key, value] : headers)
    if (zx::ascii::equalsIgnoreCase(key, name)) return value;
  return {};
}

std::string RawRequest::path() const { return target.substr(0, target.find('?')); }

std::string RawRequest::query() const {
  size_t mark = target.find('?');
  return mark == std::string::npos ? std::string() : target.substr(mark + 1);
}

namespace {

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
  return text;
}

void parseHeaderBlock(std::string_view block, RawRequest& request) {
  bool first = true;
  while (!block.empty()) {
    size_t end = block.find('\n');
    std::string_view line = block.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (first) {
      size_t a = line.find(' '), b = line.rfind(' ');
      request.method = line.substr(0, a);
      if (a != std::string_view::npos && b > a) {
        request.target = line.substr(a + 1, b - a - 1);
        request.version = line.substr(b + 1);
      }
      first = false;
    } else if (size_t colon = line.find(':'); colon != std::string_view::npos) {
      request.headers.emplace_back(std::string(line.substr(0, colon)), std::string(trimmed(line.substr(colon + 1))));
    }
    if (end == std::string_view::npos) break;
    block.remove_prefix(end + 1);
  }
}

size_t headerBlockEnd(const std::string& bytes) {
  size_t crlf = bytes.find("\r\n\r\n");
  size_t lf = bytes.find("\n\n");
  if (crlf != std::string::npos && (lf == std::string::npos || crlf + 2 <= lf)) return crlf + 4;
  return lf == std::string::npos ? std::string::npos : lf + 2;
}

}  // namespace

bool readRequest(Stream& stream, RawRequest& request, const std::function<int(const RawRequest&)>& bodyWaitMs) {
  char buffer[65536];
  size_t headerEnd = std::string::npos;
  while ((headerEnd = headerBlockEnd(request.bytes)) == std::string::npos) {
    if (request.bytes.size() > kMaxHeaderBytes) return false;
    long n = stream.readSome(buffer, sizeof buffer, kHeaderWaitMs);
    if (n <= 0) return false;
    request.bytes.append(buffer, static_cast<size_t>(n));
    // Not HTTP at all (a TLS handshake, for one): answered at once like any plain server would.
    if (request.bytes[0] < 'A' || request.bytes[0] > 'Z') return true;
  }
  parseHeaderBlock(std::string_view(request.bytes).substr(0, headerEnd), request);
  if (request.method.empty()) return false;
  size_t wanted = std::strtoull(request.header("Content-Length").c_str(), nullptr, 10);
  int waitMs = bodyWaitMs(request);
  if (request.bytes.size() > headerEnd) request.bodyReads.push_back(request.bytes.size() - headerEnd);
  while (request.bytes.size() - headerEnd < wanted) {
    long n = stream.readSome(buffer, std::min(sizeof buffer, wanted - (request.bytes.size() - headerEnd)), waitMs);
    if (n <= 0) {
      request.bodyComplete = false;
      break;
    }
    request.bytes.append(buffer, static_cast<size_t>(n));
    request.bodyReads.push_back(static_cast<size_t>(n));
  }
  request.body = request.bytes.substr(headerEnd);

  return true;
}

int listenOn(const std::string& address, int& port) {
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) throw std::runtime_error("docserver: socket: " + std::string(std::strerror(errno)));
  int yes = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  sockaddr_in where{};
  where.sin_family = AF_INET;
  where.sin_port = htons(static_cast<uint16_t>(port));
  if (::inet_pton(AF_INET, address.c_str(), &where.sin_addr) != 1)
    throw std::runtime_error("docserver: not an IPv4 address: " + address);
  if (::bind(fd, reinterpret_cast<sockaddr*>(&where), sizeof where) != 0 || ::listen(fd, 64) != 0)
    throw std::runtime_error("docserver: cannot listen on " + address + ":" + std::to_string(port) + ": " +
                             std::strerror(errno));
  socklen_t length = sizeof where;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&where), &length);
  port = ntohs(where.sin_port);
  return fd;
}

TlsContext::TlsContext(const std::string& certificateFile, const std::string& keyFile)
    : context_(SSL_CTX_new(TLS_server_method())) {
  if (!context_ || SSL_CTX_use_certificate_chain_file(context_, certificateFile.c_str()) != 1 ||
      SSL_CTX_use_PrivateKey_file(context_, keyFile.c_str(), SSL_FILETYPE_PEM) != 1)
    throw std::runtime_error("docserver: cannot set up TLS with " + certificateFile);
}

TlsContext::~TlsContext() { SSL_CTX_free(context_); }

std::unique_ptr<Stream> TlsContext::accept(int fd) const {
  SSL* ssl = SSL_new(context_);
  SSL_set_fd(ssl, fd);
  if (SSL_accept(ssl) != 1) {
    SSL_free(ssl);
    ::close(fd);
    ERR_clear_error();
    return nullptr;
  }
  return std::make_unique<Stream>(fd, ssl);
}

void acceptLoop(int listenFd, const TlsContext* tls, std::function<void(Stream&)> serve) {
  while (true) {
    int fd = ::accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) {
      if (errno == EINTR || errno == ECONNABORTED || errno == EMFILE) continue;
      return;
    }
    int yes = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
    std::thread([fd, tls, serve] {
      std::unique_ptr<Stream> stream = tls ? tls->accept(fd) : std::make_unique<Stream>(fd);
      if (stream) serve(*stream);
    }).detach();
  }
}

}  // namespace zxpeer
