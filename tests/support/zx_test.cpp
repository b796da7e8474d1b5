#include "support/zx_test.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

#include "core/config_store.h"
#include "platform/codepage.h"

#ifdef _WIN32
#include "platform/win32/fs_win32.h"
#else
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/statvfs.h>
#include <sys/wait.h>

#include <cerrno>
#include <csignal>
#include <cstring>

#include "platform/linux/fs_posix.h"
#endif

namespace zx::test {

#ifdef _WIN32

// The C runtime has no mkdtemp: a random name, created only if it did not exist.
TempDir::TempDir() {
  std::random_device seed;
  std::mt19937_64 random(seed());
  const std::filesystem::path base = std::filesystem::temp_directory_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::filesystem::path candidate = base / ("zxtest-" + std::to_string(random() % 1000000000u));
    if (std::filesystem::create_directory(candidate)) {
      path_ = candidate.string();
      return;
    }
  }
  throw std::runtime_error("no fresh temporary folder");
}

platform::FileSystem& localFiles() {
  static platform::Win32FileSystem files;
  return files;
}

std::unique_ptr<platform::FileSystem> anotherFileSystem() { return std::make_unique<platform::Win32FileSystem>(); }

#else

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "zxtest-XXXXXX").string();
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (!mkdtemp(buffer.data())) throw std::runtime_error("mkdtemp failed");
  path_ = buffer.data();
}

platform::FileSystem& localFiles() {
  static platform::PosixFileSystem files("");
  return files;
}

std::unique_ptr<platform::FileSystem> anotherFileSystem() { return std::make_unique<platform::PosixFileSystem>(""); }

#endif

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
  for (auto& entry : std::filesystem::recursive_directory_iterator(path_, ec))
    if (entry.is_directory(ec))
      std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                   std::filesystem::perm_options::add, ec);
  std::filesystem::remove_all(path_, ec);
}

