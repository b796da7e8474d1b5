#include "core/package_owners.h"

#include <algorithm>
#include <optional>

#include "core/config_store.h"
#include "platform/ascii.h"

namespace zx {
namespace {

namespace reg = platform::reg;
using platform::Registry;

constexpr std::uint32_t kFirstRead = 1024;

std::unique_ptr<platform::RegKey> ownersKey(Registry& registry, bool create) {
  const std::string name = kWebPackagesKey;
  return openConfigKey(registry, &name, create);
}

std::vector<std::string> splitOwners(std::string_view text) {
  std::vector<std::string> owners;
  size_t at = 0;
  while (at < text.size()) {
    const size_t end = std::min(text.find(' ', at), text.size());
    if (end > at) owners.emplace_back(text.substr(at, end - at));
    at = end + 1;
  }
  return owners;
}

std::string joinOwners(const std::vector<std::string>& owners) {
  std::string text;
  for (const auto& owner : owners) text += (text.empty() ? "" : " ") + owner;
  return text;
}

// The owners recorded for a package: empty when there is no record, nullopt when the record is
// there but cannot be read (which must not pass for "nobody owns it").
std::optional<std::vector<std::string>> readOwners(Registry& registry, std::string_view package) {
  auto key = ownersKey(registry, false);
  if (!key) return std::vector<std::string>{};
  std::string data(kFirstRead, '\0');
  std::uint32_t size = kFirstRead;
  long status = registry.queryValue(*key, package, data.data(), &size);
  if (status == reg::kMoreData) {
    data.assign(size, '\0');
    status = registry.queryValue(*key, package, data.data(), &size);
  }
  if (status == reg::kFileNotFound) return std::vector<std::string>{};
  if (status != reg::kSuccess) return std::nullopt;
  data.resize(std::min<size_t>(size, data.size()));
  return splitOwners(data.substr(0, data.find('\0')));
}

bool writeOwners(Registry& registry, std::string_view package, const std::vector<std::string>& owners) {
  auto key = ownersKey(registry, !owners.empty());
  if (!key) return owners.empty();
  if (owners.empty()) {
    const long status = registry.deleteValue(*key, package);
    return status == reg::kSuccess || status == reg::kFileNotFound;
  }
  return writeKeyText(registry, *key, package, joinOwners(owners));
}

bool contains(const std::vector<std::string>& owners, std::string_view origin) {
  return std::find(owners.begin(), owners.end(), origin) != owners.end();
}

bool withoutOrigin(Registry& registry, std::string_view package, std::string_view origin) {
  auto owners = readOwners(registry, package);
  if (!owners) return false;
  if (std::erase(*owners, origin) == 0) return true;
  return writeOwners(registry, package, *owners);
}

}  // namespace

std::string packageNameOf(std::string_view package) {
  const size_t start = package.find_first_not_of('\\');
  if (start == std::string_view::npos) return {};
  package.remove_prefix(start);
  const std::string_view first = package.substr(0, package.find('\\'));
  if (ascii::equalsIgnoreCase(first, kWebOriginsKey) || ascii::equalsIgnoreCase(first, kWebPackagesKey)) return {};
  return std::string(first);
}

bool mayUsePackage(Registry& registry, std::string_view origin, std::string_view package) {
  if (origin.empty()) return true;
  const std::string name = packageNameOf(package);
  if (name.empty()) return false;
  auto owners = readOwners(registry, name);
  if (!owners) return false;
  if (!owners->empty()) return contains(*owners, origin);
  return writeOwners(registry, name, {std::string(origin)});
}

std::vector<std::string> packageOwners(Registry& registry, std::string_view package) {
  const std::string name = packageNameOf(package);
  if (name.empty()) return {};
  return readOwners(registry, name).value_or(std::vector<std::string>{});
}

bool givePackage(Registry& registry, std::string_view package, std::string_view origin) {
  const std::string name = packageNameOf(package);
  if (name.empty() || origin.empty() || origin.find(' ') != std::string_view::npos) return false;
  auto owners = readOwners(registry, name);
  if (!owners) return false;
  if (contains(*owners, origin)) return true;
  owners->emplace_back(origin);
  return writeOwners(registry, name, *owners);
}

bool takePackage(Registry& registry, std::string_view package, std::string_view origin) {
  const std::string name = packageNameOf(package);
  return !name.empty() && withoutOrigin(registry, name, origin);
}

bool forgetOriginPackages(Registry& registry, std::string_view origin) {
  const auto all = packagesByOrigin(registry);
  const auto owned = all.find(std::string(origin));
  if (owned == all.end()) return true;
  bool done = true;
  for (const auto& package : owned->second) done = withoutOrigin(registry, package, origin) && done;
  return done;
}

std::map<std::string, std::vector<std::string>> packagesByOrigin(Registry& registry) {
  std::map<std::string, std::vector<std::string>> out;
  auto key = ownersKey(registry, false);
  if (!key) return out;
  for (const auto& value : registry.values(*key))
    for (const auto& owner : splitOwners(value.data.substr(0, value.data.find('\0'))))
      out[owner].push_back(value.name);
  for (auto& [owner, packages] : out) std::sort(packages.begin(), packages.end());
  return out;
}

}  // namespace zx
