#pragma once
// A Base64 text file as a byte stream: the reader decodes a received text, skipping every
// character outside the alphabet; the writer encodes into 72-character lines ended by CR LF.
#include <cstdint>
#include <memory>
#include <string_view>

#include "platform/fs.h"

namespace zx {

class CBase64File {
 public:
  struct State {
    platform::File file;
    int decodePhase = 0;
    std::uint8_t decodeCarry = 0;
    int encodePhase = 0;
    std::uint8_t encodeCarry = 0;
    int lineLength = 72;
    int column = 0;
    // The reader takes the text from the file in bulk; the counters still count single characters.
    std::unique_ptr<unsigned char[]> readBuffer;
    const unsigned char* readNext = nullptr;
    const unsigned char* readEnd = nullptr;
  };

  CBase64File() = default;
  ~CBase64File() { close(); }
  CBase64File(const CBase64File&) = delete;
  CBase64File& operator=(const CBase64File&) = delete;

  // mode "r" reads, "w" writes. nullptr when the file cannot be opened. The bytes are the same
  // on every platform: line breaks are written as CR LF and read as whatever the file holds.
  State* open(platform::FileSystem& fs, std::string_view path, const char* mode);
  // The next decoded byte (0-255), or -1 at the end of the data.
  int readByte();
  // Decodes up to n bytes; when fewer came, a zero byte follows them in buffer.
  int readBytes(std::uint8_t* buffer, int n);
  // Decodes up to a line feed (consumed, not stored), the end of the data or n stored bytes; after
  // a line feed or the end a zero byte follows. buffer when something was stored, else nullptr.
  std::uint8_t* readLine(std::uint8_t* buffer, int n);
  // Count of bytes accepted: stops at the first byte whose characters cannot be written.
  int writeBytes(const std::uint8_t* data, int n);
  // Pads a pending group and flushes the file; 0 on success.
  int flush();
  // Flushes and closes; 0 when everything reached the file. A second close does nothing.
  int close();

  // 64-bit so that texts beyond 2 GiB count right; the trace line and callers only compare them.
  std::int64_t charsRead = 0;
  std::int64_t bytesEncoded = 0;
  std::int64_t charsWritten = 0;

 private:
  int decode(std::uint8_t* out, int n, bool stopAtLineFeed, bool& sawLineFeed);
  bool refill();
  bool emit(char c);

  std::unique_ptr<State> state_;
};

// srcPath's bytes as a Base64 text file: 0, -101 when a file cannot be opened, -102 when the
// text cannot be written completely.
std::int32_t encodeFileBase64(platform::FileSystem& fs, std::string_view srcPath, std::string_view dstPath);

}  // namespace zx
