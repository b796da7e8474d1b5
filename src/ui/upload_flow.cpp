#include "ui/upload_flow.h"

#include <cstdio>
#include <optional>
#include <vector>

#include "control/exceptions.h"
#include "control/file_helpers.h"
#include "control/messages.h"
#include "control/zorvax_ctrl.h"
#include "platform/codepage.h"
#include "platform/fs.h"
#include "platform/ui.h"
#include "protect/base64_file.h"
#include "protect/gunzip.h"
#include "protect/key_material.h"
#include "protect/seed_file.h"
#include "transfer/url_parsing.h"
#include "transfer/upload_exchange.h"
#include "ui/status_dialog.h"

namespace zx {
namespace {

namespace mb = platform::mb;

// The files this upload made on the way; the user's own file is never among them.
class Intermediates {
 public:
  std::string make(const CZorvAXCtrl& control) {
    std::string name = makeTempFileName(control.m_tempDir.view(), "");
    if (!name.empty()) names_.push_back(name);
    return name;
  }
  bool contains(std::string_view path) const {
    for (const auto& n : names_)
      if (n == path) return true;
    return false;
  }
  void removeAll() {
    for (const auto& n : names_) deleteIfNamed(n);
    names_.clear();
  }
  void remove(std::string_view path) {
    deleteIfNamed(path);
    std::erase(names_, std::string(path));
  }

 private:
  std::vector<std::string> names_;
};

// The file to send: picked in the file dialog, or named by Filename. An answer means the
// method ends with it before anything is shown.
std::optional<std::int32_t> chooseFile(CZorvAXCtrl& control) {
  if (control.dialog != "0") {
    platform::FileDialogRequest request;
    request.save = false;
    request.defaultExtension = ansi("파일선택");
    request.initialName = control.Filename;
    request.flags = platform::ofn::OFN_HIDEREADONLY | platform::ofn::OFN_OVERWRITEPROMPT;
    request.filters = platform::parseFilterText(control.FileFilter);
    auto picked = platform::ui().fileDialog(request);
    if (!picked.ok) return control.ret = -2;
    if (control.m_filePath.assign(picked.path)) {
      control.Filename = picked.path;
      return std::nullopt;
    }
    control.Filename = picked.path;
  } else if (platform::fs::isRegularFile(control.Filename)) {
    // A folder opens for reading here too, but it is nothing to send.
    if (std::FILE* f = platform::fs::openFile(control.Filename, "rb")) {
      std::fclose(f);
      if (control.m_filePath.assign(control.Filename)) return std::nullopt;
    }
  }
  controlBox(ansi("업로드 할 자료를 열 수 없습니다.\r\n다시 시도 하십시오.[") + control.Filename + "]", ansi("파일열기"),
             mb::MB_TASKMODAL);
  return control.ret = -1;
}

std::int32_t prepareAndSend(CZorvAXCtrl& control, Intermediates& made, bool& deleteInputs, const std::string& userId,
                            const std::string& compressed, const std::string& ciphered) {
  if (compressed != "0") {
    std::string packed = made.make(control);
    if ((control.ret = compressStep(control.m_filePath.view(), packed)) != 0) return control.ret;
    control.m_filePath.assign(packed);
    deleteInputs = true;
  }
  if (statusCancelled()) return control.ret = -2;

  std::string keyText;
  if (ciphered != "0") {
    updateStatus(nullptr, ansi("자료를 암호화하고 있습니다.").c_str(), 0, 100);
    makeCipherKey(control.Pubkey, 16, control.m_sessionKey, keyText);
    if ((control.ret = encipherStep(control.m_filePath.view(), control.m_sessionKey, 16, deleteInputs)) != 0)
      return control.ret;
  } else {
    std::string encoded = made.make(control);
    if (encodeFileBase64(control.m_filePath.view(), encoded) != 0) {
      controlBox(ansi("자료를 변환할 수 없습니다.\r\n디스크 여유 공간을 확인하시고, 이상이 없으면 다시 시도 하십시오.\n[") +
                     control.Filename + "]",
                 ansi("자료변환"), mb::MB_TASKMODAL);
      return control.ret = -1;
    }
    if (deleteInputs && made.contains(control.m_filePath.view())) made.remove(control.m_filePath.view());
    control.m_filePath.assign(encoded);
  }
  if (statusCancelled()) return control.ret = -2;

  if ((control.ret = uploadExchange(control, userId, compressed, ciphered, keyText)) == 0)
    control.Filename = control.m_filePath.str();
  return control.ret;
}

}  // namespace

std::int32_t uploadFlow(CZorvAXCtrl& control, const std::string& userId, const std::string& compressed,
                        const std::string& ciphered) {
  if (parseUrl(control) != 0) return control.ret = -1;
  if (auto early = chooseFile(control)) return *early;

  showStatusDialog(control, "UPLOAD", ansi("센터로 자료를 전송합니다."), ansi("전송할 자료를 준비하고 있습니다."), false);
  bool deleteInputs = !isDebugEnabled();
  Intermediates made;
  std::int32_t result;
  try {
    result = prepareAndSend(control, made, deleteInputs, userId, compressed, ciphered);
  } catch (const FrameworkException&) {
    delete currentStatusDlg;
    currentStatusDlg = nullptr;
    made.removeAll();
    throw;
  }

  if (currentStatusDlg) {
    bool wasCancelled = currentStatusDlg->cancelled;
    delete currentStatusDlg;
    currentStatusDlg = nullptr;
    if (wasCancelled) controlBox(ansi("자료 전송을 취소하였습니다."), ansi("취소"), mb::MB_TASKMODAL);
  }
  if (deleteInputs) made.removeAll();
  return result;
}

std::int32_t CZorvAXCtrl::upload(const std::string& userId, const std::string& compressed, const std::string& ciphered) {
  return uploadFlow(*this, userId, compressed, ciphered);
}

}  // namespace zx
