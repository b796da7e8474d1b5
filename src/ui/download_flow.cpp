#include "ui/download_flow.h"

#include <algorithm>
#include <optional>
#include <cstdio>
#include <strings.h>

#include "control/config_store.h"
#include "control/exceptions.h"
#include "control/file_helpers.h"
#include "control/messages.h"
#include "control/zorvax_ctrl.h"
#include "platform/codepage.h"
#include "platform/fs.h"
#include "platform/shell.h"
#include "protect/gunzip.h"
#include "protect/seed_file.h"
#include "transfer/download_exchange.h"
#include "transfer/url_parsing.h"
#include "ui/status_dialog.h"

namespace zx {
namespace {

namespace fs = platform::fs;
namespace mb = platform::mb;

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

std::string diskAdvice() { return ansi("디스크 여유 공간을 확인하시고, 이상이 없으면 다시 시도 하십시오."); }

// The choice dialog: Open, Save (with the save-as loop on older systems) or Cancel.
struct Choice {
  bool ok = false;
  std::string targetPath;
  bool openChosen = true;
};

Choice askChoice(CZorvAXCtrl& control, const std::string& targetPath, const std::string& targetName) {
  CStatusDlg dlg(control.m_isVistaOrLater);
  dlg.title = "DOWNLOAD";
  dlg.upperText = ansi("현재 위치에서 파일을 다운로드 합니다");
  dlg.lowerText = targetName;
  dlg.progressMode = false;
  dlg.path.assign(targetPath);
  if (dlg.DoModal() != statusdlg::kEndOk) return {};
  return {true, dlg.path.str(), dlg.openChosen};
}

void offerCompletedFile(CZorvAXCtrl& control, const std::string& name, std::int32_t size) {
  if (control.openChosen) {
    updateStatus(ansi("다운로드 되었습니다.").c_str(), name.c_str(), size, size);
    if (platform::shell().open(control.m_filePath.view()) < 32)
      controlBox(ansi("다운로드 하였으나 파일을 열 수 없습니다.\n이 자료를 열 수 있는 프로그램이 설치 되었는지 "
                      "확인하십시오.\n") + control.m_filePath.str(),
                 "OPEN ERROR", mb::MB_TASKMODAL);
    return;
  }
  updateStatus(ansi("파일이 저장 되었습니다").c_str(), name.c_str(), size, size);
  setDownloadDirectory(directoryOf(control.m_filePath.view()));
  // The dialog stays on screen for the user after the method returns; it frees itself.
  currentStatusDlg->becomeCompleted(control.m_filePath.view());
  currentStatusDlg = nullptr;
}

struct Target {
  std::string path;
  std::string name;
};

// Where the document goes: the download folder, or where the choice dialog says. An answer
// means the method ends here with it, before any transfer.
std::optional<std::int32_t> chooseTarget(CZorvAXCtrl& control, Target& target) {
  auto downloadPath = makeDownloadPath(control, control.Filename);
  if (!downloadPath) {
    controlBox(ansi("파일을 생성할 수 없습니다.\n") + diskAdvice(), ansi("파일생성오류"), mb::MB_OK);
    return control.ret = -1;
  }
  target = {*downloadPath, lastElement(*downloadPath)};
  if (target.name.empty()) {
    controlBox(ansi("다운로드 파일이름이 없습니다."), ansi("오류"), mb::MB_OK);
    return control.ret;
  }
  control.openChosen = true;
  if (control.dialog == "0") return std::nullopt;
  Choice choice = askChoice(control, target.path, target.name);
  if (!choice.ok) return control.ret = -2;
  target = {choice.targetPath, lastElement(choice.targetPath)};
  control.m_tempDir.assign(directoryOf(target.path));
  control.openChosen = choice.openChosen;
  return std::nullopt;
}

std::int32_t transferAndPlace(CZorvAXCtrl& control, const Target& target, const std::string& userId,
                              const std::string& sessionId, const std::string& compressed, const std::string& ciphered) {
  bool deleteInputs = !isDebugEnabled();
  // Open and Save stay disabled until there is a file: pressed earlier they would hand the shell
  // an empty path and hide the dialog, which the completion would then leave hidden for good.
  showStatusDialog(control, "DOWNLOAD", ansi("현재 위치에서 파일을 다운로드 합니다"), ansi("다운로드 센터에 접속 중 입니다"),
                   false);
  control.m_filePath.assign(makeTempFileName(control.m_tempDir.view(), ""));
  if ((control.ret = downloadExchange(control, userId, sessionId, compressed, ciphered)) != 0) return control.ret;
  if (ciphered != "0" &&
      (control.ret = decipherStep(control.m_filePath, control.m_sessionKey, 16, deleteInputs, control.m_tempDir.view())) != 0)
    return control.ret;
  if (compressed != "0") {
    control.m_scratchPath.assign(makeTempFileName(control.m_tempDir.view(), ""));
    std::int32_t unpacked = decompressStep(control.m_filePath.view(), control.m_scratchPath.view(), deleteInputs);
    control.m_filePath = control.m_scratchPath;
    // A document that did not decompress is not a document: its box has been shown.
    if (unpacked != 0) return control.ret = -1;
  }

  if (control.openChosen || control.m_isVistaOrLater) {
    if (auto moved = moveToUniqueName(target.name, control.m_filePath.view())) control.m_filePath.assign(*moved);
  } else if ((control.ret = copyWithProgress(control.m_filePath, target.path, deleteInputs)) != 0) {
    return control.ret;
  }

  auto size = fs::fileSize(control.m_filePath.view());
  std::string name = lastElement(control.m_filePath.view());
  if (size) showCurrentByteCounts(0, static_cast<std::int64_t>(*size));
  if (control.dialog != "0") offerCompletedFile(control, name, clampToInt32(size.value_or(0)));
  control.Filename = control.m_filePath.str();
  return control.ret;
}

// The end of every transfer: the progress dialog goes, a failed transfer leaves no file.
void finishTransfer(CZorvAXCtrl& control, std::int32_t result) {
  if (currentStatusDlg) {
    delete currentStatusDlg;
    currentStatusDlg = nullptr;
  }
  if (result != 0) deleteIfNamed(control.m_filePath.view());
}

}  // namespace

std::int32_t downloadFlow(CZorvAXCtrl& control, const std::string& userId, const std::string& sessionId,
                          const std::string& compressed, const std::string& ciphered) {
  control.m_filePath.clear();
  control.m_scratchPath.clear();
  trimInPlace(control.Filename);
  trimInPlace(control.FileFilter);
  trimInPlace(control.dialog);
  if (parseUrl(control) != 0) {
    control.ret = -1;
    showDebugBox("parseUrl:error");
    return -1;
  }
  Target target;
  if (auto early = chooseTarget(control, target)) return *early;
  std::int32_t result;
  try {
    result = transferAndPlace(control, target, userId, sessionId, compressed, ciphered);
  } catch (const FrameworkException&) {
    finishTransfer(control, -1);
    throw;
  }
  finishTransfer(control, result);
  if (result == -2) controlBox(ansi("다운로드 작업이 취소 되었습니다"), ansi("취소"), mb::MB_TASKMODAL);
  return result;
}

std::int32_t copyWithProgress(PathText& source, const std::string& target, bool deleteSource) {
  if (strcasecmp(source.c_str(), target.c_str()) == 0) return 0;
  std::FILE* in = fs::openFile(source.view(), "rb");
  if (!in) throw FileException(ansi("파일을 열 수 없습니다.\n") + source.str());
  std::int64_t size = static_cast<std::int64_t>(fs::fileSize(source.view()).value_or(0));
  showCurrentByteCounts(0, size);
  updateStatus(nullptr, ansi("파일을 복사하고 있습니다.").c_str(), 0, clampToInt32(size));
  std::FILE* out = fs::openFile(target, "wb");
  if (!out) {
    std::fclose(in);
    throw FileException(ansi("파일을 생성할 수 없습니다.\n") + target);
  }
  char block[kCopyBlock];
  bool failed = false;
  size_t got;
  while ((got = std::fread(block, 1, sizeof block, in)) > 0) {
    if (std::fwrite(block, 1, got, out) != got) {
      failed = true;
      break;
    }
    stepProgress(static_cast<std::int32_t>(got));
  }
  std::fclose(in);
  failed = (std::fflush(out) != 0) || failed;
  failed = (std::fclose(out) != 0) || failed;
  if (failed) {
    applicationBox(ansi("파일에 기록할 수 없습니다.\n") + target);
    controlBox(ansi("파일을 복사할 수 없습니다.\n") + diskAdvice(), ansi("디스크오류"), mb::MB_OK);
    if (deleteSource) deleteIfNamed(source.view());
    return -1;
  }
  fs::removeFile(source.view());
  source.assign(target);
  return 0;
}

std::int32_t CZorvAXCtrl::download(const std::string& userId, const std::string& sessionId, const std::string& compressed,
                                   const std::string& ciphered) {
  try {
    return downloadFlow(*this, userId, sessionId, compressed, ciphered);
  } catch (const FrameworkException& e) {
    controlBox(e.errorMessage(), ansi("다운로드 오류"), mb::MB_OK);
    return -1;
  }
}

}  // namespace zx
