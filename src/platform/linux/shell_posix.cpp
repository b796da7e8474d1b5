#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <thread>
#include <vector>

#include "platform/codepage.h"
#include "platform/linux/fs_posix.h"
#include "platform/shell.h"

extern char** environ;

namespace zx::platform {
namespace {

constexpr int kNoAssociation = 31;

// Reaps a started program in the background, so a long-lived host collects no zombies.
void reapLater(pid_t pid) {
  std::thread([pid] {
    int status = 0;
    ::waitpid(pid, &status, 0);
  }).detach();
}

int spawn(const std::vector<std::string>& argv, pid_t* pidOut) {
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  return ::posix_spawn(pidOut, args[0], nullptr, nullptr, args.data(), environ);
}

// How long a started program is watched for the exit status of a start that failed.
constexpr auto kStartVerdictWait = std::chrono::milliseconds(500);
constexpr auto kStartVerdictPoll = std::chrono::milliseconds(5);
constexpr int kExecFailedStatus = 127;

// Runs the opener and waits a while for its verdict; openers that stay in the foreground longer
// than that count as started.
int runOpener(const std::string& opener, std::string_view target, const WaitHook& whileWaiting) {
  constexpr auto kPoll = std::chrono::milliseconds(100);
  constexpr int kPolls = 100;
  pid_t pid = 0;
  if (spawn({opener, posix::systemPath(target)}, &pid) != 0) return kNoAssociation;
  for (int i = 0; i < kPolls; ++i) {
    int status = 0;
    if (::waitpid(pid, &status, WNOHANG) == pid)
      return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? launch::kStarted : kNoAssociation;
    if (whileWaiting && whileWaiting() == WaitAnswer::Stop) break;
    std::this_thread::sleep_for(kPoll);
  }
  reapLater(pid);
  return launch::kStarted;
}

}  // namespace

SystemShell::SystemShell() : opener_("/usr/bin/xdg-open") {}

int SystemShell::open(std::string_view path, const WaitHook& whileWaiting) {
  if (!posix::exists(path)) return launch::kFileNotFound;
  return runOpener(opener_, path, whileWaiting);
}

int SystemShell::openFolder(std::string_view folder, const WaitHook& whileWaiting) {
  if (!posix::isDirectory(folder)) return launch::kPathNotFound;
  return runOpener(opener_, folder, whileWaiting);
}

int SystemShell::launch(std::string_view program, const std::vector<std::string>& arguments,
                        const WaitHook& whileWaiting) {
  // Only a full path: a relative one would name whatever the current folder holds.
  const std::string path = posix::systemPath(program);
  if (path.empty() || path[0] != '/') return launch::kPathNotFound;
  if (!posix::exists(program)) {
    size_t slash = program.find_last_of('/');
    return posix::isDirectory(program.substr(0, std::max<size_t>(slash, 1))) ? launch::kFileNotFound
                                                                             : launch::kPathNotFound;
  }
  if (!posix::isRegularFile(program)) return launch::kBadFormat;
  std::vector<std::string> argv{path};
  for (const auto& a : arguments) argv.push_back(posix::systemPath(a));
  pid_t pid = 0;
  int rc = spawn(argv, &pid);
  if (rc == ENOEXEC || rc == EACCES) return launch::kBadFormat;
  if (rc == ENOMEM || rc == EAGAIN) return launch::kOutOfResources;
  if (rc != 0) return launch::kFileNotFound;
  // A start that failed after the process was made shows as exit status 127 at once.
  constexpr auto kHookPeriod = std::chrono::milliseconds(50);
  auto sinceHook = std::chrono::milliseconds(0);
  for (auto waited = std::chrono::milliseconds(0); waited < kStartVerdictWait; waited += kStartVerdictPoll) {
    int status = 0;
    if (::waitpid(pid, &status, WNOHANG) == pid)
      return WIFEXITED(status) && WEXITSTATUS(status) == kExecFailedStatus ? launch::kBadFormat : launch::kStarted;
    if ((sinceHook += kStartVerdictPoll) >= kHookPeriod) {
      sinceHook = std::chrono::milliseconds(0);
      if (whileWaiting && whileWaiting() == WaitAnswer::Stop) break;
    }
    std::this_thread::sleep_for(kStartVerdictPoll);
  }
  reapLater(pid);
  return launch::kStarted;
}

}  // namespace zx::platform
