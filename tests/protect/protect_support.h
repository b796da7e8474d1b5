#pragma once
// The server's side of the payload formats made with Crypto++ alone, so that the control's own
// code is checked against an independent encipherment; and the boxes a step showed.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "support/zx_test.h"

namespace zx::test {

std::string randomBytes(std::size_t count, std::uint32_t seed);

// Crypto++ SEED in ECB mode over whole blocks (no padding of its own).
std::string seedEncipherEcb(const std::uint8_t* key, std::string_view plain);
std::string seedDecipherBlock(const std::uint8_t* key, std::string_view block);

// Base64 with a line break (empty: none) after every `lineLength` characters.
std::string base64Text(std::string_view bytes, std::string_view lineBreak, std::size_t lineLength = 76);

std::string gzipBytes(std::string_view plain);

bool fileExists(const std::string& path);

// The boxes the scripted user has seen since the watch began.
class BoxWatch {
 public:
  explicit BoxWatch(const doubles::ScriptedUi& user) : user_(user), start_(user.boxes().size()) {}
  std::vector<doubles::UiRecord> boxes() const;

 private:
  const doubles::ScriptedUi& user_;
  std::size_t start_;
};

}  // namespace zx::test
