// What the tests of the real module share: the module's registration by regsvr32, JScript files
// run by cscript, the document server's whereabouts, and watchers that answer message boxes and
// the password prompt the way a person would.
#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "support/child_process.h"

namespace zx::wintest {

// The module of this build, beside the test programs' folder (build-windows/zorvax.ocx).
std::wstring modulePath();

// Code page 949 bytes (what cscript and reg print) to UTF-16, and back.
std::wstring fromKorean(const std::string& bytes);
std::string toKorean(const std::wstring& text);

// The file's bytes; empty when it cannot be read.
std::string readBytes(const std::wstring& path);
void writeBytes(const std::wstring& path, const std::string& bytes);

// A folder of its own under the temporary folder, removed with its files at the end.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  const std::wstring& path() const { return path_; }  // ends with a backslash

 private:
  std::wstring path_;
};

// Runs a JScript text (ASCII; Korean as \u escapes) with `cscript //nologo`; the output is
// code page 949 text, one line per WScript.Echo.
ChildRun runJScript(const ScratchFolder& folder, const std::string& script, unsigned long timeoutMs = 120000);

// A value the docserver wrapper (with_docserver.sh) put into the environment; the test fails
// without it.
std::string serverSetting(const char* name);

// Makes the docserver's certificate a root the system trusts, as an administrator installs a
// company's authority.
bool trustCertificate(const std::wstring& pemPath);

// A person at the screen: a thread that looks at the visible top-level dialogs every 50 ms and
// answers each one once, noting what it saw. Derived classes start it when they are made and
// stop it before they go.
class DialogAnswerer {
 public:
  DialogAnswerer(const DialogAnswerer&) = delete;
  DialogAnswerer& operator=(const DialogAnswerer&) = delete;
  std::vector<std::wstring> seen();

 protected:
  DialogAnswerer() = default;
  virtual ~DialogAnswerer() = default;
  void start();
  void stop();
  void note(std::wstring what);
  // True when the dialog was answered; it is not looked at again while it stays.
  virtual bool answer(HWND dialog) = 0;

 private:
  void watch();
  std::mutex mutex_;
  std::vector<std::wstring> seen_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

// Presses the first button of every message box whose caption is listed (every box when the
// list is empty), and notes what it showed: "caption|text" (UTF-16), in the order they came.
class BoxWatcher final : public DialogAnswerer {
 public:
  explicit BoxWatcher(std::vector<std::wstring> captions);
  ~BoxWatcher() override { stop(); }

 private:
  bool answer(HWND box) override;
  std::vector<std::wstring> captions_;
};

// Answers the internet library's password prompt as a person would: finds the visible dialog
// that has a password field, notes what it shows, types the user name and the password into its
// two edit fields and presses OK, or presses Cancel. Other windows are left alone. Per prompt
// answered it notes "caption|texts|button pressed|user typed|password characters".
class PasswordPromptAnswerer final : public DialogAnswerer {
 public:
  enum class Press { Ok, Cancel };
  PasswordPromptAnswerer(std::wstring user, std::wstring password, Press press);
  ~PasswordPromptAnswerer() override { stop(); }

 private:
  bool answer(HWND dialog) override;
  std::wstring user_, password_;
  Press press_;
};

}  // namespace zx::wintest
