#include "core/page_scope.h"

#include <optional>

#include "core/config_store.h"
#include "core/file_helpers.h"
#include "core/origin_grants.h"
#include "platform/ascii.h"
#include "platform/fs.h"

namespace zx {
namespace {

bool samePath(std::string_view a, std::string_view b) {
#ifdef _WIN32
  return ascii::equalsIgnoreCase(a, b);
#else
  return a == b;
#endif
}

bool leadsTo(platform::FileSystem& fs, std::string_view path, std::string_view real) {
  const std::optional<std::string> target = fs.realLocation(path);
  return target && samePath(*target, real);
}

bool insideRealFolder(platform::FileSystem& fs, std::string_view folder, std::string_view real) {
  if (folder.empty()) return false;
  const std::optional<std::string> target = fs.realLocation(folder);
  return target && isInsideFolder(real, *target);
}

bool inPageScope(const platform::Env& env, const ControlState& control, const std::string& real) {
  if (insideRealFolder(env.fs, downloadDirectoryInEffect(env, control), real) ||
      insideRealFolder(env.fs, control.temporaryFolder, real))
    return true;
  for (const auto& picked : control.pickedFiles)
    if (leadsTo(env.fs, picked, real)) return true;
  for (const auto& made : control.producedFiles)
    if (leadsTo(env.fs, made, real)) return true;
  for (const auto& granted : grantedFolders(env.registry, control.pageOrigin))
    if (isInsideFolder(real, granted)) return true;
  return false;
}

}  // namespace

bool isInsideFolder(std::string_view path, std::string_view folder) {
  if (folder.empty() || path.size() < folder.size() || !samePath(path.substr(0, folder.size()), folder)) return false;
  if (path.size() == folder.size()) return true;
  const char last = folder.back();
  return last == '/' || last == '\\' || path[folder.size()] == platform::kPathSeparator;
}

bool isReservedLocation(const platform::Env& env, std::string_view path) {
  const std::optional<std::string> target = env.fs.realLocation(path);
  if (!target) return false;
  if (insideRealFolder(env.fs, env.home, *target)) return true;
  return leadsTo(env.fs, companionProgramPath(env.registry), *target);
}

PathJudgement judgePagePath(const platform::Env& env, const ControlState& control, std::string_view path) {
  const std::optional<std::string> real = env.fs.realLocation(path);
  if (control.pageOrigin.empty()) {
    const bool reserved = real && isReservedLocation(env, *real);
    return {reserved ? PathReach::Never : PathReach::Inside, std::string(path), {}};
  }
  // A page's path that leads nowhere (no such folder, a link to nothing) is nothing to ask about.
  if (!real || isReservedLocation(env, *real)) return {PathReach::Never, std::string(path), {}};
  return {inPageScope(env, control, *real) ? PathReach::Inside : PathReach::Outside, *real, directoryOf(*real)};
}

}  // namespace zx
