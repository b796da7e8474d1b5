#include "host/native_frames.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <nlohmann/json.hpp>

namespace zx::host {
namespace {

// Reads exactly `size` bytes unless the input ends first; answers how many arrived.
size_t readFully(int fd, char* buffer, size_t size) {
  size_t done = 0;
  while (done < size) {
    ssize_t got = ::read(fd, buffer + done, size - done);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    done += static_cast<size_t>(got);
  }
  return done;
}

// Drops `size` bytes of input; false when the input ended first.
bool skip(int fd, std::uint64_t size) {
  char sink[64 * 1024];
  while (size > 0) {
    size_t want = size < sizeof sink ? static_cast<size_t>(size) : sizeof sink;
    size_t got = readFully(fd, sink, want);
    size -= got;
    if (got < want) return false;
  }
  return true;
}

// The end of the longest prefix of `text` no longer than `limit` that does not cut a character.
size_t characterBoundary(std::string_view text, size_t limit) {
  if (limit >= text.size()) return text.size();
  size_t cut = limit;
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  return cut;
}

}  // namespace

Frame readFrame(int fd) {
  Frame frame;
  char header[4];
  size_t got = readFully(fd, header, sizeof header);
  if (got == 0) return frame;
  if (got < sizeof header) {
    frame.kind = Frame::Kind::Truncated;
    return frame;
  }
  std::memcpy(&frame.length, header, sizeof frame.length);
  if (frame.length > kMaxIncomingMessage) {
    frame.kind = skip(fd, frame.length) ? Frame::Kind::TooLong : Frame::Kind::Truncated;
    return frame;
  }
  frame.text.resize(frame.length);
  got = readFully(fd, frame.text.data(), frame.length);
  frame.kind = got == frame.length ? Frame::Kind::Message : Frame::Kind::Truncated;
  frame.text.resize(got);
  return frame;
}

bool writeFrame(int fd, std::string_view message) {
  const auto length = static_cast<std::uint32_t>(message.size());
  std::string bytes(sizeof length, '\0');
  std::memcpy(bytes.data(), &length, sizeof length);
  bytes.append(message);
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t wrote = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) return false;
    done += static_cast<size_t>(wrote);
  }
  return true;
}

std::vector<std::string> messagesForReply(const std::string& replyJson, const std::string& idJson, size_t limit) {
  if (replyJson.size() <= limit) return {replyJson};
  // Escaping at most doubles a piece ('"' and '\' are the only characters of a JSON text
  // that need it again); the envelope takes the rest.
  const size_t piece = limit / 2 - 256;
  std::vector<std::string_view> pieces;
  std::string_view rest = replyJson;
  while (!rest.empty()) {
    size_t cut = characterBoundary(rest, piece);
    pieces.push_back(rest.substr(0, cut));
    rest.remove_prefix(cut);
  }
  std::vector<std::string> out;
  for (size_t i = 0; i < pieces.size(); ++i)
    out.push_back("{\"id\":" + idJson + ",\"part\":" + std::to_string(i) + ",\"parts\":" +
                  std::to_string(pieces.size()) + ",\"data\":" + nlohmann::json(std::string(pieces[i])).dump() + "}");
  return out;
}

}  // namespace zx::host
