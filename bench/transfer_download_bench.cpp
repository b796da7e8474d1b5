// Download throughput: the control's download exchange (line reader, per-line progress with the
// progress dialog on screen, local file) against the curl command fetching the same body from
// the same document server on loopback in the same run.
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "control/zorvax_ctrl.h"
#include "peer_process.h"
#include "support/zx_test.h"
#include "doubles/scripted_ui.h"
#include "transfer/download_exchange.h"
#include "transfer/url_parsing.h"
#include "ui/status_dialog.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::size_t kBodyBytes = 64u << 20;
constexpr std::size_t kLineLength = 76;
constexpr int kRuns = 5;

// Base64-looking lines of 76 characters with CRLF up to 64 MiB, then the "." line.
std::string makeBody(std::size_t& dataBytes) {
  static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string body;
  body.reserve(kBodyBytes);
  dataBytes = 0;
  unsigned seed = 12345;
  while (body.size() + kLineLength + 2 + 3 <= kBodyBytes) {
    for (std::size_t i = 0; i < kLineLength; ++i) {
      seed = seed * 1103515245 + 12345;
      body += alphabet[(seed >> 16) & 63];
    }
    body += "\r\n";
    dataBytes += kLineLength;
  }
  body += ".\r\n";
  return body;
}

double seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

double timeControl(const zx::platform::Env& env, zx::CZorvAXCtrl& control, const std::string& file, bool withDialog,
                   std::size_t dataBytes) {
  zx::test::writeFile(file, "");
  std::unique_ptr<zx::CStatusDlg> progress;
  if (withDialog) progress = zx::showStatusDialog(env, true, "DOWNLOAD", "upper", "lower", true);
  auto start = Clock::now();
  std::int32_t result = zx::downloadExchange(env, control, "bench", "session", "0", "0");
  double elapsed = seconds(Clock::now() - start);
  progress.reset();
  auto size = std::filesystem::file_size(file);
  if (result != 0 || size != dataBytes) {
    std::fprintf(stderr, "control download failed: result %d, %zu bytes of %zu\n", result,
                 static_cast<std::size_t>(size), dataBytes);
    std::exit(1);
  }
  return elapsed;
}

double timeCurl(const std::string& url, const std::string& file) {
  std::string command = "curl -s -S -o '" + file + "' -d 'command=download' '" + url + "'";
  auto start = Clock::now();
  int status = std::system(command.c_str());
  double elapsed = seconds(Clock::now() - start);
  if (status != 0) {
    std::fprintf(stderr, "curl failed: %d\n", status);
    std::exit(1);
  }
  return elapsed;
}

}  // namespace

int main() {
  zx::test::TempDir work;
  zx::test::TestServices services(work.path(), work.path());
  const zx::platform::Env env = services.env();
  zxtest::PeerProcess peer;
  std::size_t dataBytes = 0;
  std::string body = makeBody(dataBytes);
  peer.putDocument("bench.b64", body);
  std::string url = peer.downloadUrl("/docs/bench.b64?mode=raw");

  zx::CZorvAXCtrl control(env);
  control.url = url;
  if (zx::parseUrl(env.ui, control) != 0) return 1;
  std::string file = work.file("received.tmp");
  if (!control.m_filePath.assign(file)) return 1;
  std::string curlFile = work.file("curl.out");

  std::vector<double> withDialog, withoutDialog, curl;
  for (int run = 0; run < kRuns; ++run) {
    curl.push_back(timeCurl(url, curlFile));
    withDialog.push_back(timeControl(env, control, file, true, dataBytes));
    withoutDialog.push_back(timeControl(env, control, file, false, dataBytes));
  }
  double mib = static_cast<double>(body.size()) / (1 << 20);
  double curlRate = mib / median(curl);
  std::printf("body: %.1f MiB in %zu lines of %zu characters, median of %d runs\n", mib, dataBytes / kLineLength,
              kLineLength, kRuns);
  std::printf("curl command            %8.1f MiB/s\n", curlRate);
  std::printf("control, dialog shown   %8.1f MiB/s  ratio %.2f\n", mib / median(withDialog),
              (mib / median(withDialog)) / curlRate);
  std::printf("control, no dialog      %8.1f MiB/s  ratio %.2f\n", mib / median(withoutDialog),
              (mib / median(withoutDialog)) / curlRate);
  return 0;
}
