// HTTP over libcurl's multi interface, driven from the calling thread.
#include <curl/curl.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <openssl/x509_vfy.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

#include "platform/exceptions.h"
#include "platform/linux/fs_posix.h"
#include "platform/http.h"

namespace zx::platform::http {

namespace {

using Clock = std::chrono::steady_clock;

// Enough look-ahead to keep the socket busy; beyond it the transfer pauses until the reader
// catches up, so a reader that stops early leaves the rest of the body unread.
constexpr std::size_t kReadAhead = 1 << 20;
constexpr long kSocketBufferSize = 256 * 1024;
constexpr int kPollSliceMs = 1000;
// The wait hook's period: half the 100 ms promised, so a slow round of the loop still keeps it.
constexpr auto kWaitHookPeriod = std::chrono::milliseconds(50);

void ensureGlobalInit() {
  static const bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  if (!initialised) throw InternetException("The internet library could not be initialised.");
}

std::string reasonOf(CURLcode code) {
  switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
      return "The server name or address could not be resolved";
    case CURLE_COULDNT_CONNECT:
      return "A connection with the server could not be established";
    case CURLE_OPERATION_TIMEDOUT:
      return "The operation timed out";
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
      return "The certificate authority is invalid or incorrect";
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_USE_SSL_FAILED:
      return "A secure channel could not be established with the server";
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_UNSUPPORTED_PROTOCOL:
    case CURLE_HTTP2:
      return "The server returned an invalid or unrecognized response";
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_PARTIAL_FILE:
    case CURLE_GOT_NOTHING:
      return "The connection with the server was terminated abnormally";
    case CURLE_OUT_OF_MEMORY:
      return "Not enough memory";
    default:
      return "An internet error occurred";
  }
}

// Date problems are not held against the server when the request's flags say so; the chain and
// the name (curl's VERIFYHOST) are always checked.
int verifyIgnoringDates(int preverified, X509_STORE_CTX* store) {
  if (preverified) return 1;
  int error = X509_STORE_CTX_get_error(store);
  if (X509_STORE_CTX_get_error_depth(store) == 0 &&
      (error == X509_V_ERR_CERT_HAS_EXPIRED || error == X509_V_ERR_CERT_NOT_YET_VALID)) {
    X509_STORE_CTX_set_error(store, X509_V_OK);
    return 1;
  }
  return 0;
}

struct TlsSetup {
  std::string extraCaFile;
  bool ignoreDates = false;
};

CURLcode setUpTlsContext(CURL*, void* sslContext, void* user) {
  auto* setup = static_cast<TlsSetup*>(user);
  auto* context = static_cast<SSL_CTX*>(sslContext);
  if (!setup->extraCaFile.empty())
    X509_STORE_load_file(SSL_CTX_get_cert_store(context), setup->extraCaFile.c_str());
  if (setup->ignoreDates) SSL_CTX_set_verify(context, SSL_VERIFY_PEER, verifyIgnoringDates);
  return CURLE_OK;
}

std::string headerName(std::string_view line) {
  std::string name(line.substr(0, line.find(':')));
  while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.pop_back();
  std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
  return name;
}

template <typename Each>
void forEachLine(std::string_view text, Each each) {
  while (!text.empty()) {
    size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!line.empty()) each(line);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
}

}  // namespace

struct Session::Engine {
  std::string agent;
  Settings settings;
  CURLM* multi = nullptr;
  WaitHook waitHook;
};

// One request on the wire: an easy handle in the session's multi handle and its buffers.
struct Request::Transfer {
  Session::Engine& engine;
  CURL* easy = curl_easy_init();
  curl_slist* headerList = nullptr;
  TlsSetup tls;
  std::string postBody;
  char errorText[CURL_ERROR_SIZE] = {};

  std::string rawHeaders;
  bool headersDone = false;
  std::string in;
  std::size_t inPos = 0;
  bool receivePaused = false;

  std::string out;
  std::size_t outPos = 0;
  bool streamingBody = false;
  bool sendPaused = false;
  bool bodyWanted = false;

  bool finished = false;
  CURLcode result = CURLE_OK;
  Clock::time_point lastActivity = Clock::now();
  bool anyActivity = false;

