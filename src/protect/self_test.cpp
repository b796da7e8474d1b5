#include "protect/self_test.h"

#include <string>

#include "core/messages.h"

namespace zx {

void toHexText(const std::uint8_t* bytes, std::size_t length, char* out, std::size_t outSize) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  if (outSize == 0) return;
  std::size_t at = 0;
  for (std::size_t i = 0; i < length && at + 2 < outSize; ++i, at += 2) {
    out[at] = kDigits[bytes[i] >> 4];
    out[at + 1] = kDigits[bytes[i] & 15];
  }
  out[at] = '\0';
}

std::int32_t runSelfTest(platform::Ui& ui, const CKeyPair& keyPair) {
  std::uint8_t value[16];
  makeRandomBytes(value, sizeof value);
  char valueHex[64];
  toHexText(value, sizeof value, valueHex, sizeof valueHex);
  controlBox(ui, valueHex, "PASS PHRASE", platform::mb::MB_OK);

  for (int round = 1; round <= 2; ++round) {
    const std::string wrapped = encryptRSAStringWithPub(ui, keyPair.publicKeyText, value, sizeof value);
    const std::string unwrapped = decryptRSAStringWithPri(keyPair.privateKeyText, wrapped);
    char unwrappedHex[1024];
    toHexText(reinterpret_cast<const std::uint8_t*>(unwrapped.data()), unwrapped.size(), unwrappedHex,
              sizeof unwrappedHex);
    const std::string text = "PRI:\n" + keyPair.privateKeyText + "\nPUB:\n" + keyPair.publicKeyText +
                             "\nENC:\n" + wrapped + "\n\n" + "DEC:\n" + unwrappedHex + "<--" + valueHex;
    controlBox(ui, text, "CHPHER KEY:" + std::to_string(round), platform::mb::MB_OK);
  }
  return 0;
}

}  // namespace zx
