#pragma once
// What a web page may reach on this computer: the one rule every member that takes a path from
// the page consults (saveFile, upload, showFile, removeFile, a download's target, saveXml).
//
// A path is judged by where it really leads (links and ".." resolved by the file system), and
// the operation then uses that resolved path, not the name the page gave. Inside the page's
// scope are: the download folder in effect and the control's temporary folder (with everything
// below them), the files the user picked in this control's dialogs, the files this control
// made, and the folders the user granted to the page's origin. Anything else is outside: the
// user may let the page use it when asked (ui/path_consent.h). The configuration home and the
// companion program are never reached, whoever asks. A control no page drives (the user's own
// program) has no scope: every path is inside except those never reached.
#include <string>
#include <string_view>

#include "core/control_state.h"
#include "platform/env.h"

namespace zx {

// What the page wants to do with the path; the question names it.
enum class PageOperation { Write, Send, Open, Delete };

enum class PathReach { Inside, Outside, Never };

struct PathJudgement {
  PathReach reach = PathReach::Never;
  // The path the operation uses: where it really leads (as given when no page drives the
  // control, which is then judged by where it leads all the same).
  std::string path;
  // The folder an "Always for this folder" answer grants: the resolved path's own folder.
  std::string folder;
};

PathJudgement judgePagePath(const platform::Env& env, const ControlState& control, std::string_view path);

// Whether the path leads into what the control keeps for itself: the configuration home
// (store, trust anchors, logs) or the companion program. A path whose folder does not exist
// leads nowhere and touches nothing.
bool isReservedLocation(const platform::Env& env, std::string_view path);

// Whether `path` is `folder` or below it; both real locations.
bool isInsideFolder(std::string_view path, std::string_view folder);

}  // namespace zx
