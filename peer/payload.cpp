#include "payload.h"

#include <cryptopp/filters.h>
#include <cryptopp/gzip.h>
#include <cryptopp/modes.h>
#include <cryptopp/seed.h>

#include <stdexcept>

#include "text.h"

namespace zxpeer {

namespace {
const CryptoPP::byte* bytesOf(std::string_view text) { return reinterpret_cast<const CryptoPP::byte*>(text.data()); }
}  // namespace

std::string gzipBytes(std::string_view plain) {
  std::string out;
  CryptoPP::StringSource(bytesOf(plain), plain.size(), true, new CryptoPP::Gzip(new CryptoPP::StringSink(out)));
  return out;
}

std::string gunzipBytes(std::string_view compressed) {
  std::string out;
  try {
    CryptoPP::StringSource(bytesOf(compressed), compressed.size(), true,
                           new CryptoPP::Gunzip(new CryptoPP::StringSink(out)));
  } catch (const CryptoPP::Exception& error) {
    throw std::runtime_error(error.what());
  }
  return out;
}

void damageGzipTrailer(std::string& gzip) {
  if (gzip.size() >= 8) gzip[gzip.size() - 8] ^= 0x5A;
}

namespace {
template <typename Direction>
std::string seedEcb(std::string_view input, std::string_view key) {
  Direction cipher(bytesOf(key), key.size());
  std::string out;
  CryptoPP::StringSource(bytesOf(input), input.size(), true,
                         new CryptoPP::StreamTransformationFilter(cipher, new CryptoPP::StringSink(out),
                                                                  CryptoPP::BlockPaddingSchemeDef::PKCS_PADDING));
  return out;
}
}  // namespace

std::string seedEncipherEcb(std::string_view plain, std::string_view key) {
  return seedEcb<CryptoPP::ECB_Mode<CryptoPP::SEED>::Encryption>(plain, key);
}

std::string seedDecipherEcb(std::string_view cipherText, std::string_view key) {
  return seedEcb<CryptoPP::ECB_Mode<CryptoPP::SEED>::Decryption>(cipherText, key);
}

std::vector<std::string> base64Lines(std::string_view bytes, size_t lineLength) {
  std::string text = base64Encode(bytes);
  std::vector<std::string> lines;
  for (size_t at = 0; at < text.size(); at += lineLength) lines.push_back(text.substr(at, lineLength));
  return lines;
}

std::vector<std::string> textLines(std::string_view text) {
  std::vector<std::string> lines;
  while (!text.empty()) {
    size_t end = text.find('\n');
    std::string line(text.substr(0, end));
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

}  // namespace zxpeer
