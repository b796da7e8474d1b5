#include "doubles/recording_shell.h"

namespace zx::doubles {

int RecordingShell::record(ShellRequest request) {
  requests.push_back(std::move(request));
  return answer ? answer(requests.back()) : platform::launch::kStarted;
}

int RecordingShell::open(std::string_view path, const platform::WaitHook&) {
  return record({"open", std::string(path), {}});
}
int RecordingShell::openFolder(std::string_view folder, const platform::WaitHook&) {
  return record({"folder", std::string(folder), {}});
}
int RecordingShell::launch(std::string_view program, const std::vector<std::string>& arguments,
                           const platform::WaitHook&) {
  return record({"launch", std::string(program), arguments});
}

}  // namespace zx::doubles
