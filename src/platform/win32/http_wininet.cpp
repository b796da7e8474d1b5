// HTTP over WinInet, as the control always spoke it: one internet session per exchange, a
// connection per server, requests opened with the exchange's flags. The library's calls block;
// while one waits on the network it runs on the session's helper thread and the session's
// thread keeps calling the wait hook, so the page and the progress dialog stay alive.
#include <algorithm>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/exceptions.h"
#include "platform/http.h"
#include "platform/win32/wininet_credentials.h"

#include "platform/win32/system_headers.h"
#include <wininet.h>

namespace zx::platform::http {
namespace {

// The wait hook's period: half the 100 ms promised, so a slow round still keeps it.
constexpr auto kWaitHookPeriod = std::chrono::milliseconds(50);
// The most one round of reading takes from the library.
constexpr DWORD kReadBlock = 256 * 1024;
constexpr DWORD_PTR kContext = 1;

// The library's own text for its error codes, English on every system we target.
std::string errorText(DWORD code) {
  char buffer[1024];
  DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_IGNORE_INSERTS,
                                GetModuleHandleA("wininet.dll"), code, 0, buffer, sizeof buffer, nullptr);
  if (length == 0)
    length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, buffer,
                            sizeof buffer, nullptr);
  std::string text(buffer, length);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
  if (text.empty()) text = "An internet error occurred";
  return text + " (" + std::to_string(code) + ")";
}

[[noreturn]] void fail(DWORD code) { throw InternetException(errorText(code)); }

// A blocking call of the library and its outcome, shared by the waiting thread and the helper.
struct Call {
  std::function<BOOL()> body;
  BOOL result = FALSE;
  DWORD error = 0;
  bool done = false;
};

// The session's helper thread. It outlives the session when the last call was abandoned: the
// call's state is shared, so nothing it touches goes away under it.
class Helper {
 public:
  Helper() : state_(std::make_shared<State>()) {
    std::thread([state = state_] { serve(*state); }).detach();
  }
  ~Helper() {
    std::lock_guard lock(state_->mutex);
    state_->closing = true;
    state_->changed.notify_all();
  }
  Helper(const Helper&) = delete;
  Helper& operator=(const Helper&) = delete;

  // Runs the call on the helper; calls `tick` every period until it ends. When tick answers
  // Stop, `abandon` runs (it closes the handle the call waits on) and WaitStopped is raised
  // without waiting for the call.
  void run(const std::shared_ptr<Call>& call, const WaitHook& tick, const std::function<void()>& abandon) {
    std::unique_lock lock(state_->mutex);
    state_->calls.push_back(call);
    state_->changed.notify_all();
    while (!call->done) {
      if (state_->changed.wait_for(lock, kWaitHookPeriod, [&] { return call->done; })) break;
      lock.unlock();
      const bool stop = tick() == WaitAnswer::Stop;
      if (stop) abandon();
      lock.lock();
      if (stop) throw WaitStopped();
    }
  }

 private:
  struct State {
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::shared_ptr<Call>> calls;
    bool closing = false;
  };

  static void serve(State& state) {
    std::unique_lock lock(state.mutex);
    for (;;) {
      state.changed.wait(lock, [&] { return state.closing || !state.calls.empty(); });
      if (state.calls.empty()) return;
      std::shared_ptr<Call> call = std::move(state.calls.front());
      state.calls.pop_front();
      lock.unlock();
      const BOOL result = call->body();
      const DWORD error = result ? 0 : GetLastError();
      lock.lock();
      call->result = result;
      call->error = error;
      call->done = true;
      state.changed.notify_all();
    }
  }

  std::shared_ptr<State> state_;
};

thread_local HINTERNET unauthorizedRequest = nullptr;

}  // namespace

struct Session::Engine {
  std::string agent;
  Settings settings;
  HINTERNET internet = nullptr;
  WaitHook waitHook;
  std::unique_ptr<Helper> helper;

  // Runs a call that may wait on the network; false with the library's error code in *error.
  BOOL blocking(std::function<BOOL()> body, HINTERNET waitingOn, DWORD* error) {
    if (!waitHook) {
      BOOL result = body();
      if (!result) *error = GetLastError();
      return result;
    }
    if (!helper) helper = std::make_unique<Helper>();
    auto call = std::make_shared<Call>();
    call->body = std::move(body);
    helper->run(call, waitHook, [waitingOn] { InternetCloseHandle(waitingOn); });
    if (!call->result) *error = call->error;
    return call->result;
  }
};

struct Connection::Handle {
  HINTERNET connection = nullptr;
};

