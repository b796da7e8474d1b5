#pragma once
// The SEED block cipher (128-bit block and key, 16 rounds), deciphering direction only.
#include <cstdint>

namespace zx {

constexpr int kSeedBlockSize = 16;
constexpr int kSeedKeySize = 16;
constexpr int kSeedRounds = 16;

// roundKeysFirst[i] and roundKeysSecond[i] are the two words of round i's key.
void seedKeySchedule(const std::uint8_t key[kSeedKeySize], std::uint32_t roundKeysFirst[kSeedRounds],
                     std::uint32_t roundKeysSecond[kSeedRounds]);

// in and out may be the same block.
void seedDecryptBlock(const std::uint8_t in[kSeedBlockSize], std::uint8_t out[kSeedBlockSize],
                      const std::uint32_t roundKeysFirst[kSeedRounds], const std::uint32_t roundKeysSecond[kSeedRounds]);

}  // namespace zx
