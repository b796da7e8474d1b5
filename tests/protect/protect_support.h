#pragma once
// Files in a private temporary folder, and the server's side of the payload formats made with
// Crypto++ alone, so the control's own code is checked against an independent encipherment.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace zx::test {

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  std::string path(std::string_view name) const;

 private:
  std::filesystem::path root_;
};

std::string readFile(const std::string& path);
void writeFile(const std::string& path, std::string_view bytes);
bool fileExists(const std::string& path);
std::string randomBytes(std::size_t count, std::uint32_t seed);

// Crypto++ SEED in ECB mode over whole blocks (no padding of its own).
std::string seedEncipherEcb(const std::uint8_t* key, std::string_view plain);
std::string seedDecipherBlock(const std::uint8_t* key, std::string_view block);

// Base64 with a line break (empty: none) after every `lineLength` characters.
std::string base64Text(std::string_view bytes, std::string_view lineBreak, std::size_t lineLength = 76);

std::string gzipBytes(std::string_view plain);

}  // namespace zx::test
