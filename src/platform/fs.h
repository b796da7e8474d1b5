#pragma once
// Files by ANSI path. Paths are converted to UTF-8 only where they reach the system.
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

namespace zx::platform::fs {

constexpr char kSeparator = '/';

// The UTF-8 name under which the system knows an ANSI path (for libraries that open files).
std::string systemPath(std::string_view ansiPath);

// fopen with an ANSI path; nullptr on failure.
std::FILE* openFile(std::string_view ansiPath, const char* mode);

bool exists(std::string_view path);
bool isDirectory(std::string_view path);
bool isRegularFile(std::string_view path);
std::optional<std::uint64_t> fileSize(std::string_view path);
bool createExclusive(std::string_view path);  // O_CREAT|O_EXCL, read and write
bool renameFile(std::string_view from, std::string_view to);  // fails when `to` exists
bool removeFile(std::string_view path);
bool makeDirectories(std::string_view path);
std::string currentDirectory();

// The temporary-name generator: a not yet existing name in $TMP when that names a directory,
// else in `dir`, else in the system's temporary directory. Empty text when none is found.
std::string tempName(std::string_view dir, std::string_view prefix);

// The directory where temporary files go when the caller names none.
std::string systemTempDirectory();

}  // namespace zx::platform::fs
