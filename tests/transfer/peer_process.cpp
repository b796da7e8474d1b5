#include "peer_process.h"

#include "support/zx_test.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace zxtest {

namespace fs = std::filesystem;

namespace {
fs::path binDir() {
  const char* dir = std::getenv("ZX_TEST_BIN_DIR");
  return fs::path(dir ? dir : ".") / "bin";
}

std::string readLineFrom(int fd) {
  std::string line;
  char c;
  while (::read(fd, &c, 1) == 1 && c != '\n') line += c;
  return line;
}
}  // namespace

ScopedEnv::ScopedEnv(const char* name, const std::string& value) : name_(name), had_(std::getenv(name) != nullptr) {
  if (had_) old_ = std::getenv(name);
  ::setenv(name, value.c_str(), 1);
}

ScopedEnv::~ScopedEnv() {
  if (had_)
    ::setenv(name_.c_str(), old_.c_str(), 1);
  else
    ::unsetenv(name_.c_str());
}

PeerProcess::PeerProcess(std::vector<std::string> arguments) {
  std::string pattern = (fs::temp_directory_path() / "zxpeer-XXXXXX").string();
  if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  root_ = pattern;
  dataDir_ = root_ / "docs";
  stateDir_ = root_ / "state";
  fs::create_directories(dataDir_);
  std::string program = (binDir() / "zorvax-docserver").string();
  std::vector<std::string> args{program, "--data", dataDir_.string(), "--state", stateDir_.string(),
                                "--exit-on-eof", "--quiet"};
  args.insert(args.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (auto& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);

  int input[2], output[2];
  if (::pipe2(input, O_CLOEXEC) != 0 || ::pipe2(output, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, input[0], 0);
  posix_spawn_file_actions_adddup2(&actions, output[1], 1);
  if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ) != 0)
    throw std::runtime_error("cannot start " + program);
  posix_spawn_file_actions_destroy(&actions);
  ::close(input[0]);
  ::close(output[1]);
  stdinFd_ = input[1];
  for (std::string line = readLineFrom(output[0]); line != "ready"; line = readLineFrom(output[0])) {
    if (line.empty()) throw std::runtime_error("the document server did not start");
    std::string key = line.substr(0, line.find(' ')), value = line.substr(line.find(' ') + 1);
    if (key == "http-port") httpPort_ = std::stoi(value);
    if (key == "upload-port") uploadPort_ = std::stoi(value);
    if (key == "pubkey") publicKey_ = value;
  }
  ::close(output[0]);
}

PeerProcess::~PeerProcess() {
  ::close(stdinFd_);
  int status = 0;
  ::waitpid(pid_, &status, 0);
  std::error_code ignored;
  fs::remove_all(root_, ignored);
}

std::string PeerProcess::downloadUrl(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(httpPort_) + path;
}

std::string PeerProcess::uploadUrl(const std::string& path) const {
  return "https://127.0.0.1:" + std::to_string(uploadPort_) + path;
}

void PeerProcess::putDocument(const std::string& name, const std::string& bytes) const {
  zx::test::writeFile((dataDir_ / name).string(), bytes);
}

unsigned PeerProcess::requestCount() const {
  unsigned count = 0;
  for (const auto& entry : fs::directory_iterator(stateDir_ / "requests"))
    if (entry.path().extension() == ".http") ++count;
  return count;
}

static std::string numbered(unsigned number) {
  char text[16];
  std::snprintf(text, sizeof text, "%06u", number);
  return text;
}

std::string PeerProcess::rawRequest(unsigned number) const {
  return zx::test::readFile((stateDir_ / "requests" / (numbered(number) + ".http")).string());
}

std::string PeerProcess::requestNote(unsigned number, const std::string& key) const {
  std::istringstream notes(zx::test::readFile((stateDir_ / "requests" / (numbered(number) + ".txt")).string()));
  for (std::string line; std::getline(notes, line);)
    if (line.starts_with(key + "=")) return line.substr(key.size() + 1);
  return {};
}

std::vector<fs::path> PeerProcess::uploads() const {
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(stateDir_ / "uploads")) files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace zxtest
