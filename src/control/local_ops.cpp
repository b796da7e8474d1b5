// Script methods that act on the local machine: the last file, text files, the companion program.
#include <cstdio>

#include "control/config_store.h"
#include "control/file_helpers.h"
#include "control/messages.h"
#include "control/zorvax_ctrl.h"
#include "platform/codepage.h"
#include "platform/fs.h"
#include "platform/shell.h"
#include "platform/ui.h"

namespace zx {
namespace {

namespace mb = platform::mb;

constexpr size_t kCommandLineLimit = 1023;
const char* const kCompanionProgram = "ZorvC.EXE";
const char* const kDefaultCompanionPath = "c:\\Program Files\\QORAX\\ZorvC\\Bin\\ZorvC.EXE";

std::string diskAdvice() { return ansi("디스크 여유 공간을 확인하시고, 이상이 없으면 다시 시도 하십시오."); }

}  // namespace

std::string CZorvAXCtrl::getPath() const { return m_filePath.str(); }

void CZorvAXCtrl::showFile() {
  if (Filename.empty()) return;
  if (platform::shell().open(Filename) < 32)
    controlBox(ansi("파일을 열 수 없습니다.\n") + Filename, ansi("파일열기"), mb::MB_TASKMODAL);
}

void CZorvAXCtrl::removeFile() {
  if (m_filePath.view() == Filename) deleteIfNamed(m_filePath.view());
  m_filePath.clear();
}

std::int32_t CZorvAXCtrl::saveFile(const std::string& str) {
  if (dialog != "0") {
    platform::FileDialogRequest request;
    request.save = true;
    request.defaultExtension = ansi("파일저장");
    request.initialName = Filename;
    request.flags = platform::ofn::OFN_HIDEREADONLY | platform::ofn::OFN_OVERWRITEPROMPT;
    request.filters = platform::parseFilterText(FileFilter);
    auto chosen = platform::ui().fileDialog(request);
    if (!chosen.ok) return -2;
    Filename = chosen.path;
  } else if (Filename.empty()) {
    Filename = makeTempFileName(m_tempDir.view(), "");
  }
  std::FILE* file = platform::fs::openFile(Filename, "wb");
  if (!file) {
    controlBox(ansi("파일을 열 수 없습니다.\n") + diskAdvice(), "ERROR", mb::MB_OK);
    return ret = -1;
  }
  bool written = std::fwrite(str.data(), 1, str.size(), file) == str.size() && std::fflush(file) == 0;
  // A full disk may only show when the file is closed.
  written = (std::fclose(file) == 0) && written;
  if (!written) {
    controlBox(ansi("파일에 기록할 수 없습니다.\n") + diskAdvice(), "ERROR", mb::MB_OK);
    return ret = -1;
  }
  return ret = 0;
}

std::int32_t CZorvAXCtrl::Run() {
  auto installPath = readInstallPath();
  std::string command = installPath ? joinPath(*installPath, kCompanionProgram) : kDefaultCompanionPath;
  command += " -PKGNAME " + Package;
  // An over-long line cannot be started whole; it is refused rather than cut.
  if (command.size() > kCommandLineLimit) return platform::launch::kPathNotFound;
  return platform::shell().launch(command);
}

}  // namespace zx
