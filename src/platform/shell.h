#pragma once
// The shell's "open" action and the program launcher. Results keep the old codes.
//
// Threads: called on the control's thread. Where starting a program returns before the system
// knows whether it worked (Linux's opener, a program that fails after it was started), the
// implementation waits for the verdict a bounded time and calls the caller's wait hook meanwhile;
// Windows answers at once and never calls it.
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/api.h"
#include "platform/ui.h"
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
  // `owner` is the window the shell's own windows belong to (Ui::nativeWindow; 0: none).
  // While an opener decides, `whileWaiting` runs at least every 100 ms; when it answers Stop
  // the opener is left to finish on its own and counts as started.
  virtual int open(std::string_view path, NativeWindow owner, const WaitHook& whileWaiting) = 0;
  // Opens a folder window on `folder`, owned and waiting as `open` is.
  virtual int openFolder(std::string_view folder, NativeWindow owner, const WaitHook& whileWaiting) = 0;
  // Starts `program` (a full path, taken as it is and never searched for) with `arguments`,
  // each passed as one argument; a system with command lines joins them there. >31 when the
  // program started; 11 also when it ends at once with the status of a failed start (127).
  // While that verdict is awaited `whileWaiting` runs at least every 100 ms, as for `open`.
  virtual int launch(std::string_view program, const std::vector<std::string>& arguments,
                     const WaitHook& whileWaiting) = 0;
};

// The system shell: the desktop's opener (xdg-open, or the shell's file associations on
// Windows) and the system's way of starting a program.
class ZX_API SystemShell : public Shell {
 public:
  SystemShell();
  // `opener` is the program given each file or folder to open instead of the desktop's.
  explicit SystemShell(std::string opener) : opener_(std::move(opener)) {}

  int open(std::string_view path, NativeWindow owner, const WaitHook& whileWaiting) override;
  int openFolder(std::string_view folder, NativeWindow owner, const WaitHook& whileWaiting) override;
  int launch(std::string_view program, const std::vector<std::string>& arguments,
             const WaitHook& whileWaiting) override;

 private:
  std::string opener_;
};

}  // namespace zx::platform
