#pragma once
// The web origins that may drive the control from a browser, kept in the configuration store
// under "Software\QORAX\ZorvAX0\WebOrigins": one value per origin, "allow" or "deny". The list
// belongs to the user, not to a package: no page can reach it through the package values.
//
// Threads: any (each call is its own registry transaction).
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/api.h"
#include "platform/registry.h"

namespace zx {

enum class OriginRule { Unknown, Allowed, Denied };

// An origin as browsers serialise it: "http" or "https", "://", a host (a name, an IPv4
// literal or a bracketed IPv6 literal) and an optional port, lower case, the scheme's default
// port dropped, nothing after. A trailing '/' is accepted and dropped. nullopt for anything
// else (paths, other schemes, opaque "null" origins, user names).
ZX_API std::optional<std::string> normaliseOrigin(std::string_view text);

// The origin of a page's URL: its scheme and authority, normalised; nullopt when the URL has
// no web origin (file:, about:, a user name in the authority, anything not http or https).
ZX_API std::optional<std::string> originOfPage(std::string_view url);

// Unknown for an origin with no value or one that is not well formed.
ZX_API OriginRule originRule(platform::Registry& registry, std::string_view origin);
// Unknown removes the origin's value. False when the origin is not well formed or the store
// refuses the write.
ZX_API bool setOriginRule(platform::Registry& registry, std::string_view origin, OriginRule rule);
// Every remembered origin with its rule, sorted by origin.
ZX_API std::vector<std::pair<std::string, OriginRule>> rememberedOrigins(platform::Registry& registry);

ZX_API const char* originRuleName(OriginRule rule);

}  // namespace zx
