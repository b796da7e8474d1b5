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
// The subkeys of the root that hold the web origins (core/origin_list.h) and which origin owns
// which package (core/package_owners.h); never package keys.
extern const char* const kWebOriginsKey;
extern const char* const kWebPackagesKey;

// The root key (no subkey) or its subkey; created when opening fails and `create` is set.
std::unique_ptr<platform::RegKey> openConfigKey(platform::Registry& registry, const std::string* subkey, bool create);
std::string readConfigValue(platform::Registry& registry, std::string_view name, std::string_view fallback);
void writeConfigValue(platform::Registry& registry, std::string_view name, std::string_view text);
bool readConfigFlag(platform::Registry& registry, std::string_view name, bool fallback);
// The free space a decompression leaves on the disk it writes to, in bytes: the root key's
// "keepFreeMB" (a decimal number of MiB; 0 lets it fill the disk), else 64 MiB.
inline constexpr const char* kKeepFreeValue = "keepFreeMB";
inline constexpr std::uint64_t kDefaultKeepFreeMiB = 64;
std::uint64_t decompressionReserve(platform::Registry& registry);
// The "Path" value of the root key, when it exists and its text fits 255 characters (with or
// without a stored terminator).
std::optional<std::string> readInstallPath(platform::Registry& registry);
// The package operations use the key of `control.Package` on behalf of `control.pageOrigin`:
// a page reaches only the packages its origin owns (core/package_owners.h); for anyone else
// there is no package key.

// Opens the package key, making it when it is missing (a change of `Package`); false when the
// control may not use it or the store refuses.
bool openOrMakePackageKey(platform::Registry& registry, const ControlState& control);
// Writes into the existing package key (the page's values, "Port", "Hostname"): 0 written, 1
// when there is no package key or the store refuses the write.
std::int32_t writePackageValue(platform::Registry& registry, const ControlState& control, std::string_view name,
                               std::string_view text);
// The companion program: "Path" of the root key with "ZorvC.EXE", else the fixed path.
std::string companionProgramPath(platform::Registry& registry);
// The folder downloads go to (the stored one, else where the first download would put it and
// store it); downloadDirectoryInEffect tells the same without storing or reading anything else.
std::string downloadDirectory(const platform::Env& env, const ControlState& control);
std::string downloadDirectoryInEffect(const platform::Env& env, const ControlState& control);
void setDownloadDirectory(platform::Registry& registry, std::string_view directory);
// The download directory joined with the last element of `name`; nullopt when the joined
// path would not fit 511 characters.
std::optional<std::string> makeDownloadPath(const platform::Env& env, const ControlState& control,
                                            std::string_view name);

// Writes unless a non-empty value is already there: 0 written or kept, 1 as writePackageValue.
std::int32_t setRegisterIfEmpty(platform::Registry& registry, const ControlState& control, std::string_view name,
                                std::string_view value);
// Empty text when there is no package key or no readable value.
std::string getRegisterValue(platform::Registry& registry, const ControlState& control, std::string_view name);

using platform::readKeyText;
bool writeKeyText(platform::Registry& registry, const platform::RegKey& key, std::string_view name,
                  std::string_view text);

}  // namespace zx
