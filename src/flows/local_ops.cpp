#include "flows/local_ops.h"

#include "core/config_store.h"
#include "core/file_helpers.h"
#include "core/message_pump.h"
#include "core/messages.h"
#include "flows/page_file_dialog.h"
#include "platform/codepage.h"
#include "platform/fs.h"
#include "platform/shell.h"
#include "platform/ui.h"

namespace zx {
namespace {

namespace mb = platform::mb;

constexpr size_t kCommandLineLimit = 1023;

std::string diskAdvice() { return ansi("디스크 여유 공간을 확인하시고, 이상이 없으면 다시 시도 하십시오."); }

}  // namespace

void showFile(const platform::Env& env, const ControlState& control) {
  if (control.Filename.empty()) return;
  if (env.shell.open(control.Filename, env.ui.nativeWindow(platform::Owner::Control), keepPumping(env.ui)) < 32)
    controlBox(env.ui, ansi("파일을 열 수 없습니다.\n") + control.Filename, ansi("파일열기"), mb::MB_TASKMODAL);
}

void removeFile(const platform::Env& env, ControlState& control) {
  // A page names any file it likes: only one this control made for it goes.
  if (control.m_filePath.view() == control.Filename && control.isProduced(control.m_filePath.view())) {
    deleteIfNamed(env.fs, control.m_filePath.view());
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
  } else if (control.Filename.empty()) {
    control.Filename = makeTempFileName(env, control.m_tempDir.view(), "");
  }
  // The control's own configuration and its companion program are never written over.
  platform::File file = isReservedLocation(env, control.Filename) ? platform::File() : env.fs.open(control.Filename, "wb");
  if (!file.isOpen()) {
    controlBox(env.ui, ansi("파일을 열 수 없습니다.\n") + diskAdvice(), "ERROR", mb::MB_OK);
    return control.ret = -1;
  }
  bool written = file.write(str);
  written = file.close() && written;
  if (!written) {
    controlBox(env.ui, ansi("파일에 기록할 수 없습니다.\n") + diskAdvice(), "ERROR", mb::MB_OK);
    return control.ret = -1;
  }
  control.recordProduced(control.Filename);
  return control.ret = 0;
}

std::int32_t runCompanion(const platform::Env& env, const ControlState& control) {
  const std::string program = companionProgramPath(env.registry);
  // The option and the package are two arguments: a package text with spaces stays one. The
  // line they would make is still bounded; an over-long one is refused rather than cut.
  if (program.size() + std::string_view(" -PKGNAME ").size() + control.Package.size() > kCommandLineLimit)
    return platform::launch::kPathNotFound;
  return env.shell.launch(program, {"-PKGNAME", control.Package}, keepPumping(env.ui));
}

}  // namespace zx
