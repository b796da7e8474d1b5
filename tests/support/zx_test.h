#pragma once
// Shared test scaffolding: a fresh configuration home and temporary folder per test, the
// scripted user, a shell that records instead of running, and dispatch by name.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "control/zorvax_ctrl.h"
#include "doubles/adapter_scenarios.h"
#include "doubles/emulated_os.h"
#include "doubles/recording_shell.h"
#include "doubles/scripted_ui.h"
#include "platform/env.h"
#include "platform/ole.h"
#include "platform/system_services.h"

namespace zx::test {

// A folder that exists for one test and is removed with everything in it afterwards.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + platform::kPathSeparator + name; }
  // Every regular file below the folder, relative names, sorted.
  std::vector<std::string> files() const;

 private:
  std::string path_;
};

// The boxes a scripted user has seen, as "caption|text" in UTF-8.
std::vector<std::string> boxLines(const doubles::ScriptedUi& user);

// The machine's file system, for tests that need no other service.
platform::FileSystem& localFiles();
// A file system of its own, as another process of the control would have.
std::unique_ptr<platform::FileSystem> anotherFileSystem();

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& bytes);

// UTF-8 of an ANSI text, for comparing what the user saw.
std::string utf8(const std::string& ansiText);

// The parts joined with the platform's separator: joinedPath({"", "srv", "in"}) is "/srv/in" on
// Linux and "\srv\in" on Windows.
std::string joinedPath(std::initializer_list<std::string_view> parts);

// The bytes the registry keeps for a text written as a string value: the system's registry on
// Windows keeps the text with a terminating zero, the Linux store the text alone.
std::string storedString(const std::string& ansiText);

#ifndef _WIN32
// The built programs (zorvax, zorvax-docserver).
std::string binary(const std::string& name);
// Runs a command line through the shell; answers its exit status and standard output. The
// command runs away from any desktop (no DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM unless the
// command line sets them), so a program that would open windows on a developer's display does
// not.
struct CommandResult {
  int status = -1;
  std::string out;
  std::string err;
};
CommandResult runCommand(const std::string& commandLine);

// While it lives, no file of the process grows past `bytes`: a write beyond that fails as on a
// full disk. SIGXFSZ is ignored meanwhile, so the write reports the failure instead of ending
// the process.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(std::uint64_t bytes);
  ~FileSizeLimit();
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  std::uint64_t previous_;
  void (*previousHandler_)(int);
};

// A file system of `size` (mount's size= text, "64k") of its own, mounted on a fresh folder for
// one test and gone afterwards: where a disk really fills. Mounting needs the privilege to
// mount; without it mounted() is false and why() says what the system answered.
class SmallFileSystem {
 public:
  explicit SmallFileSystem(const std::string& size);
  ~SmallFileSystem();
  SmallFileSystem(const SmallFileSystem&) = delete;
  SmallFileSystem& operator=(const SmallFileSystem&) = delete;
  bool mounted() const { return mounted_; }
  const std::string& why() const { return why_; }
  const std::string& path() const { return folder_.path(); }
  std::string file(const std::string& name) const { return folder_.file(name); }
  std::vector<std::string> files() const { return folder_.files(); }
  // Fills what is left with one file, "filler", but for `spare` bytes.
  void fillLeaving(std::uint64_t spare) const;

 private:
  TempDir folder_;
  bool mounted_ = false;
  std::string why_;
};
#endif

// The services of one test: the system's own over a fresh home and temporary folder, with the
// scripted user, a shell that records, an operating system and adapters the test can choose.
class TestServices {
 public:
  TestServices(const std::string& home, const std::string& tmp, platform::http::Timeouts timeouts = {});
#ifdef _WIN32
  ~TestServices();
  TestServices(const TestServices&) = delete;
  TestServices& operator=(const TestServices&) = delete;
#endif

  // The bundle a control made now gets.
  platform::Env env();
  // Controls made from now on start programs for real instead of recording.
  void useSystemShell() { systemShell_ = true; }
  // Controls made from now on talk to `ui` (another interface under test, which must outlive
  // them) instead of the scripted user.
  void useUi(platform::Ui& ui) { ui_ = &ui; }
  // Time-outs for every exchange from now on, also of controls already made.
  void setTimeouts(platform::http::Timeouts timeouts);

  platform::SystemServices system;
  doubles::ScriptedUi user;
  doubles::RecordingShell shell;
  doubles::EmulatedOs os;
  doubles::ScenarioAdapters adapters;
  platform::http::Client http;

 private:
  bool systemShell_ = false;
  platform::Ui* ui_ = nullptr;
#ifdef _WIN32
  std::string previousTmp_;  // empty: TMP was not set
#endif
};

class ControlTest : public ::testing::Test {
 protected:
  std::unique_ptr<CZorvAXCtrl> makeControl();
  platform::Env env() { return services.env(); }
  platform::Registry& registry() { return services.system.registry(); }
  platform::FileSystem& fs() { return services.system.fs(); }
  // Dispatch as a page does: by name with locale 0.
  ole::HRESULT put(CZorvAXCtrl& control, const std::string& name, const std::string& utf8Value);
  ole::Variant get(CZorvAXCtrl& control, const std::string& name);
  ole::Variant call(CZorvAXCtrl& control, const std::string& name, const std::vector<ole::Variant>& args = {},
                    ole::HRESULT* code = nullptr);
  static ole::Variant text(const std::string& utf8Value);
  static std::string textOf(const ole::Variant& value);

  TempDir home;
  TempDir tmp;
  TestServices services{home.path(), tmp.path()};
  doubles::ScriptedUi* user = &services.user;
  doubles::RecordingShell& shell = services.shell;
};

}  // namespace zx::test
