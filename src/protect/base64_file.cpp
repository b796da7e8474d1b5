#include "protect/base64_file.h"

#include <array>


namespace zx {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr unsigned kNotInAlphabet = 0xFF;
constexpr std::size_t kReadBufferSize = 64 * 1024;
constexpr std::size_t kCopyChunkSize = 2048;

constexpr std::array<std::uint8_t, 256> makeDecodeTable() {
  std::array<std::uint8_t, 256> table{};
  table.fill(kNotInAlphabet);
  for (unsigned i = 0; i < 64; ++i) table[static_cast<unsigned char>(kAlphabet[i])] = static_cast<std::uint8_t>(i);
  return table;
}
constexpr std::array<std::uint8_t, 256> kDecode = makeDecodeTable();

}  // namespace

CBase64File::State* CBase64File::open(platform::FileSystem& fs, std::string_view path, const char* mode) {
  close();
  const bool reading = mode[0] == 'r';
  platform::File file = fs.open(path, reading ? "rb" : "wb");
  if (!file.isOpen()) return nullptr;
  state_ = std::make_unique<State>();
  state_->file = std::move(file);
  if (reading) {
    state_->readBuffer = std::make_unique_for_overwrite<unsigned char[]>(kReadBufferSize);
    state_->readNext = state_->readEnd = state_->readBuffer.get();
  }
  return state_.get();
}

bool CBase64File::refill() {
  State& s = *state_;
  if (!s.readBuffer) return false;
  const std::size_t got = s.file.read(s.readBuffer.get(), kReadBufferSize);
  if (got == 0) return false;  // end of file or a read error: both end the data
  s.readNext = s.readBuffer.get();
  s.readEnd = s.readNext + got;
  return true;
}

// The decoding loop of all three readers. Four characters of the alphabet in a row are the common
// case and are decoded at once; everything else goes through the group phase one sextet at a time.
int CBase64File::decode(std::uint8_t* out, int n, bool stopAtLineFeed, bool& sawLineFeed) {
  sawLineFeed = false;
  if (!state_) return 0;
  State& s = *state_;
  const unsigned char* p = s.readNext;
  const unsigned char* end = s.readEnd;
  const unsigned char* uncounted = p;
  unsigned phase = static_cast<unsigned>(s.decodePhase);
  unsigned carry = s.decodeCarry;
  int produced = 0;

  while (produced < n) {
    unsigned byte;
    if (p == end) {
      charsRead += p - uncounted;
      s.readNext = p;
      const bool more = refill();
      p = uncounted = s.readNext;
      end = s.readEnd;
      if (more) continue;
      if (phase != 1) break;
      // A lone character in the last group still yields its six bits as a byte.
      phase = 0;
      byte = carry;
    } else {
      if (phase == 0 && !stopAtLineFeed && end - p >= 4 && n - produced >= 3) {
        const unsigned v0 = kDecode[p[0]], v1 = kDecode[p[1]], v2 = kDecode[p[2]], v3 = kDecode[p[3]];
        if ((v0 | v1 | v2 | v3) < 64) {
          out[produced] = static_cast<std::uint8_t>(v0 << 2 | v1 >> 4);
          out[produced + 1] = static_cast<std::uint8_t>((v1 << 4 & 0xFF) | v2 >> 2);
          out[produced + 2] = static_cast<std::uint8_t>((v2 << 6 & 0xFF) | v3);
          produced += 3;
          p += 4;
          continue;
        }
      }
      const unsigned sextet = kDecode[*p++];
      if (sextet == kNotInAlphabet) continue;
      switch (phase) {
        case 0:
          carry = sextet << 2;
          phase = 1;
          continue;
        case 1:
          byte = carry | sextet >> 4;
          carry = sextet << 4 & 0xFF;
          phase = 2;
          break;
        case 2:
          byte = carry | sextet >> 2;
          carry = sextet << 6 & 0xFF;
          phase = 3;
          break;
        default:
          byte = carry | sextet;
          phase = 0;
          break;
      }
    }
    if (stopAtLineFeed && byte == '\n') {
      sawLineFeed = true;
      break;
    }
    out[produced++] = static_cast<std::uint8_t>(byte);
  }

  charsRead += p - uncounted;
  s.readNext = p;
  s.decodePhase = static_cast<int>(phase);
  s.decodeCarry = static_cast<std::uint8_t>(carry);
  return produced;
}

