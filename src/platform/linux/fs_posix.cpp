#include "platform/linux/fs_posix.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <random>

#include "platform/codepage.h"

namespace zx::platform {
namespace {

bool statPath(std::string_view path, struct stat& st) {
  if (path.empty()) return false;
  return ::stat(posix::systemPath(path).c_str(), &st) == 0;
}

// The permissions open(2) gives a new file: 0666 less the process's umask, read without
// changing it (umask(2) would, for every thread at once).
mode_t newFileMode() {
  mode_t mask = 022;
  if (std::FILE* status = std::fopen("/proc/self/status", "r")) {
    char line[256];
    while (std::fgets(line, sizeof line, status))
      if (std::strncmp(line, "Umask:", 6) == 0) mask = static_cast<mode_t>(std::strtoul(line + 6, nullptr, 8));
    std::fclose(status);
  }
  return 0666 & ~mask;
}

std::string randomSuffix() {
  static const char kAlphabet[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  thread_local std::mt19937_64 engine(std::random_device{}());
  std::string s;
  for (int i = 0; i < 8; ++i) s += kAlphabet[engine() % 36];
  return s;
}

}  // namespace

namespace posix {

std::string systemPath(std::string_view ansiPath) { return ansiToUtf8(ansiPath); }

bool exists(std::string_view path) {
  struct stat st;
  return statPath(path, st);
}

bool isDirectory(std::string_view path) {
  struct stat st;
  return statPath(path, st) && S_ISDIR(st.st_mode);
}

bool isRegularFile(std::string_view path) {
  struct stat st;
  return statPath(path, st) && S_ISREG(st.st_mode);
}

bool makeDirectories(std::string_view path) {
  std::string p = systemPath(path);
  for (size_t i = 1; i <= p.size(); ++i) {
    if (i == p.size() || p[i] == '/') {
      std::string part = p.substr(0, i);
      if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
    }
  }
  return isDirectory(path);
}

}  // namespace posix

File PosixFileSystem::open(std::string_view path, const char* mode) {
  if (path.empty()) return File(nullptr, "no file name");
  errno = 0;
  std::FILE* stream = std::fopen(systemPath(path).c_str(), mode);
  return File(stream, stream ? std::string() : std::strerror(errno));
}

bool PosixFileSystem::isOrdinaryFile(std::string_view path) {
  if (!isRegularFile(path)) return false;
  const std::optional<std::string> real = realLocation(path);
  if (!real) return false;
  for (std::string_view pseudo : {"/proc", "/sys", "/dev"})
    if (real->starts_with(pseudo) && (real->size() == pseudo.size() || (*real)[pseudo.size()] == '/')) return false;
  // The same file systems mounted elsewhere.
  struct statfs fs;
  if (::statfs(systemPath(*real).c_str(), &fs) != 0) return false;
  return fs.f_type != PROC_SUPER_MAGIC && fs.f_type != SYSFS_MAGIC && fs.f_type != DEBUGFS_MAGIC;
}

std::optional<std::uint64_t> PosixFileSystem::fileSize(std::string_view path) {
  struct stat st;
  if (!statPath(path, st) || !S_ISREG(st.st_mode)) return std::nullopt;
  return static_cast<std::uint64_t>(st.st_size);
}

bool PosixFileSystem::createExclusive(std::string_view path) {
  if (path.empty()) return false;
  int fd = ::open(systemPath(path).c_str(), O_CREAT | O_EXCL | O_RDWR | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

PosixFileSystem::~PosixFileSystem() {
  for (const auto& [path, fd] : locks_) ::close(fd);
}

bool PosixFileSystem::createLocked(std::string_view path) {
  if (path.empty()) return false;
  int fd = ::open(systemPath(path).c_str(), O_CREAT | O_EXCL | O_RDWR | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  ::flock(fd, LOCK_EX | LOCK_NB);  // a fresh file: nobody else can hold it
  std::lock_guard<std::mutex> lock(locksMutex_);
  if (auto old = locks_.find(path); old != locks_.end()) {
    ::close(old->second);
    locks_.erase(old);
  }
  locks_.emplace(std::string(path), fd);
  return true;
}

void PosixFileSystem::release(std::string_view path) {
  std::lock_guard<std::mutex> lock(locksMutex_);
  if (auto held = locks_.find(path); held != locks_.end()) {
    ::close(held->second);
    locks_.erase(held);
  }
}

int PosixFileSystem::removeAbandoned(std::string_view folder, std::string_view prefix, std::chrono::seconds age) {
  struct CloseDir {
    void operator()(DIR* d) const { ::closedir(d); }
  };
  std::unique_ptr<DIR, CloseDir> dir(::opendir(systemPath(folder).c_str()));
  if (!dir || prefix.empty()) return 0;
  const std::string systemPrefix = systemPath(prefix);
  const std::time_t before = std::time(nullptr) - static_cast<std::time_t>(age.count());
  int removed = 0;
  while (const dirent* entry = ::readdir(dir.get())) {
    if (!std::string_view(entry->d_name).starts_with(systemPrefix)) continue;
    // Opened without following a link; a file some process still holds stays.
    int fd = ::openat(::dirfd(dir.get()), entry->d_name, O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) continue;
    struct stat st;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_mtime < before && ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
        ::unlinkat(::dirfd(dir.get()), entry->d_name, 0) == 0)
      ++removed;
    ::close(fd);
  }
  return removed;
}

bool PosixFileSystem::renameFile(std::string_view from, std::string_view to) {
  if (from.empty() || to.empty()) return false;
  // renameat2(RENAME_NOREPLACE) is not on every file system; link + unlink never replaces.
  std::string src = systemPath(from), dst = systemPath(to);
  bool renamed = false;
  if (::link(src.c_str(), dst.c_str()) == 0) {
    ::unlink(src.c_str());
    renamed = true;
  } else if (errno != EEXIST && !exists(to)) {
    renamed = ::rename(src.c_str(), dst.c_str()) == 0;
  }
  if (renamed) release(from);  // under its new name it is no intermediate any more
  return renamed;
}

bool PosixFileSystem::replaceFile(std::string_view from, std::string_view to) {
  if (from.empty() || to.empty()) return false;
  std::string src = systemPath(from), dst = systemPath(to);
  int fd = ::open(src.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat old;
  if (::stat(dst.c_str(), &old) == 0) {
    // Only a privileged process can give the file its old owner back; the mode holds either way.
    const bool owned = ::fchown(fd, old.st_uid, old.st_gid) == 0;
    ::fchmod(fd, old.st_mode & (owned ? 07777 : 0777));
  } else {
    ::fchmod(fd, newFileMode());
  }
  bool durable = ::fsync(fd) == 0;
  ::close(fd);
  if (!durable || ::rename(src.c_str(), dst.c_str()) != 0) return false;
  release(from);
  return true;
}

std::optional<std::uint64_t> PosixFileSystem::freeSpace(std::string_view path) {
  struct statvfs fs;
  if (path.empty() || ::statvfs(systemPath(path).c_str(), &fs) != 0) return std::nullopt;
  return static_cast<std::uint64_t>(fs.f_bavail) * fs.f_frsize;
}

bool PosixFileSystem::removeFile(std::string_view path) {
  if (path.empty()) return false;
  release(path);
  return ::unlink(systemPath(path).c_str()) == 0;
}

std::string PosixFileSystem::currentDirectory() {
  char buffer[4096];
  if (!::getcwd(buffer, sizeof buffer)) return std::string();
  return utf8ToAnsi(buffer);
}

std::string PosixFileSystem::systemTempDirectory() {
  const char* tmpdir = std::getenv("TMPDIR");
  if (tmpdir && *tmpdir && isDirectory(utf8ToAnsi(tmpdir))) return utf8ToAnsi(tmpdir);
  return "/tmp";
}

std::optional<std::string> PosixFileSystem::realLocation(std::string_view path) {
  if (path.empty()) return std::nullopt;
  std::string system = systemPath(path);
  auto resolved = [](const std::string& p) -> std::optional<std::string> {
    char* real = ::realpath(p.c_str(), nullptr);
    if (!real) return std::nullopt;
    std::string text(real);
    std::free(real);
    return text;
  };
  if (auto whole = resolved(system)) return utf8ToAnsi(*whole);
  struct stat st;
  if (::lstat(system.c_str(), &st) == 0) return std::nullopt;  // a link that leads nowhere yet
  // A file still to be made: its folder's real place and its own name.
  size_t slash = system.find_last_of('/');
  std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : system.substr(0, slash);
  std::string name = slash == std::string::npos ? system : system.substr(slash + 1);
  if (name.empty() || name == "." || name == "..") return std::nullopt;
  auto real = resolved(folder);
  if (!real) return std::nullopt;
  return utf8ToAnsi(*real + (*real == "/" ? "" : "/") + name);
}

std::string PosixFileSystem::userDownloadDirectory() {
  if (downloadFolder_.empty() || !makeDirectories(downloadFolder_)) return std::string();
  return downloadFolder_;
}

std::string PosixFileSystem::tempName(std::string_view dir, std::string_view prefix) {
  std::string base;
  if (!tmpFolder_.empty() && isDirectory(tmpFolder_))
    base = tmpFolder_;
  else if (!dir.empty() && isDirectory(dir))
    base = std::string(dir);
  else
    base = systemTempDirectory();
  while (base.size() > 1 && base.back() == kPathSeparator) base.pop_back();
  for (int attempt = 0; attempt < 64; ++attempt) {
    std::string name = base + (base == "/" ? "" : "/") + std::string(prefix) + "zx" + randomSuffix();
    if (!exists(name)) return name;
  }
  return std::string();
}

}  // namespace zx::platform
