#pragma once
// The shell's "open" action and the program launcher. Results keep the old codes.
//
// Threads: called on the control's thread; a call may wait briefly for the started program's
// first verdict.
#include <string>
#include <string_view>
#include <vector>

#include "platform/api.h"

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
  virtual int open(std::string_view path) = 0;
  // Opens a folder window on `folder`.
  virtual int openFolder(std::string_view folder) = 0;
  // Starts `program` (a full path, taken as it is and never searched for) with `arguments`,
  // each passed as one argument; a system with command lines joins them there. >31 when the
  // program started; 11 also when it ends at once with the status of a failed start (127).
  virtual int launch(std::string_view program, const std::vector<std::string>& arguments) = 0;
};

// The system shell: the desktop's opener (xdg-open) and posix_spawn.
class ZX_API SystemShell : public Shell {
 public:
  int open(std::string_view path) override;
  int openFolder(std::string_view folder) override;
  int launch(std::string_view program, const std::vector<std::string>& arguments) override;
};

}  // namespace zx::platform
