#include "transfer/download_exchange.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "core/file_helpers.h"
#include "core/messages.h"
#include "platform/codepage.h"
#include "platform/fs.h"
#include "platform/version.h"
#include "protect/key_material.h"
#include "transfer/http_exchange.h"
#include "ui/status_dialog.h"

namespace zx {

namespace mb = platform::mb;

namespace {

constexpr std::size_t kLinePiece = 510;
constexpr std::size_t kWriteBuffer = 256 * 1024;

std::string_view trimmed(std::string_view text) {
  constexpr std::string_view blanks = " \t\n\v\f\r";
  size_t first = text.find_first_not_of(blanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

void communicationBox(platform::Ui& ui, const std::string& text) { controlBox(ui, text, ansi("통신장애"), mb::MB_OK); }

void fileCreationBox(platform::Ui& ui) {
  controlBox(ui, ansi("파일을 생성할 수 없습니다.\n") + diskAdvice(),
             ansi("파일생성오류"), mb::MB_OK);
}

// The bar's range: the announced body length when there is one, else what can be read now.
std::int32_t progressRange(platform::http::Request& request) {
  std::uint64_t range = request.contentLength().value_or(request.queryDataAvailable());
  return static_cast<std::int32_t>(std::clamp<std::uint64_t>(range, 1, INT_MAX));
}

// An "HTTP/" line before the data: skipped when its code starts with 2; otherwise the box.
bool acceptEmbeddedStatus(platform::Ui& ui, std::string_view line) {
  size_t space = line.find(' ');
  std::string_view code = line;
  if (space != std::string_view::npos) {
    code = line.substr(space);
    code.remove_prefix(std::min(code.find_first_not_of(' '), code.size()));
    if (code.starts_with('2')) return true;
  }
  char text[2048];
  std::snprintf(text, sizeof text,
                ansi("서버에서 오류 응답을 보내왔습니다.\n다시 시도 하십시오.\n서버응답:[%s]").c_str(),
                std::string(code).c_str());
  communicationBox(ui, text);
  return false;
}

class BodyReader {
 public:
  BodyReader(const platform::Env& env, const ControlState& control, platform::http::Request& request,
             platform::File& file)
      : env_(env), control_(control), request_(request), file_(file) {}

  std::int32_t run() {
    std::int32_t range = progressRange(request_);
    updateStatus(nullptr, ansi("다운로드 중 입니다.").c_str(), 0, range);
    showCurrentByteCounts(0, control_.size);
    std::int64_t total = 0;
    char buffer[kLinePiece + 2];
    while (true) {
      if (statusCancelled()) {
        file_.close();
        return -2;
      }
      if (!request_.readLine(buffer, kLinePiece)) return finish(total > 0 ? 0 : noData());
      std::string_view line = trimmed(std::string_view(buffer, std::strlen(buffer)));
      if (line.size() <= 1) {
        if (line == ".") return finish(0);
        communicationBox(env_.ui, ansi("통신 장애 입니다.\n다시 시도 하십시오"));
        return -1;
      }
      if (total == 0 && line.starts_with("HTTP/")) {
        if (acceptEmbeddedStatus(env_.ui, line)) continue;
        return -1;
      }
      // A write that fails must not leave a shortened document looking complete.
      if (!file_.write(line)) return finish(0);
      total += static_cast<std::int64_t>(line.size());
      updateStatus(nullptr, nullptr, static_cast<std::int32_t>(std::min<std::int64_t>(total, INT_MAX)), range);
    }
  }

 private:
  std::int32_t noData() {
    communicationBox(env_.ui, ansi("수신된 데이터가 없습니다.\n다시 시도 하십시오."));
    return -1;
  }

  std::int32_t finish(std::int32_t result) {
    if (file_.close()) return result;
    fileCreationBox(env_.ui);
    return -1;
  }

  const platform::Env& env_;
  const ControlState& control_;
  platform::http::Request& request_;
  platform::File& file_;
};

}  // namespace

std::int32_t downloadExchange(const platform::Env& env, ControlState& control, const std::string& userId,
                              const std::string& sessionId, const std::string&, const std::string&) {
  std::string cipherKey;
  makeCipherKey(env.ui, control.Pubkey, sizeof control.m_sessionKey, control.m_sessionKey, cipherKey);
  FormBody form;
  form.add("command", "download");
  form.add("userId", userId);
  form.add("sessionId", sessionId);
  form.add("cipherKey", cipherKey);
  form.add("version", kProtocolVersion);
  std::string headers = requestHeaders(control, Direction::Download, form.size());

  // The flow made the file: it is written, never created or emptied here.
  platform::File file = env.fs.open(control.m_filePath.view(), "r+b");
  if (!file.isOpen()) {
    fileCreationBox(env.ui);
    deleteIfNamed(env.fs, control.m_filePath.view());
    return -1;
  }
  // Lines are written one by one; a large buffer keeps that from costing a system call each.
  file.setBufferSize(kWriteBuffer);
  HttpExchange exchange(env, control, Direction::Download, headers,
                        [&form](platform::http::Request& request) { request.sendRequest({}, form.text()); });
  std::int32_t result = exchange.run(
      [&](platform::http::Request& request) {
        request.sendRequest(headers, form.text());
        return 0;
      },
      [&](platform::http::Request& request) {
        std::int32_t read = BodyReader(env, control, request, file).run();
        exchange.closeRequestAndConnection();
        return read;
      },
      [&] { file.close(); });
  file.close();
  return result;
}

}  // namespace zx
