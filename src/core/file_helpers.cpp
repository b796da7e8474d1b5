#include "core/file_helpers.h"

#include <algorithm>
#include <chrono>
#include <random>

#include "core/messages.h"
#include "platform/clock.h"
#include "platform/codepage.h"
#include "platform/fixed_text.h"

namespace zx {
namespace {

constexpr int kTempAttempts = 5;
constexpr int kUniqueCandidates = 4999;

// The last backslash, or when there is none the last slash.
size_t lastSeparator(std::string_view path) {
  size_t backslash = platform::ansiFindLast(path, '\\');
  return backslash != std::string_view::npos ? backslash : platform::ansiFindLast(path, '/');
}

bool isRoot(std::string_view dir) {
  return (dir.size() == 3 && dir[1] == ':') || dir == std::string_view(&platform::kPathSeparator, 1);
}

// An intermediate unchanged this long belongs to no transfer that still runs.
constexpr std::chrono::hours kAbandonedAfter{1};

// A fresh file of the generator's naming, made by `create`; empty text after 5 failures.
template <class Create>
std::string makeFreshFile(const platform::Env& env, std::string_view tempDir, std::string_view prefix, Create create) {
  for (int attempt = 0; attempt < kTempAttempts; ++attempt) {
    std::string name = env.fs.tempName(tempDir, prefix);
    if (!name.empty() && name.size() <= kPathCapacity && create(name)) return name;
    env.clock.sleepFor(std::chrono::milliseconds(1));
  }
  return std::string();
}

// A fresh intermediate in `folder` (the current folder when empty); empty text when none can
// be made there.
std::string makeIntermediateBeside(platform::FileSystem& fs, const std::string& folder) {
  thread_local std::mt19937 engine(std::random_device{}());
  for (int attempt = 0; attempt < kTempAttempts; ++attempt) {
    std::string name = std::string(kIntermediatePrefix) + "new" + std::to_string(engine());
    if (!folder.empty()) name = joinPath(folder, name);
    if (fs.createLocked(name)) return name;
  }
  return std::string();
}

}  // namespace

std::string makeTempFileName(const platform::Env& env, std::string_view tempDir, std::string_view prefix) {
  return makeFreshFile(env, tempDir, prefix, [&env](const std::string& name) { return env.fs.createExclusive(name); });
}

std::string makeIntermediateFile(const platform::Env& env, std::string_view tempDir) {
  return makeFreshFile(env, tempDir, kIntermediatePrefix,
                       [&env](const std::string& name) { return env.fs.createLocked(name); });
}

void removeAbandonedIntermediates(const platform::Env& env, std::string_view tempDir) {
  if (isDebugEnabled(env.registry)) return;
  env.fs.removeAbandoned(tempDir, kIntermediatePrefix, kAbandonedAfter);
}

std::string keepAsDocument(platform::FileSystem& fs, std::string_view intermediate) {
  const std::string folder = directoryOf(intermediate);
  const std::string plain = fs.tempName(folder, "");  // the TMP rule may name another folder
  if (plain.empty() || plain.size() > kPathCapacity || directoryOf(plain) != folder ||
      !fs.renameFile(intermediate, plain))
    return std::string(intermediate);
  return plain;
}

std::string tempDirectoryOf(const platform::Env& env) {
  std::string name = makeTempFileName(env, "", "");
  if (name.empty()) return env.fs.systemTempDirectory();
  env.fs.removeFile(name);
  return directoryOf(name);
}

std::string directoryOf(std::string_view path) {
  size_t sep = lastSeparator(path);
  if (sep == std::string_view::npos) return std::string();
  std::string dir(path.substr(0, sep));
  // A drive root, or the root directory, keeps its separator.
  if ((dir.size() == 2 && dir[1] == ':') || dir.empty()) dir += path[sep];
  return dir;
}

std::string lastElement(std::string_view path) {
  size_t sep = lastSeparator(path);
  return std::string(sep == std::string_view::npos ? path : path.substr(sep + 1));
}

std::optional<std::string> downloadNameOf(platform::FileSystem& fs, std::string_view filename) {
  size_t backslash = platform::ansiFindLast(filename, '\\'), slash = platform::ansiFindLast(filename, '/');
  size_t sep = backslash == std::string_view::npos ? slash
               : slash == std::string_view::npos  ? backslash
                                                  : std::max(backslash, slash);
  std::string_view name = sep == std::string_view::npos ? filename : filename.substr(sep + 1);
  if (name.empty() || name == "." || name == ".." || !fs.nameFits(name)) return std::nullopt;
  for (char c : name)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return std::nullopt;
  // A separator that follows a lead byte hides from the search above but not from the system,
  // which sees the pair as a broken character and the separator as one.
  const std::string system = fs.systemPath(name);
  if (system.find_first_of("/\\") != std::string::npos || system == "." || system == "..") return std::nullopt;
  return std::string(name);
}

std::string joinPath(std::string_view directory, std::string_view name) {
  std::string joined(directory);
  if (!isRoot(directory)) joined += platform::kPathSeparator;
  joined += name;
  return joined;
}

std::optional<std::string> moveToUniqueName(platform::FileSystem& fs, std::string_view wantedName,
                                            std::string_view sourcePath) {
  size_t point = platform::ansiFindLast(wantedName, '.');
  std::string base(point == std::string_view::npos ? wantedName : wantedName.substr(0, point));
  std::string extension(point == std::string_view::npos ? std::string_view() : wantedName.substr(point));
  size_t sep = lastSeparator(sourcePath);
  std::string folder(sep == std::string_view::npos ? std::string_view() : sourcePath.substr(0, sep + 1));
  for (int counter = 0; counter < kUniqueCandidates; ++counter) {
    std::string candidate = folder + base + (counter ? "(" + std::to_string(counter) + ")" : "") + extension;
    if (candidate.size() > kPathCapacity) continue;
    if (fs.exists(candidate)) continue;
    if (fs.renameFile(sourcePath, candidate)) return candidate;
  }
  return std::nullopt;
}

void deleteIfNamed(platform::FileSystem& fs, std::string_view path) {
  if (!path.empty()) fs.removeFile(path);
}

ReplacementFile::ReplacementFile(platform::FileSystem& fs, std::string_view target) : fs_(fs) {
  const std::optional<std::string> real = fs.realLocation(target);
  target_ = real.value_or(std::string(target));
  // Where the target leads could not be told (its folder is missing): nothing goes beside it,
  // and opening the target itself fails or succeeds as it would have.
  if (real && (!fs.exists(target_) || fs.isRegularFile(target_))) beside_ = makeIntermediateBeside(fs, directoryOf(target_));
  file_ = fs.open(beside_.empty() ? target_ : beside_, "wb");
}

ReplacementFile::~ReplacementFile() {
  if (committed_ || beside_.empty()) return;
  file_.close();
  fs_.removeFile(beside_);
}

bool ReplacementFile::commit() {
  committed_ = file_.close() && (beside_.empty() || fs_.replaceFile(beside_, target_));
  return committed_;
}

}  // namespace zx
