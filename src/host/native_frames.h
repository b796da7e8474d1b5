#pragma once
// The browsers' native-messaging framing: each message is a 4-byte length in the machine's
// own byte order followed by that many bytes of UTF-8 JSON, on standard input and output.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zx::host {

// What the browser may send us in one message, and what it accepts from us in one.
constexpr std::uint32_t kMaxIncomingMessage = 1024 * 1024;
constexpr std::uint32_t kMaxOutgoingMessage = 1024 * 1024;

struct Frame {
  enum class Kind {
    Message,    // text holds the message's bytes
    TooLong,    // the length passed kMaxIncomingMessage; its bytes were read and dropped
    Truncated,  // the input ended inside a length or a message
    End,        // the input ended between messages
  };
  Kind kind = Kind::End;
  std::string text;
  std::uint32_t length = 0;
};

// Reads the next frame from a blocking descriptor.
Frame readFrame(int fd);
// Writes one frame; false when the reader has gone.
bool writeFrame(int fd, std::string_view message);

// A reply too long for one message, cut into pieces the extension puts back together:
// {"id":ID,"part":I,"parts":N,"data":TEXT}, the TEXTs joined in order giving the reply's JSON
// text. Cuts fall between UTF-8 characters. A reply that fits comes back as it is.
std::vector<std::string> messagesForReply(const std::string& replyJson, const std::string& idJson,
                                          size_t limit = kMaxOutgoingMessage);

}  // namespace zx::host
