#include "core/origin_grants.h"

#include <algorithm>

#include "core/config_store.h"
#include "core/origin_list.h"

namespace zx {
namespace {

// Room for many folders of full length; a longer text is not read back whole, so not written.
constexpr size_t kFoldersBuffer = 64 * 1024;

std::unique_ptr<platform::RegKey> foldersKey(platform::Registry& registry, bool create) {
  const std::string name = std::string(kWebOriginsKey) + "\\Folders";
  return openConfigKey(registry, &name, create);
}

std::vector<std::string> linesOf(std::string_view text) {
  std::vector<std::string> lines;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    if (end != 0) lines.emplace_back(text.substr(0, end));
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

}  // namespace

std::vector<std::string> grantedFolders(platform::Registry& registry, std::string_view origin) {
  const auto name = normaliseOrigin(origin);
  if (!name) return {};
  auto key = foldersKey(registry, false);
  if (!key) return {};
  return linesOf(readKeyText(registry, *key, *name, kFoldersBuffer).value_or(std::string()));
}

bool grantFolder(platform::Registry& registry, std::string_view origin, std::string_view folder) {
  const auto name = normaliseOrigin(origin);
  if (!name || folder.empty() || folder.find_first_of("\r\n") != std::string_view::npos) return false;
  std::vector<std::string> folders = grantedFolders(registry, *name);
  if (std::find(folders.begin(), folders.end(), folder) != folders.end()) return true;
  std::string text;
  for (const auto& kept : folders) text += kept + "\n";
  text += folder;
  if (text.size() >= kFoldersBuffer) return false;
  auto key = foldersKey(registry, true);
  return key && writeKeyText(registry, *key, *name, text);
}

bool forgetGrantedFolders(platform::Registry& registry, std::string_view origin) {
  const auto name = normaliseOrigin(origin);
  if (!name) return false;
  auto key = foldersKey(registry, false);
  if (!key) return true;
  const long status = registry.deleteValue(*key, *name);
  return status == platform::reg::kSuccess || status == platform::reg::kFileNotFound;
}

std::vector<std::pair<std::string, std::vector<std::string>>> allGrantedFolders(platform::Registry& registry) {
  std::vector<std::pair<std::string, std::vector<std::string>>> out;
  auto key = foldersKey(registry, false);
  if (!key) return out;
  for (const auto& value : registry.values(*key)) {
    auto folders = linesOf(std::string_view(value.data).substr(0, value.data.find('\0')));
    if (!folders.empty()) out.emplace_back(value.name, std::move(folders));
  }
  std::sort(out.begin(), out.end());
  return out;
}

}  // namespace zx
