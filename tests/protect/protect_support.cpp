#include "protect_support.h"

#include <cryptopp/base64.h>
#include <cryptopp/filters.h>
#include <cryptopp/gzip.h>
#include <cryptopp/modes.h>
#include <cryptopp/seed.h>

#include <filesystem>
#include <random>

namespace zx::test {

bool fileExists(const std::string& path) { return std::filesystem::exists(path); }

std::vector<doubles::UiRecord> BoxWatch::boxes() const {
  const std::vector<doubles::UiRecord> all = user_.boxes();
  return std::vector<doubles::UiRecord>(all.begin() + static_cast<std::ptrdiff_t>(start_), all.end());
}

std::string randomBytes(std::size_t count, std::uint32_t seed) {
  std::mt19937 engine(seed);
  std::string bytes(count, '\0');
  for (char& c : bytes) c = static_cast<char>(engine() & 0xFF);
  return bytes;
}

std::string seedEncipherEcb(const std::uint8_t* key, std::string_view plain) {
  CryptoPP::ECB_Mode<CryptoPP::SEED>::Encryption cipher(key, CryptoPP::SEED::DEFAULT_KEYLENGTH);
  std::string out(plain.size(), '\0');
  cipher.ProcessData(reinterpret_cast<CryptoPP::byte*>(out.data()),
                     reinterpret_cast<const CryptoPP::byte*>(plain.data()), plain.size());
  return out;
}

std::string seedDecipherBlock(const std::uint8_t* key, std::string_view block) {
  CryptoPP::SEED::Decryption cipher(key, CryptoPP::SEED::DEFAULT_KEYLENGTH);
  std::string out(CryptoPP::SEED::BLOCKSIZE, '\0');
  cipher.ProcessBlock(reinterpret_cast<const CryptoPP::byte*>(block.data()),
                      reinterpret_cast<CryptoPP::byte*>(out.data()));
  return out;
}

std::string base64Text(std::string_view bytes, std::string_view lineBreak, std::size_t lineLength) {
  std::string flat;
  CryptoPP::StringSource(reinterpret_cast<const CryptoPP::byte*>(bytes.data()), bytes.size(), true,
                         new CryptoPP::Base64Encoder(new CryptoPP::StringSink(flat), false));
  if (lineBreak.empty()) return flat;
  std::string text;
  for (std::size_t at = 0; at < flat.size(); at += lineLength) {
    text += flat.substr(at, lineLength);
    text += lineBreak;
  }
  return text;
}

std::string gzipBytes(std::string_view plain) {
  std::string packed;
  CryptoPP::StringSource(reinterpret_cast<const CryptoPP::byte*>(plain.data()), plain.size(), true,
                         new CryptoPP::Gzip(new CryptoPP::StringSink(packed)));
  return packed;
}

}  // namespace zx::test