int CBase64File::readByte() {
  std::uint8_t byte;
  bool sawLineFeed;
  return decode(&byte, 1, false, sawLineFeed) == 1 ? byte : -1;
}

int CBase64File::readBytes(std::uint8_t* buffer, int n) {
  if (n <= 0) return 0;
  bool sawLineFeed;
  const int got = decode(buffer, n, false, sawLineFeed);
  if (got < n) buffer[got] = 0;
  return got;
}

std::uint8_t* CBase64File::readLine(std::uint8_t* buffer, int n) {
  if (n <= 0) return nullptr;
  bool sawLineFeed;
  const int got = decode(buffer, n, true, sawLineFeed);
  if (got < n) buffer[got] = 0;  // stopped by the line feed or the end, not by n
  return got > 0 ? buffer : nullptr;
}

bool CBase64File::emit(char c) {
  State& s = *state_;
  if (!s.file.put(c)) return false;
  ++charsWritten;
  if (++s.column == s.lineLength) {
    if (!s.file.write("\r\n")) return false;
    ++charsWritten;
    s.column = 0;
  }
  return true;
}

int CBase64File::writeBytes(const std::uint8_t* data, int n) {
  if (!state_) return 0;
  State& s = *state_;
  for (int i = 0; i < n; ++i) {
    const unsigned b = data[i];
    ++bytesEncoded;
    bool written;
    switch (s.encodePhase) {
      case 0:
        written = emit(kAlphabet[b >> 2]);
        s.encodeCarry = static_cast<std::uint8_t>((b & 3) << 4);
        s.encodePhase = 1;
        break;
      case 1:
        written = emit(kAlphabet[s.encodeCarry | b >> 4]);
        s.encodeCarry = static_cast<std::uint8_t>((b & 15) << 2);
        s.encodePhase = 2;
        break;
      default:
        written = emit(kAlphabet[s.encodeCarry | b >> 6]) && emit(kAlphabet[b & 63]);
        s.encodePhase = 0;
        break;
    }
    if (!written) return i;
  }
  return n < 0 ? 0 : n;
}

int CBase64File::flush() {
  if (!state_) return EOF;
  State& s = *state_;
  bool padded = true;
  if (s.encodePhase == 1) padded = emit(kAlphabet[s.encodeCarry]) && emit('=') && emit('=');
  if (s.encodePhase == 2) padded = emit(kAlphabet[s.encodeCarry]) && emit('=');
  s.encodePhase = 0;
  if (s.readBuffer) return 0;  // a reader has nothing to flush
  // A character lost earlier fails the flush too, even when nothing is pending now.
  return padded && s.file.flush() ? 0 : EOF;
}

int CBase64File::close() {
  if (!state_) return 0;
  int result = flush();
  if (!state_->file.close()) result = EOF;
  state_.reset();
  return result;
}

std::int32_t encodeFileBase64(platform::FileSystem& fs, std::string_view srcPath, std::string_view dstPath) {
  platform::File src = fs.open(srcPath, "rb");
  if (!src.isOpen()) return -101;
  CBase64File writer;
  if (!writer.open(fs, dstPath, "w")) return -101;
  std::uint8_t chunk[kCopyChunkSize];
  bool failed = false;
  for (;;) {
    const int got = static_cast<int>(src.read(chunk, sizeof chunk));
    if (got == 0) break;
    if (writer.writeBytes(chunk, got) < got) {
      failed = true;
      break;
    }
  }
  // A read error or a text that never fully reached the disk would upload a cut document.
  if (src.failed()) failed = true;
  if (writer.close() != 0) failed = true;
  return failed ? -102 : 0;
}

}  // namespace zx