  explicit Transfer(Session::Engine& e) : engine(e) {
    if (!easy) throw InternetException("Not enough memory");
  }
  ~Transfer() {
    curl_multi_remove_handle(engine.multi, easy);
    curl_easy_cleanup(easy);
    curl_slist_free_all(headerList);
  }

  void touched() {
    lastActivity = Clock::now();
    anyActivity = true;
  }

  static size_t onHeader(char* data, size_t size, size_t count, void* self) {
    auto* transfer = static_cast<Transfer*>(self);
    std::string_view line(data, size * count);
    transfer->touched();
    if (line.starts_with("HTTP/")) {
      transfer->rawHeaders.clear();
      transfer->headersDone = false;
    }
    std::string_view bare = line;
    while (!bare.empty() && (bare.back() == '\n' || bare.back() == '\r')) bare.remove_suffix(1);
    transfer->rawHeaders.append(bare);
    transfer->rawHeaders += "\r\n";
    if (bare.empty()) {
      long status = 0;
      curl_easy_getinfo(transfer->easy, CURLINFO_RESPONSE_CODE, &status);
      transfer->headersDone = status >= 200 || status == 0;
    }
    return size * count;
  }

  static size_t onBody(char* data, size_t size, size_t count, void* self) {
    auto* transfer = static_cast<Transfer*>(self);
    transfer->touched();
    if (transfer->in.size() - transfer->inPos >= kReadAhead) {
      transfer->receivePaused = true;
      return CURL_WRITEFUNC_PAUSE;
    }
    if (transfer->inPos == transfer->in.size()) {
      transfer->in.clear();
      transfer->inPos = 0;
    }
    transfer->in.append(data, size * count);
    return size * count;
  }

  static size_t onSend(char* buffer, size_t size, size_t count, void* self) {
    auto* transfer = static_cast<Transfer*>(self);
    transfer->bodyWanted = true;
    size_t pending = transfer->out.size() - transfer->outPos;
    if (pending == 0) {
      transfer->sendPaused = true;
      return CURL_READFUNC_PAUSE;
    }
    size_t n = std::min(pending, size * count);
    std::memcpy(buffer, transfer->out.data() + transfer->outPos, n);
    transfer->outPos += n;
    transfer->touched();
    return n;
  }

