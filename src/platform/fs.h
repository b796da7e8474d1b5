#pragma once
// Files by ANSI path. Paths are converted to the system's encoding only where they reach the
// system; splitting accepts both separators, joining uses kPathSeparator.
//
// Threads: a FileSystem may be called from any thread; a File belongs to the thread using it.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "platform/api.h"

namespace zx::platform {

#ifdef _WIN32
constexpr char kPathSeparator = '\\';
#else
constexpr char kPathSeparator = '/';
#endif

// An open file that closes itself. Errors are values: a failed operation answers false (or a
// short count) and error() keeps the system's text of the first failure.
class ZX_API File {
 public:
  File() = default;
  // Takes over an open stream; a null stream makes a file that is not open, failing with `error`.
  File(std::FILE* stream, std::string error);
  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  // Closes; callers that must know whether the data reached the disk call close() themselves.
  ~File();

  bool isOpen() const { return stream_ != nullptr; }
  // Up to size bytes; 0 at the end of the file or after a read error (failed() tells which).
  std::size_t read(void* buffer, std::size_t size);
  bool write(const void* data, std::size_t size);
  bool write(std::string_view bytes) { return write(bytes.data(), bytes.size()); }
  // One byte, for writers that produce their text a character at a time.
  bool put(char c);
  bool flush();
  // Flushes and closes: false when anything written did not reach the file. A second close
  // answers the same.
  bool close();
  // The size of the open file, or nullopt when the system cannot tell.
  std::optional<std::uint64_t> size();
  // A buffer of `bytes` for a file written in many small pieces.
  void setBufferSize(std::size_t bytes);

  bool failed() const { return !error_.empty(); }
  const std::string& error() const { return error_; }

 private:
  void noteError();

  std::FILE* stream_ = nullptr;
  std::string error_;
};

class ZX_API FileSystem {
 public:
  virtual ~FileSystem() = default;

  // fopen's modes ("rb", "wb", "r+b", "w+b", and "r"/"w" for text). A file that is not open
  // says why in error().
  virtual File open(std::string_view path, const char* mode) = 0;
  virtual bool exists(std::string_view path) = 0;
  virtual bool isDirectory(std::string_view path) = 0;
  virtual bool isRegularFile(std::string_view path) = 0;
  // A regular file outside the system's pseudo-file systems (/proc, /sys, /dev), links
  // followed: something with an end that a page may have the user send.
  virtual bool isOrdinaryFile(std::string_view path) = 0;
  // The size of a regular file; nullopt for anything else.
  virtual std::optional<std::uint64_t> fileSize(std::string_view path) = 0;
  // Creates the file only when it does not exist yet, readable and writable by its owner.
  virtual bool createExclusive(std::string_view path) = 0;
  // An intermediate file: made as createExclusive makes it, and locked for as long as this
  // process uses it (until it is removed or renamed here), so that another process's clean-up
  // leaves it alone.
  virtual bool createLocked(std::string_view path) = 0;
  // Removes the files directly in `folder` whose names start with `prefix`, that no process
  // holds locked and that have not changed for `age`; how many went.
  virtual int removeAbandoned(std::string_view folder, std::string_view prefix, std::chrono::seconds age) = 0;
  // Never replaces: fails when `to` exists.
  virtual bool renameFile(std::string_view from, std::string_view to) = 0;
  // Puts the file `from` in the place of `to` in one step, so that `to` names the old file or
  // the new one and never a part (a rename over it). `from`'s content is on the disk first; it
  // takes the permissions `to` had, or those a new file gets when there was none.
  virtual bool replaceFile(std::string_view from, std::string_view to) = 0;
  // The bytes this user may still write on the file system that holds the existing `path`;
  // nullopt when the system cannot tell.
  virtual std::optional<std::uint64_t> freeSpace(std::string_view path) = 0;
  virtual bool removeFile(std::string_view path) = 0;
  virtual bool makeDirectories(std::string_view path) = 0;
  virtual std::string currentDirectory() = 0;
  // The temporary-name generator: a name that does not exist yet, in the TMP folder when that
  // names a directory, else in `dir`, else in the system's temporary directory. Empty text when
  // none is found.
  virtual std::string tempName(std::string_view dir, std::string_view prefix) = 0;
  // Where temporary files go when nobody names a folder.
  virtual std::string systemTempDirectory() = 0;
  // The user's own folder for downloads, made when missing; empty text when the system names
  // none or it cannot be made.
  virtual std::string userDownloadDirectory() = 0;
  // The name under which the system knows an ANSI path, for libraries that open files themselves.
  virtual std::string systemPath(std::string_view ansiPath) = 0;
  // Where a path really leads: every link of its folders followed, and of the file itself when
  // it exists. nullopt when its folder does not exist.
  virtual std::optional<std::string> realLocation(std::string_view path) = 0;
  // Whether the system takes a file name this long (255 bytes of its own encoding).
  virtual bool nameFits(std::string_view ansiName) { return systemPath(ansiName).size() <= kMaxNameBytes; }

  static constexpr std::size_t kMaxNameBytes = 255;
};

}  // namespace zx::platform
