#include "flows/local_ops.h"

#include <optional>
#include <vector>

#include "core/config_store.h"
#include "core/file_helpers.h"
#include "core/message_pump.h"
#include "core/messages.h"
#include "flows/page_file_dialog.h"
#include "platform/codepage.h"
#include "platform/command_line.h"
#include "platform/fs.h"
#include "platform/shell.h"
#include "platform/ui.h"
#include "ui/path_consent.h"

namespace zx {
namespace {

namespace mb = platform::mb;

constexpr size_t kCommandLineLimit = 1023;

}  // namespace

void showFile(const platform::Env& env, const ControlState& control) {
  if (control.Filename.empty()) return;
  const std::optional<std::string> target = admitPagePath(env, control, control.Filename, PageOperation::Open);
  if (!target || env.shell.open(*target, env.ui.nativeWindow(platform::Owner::Control), keepPumping(env.ui)) < 32)
    controlBox(env.ui, ansi("파일을 열 수 없습니다.\n") + control.Filename, ansi("파일열기"), mb::MB_TASKMODAL);
}

void removeFile(const platform::Env& env, ControlState& control) {
  // A page names any file it likes: only one this control made for it goes.
  if (control.m_filePath.view() == control.Filename && control.isProduced(control.m_filePath.view())) {
    if (auto target = admitPagePath(env, control, control.m_filePath.view(), PageOperation::Delete))
      deleteIfNamed(env.fs, *target);
    control.forgetProduced(control.m_filePath.view());
  }
  control.m_filePath.clear();
}

std::int32_t saveFile(const platform::Env& env, ControlState& control, const std::string& str) {
  if (control.dialog != "0") {
    auto chosen = env.ui.fileDialog(pageFileDialog(control, true, ansi("파일저장"),
                                                   platform::ofn::OFN_HIDEREADONLY | platform::ofn::OFN_OVERWRITEPROMPT));
    if (!chosen.ok) return -2;
    control.Filename = chosen.path;
    control.recordPicked(chosen.path);
  } else if (control.Filename.empty()) {
    control.Filename = makeTempFileName(env, control.m_tempDir.view(), "");
  }
  const std::optional<std::string> target = admitPagePath(env, control, control.Filename, PageOperation::Write);
  std::optional<ReplacementFile> file;
  if (target) file.emplace(env.fs, *target);
  if (!file || !file->isOpen()) {
    controlBox(env.ui, ansi("파일을 열 수 없습니다.\n") + diskAdvice(), "ERROR", mb::MB_OK);
    return control.ret = -1;
  }
  // An existing file is replaced only by the whole text.
  if (!file->file().write(str) || !file->commit()) {
    controlBox(env.ui, ansi("파일에 기록할 수 없습니다.\n") + diskAdvice(), "ERROR", mb::MB_OK);
    return control.ret = -1;
  }
  control.recordProduced(control.Filename);
  return control.ret = 0;
}

std::int32_t runCompanion(const platform::Env& env, const ControlState& control) {
  const std::string program = companionProgramPath(env.registry);
  // The option and the package are two arguments: a package text with spaces or quotes stays
  // one. The line Windows starts them with is bounded on every system; an over-long one, or a
  // path no line can name, is refused rather than cut.
  const std::vector<std::string> arguments{"-PKGNAME", control.Package};
  const std::optional<std::string> line = platform::windowsCommandLine(program, arguments);
  if (!line || line->size() > kCommandLineLimit) return platform::launch::kPathNotFound;
  return env.shell.launch(program, arguments, keepPumping(env.ui));
}

}  // namespace zx
