#pragma once
// Native-messaging frames as a browser writes them to the host, and the host's replies read back.
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

namespace zx::hosttest {

inline std::string frame(const std::string& bytes, std::uint32_t length) {
  std::string out(4, '\0');
  std::memcpy(out.data(), &length, 4);
  return out + bytes;
}
inline std::string frame(const std::string& bytes) { return frame(bytes, static_cast<std::uint32_t>(bytes.size())); }
inline std::string frame(const nlohmann::json& message) { return frame(message.dump()); }
inline std::string frame(const char* bytes) { return frame(std::string(bytes)); }

inline std::vector<nlohmann::json> replies(const std::string& out) {
  std::vector<nlohmann::json> all;
  size_t at = 0;
  while (at + 4 <= out.size()) {
    std::uint32_t length;
    std::memcpy(&length, out.data() + at, 4);
    EXPECT_LE(at + 4 + length, out.size()) << "a reply frame runs past the output";
    EXPECT_LE(length, 1024u * 1024u) << "a reply frame passes the browser's limit";
    all.push_back(nlohmann::json::parse(out.substr(at + 4, length)));
    at += 4 + length;
  }
  EXPECT_EQ(at, out.size());
  return all;
}

// One frame the host wrote, read from `fd`; nullopt at the end of its output.
inline std::optional<std::string> readReply(int fd) {
  auto readAll = [fd](char* into, size_t size) {
    for (size_t got = 0; got < size;) {
      const ssize_t n = ::read(fd, into + got, size - got);
      if (n <= 0) return false;
      got += static_cast<size_t>(n);
    }
    return true;
  };
  std::uint32_t length = 0;
  if (!readAll(reinterpret_cast<char*>(&length), 4)) return std::nullopt;
  std::string body(length, '\0');
  if (!readAll(body.data(), length)) return std::nullopt;
  return frame(body);
}

// Talks to the host as a browser does while its page lives: `command` (a shell command line)
// gets each frame, and its reply is read before the next is written; then its input closes.
// The replies, in order.
inline std::vector<nlohmann::json> converse(const std::string& command, const std::vector<std::string>& frames) {
  int in[2], out[2];
  if (::pipe(in) != 0 || ::pipe(out) != 0) return {};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in[0], 0);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  for (int fd : {in[0], in[1], out[0], out[1]}) posix_spawn_file_actions_addclose(&actions, fd);
  std::vector<std::string> args{"/bin/sh", "-c", command};
  std::vector<char*> argv{args[0].data(), args[1].data(), args[2].data(), nullptr};
  pid_t pid = -1;
  const int spawned = posix_spawn(&pid, "/bin/sh", &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(in[0]);
  ::close(out[1]);
  std::string replies;
  if (spawned == 0) {
    for (const auto& message : frames) {
      if (::write(in[1], message.data(), message.size()) != static_cast<ssize_t>(message.size())) break;
      auto reply = readReply(out[0]);
      if (!reply) break;
      replies += *reply;
    }
  }
  ::close(in[1]);
  while (auto rest = readReply(out[0])) replies += *rest;
  ::close(out[0]);
  int status = 0;
  if (spawned == 0) ::waitpid(pid, &status, 0);
  EXPECT_TRUE(spawned == 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0) << command;
  return hosttest::replies(replies);
}

}  // namespace zx::hosttest
