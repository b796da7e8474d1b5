#include "doubles/recording_shell.h"

namespace zx::doubles {

int RecordingShell::record(ShellRequest request, const platform::WaitHook& whileWaiting) {
  requests.push_back(std::move(request));
  ShellRequest recorded = requests.back();  // the hook may add requests of its own
  if (asksWaitHook && whileWaiting) whileWaiting();
  return answer ? answer(recorded) : platform::launch::kStarted;
}

int RecordingShell::open(std::string_view path, platform::NativeWindow owner, const platform::WaitHook& whileWaiting) {
  return record({"open", std::string(path), {}, owner}, whileWaiting);
}
int RecordingShell::openFolder(std::string_view folder, platform::NativeWindow owner,
                               const platform::WaitHook& whileWaiting) {
  return record({"folder", std::string(folder), {}, owner}, whileWaiting);
}
int RecordingShell::launch(std::string_view program, const std::vector<std::string>& arguments,
                           const platform::WaitHook& whileWaiting) {
  return record({"launch", std::string(program), arguments}, whileWaiting);
}

}  // namespace zx::doubles
