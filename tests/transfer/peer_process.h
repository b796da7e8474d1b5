#pragma once
// Runs zorvax-docserver on loopback for a test: a fresh data folder, free ports, and the raw
// records of the requests it received.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace zxtest {

class PeerProcess {
 public:
  // Extra command-line arguments, e.g. {"--plain-upload"}.
  explicit PeerProcess(std::vector<std::string> arguments = {});
  ~PeerProcess();
  PeerProcess(const PeerProcess&) = delete;
  PeerProcess& operator=(const PeerProcess&) = delete;

  int httpPort() const { return httpPort_; }
  int uploadPort() const { return uploadPort_; }
  const std::string& publicKey() const { return publicKey_; }
  const std::filesystem::path& dataDir() const { return dataDir_; }
  const std::filesystem::path& stateDir() const { return stateDir_; }
  std::filesystem::path certificate() const { return stateDir_ / "cert.pem"; }

  // "http://127.0.0.1:PORT" + path (path starts with '/').
  std::string downloadUrl(const std::string& path) const;
  std::string uploadUrl(const std::string& path) const;

  void putDocument(const std::string& name, const std::string& bytes) const;

  // Number of requests recorded so far; the raw bytes and the notes of request n (1-based).
  unsigned requestCount() const;
  std::string rawRequest(unsigned number) const;
  std::string requestNote(unsigned number, const std::string& key) const;
  std::vector<std::filesystem::path> uploads() const;

 private:
  std::filesystem::path root_, dataDir_, stateDir_;
  int pid_ = -1;
  int stdinFd_ = -1;
  int httpPort_ = 0, uploadPort_ = 0;
  std::string publicKey_;
};

// Sets an environment variable for the object's lifetime.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value);
  ~ScopedEnv();

 private:
  std::string name_;
  bool had_;
  std::string old_;
};

}  // namespace zxtest
