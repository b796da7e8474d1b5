#pragma once
// The service's server side: answers the control's download and upload forms, with switches
// that make it misbehave the ways the end-to-end tests need.
#include <atomic>
#include <map>
#include <mutex>
#include <cstdint>
#include <string>
#include <vector>

#include "keys.h"
#include "text.h"
#include "transport.h"

namespace zxpeer {

struct ServerConfig {
  std::string dataDir;
  std::string stateDir;
  std::string bindAddress = "127.0.0.1";
  int httpPort = 0;
  int uploadPort = 0;
  std::string authUser = "zorvax";
  std::string authPassword = "zorvax";
  FormFields defaults;  // switches for every request; query parameters override them
  std::string siteDir;  // static files served by GET under /site/ (none when empty)
  bool quiet = false;
};

// Query parameters first, then the defaults of the run.
class Switches {
 public:
  Switches(FormFields query, const FormFields& defaults) : query_(std::move(query)), defaults_(defaults) {}
  std::string text(std::string_view name, std::string_view fallback = {}) const;
  long number(std::string_view name, long fallback = 0) const;
  bool on(std::string_view name) const { return number(name) != 0; }

 private:
  FormFields query_;
  const FormFields& defaults_;
};

struct Response {
  int status = 200;
  std::vector<std::string> headers;  // complete lines without CRLF
  std::string body;
  std::string bodyFile;  // streamed instead of body when set
  bool dropHalfway = false;
  bool stallHalfway = false;  // half the body, then silence until the client goes
  bool cutHalfway = false;    // half the body, then an orderly close
  bool chunked = false;       // chunked transfer coding instead of a Content-Length
  int lateMs = 0;             // the answer waits this long after the request was handled
  std::vector<std::string> notes;  // for the request's .txt record
};

// Numbered raw records of the requests: requests/000001.http and 000001.txt.
class Recorder {
 public:
  explicit Recorder(std::string directory);
  unsigned store(const std::string& rawBytes);
  void note(unsigned number, const std::vector<std::string>& lines);

 private:
  std::string path(unsigned number, const char* extension) const;
  std::string directory_;
  std::atomic<unsigned> last_{0};
};

class DocServer {
 public:
  DocServer(ServerConfig config, const ServerKeys& keys);
  // One connection: one request and its answer.
  void serve(Stream& stream);
  const ServerConfig& config() const { return config_; }

 private:
  Response answer(const RawRequest& request, const Switches& switches, unsigned number);
  Response download(const RawRequest& request, const FormFields& form, const Switches& switches);
  Response upload(const FormFields& form, unsigned number);
  Response redirect(const RawRequest& request, const Switches& switches);
  Response siteFile(const RawRequest& request) const;
  bool authorized(const RawRequest& request) const;
  void send(Stream& stream, const Response& response) const;

  ServerConfig config_;
  const ServerKeys& keys_;
  Recorder recorder_;
  std::string uploadDir_;
  // The form of each redirected request, for its follow-up that arrives without a body.
  std::mutex hopsMutex_;
  unsigned lastHop_ = 0;
  std::map<unsigned, std::string> hopForms_;
};

const char* reasonPhrase(int status);

}  // namespace zxpeer