std::vector<std::string> TempDir::files() const {
  std::vector<std::string> names;
  for (auto& entry : std::filesystem::recursive_directory_iterator(path_))
    if (entry.is_regular_file()) names.push_back(std::filesystem::relative(entry.path(), path_).string());
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> boxLines(const doubles::ScriptedUi& user) {
  std::vector<std::string> shown;
  for (const auto& box : user.boxes()) shown.push_back(box.caption + "|" + box.text);
  return shown;
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

std::string utf8(const std::string& ansiText) { return platform::ansiToUtf8(ansiText); }

std::string joinedPath(std::initializer_list<std::string_view> parts) {
  std::string joined;
  bool first = true;
  for (std::string_view part : parts) {
    if (!first) joined += platform::kPathSeparator;
    joined += part;
    first = false;
  }
  return joined;
}

std::string storedString(const std::string& ansiText) {
#ifdef _WIN32
  return ansiText + '\0';
#else
  return ansiText;
#endif
}

#ifndef _WIN32
std::string binary(const std::string& name) {
  const char* dir = std::getenv("ZX_TEST_BIN_DIR");
  return std::string(dir ? dir : ".") + "/bin/" + name;
}

FileSizeLimit::FileSizeLimit(std::uint64_t bytes) : previousHandler_(std::signal(SIGXFSZ, SIG_IGN)) {
  rlimit limit{};
  getrlimit(RLIMIT_FSIZE, &limit);
  previous_ = limit.rlim_cur;
  limit.rlim_cur = bytes;
  EXPECT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
}

FileSizeLimit::~FileSizeLimit() {
  rlimit limit{};
  getrlimit(RLIMIT_FSIZE, &limit);
  limit.rlim_cur = previous_;
  setrlimit(RLIMIT_FSIZE, &limit);
  std::signal(SIGXFSZ, previousHandler_);
}

SmallFileSystem::SmallFileSystem(const std::string& size) {
  mounted_ = ::mount("tmpfs", folder_.path().c_str(), "tmpfs", MS_NOSUID | MS_NODEV, ("size=" + size).c_str()) == 0;
  if (!mounted_) why_ = std::string("mounting a tmpfs: ") + std::strerror(errno);
}

SmallFileSystem::~SmallFileSystem() {
  if (mounted_) ::umount2(folder_.path().c_str(), MNT_DETACH);
}

void SmallFileSystem::fillLeaving(std::uint64_t spare) const {
  struct statvfs fs;
  if (::statvfs(path().c_str(), &fs) != 0) return;
  const std::uint64_t free = static_cast<std::uint64_t>(fs.f_bavail) * fs.f_frsize;
  if (free <= spare) return;
  std::ofstream(file("filler"), std::ios::binary) << std::string(free - spare, 'F');
}

CommandResult runCommand(const std::string& commandLine) {
  TempDir capture;
  std::string err = capture.file("stderr");
  CommandResult result;
  std::FILE* pipe = popen(("unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM; " + commandLine + " 2>" + err).c_str(), "r");
  if (!pipe) return result;
  std::array<char, 4096> buffer;
  size_t n;
  while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) result.out.append(buffer.data(), n);
  int status = pclose(pipe);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.err = readFile(err);
  return result;
}
#endif

namespace {

platform::SystemSettings settingsFor(const std::string& home, const std::string& tmp, platform::http::Timeouts timeouts) {
  platform::SystemSettings settings;
  settings.home = home;
  settings.tmpFolder = tmp;
  settings.downloadFolder = tmp;  // downloads stay in the test's own folder
  settings.timeouts = timeouts;
  return settings;
}

}  // namespace

TestServices::TestServices(const std::string& home, const std::string& tmp, platform::http::Timeouts timeouts)
    : system(settingsFor(home, tmp, timeouts)), adapters(system.adapters()), http(system.http()) {
#ifdef _WIN32
  // The registry is the Wine prefix's own, shared by every test of the program: each test starts
  // without the control's settings. The C runtime takes its temporary folder from TMP itself.
  system.registry().deleteTree(platform::Hive::CurrentUser, kConfigRootPath);
  // An empty TMP is no TMP, as on Linux.
  if (const char* before = std::getenv("TMP")) previousTmp_ = before;
  _putenv_s("TMP", tmp.c_str());
#endif
}

#ifdef _WIN32
// TMP goes back before the test's folder is removed: the system's temporary folder follows it.
TestServices::~TestServices() {
  _putenv_s("TMP", previousTmp_.c_str());
  system.registry().deleteTree(platform::Hive::CurrentUser, kConfigRootPath);
}
#endif

void TestServices::setTimeouts(platform::http::Timeouts timeouts) {
  http = platform::http::Client({timeouts, platform::trustFileIn(system.home())});
}

platform::Env TestServices::env() {
  platform::Shell& chosenShell = systemShell_ ? system.shell() : shell;
  platform::Ui& chosenUi = ui_ ? *ui_ : user;
  return platform::Env{chosenUi, chosenShell, system.registry(), system.fs(), http,
                       adapters, os,          system.clock(),    system.home()};
}

std::unique_ptr<CZorvAXCtrl> ControlTest::makeControl() { return std::make_unique<CZorvAXCtrl>(env()); }

namespace {
ole::DISPID idOf(CZorvAXCtrl& control, const std::string& name) {
  std::vector<ole::DISPID> ids;
  EXPECT_EQ(control.getIDsOfNames(ole::IID_NULL(), {platform::utf8ToUtf16(name)}, 0, ids), ole::S_OK) << name;
  return ids.empty() ? 0 : ids[0];
}
}  // namespace

ole::HRESULT ControlTest::put(CZorvAXCtrl& control, const std::string& name, const std::string& utf8Value) {
  return control.invoke(idOf(control, name), ole::IID_NULL(), 0, ole::DISPATCH_PROPERTYPUT, {text(utf8Value)}, nullptr,
                        nullptr);
}

ole::Variant ControlTest::get(CZorvAXCtrl& control, const std::string& name) {
  ole::Variant v;
  EXPECT_EQ(control.invoke(idOf(control, name), ole::IID_NULL(), 0, ole::DISPATCH_PROPERTYGET, {}, &v, nullptr),
            ole::S_OK);
  return v;
}

ole::Variant ControlTest::call(CZorvAXCtrl& control, const std::string& name, const std::vector<ole::Variant>& args,
                               ole::HRESULT* code) {
  ole::Variant v;
  ole::HRESULT rc = control.invoke(idOf(control, name), ole::IID_NULL(), 0, ole::DISPATCH_METHOD, args, &v, nullptr);
  if (code) *code = rc;
  else EXPECT_EQ(rc, ole::S_OK) << name;
  return v;
}

ole::Variant ControlTest::text(const std::string& utf8Value) {
  return ole::Variant::fromString(platform::utf8ToUtf16(utf8Value));
}

std::string ControlTest::textOf(const ole::Variant& value) { return platform::utf16ToUtf8(value.stringValue()); }

}  // namespace zx::test
