#include "host/browser_log.h"

#include <ctime>
#include <string>

namespace zx::host {
namespace {

void appendHex(std::string& out, unsigned char byte) {
  static const char kDigits[] = "0123456789ABCDEF";
  out += "\\x";
  out += kDigits[byte >> 4];
  out += kDigits[byte & 0xF];
}

// The text with its control characters and backslashes escaped; other bytes as they are.
std::string escaped(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    const bool c1Control = byte == 0xC2 && i + 1 < text.size() && (static_cast<unsigned char>(text[i + 1]) & 0xE0) == 0x80;
    if (byte == '\\') {
      out += "\\\\";
    } else if (byte == '\n') {
      out += "\\n";
    } else if (byte == '\r') {
      out += "\\r";
    } else if (byte == '\t') {
      out += "\\t";
    } else if (byte < 0x20 || byte == 0x7F) {
      appendHex(out, byte);
    } else if (c1Control) {
      appendHex(out, byte);
      appendHex(out, static_cast<unsigned char>(text[++i]));
    } else {
      out += text[i];
    }
  }
  return out;
}

}  // namespace

BrowserLog::BrowserLog(const std::string& utf8Path) : file_(std::fopen(utf8Path.c_str(), "a")) {}

BrowserLog::~BrowserLog() {
  if (file_) std::fclose(file_);
}

void BrowserLog::write(std::string_view origin, std::string_view event) {
  if (!file_) return;
  std::time_t now = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&now, &utc);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%M:%SZ", &utc);
  const std::string line = std::string(stamp) + " " + (origin.empty() ? "-" : escaped(origin)) + " " + escaped(event) + "\n";
  std::fwrite(line.data(), 1, line.size(), file_);
  std::fflush(file_);
}

}  // namespace zx::host
