#include "transfer/upload_exchange.h"

#include <algorithm>
#include <climits>

#include "core/messages.h"
#include "platform/codepage.h"
#include "platform/exceptions.h"
#include "platform/fs.h"
#include "protect/url_encode.h"
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

// The request body: the form's fields, then the prepared file's content as the last field,
// read from the file in blocks each time the body is needed, so memory does not grow with the
// file. The content is what the form would hold: its printable bytes, URL-encoded.
class UploadBody {
 public:
  UploadBody(const platform::Env& env, std::string fields, std::string_view path)
      : env_(env), fields_(std::move(fields)), path_(path) {}

  // Reads the file once for the body's length, with progress; 0, -1 (it cannot be read) or -2
  // (cancelled).
  std::int32_t measure() {
    platform::File file = open();
    if (!file.isOpen()) return -1;
    const std::int32_t range = progressValue(static_cast<std::int64_t>(file.size().value_or(0)));
    updateStatus(nullptr, ansi("엔코딩 중 입니다.").c_str(), 0, range);
    size_ = fields_.size();
    std::int64_t done = 0;
    char block[kReadBlock];
    while (std::size_t n = file.read(block, sizeof block)) {
      size_ += encoder_.encode(printableBytes(block, n)).size();
      done += static_cast<std::int64_t>(n);
      updateStatus(nullptr, nullptr, progressValue(done), range);
      if (statusCancelled()) return -2;
    }
    return file.failed() ? -1 : 0;
  }

  std::uint64_t size() const { return size_; }

  // Announces the body and writes it in pieces of 1024 bytes with a progress update each.
  void send(ControlState& control, platform::http::Request& request) {
    control.size = progressValue(static_cast<std::int64_t>(size_));
    request.sendRequestEx(size_);
    updateStatus(nullptr, ansi("전송 중 입니다.").c_str(), 0, control.size);
    platform::File file = open();
    if (!file.isOpen()) throw FileException(ansi("파일을 열 수 없습니다.\n") + path_);
    std::string pending = fields_;
    std::uint64_t sent = 0;
    char block[kReadBlock];
    auto writePieces = [&](bool all) {
      std::size_t at = 0;
      for (; pending.size() - at >= kWritePiece || (all && at < pending.size());) {
        const std::size_t n = std::min(kWritePiece, pending.size() - at);
        request.write(pending.data() + at, n);
        at += n;
        sent += n;
        updateStatus(nullptr, nullptr, progressValue(static_cast<std::int64_t>(sent)), control.size);
      }
      pending.erase(0, at);
    };
    while (std::size_t n = file.read(block, sizeof block)) {
      pending += encoder_.encode(printableBytes(block, n));
      writePieces(false);
    }
    writePieces(true);
    // A file that changed since it was measured cannot fill the announced length.
    if (sent != size_ || file.failed()) throw FileException(ansi("파일을 읽을 수 없습니다.\n") + path_);
  }

 private:
  // Only a regular file of a real file system: not a device, not a pseudo-file that never ends.
  platform::File open() {
    if (!env_.fs.isOrdinaryFile(path_)) return platform::File();
    return env_.fs.open(path_, "rb");
  }

  const platform::Env& env_;
  std::string fields_;
  std::string path_;
  std::uint64_t size_ = 0;
  CURLEncode encoder_;
};

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
  form.startField("cipherData");
  UploadBody body(env, form.text(), control.m_filePath.view());
  if (std::int32_t read = body.measure(); read != 0) {
    if (read == -1) fileOpenBox(env.ui);
    return read;
  }

  std::string headers = requestHeaders(control, Direction::Upload, body.size());
  updateStatus(nullptr, ansi("서버에 연결 중입니다.").c_str(), 0, 100);
  // A cancel ends the upload while the body is on its way; once the server has all of it, the
  // file is stored whatever the user clicks, and the server's answer is the result.
  auto deliver = [&](HttpExchange& exchange, platform::http::Request& request) {
    exchange.letCancelEndWaits(true);
    body.send(control, request);
    exchange.letCancelEndWaits(false);
    request.endRequest();
  };
  HttpExchange exchange(env, control, Direction::Upload, headers,
                        [&](platform::http::Request& request) { deliver(exchange, request); });
  return exchange.run(
      [&](platform::http::Request& request) -> std::int32_t {
        if (statusCancelled()) return -2;
        request.addRequestHeaders(headers);
        deliver(exchange, request);
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
