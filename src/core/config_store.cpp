#include "core/config_store.h"

#include <cstring>
#include <vector>

#include "core/file_helpers.h"
#include "platform/ascii.h"
#include "platform/fs.h"
#include "platform/sysdirs.h"

namespace zx {

const char* const kConfigRootPath = "Software\\QORAX\\ZorvAX0";
const char* const kWebOriginsKey = "WebOrigins";

namespace {

using platform::Hive;
using platform::Registry;
namespace reg = platform::reg;

// The longest value text, and the longest "Path" text.
constexpr size_t kValueLimit = 1024;
constexpr size_t kInstallPathLimit = 255;
constexpr size_t kPathCapacity = 511;
constexpr size_t kKeyPathLimit = 1023;
const char* const kMissingMarker = "_____";
const char* const kCompanionProgram = "ZorvC.EXE";
const char* const kDefaultCompanionPath = "c:\\Program Files\\QORAX\\ZorvC\\Bin\\ZorvC.EXE";

// The first element of a key path below the root, as the store reads it (empty elements skipped).
std::string_view firstElement(std::string_view subkey) {
  const size_t start = subkey.find_first_not_of('\\');
  if (start == std::string_view::npos) return {};
  subkey.remove_prefix(start);
  return subkey.substr(0, subkey.find('\\'));
}

// A package text without a name of its own would open the root key itself and let a page
// overwrite "Path" or "debug", and one naming the web origins' key would let a page allow
// other sites: there is no package key then.
std::unique_ptr<platform::RegKey> openPackageKey(Registry& registry, std::string_view package) {
  const std::string_view first = firstElement(package);
  if (first.empty() || ascii::equalsIgnoreCase(first, kWebOriginsKey)) return nullptr;
  const std::string subkey(package);
  return openConfigKey(registry, &subkey, false);
}

}  // namespace

std::unique_ptr<platform::RegKey> openConfigKey(Registry& registry, const std::string* subkey, bool create) {
  std::string path = kConfigRootPath;
  if (subkey) path += "\\" + *subkey;
  if (path.size() > kKeyPathLimit) return nullptr;
  if (auto key = registry.openKey(Hive::CurrentUser, path, reg::kMaximumAllowed)) return key;
  if (create) return registry.createKey(Hive::CurrentUser, path, reg::kKeyAllAccess);
  return nullptr;
}

std::optional<std::string> readKeyText(Registry& registry, const platform::RegKey& key, std::string_view name,
                                       size_t limit) {
  std::vector<char> buffer(limit + 1, '\0');
  std::uint32_t size = static_cast<std::uint32_t>(buffer.size());
  if (registry.queryValue(key, name, buffer.data(), &size) != reg::kSuccess) return std::nullopt;
  // Stored with or without its terminator, the text ends at the first NUL or the data's end.
  std::string text(buffer.data(), strnlen(buffer.data(), size));
  if (text.size() > limit) return std::nullopt;
  return text;
}

bool writeKeyText(Registry& registry, const platform::RegKey& key, std::string_view name, std::string_view text) {
  return registry.setValue(key, name, reg::REG_SZ, text.data(), static_cast<std::uint32_t>(text.size())) ==
         reg::kSuccess;
}

std::string readConfigValue(Registry& registry, std::string_view name, std::string_view fallback) {
  auto key = openConfigKey(registry, nullptr, false);
  if (!key) return std::string(fallback);
  auto text = readKeyText(registry, *key, name, kValueLimit);
  if (!text || text->empty()) return std::string(fallback);
  return *text;
}

void writeConfigValue(Registry& registry, std::string_view name, std::string_view text) {
  if (auto key = openConfigKey(registry, nullptr, true)) writeKeyText(registry, *key, name, text);
}

bool readConfigFlag(Registry& registry, std::string_view name, bool fallback) {
  std::string text = readConfigValue(registry, name, fallback ? "true" : "false");
  if (text == "true") return true;
  if (text == "false") return false;
  return fallback;
}

std::optional<std::string> readInstallPath(Registry& registry) {
  auto key = openConfigKey(registry, nullptr, false);
  if (!key) return std::nullopt;
  return readKeyText(registry, *key, "Path", kInstallPathLimit);
}

std::int32_t writePackageValue(Registry& registry, std::string_view package, std::string_view name,
                               std::string_view text) {
  auto key = openPackageKey(registry, package);
  if (!key) return 1;
  return writeKeyText(registry, *key, name, text) ? 0 : 1;
}

std::string companionProgramPath(Registry& registry) {
  auto installPath = readInstallPath(registry);
  return installPath ? joinPath(*installPath, kCompanionProgram) : kDefaultCompanionPath;
}

bool isReservedLocation(const platform::Env& env, std::string_view path) {
  const std::optional<std::string> target = env.fs.realLocation(path);
  if (!target) return false;
  if (auto home = env.fs.realLocation(env.home)) {
    if (*target == *home || (target->starts_with(*home) && (*target)[home->size()] == platform::kPathSeparator))
      return true;
  }
  auto companion = env.fs.realLocation(companionProgramPath(env.registry));
  return companion && *target == *companion;
}

namespace {

// Where downloads go before the user chose a folder: the user's own download folder, not a
// folder every user shares; the temporary folder only when the system names none.
std::string defaultDownloadDirectory(const platform::Env& env, const ControlState& control) {
  std::string dir = env.fs.userDownloadDirectory();
  return dir.empty() || dir.size() > kPathCapacity ? control.m_tempDir.str() : dir;
}

}  // namespace

std::string downloadDirectory(const platform::Env& env, const ControlState& control) {
  std::string dir = readConfigValue(env.registry, "downloadDir", kMissingMarker);
  // A value too long for a path buffer cannot be used: it counts as missing.
  if (dir != kMissingMarker && dir.size() <= kPathCapacity) return dir;
  std::string result;
  if (control.m_isVistaOrLater) {
    result = defaultDownloadDirectory(env, control);
  } else {
    std::string ini = joinPath(platform::windowsDirectory(env.fs, env.home), "ZorvAX.ini");
    if (env.fs.open(ini, "r").isOpen()) {
      result = platform::readProfileString(env.fs, "download", "dir", "", ini, kPathCapacity + 1);
      if (result.empty() || !env.fs.isDirectory(result)) result = defaultDownloadDirectory(env, control);
      env.fs.removeFile(ini);
    } else {
      result = defaultDownloadDirectory(env, control);
    }
  }
  writeConfigValue(env.registry, "downloadDir", result);
  return result;
}

void setDownloadDirectory(Registry& registry, std::string_view directory) {
  writeConfigValue(registry, "downloadDir", directory);
}

std::optional<std::string> makeDownloadPath(const platform::Env& env, const ControlState& control,
                                            std::string_view name) {
  std::string path = joinPath(downloadDirectory(env, control), lastElement(name));
  if (path.size() > kPathCapacity) return std::nullopt;
  return path;
}

std::int32_t setRegisterIfEmpty(Registry& registry, std::string_view package, std::string_view name,
                                std::string_view value) {
  auto key = openPackageKey(registry, package);
  if (!key) return 1;
  auto existing = readKeyText(registry, *key, name, kValueLimit);
  if (existing && !existing->empty()) return 0;
  return writeKeyText(registry, *key, name, value) ? 0 : 1;
}

std::string getRegisterValue(Registry& registry, std::string_view package, std::string_view name) {
  auto key = openPackageKey(registry, package);
  if (!key) return std::string();
  return readKeyText(registry, *key, name, kValueLimit).value_or(std::string());
}

}  // namespace zx
