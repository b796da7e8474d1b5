// The origin list and the host manifests, as a person sets the browser side up.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "core/origin_list.h"
#include "platform/linux/registry_sqlite.h"
#include "support/zx_test.h"

namespace zx {
namespace {

using test::runCommand;
using test::TempDir;

// The origin commands and the manifests of one configuration home.
class BrowserSetup : public ::testing::Test {
 protected:
  std::string zorvax(const std::string& rest) const { return test::binary("zorvax") + " --home " + home.path() + " " + rest; }
  TempDir home;
};

TEST(OriginList, OriginsAreNormalisedAsBrowsersSerialiseThem) {
  EXPECT_EQ(normaliseOrigin("HTTPS://Docs.Example.COM/"), "https://docs.example.com");
  EXPECT_EQ(normaliseOrigin("https://docs.example.com:443"), "https://docs.example.com");
  EXPECT_EQ(normaliseOrigin("http://127.0.0.1:80"), "http://127.0.0.1");
  EXPECT_EQ(normaliseOrigin("http://127.0.0.1:8080"), "http://127.0.0.1:8080");
  EXPECT_EQ(normaliseOrigin("http://[::1]:8080"), "http://[::1]:8080");
  for (const char* bad : {"null", "", "ftp://x.example", "https://", "https://x.example/path", "https://user@x.example",
                          "https://x.example:0", "https://x.example:65536", "https://x.example:8a", "file:///tmp/x",
                          "https://.example", "http://[zz]", "chrome-extension://abc/"})
    EXPECT_EQ(normaliseOrigin(bad), std::nullopt) << bad;
}

TEST(OriginList, APageIsJudgedByTheOriginOfItsUrl) {
  EXPECT_EQ(originOfPage("https://Docs.Example.com:443/path/page.html?a=1#top"), "https://docs.example.com");
  EXPECT_EQ(originOfPage("http://127.0.0.1:8080?x=/y"), "http://127.0.0.1:8080");
  EXPECT_EQ(originOfPage("http://[::1]:8080#a/b"), "http://[::1]:8080");
  EXPECT_EQ(originOfPage("https://docs.example.com"), "https://docs.example.com");
  for (const char* none : {"file:///C:/pages/x.html", "about:blank", "", "https://user@docs.example.com/",
                           "https://evil.example@docs.example.com/", "javascript://docs.example.com/", "//docs.example.com/"})
    EXPECT_EQ(originOfPage(none), std::nullopt) << none;
}

TEST_F(BrowserSetup, OriginCommandsAllowDenyForgetAndList) {
  EXPECT_EQ(runCommand(zorvax("allow-origin HTTPS://A.example/")).out, "https://a.example allow\n");
  EXPECT_EQ(runCommand(zorvax("deny-origin http://b.example:8080")).out, "http://b.example:8080 deny\n");
  EXPECT_EQ(runCommand(zorvax("origins")).out, "http://b.example:8080 deny\nhttps://a.example allow\n");
  EXPECT_EQ(runCommand(zorvax("deny-origin https://a.example")).status, 0);
  EXPECT_EQ(runCommand(zorvax("forget-origin http://b.example:8080")).out, "http://b.example:8080 forgotten\n");
  EXPECT_EQ(runCommand(zorvax("origins")).out, "https://a.example deny\n");
  EXPECT_EQ(runCommand(zorvax("allow-origin https://a.example/path")).status, 2);
  EXPECT_EQ(runCommand(zorvax("allow-origin")).status, 2);
  EXPECT_EQ(runCommand(zorvax("browser-host reinstall")).status, 2);
}

TEST_F(BrowserSetup, NoPageReachesTheOriginListThroughItsPackage) {
  ASSERT_EQ(runCommand(zorvax("allow-origin https://a.example")).status, 0);
  for (const char* package : {"WebOrigins", "weborigins", "\\\\WebOrigins", "WebOrigins\\\\x"}) {
    auto r = runCommand(zorvax(std::string("set Package '") + package +
                                         "' call setRegisterValue https://evil.example allow call getRegisterValue https://a.example"));
    EXPECT_EQ(r.out, "1\n\n") << package;
  }
  EXPECT_EQ(runCommand(zorvax("origins")).out, "https://a.example allow\n");
}

TEST_F(BrowserSetup, PackageCommandsTakeAPackageThatIsOneAndAnOrigin) {
  for (const char* bad : {"give-package P", "give-package P https://a.example/path", "give-package '' https://a.example",
                          "give-package '\\' https://a.example", "give-package WebOrigins https://a.example",
                          "take-package '\\WebPackages' https://a.example", "take-package P https://a.example extra"})
    EXPECT_EQ(runCommand(zorvax(bad)).status, 2) << bad;
  EXPECT_EQ(runCommand(zorvax("origins")).out, "");
  // Named as a page names it: "보고\sub" is inside the package "보고".
  EXPECT_EQ(runCommand(zorvax("give-package '보고\\sub' HTTPS://A.example")).out, "보고 given to https://a.example\n");
  EXPECT_EQ(runCommand(zorvax("origins")).out, "https://a.example unknown\n  package 보고\n");
}

TEST_F(BrowserSetup, ManifestsNameTheLauncherAndTheExtensionAndGoAgain) {
  TempDir user;
  const std::string env = "HOME=" + user.path() + " XDG_CONFIG_HOME= ";
  auto r = runCommand(env + zorvax("browser-host install"));
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string chromium = user.path() + "/.config/chromium/NativeMessagingHosts/com.qorax.zorvax.json";
  const std::string chrome = user.path() + "/.config/google-chrome/NativeMessagingHosts/com.qorax.zorvax.json";
  const std::string firefox = user.path() + "/.mozilla/native-messaging-hosts/com.qorax.zorvax.json";
  EXPECT_EQ(r.out, chromium + "\n" + chrome + "\n" + firefox + "\n");
  auto manifest = nlohmann::json::parse(test::readFile(chromium));
  EXPECT_EQ(manifest["name"], "com.qorax.zorvax");
  EXPECT_EQ(manifest["type"], "stdio");
  EXPECT_EQ(manifest["allowed_origins"], nlohmann::json({"chrome-extension://mllkolfchmbnhjblipchcpbpagkogdhd/"}));
  EXPECT_EQ(nlohmann::json::parse(test::readFile(firefox))["allowed_extensions"],
            nlohmann::json({"zorvax@qorax.example"}));
  // The launcher starts this zorvax for this home, with what the browser passes.
  const std::string launcher = manifest["path"];
  EXPECT_EQ(launcher, home.path() + "/browser-host/zorvax-native-host");
  EXPECT_EQ(runCommand(launcher + " chrome-extension://x/ < /dev/null").status, 0);
  EXPECT_NE(test::readFile(home.file("browser-host.log")).find("chrome-extension://x/ host started"), std::string::npos);

  EXPECT_EQ(runCommand(env + zorvax("browser-host uninstall")).out, chromium + "\n" + chrome + "\n" + firefox + "\n");
  for (const auto& file : {chromium, chrome, firefox, launcher}) EXPECT_FALSE(std::filesystem::exists(file)) << file;

  TempDir profile;
  EXPECT_EQ(runCommand(zorvax("browser-host install --profile " + profile.path())).out,
            profile.path() + "/NativeMessagingHosts/com.qorax.zorvax.json\n");
}

}  // namespace
}  // namespace zx
