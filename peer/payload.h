#pragma once
// The document in the form the control expects it, and the upload in the form it was sent.
#include <string>
#include <string_view>
#include <vector>

namespace zxpeer {

// Decoded bytes up to and including the first LF; the control skips at most 31 of them.
inline constexpr std::string_view kSealHeader = "ZXDOC 1\n";

std::string gzipBytes(std::string_view plain);
// Throws std::runtime_error with the library's text on damaged data.
std::string gunzipBytes(std::string_view compressed);
// Makes the gzip trailer's CRC wrong, so that decompression must fail.
void damageGzipTrailer(std::string& gzip);

// SEED in ECB mode under a 16-byte key; the padding (1 to 16 bytes of value n) lets the last
// byte tell how much of the last block to drop.
std::string seedEncipherEcb(std::string_view plain, std::string_view key);
std::string seedDecipherEcb(std::string_view cipher, std::string_view key);

// Text split into Base64 lines of `lineLength` characters.
std::vector<std::string> base64Lines(std::string_view bytes, size_t lineLength);
// The document's own text lines, without their line ends.
std::vector<std::string> textLines(std::string_view text);

}  // namespace zxpeer
