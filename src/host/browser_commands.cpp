#include "host/browser_commands.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>

#include "core/origin_grants.h"
#include "core/origin_list.h"
#include "core/package_owners.h"
#include "platform/codepage.h"

namespace zx::host {

const char* const kNativeHostName = "com.qorax.zorvax";

namespace {

// The extension's id under Chromium (derived from the public key in
// browser/extension/manifest.json) and under Firefox.
const char* const kChromiumExtensionId = "mllkolfchmbnhjblipchcpbpagkogdhd";
const char* const kFirefoxExtensionId = "zorvax@qorax.example";

namespace fs = std::filesystem;

enum class Browser { Chromium, Firefox };

struct ManifestPlace {
  fs::path folder;
  Browser browser;
};

std::string environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

fs::path userConfigFolder() {
  const std::string xdg = environment("XDG_CONFIG_HOME");
  return xdg.empty() ? fs::path(environment("HOME")) / ".config" : fs::path(xdg);
}

// Where each browser looks for the user's hosts, or the one profile named.
std::vector<ManifestPlace> manifestPlaces(const std::string& profile) {
  if (!profile.empty()) return {{fs::path(profile) / "NativeMessagingHosts", Browser::Chromium}};
  return {{userConfigFolder() / "chromium" / "NativeMessagingHosts", Browser::Chromium},
          {userConfigFolder() / "google-chrome" / "NativeMessagingHosts", Browser::Chromium},
          {fs::path(environment("HOME")) / ".mozilla" / "native-messaging-hosts", Browser::Firefox}};
}

std::string shellQuoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

// The browsers start the host without arguments of ours: a launcher names the command and the
// configuration home this installation is for.
fs::path launcherPath(const std::string& homeUtf8) { return fs::path(homeUtf8) / "browser-host" / "zorvax-native-host"; }

bool writeText(const fs::path& path, const std::string& text, std::ostream& err) {
  std::error_code ec;
  fs::create_directories(path.parent_path(), ec);
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file << text;
  file.close();
  if (!file) err << "zorvax: cannot write " << path.string() << "\n";
  return static_cast<bool>(file);
}

bool writeLauncher(const fs::path& launcher, const std::string& homeUtf8, std::ostream& err) {
  std::error_code ec;
  const fs::path self = fs::read_symlink("/proc/self/exe", ec);
  if (ec) {
    err << "zorvax: cannot find the zorvax command itself\n";
    return false;
  }
  const std::string script = "#!/bin/sh\n# Started by the browser for the ZorvAX extension; written by zorvax browser-host install.\nexec " +
                             shellQuoted(self.string()) + " --home " + shellQuoted(homeUtf8) + " --native-messaging \"$@\"\n";
  if (!writeText(launcher, script, err)) return false;
  fs::permissions(launcher, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                fs::perms::others_read | fs::perms::others_exec, ec);
  return !ec;
}

std::string manifestText(Browser browser, const fs::path& launcher) {
  nlohmann::json manifest = {{"name", kNativeHostName},
                             {"description", "ZorvAX control for web pages"},
                             {"path", launcher.string()},
                             {"type", "stdio"}};
  if (browser == Browser::Chromium)
    manifest["allowed_origins"] = {std::string("chrome-extension://") + kChromiumExtensionId + "/"};
  else
    manifest["allowed_extensions"] = {kFirefoxExtensionId};
  return manifest.dump(2) + "\n";
}

int install(const std::string& profile, const std::string& homeUtf8, std::ostream& out, std::ostream& err) {
  const fs::path launcher = launcherPath(homeUtf8);
  if (!writeLauncher(launcher, homeUtf8, err)) return 1;
  for (const auto& place : manifestPlaces(profile)) {
    const fs::path manifest = place.folder / (std::string(kNativeHostName) + ".json");
    if (!writeText(manifest, manifestText(place.browser, launcher), err)) return 1;
    out << manifest.string() << "\n";
  }
  return 0;
}

int uninstall(const std::string& profile, const std::string& homeUtf8, std::ostream& out) {
  std::error_code ec;
  for (const auto& place : manifestPlaces(profile)) {
    const fs::path manifest = place.folder / (std::string(kNativeHostName) + ".json");
    if (fs::remove(manifest, ec)) out << manifest.string() << "\n";
  }
  // The launcher stays while another profile's manifest may still name it.
  if (profile.empty()) fs::remove_all(launcherPath(homeUtf8).parent_path(), ec);
  return 0;
}

int browserHost(const std::vector<std::string>& words, const std::string& homeUtf8, std::ostream& out,
                std::ostream& err) {
  std::string profile;
  if (words.size() == 4 && words[2] == "--profile") {
    profile = words[3];
  } else if (words.size() != 2) {
    err << "zorvax: browser-host install|uninstall [--profile DIR]\n";
    return 2;
  }
  if (words[1] == "install") return install(profile, homeUtf8, out, err);
  if (words[1] == "uninstall") return uninstall(profile, homeUtf8, out);
  err << "zorvax: browser-host install|uninstall [--profile DIR]\n";
  return 2;
}

int setRule(const std::vector<std::string>& words, OriginRule rule, platform::Registry& registry, std::ostream& out,
            std::ostream& err) {
  const auto origin = words.size() == 2 ? normaliseOrigin(words[1]) : std::nullopt;
  if (!origin) {
    err << "zorvax: " << words[0] << " takes one origin, such as https://docs.example.com or http://127.0.0.1:8080\n";
    return 2;
  }
  // Forgetting an origin forgets what it was given too: its packages go to whoever uses them
  // next, and the folders the user granted it are dropped.
  const bool forgotten = rule != OriginRule::Unknown ||
                         (forgetOriginPackages(registry, *origin) && forgetGrantedFolders(registry, *origin));
  if (!forgotten || !setOriginRule(registry, *origin, rule)) {
    err << "zorvax: the configuration store refused the change\n";
    return 1;
  }
  out << *origin << " " << (rule == OriginRule::Unknown ? "forgotten" : originRuleName(rule)) << "\n";
  return 0;
}

// give-package PACKAGE ORIGIN adds the origin to the package's owners; take-package removes it.
int changeOwner(const std::vector<std::string>& words, platform::Registry& registry, std::ostream& out,
                std::ostream& err) {
  const bool give = words[0] == "give-package";
  const std::string package = words.size() == 3 ? platform::utf8ToAnsi(words[1]) : std::string();
  const auto origin = words.size() == 3 ? normaliseOrigin(words[2]) : std::nullopt;
  if (packageNameOf(package).empty() || !origin) {
    err << "zorvax: " << words[0] << " takes a package and an origin, such as TENDRIAX https://docs.example.com\n";
    return 2;
  }
  if (!(give ? givePackage(registry, package, *origin) : takePackage(registry, package, *origin))) {
    err << "zorvax: the configuration store refused the change\n";
    return 1;
  }
  out << platform::ansiToUtf8(packageNameOf(package)) << (give ? " given to " : " taken from ") << *origin << "\n";
  return 0;
}

// Every origin with a rule, a package or a granted folder: its rule on one line, then an indented
// line for each package it owns and each folder the user granted it.
int listOrigins(platform::Registry& registry, std::ostream& out) {
  std::map<std::string, OriginRule> rules;
  for (const auto& [origin, rule] : rememberedOrigins(registry)) rules[origin] = rule;
  const auto packages = packagesByOrigin(registry);
  for (const auto& [origin, owned] : packages) rules.try_emplace(origin, OriginRule::Unknown);
  std::map<std::string, std::vector<std::string>> folders;
  for (auto& [origin, granted] : allGrantedFolders(registry)) {
    rules.try_emplace(origin, OriginRule::Unknown);
    folders[origin] = std::move(granted);
  }
  for (const auto& [origin, rule] : rules) {
    out << origin << " " << originRuleName(rule) << "\n";
    if (const auto owned = packages.find(origin); owned != packages.end())
      for (const auto& package : owned->second) out << "  package " << platform::ansiToUtf8(package) << "\n";
    if (const auto granted = folders.find(origin); granted != folders.end())
      for (const auto& folder : granted->second) out << "  folder " << folder << "\n";
  }
  return 0;
}

}  // namespace

bool isBrowserCommand(const std::string& verb) {
  return verb == "allow-origin" || verb == "deny-origin" || verb == "forget-origin" || verb == "origins" ||
         verb == "give-package" || verb == "take-package" || verb == "browser-host";
}

int runBrowserCommand(const std::vector<std::string>& words, platform::Registry& registry, const std::string& homeUtf8,
                      std::ostream& out, std::ostream& err) {
  const std::string& verb = words.at(0);
  if (verb == "allow-origin") return setRule(words, OriginRule::Allowed, registry, out, err);
  if (verb == "deny-origin") return setRule(words, OriginRule::Denied, registry, out, err);
  if (verb == "forget-origin") return setRule(words, OriginRule::Unknown, registry, out, err);
  if (verb == "origins") return listOrigins(registry, out);
  if (verb == "give-package" || verb == "take-package") return changeOwner(words, registry, out, err);
  return browserHost(words, homeUtf8, out, err);
}

}  // namespace zx::host
