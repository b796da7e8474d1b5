// The platform's URL splitter: canonicalise, then crack into scheme, host, port and object.
#include <cctype>
#include <cstdlib>

#include "platform/ascii.h"
#include "platform/http.h"

namespace zx::platform::http {

namespace {

struct SchemeName {
  const char* name;
  std::uint32_t code;
  std::uint16_t defaultPort;
  bool hierarchical;  // "scheme://host..." is required
};

constexpr SchemeName kSchemes[] = {
    {"http", scheme::kHttp, 80, true},      {"https", scheme::kHttps, 443, true},
    {"ftp", scheme::kFtp, 21, true},        {"gopher", scheme::kGopher, 70, true},
    {"file", scheme::kFile, 0, false},      {"news", scheme::kNews, 0, false},
    {"mailto", scheme::kMailto, 0, false},  {"socks", scheme::kSocks, 1080, false},
    {"javascript", scheme::kJavascript, 0, false}, {"vbscript", scheme::kVbscript, 0, false},
    {"res", scheme::kRes, 0, false},
};

const SchemeName* findScheme(std::string_view name) {
  for (const auto& known : kSchemes)
    if (ascii::equalsIgnoreCase(name, known.name)) return &known;
  return nullptr;
}

bool isSchemeText(std::string_view name) {
  if (name.empty() || !std::isalpha(static_cast<unsigned char>(name[0]))) return false;
  for (char c : name)
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '-' && c != '.') return false;
  return true;
}

// Unsafe characters and spaces become escapes; existing escapes stay as they are.
std::string escapeUnsafe(std::string_view text) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : text) {
    if (c <= 0x20 || c >= 0x7F || std::string_view("\"<>\\^`{|}").find(static_cast<char>(c)) != std::string_view::npos) {
      out += '%';
      out += digits[c >> 4];
      out += digits[c & 15];
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

// "." and ".." segments of a path resolved, as a browser would before sending it.
std::string removeDotSegments(std::string_view path) {
  std::string out;
  while (!path.empty()) {
    if (path.starts_with("../")) {
      path.remove_prefix(3);
    } else if (path.starts_with("./")) {
      path.remove_prefix(2);
    } else if (path.starts_with("/./")) {
      path.remove_prefix(2);
    } else if (path == "/.") {
      path = "/";
    } else if (path.starts_with("/../") || path == "/..") {
      path = path.size() == 3 ? std::string_view("/") : path.substr(3);
      size_t cut = out.rfind('/');
      out.erase(cut == std::string::npos ? 0 : cut);
    } else if (path == "." || path == "..") {
      path = {};
    } else {
      size_t next = path.find('/', 1);
      out += path.substr(0, next);
      path = next == std::string_view::npos ? std::string_view() : path.substr(next);
    }
  }
  return out;
}

std::string canonicalObject(std::string_view object) {
  size_t extra = object.find_first_of("?#");
  std::string path = removeDotSegments(object.substr(0, extra));
  if (path.empty() || path[0] != '/') path.insert(path.begin(), '/');
  std::string rest = extra == std::string_view::npos ? std::string() : std::string(object.substr(extra));
  return escapeUnsafe(path) + escapeUnsafe(rest);
}

bool parsePort(std::string_view text, std::uint16_t& port) {
  if (text.empty() || text.size() > 5) return false;
  unsigned value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  if (value > 65535) return false;
  port = static_cast<std::uint16_t>(value);
  return true;
}

// The digits a port text starts with, read as the system's splitter reads a file URL's port
// (no digits: 0), kept to 16 bits.
std::uint16_t leadingPort(std::string_view text) {
  std::uint32_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') break;
    value = value * 10 + static_cast<std::uint32_t>(c - '0');
  }
  return static_cast<std::uint16_t>(value);
}

// A file URL's authority is host and port as for a server, except that a single letter before
// the colon is a drive ("file://C:/dir"): then there is no host, and the drive starts the path.
// False for the drive form (and for a colon with nothing before it).
bool splitFileAuthority(std::string_view authority, UrlParts& result) {
  size_t colon = authority.rfind(':');
  if (colon != std::string_view::npos && colon <= 1) return false;
  result.host = std::string(authority.substr(0, colon));
  if (colon != std::string_view::npos) result.port = leadingPort(authority.substr(colon + 1));
  return true;
}

}  // namespace

bool crackUrl(std::string_view url, UrlParts& parts) {
  while (!url.empty() && std::isspace(static_cast<unsigned char>(url.front()))) url.remove_prefix(1);
  while (!url.empty() && std::isspace(static_cast<unsigned char>(url.back()))) url.remove_suffix(1);
  size_t colon = url.find(':');
  if (colon == std::string_view::npos || !isSchemeText(url.substr(0, colon))) return false;
  const SchemeName* known = findScheme(url.substr(0, colon));
  std::string_view rest = url.substr(colon + 1);
  bool hasAuthority = rest.starts_with("//");
  if (known && known->hierarchical && !hasAuthority) return false;
  UrlParts result;
  result.scheme = known ? known->code : scheme::kUnknown;
  result.port = known ? known->defaultPort : 0;
  if (!hasAuthority) {
    result.object = escapeUnsafe(rest);
    parts = std::move(result);
    return true;
  }
  rest.remove_prefix(2);
  size_t authorityEnd = rest.find_first_of("/?#");
  std::string_view authority = rest.substr(0, authorityEnd);
  std::string_view object = authorityEnd == std::string_view::npos ? std::string_view() : rest.substr(authorityEnd);
  if (size_t at = authority.rfind('@'); at != std::string_view::npos) authority.remove_prefix(at + 1);
  if (result.scheme == scheme::kFile) {
    if (!splitFileAuthority(authority, result)) object = rest;
  } else {
    size_t portColon = authority.rfind(':');
    if (portColon != std::string_view::npos && authority.find(']', portColon) == std::string_view::npos) {
      if (!parsePort(authority.substr(portColon + 1), result.port)) return false;
      authority = authority.substr(0, portColon);
    }
    if (authority.empty()) return false;
    result.host = std::string(authority);
  }
  result.object = canonicalObject(object);
  parts = std::move(result);
  return true;
}

}  // namespace zx::platform::http
