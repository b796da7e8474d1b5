#pragma once
// What the download and upload exchanges share: the URL-encoded form, the header block, and one
// POST with its authentication retry, single redirect, status and exception boxes, and the
// clean-up in its fixed order.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "core/control_state.h"
#include "platform/env.h"
#include "platform/http.h"

namespace zx {

// "name=value&name=value", every value URL-encoded, names as they are.
class FormBody {
 public:
  void add(std::string_view name, std::string_view value);
  // Appends "&name=" and leaves the value to appendEncoded (the upload's file content).
  void startField(std::string_view name);
  void appendEncoded(std::string_view value);
  const std::string& text() const { return text_; }
  std::size_t size() const { return text_.size(); }

 private:
  std::string text_;
};

enum class Direction { Download, Upload };

// The six header lines, each ending CRLF; the port is always written.
std::string requestHeaders(const ControlState& control, Direction direction, std::size_t contentLength);

class HttpExchange {
 public:
  // Sends the body again over a request whose credentials were just set (the retry after 401).
  using Resend = std::function<void(platform::http::Request&)>;

  HttpExchange(const platform::Env& env, ControlState& control, Direction direction, std::string headers,
               Resend resend);
  ~HttpExchange();

  // Sends the first request over the opened request; answers 0 to go on, or the result that
  // ends the exchange (the upload's cancel).
  using SendStep = std::function<std::int32_t(platform::http::Request&)>;
  // Runs after a status of 200-299 (or 200 after a redirect); answers the exchange's result.
  using SuccessStep = std::function<std::int32_t(platform::http::Request&)>;
  // Runs before the status box (the download closes its local file there).
  using BeforeStatusBox = std::function<void()>;

  std::int32_t run(const SendStep& send, const SuccessStep& success, const BeforeStatusBox& beforeStatusBox);

  // Ends a success step early: request and connection go, the session stays until run returns.
  void closeRequestAndConnection();
  // Whether a cancel the user confirms ends a wait on the network (it does from the start). Once
  // the server has the whole request, its answer decides the result whatever the user clicks.
  void letCancelEndWaits(bool ends) { cancelEndsWait_ = ends; }

 private:
  std::int32_t statusAndRetries();
  bool followRedirect();
  void showStatusBox(std::uint32_t status, const BeforeStatusBox& beforeStatusBox);
  void showExceptionBox(const std::string& errorMessage);
  void cleanUp();

  const platform::Env& env_;
  ControlState& control_;
  Direction direction_;
  std::string headers_;
  Resend resend_;
  std::unique_ptr<platform::http::Session> session_;
  std::unique_ptr<platform::http::Connection> connection_;
  std::unique_ptr<platform::http::Request> request_;
  bool cancelEndsWait_ = true;
};

}  // namespace zx
