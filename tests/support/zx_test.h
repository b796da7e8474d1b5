#pragma once
// Shared test scaffolding: a fresh configuration home and temporary folder per test, the
// scripted user, a shell that records instead of running, and dispatch by name.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "control/zorvax_ctrl.h"
#include "platform/ole.h"
#include "platform/scripted_ui.h"
#include "platform/shell.h"

namespace zx::test {

// A folder that exists for one test and is removed with everything in it afterwards.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }
  // Every regular file below the folder, relative names, sorted.
  std::vector<std::string> files() const;

 private:
  std::string path_;
};

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& bytes);

// UTF-8 of an ANSI text, for comparing what the user saw.
std::string utf8(const std::string& ansiText);

// The built programs (zorvax, zorvax-docserver).
std::string binary(const std::string& name);
// Runs a command line through the shell; answers its exit status and standard output.
struct CommandResult {
  int status = -1;
  std::string out;
  std::string err;
};
CommandResult runCommand(const std::string& commandLine);

class ControlTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  std::unique_ptr<CZorvAXCtrl> makeControl();
  // Dispatch as a page does: by name with locale 0.
  ole::HRESULT put(CZorvAXCtrl& control, const std::string& name, const std::string& utf8Value);
  ole::Variant get(CZorvAXCtrl& control, const std::string& name);
  ole::Variant call(CZorvAXCtrl& control, const std::string& name, const std::vector<ole::Variant>& args = {},
                    ole::HRESULT* code = nullptr);
  static ole::Variant text(const std::string& utf8Value);
  static std::string textOf(const ole::Variant& value);

  TempDir home;
  TempDir tmp;
  std::shared_ptr<platform::ScriptedUi> user;
  platform::RecordingShell shell;

 private:
  std::string savedTmp_;
  bool hadTmp_ = false;
};

}  // namespace zx::test
