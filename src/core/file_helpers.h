#pragma once
// File helpers shared by the flows and the local methods. Paths are ANSI text; splitting
// accepts both separators, joining uses the platform's.
#include <optional>
#include <string>
#include <string_view>

#include "platform/env.h"
#include "platform/fs.h"

namespace zx {

// A fresh, existing, empty temporary file in tempDir (or TMP); empty text after 5 failures.
std::string makeTempFileName(const platform::Env& env, std::string_view tempDir, std::string_view prefix);
// The names of the control's intermediate files begin with this.
inline constexpr std::string_view kIntermediatePrefix = "zxpart-";
// A fresh intermediate file (a step's input or output, never a result the page keeps), locked
// for as long as this process uses it; empty text after 5 failures.
std::string makeIntermediateFile(const platform::Env& env, std::string_view tempDir);
// Removes intermediates in tempDir that a process left behind when it ended without removing
// them (killed, crashed): unlocked, and unchanged for an hour. With the debug switch on it
// removes nothing: the switch keeps intermediates for inspection.
void removeAbandonedIntermediates(const platform::Env& env, std::string_view tempDir);
// An intermediate that has become the user's document without its own name: renamed to a
// plain temporary name in its folder, out of the clean-up's reach. The old path when that
// fails.
std::string keepAsDocument(platform::FileSystem& fs, std::string_view intermediate);
// The directory in which temporary files are made.
std::string tempDirectoryOf(const platform::Env& env);
// The text before the last separator; a root keeps its separator; no separator: empty text.
std::string directoryOf(std::string_view path);
// The text after the last separator (backslash first, then slash), or the whole text.
std::string lastElement(std::string_view path);
// The name a download is saved under: the text after the last backslash or slash, whichever
// comes later. nullopt when that is empty, "." or "..", holds a control character (NUL and
// line breaks too), or is longer than the file system takes.
std::optional<std::string> downloadNameOf(platform::FileSystem& fs, std::string_view filename);
// directory + separator + name, without doubling the separator of a root.
std::string joinPath(std::string_view directory, std::string_view name);
// Renames source inside its own directory to the first free of name, name(1) ... name(4998).
std::optional<std::string> moveToUniqueName(platform::FileSystem& fs, std::string_view wantedName,
                                            std::string_view sourcePath);
void deleteIfNamed(platform::FileSystem& fs, std::string_view path);

// New content for a file, written beside it (an intermediate in the same folder) and put in its
// place only once complete, so that a write that fails (a full disk) leaves the old file as it
// was. Links are followed to the file they lead to. A target that exists but is no regular file
// (a device), or whose folder takes no new file, is written in place.
class ReplacementFile {
 public:
  ReplacementFile(platform::FileSystem& fs, std::string_view target);
  // New content that was not committed is removed.
  ~ReplacementFile();
  ReplacementFile(const ReplacementFile&) = delete;
  ReplacementFile& operator=(const ReplacementFile&) = delete;

  bool isOpen() const { return file_.isOpen(); }
  platform::File& file() { return file_; }
  // Closes the new content and puts it in the target's place. False when any of it did not
  // reach the disk: the target is then as it was, and the new content is gone.
  bool commit();

 private:
  platform::FileSystem& fs_;
  std::string target_;
  std::string beside_;  // the new content's own name; empty when written in place
  platform::File file_;
  bool committed_ = false;
};

}  // namespace zx
