#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/win32/fs_win32.h"

#include "platform/win32/system_headers.h"

namespace zx::platform {
namespace {

std::string text(std::string_view path) { return std::string(path); }

DWORD attributesOf(std::string_view path) {
  return path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(text(path).c_str());
}

}  // namespace

File Win32FileSystem::open(std::string_view path, const char* mode) {
  if (path.empty()) return File(nullptr, "no file name");
  errno = 0;
  std::FILE* stream = std::fopen(text(path).c_str(), mode);
  return File(stream, stream ? std::string() : std::strerror(errno));
}

bool Win32FileSystem::exists(std::string_view path) { return attributesOf(path) != INVALID_FILE_ATTRIBUTES; }

bool Win32FileSystem::isDirectory(std::string_view path) {
  DWORD attributes = attributesOf(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32FileSystem::isRegularFile(std::string_view path) {
  DWORD attributes = attributesOf(path);
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE));
}

std::optional<std::uint64_t> Win32FileSystem::fileSize(std::string_view path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (path.empty() || !GetFileAttributesExA(text(path).c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    return std::nullopt;
  return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool Win32FileSystem::createExclusive(std::string_view path) {
  if (path.empty()) return false;
  HANDLE file = CreateFileA(text(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

bool Win32FileSystem::isOrdinaryFile(std::string_view path) {
  if (path.empty()) return false;
  HANDLE file = CreateFileA(text(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;  // folders need backup semantics to open
  BY_HANDLE_FILE_INFORMATION info;
  bool ordinary = GetFileType(file) == FILE_TYPE_DISK && GetFileInformationByHandle(file, &info) &&
                  !(info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE));
  CloseHandle(file);
  return ordinary;
}

Win32FileSystem::~Win32FileSystem() {
  for (const auto& [path, handle] : locks_) CloseHandle(handle);
}

bool Win32FileSystem::createLocked(std::string_view path) {
  if (path.empty()) return false;
  HANDLE file = CreateFileA(text(path).c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  std::lock_guard<std::mutex> lock(locksMutex_);
  if (auto old = locks_.find(path); old != locks_.end()) {
    CloseHandle(old->second);
    locks_.erase(old);
  }
  locks_.emplace(text(path), file);
  return true;
}

void Win32FileSystem::release(std::string_view path) {
  std::lock_guard<std::mutex> lock(locksMutex_);
  if (auto held = locks_.find(path); held != locks_.end()) {
    CloseHandle(held->second);
    locks_.erase(held);
  }
}

int Win32FileSystem::removeAbandoned(std::string_view folder, std::string_view prefix, std::chrono::seconds age) {
  if (folder.empty() || prefix.empty()) return 0;
  const std::string base = text(folder) + "\\";
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((base + text(prefix) + "*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return 0;
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  auto ticks = [](const FILETIME& t) { return (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
  const std::uint64_t before = ticks(now) - static_cast<std::uint64_t>(age.count()) * 10'000'000u;
  int removed = 0;
  do {
    if (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) continue;
    // A file some process still holds is not shared for deletion: DeleteFile fails on it.
    if (ticks(found.ftLastWriteTime) < before && DeleteFileA((base + found.cFileName).c_str())) ++removed;
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return removed;
}

bool Win32FileSystem::renameFile(std::string_view from, std::string_view to) {
  if (from.empty() || to.empty() || exists(to)) return false;
  release(from);  // the lock's handle would refuse the move; under its new name it is no intermediate
  // Without MOVEFILE_REPLACE_EXISTING the move fails when the target exists.
  return MoveFileExA(text(from).c_str(), text(to).c_str(), MOVEFILE_COPY_ALLOWED) != 0;
}

bool Win32FileSystem::replaceFile(std::string_view from, std::string_view to) {
  if (from.empty() || to.empty()) return false;
  release(from);
  HANDLE file = CreateFileA(text(from).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool durable = FlushFileBuffers(file) != 0;
  CloseHandle(file);
  // Written through: the move is on the disk when it returns, after the content it moves.
  return durable && MoveFileExA(text(from).c_str(), text(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

std::optional<std::uint64_t> Win32FileSystem::freeSpace(std::string_view path) {
  ULARGE_INTEGER available;
  if (path.empty() || !GetDiskFreeSpaceExA(text(path).c_str(), &available, nullptr, nullptr)) return std::nullopt;
  return available.QuadPart;
}

bool Win32FileSystem::removeFile(std::string_view path) {
  if (path.empty()) return false;
  release(path);
  return DeleteFileA(text(path).c_str()) != 0;
}

bool Win32FileSystem::makeDirectories(std::string_view path) {
  std::string p = text(path);
  for (size_t i = 1; i <= p.size(); ++i) {
    if (i != p.size() && p[i] != '\\' && p[i] != '/') continue;
    std::string part = p.substr(0, i);
    if (part.size() == 2 && part[1] == ':') continue;  // a drive
    if (!CreateDirectoryA(part.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
  }
  return isDirectory(path);
}

std::string Win32FileSystem::currentDirectory() {
  char buffer[MAX_PATH];
  DWORD length = GetCurrentDirectoryA(MAX_PATH, buffer);
  return length == 0 || length >= MAX_PATH ? std::string() : std::string(buffer, length);
}

std::string Win32FileSystem::tempName(std::string_view dir, std::string_view prefix) {
  // The C runtime's _tempnam rule: TMP when it names a folder, else the given folder, else the
  // system's. Written out here because Wine's runtime takes TMP even when it names no folder
  // and then finds no name at all. The runtime reads its own copy of the environment.
  const char* tmp = std::getenv("TMP");
  std::string folder = tmp && isDirectory(tmp) ? std::string(tmp)
                       : isDirectory(dir)      ? text(dir)
                                               : systemTempDirectory();
  // Like the runtime, the whole prefix is kept (GetTempFileName keeps three characters, and the
  // start-up clean-up of abandoned intermediates finds them by their prefix) and the name is
  // handed over free, for the caller to create exclusively.
  static std::atomic<unsigned> counter{static_cast<unsigned>(GetTickCount())};
  const std::string stem = folder + (folder.back() == '\\' || folder.back() == '/' ? "" : "\\") + text(prefix);
  for (int attempt = 0; attempt < 0x10000; ++attempt) {
    char suffix[24];
    std::snprintf(suffix, sizeof suffix, "%lx%x", GetCurrentProcessId(), counter++ & 0xFFFFF);
    std::string name = stem + suffix;
    if (name.size() >= MAX_PATH) return {};
    if (GetFileAttributesA(name.c_str()) != INVALID_FILE_ATTRIBUTES) continue;  // taken
    return GetLastError() == ERROR_FILE_NOT_FOUND ? name : std::string();     // no such folder
  }
  return {};
}

std::string Win32FileSystem::systemTempDirectory() {
  char buffer[MAX_PATH + 1];
  DWORD length = GetTempPathA(sizeof buffer, buffer);
  if (length == 0 || length > MAX_PATH) return ".";
  std::string folder(buffer, length);
  if (folder.size() > 3 && folder.back() == '\\') folder.pop_back();
  return folder;
}

std::optional<std::string> Win32FileSystem::realLocation(std::string_view path) {
  if (path.empty()) return std::nullopt;
  // The final path of what exists (links and junctions followed, the spelling on the disk).
  auto finalPath = [](const std::string& p) -> std::optional<std::string> {
    HANDLE h = CreateFileA(p.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return std::nullopt;
    char buffer[MAX_PATH * 2];
    DWORD length = GetFinalPathNameByHandleA(h, buffer, sizeof buffer, FILE_NAME_NORMALIZED);
    CloseHandle(h);
    if (length == 0 || length >= sizeof buffer) return std::nullopt;
    std::string result(buffer, length);
    if (result.rfind("\\\\?\\", 0) == 0) result.erase(0, 4);
    return result;
  };
  char full[MAX_PATH * 2];
  DWORD length = GetFullPathNameA(text(path).c_str(), sizeof full, full, nullptr);
  if (length == 0 || length >= sizeof full) return std::nullopt;
  std::string whole(full, length);
  if (auto real = finalPath(whole)) return real;
  // A file still to be made: its folder's real place and its own name.
  size_t slash = whole.find_last_of("\\/");
  if (slash == std::string::npos) return std::nullopt;
  auto folder = finalPath(whole.substr(0, slash + 1));
  if (!folder) return std::nullopt;
  if (!folder->empty() && folder->back() != '\\') *folder += '\\';
  return *folder + whole.substr(slash + 1);
}

}  // namespace zx::platform
