#include "platform/linux/fs_posix.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <random>

#include "platform/codepage.h"

namespace zx::platform {
namespace {

bool statPath(std::string_view path, struct stat& st) {
  if (path.empty()) return false;
  return ::stat(posix::systemPath(path).c_str(), &st) == 0;
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

bool PosixFileSystem::renameFile(std::string_view from, std::string_view to) {
  if (from.empty() || to.empty()) return false;
  // renameat2(RENAME_NOREPLACE) is not on every file system; link + unlink never replaces.
  std::string src = systemPath(from), dst = systemPath(to);
  if (::link(src.c_str(), dst.c_str()) == 0) {
    ::unlink(src.c_str());
    return true;
  }
  if (errno == EEXIST) return false;
  if (exists(to)) return false;
  return ::rename(src.c_str(), dst.c_str()) == 0;
}

bool PosixFileSystem::removeFile(std::string_view path) {
  if (path.empty()) return false;
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
