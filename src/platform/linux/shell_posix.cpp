#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <optional>
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

// Watches a started program for up to `total`, looking every `poll` and asking the wait hook
// every `hookPeriod`. Answers the program's wait status when it ended in time; otherwise (still
// running, or the hook stopped the wait) nothing, and the program is reaped in the background.
std::optional<int> awaitExit(pid_t pid, std::chrono::milliseconds poll, std::chrono::milliseconds total,
                             std::chrono::milliseconds hookPeriod, const WaitHook& whileWaiting) {
  const auto polls = total / poll;
  const auto pollsPerHook = hookPeriod / poll;
  for (auto i = decltype(polls){1}; i <= polls; ++i) {
    int status = 0;
    if (::waitpid(pid, &status, WNOHANG) == pid) return status;
    if (i % pollsPerHook == 0 && whileWaiting && whileWaiting() == WaitAnswer::Stop) break;
    std::this_thread::sleep_for(poll);
  }
  reapLater(pid);
  return std::nullopt;
}

// How long a started program is watched for the exit status of a start that failed.
constexpr auto kStartVerdictWait = std::chrono::milliseconds(500);
constexpr auto kStartVerdictPoll = std::chrono::milliseconds(5);
constexpr auto kStartVerdictHookPeriod = std::chrono::milliseconds(50);
constexpr int kExecFailedStatus = 127;

// Runs the opener and waits a while for its verdict; openers that stay in the foreground longer
// than that count as started.
int runOpener(const std::string& opener, std::string_view target, const WaitHook& whileWaiting) {
  constexpr auto kPoll = std::chrono::milliseconds(100);
  constexpr auto kVerdictWait = std::chrono::seconds(10);
  pid_t pid = 0;
  if (spawn({opener, posix::systemPath(target)}, &pid) != 0) return kNoAssociation;
  std::optional<int> status = awaitExit(pid, kPoll, kVerdictWait, kPoll, whileWaiting);
  if (!status) return launch::kStarted;
  return WIFEXITED(*status) && WEXITSTATUS(*status) == 0 ? launch::kStarted : kNoAssociation;
}

}  // namespace

SystemShell::SystemShell() : opener_("/usr/bin/xdg-open") {}

// The desktop's opener takes no owner window.
int SystemShell::open(std::string_view path, NativeWindow, const WaitHook& whileWaiting) {
  if (!posix::exists(path)) return launch::kFileNotFound;
  return runOpener(opener_, path, whileWaiting);
}

int SystemShell::openFolder(std::string_view folder, NativeWindow, const WaitHook& whileWaiting) {
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
  std::optional<int> status =
      awaitExit(pid, kStartVerdictPoll, kStartVerdictWait, kStartVerdictHookPeriod, whileWaiting);
  if (!status) return launch::kStarted;
  return WIFEXITED(*status) && WEXITSTATUS(*status) == kExecFailedStatus ? launch::kBadFormat : launch::kStarted;
}

}  // namespace zx::platform
