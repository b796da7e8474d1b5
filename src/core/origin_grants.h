#pragma once
// The folders the user granted to a web origin ("Always for this folder"), kept beside the
// origin list under "Software\QORAX\ZorvAX0\WebOrigins\Folders": one value per origin, its
// folders one a line. Like the list, they belong to the user: no package key reaches them.
//
// Threads: any (each call is its own registry transaction).
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/api.h"
#include "platform/registry.h"

namespace zx {

// The origin's folders, in the order they were granted; none for an origin not well formed.
ZX_API std::vector<std::string> grantedFolders(platform::Registry& registry, std::string_view origin);
// Adds a folder (a real location, no links) for the origin. False when the origin is not well
// formed, the folder cannot be kept on a line, or the store refuses the write.
ZX_API bool grantFolder(platform::Registry& registry, std::string_view origin, std::string_view folder);
// Drops every folder of the origin; true when none is left.
ZX_API bool forgetGrantedFolders(platform::Registry& registry, std::string_view origin);
// Every origin with its folders, sorted by origin.
ZX_API std::vector<std::pair<std::string, std::vector<std::string>>> allGrantedFolders(platform::Registry& registry);

}  // namespace zx
