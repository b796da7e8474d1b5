#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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

bool isExecutableFile(const std::string& utf8Path) {
  struct stat st;
  return ::stat(utf8Path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool endsWithExe(std::string_view s) {
  if (s.size() < 4) return false;
  std::string tail(s.substr(s.size() - 4));
  for (auto& c : tail) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return tail == ".exe";
}

std::vector<std::string> splitSpaces(std::string_view s) {
  std::vector<std::string> out;
  size_t i = 0;
  while (i < s.size()) {
    while (i < s.size() && s[i] == ' ') ++i;
    size_t j = s.find(' ', i);
    if (j == std::string_view::npos) j = s.size();
    if (j > i) out.emplace_back(s.substr(i, j - i));
    i = j;
  }
  return out;
}

}  // namespace

// Runs the opener and waits a while for its verdict; openers that stay in the foreground longer
// than that count as started.
int SystemShell::runOpener(std::string_view target, const WaitHook& whileWaiting) const {
  constexpr auto kPoll = std::chrono::milliseconds(100);
  constexpr int kPolls = 100;
  pid_t pid = 0;
  if (spawn({opener_, posix::systemPath(target)}, &pid) != 0) return kNoAssociation;
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

int SystemShell::open(std::string_view path, const WaitHook& whileWaiting) {
  if (!posix::exists(path)) return launch::kFileNotFound;
  return runOpener(path, whileWaiting);
}

int SystemShell::openFolder(std::string_view folder, const WaitHook& whileWaiting) {
  if (!posix::isDirectory(folder)) return launch::kPathNotFound;
  return runOpener(folder, whileWaiting);
}

int SystemShell::launch(std::string_view commandLine) {
  // The program is the shortest space-separated prefix that names a file, as the old
  // launcher read an unquoted command line.
  std::string programPath;
  size_t argsAt = commandLine.size();
  for (size_t i = 0; i <= commandLine.size(); ++i) {
    if (i < commandLine.size() && commandLine[i] != ' ') continue;
    std::string candidate(commandLine.substr(0, i));
    if (!candidate.empty() && isExecutableFile(posix::systemPath(candidate))) {
      programPath = candidate;
      argsAt = i;
      break;
    }
  }
  if (programPath.empty()) {
    std::string wanted(commandLine);
    for (size_t i = 0; i < commandLine.size(); ++i)
      if (commandLine[i] == ' ' && endsWithExe(commandLine.substr(0, i))) {
        wanted = std::string(commandLine.substr(0, i));
        break;
      }
    size_t slash = wanted.find_last_of("/\\");
    std::string dir = slash == std::string::npos ? "." : wanted.substr(0, slash);
    return posix::isDirectory(dir) ? launch::kFileNotFound : launch::kPathNotFound;
  }
  std::vector<std::string> argv{posix::systemPath(programPath)};
  for (auto& a : splitSpaces(commandLine.substr(argsAt))) argv.push_back(posix::systemPath(a));
  pid_t pid = 0;
  int rc = spawn(argv, &pid);
  if (rc == ENOEXEC || rc == EACCES) return launch::kBadFormat;
  if (rc == ENOMEM || rc == EAGAIN) return launch::kOutOfResources;
  if (rc != 0) return launch::kFileNotFound;
  // posix_spawn reports a failed exec as an exit status 127 of the child.
  for (int i = 0; i < 5; ++i) {
    int status = 0;
    if (::waitpid(pid, &status, WNOHANG) == pid)
      return WIFEXITED(status) && WEXITSTATUS(status) == 127 ? launch::kBadFormat : launch::kStarted;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  reapLater(pid);
  return launch::kStarted;
}

}  // namespace zx::platform
