#include <gtest/gtest.h>

#include "core/classes_root.h"
#include "core/config_store.h"
#include "core/file_helpers.h"
#include "core/package_owners.h"
#include "platform/codepage.h"
#ifndef _WIN32
#include "platform/linux/fs_posix.h"
#endif
#include "platform/osinfo.h"
#include "platform/sysdirs.h"
#include "support/zx_test.h"

namespace zx {
namespace {

using test::ControlTest;
namespace reg = platform::reg;

class ConfigStore : public ControlTest {
 protected:
  std::unique_ptr<platform::RegKey> key(const std::string& path) {
    return registry().openKey(platform::Hive::CurrentUser, path, reg::kMaximumAllowed);
  }
  std::optional<std::string> rootValue(const std::string& name) {
    auto k = openConfigKey(registry(), nullptr, false);
    return k ? readKeyText(registry(), *k, name, 4096) : std::nullopt;
  }
  void setRootValue(const std::string& name, const std::string& value) { writeConfigValue(registry(), name, value); }
};

TEST_F(ConfigStore, PackageKeyLifecycleAndTheThreeScriptMethods) {
  auto c = makeControl();
  EXPECT_EQ(textOf(call(*c, "getRegisterValue", {text("k")})), "");
  EXPECT_EQ(call(*c, "setRegisterValue", {text("k"), text("v")}).intValue(), 1) << "no package key yet";
  EXPECT_EQ(key("Software\\QORAX\\ZorvAX0"), nullptr) << "reading creates nothing";
  ASSERT_EQ(put(*c, "Package", "P1"), ole::S_OK);
  EXPECT_NE(key("Software\\QORAX\\ZorvAX0\\P1"), nullptr);
  EXPECT_EQ(call(*c, "setRegisterValue", {text("k"), text("값")}).intValue(), 0);
  EXPECT_EQ(textOf(call(*c, "getRegisterValue", {text("k")})), "값");
  // Stored as the text's code page bytes, as the platform's registry keeps a string.
  auto k = key("Software\\QORAX\\ZorvAX0\\P1");
  char raw[16];
  std::uint32_t size = sizeof raw, type = 0;
  ASSERT_EQ(registry().queryValue(*k, "k", raw, &size, &type), reg::kSuccess);
  EXPECT_EQ(type, reg::REG_SZ);
  EXPECT_EQ(std::string(raw, size), test::storedString(platform::utf8ToAnsi("값")));
  // The same bytes whatever follows the text in memory.
  const std::string longer = platform::utf8ToAnsi("값") + "tail";
  ASSERT_EQ(writePackageValue(registry(), *c, "k", std::string_view(longer).substr(0, 2)), 0);
  size = sizeof raw;
  ASSERT_EQ(registry().queryValue(*k, "k", raw, &size, &type), reg::kSuccess);
  EXPECT_EQ(std::string(raw, size), test::storedString(platform::utf8ToAnsi("값")));

  EXPECT_EQ(call(*c, "setRegisterIfEmpty", {text("k"), text("other")}).intValue(), 0);
  EXPECT_EQ(textOf(call(*c, "getRegisterValue", {text("k")})), "값");
  registry().deleteValue(*k, "k");
  EXPECT_EQ(call(*c, "setRegisterIfEmpty", {text("k"), text("other")}).intValue(), 0);
  EXPECT_EQ(textOf(call(*c, "getRegisterValue", {text("k")})), "other");
  call(*c, "setRegisterValue", {text("k"), text(std::string(900, 'L'))});
  call(*c, "setRegisterValue", {text("k"), text("ab")});
  EXPECT_EQ(textOf(call(*c, "getRegisterValue", {text("k")})), "ab");
}

TEST_F(ConfigStore, PortAndHostnameChangesReachOnlyAnExistingPackageKey) {
  auto c = makeControl();
  ASSERT_EQ(put(*c, "Port", "8080"), ole::S_OK);
  EXPECT_EQ(c->Port, "8080");
  EXPECT_EQ(key("Software\\QORAX\\ZorvAX0"), nullptr) << "the registry is unchanged";
  put(*c, "Package", "P1");
  put(*c, "Port", "9090");
  put(*c, "Hostname", "srv");
  EXPECT_EQ(c->getRegisterValue("Port"), "9090");
  EXPECT_EQ(c->getRegisterValue("Hostname"), "srv");

  // An empty package names no key: nothing reaches the root key's own values.
  put(*c, "Package", "");
  put(*c, "Port", "1");
  EXPECT_EQ(textOf(call(*c, "getRegisterValue", {text("Port")})), "");
  EXPECT_EQ(call(*c, "setRegisterValue", {text("Path"), text("/evil")}).intValue(), 1);
  put(*c, "Package", "\\");
  EXPECT_EQ(call(*c, "setRegisterValue", {text("debug"), text("true")}).intValue(), 1);
  EXPECT_FALSE(rootValue("Path").has_value());
  EXPECT_FALSE(rootValue("debug").has_value());
}

// A page's control: its origin decides which package keys it reaches.
class PackageOwnership : public ConfigStore {
 protected:
  std::unique_ptr<CZorvAXCtrl> page(const std::string& origin, const std::string& package) {
    auto c = makeControl();
    c->pageOrigin = origin;
    EXPECT_EQ(put(*c, "Package", package), ole::S_OK);
    return c;
  }
  const std::string a = "https://a.example", b = "https://b.example";
};

TEST_F(PackageOwnership, ASecondOriginNeitherReadsNorChangesTheFirstOriginsPackage) {
  auto first = page(a, "P1");
  ASSERT_EQ(first->setRegisterValue("k", "mine"), 0);
  put(*first, "Port", "8443");
  put(*first, "Hostname", "docs.a.example");
  EXPECT_EQ(packageOwners(registry(), "P1"), std::vector<std::string>{a}) << "made by the page, so it is its origin's";

  // Every spelling of the same key is the same package; a subkey belongs to it too.
  for (const char* alias : {"P1", "p1", "\\P1\\", "P1\\sub"}) {
    auto second = page(b, alias);
    EXPECT_EQ(second->getRegisterValue("k"), "") << alias;
    EXPECT_EQ(second->getRegisterValue("Port"), "") << alias;
    EXPECT_EQ(second->setRegisterValue("k", "theirs"), 1) << alias;
    EXPECT_EQ(second->setRegisterIfEmpty("new", "theirs"), 1) << alias;
    put(*second, "Port", "1");
    put(*second, "Hostname", "evil.example");
    EXPECT_EQ(second->Port, "1") << "the page's own transfer still uses what it set";
  }
  EXPECT_EQ(key("Software\\QORAX\\ZorvAX0\\P1\\sub"), nullptr) << "nothing made inside another origin's package";

  EXPECT_EQ(first->getRegisterValue("k"), "mine");
  auto user = makeControl();
  put(*user, "Package", "P1");
  EXPECT_EQ(user->getRegisterValue("k"), "mine");
  EXPECT_EQ(user->getRegisterValue("Port"), "8443");
  EXPECT_EQ(user->getRegisterValue("Hostname"), "docs.a.example");
  EXPECT_EQ(user->getRegisterValue("new"), "");
  EXPECT_EQ(user->setRegisterValue("k", "the user's"), 0) << "the user is not restricted";
  EXPECT_EQ(first->getRegisterValue("k"), "the user's");
  EXPECT_EQ(packagesByOrigin(registry()), (std::map<std::string, std::vector<std::string>>{{a, {"P1"}}}));
}

TEST_F(PackageOwnership, APackageKeyTheUserMadeGoesToTheFirstOriginThatUsesIt) {
  auto user = makeControl();
  put(*user, "Package", "P2");
  user->setRegisterValue("k", "from the companion");
  put(*user, "Package", "TENDRIAX");
  user->setRegisterValue("k", "default package");
  EXPECT_TRUE(packagesByOrigin(registry()).empty()) << "the user's own use claims nothing";

  // Asking about a package that has no key (as the default package before anyone made it)
  // records nothing.
  auto asking = makeControl();
  asking->pageOrigin = b;
  asking->Package = "NOKEY";
  EXPECT_EQ(asking->getRegisterValue("k"), "");
  EXPECT_EQ(asking->setRegisterValue("k", "v"), 1);
  EXPECT_TRUE(packagesByOrigin(registry()).empty());

  auto second = page(b, "P2");
  EXPECT_EQ(second->getRegisterValue("k"), "from the companion");
  auto first = page(a, "P2");
  EXPECT_EQ(first->getRegisterValue("k"), "");
  // The default package, never set by the page, is used as it is.
  auto defaulted = makeControl();
  defaulted->pageOrigin = a;
  EXPECT_EQ(defaulted->getRegisterValue("k"), "default package");
  EXPECT_EQ(packagesByOrigin(registry()),
            (std::map<std::string, std::vector<std::string>>{{a, {"TENDRIAX"}}, {b, {"P2"}}}));
}

TEST_F(PackageOwnership, TheUserGivesAndTakesPackages) {
  auto first = page(a, "P1");
  first->setRegisterValue("k", "v");
  ASSERT_TRUE(givePackage(registry(), "P1", b));
  auto second = page(b, "P1");
  EXPECT_EQ(second->getRegisterValue("k"), "v");
  EXPECT_EQ(second->setRegisterValue("k", "shared"), 0);
  EXPECT_EQ(first->getRegisterValue("k"), "shared");

  // A long list of owners is read whole.
  for (int i = 0; i < 60; ++i) ASSERT_TRUE(givePackage(registry(), "P1", "https://site" + std::to_string(i) + ".example"));
  EXPECT_EQ(packageOwners(registry(), "P1").size(), 62u);
  EXPECT_EQ(page("https://site59.example", "P1")->getRegisterValue("k"), "shared");
  EXPECT_EQ(page("https://c.example", "P1")->getRegisterValue("k"), "");

  ASSERT_TRUE(takePackage(registry(), "P1", a));
  EXPECT_EQ(first->getRegisterValue("k"), "");
  EXPECT_EQ(second->getRegisterValue("k"), "shared");
  for (int i = 0; i < 60; ++i) ASSERT_TRUE(forgetOriginPackages(registry(), "https://site" + std::to_string(i) + ".example"));
  ASSERT_TRUE(forgetOriginPackages(registry(), b));
  EXPECT_TRUE(packagesByOrigin(registry()).empty());
  EXPECT_EQ(first->getRegisterValue("k"), "shared") << "a package nobody owns goes to the next origin that uses it";
  EXPECT_EQ(second->getRegisterValue("k"), "");

  EXPECT_FALSE(givePackage(registry(), "", b));
  EXPECT_FALSE(givePackage(registry(), "\\WebPackages", b));
}

TEST_F(PackageOwnership, NoPackageTextReachesTheOwnersRecord) {
  auto first = page(a, "P1");
  for (const char* package : {"WebPackages", "webpackages", "\\WebPackages\\x"}) {
    auto c = page(b, package);
    EXPECT_EQ(c->setRegisterValue("P1", b), 1) << package;
    EXPECT_EQ(c->getRegisterValue("P1"), "") << package;
    auto user = makeControl();
    put(*user, "Package", package);
    EXPECT_EQ(user->setRegisterValue("P1", b), 1) << package;
  }
  EXPECT_EQ(packageOwners(registry(), "P1"), std::vector<std::string>{a});
}

TEST_F(ConfigStore, ValuesThatDoNotFitTheirBufferCountAsUnreadable) {
  auto c = makeControl();
  put(*c, "Package", "P1");
  auto k = key("Software\\QORAX\\ZorvAX0\\P1");
  std::string big(1025, 'x');
  registry().setValue(*k, "big", reg::REG_SZ, big.data(), 1025);
  EXPECT_EQ(c->getRegisterValue("big"), "");
  EXPECT_EQ(c->setRegisterIfEmpty("big", "new"), 0) << "an unreadable value is replaced";
  EXPECT_EQ(c->getRegisterValue("big"), "new");
  std::string full(1024, 'y');
  registry().setValue(*k, "full", reg::REG_BINARY, full.data(), 1024);
  EXPECT_EQ(c->getRegisterValue("full"), full) << "a full buffer without a terminator still ends at the data";
  registry().setValue(*k, "nul", reg::REG_BINARY, "ab\0cd", 5);
  EXPECT_EQ(c->getRegisterValue("nul"), "ab");

  const std::string longestPath(255, 'p');
  setRootValue("Path", longestPath);
  EXPECT_EQ(readInstallPath(registry()), longestPath);
  // As another program writes it, with its terminator counted.
  auto root = key("Software\\QORAX\\ZorvAX0");
  ASSERT_EQ(registry().setValue(*root, "Path", reg::REG_SZ, longestPath.c_str(), 256), reg::kSuccess);
  EXPECT_EQ(readInstallPath(registry()), longestPath);
  setRootValue("Path", std::string(256, 'p'));
  EXPECT_FALSE(readInstallPath(registry()).has_value());
  ASSERT_EQ(registry().setValue(*root, "Path", reg::REG_BINARY, std::string(256, 'p').data(), 256), reg::kSuccess);
  EXPECT_FALSE(readInstallPath(registry()).has_value()) << "256 characters without a terminator";
}

TEST_F(ConfigStore, ClassesRootTextsEndWhereConfigurationTextsEnd) {
  ClassesRoot root(registry());
  ASSERT_TRUE(root.createKey("ZxProbe"));
  auto k = registry().openKey(platform::Hive::ClassesRoot, "ZxProbe", reg::kMaximumAllowed);
  ASSERT_NE(k, nullptr);
  registry().setValue(*k, "bare", reg::REG_SZ, "text", 4);
  registry().setValue(*k, "terminated", reg::REG_SZ, "text", 5);
  registry().setValue(*k, "tail", reg::REG_SZ, "text\0old", 8);
  for (const char* name : {"bare", "terminated", "tail"}) {
    EXPECT_EQ(root.readText("ZxProbe", name), "text") << name;
    EXPECT_EQ(readKeyText(registry(), *k, name, 1024), "text") << name;
  }
  EXPECT_EQ(root.readText("ZxProbe", "missing"), std::nullopt);
}

TEST_F(ConfigStore, DebugSwitchIsExactlyTrue) {
  EXPECT_FALSE(readConfigFlag(registry(), "debug", false));
  setRootValue("debug", "true");
  EXPECT_TRUE(readConfigFlag(registry(), "debug", false));
  setRootValue("debug", "TRUE");
  EXPECT_FALSE(readConfigFlag(registry(), "debug", false));
  setRootValue("debug", "false");
  EXPECT_FALSE(readConfigFlag(registry(), "debug", true));
  setRootValue("debug", "yes");
  EXPECT_TRUE(readConfigFlag(registry(), "debug", true));
}

TEST_F(ConfigStore, DownloadDirectoryOnAModernSystemIsTheTempFolderAndSticks) {
  auto c = makeControl();
  EXPECT_EQ(downloadDirectory(env(), *c), c->m_tempDir.str());
  EXPECT_EQ(rootValue("downloadDir"), c->m_tempDir.str());
  setRootValue("downloadDir", "/not/checked");
  EXPECT_EQ(downloadDirectory(env(), *c), "/not/checked");
  setRootValue("downloadDir", "/" + std::string(600, 'd'));
  EXPECT_EQ(downloadDirectory(env(), *c), c->m_tempDir.str()) << "an over-long value counts as missing";
  setRootValue("downloadDir", "");
  EXPECT_EQ(readConfigValue(registry(), "downloadDir", "default"), "default") << "an empty text gives the default";
  EXPECT_EQ(downloadDirectory(env(), *c), c->m_tempDir.str()) << "an empty value counts as missing";
  EXPECT_EQ(rootValue("downloadDir"), c->m_tempDir.str()) << "and is replaced";
}

#ifndef _WIN32
// Windows names no user download folder to the control (docs/windows.md).
TEST_F(ConfigStore, WithoutAChoiceDownloadsGoToTheUsersDownloadFolder) {
  auto c = makeControl();
  test::TempDir user;
  platform::PosixFileSystem files(tmp.path(), user.file("Downloads"));
  const platform::Env base = env();
  const platform::Env withDownloads{base.ui, base.shell, base.registry, files, base.http, base.adapters, base.os,
                                    base.clock, base.home};
  EXPECT_EQ(downloadDirectory(withDownloads, *c), user.file("Downloads"));
  EXPECT_TRUE(std::filesystem::is_directory(user.file("Downloads"))) << "made when missing";
  EXPECT_EQ(rootValue("downloadDir"), user.file("Downloads"));
}
#endif

TEST_F(ConfigStore, OlderSystemTakesOverTheOldIniFileOnce) {
  services.os.setMajor(5);
  auto c = makeControl();
  EXPECT_FALSE(c->m_isVistaOrLater);
  test::TempDir docs;
  std::string ini = test::joinedPath({platform::windowsDirectory(fs(), home.path()), "ZorvAX.ini"});
  test::writeFile(ini, "[download]\r\ndir=" + docs.path() + "\r\n");
  EXPECT_EQ(downloadDirectory(env(), *c), docs.path());
  EXPECT_FALSE(std::filesystem::exists(ini));
  EXPECT_EQ(rootValue("downloadDir"), docs.path());

  test::writeFile(ini, "[download]\r\ndir=/no/such/dir\r\n");
  setRootValue("downloadDir", "_____");
  EXPECT_EQ(downloadDirectory(env(), *c), c->m_tempDir.str());
  EXPECT_FALSE(std::filesystem::exists(ini));
}

TEST_F(ConfigStore, DownloadPathJoinsTheLastElementAndRefusesOverlongJoins) {
  auto c = makeControl();
  const std::string in = test::joinedPath({"", "srv", "in"});
  setRootValue("downloadDir", in);
  EXPECT_EQ(makeDownloadPath(env(), *c, "a/b/report.hwp"), test::joinedPath({in, "report.hwp"}));
  EXPECT_EQ(makeDownloadPath(env(), *c, "a\\b/c\\x.txt"), test::joinedPath({in, "x.txt"}));
  setRootValue("downloadDir", test::joinedPath({"", ""}));
  EXPECT_EQ(makeDownloadPath(env(), *c, "doc.txt"), test::joinedPath({"", "doc.txt"})) << "a root keeps one separator";
  setRootValue("downloadDir", "C:\\");
  EXPECT_EQ(makeDownloadPath(env(), *c, "doc.txt"), "C:\\doc.txt");
  const std::string deep = test::joinedPath({"", std::string(500, 'd')});
  setRootValue("downloadDir", deep);
  EXPECT_EQ(makeDownloadPath(env(), *c, std::string(9, 'n')), test::joinedPath({deep, std::string(9, 'n')}));
  EXPECT_FALSE(makeDownloadPath(env(), *c, std::string(10, 'n')).has_value());
}

}  // namespace
}  // namespace zx