// One request of the library and the part of its body read ahead.
struct Request::Transfer {
  HINTERNET request = nullptr;
  bool abandoned = false;  // closed by a stopped wait
  std::shared_ptr<std::string> in = std::make_shared<std::string>();
  std::size_t inPos = 0;
  bool ended = false;
  std::uint64_t received = 0;  // body bytes taken from the library since the request was sent

  ~Transfer() {
    if (unauthorizedRequest == request) unauthorizedRequest = nullptr;
    if (!abandoned) InternetCloseHandle(request);
  }

  bool hasUnread() const { return inPos < in->size(); }

  // True when unread body bytes are there; false at the end of the body.
  bool fill(Session::Engine& engine) {
    if (hasUnread()) return true;
    if (ended) return false;
    auto block = in;
    HINTERNET handle = request;
    DWORD error = 0;
    // Waits for the first bytes, then takes what has arrived without waiting again.
    BOOL ok = call(engine, [handle, block] {
      DWORD available = 0;
      if (!InternetQueryDataAvailable(handle, &available, 0, 0)) return FALSE;
      block->resize(std::clamp<DWORD>(available, 1, kReadBlock));
      DWORD read = 0;
      BOOL done = InternetReadFile(handle, block->data(), static_cast<DWORD>(block->size()), &read);
      block->resize(done ? read : 0);
      return done;
    }, &error);
    inPos = 0;
    if (!ok) fail(error);
    received += in->size();
    ended = in->empty();
    // The library ends a body whose connection closed early like a whole one: a body shorter
    // than its Content-Length was cut off.
    if (ended && received < announcedLength().value_or(0)) fail(ERROR_INTERNET_CONNECTION_ABORTED);
    return !ended;
  }

  std::optional<std::uint64_t> announcedLength() const {
    std::string text = queryText(HTTP_QUERY_CONTENT_LENGTH);
    if (text.empty()) return std::nullopt;
    return std::strtoull(text.c_str(), nullptr, 10);
  }

  BOOL call(Session::Engine& engine, std::function<BOOL()> body, DWORD* error) {
    try {
      return engine.blocking(std::move(body), request, error);
    } catch (const WaitStopped&) {
      abandoned = true;
      throw;
    }
  }

  void check(Session::Engine& engine, std::function<BOOL()> body) {
    DWORD error = 0;
    if (!call(engine, std::move(body), &error)) fail(error);
  }

  std::string queryText(DWORD info) const {
    std::string text(256, '\0');
    for (;;) {
      DWORD length = static_cast<DWORD>(text.size());
      if (HttpQueryInfoA(request, info, text.data(), &length, nullptr)) return text.substr(0, length);
      if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return {};
      text.resize(length + 1);
    }
  }
};

namespace {

// Bytes above 0x7F as %XX, as the system's canonicalizer escapes them on Windows; Wine's leaves
// them as they are and then cuts the result short, so they never reach it.
std::string escapeEightBit(std::string_view url) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string escaped;
  for (unsigned char c : url) {
    if (c < 0x80) {
      escaped += static_cast<char>(c);
    } else {
      escaped += '%';
      escaped += kHex[c >> 4];
      escaped += kHex[c & 0x0F];
    }
  }
  return escaped;
}

}  // namespace

bool crackUrl(std::string_view url, UrlParts& parts) {
  std::string text = escapeEightBit(url);
  DWORD length = static_cast<DWORD>(text.size() * 3 + 16);
  std::string canonical(length, '\0');
  if (!InternetCanonicalizeUrlA(text.c_str(), canonical.data(), &length, 0)) return false;
  canonical.resize(std::strlen(canonical.c_str()));
  char host[INTERNET_MAX_HOST_NAME_LENGTH + 1] = {};
  std::string path(canonical.size() + 1, '\0'), extra(canonical.size() + 1, '\0');
  URL_COMPONENTSA components{};
  components.dwStructSize = sizeof components;
  components.lpszHostName = host;
  components.dwHostNameLength = sizeof host;
  components.lpszUrlPath = path.data();
  components.dwUrlPathLength = static_cast<DWORD>(path.size());
  components.lpszExtraInfo = extra.data();
  components.dwExtraInfoLength = static_cast<DWORD>(extra.size());
  if (!InternetCrackUrlA(canonical.c_str(), static_cast<DWORD>(canonical.size()), 0, &components)) return false;
  // Texts are read up to their terminating zero: Wine counts the lengths it reports in
  // characters, not bytes, and so would cut texts with two-byte characters short.
  parts.scheme = static_cast<std::uint32_t>(components.nScheme);
  parts.host = host;
  parts.object = std::string(path.c_str()) + extra.c_str();
  parts.port = components.nPort;
  return true;
}

std::unique_ptr<Session> Client::openSession(std::string agent) const {
  return std::make_unique<Session>(std::move(agent), settings_);
}

