// The download method end to end, as a page would run it through the host program (dialog 0,
// ciphered and compressed), against the same document fetched by the pipeline
// curl | base64 -d | tail | openssl enc -d -seed-ecb | gzip -d, from the same document server on
// loopback in the same run. The host runs twice per round: with the console interface, and with
// the desktop interface on Qt's offscreen platform, whose progress dialog takes every update.
// Reports wall time and the peak resident size of the largest process on each side, for each
// document size given (MiB, default 16 and 64).
#include <spawn.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "peer_process.h"
#include "platform/console_ui.h"
#include "protect/key_material.h"
#include "protect/url_encode.h"
#include "support/zx_test.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
constexpr int kRuns = 5;

struct Measure {
  double seconds = 0;
  long peakKiB = 0;
  int status = -1;
};

// Runs argv under /usr/bin/time with extra environment entries and its standard output in a
// file. The peak resident size comes from time's wait on its own small fork, so this program's
// size (a spawned child carries its parent's high-water mark through exec) does not count; for
// a pipeline it is that of the largest process.
Measure run(std::vector<std::string> args, const std::string& outFile, const std::vector<std::string>& extraEnv = {}) {
  const std::string peakFile = outFile + ".peak";
  args.insert(args.begin(), {"/usr/bin/time", "-f", "%M", "-o", peakFile});
  std::vector<char*> argv, envp;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::vector<std::string> env(extraEnv);
  for (char** e = environ; *e; ++e) env.emplace_back(*e);
  for (auto& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  Measure m;
  pid_t pid;
  auto start = Clock::now();
  int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return m;
  int status = 0;
  waitpid(pid, &status, 0);
  m.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  m.peakKiB = std::atol(zx::test::readFile(peakFile).c_str());
  m.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return m;
}

// Text lines of words, about as compressible as an ordinary document.
std::string makeDocument(std::size_t bytes) {
  static const char* words[] = {"전자문서", "교환", "document", "exchange", "보안", "2026", "line", "통신",
                                "the", "page", "ZorvAX", "서버", "control", "download", "파일", "값"};
  std::string text;
  text.reserve(bytes + 64);
  unsigned seed = 2026;
  while (text.size() < bytes) {
    seed = seed * 1103515245u + 12345u;
    text += words[(seed >> 16) & 15];
    text += ((seed >> 8) & 7) == 0 ? "\r\n" : " ";
    if (((seed >> 4) & 63) == 0) text += std::to_string(seed);
  }
  text.resize(bytes);
  return text;
}

std::string hex(const std::uint8_t* bytes, std::size_t n) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (std::size_t i = 0; i < n; ++i) {
    out += digits[bytes[i] >> 4];
    out += digits[bytes[i] & 15];
  }
  return out;
}

std::string quoted(const std::string& s) { return "'" + s + "'"; }

bool sameFile(const std::string& path, const std::string& bytes) {
  return fs::exists(path) && fs::file_size(path) == bytes.size() && zx::test::readFile(path) == bytes;
}

