#pragma once
// The received document's decipherment: Base64 text, a header line, then SEED blocks in
// electronic-codebook order with the padding of the last block.
#include <cstdint>
#include <string_view>

#include "platform/env.h"
#include "platform/fixed_text.h"

namespace zx {

// Bytes written to plainPath, or -1. hasHeader: the first decoded line is skipped.
std::int64_t decipherSeedFile(const platform::Env& env, const std::uint8_t* key, std::string_view cipheredPath,
                              std::string_view plainPath, bool hasHeader);

// The download's decipher step: on success path names the plain file (a new temporary file in
// tempDir) and 0 is returned; -1 after telling the user. deleteInput removes the received file
// either way. A received file that cannot be opened raises FileException.
std::int32_t decipherStep(const platform::Env& env, PathText& path, const std::uint8_t* key, std::int32_t keyLength,
                          bool deleteInput, std::string_view tempDir);

// The upload's encipher step: enciphering is not offered, so it tells the user and answers -1.
std::int32_t encipherStep(const platform::Env& env, std::string_view path, const std::uint8_t* key,
                          std::int32_t keyLength, bool flag);

}  // namespace zx
