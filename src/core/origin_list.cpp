#include "core/origin_list.h"

#include <algorithm>
#include <cctype>

#include "core/config_store.h"
#include "platform/ascii.h"

namespace zx {
namespace {

const char* const kAllow = "allow";
const char* const kDeny = "deny";
constexpr size_t kRuleBuffer = 16;

bool isHostChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.' || c == '_';
}

bool isIpv6Char(char c) { return std::isxdigit(static_cast<unsigned char>(c)) || c == ':' || c == '.'; }

// The host part of an authority, with the port's colon after it; npos when the host is bad.
size_t hostEnd(std::string_view authority) {
  if (!authority.empty() && authority.front() == '[') {
    size_t close = authority.find(']');
    if (close == std::string_view::npos || close < 3) return std::string_view::npos;
    for (char c : authority.substr(1, close - 1))
      if (!isIpv6Char(c)) return std::string_view::npos;
    return close + 1;
  }
  size_t end = 0;
  while (end < authority.size() && isHostChar(authority[end])) ++end;
  if (end == 0 || authority[0] == '.' || authority[end - 1] == '.') return std::string_view::npos;
  return end;
}

std::optional<unsigned> portNumber(std::string_view digits) {
  if (digits.empty() || digits.size() > 5) return std::nullopt;
  unsigned port = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    port = port * 10 + static_cast<unsigned>(c - '0');
  }
  if (port == 0 || port > 65535) return std::nullopt;
  return port;
}

std::unique_ptr<platform::RegKey> originsKey(platform::Registry& registry, bool create) {
  const std::string name = kWebOriginsKey;
  return openConfigKey(registry, &name, create);
}

}  // namespace

std::optional<std::string> normaliseOrigin(std::string_view text) {
  std::string lowered;
  for (char c : text) lowered += ascii::lower(c);
  std::string_view rest = lowered;
  if (!rest.empty() && rest.back() == '/') rest.remove_suffix(1);
  unsigned defaultPort = 0;
  std::string scheme;
  if (rest.starts_with("http://")) {
    scheme = "http";
    defaultPort = 80;
  } else if (rest.starts_with("https://")) {
    scheme = "https";
    defaultPort = 443;
  } else {
    return std::nullopt;
  }
  rest.remove_prefix(scheme.size() + 3);
  size_t end = hostEnd(rest);
  if (end == std::string_view::npos) return std::nullopt;
  std::string origin = scheme + "://" + std::string(rest.substr(0, end));
  if (end == rest.size()) return origin;
  if (rest[end] != ':') return std::nullopt;
  auto port = portNumber(rest.substr(end + 1));
  if (!port) return std::nullopt;
  if (*port != defaultPort) origin += ":" + std::to_string(*port);
  return origin;
}

std::optional<std::string> originOfPage(std::string_view url) {
  const size_t scheme = url.find("://");
  if (scheme == std::string_view::npos) return std::nullopt;
  const size_t path = url.find_first_of("/?#", scheme + 3);
  return normaliseOrigin(url.substr(0, path));
}

OriginRule originRule(platform::Registry& registry, std::string_view origin) {
  auto name = normaliseOrigin(origin);
  if (!name) return OriginRule::Unknown;
  auto key = originsKey(registry, false);
  if (!key) return OriginRule::Unknown;
  auto text = readKeyText(registry, *key, *name, kRuleBuffer);
  if (text == kAllow) return OriginRule::Allowed;
  if (text == kDeny) return OriginRule::Denied;
  return OriginRule::Unknown;
}

bool setOriginRule(platform::Registry& registry, std::string_view origin, OriginRule rule) {
  auto name = normaliseOrigin(origin);
  if (!name) return false;
  auto key = originsKey(registry, rule != OriginRule::Unknown);
  if (!key) return rule == OriginRule::Unknown;
  if (rule == OriginRule::Unknown) {
    long status = registry.deleteValue(*key, *name);
    return status == platform::reg::kSuccess || status == platform::reg::kFileNotFound;
  }
  return writeKeyText(registry, *key, *name, rule == OriginRule::Allowed ? kAllow : kDeny);
}

std::vector<std::pair<std::string, OriginRule>> rememberedOrigins(platform::Registry& registry) {
  std::vector<std::pair<std::string, OriginRule>> out;
  auto key = originsKey(registry, false);
  if (!key) return out;
  for (const auto& value : registry.values(*key)) {
    const OriginRule rule = value.data == kAllow ? OriginRule::Allowed
                            : value.data == kDeny ? OriginRule::Denied
                                                  : OriginRule::Unknown;
    out.emplace_back(value.name, rule);
  }
  std::sort(out.begin(), out.end());
  return out;
}

const char* originRuleName(OriginRule rule) {
  switch (rule) {
    case OriginRule::Allowed:
      return kAllow;
    case OriginRule::Denied:
      return kDeny;
    default:
      return "unknown";
  }
}

}  // namespace zx
