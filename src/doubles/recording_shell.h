#pragma once
// A shell that records every request and runs nothing; its answer says what the shell reports.
#include <functional>
#include <string>
#include <vector>

#include "platform/shell.h"

namespace zx::doubles {

struct ShellRequest {
  std::string verb;        // "open", "folder" or "launch"
  std::string target;      // ANSI path of the file, folder or program
  std::vector<std::string> arguments;  // a launched program's, ANSI
  platform::NativeWindow owner = 0;    // the window an open or a folder window belongs to
};

class RecordingShell : public platform::Shell {
 public:
  std::vector<ShellRequest> requests;
  std::function<int(const ShellRequest&)> answer;
  // When set, each request asks its wait hook once before answering, as a real shell does
  // while the started program decides.
  bool asksWaitHook = false;

  int open(std::string_view path, platform::NativeWindow owner, const platform::WaitHook& whileWaiting) override;
  int openFolder(std::string_view folder, platform::NativeWindow owner,
                 const platform::WaitHook& whileWaiting) override;
  int launch(std::string_view program, const std::vector<std::string>& arguments,
             const platform::WaitHook& whileWaiting) override;

 private:
  int record(ShellRequest request, const platform::WaitHook& whileWaiting);
};

}  // namespace zx::doubles
