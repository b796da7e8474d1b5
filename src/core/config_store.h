#pragma once
// Per-user settings: the root key "Software\QORAX\ZorvAX0" and its per-package subkey.
// No operation here ever shows a message: reads fall back to defaults, writes fail quietly.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/control_state.h"
#include "platform/env.h"
#include "platform/registry.h"

namespace zx {

extern const char* const kConfigRootPath;
// The subkey of the root that holds the web origins (core/origin_list.h); never a package key.
extern const char* const kWebOriginsKey;

// The root key (no subkey) or its subkey; created when opening fails and `create` is set.
std::unique_ptr<platform::RegKey> openConfigKey(platform::Registry& registry, const std::string* subkey, bool create);
std::string readConfigValue(platform::Registry& registry, std::string_view name, std::string_view fallback);
void writeConfigValue(platform::Registry& registry, std::string_view name, std::string_view text);
bool readConfigFlag(platform::Registry& registry, std::string_view name, bool fallback);
// The "Path" value of the root key, when it exists and its text fits 255 characters (with or
// without a stored terminator).
std::optional<std::string> readInstallPath(platform::Registry& registry);
// Writes into the existing package key (the page's values, "Port", "Hostname"): 0 written, 1
// when there is no package key or the store refuses the write.
std::int32_t writePackageValue(platform::Registry& registry, std::string_view package, std::string_view name,
                               std::string_view text);
// The companion program: "Path" of the root key with "ZorvC.EXE", else the fixed path.
std::string companionProgramPath(platform::Registry& registry);
// Whether writing `path` would touch what the control keeps for itself: anything inside the
// configuration home (store, trust anchors, logs) or the companion program. A path whose folder
// does not exist touches nothing.
bool isReservedLocation(const platform::Env& env, std::string_view path);

std::string downloadDirectory(const platform::Env& env, const ControlState& control);
void setDownloadDirectory(platform::Registry& registry, std::string_view directory);
// The download directory joined with the last element of `name`; nullopt when the joined
// path would not fit 511 characters.
std::optional<std::string> makeDownloadPath(const platform::Env& env, const ControlState& control,
                                            std::string_view name);

// Writes unless a non-empty value is already there: 0 written or kept, 1 as writePackageValue.
std::int32_t setRegisterIfEmpty(platform::Registry& registry, std::string_view package, std::string_view name,
                                std::string_view value);
// Empty text when there is no package key or no readable value.
std::string getRegisterValue(platform::Registry& registry, std::string_view package, std::string_view name);

// Reads a value of an open key as a text of at most `limit` characters: nullopt when it is
// missing or longer. The text ends at the first NUL or the data's end; the read has room for
// the terminating NUL the system's writer stores after a text of the full length.
std::optional<std::string> readKeyText(platform::Registry& registry, const platform::RegKey& key,
                                       std::string_view name, size_t limit);
bool writeKeyText(platform::Registry& registry, const platform::RegKey& key, std::string_view name,
                  std::string_view text);

}  // namespace zx
