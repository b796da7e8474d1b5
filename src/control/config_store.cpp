#include "control/config_store.h"

#include <cstring>
#include <vector>

#include "control/file_helpers.h"
#include "control/zorvax_ctrl.h"
#include "platform/fs.h"
#include "platform/sysdirs.h"

namespace zx {

const char* const kConfigRootPath = "Software\\QORAX\\ZorvAX0";

namespace {

using platform::Hive;
namespace reg = platform::reg;

constexpr size_t kValueBuffer = 1024;
constexpr size_t kInstallPathBuffer = 255;
constexpr size_t kPathCapacity = 511;
constexpr size_t kKeyPathLimit = 1023;
const char* const kMissingMarker = "_____";

// A package text without a name of its own would open the root key itself and let a page
// overwrite "Path" or "debug": there is no package key then.
std::unique_ptr<platform::RegKey> openPackageKey(const CZorvAXCtrl& control) {
  if (control.Package.find_first_not_of('\\') == std::string::npos) return nullptr;
  return openConfigKey(&control.Package, false);
}

}  // namespace

std::unique_ptr<platform::RegKey> openConfigKey(const std::string* subkey, bool create) {
  std::string path = kConfigRootPath;
  if (subkey) path += "\\" + *subkey;
  if (path.size() > kKeyPathLimit) return nullptr;
  auto& store = platform::registry();
  if (auto key = store.openKey(Hive::CurrentUser, path, reg::kMaximumAllowed)) return key;
  if (create) return store.createKey(Hive::CurrentUser, path, reg::kKeyAllAccess);
  return nullptr;
}

std::optional<std::string> readKeyText(const platform::RegKey& key, std::string_view name, size_t capacity) {
  std::vector<char> buffer(capacity, '\0');
  std::uint32_t size = static_cast<std::uint32_t>(capacity);
  if (platform::registry().queryValue(key, name, buffer.data(), &size) != reg::kSuccess) return std::nullopt;
  // The data may fill the buffer without a terminator: the text ends at the data's end.
  return std::string(buffer.data(), strnlen(buffer.data(), size));
}

bool writeKeyText(const platform::RegKey& key, std::string_view name, std::string_view text) {
  return platform::registry().setValue(key, name, reg::REG_SZ, text.data(),
                                       static_cast<std::uint32_t>(text.size())) == reg::kSuccess;
}

std::string readConfigValue(std::string_view name, std::string_view fallback) {
  auto key = openConfigKey(nullptr, false);
  if (!key) return std::string(fallback);
  auto text = readKeyText(*key, name, kValueBuffer);
  if (!text || text->empty()) return std::string(fallback);
  return *text;
}

void writeConfigValue(std::string_view name, std::string_view text) {
  if (auto key = openConfigKey(nullptr, true)) writeKeyText(*key, name, text);
}

bool readConfigFlag(std::string_view name, bool fallback) {
  std::string text = readConfigValue(name, fallback ? "true" : "false");
  if (text == "true") return true;
  if (text == "false") return false;
  return fallback;
}

std::optional<std::string> readInstallPath() {
  auto key = openConfigKey(nullptr, false);
  if (!key) return std::nullopt;
  return readKeyText(*key, "Path", kInstallPathBuffer);
}

int writePackageValue(const CZorvAXCtrl& control, std::string_view name, std::string_view text) {
  auto key = openPackageKey(control);
  if (!key) return 1;
  return writeKeyText(*key, name, text) ? 0 : 1;
}

std::string downloadDirectory(const CZorvAXCtrl& control) {
  std::string dir = readConfigValue("downloadDir", kMissingMarker);
  // A value too long for a path buffer cannot be used: it counts as missing.
  if (dir != kMissingMarker && dir.size() <= kPathCapacity) return dir;
  std::string result;
  if (control.m_isVistaOrLater) {
    result = control.m_tempDir.str();
  } else {
    std::string ini = joinPath(platform::windowsDirectory(), "ZorvAX.ini");
    if (std::FILE* f = platform::fs::openFile(ini, "r")) {
      std::fclose(f);
      result = platform::readProfileString("download", "dir", "", ini, kPathCapacity + 1);
      if (result.empty() || !isDirectory(result)) result = control.m_tempDir.str();
      platform::fs::removeFile(ini);
    } else {
      result = control.m_tempDir.str();
    }
  }
  writeConfigValue("downloadDir", result);
  return result;
}

void setDownloadDirectory(std::string_view directory) { writeConfigValue("downloadDir", directory); }

std::optional<std::string> makeDownloadPath(const CZorvAXCtrl& control, std::string_view name) {
  std::string path = joinPath(downloadDirectory(control), lastElement(name));
  if (path.size() > kPathCapacity) return std::nullopt;
  return path;
}

// Script methods of the package key.

std::int32_t CZorvAXCtrl::setRegisterValue(const std::string& name, const std::string& value) {
  auto key = openPackageKey(*this);
  if (!key) return 1;
  return writeKeyText(*key, name, value) ? 0 : 1;
}

std::int32_t CZorvAXCtrl::setRegisterIfEmpty(const std::string& name, const std::string& value) {
  auto key = openPackageKey(*this);
  if (!key) return 1;
  auto existing = readKeyText(*key, name, kValueBuffer);
  if (existing && !existing->empty()) return 0;
  return writeKeyText(*key, name, value) ? 0 : 1;
}

std::string CZorvAXCtrl::getRegisterValue(const std::string& name) {
  auto key = openPackageKey(*this);
  if (!key) return std::string();
  return readKeyText(*key, name, kValueBuffer).value_or(std::string());
}

}  // namespace zx