  void configure(const std::string& url, bool http10, const std::string& verb, std::uint32_t requestFlags,
                 const std::string& headers, const std::string& user, const std::string& password) {
    curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy, CURLOPT_PATH_AS_IS, 1L);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, errorText);
    curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, http10 ? CURL_HTTP_VERSION_1_0 : CURL_HTTP_VERSION_1_1);
    curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, verb.c_str());
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(engine.settings.timeouts.connectMs));
    curl_easy_setopt(easy, CURLOPT_BUFFERSIZE, kSocketBufferSize);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &Transfer::onHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Transfer::onBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
    if (!user.empty() || !password.empty()) {
      curl_easy_setopt(easy, CURLOPT_HTTPAUTH, CURLAUTH_BASIC);
      curl_easy_setopt(easy, CURLOPT_USERNAME, user.c_str());
      curl_easy_setopt(easy, CURLOPT_PASSWORD, password.c_str());
    }
    configureTls(requestFlags);
    // curl moves a Host line it recognises to the top, so the caller's lines travel as one entry
    // (curl recognises only its first line) and curl's own lines are withdrawn by name.
    std::string block;
    bool hasAgent = false, hasHost = false, hasLength = false;
    forEachLine(headers, [&](std::string_view line) {
      std::string name = headerName(line);
      hasAgent = hasAgent || name == "user-agent";
      hasHost = hasHost || name == "host";
      hasLength = hasLength || name == "content-length";
      if (!block.empty()) block += "\r\n";
      block.append(line);
    });
    std::vector<const char*> withdrawn{"Accept:", "Expect:", "Transfer-Encoding:", "Accept-Encoding:",
                                       "Content-Type:"};
    if (hasHost) withdrawn.insert(withdrawn.begin(), "Host:");
    if (hasLength) withdrawn.push_back("Content-Length:");
    for (const char* line : withdrawn) headerList = curl_slist_append(headerList, line);
    if (!block.empty()) headerList = curl_slist_append(headerList, block.c_str());
    if (!hasAgent) curl_easy_setopt(easy, CURLOPT_USERAGENT, engine.agent.c_str());
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headerList);
  }

  void configureTls(std::uint32_t requestFlags) {
    if (!(requestFlags & flags::kSecure)) return;
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L);
    const std::string& extra = engine.settings.trustFile;
    if (!extra.empty() && posix::isRegularFile(extra)) tls.extraCaFile = posix::systemPath(extra);
    tls.ignoreDates = (requestFlags & flags::kIgnoreCertDateInvalid) != 0;
    curl_easy_setopt(easy, CURLOPT_SSL_CTX_FUNCTION, &setUpTlsContext);
    curl_easy_setopt(easy, CURLOPT_SSL_CTX_DATA, &tls);
  }

  void start() {
    lastActivity = Clock::now();
    if (curl_multi_add_handle(engine.multi, easy) != CURLM_OK)
      throw InternetException("The request could not be started");
  }

  [[noreturn]] void fail(const std::string& reason, const char* detail) {
    std::string message = reason;
    if (detail && *detail) message += std::string(" (") + detail + ")";
    throw InternetException(message);
  }

  // curl reports a chain it refuses and a name that does not match with one code; its text
  // for the name ("... does not match target host name", "... matches target host name") tells
  // them apart.
  std::string failureReason() const {
    if (result == CURLE_PEER_FAILED_VERIFICATION && std::strstr(errorText, "target host name"))
      return "The host name in the certificate is invalid or does not match";
    return reasonOf(result);
  }

  void collectResult() {
    int queued = 0;
    while (CURLMsg* message = curl_multi_info_read(engine.multi, &queued)) {
      if (message->msg == CURLMSG_DONE && message->easy_handle == easy) {
        finished = true;
        result = message->data.result;
      }
    }
  }

  // Drives the transfer until `ready` holds or it ends. An error is raised only when the
  // caller still needs something, so data that arrived before a failure is read first. While
  // nothing arrives the wait hook runs every kWaitHookPeriod.
  void driveUntil(const std::function<bool()>& ready, int idleLimitMs) {
    auto nextHook = Clock::now() + kWaitHookPeriod;
    while (!ready()) {
      if (finished) {
        if (result != CURLE_OK) fail(failureReason(), errorText[0] ? errorText : curl_easy_strerror(result));
        return;
      }
      int running = 0;
      CURLMcode code = curl_multi_perform(engine.multi, &running);
      if (code != CURLM_OK) fail("An internet error occurred", curl_multi_strerror(code));
      collectResult();
      if (ready() || finished) continue;
      noticeConnected();
      long limit = idleLimitMs + (anyActivity ? 0 : engine.settings.timeouts.connectMs);
      auto idle = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - lastActivity).count();
      if (idle >= limit) fail(reasonOf(CURLE_OPERATION_TIMEDOUT), "no answer from the server");
      long wait = std::min<long>(kPollSliceMs, limit - idle);
      if (engine.waitHook) {
        if (Clock::now() >= nextHook) {
          // The hook may run a modal box for as long as the user likes: the loop goes round
          // once more before it looks at the clock again.
          if (engine.waitHook() == WaitAnswer::Stop) throw WaitStopped();
          nextHook = Clock::now() + kWaitHookPeriod;
          continue;
        }
        auto untilHook = std::chrono::ceil<std::chrono::milliseconds>(nextHook - Clock::now()).count();
        wait = std::clamp<long>(untilHook, 0, wait);
      }
      curl_multi_poll(engine.multi, nullptr, 0, static_cast<int>(wait), nullptr);
    }
  }

  // Connecting has its own time-out; the idle clock starts once the request is on its way.
  void noticeConnected() {
    if (anyActivity) return;
    curl_off_t pretransfer = 0;
    if (curl_easy_getinfo(easy, CURLINFO_PRETRANSFER_TIME_T, &pretransfer) == CURLE_OK && pretransfer > 0) touched();
  }

  void awaitHeaders() {
    driveUntil([this] { return headersDone; }, engine.settings.timeouts.receiveMs);
    if (!headersDone) fail(reasonOf(CURLE_GOT_NOTHING), "the response ended before its headers");
  }

  // True when unread body bytes are there; false at the end of the body.
  bool fillBody() {
    if (inPos < in.size()) return true;
    awaitHeaders();
    if (receivePaused) {
      receivePaused = false;
      curl_easy_pause(easy, CURLPAUSE_CONT);
    }
    driveUntil([this] { return inPos < in.size(); }, engine.settings.timeouts.receiveMs);
    return inPos < in.size();
  }
};

