#pragma once
// The session key, its RSA wrap for the server, and the control's own key pair.
// Key texts are Base64 of DER structures; line breaks and spaces in them are ignored.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/ui.h"

namespace zx {

// The control's own RSA key pair, used only by the self-test.
struct CKeyPair {
  std::string privateKeyText;  // PKCS#8 PrivateKeyInfo, Base64 in 72-character lines ended by LF
  std::string publicKeyText;   // X.509 SubjectPublicKeyInfo, same layout; usable as a Pubkey
};

void makeRandomBytes(std::uint8_t* buffer, std::size_t count);

// RSAES-OAEP (SHA-1, MGF1-SHA-1) of the bytes under the public key, as Base64 in lines of at
// most 72 characters, each ended by LF. Empty text after a failure, which the user has been told.
std::string encryptRSAStringWithPub(platform::Ui& ui, std::string_view publicKeyText, const std::uint8_t* data,
                                    std::size_t length);

// Fills sessionKey with keyLength fresh random bytes and cipherKeyText with their wrap as one
// line (CR and LF removed). Always 0: a failed wrap leaves the text empty.
std::int32_t makeCipherKey(platform::Ui& ui, std::string_view publicKeyText, std::size_t keyLength,
                           std::uint8_t* sessionKey, std::string& cipherKeyText);

// The bytes that encryptRSAStringWithPub wrapped; empty when the library rejects the text.
std::string decryptRSAStringWithPri(std::string_view privateKeyText, std::string_view cipherText);

// A fresh 1024-bit key pair with public exponent 17.
CKeyPair makeKeyPair();

}  // namespace zx
