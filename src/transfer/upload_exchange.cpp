#include "transfer/upload_exchange.h"

#include <algorithm>
#include <climits>

#include "core/messages.h"
#include "platform/codepage.h"
#include "platform/fs.h"
#include "transfer/http_exchange.h"
#include "transfer/mac_address.h"
#include "ui/status_dialog.h"

namespace zx {

namespace mb = platform::mb;

namespace {

constexpr std::size_t kReadBlock = 4096;
constexpr std::size_t kWritePiece = 1024;

std::int32_t progressValue(std::int64_t value) { return static_cast<std::int32_t>(std::min<std::int64_t>(value, INT_MAX)); }

// Only the bytes from 0x21 to 0x7F travel: for the Base64 text the flow prepares, that drops
// exactly its line breaks.
std::string printableBytes(const char* data, std::size_t size) {
  std::string kept;
  kept.reserve(size);
  for (std::size_t i = 0; i < size; ++i) {
    unsigned char c = static_cast<unsigned char>(data[i]);
    if (c >= 0x21 && c <= 0x7F) kept += static_cast<char>(c);
  }
  return kept;
}

void fileOpenBox(platform::Ui& ui) {
  controlBox(ui, ansi("파일을 열 수 없습니다.\n다시 시도 하십시오."), ansi("파일열기"), mb::MB_OK);
}

// Appends the file's content to the form; 0, -1 (it cannot be read) or -2 (cancelled).
std::int32_t appendFileContent(const platform::Env& env, const ControlState& control, FormBody& form) {
  platform::File file = env.fs.open(control.m_filePath.view(), "rb");
  if (!file.isOpen()) {
    fileOpenBox(env.ui);
    return -1;
  }
  std::int64_t length = static_cast<std::int64_t>(file.size().value_or(0));
  std::int32_t range = progressValue(length);
  updateStatus(nullptr, ansi("엔코딩 중 입니다.").c_str(), 0, range);
  form.startField("cipherData");
  std::int64_t done = 0;
  char block[kReadBlock];
  while (std::size_t n = file.read(block, sizeof block)) {
    form.appendEncoded(printableBytes(block, n));
    done += static_cast<std::int64_t>(n);
    updateStatus(nullptr, nullptr, progressValue(done), range);
    if (statusCancelled()) return -2;
  }
  if (file.failed()) {
    fileOpenBox(env.ui);
    return -1;
  }
  return 0;
}

// Announces the body, then writes it in pieces with a progress update each; a cancel is no
// longer acted on once the body is on its way.
void sendInPieces(ControlState& control, platform::http::Request& request, const std::string& body) {
  control.size = progressValue(static_cast<std::int64_t>(body.size()));
  request.sendRequestEx(body.size());
  updateStatus(nullptr, ansi("전송 중 입니다.").c_str(), 0, control.size);
  for (std::size_t sent = 0; sent < body.size();) {
    std::size_t n = std::min(kWritePiece, body.size() - sent);
    request.write(body.data() + sent, n);
    sent += n;
    updateStatus(nullptr, nullptr, progressValue(static_cast<std::int64_t>(sent)), control.size);
  }
  request.endRequest();
}

}  // namespace

std::int32_t uploadExchange(const platform::Env& env, ControlState& control, const std::string& userId,
                            const std::string& compressed, const std::string& ciphered,
                            const std::string& cipherKeyText) {
  std::string macAddr = getMACAddr(env, "0");
  FormBody form;
  form.add("command", "upload");
  form.add("userId", userId);
  if (ciphered != "0") form.add("cipherKey", cipherKeyText);
  form.add("filename", control.Filename);
  form.add("compressed", compressed);
  form.add("ciphered", ciphered);
  form.add("macAddr", macAddr);
  if (std::int32_t read = appendFileContent(env, control, form); read != 0) return read;

  std::string headers = requestHeaders(control, Direction::Upload, form.size());
  updateStatus(nullptr, ansi("서버에 연결 중입니다.").c_str(), 0, 100);
  HttpExchange exchange(env, control, Direction::Upload, headers, form.text());
  return exchange.run(
      [&](platform::http::Request& request) -> std::int32_t {
        if (statusCancelled()) return -2;
        request.addRequestHeaders(headers);
        sendInPieces(control, request, form.text());
        return 0;
      },
      [&](platform::http::Request&) {
        exchange.closeRequestAndConnection();
        if (CStatusDlg* dlg = currentStatusDlg()) dlg->cancelled = false;
        return 0;
      },
      nullptr);
}

}  // namespace zx
