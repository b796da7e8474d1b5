#include "flows/upload_flow.h"

#include <memory>
#include <optional>
#include <vector>

#include "core/file_helpers.h"
#include "core/messages.h"
#include "flows/page_file_dialog.h"
#include "platform/codepage.h"
#include "platform/exceptions.h"
#include "platform/fs.h"
#include "platform/ui.h"
#include "protect/base64_file.h"
#include "protect/gunzip.h"
#include "protect/key_material.h"
#include "protect/seed_file.h"
#include "transfer/upload_exchange.h"
#include "transfer/url_parsing.h"
#include "ui/path_consent.h"
#include "ui/status_dialog.h"

namespace zx {
namespace {

namespace mb = platform::mb;
using platform::Env;

// The files this upload made on the way; the user's own file is never among them.
class Intermediates {
 public:
  explicit Intermediates(platform::FileSystem& fs) : fs_(fs) {}

  std::string make(const Env& env, const ControlState& control) {
    std::string name = makeIntermediateFile(env, control.m_tempDir.view());
    if (!name.empty()) names_.push_back(name);
    return name;
  }
  bool contains(std::string_view path) const {
    for (const auto& n : names_)
      if (n == path) return true;
    return false;
  }
  void removeAll() {
    for (const auto& n : names_) deleteIfNamed(fs_, n);
    names_.clear();
  }
  void remove(std::string_view path) {
    deleteIfNamed(fs_, path);
    std::erase(names_, std::string(path));
  }

 private:
  platform::FileSystem& fs_;
  std::vector<std::string> names_;
};

// The file to send: picked in the file dialog, or named by Filename. An answer means the
// method ends with it before anything is shown.
std::optional<std::int32_t> chooseFile(const Env& env, ControlState& control) {
  if (control.dialog != "0") {
    auto picked = env.ui.fileDialog(pageFileDialog(control, false, ansi("파일선택"),
                                                   platform::ofn::OFN_HIDEREADONLY | platform::ofn::OFN_OVERWRITEPROMPT));
    if (!picked.ok) return control.ret = -2;
    control.Filename = picked.path;
    control.recordPicked(picked.path);
  }
  // Only a regular file with an end: a folder opens for reading too, and a pseudo-file such as
  // /proc/self/environ would send what the page must not see, or never end.
  const std::optional<std::string> source = admitPagePath(env, control, control.Filename, PageOperation::Send);
  if (source && env.fs.isOrdinaryFile(*source) && env.fs.open(*source, "rb").isOpen() &&
      control.m_filePath.assign(*source))
    return std::nullopt;
  controlBox(env.ui, ansi("업로드 할 자료를 열 수 없습니다.\r\n다시 시도 하십시오.[") + control.Filename + "]", ansi("파일열기"),
             mb::MB_TASKMODAL);
  return control.ret = -1;
}

std::int32_t prepareAndSend(const Env& env, ControlState& control, Intermediates& made, bool& deleteInputs,
                            const std::string& userId, const std::string& compressed, const std::string& ciphered) {
  if (compressed != "0") {
    std::string packed = made.make(env, control);
    if ((control.ret = compressStep(env, control.m_filePath.view(), packed)) != 0) return control.ret;
    (void)control.m_filePath.assign(packed);  // temporary names fit the path buffers
    deleteInputs = true;
  }
  if (statusCancelled()) return control.ret = -2;

  std::string keyText;
  if (ciphered != "0") {
    updateStatus(nullptr, ansi("자료를 암호화하고 있습니다.").c_str(), 0, 100);
    makeCipherKey(env.ui, control.Pubkey, 16, control.m_sessionKey, keyText);
    if ((control.ret = encipherStep(env, control.m_filePath.view(), control.m_sessionKey, 16, deleteInputs)) != 0)
      return control.ret;
  } else {
    std::string encoded = made.make(env, control);
    if (encodeFileBase64(env.fs, control.m_filePath.view(), encoded) != 0) {
      controlBox(env.ui, ansi("자료를 변환할 수 없습니다.\r\n") + diskAdvice() + "\n[" +
                     control.Filename + "]",
                 ansi("자료변환"), mb::MB_TASKMODAL);
      return control.ret = -1;
    }
    if (deleteInputs && made.contains(control.m_filePath.view())) made.remove(control.m_filePath.view());
    (void)control.m_filePath.assign(encoded);
  }
  if (statusCancelled()) return control.ret = -2;

  if ((control.ret = uploadExchange(env, control, userId, compressed, ciphered, keyText)) == 0)
    control.Filename = control.m_filePath.str();
  return control.ret;
}

}  // namespace

std::int32_t uploadFlow(const Env& env, ControlState& control, const std::string& userId,
                        const std::string& compressed, const std::string& ciphered) {
  if (parseUrl(env.ui, control) != 0) return control.ret = -1;
  if (auto early = chooseFile(env, control)) return *early;

  std::unique_ptr<CStatusDlg> progress =
      showStatusDialog(env, control.m_isVistaOrLater, "UPLOAD", ansi("센터로 자료를 전송합니다."),
                       ansi("전송할 자료를 준비하고 있습니다."), false);
  bool deleteInputs = !isDebugEnabled(env.registry);
  Intermediates made(env.fs);
  std::int32_t result;
  try {
    result = prepareAndSend(env, control, made, deleteInputs, userId, compressed, ciphered);
  } catch (const FrameworkException&) {
    progress.reset();
    made.removeAll();
    throw;
  }

  const bool wasCancelled = progress->cancelled;
  progress.reset();
  if (wasCancelled) controlBox(env.ui, ansi("자료 전송을 취소하였습니다."), ansi("취소"), mb::MB_TASKMODAL);
  if (deleteInputs) made.removeAll();
  return result;
}

}  // namespace zx
