#pragma once
// The self-test a person runs to see the RSA key wrap work on the machine at hand.
#include <cstddef>
#include <cstdint>

#include "platform/ui.h"
#include "protect/key_material.h"

namespace zx {

// Wraps a random value twice with the key pair, unwraps both and shows everything in three
// boxes over the control's window. Always 0: the person compares the digits.
std::int32_t runSelfTest(platform::Ui& ui, const CKeyPair& keyPair);

// Upper-case hexadecimal digits of the bytes, two per byte, ended by a zero byte; only as many
// bytes as fit into outSize with the terminator are shown.
void toHexText(const std::uint8_t* bytes, std::size_t length, char* out, std::size_t outSize);

}  // namespace zx
