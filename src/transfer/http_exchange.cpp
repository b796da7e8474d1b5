#include "transfer/http_exchange.h"

#include <cstdio>
#include <new>

#include "core/message_pump.h"
#include "core/messages.h"
#include "platform/codepage.h"
#include "platform/exceptions.h"
#include "platform/ui.h"
#include "protect/url_encode.h"
#include "ui/status_dialog.h"

namespace zx {

namespace http = platform::http;
namespace mb = platform::mb;

namespace {

constexpr const char* kAgent = "ZorvCW";
// No flag forgives a certificate that names another host.
constexpr std::uint32_t kRequestFlags = http::flags::kReload | http::flags::kExistingConnect |
                                        http::flags::kNoCacheWrite | http::flags::kIgnoreCertDateInvalid;

bool isRedirect(std::uint32_t status) { return status == 301 || status == 302 || status == 303; }

// The target of the first "Location: " line, up to its line feed; the carriage return before
// the line feed is not part of it.
std::string locationOf(const std::string& rawHeaders, bool& found) {
  size_t at = rawHeaders.find("Location: ");
  found = at != std::string::npos;
  if (!found) return {};
  std::string target = rawHeaders.substr(at + 10);
  size_t lf = target.find('\n');
  if (lf != std::string::npos && lf != 0) target.resize(lf);
  if (!target.empty() && target.back() == '\r') target.pop_back();
  return target;
}

// While the exchange waits on the network the window keeps working, and a cancel the user
// confirms in the progress dialog ends the wait while it still can.
http::WaitAnswer keepWindowAlive(platform::Ui& ui, bool cancelEndsWait) {
  pumpMessages(ui, 100);
  return cancelEndsWait && statusCancelled() ? http::WaitAnswer::Stop : http::WaitAnswer::KeepWaiting;
}

}  // namespace

void FormBody::add(std::string_view name, std::string_view value) {
  startField(name);
  appendEncoded(value);
}

void FormBody::startField(std::string_view name) {
  if (!text_.empty()) text_ += '&';
  text_ += name;
  text_ += '=';
}

void FormBody::appendEncoded(std::string_view value) { text_ += CURLEncode().encode(value); }

std::string requestHeaders(const ControlState& control, Direction direction, std::size_t contentLength) {
  std::string headers = "Accept: */*\r\nUser-Agent: ";
  headers += kAgent;
  headers += "\r\nHost: " + control.Hostname + ":" + std::to_string(control.m_serverPort) + "\r\n";
  headers += direction == Direction::Download ? "Connection: close\r\n" : "Connection: Keep-Alive\r\n";
  headers += "Content-type: application/x-www-form-urlencoded\r\n";
  headers += "Content-length: " + std::to_string(contentLength) + "\r\n";
  return headers;
}

HttpExchange::HttpExchange(const platform::Env& env, ControlState& control, Direction direction, std::string headers,
                           Resend resend)
    : env_(env),
      control_(control), direction_(direction), headers_(std::move(headers)), resend_(std::move(resend)) {}

HttpExchange::~HttpExchange() { cleanUp(); }

std::int32_t HttpExchange::run(const SendStep& send, const SuccessStep& success,
                               const BeforeStatusBox& beforeStatusBox) {
  std::int32_t result = -1;
  try {
    session_ = env_.http.openSession(kAgent);
    session_->setWaitHook([this] { return keepWindowAlive(env_.ui, cancelEndsWait_); });
    connection_ = session_->connect(control_.Hostname, control_.m_serverPort);
    bool download = direction_ == Direction::Download;
    // The upload always speaks TLS; a download does when its address says https.
    bool secure = !download || control_.m_serviceType == http::scheme::kHttps;
    request_ = connection_->openRequest("POST", control_.m_requestObject, download ? "HTTP/1.1" : "",
                                        secure ? kRequestFlags | http::flags::kSecure : kRequestFlags);
    result = send(*request_);
    if (result == 0) {
      std::int32_t status = statusAndRetries();
      if (status < 0) {
        result = status;
      } else if (status >= 200 && status <= 299) {
        result = success(*request_);
      } else {
        showStatusBox(static_cast<std::uint32_t>(status), beforeStatusBox);
        result = -1;
      }
    }
  } catch (const http::WaitStopped&) {
    result = -2;  // the user cancelled while the server kept silent: no error to show
  } catch (const FrameworkException& error) {
    showExceptionBox(error.errorMessage());
    result = -1;
  } catch (const std::bad_alloc&) {
    showExceptionBox(MemoryException().errorMessage());
    result = -1;
  }
  cleanUp();
  return result;
}

// The status after the authentication retry and the redirect, or -1 when one of them ends the
// exchange without a message.
std::int32_t HttpExchange::statusAndRetries() {
  std::uint32_t status = request_->statusCode();
  if (status == 401) {
    platform::PasswordAnswer answer = env_.ui.passwordPrompt(platform::Owner::None, control_.Hostname);
    if (!answer.retry) return -1;
    request_->setCredentials(answer.user, answer.password);
    // The retry carries the form again: a POST that announces a body and sends none would
    // leave the server waiting for it.
    resend_(*request_);
    status = request_->statusCode();
  }
  // The redirected request carries no body: an upload it would end reached nobody, and is
  // reported with the status like any other answer that is no success.
  if (isRedirect(status) && direction_ == Direction::Download) return followRedirect() ? 200 : -1;
  return static_cast<std::int32_t>(status);
}

bool HttpExchange::followRedirect() {
  bool found = false;
  std::string target = locationOf(request_->rawHeaders(), found);
  if (!found) return false;
  closeRequestAndConnection();
  http::UrlParts parts;
  if (!http::crackUrl(target, parts)) return false;
  control_.m_serviceType = parts.scheme;
  control_.Hostname = parts.host;
  control_.m_requestObject = parts.object;
  control_.m_serverPort = parts.port;
  if (control_.m_serviceType != http::scheme::kHttp) return false;
  connection_ = session_->connect(control_.Hostname, control_.m_serverPort);
  request_ = connection_->openRequest("POST", control_.m_requestObject, "", http::flags::kExistingConnect);
  request_->addRequestHeaders(headers_);
  request_->sendRequest();
  return request_->statusCode() == 200;
}

void HttpExchange::showStatusBox(std::uint32_t status, const BeforeStatusBox& beforeStatusBox) {
  std::string reason = request_->statusText();
  if (beforeStatusBox) beforeStatusBox();
  char text[2048];
  std::snprintf(text, sizeof text,
                ansi("서버에서 오류 응답을 보내왔습니다.\n다시 시도 하십시오.\n서버응답:[%d] %s").c_str(),
                static_cast<int>(status), reason.c_str());
  controlBox(env_.ui, text, ansi("서버응답"), mb::MB_OK);
}

void HttpExchange::showExceptionBox(const std::string& errorMessage) {
  std::string format = direction_ == Direction::Download
                           ? ansi("오류 응답을 보내 왔습니다.\n다시 시도 하십시오.\n[응답] : %s\n")
                           : ansi("오류 응답입니다. 다시 시도 하십시오.\n응답 : %s\n");
  char text[2048];
  std::snprintf(text, sizeof text, format.c_str(), errorMessage.c_str());
  controlBox(env_.ui, text, "OPEN ERROR", mb::MB_TASKMODAL);
}

void HttpExchange::closeRequestAndConnection() {
  request_.reset();
  connection_.reset();
}

void HttpExchange::cleanUp() {
  closeRequestAndConnection();
  session_.reset();
}

}  // namespace zx
