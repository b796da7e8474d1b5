#pragma once
// The shell's "open" action and the program launcher. Results keep the old codes.
//
// Threads: called on the control's thread. Opening waits up to ten seconds for the opener's
// verdict, calling the caller's wait hook meanwhile; launching waits a few milliseconds.
#include <string>
#include <string_view>
#include <utility>

#include "platform/api.h"
#include "platform/wait.h"

namespace zx::platform {

namespace launch {
constexpr int kOutOfResources = 0;
constexpr int kFileNotFound = 2;
constexpr int kPathNotFound = 3;
constexpr int kBadFormat = 11;
constexpr int kStarted = 33;  // anything above 31 means started
}  // namespace launch

class ZX_API Shell {
 public:
  virtual ~Shell() = default;
  // Opens a file with the desktop's opener; >31 on success, an old error code otherwise.
  // While the opener decides, `whileWaiting` runs at least every 100 ms; when it answers Stop
  // the opener is left to finish on its own and counts as started.
  virtual int open(std::string_view path, const WaitHook& whileWaiting) = 0;
  // Opens a folder window on `folder`, waiting as `open` does.
  virtual int openFolder(std::string_view folder, const WaitHook& whileWaiting) = 0;
  // Starts an unquoted command line, as the old launcher did: the program is the longest
  // space-separated prefix that names an executable file.
  virtual int launch(std::string_view commandLine) = 0;
};

// The system shell: the desktop's opener (xdg-open) and posix_spawn.
class ZX_API SystemShell : public Shell {
 public:
  // `opener` is the program given each file or folder to open.
  explicit SystemShell(std::string opener = "/usr/bin/xdg-open") : opener_(std::move(opener)) {}

  int open(std::string_view path, const WaitHook& whileWaiting) override;
  int openFolder(std::string_view folder, const WaitHook& whileWaiting) override;
  int launch(std::string_view commandLine) override;

 private:
  int runOpener(std::string_view target, const WaitHook& whileWaiting) const;

  std::string opener_;
};

}  // namespace zx::platform