std::unique_ptr<Session> Client::openSession(std::string agent) const {
  return std::make_unique<Session>(std::move(agent), settings_);
}

Session::Session(std::string agent, Settings settings) : engine_(std::make_unique<Engine>()) {
  ensureGlobalInit();
  engine_->agent = std::move(agent);
  engine_->settings = std::move(settings);
  engine_->multi = curl_multi_init();
  if (!engine_->multi) throw InternetException("Not enough memory");
}

Session::~Session() { close(); }

void Session::close() {
  if (engine_ && engine_->multi) {
    curl_multi_cleanup(engine_->multi);
    engine_->multi = nullptr;
  }
}

void Session::setWaitHook(WaitHook hook) { engine_->waitHook = std::move(hook); }

std::unique_ptr<Connection> Session::connect(std::string host, std::uint16_t port) {
  if (!engine_->multi) throw InternetException("The session has been closed");
  return std::make_unique<Connection>(*engine_, std::move(host), port);
}

// libcurl connects per request: a connection is only its address.
struct Connection::Handle {};

Connection::Connection(Session::Engine& engine, std::string host, std::uint16_t port)
    : engine_(engine), host_(std::move(host)), port_(port) {}

Connection::~Connection() = default;

std::unique_ptr<Request> Connection::openRequest(std::string_view verb, std::string_view object,
                                                 std::string_view version, std::uint32_t requestFlags) {
  std::string url = (requestFlags & flags::kSecure) ? "https://" : "http://";
  bool ipv6Literal = host_.find(':') != std::string::npos && host_.front() != '[';
  url += ipv6Literal ? "[" + host_ + "]" : host_;
  url += ":" + std::to_string(port_);
  if (object.empty() || object.front() != '/') url += '/';
  url += object;
  return std::make_unique<Request>(engine_, std::move(url), version != "HTTP/1.1",
                                   verb.empty() ? std::string("GET") : std::string(verb), requestFlags);
}

Request::Request(Session::Engine& engine, std::string url, bool http10, std::string verb, std::uint32_t requestFlags)
    : engine_(engine), url_(std::move(url)), http10_(http10), verb_(std::move(verb)), flags_(requestFlags) {}

Request::~Request() { close(); }

void Request::close() { transfer_.reset(); }

void Request::addRequestHeaders(std::string_view headers) {
  std::string have;
  forEachLine(headers_, [&](std::string_view line) { have += "\n" + headerName(line) + "\n"; });
  forEachLine(headers, [&](std::string_view line) {
    std::string key = "\n" + headerName(line) + "\n";
    if (have.find(key) != std::string::npos) return;
    have += key;
    headers_.append(line);
    headers_ += "\r\n";
  });
}

void Request::setCredentials(std::string user, std::string password) {
  user_ = std::move(user);
  password_ = std::move(password);
}

void Request::sendRequest(std::string_view headers, std::string_view body) {
  addRequestHeaders(headers);
  transfer_.reset();
  transfer_ = std::make_unique<Transfer>(engine_);
  transfer_->configure(url_, http10_, verb_, flags_, headers_, user_, password_);
  if (!body.empty()) {
    transfer_->postBody.assign(body);
    curl_easy_setopt(transfer_->easy, CURLOPT_POSTFIELDS, transfer_->postBody.data());
    curl_easy_setopt(transfer_->easy, CURLOPT_POSTFIELDSIZE_LARGE,
                     static_cast<curl_off_t>(transfer_->postBody.size()));
  }
  transfer_->start();
  transfer_->awaitHeaders();
}

void Request::sendRequestEx(std::uint64_t totalLength) {
  transfer_.reset();
  transfer_ = std::make_unique<Transfer>(engine_);
  transfer_->configure(url_, http10_, verb_, flags_, headers_, user_, password_);
  transfer_->streamingBody = true;
  curl_easy_setopt(transfer_->easy, CURLOPT_POST, 1L);
  curl_easy_setopt(transfer_->easy, CURLOPT_READFUNCTION, &Transfer::onSend);
  curl_easy_setopt(transfer_->easy, CURLOPT_READDATA, transfer_.get());
  curl_easy_setopt(transfer_->easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(totalLength));
  transfer_->start();
  // Connected, handshake done and headers sent once curl asks for the first body bytes.
  Transfer& t = *transfer_;
  t.driveUntil([&t] { return t.bodyWanted || t.headersDone; }, engine_.settings.timeouts.sendMs);
}

