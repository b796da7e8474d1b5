#include "protect/key_material.h"

#include <cryptopp/base64.h>
#include <cryptopp/filters.h>
#include <cryptopp/osrng.h>
#include <cryptopp/randpool.h>
#include <cryptopp/rsa.h>

#include <algorithm>
#include <new>

#include "platform/exceptions.h"
#include "platform/codepage.h"
#include "platform/ui.h"

namespace zx {
namespace {

constexpr int kKeyTextLineLength = 72;
constexpr unsigned kSeedSize = 32;

// The wrap runs where no control window is at hand: its boxes have no owner.
void showUnownedBox(platform::Ui& ui, std::string_view text, std::string_view caption) {
  ui.messageBox(platform::Owner::None, caption, text, platform::mb::MB_OK);
}

CryptoPP::StringSource decodedKeyText(std::string_view keyText) {
  return CryptoPP::StringSource(reinterpret_cast<const CryptoPP::byte*>(keyText.data()), keyText.size(), true,
                                new CryptoPP::Base64Decoder);
}

// A key type's own DER form (PKCS#8 for a private key, X.509 for a public one).
template <class Key>
std::string base64KeyText(const Key& key) {
  std::string text;
  CryptoPP::Base64Encoder encoder(new CryptoPP::StringSink(text), true, kKeyTextLineLength);
  key.DEREncode(encoder);
  encoder.MessageEnd();
  return text;
}

// RSA blinding during the unwrap needs randomness but no fresh seed on every call.
CryptoPP::RandomPool& blindingPool() {
  static CryptoPP::RandomPool pool;
  return pool;
}

}  // namespace

void makeRandomBytes(std::uint8_t* buffer, std::size_t count) {
  CryptoPP::AutoSeededRandomPool pool(false, kSeedSize);
  pool.GenerateBlock(buffer, count);
}

std::string encryptRSAStringWithPub(platform::Ui& ui, std::string_view publicKeyText, const std::uint8_t* data,
                                    std::size_t length) {
  std::string wrapped;
  try {
    CryptoPP::StringSource keySource = decodedKeyText(publicKeyText);
    CryptoPP::RSAES_OAEP_SHA_Encryptor encryptor(keySource);
    CryptoPP::AutoSeededRandomPool pool(false, kSeedSize);
    CryptoPP::StringSource(
        data, length, true,
        new CryptoPP::PK_EncryptorFilter(
            pool, encryptor,
            new CryptoPP::Base64Encoder(new CryptoPP::StringSink(wrapped), true, kKeyTextLineLength)));
  } catch (const CryptoPP::Exception&) {
    // The page handed over no usable RSA public key: the request goes out with an empty key,
    // and the server's refusal would not say why.
    showUnownedBox(ui, ansi("암호키를 만들 수 없습니다.\n서버의 공개키가 올바르지 않습니다.\n다시 시도 하십시오."),
                   ansi("암호키오류"));
    return {};
  } catch (const FrameworkException&) {
    showUnownedBox(ui, "EXCEPTION", "encryptRSAStringWithPub()");
    return {};
  } catch (const std::bad_alloc&) {
    showUnownedBox(ui, "EXCEPTION", "encryptRSAStringWithPub()");
    return {};
  }
  return wrapped;
}

std::int32_t makeCipherKey(platform::Ui& ui, std::string_view publicKeyText, std::size_t keyLength,
                           std::uint8_t* sessionKey, std::string& cipherKeyText) {
  makeRandomBytes(sessionKey, keyLength);
  cipherKeyText = encryptRSAStringWithPub(ui, publicKeyText, sessionKey, keyLength);
  std::erase_if(cipherKeyText, [](char c) { return c == '\r' || c == '\n'; });
  return 0;
}

std::string decryptRSAStringWithPri(std::string_view privateKeyText, std::string_view cipherText) {
  std::string recovered;
  try {
    CryptoPP::StringSource keySource = decodedKeyText(privateKeyText);
    CryptoPP::RSAES_OAEP_SHA_Decryptor decryptor(keySource);
    CryptoPP::StringSource(
        reinterpret_cast<const CryptoPP::byte*>(cipherText.data()), cipherText.size(), true,
        new CryptoPP::Base64Decoder(
            new CryptoPP::PK_DecryptorFilter(blindingPool(), decryptor, new CryptoPP::StringSink(recovered))));
  } catch (const CryptoPP::Exception&) {
    // Only the self-test unwraps, and it shows the result next to the value it wrapped: an empty
    // result there is the report.
    return {};
  } catch (const FrameworkException&) {
  } catch (const std::bad_alloc&) {
  }
  return recovered;
}

CKeyPair makeKeyPair() {
  CKeyPair pair;
  std::uint8_t seed[16];
  makeRandomBytes(seed, sizeof seed);
  CryptoPP::RandomPool pool;
  pool.IncorporateEntropy(seed, sizeof seed);

  CryptoPP::InvertibleRSAFunction privateKey;
  privateKey.Initialize(pool, 1024, 17);
  const CryptoPP::RSAFunction publicKey(privateKey);
  pair.privateKeyText = base64KeyText(privateKey);
  pair.publicKeyText = base64KeyText(publicKey);
  return pair;
}

}  // namespace zx