Session::Session(std::string agent, Settings settings) : engine_(std::make_unique<Engine>()) {
  engine_->agent = std::move(agent);
  engine_->settings = std::move(settings);
  engine_->internet = InternetOpenA(engine_->agent.c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
  if (!engine_->internet) fail(GetLastError());
  const Timeouts& timeouts = engine_->settings.timeouts;
  for (auto [option, value] : {std::pair{INTERNET_OPTION_CONNECT_TIMEOUT, timeouts.connectMs},
                               std::pair{INTERNET_OPTION_SEND_TIMEOUT, timeouts.sendMs},
                               std::pair{INTERNET_OPTION_RECEIVE_TIMEOUT, timeouts.receiveMs}}) {
    DWORD milliseconds = static_cast<DWORD>(value);
    InternetSetOptionA(engine_->internet, option, &milliseconds, sizeof milliseconds);
  }
}

Session::~Session() { close(); }

void Session::close() {
  if (engine_ && engine_->internet) {
    InternetCloseHandle(engine_->internet);
    engine_->internet = nullptr;
  }
}

void Session::setWaitHook(WaitHook hook) { engine_->waitHook = std::move(hook); }

std::unique_ptr<Connection> Session::connect(std::string host, std::uint16_t port) {
  if (!engine_->internet) throw InternetException("The session has been closed");
  return std::make_unique<Connection>(*engine_, std::move(host), port);
}

Connection::Connection(Session::Engine& engine, std::string host, std::uint16_t port)
    : engine_(engine), host_(std::move(host)), port_(port), handle_(std::make_unique<Handle>()) {
  handle_->connection = InternetConnectA(engine_.internet, host_.c_str(), port_, nullptr, nullptr,
                                         INTERNET_SERVICE_HTTP, 0, kContext);
  if (!handle_->connection) fail(GetLastError());
}

Connection::~Connection() { InternetCloseHandle(handle_->connection); }

std::unique_ptr<Request> Connection::openRequest(std::string_view verb, std::string_view object,
                                                 std::string_view version, std::uint32_t requestFlags) {
  std::string verbText(verb.empty() ? std::string_view("GET") : verb), objectText(object), versionText(version);
  // The library checks that the certificate names the host; nothing here may switch that off.
  // A redirect reaches the exchange, which follows it by its own rule (one hop, HTTP only, a
  // POST without a body): the library's following would resend, change the verb and go on.
  const DWORD libraryFlags =
      (requestFlags & ~static_cast<DWORD>(INTERNET_FLAG_IGNORE_CERT_CN_INVALID)) | INTERNET_FLAG_NO_AUTO_REDIRECT;
  HINTERNET handle = HttpOpenRequestA(handle_->connection, verbText.c_str(), objectText.c_str(),
                                      versionText.empty() ? nullptr : versionText.c_str(), nullptr, nullptr,
                                      libraryFlags, kContext);
  if (!handle) fail(GetLastError());
  auto request = std::make_unique<Request>(engine_, objectText, versionText != "HTTP/1.1", verbText, requestFlags);
  request->transfer_ = std::make_unique<Request::Transfer>();
  request->transfer_->request = handle;
  return request;
}

Request::Request(Session::Engine& engine, std::string url, bool http10, std::string verb, std::uint32_t requestFlags)
    : engine_(engine), url_(std::move(url)), http10_(http10), verb_(std::move(verb)), flags_(requestFlags) {}

Request::~Request() { close(); }

void Request::close() { transfer_.reset(); }

namespace {
Request::Transfer& opened(const std::unique_ptr<Request::Transfer>& transfer) {
  if (!transfer) throw InternetException("The request has been closed");
  return *transfer;
}
}  // namespace

void Request::addRequestHeaders(std::string_view headers) {
  std::string text(headers);
  if (text.empty()) return;
  if (!HttpAddRequestHeadersA(opened(transfer_).request, text.c_str(), static_cast<DWORD>(text.size()),
                              HTTP_ADDREQ_FLAG_ADD_IF_NEW) &&
      GetLastError() != ERROR_HTTP_HEADER_ALREADY_EXISTS)
    fail(GetLastError());
}

void Request::sendRequest(std::string_view headers, std::string_view body) {
  Transfer& t = opened(transfer_);
  auto headerText = std::make_shared<std::string>(headers);
  auto bodyText = std::make_shared<std::string>(body);
  HINTERNET handle = t.request;
  t.check(engine_, [handle, headerText, bodyText] {
    return HttpSendRequestA(handle, headerText->empty() ? nullptr : headerText->c_str(),
                            static_cast<DWORD>(headerText->size()), bodyText->empty() ? nullptr : bodyText->data(),
                            static_cast<DWORD>(bodyText->size()));
  });
  t.in->clear();
  t.inPos = 0;
  t.ended = false;
  t.received = 0;
}

void Request::sendRequestEx(std::uint64_t totalLength) {
  Transfer& t = opened(transfer_);
  HINTERNET handle = t.request;
  const DWORD total = static_cast<DWORD>(totalLength);
  t.check(engine_, [handle, total] {
    INTERNET_BUFFERSA buffers{};
    buffers.dwStructSize = sizeof buffers;
    buffers.dwBufferTotal = total;
    return HttpSendRequestExA(handle, &buffers, nullptr, HSR_INITIATE, kContext);
  });
}

void Request::write(const char* data, std::size_t size) {
  Transfer& t = opened(transfer_);
  auto piece = std::make_shared<std::string>(data, size);
  HINTERNET handle = t.request;
  t.check(engine_, [handle, piece] {
    DWORD written = 0;
    if (!InternetWriteFile(handle, piece->data(), static_cast<DWORD>(piece->size()), &written)) return FALSE;
    if (written == piece->size()) return TRUE;
    SetLastError(ERROR_INTERNET_CONNECTION_ABORTED);
    return FALSE;
  });
}

void Request::endRequest() {
  Transfer& t = opened(transfer_);
  HINTERNET handle = t.request;
  t.check(engine_, [handle] { return HttpEndRequestA(handle, nullptr, 0, kContext); });
}

void Request::setCredentials(std::string user, std::string password) {
  user_ = std::move(user);
  password_ = std::move(password);
  Transfer& t = opened(transfer_);
  InternetSetOptionA(t.request, INTERNET_OPTION_USERNAME, user_.data(), static_cast<DWORD>(user_.size()));
  InternetSetOptionA(t.request, INTERNET_OPTION_PASSWORD, password_.data(), static_cast<DWORD>(password_.size()));
}

std::uint32_t Request::statusCode() {
  if (!transfer_) return 0;
  const std::uint32_t status =
      static_cast<std::uint32_t>(std::strtoul(transfer_->queryText(HTTP_QUERY_STATUS_CODE).c_str(), nullptr, 10));
  if (status == 401) unauthorizedRequest = transfer_->request;
  return status;
}

std::string Request::statusText() { return transfer_ ? transfer_->queryText(HTTP_QUERY_STATUS_TEXT) : std::string(); }

std::string Request::rawHeaders() { return transfer_ ? transfer_->queryText(HTTP_QUERY_RAW_HEADERS_CRLF) : std::string(); }

std::optional<std::uint64_t> Request::contentLength() {
  if (!transfer_) return std::nullopt;
  return transfer_->announcedLength();
}

std::size_t Request::queryDataAvailable() {
  if (!transfer_ || !transfer_->fill(engine_)) return 0;
  return transfer_->in->size() - transfer_->inPos;
}

std::size_t Request::read(char* buffer, std::size_t size) {
  if (!transfer_ || size == 0 || !transfer_->fill(engine_)) return 0;
  Transfer& t = *transfer_;
  std::size_t n = std::min(size, t.in->size() - t.inPos);
  std::memcpy(buffer, t.in->data() + t.inPos, n);
  t.inPos += n;
  return n;
}

bool Request::readLine(char* buffer, std::size_t maxChars) {
  std::size_t stored = 0;
  bool consumed = false;
  while (stored < maxChars && transfer_ && transfer_->fill(engine_)) {
    Transfer& t = *transfer_;
    const char c = (*t.in)[t.inPos++];
    consumed = true;
    if (c == '\r') continue;
    buffer[stored++] = c;
    if (c == '\n') break;
  }
  buffer[stored] = '\0';
  return consumed;
}

PasswordAnswer askForCredentials(HWND owner) {
  PasswordAnswer answer;
  HINTERNET request = unauthorizedRequest;
  if (!request) return answer;
  DWORD choice = InternetErrorDlg(owner, request, ERROR_INTERNET_INCORRECT_PASSWORD,
                                  FLAGS_ERROR_UI_FLAGS_GENERATE_DATA | FLAGS_ERROR_UI_FLAGS_CHANGE_OPTIONS, nullptr);
  answer.retry = choice == ERROR_INTERNET_FORCE_RETRY;
  for (auto [option, text] : {std::pair{INTERNET_OPTION_USERNAME, &answer.user},
                              std::pair{INTERNET_OPTION_PASSWORD, &answer.password}}) {
    char value[256] = {};
    DWORD length = sizeof value;
    if (InternetQueryOptionA(request, option, value, &length)) text->assign(value, strnlen(value, sizeof value));
  }
  return answer;
}

}  // namespace zx::platform::http
