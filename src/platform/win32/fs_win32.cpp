#include <cerrno>
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

bool Win32FileSystem::renameFile(std::string_view from, std::string_view to) {
  if (from.empty() || to.empty()) return false;
  // Without MOVEFILE_REPLACE_EXISTING the move fails when the target exists.
  return MoveFileExA(text(from).c_str(), text(to).c_str(), MOVEFILE_COPY_ALLOWED) != 0;
}

bool Win32FileSystem::removeFile(std::string_view path) {
  return !path.empty() && DeleteFileA(text(path).c_str()) != 0;
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
  // GetTempFileName makes the name unique by creating the file; like the runtime, the name is
  // handed over free, for the caller to create exclusively.
  char name[MAX_PATH];
  if (!GetTempFileNameA(folder.c_str(), text(prefix).c_str(), 0, name)) return {};
  DeleteFileA(name);
  return name;
}

std::string Win32FileSystem::systemTempDirectory() {
  char buffer[MAX_PATH + 1];
  DWORD length = GetTempPathA(sizeof buffer, buffer);
  if (length == 0 || length > MAX_PATH) return ".";
  std::string folder(buffer, length);
  if (folder.size() > 3 && folder.back() == '\\') folder.pop_back();
  return folder;
}

}  // namespace zx::platform
