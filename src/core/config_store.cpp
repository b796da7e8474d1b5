#include "core/config_store.h"

#include <charconv>

#include "core/file_helpers.h"
#include "core/package_owners.h"
#include "platform/ascii.h"
#include "platform/fixed_text.h"
#include "platform/fs.h"
#include "platform/sysdirs.h"

namespace zx {

const char* const kConfigRootPath = "Software\\QORAX\\ZorvAX0";
const char* const kWebOriginsKey = "WebOrigins";
const char* const kWebPackagesKey = "WebPackages";

namespace {

using platform::Hive;
using platform::Registry;
namespace reg = platform::reg;

// The longest value text, and the longest "Path" text.
constexpr size_t kValueLimit = 1024;
constexpr size_t kInstallPathLimit = 255;
constexpr size_t kKeyPathLimit = 1023;
const char* const kMissingMarker = "_____";
const char* const kCompanionProgram = "ZorvC.EXE";
const char* const kDefaultCompanionPath = "c:\\Program Files\\QORAX\\ZorvC\\Bin\\ZorvC.EXE";

std::string configKeyPath(const std::string* subkey) {
  return subkey ? std::string(kConfigRootPath) + "\\" + *subkey : std::string(kConfigRootPath);
}

// A package text without a name of its own would open the root key itself and let a page
// overwrite "Path" or "debug", and one naming the origin list or the package owners would let a
// page allow other sites or take packages: there is no package key then (packageNameOf). Nor is
// there one for a page whose origin does not own the package. The owner is judged only once the
// key exists or is about to be made, so that asking about missing packages records nothing.
std::unique_ptr<platform::RegKey> openPackageKey(Registry& registry, const ControlState& control, bool make) {
  if (packageNameOf(control.Package).empty()) return nullptr;
  auto key = openConfigKey(registry, &control.Package, false);
  if (!key && (!make || configKeyPath(&control.Package).size() > kKeyPathLimit)) return nullptr;
  if (!mayUsePackage(registry, control.pageOrigin, control.Package)) return nullptr;
  return key ? std::move(key) : openConfigKey(registry, &control.Package, true);
}

}  // namespace

std::unique_ptr<platform::RegKey> openConfigKey(Registry& registry, const std::string* subkey, bool create) {
  const std::string path = configKeyPath(subkey);
  if (path.size() > kKeyPathLimit) return nullptr;
  if (auto key = registry.openKey(Hive::CurrentUser, path, reg::kMaximumAllowed)) return key;
  if (create) return registry.createKey(Hive::CurrentUser, path, reg::kKeyAllAccess);
  return nullptr;
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

std::uint64_t decompressionReserve(Registry& registry) {
  const std::string text = readConfigValue(registry, kKeepFreeValue, "");
  std::uint64_t megabytes = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), megabytes);
  // Anything but a plain decimal number of a sane size keeps the default.
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || megabytes > (1ull << 40))
    return kDefaultKeepFreeMiB << 20;
  return megabytes << 20;
}

std::optional<std::string> readInstallPath(Registry& registry) {
  auto key = openConfigKey(registry, nullptr, false);
  if (!key) return std::nullopt;
  return readKeyText(registry, *key, "Path", kInstallPathLimit);
}

bool openOrMakePackageKey(Registry& registry, const ControlState& control) {
  return openPackageKey(registry, control, true) != nullptr;
}

std::int32_t writePackageValue(Registry& registry, const ControlState& control, std::string_view name,
                               std::string_view text) {
  auto key = openPackageKey(registry, control, false);
  if (!key) return 1;
  return writeKeyText(registry, *key, name, text) ? 0 : 1;
}

std::string companionProgramPath(Registry& registry) {
  auto installPath = readInstallPath(registry);
  return installPath ? joinPath(*installPath, kCompanionProgram) : kDefaultCompanionPath;
}

namespace {

// Where downloads go before the user chose a folder: the user's own download folder, not a
// folder every user shares; the temporary folder only when the system names none.
std::string defaultDownloadDirectory(const platform::Env& env, const ControlState& control) {
  std::string dir = env.fs.userDownloadDirectory();
  return dir.empty() || dir.size() > kPathCapacity ? control.m_tempDir.str() : dir;
}

// A value too long for a path buffer cannot be used: it counts as missing.
std::optional<std::string> storedDownloadDirectory(Registry& registry) {
  std::string dir = readConfigValue(registry, "downloadDir", kMissingMarker);
  if (dir != kMissingMarker && dir.size() <= kPathCapacity) return dir;
  return std::nullopt;
}

}  // namespace

std::string downloadDirectoryInEffect(const platform::Env& env, const ControlState& control) {
  return storedDownloadDirectory(env.registry).value_or(defaultDownloadDirectory(env, control));
}

std::string downloadDirectory(const platform::Env& env, const ControlState& control) {
  if (auto stored = storedDownloadDirectory(env.registry)) return *stored;
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

std::int32_t setRegisterIfEmpty(Registry& registry, const ControlState& control, std::string_view name,
                                std::string_view value) {
  auto key = openPackageKey(registry, control, false);
  if (!key) return 1;
  auto existing = readKeyText(registry, *key, name, kValueLimit);
  if (existing && !existing->empty()) return 0;
  return writeKeyText(registry, *key, name, value) ? 0 : 1;
}

std::string getRegisterValue(Registry& registry, const ControlState& control, std::string_view name) {
  auto key = openPackageKey(registry, control, false);
  if (!key) return std::string();
  return readKeyText(registry, *key, name, kValueLimit).value_or(std::string());
}

}  // namespace zx