void fail(const std::string& what) {
  std::fprintf(stderr, "flows_download_bench: %s\n", what.c_str());
  std::exit(1);
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

void benchSize(const zxtest::PeerProcess& peer, const zx::test::TempDir& work, std::size_t mib) {
  const std::string name = "bench-" + std::to_string(mib) + ".txt";
  const std::string document = makeDocument(mib << 20);
  peer.putDocument(name, document);
  const std::string url = peer.downloadUrl("/docs/" + name);

  // The pipeline's own session key, wrapped for the server just as the control wraps its own.
  std::uint8_t key[16];
  std::string cipherKey;
  zx::platform::ConsoleUi console;
  zx::makeCipherKey(console, peer.publicKey(), 16, key, cipherKey);
  if (cipherKey.empty()) fail("cannot wrap a session key");
  const std::string form = work.file("form");
  zx::test::writeFile(form, "command=download&userId=bench&sessionId=s1&cipherKey=" + zx::CURLEncode().encode(cipherKey) +
                                "&version=3.2.0.1");
  const std::string pipeOut = work.file("pipeline.out");
  // The decoded stream starts with the header line "ZXDOC 1\n" (8 bytes); -i skips the "." line.
  const std::string pipeline = "set -o pipefail; curl -s -S --data-binary @" + quoted(form) + " " + quoted(url) +
                               " | base64 -di | tail -c +9 | openssl enc -d -seed-ecb -provider legacy "
                               "-provider default -K " + hex(key, 16) + " | gzip -d > " + quoted(pipeOut);

  const std::string downloads = work.file("downloads");
  fs::create_directories(downloads);
  auto host = [&](const std::string& ui) {
    return std::vector<std::string>{fs::absolute(zx::test::binary("zorvax")).string(),
                                    "--home", work.file("home"), "--ui=" + ui,
                                    "set", "url", url, "set", "Pubkey", peer.publicKey(), "set", "Filename", name,
                                    "set", "dialog", "0", "call", "download", "bench", "s1", "1", "1"};
  };
  auto runHost = [&](const std::string& ui, const std::vector<std::string>& env) {
    Measure h = run(host(ui), work.file("host.out"), env);
    const std::string saved = downloads + "/" + name;
    if (h.status != 0 || zx::test::readFile(work.file("host.out")) != "0\n" || !sameFile(saved, document))
      fail("the host (--ui=" + ui + ") did not give back the document");
    fs::remove(saved);
    if (!fs::is_empty(downloads)) fail("the host left temporary files behind");
    return h;
  };
  const std::vector<std::string> consoleEnv{"TMP=" + downloads};
  const std::vector<std::string> desktopEnv{"TMP=" + downloads, "QT_QPA_PLATFORM=offscreen"};

  std::vector<double> consoleTimes, desktopTimes, pipeTimes;
  long consolePeak = 0, desktopPeak = 0, pipePeak = 0;
  for (int i = 0; i < kRuns; ++i) {
    Measure p = run({"/bin/bash", "-c", pipeline}, work.file("pipeline.log"));
    if (p.status != 0 || !sameFile(pipeOut, document)) fail("the pipeline did not give back the document");
    fs::remove(pipeOut);
    // Each interface goes first in every other round, so that neither always meets a warm cache.
    Measure c, d;
    if (i % 2 == 0) {
      c = runHost("console", consoleEnv);
      d = runHost("qt", desktopEnv);
    } else {
      d = runHost("qt", desktopEnv);
      c = runHost("console", consoleEnv);
    }
    consoleTimes.push_back(c.seconds);
    desktopTimes.push_back(d.seconds);
    pipeTimes.push_back(p.seconds);
    consolePeak = std::max(consolePeak, c.peakKiB);
    desktopPeak = std::max(desktopPeak, d.peakKiB);
    pipePeak = std::max(pipePeak, p.peakKiB);
  }
  double consoleT = median(consoleTimes), desktopT = median(desktopTimes), pipeT = median(pipeTimes);
  std::printf("%4zu MiB  zorvax console %6.2f s %6.1f MiB | zorvax qt %6.2f s %6.1f MiB | pipeline %6.2f s %6.1f MiB"
              " | console/pipeline %.2f  qt/console %.2f\n",
              mib, consoleT, consolePeak / 1024.0, desktopT, desktopPeak / 1024.0, pipeT, pipePeak / 1024.0,
              consoleT / pipeT, desktopT / consoleT);
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  // The built programs sit in bin/ beside this program's folder unless told otherwise.
  if (!std::getenv("ZX_TEST_BIN_DIR"))
    setenv("ZX_TEST_BIN_DIR", fs::read_symlink("/proc/self/exe").parent_path().parent_path().c_str(), 1);
  std::vector<std::size_t> sizes;
  for (int i = 1; i < argc; ++i) sizes.push_back(std::strtoul(argv[i], nullptr, 10));
  if (sizes.empty()) sizes = {16, 64};

  zx::test::TempDir work;
  zxtest::ScopedEnv home("ZORVAX_HOME", work.file("home"));
  zxtest::PeerProcess peer;
  std::printf("median of %d runs; peak = largest resident size of one process on each side\n", kRuns);
  for (std::size_t mib : sizes) benchSize(peer, work, mib);
  return 0;
}
