#include "flows/download_flow.h"

#include <strings.h>

#include <algorithm>
#include <memory>
#include <optional>

#include "core/config_store.h"
#include "core/file_helpers.h"
#include "core/message_pump.h"
#include "core/messages.h"
#include "platform/codepage.h"
#include "platform/exceptions.h"
#include "platform/fs.h"
#include "platform/shell.h"
#include "protect/gunzip.h"
#include "protect/seed_file.h"
#include "transfer/download_exchange.h"
#include "transfer/url_parsing.h"
#include "ui/path_consent.h"
#include "ui/status_dialog.h"

namespace zx {
namespace {

namespace mb = platform::mb;
using platform::Env;

constexpr std::size_t kCopyBlock = 4096;

void trimInPlace(std::string& text) {
  const char* blanks = " \t\r\n";
  size_t b = text.find_first_not_of(blanks);
  if (b == std::string::npos) {
    text.clear();
    return;
  }
  text = text.substr(b, text.find_last_not_of(blanks) - b + 1);
}

std::int32_t clampToInt32(std::uint64_t value) {
  return static_cast<std::int32_t>(std::min<std::uint64_t>(value, INT32_MAX));
}

// The choice dialog: Open, Save (with the save-as loop on older systems) or Cancel.
struct Choice {
  bool ok = false;
  std::string targetPath;
  bool openChosen = true;
};

Choice askChoice(const Env& env, const ControlState& control, const std::string& targetPath,
                 const std::string& targetName) {
  CStatusDlg dlg(env, control.m_isVistaOrLater);
  dlg.title = "DOWNLOAD";
  dlg.upperText = ansi("현재 위치에서 파일을 다운로드 합니다");
  dlg.lowerText = targetName;
  dlg.progressMode = false;
  (void)dlg.path.assign(targetPath);  // download paths are made to fit
  if (dlg.DoModal() != statusdlg::kEndOk) return {};
  return {true, dlg.path.str(), dlg.openChosen};
}

// Opens the file, or turns the progress dialog into the completed dialog that stays on screen
// for the user after the method returns.
void offerCompletedFile(const Env& env, ControlState& control, std::unique_ptr<CStatusDlg>& progress,
                        const std::string& name, std::int32_t size) {
  if (control.openChosen) {
    updateStatus(ansi("다운로드 되었습니다.").c_str(), name.c_str(), size, size);
    if (env.shell.open(control.m_filePath.view(), env.ui.nativeWindow(platform::Owner::Control), keepPumping(env.ui)) < 32)
      controlBox(env.ui,
                 ansi("다운로드 하였으나 파일을 열 수 없습니다.\n이 자료를 열 수 있는 프로그램이 설치 되었는지 "
                      "확인하십시오.\n") + control.m_filePath.str(),
                 "OPEN ERROR", mb::MB_TASKMODAL);
    return;
  }
  updateStatus(ansi("파일이 저장 되었습니다").c_str(), name.c_str(), size, size);
  setDownloadDirectory(env.registry, directoryOf(control.m_filePath.view()));
  progress->becomeCompleted(control.m_filePath.view());
  leaveOnScreen(std::move(progress));
}

struct Target {
  std::string path;
  std::string name;
};

// A target outside what the page may reach (the control's own configuration and its companion
// program above all) is never written over.
std::int32_t refuseTarget(const Env& env, ControlState& control, const std::string& path) {
  controlBox(env.ui, ansi("파일을 열 수 없습니다.\n") + path, ansi("다운로드 오류"), mb::MB_OK);
  return control.ret = -1;
}

// Where the document goes: the download folder, or where the choice dialog says. An answer
// means the method ends here with it, before any transfer.
std::optional<std::int32_t> chooseTarget(const Env& env, ControlState& control, Target& target) {
  // A name that would leave the folder, or that no file can carry, is no name.
  const std::optional<std::string> name = downloadNameOf(env.fs, control.Filename);
  if (!name) {
    controlBox(env.ui, ansi("다운로드 파일이름이 없습니다."), ansi("오류"), mb::MB_OK);
    return control.ret = -1;
  }
  auto downloadPath = makeDownloadPath(env, control, *name);
  if (!downloadPath) {
    controlBox(env.ui, ansi("파일을 생성할 수 없습니다.\n") + diskAdvice(), ansi("파일생성오류"), mb::MB_OK);
    return control.ret = -1;
  }
  target = {*downloadPath, *name};
  control.openChosen = true;
  // Without the choice dialog the document stays in the control's temporary folder.
  if (control.dialog == "0") return std::nullopt;
  Choice choice = askChoice(env, control, target.path, target.name);
  if (!choice.ok) return control.ret = -2;
  // Another place than the download folder is the user's own choice in the save-as dialog.
  if (choice.targetPath != target.path) control.recordPicked(choice.targetPath);
  const std::optional<std::string> admitted = admitPagePath(env, control, choice.targetPath, PageOperation::Write);
  if (!admitted) return refuseTarget(env, control, choice.targetPath);
  target = {*admitted, lastElement(*admitted)};
  // From here on the document is made in the target's folder.
  (void)control.m_tempDir.assign(directoryOf(target.path));  // the folder of a path that fits fits too
  control.openChosen = choice.openChosen;
  return std::nullopt;
}

std::int32_t transferAndPlace(const Env& env, ControlState& control, const Target& target,
                              std::unique_ptr<CStatusDlg>& progress, const std::string& userId,
                              const std::string& sessionId, const std::string& compressed, const std::string& ciphered) {
  bool deleteInputs = !isDebugEnabled(env.registry);
  // Open and Save stay disabled until there is a file: pressed earlier they would hand the shell
  // an empty path and hide the dialog, which the completion would then leave hidden for good.
  progress = showStatusDialog(env, control.m_isVistaOrLater, "DOWNLOAD", ansi("현재 위치에서 파일을 다운로드 합니다"),
                              ansi("다운로드 센터에 접속 중 입니다"), false);
  // Temporary names fit the path buffers; an empty one fails at the exchange's open.
  (void)control.m_filePath.assign(makeIntermediateFile(env, control.m_tempDir.view()));
  // A cancel the user confirms while a step runs is honoured when the step ends: each step
  // pumps messages, but only the exchange looks at the dialog itself.
  auto cancelled = [&control] { return statusCancelled() ? std::optional<std::int32_t>(control.ret = -2) : std::nullopt; };
  if ((control.ret = downloadExchange(env, control, userId, sessionId, compressed, ciphered)) != 0) return control.ret;
  if (auto stop = cancelled()) return *stop;
  if (ciphered != "0") {
    if ((control.ret = decipherStep(env, control.m_filePath, control.m_sessionKey, 16, deleteInputs,
                                    control.m_tempDir.view())) != 0)
      return control.ret;
    if (auto stop = cancelled()) return *stop;
  }
  if (compressed != "0") {
    (void)control.m_scratchPath.assign(makeIntermediateFile(env, control.m_tempDir.view()));
    std::int32_t unpacked =
        decompressStep(env, control.m_filePath.view(), control.m_scratchPath.view(), deleteInputs);
    control.m_filePath = control.m_scratchPath;
    // A document that did not decompress is not a document: its box has been shown.
    if (unpacked != 0) return control.ret = -1;
    if (auto stop = cancelled()) return *stop;
  }

  if (control.openChosen || control.m_isVistaOrLater) {
    // Candidates that would not fit a path buffer are never used. Without a name of its own the
    // document still must not look like an intermediate, which the clean-up would remove.
    if (auto moved = moveToUniqueName(env.fs, target.name, control.m_filePath.view()))
      (void)control.m_filePath.assign(*moved);
    else
      (void)control.m_filePath.assign(keepAsDocument(env.fs, control.m_filePath.view()));
  } else if ((control.ret = copyWithProgress(env, control.m_filePath, target.path, deleteInputs)) != 0) {
    return control.ret;
  }
  if (auto stop = cancelled()) return *stop;

  auto size = env.fs.fileSize(control.m_filePath.view());
  std::string name = lastElement(control.m_filePath.view());
  if (size) showCurrentByteCounts(0, static_cast<std::int64_t>(*size));
  if (control.dialog != "0") offerCompletedFile(env, control, progress, name, clampToInt32(size.value_or(0)));
  control.Filename = control.m_filePath.str();
  control.recordProduced(control.Filename);
  return control.ret;
}

}  // namespace

std::int32_t downloadFlow(const Env& env, ControlState& control, const std::string& userId,
                          const std::string& sessionId, const std::string& compressed, const std::string& ciphered) {
  control.m_filePath.clear();
  control.m_scratchPath.clear();
  trimInPlace(control.Filename);
  trimInPlace(control.FileFilter);
  trimInPlace(control.dialog);
  if (parseUrl(env.ui, control) != 0) {
    control.ret = -1;
    showDebugBox(env.ui, "parseUrl:error");
    return -1;
  }
  Target target;
  if (auto early = chooseTarget(env, control, target)) return *early;

  // The progress dialog goes with the transfer, unless the completion left it for the user; a
  // failed transfer leaves no file.
  std::unique_ptr<CStatusDlg> progress;
  std::int32_t result;
  try {
    result = transferAndPlace(env, control, target, progress, userId, sessionId, compressed, ciphered);
  } catch (const FrameworkException&) {
    progress.reset();
    deleteIfNamed(env.fs, control.m_filePath.view());
    throw;
  }
  progress.reset();
  if (result != 0) deleteIfNamed(env.fs, control.m_filePath.view());
  if (result == -2) controlBox(env.ui, ansi("다운로드 작업이 취소 되었습니다"), ansi("취소"), mb::MB_TASKMODAL);
  return result;
}

std::int32_t copyWithProgress(const Env& env, PathText& source, const std::string& target, bool deleteSource) {
  if (strcasecmp(source.c_str(), target.c_str()) == 0) return 0;
  platform::File in = env.fs.open(source.view(), "rb");
  if (!in.isOpen()) throw FileException(ansi("파일을 열 수 없습니다.\n") + source.str());
  std::int64_t size = static_cast<std::int64_t>(env.fs.fileSize(source.view()).value_or(0));
  showCurrentByteCounts(0, size);
  updateStatus(nullptr, ansi("파일을 복사하고 있습니다.").c_str(), 0, clampToInt32(size));
  // A file already there is replaced only by the whole copy.
  ReplacementFile out(env.fs, target);
  if (!out.isOpen()) throw FileException(ansi("파일을 생성할 수 없습니다.\n") + target);
  char block[kCopyBlock];
  bool failed = false;
  while (std::size_t got = in.read(block, sizeof block)) {
    if (!out.file().write(block, got)) {
      failed = true;
      break;
    }
    stepProgress(static_cast<std::int32_t>(got));
  }
  failed = failed || in.failed();
  in.close();
  failed = failed || !out.commit();
  if (failed) {
    applicationBox(env.ui, ansi("파일에 기록할 수 없습니다.\n") + target);
    controlBox(env.ui, ansi("파일을 복사할 수 없습니다.\n") + diskAdvice(), ansi("디스크오류"), mb::MB_OK);
    if (deleteSource) deleteIfNamed(env.fs, source.view());
    return -1;
  }
  env.fs.removeFile(source.view());
  (void)source.assign(target);  // targets come from path buffers
  return 0;
}

std::int32_t download(const Env& env, ControlState& control, const std::string& userId, const std::string& sessionId,
                      const std::string& compressed, const std::string& ciphered) {
  try {
    return downloadFlow(env, control, userId, sessionId, compressed, ciphered);
  } catch (const FrameworkException& e) {
    controlBox(env.ui, e.errorMessage(), ansi("다운로드 오류"), mb::MB_OK);
    return -1;
  }
}

}  // namespace zx
