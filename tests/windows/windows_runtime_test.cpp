// Checks that the Windows runtime the control is built on behaves as the control needs it:
// Crypto++ cross-built from Debian's sources (RSA-OAEP over SHA-1 with X.509 and PKCS#8 keys,
// SEED, Base64, gzip) and the Korean ANSI code page that Wine gives with LC_ALL=ko_KR.UTF-8.

#include <windows.h>

#include <gtest/gtest.h>

#include <cryptopp/base64.h>
#include <cryptopp/filters.h>
#include <cryptopp/gzip.h>
#include <cryptopp/modes.h>
#include <cryptopp/osrng.h>
#include <cryptopp/queue.h>
#include <cryptopp/rsa.h>
#include <cryptopp/seed.h>

#include <array>
#include <string>

namespace {

using Bytes = std::string;

Bytes fromBase64(const std::string& text) {
  Bytes out;
  CryptoPP::StringSource(text, true, new CryptoPP::Base64Decoder(new CryptoPP::StringSink(out)));
  return out;
}

Bytes toBytes(std::initializer_list<unsigned char> values) {
  return Bytes(values.begin(), values.end());
}

// A 1024-bit RSA key (public exponent 17) made by OpenSSL for this test only, as DER PKCS#8, and
// a 16-byte key wrapped with its public half by OpenSSL (RSAES-OAEP, SHA-1, MGF1 with SHA-1).
const char kOpenSslPrivateKey[] =
    "MIICdQIBADANBgkqhkiG9w0BAQEFAASCAl8wggJbAgEAAoGBANBwliZW1Ga1WC6elHa0T6CvjUnZOZkPmkFGEGG2GV"
    "FgHBxTgBQc0sayyCsqErrmbvPzNIoFoTAm6Bfn5SGFAUf35/Zso70I/kW5gSRUNrvPpQKTHlc1kFaDiSoaTO4iTVmR"
    "kkXUdNaduVXvYojD61brXHAv6efX9C7tN0tVxUMNAgERAoGAblm45x7o6xS2Nsxst1BmZCC0Nie1FMwGXsq9YOfvST"
    "LhtKStN9MGLPU8y46+ny6zNdsb0JmRkfZ633rEmUZqFhTsM6Je583qhf26Q2G5ZvuDPD3a7Zfetz59zuxHMtFyF/CU"
    "m6iMPLxLs0Oe6BTwZux1Yv9ZPCRivCTU9Stcm/ECQQD/tNYXM7f3H+gCvCGXh88liTLVNeMgszghQrV/8uufUSeC+U"
    "FpRzdfpK0bFRKljvj8LKf3rpnW9wmq07XQmtxBAkEA0K3bPy6IGyNgnp4RrsJ/ebIlEC56Z8anz8qYakVNMEEhSCr6"
    "13oQE0zH/z2/veubheBGHQSHEZf6w+3GbCYjzQJBAPCqMuipJZ1LNLdHpyU0hrnqijIUmYgwNNQCjLSoZUqmu8aQPZ"
    "BDBvCa/Uaqa+cdJpL82lKGNm/3kKDHQbVGdPECQG56KMcYomi4YFP5VKfQYZrHuUTNT9yWWNdrQaGsN+xet0RS/UTm"
    "RL7saeF7CyhPjpIrcGm3GlSbwP5QtFdffF0CQQCSnixHKcfAnsFwqsaKFFDuQeTuBZHT7kW71MCSXXdjsZvHd2VkaU"
    "brWjAD/veck0/aJhsRvk6yLfi4SrVgVs/P";
const char kOpenSslWrappedKey[] =
    "caCP1YW/OZcyYnnPRq6Q2hM4+BCf6JMsy4L5kIvtbMIOqKER2XDz2g2VBJU8G5Ap9DIMydNJqYfudQL6nUh7LLs+6W"
    "LI+sazCAPVfUMCEF2ymKD9HErJqly3tQRzs0sFHtK7qPYIWrWc0kGVc8RgCsTwj+prGbfIDIx17cetVgk=";
const Bytes kWrappedPlainKey = toBytes({0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77,
                                        0x88, 0x99, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF});

Bytes unwrap(const CryptoPP::RSA::PrivateKey& key, const Bytes& wrapped) {
  CryptoPP::AutoSeededRandomPool rng;
  CryptoPP::RSAES_OAEP_SHA_Decryptor decryptor(key);
  Bytes plain;
  CryptoPP::StringSource(wrapped, true,
                         new CryptoPP::PK_DecryptorFilter(rng, decryptor, new CryptoPP::StringSink(plain)));
  return plain;
}

Bytes wrap(const CryptoPP::RSA::PublicKey& key, const Bytes& plain) {
  CryptoPP::AutoSeededRandomPool rng;
  CryptoPP::RSAES_OAEP_SHA_Encryptor encryptor(key);
  Bytes wrapped;
  CryptoPP::StringSource(plain, true,
                         new CryptoPP::PK_EncryptorFilter(rng, encryptor, new CryptoPP::StringSink(wrapped)));
  return wrapped;
}

CryptoPP::RSA::PrivateKey privateKeyFromPkcs8(const Bytes& der) {
  CryptoPP::RSA::PrivateKey key;
  CryptoPP::StringSource source(der, true);
  key.Load(source);
  return key;
}

TEST(CryptoppOnWindows, UnwrapsAKeyThatOpenSslWrapped) {
  const auto key = privateKeyFromPkcs8(fromBase64(kOpenSslPrivateKey));
  EXPECT_EQ(unwrap(key, fromBase64(kOpenSslWrappedKey)), kWrappedPlainKey);
}

TEST(CryptoppOnWindows, WrapsAndUnwrapsWithAFreshKeyPairThroughX509AndPkcs8) {
  CryptoPP::AutoSeededRandomPool rng;
  CryptoPP::InvertibleRSAFunction generated;
  generated.Initialize(rng, 1024, 17);

  // Through the encodings the control exchanges its keys in.
  Bytes publicDer, privateDer;
  CryptoPP::StringSink publicSink(publicDer), privateSink(privateDer);
  CryptoPP::RSA::PublicKey(generated).DEREncode(publicSink);
  CryptoPP::RSA::PrivateKey(generated).DEREncode(privateSink);
  CryptoPP::RSA::PublicKey publicKey;
  CryptoPP::StringSource publicSource(publicDer, true);
  publicKey.BERDecode(publicSource);
  const auto privateKey = privateKeyFromPkcs8(privateDer);

  Bytes sessionKey(16, '\0');
  rng.GenerateBlock(reinterpret_cast<CryptoPP::byte*>(sessionKey.data()), sessionKey.size());
  const Bytes wrapped = wrap(publicKey, sessionKey);
  EXPECT_EQ(wrapped.size(), 128u);
  EXPECT_EQ(unwrap(privateKey, wrapped), sessionKey);
  EXPECT_NE(wrap(publicKey, sessionKey), wrapped) << "OAEP wraps with fresh randomness each time";
}

TEST(CryptoppOnWindows, SeedReproducesThePublishedVectors) {
  struct KnownAnswer {
    Bytes key, plain, cipher;
  };
  const KnownAnswer vectors[] = {
      {Bytes(16, '\0'),
       toBytes({0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F}),
       toBytes({0x5E, 0xBA, 0xC6, 0xE0, 0x05, 0x4E, 0x16, 0x68, 0x19, 0xAF, 0xF1, 0xCC, 0x6D, 0x34, 0x6C, 0xDB})},
      {toBytes({0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F}),
       Bytes(16, '\0'),
       toBytes({0xC1, 0x1F, 0x22, 0xF2, 0x01, 0x40, 0x50, 0x50, 0x84, 0x48, 0x35, 0x97, 0xE4, 0x37, 0x0F, 0x43})},
  };
  for (const KnownAnswer& vector : vectors) {
    const auto* key = reinterpret_cast<const CryptoPP::byte*>(vector.key.data());
    CryptoPP::SEED::Encryption encryption(key, vector.key.size());
    CryptoPP::SEED::Decryption decryption(key, vector.key.size());
    std::array<CryptoPP::byte, 16> block{};
    encryption.ProcessBlock(reinterpret_cast<const CryptoPP::byte*>(vector.plain.data()), block.data());
    EXPECT_EQ(Bytes(block.begin(), block.end()), vector.cipher);
    decryption.ProcessBlock(reinterpret_cast<const CryptoPP::byte*>(vector.cipher.data()), block.data());
    EXPECT_EQ(Bytes(block.begin(), block.end()), vector.plain);
  }
}

TEST(CryptoppOnWindows, GunzipsWhatGzipMade) {
  Bytes text;
  for (int i = 0; i < 2000; ++i) text += "line " + std::to_string(i) + " 한글\n";
  Bytes packed, unpacked;
  CryptoPP::StringSource(text, true, new CryptoPP::Gzip(new CryptoPP::StringSink(packed)));
  ASSERT_LT(packed.size(), text.size() / 4);
  CryptoPP::StringSource(packed, true, new CryptoPP::Gunzip(new CryptoPP::StringSink(unpacked)));
  EXPECT_EQ(unpacked, text);
}

TEST(CryptoppOnWindows, Base64RoundTripsEveryByteValue) {
  Bytes all;
  for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
  Bytes encoded;
  CryptoPP::StringSource(all, true, new CryptoPP::Base64Encoder(new CryptoPP::StringSink(encoded)));
  EXPECT_EQ(fromBase64(encoded), all);
}

TEST(KoreanCodePage, AnsiCodePageIs949) {
  EXPECT_EQ(GetACP(), 949u);
}

TEST(KoreanCodePage, ConvertsHangulBothWays) {
  const char hangul949[] = "\xC7\xD1\xB1\xDB";  // "한글" in code page 949
  wchar_t wide[8] = {};
  ASSERT_EQ(MultiByteToWideChar(949, MB_ERR_INVALID_CHARS, hangul949, 4, wide, 8), 2);
  EXPECT_EQ(wide[0], 0xD55C);
  EXPECT_EQ(wide[1], 0xAE00);

  char back[8] = {};
  ASSERT_EQ(WideCharToMultiByte(CP_ACP, 0, wide, 2, back, sizeof back, nullptr, nullptr), 4);
  EXPECT_STREQ(back, hangul949);
}

TEST(KoreanCodePage, RefusesATruncatedDoubleByteCharacter) {
  const char leadByteOnly[] = "\xC7";
  wchar_t wide[4] = {};
  EXPECT_EQ(MultiByteToWideChar(949, MB_ERR_INVALID_CHARS, leadByteOnly, 1, wide, 4), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
}

}  // namespace