void Request::write(const char* data, std::size_t size) {
  if (!transfer_ || !transfer_->streamingBody) throw InternetException("The request has not been started");
  Transfer& t = *transfer_;
  t.out.assign(data, size);
  t.outPos = 0;
  if (t.sendPaused) {
    t.sendPaused = false;
    curl_easy_pause(t.easy, CURLPAUSE_CONT);
  }
  t.driveUntil([&t] { return t.outPos == t.out.size() || t.headersDone; }, engine_.settings.timeouts.sendMs);
  if (t.outPos != t.out.size() && !t.headersDone)
    t.fail(reasonOf(CURLE_SEND_ERROR), "the request body could not be sent");
}

void Request::endRequest() {
  if (!transfer_) throw InternetException("The request has not been started");
  transfer_->awaitHeaders();
}

std::uint32_t Request::statusCode() {
  if (!transfer_) return 0;
  transfer_->awaitHeaders();
  long status = 0;
  curl_easy_getinfo(transfer_->easy, CURLINFO_RESPONSE_CODE, &status);
  return static_cast<std::uint32_t>(status);
}

std::string Request::statusText() {
  std::string headers = rawHeaders();
  std::string_view line = std::string_view(headers).substr(0, headers.find("\r\n"));
  size_t first = line.find(' ');
  if (first == std::string_view::npos) return {};
  size_t second = line.find(' ', first + 1);
  return second == std::string_view::npos ? std::string() : std::string(line.substr(second + 1));
}

std::string Request::rawHeaders() {
  if (!transfer_) return {};
  transfer_->awaitHeaders();
  return transfer_->rawHeaders;
}

std::optional<std::uint64_t> Request::contentLength() {
  if (!transfer_) return std::nullopt;
  transfer_->awaitHeaders();
  curl_off_t length = -1;
  curl_easy_getinfo(transfer_->easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
  if (length < 0) return std::nullopt;
  return static_cast<std::uint64_t>(length);
}

std::size_t Request::queryDataAvailable() {
  if (!transfer_ || !transfer_->fillBody()) return 0;
  return transfer_->in.size() - transfer_->inPos;
}

std::size_t Request::read(char* buffer, std::size_t size) {
  if (!transfer_ || size == 0 || !transfer_->fillBody()) return 0;
  Transfer& t = *transfer_;
  std::size_t n = std::min(size, t.in.size() - t.inPos);
  std::memcpy(buffer, t.in.data() + t.inPos, n);
  t.inPos += n;
  return n;
}

bool Request::readLine(char* buffer, std::size_t maxChars) {
  std::size_t stored = 0;
  bool consumed = false;
  bool lineEnded = false;
  while (!lineEnded && stored < maxChars && transfer_ && transfer_->fillBody()) {
    Transfer& t = *transfer_;
    const char* from = t.in.data() + t.inPos;
    std::size_t available = t.in.size() - t.inPos;
    const void* lf = std::memchr(from, '\n', available);
    std::size_t segment = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - from) + 1 : available;
    std::size_t taken = 0;
    // Copy runs between carriage returns; stop at the LF or when the line is full.
    while (taken < segment && stored < maxChars) {
      const char* run = from + taken;
      std::size_t runLength = segment - taken;
      if (const void* cr = std::memchr(run, '\r', runLength))
        runLength = static_cast<std::size_t>(static_cast<const char*>(cr) - run);
      runLength = std::min(runLength, maxChars - stored);
      std::memcpy(buffer + stored, run, runLength);
      stored += runLength;
      taken += runLength;
      // A carriage return after a full line is the next call's, wherever the body was cut into
      // pieces on the way: reading it there may make an empty line, as byte-wise reading does.
      if (stored < maxChars && taken < segment && from[taken] == '\r') ++taken;
    }
    consumed = consumed || taken > 0;
    t.inPos += taken;
    lineEnded = lf != nullptr && taken == segment;
  }
  buffer[stored] = '\0';
  return consumed;
}

}  // namespace zx::platform::http
