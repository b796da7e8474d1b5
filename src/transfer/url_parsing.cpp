#include "transfer/url_parsing.h"

#include <cstdlib>

#include "core/messages.h"
#include "platform/codepage.h"
#include "platform/http.h"

namespace zx {

namespace {

constexpr std::string_view kFileScheme = "file://";

// atoi's reading (leading blanks, a sign, digits up to the first other character), kept to 16 bits.
std::uint16_t portOf(const std::string& text) {
  long long value = std::strtoll(text.c_str(), nullptr, 10);
  return static_cast<std::uint16_t>(static_cast<std::uint32_t>(value));
}

// "file://host:port/...": the host and port are read from the text itself.
bool takeFileAuthority(ControlState& control) {
  const std::string& url = control.url;
  if (url.size() <= kFileScheme.size()) return false;
  size_t colon = platform::ansiFind(url, ':', kFileScheme.size());
  if (colon == std::string_view::npos) return false;
  control.Hostname = url.substr(kFileScheme.size(), colon - kFileScheme.size());
  size_t slash = platform::ansiFind(url, '/', colon);
  size_t end = slash == std::string_view::npos ? url.size() : slash;
  control.m_serverPort = portOf(url.substr(colon + 1, end - colon - 1));
  return true;
}

}  // namespace

std::int32_t parseUrl(platform::Ui& ui, ControlState& control) {
  platform::http::UrlParts parts;
  bool ok = platform::http::crackUrl(control.url, parts);
  if (ok) {
    control.m_serviceType = parts.scheme;
    control.Hostname = parts.host;
    control.m_requestObject = parts.object;
    control.m_serverPort = parts.port;
    if (control.url.compare(0, kFileScheme.size(), kFileScheme) == 0) ok = takeFileAuthority(control);
  }
  if (!ok) {
    controlBox(ui, ansi("URL 형식이 잘 못 되었습니다.\r\n다시 시도 하십시오.\n[") + control.url + "]", ansi("연결"),
               platform::mb::MB_TASKMODAL | platform::mb::MB_OK);
    return -1;
  }
  control.Port = std::to_string(control.m_serverPort);
  return 0;
}

}  // namespace zx
