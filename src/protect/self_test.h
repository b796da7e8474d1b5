#pragma once
#include <cstddef>
#include <cstdint>

namespace zx {

// Upper-case hexadecimal digits of the bytes, two per byte, ended by a zero byte; only as many
// bytes as fit into outSize with the terminator are shown.
void toHexText(const std::uint8_t* bytes, std::size_t length, char* out, std::size_t outSize);

}  // namespace zx
