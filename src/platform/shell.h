#pragma once
// The shell's "open" action and the program launcher. Results keep the old codes.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace zx::platform {

namespace launch {
constexpr int kOutOfResources = 0;
constexpr int kFileNotFound = 2;
constexpr int kPathNotFound = 3;
constexpr int kBadFormat = 11;
constexpr int kStarted = 33;  // anything above 31 means started
}  // namespace launch

struct ShellRequest {
  std::string verb;        // "open" or "launch"
  std::string target;      // ANSI path or command line
  std::string parameters;  // ANSI
};

class Shell {
 public:
  virtual ~Shell() = default;
  // Opens a file with the desktop's opener; >31 on success, an old error code otherwise.
  virtual int open(std::string_view path) = 0;
  // Opens a folder window on `folder`.
  virtual int openFolder(std::string_view folder) = 0;
  // Starts an unquoted command line, as the old launcher did: the program is the longest
  // space-separated prefix that names an executable file.
  virtual int launch(std::string_view commandLine) = 0;
};

// The system shell: the desktop's opener (xdg-open) and posix_spawn.
class SystemShell : public Shell {
 public:
  int open(std::string_view path) override;
  int openFolder(std::string_view folder) override;
  int launch(std::string_view commandLine) override;
};
Shell& systemShell();

// For tests: records every request and runs nothing. The answer says what the shell reports.
class RecordingShell : public Shell {
 public:
  std::vector<ShellRequest> requests;
  std::function<int(const ShellRequest&)> answer;
  int open(std::string_view path) override;
  int openFolder(std::string_view folder) override;
  int launch(std::string_view commandLine) override;

 private:
  int record(ShellRequest request);
};

Shell& shell();
void setShell(Shell* replacement);  // nullptr restores the system shell

}  // namespace zx::platform
