#pragma once
// Per-user settings: the root key "Software\QORAX\ZorvAX0" and its per-package subkey.
// No operation here ever shows a message: reads fall back to defaults, writes fail quietly.
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/registry.h"

namespace zx {

class CZorvAXCtrl;

extern const char* const kConfigRootPath;

// The root key (no subkey) or its subkey; created when opening fails and `create` is set.
std::unique_ptr<platform::RegKey> openConfigKey(const std::string* subkey, bool create);
std::string readConfigValue(std::string_view name, std::string_view fallback);
void writeConfigValue(std::string_view name, std::string_view text);
bool readConfigFlag(std::string_view name, bool fallback);
// The "Path" value of the root key, when it exists and fits 255 bytes.
std::optional<std::string> readInstallPath();
// Writes into the existing package key; 0 written, 1 otherwise.
int writePackageValue(const CZorvAXCtrl& control, std::string_view name, std::string_view text);
std::string downloadDirectory(const CZorvAXCtrl& control);
void setDownloadDirectory(std::string_view directory);
// The download directory joined with the last element of `name`; nullopt when the joined
// path would not fit 511 characters.
std::optional<std::string> makeDownloadPath(const CZorvAXCtrl& control, std::string_view name);

// Reads a value of an open key as text into a buffer of `capacity` bytes: nullopt when it is
// missing or does not fit; the text ends at the first NUL.
std::optional<std::string> readKeyText(const platform::RegKey& key, std::string_view name, size_t capacity);
bool writeKeyText(const platform::RegKey& key, std::string_view name, std::string_view text);

}  // namespace zx
