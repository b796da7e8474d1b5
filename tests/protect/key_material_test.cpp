#include "protect/key_material.h"

#include <gtest/gtest.h>

#include <cryptopp/base64.h>
#include <cryptopp/dsa.h>
#include <cryptopp/filters.h>
#include <cryptopp/osrng.h>
#include <cryptopp/rsa.h>

#include <algorithm>
#include <sstream>
#include <vector>

#include "allocation_failure.h"
#include "protect_support.h"

namespace zx {
namespace {

using KeyWrap = test::ControlTest;
using KeyUnwrap = test::ControlTest;

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t lf = text.find('\n'); lf != std::string::npos; lf = text.find('\n', start)) {
    lines.push_back(text.substr(start, lf - start));
    start = lf + 1;
  }
  EXPECT_EQ(start, text.size()) << "the text ends with LF";
  return lines;
}

void expectKeyTextLayout(const std::string& text) {
  EXPECT_EQ(text.find('\r'), std::string::npos);
  const std::vector<std::string> lines = linesOf(text);
  ASSERT_FALSE(lines.empty());
  for (std::size_t i = 0; i + 1 < lines.size(); ++i) EXPECT_EQ(lines[i].size(), 72u);
  EXPECT_LE(lines.back().size(), 72u);
}

CryptoPP::StringSource decoded(const std::string& text) {
  return CryptoPP::StringSource(text, true, new CryptoPP::Base64Decoder);
}

template <class Key>
std::string keyText(const Key& key, bool lineBreaks = true) {
  std::string text;
  CryptoPP::Base64Encoder encoder(new CryptoPP::StringSink(text), lineBreaks, 72);
  key.DEREncode(encoder);
  encoder.MessageEnd();
  return text;
}

std::string bytesOf(const std::uint8_t* data, std::size_t length) {
  return std::string(reinterpret_cast<const char*>(data), length);
}

// One key pair for the whole program: generating keys is slow.
const CKeyPair& sharedPair() {
  static const CKeyPair pair = makeKeyPair();
  return pair;
}

TEST(KeyPair, HoldsA1024BitKeyWithExponent17InBothTexts) {
  const CKeyPair& pair = sharedPair();
  expectKeyTextLayout(pair.privateKeyText);
  expectKeyTextLayout(pair.publicKeyText);

  CryptoPP::StringSource publicSource = decoded(pair.publicKeyText);
  CryptoPP::RSAFunction publicKey;
  publicKey.BERDecode(publicSource);  // SubjectPublicKeyInfo
  EXPECT_EQ(publicKey.GetModulus().BitCount(), 1024u);
  EXPECT_EQ(publicKey.GetPublicExponent(), CryptoPP::Integer(17));

  CryptoPP::StringSource privateSource = decoded(pair.privateKeyText);
  CryptoPP::InvertibleRSAFunction privateKey;
  privateKey.BERDecode(privateSource);  // PrivateKeyInfo
  EXPECT_EQ(privateKey.GetModulus(), publicKey.GetModulus());
  CryptoPP::AutoSeededRandomPool pool;
  EXPECT_TRUE(privateKey.Validate(pool, 3));

  EXPECT_NE(makeKeyPair().publicKeyText, pair.publicKeyText) << "every control makes its own pair";
}

TEST_F(KeyWrap, A1024BitKeyGivesThreeLinesAndA172CharacterCipherKey) {
  test::BoxWatch recorder(*user);
  const CKeyPair& pair = sharedPair();
  const std::uint8_t value[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
  const std::string wrapped = encryptRSAStringWithPub(*user, pair.publicKeyText, value, sizeof value);
  const std::vector<std::string> lines = linesOf(wrapped);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].size(), 72u);
  EXPECT_EQ(lines[1].size(), 72u);
  EXPECT_EQ(lines[2].size(), 28u);
  EXPECT_EQ(wrapped.find('\r'), std::string::npos);
  EXPECT_EQ(decryptRSAStringWithPri(pair.privateKeyText, wrapped), bytesOf(value, sizeof value));

  std::uint8_t sessionKey[16] = {};
  std::string cipherKey;
  EXPECT_EQ(makeCipherKey(*user, pair.publicKeyText, 16, sessionKey, cipherKey), 0);
  EXPECT_EQ(cipherKey.size(), 172u);
  EXPECT_EQ(cipherKey.find_first_of("\r\n"), std::string::npos);
  EXPECT_EQ(cipherKey.back(), '=');
  EXPECT_NE(cipherKey[170], '=') << "one padding character";
  EXPECT_EQ(decryptRSAStringWithPri(pair.privateKeyText, cipherKey), bytesOf(sessionKey, 16))
      << "the one-line text unwraps too";
  EXPECT_TRUE(recorder.boxes().empty());
}

TEST_F(KeyWrap, TwoCipherKeysDifferInKeyAndText) {
  const CKeyPair& pair = sharedPair();
  std::uint8_t first[16], second[16];
  std::string firstText, secondText;
  makeCipherKey(*user, pair.publicKeyText, 16, first, firstText);
  makeCipherKey(*user, pair.publicKeyText, 16, second, secondText);
  EXPECT_NE(bytesOf(first, 16), bytesOf(second, 16));
  EXPECT_NE(firstText, secondText);
  EXPECT_EQ(decryptRSAStringWithPri(pair.privateKeyText, firstText), bytesOf(first, 16));
  EXPECT_EQ(decryptRSAStringWithPri(pair.privateKeyText, secondText), bytesOf(second, 16));

  // The same value twice still wraps differently: the padding is randomised.
  const std::string once = encryptRSAStringWithPub(*user, pair.publicKeyText, first, 16);
  EXPECT_NE(once, encryptRSAStringWithPub(*user, pair.publicKeyText, first, 16));
}

TEST_F(KeyWrap, A2048BitServerKeyGivesA344CharacterCipherKey) {
  CryptoPP::AutoSeededRandomPool pool;
  CryptoPP::InvertibleRSAFunction serverKey;
  serverKey.Initialize(pool, 2048, 65537);
  const std::string publicText = keyText(CryptoPP::RSAFunction(serverKey));
  const std::string privateText = keyText(serverKey);

  std::uint8_t sessionKey[16];
  std::string cipherKey;
  makeCipherKey(*user, publicText, 16, sessionKey, cipherKey);
  EXPECT_EQ(cipherKey.size(), 344u);
  EXPECT_EQ(cipherKey.substr(342), "==");
  EXPECT_EQ(cipherKey.find_first_of("\r\n"), std::string::npos);
  EXPECT_EQ(decryptRSAStringWithPri(privateText, cipherKey), bytesOf(sessionKey, 16));
}

TEST_F(KeyWrap, LineBreaksAndSpacesInThePubkeyAreIgnored) {
  const CKeyPair& pair = sharedPair();
  std::string flat = pair.publicKeyText;
  std::erase(flat, '\n');
  std::string spaced;
  for (std::size_t i = 0; i < flat.size(); ++i) spaced += (i % 4 == 0 ? " " : "") + std::string(1, flat[i]);
  for (const std::string& variant : {flat, spaced, "\r\n" + pair.publicKeyText + "\r\n"}) {
    test::BoxWatch recorder(*user);
    std::uint8_t sessionKey[16];
    std::string cipherKey;
    makeCipherKey(*user, variant, 16, sessionKey, cipherKey);
    EXPECT_EQ(cipherKey.size(), 172u);
    EXPECT_EQ(decryptRSAStringWithPri(pair.privateKeyText, cipherKey), bytesOf(sessionKey, 16));
    EXPECT_TRUE(recorder.boxes().empty());
  }
}

TEST_F(KeyWrap, AnUnusablePubkeyIsReportedOnceAndLeavesAnEmptyText) {
  CryptoPP::AutoSeededRandomPool pool;
  CryptoPP::DSA::PrivateKey dsaKey;
  dsaKey.GenerateRandomWithKeySize(pool, 1024);
  CryptoPP::DSA::PublicKey dsaPublic;
  dsaKey.MakePublicKey(dsaPublic);
  CryptoPP::InvertibleRSAFunction tinyKey;  // too small to wrap 16 bytes with OAEP
  tinyKey.Initialize(pool, 384, 17);

  const std::string notRsa = keyText(dsaPublic);
  const std::string tooSmall = keyText(CryptoPP::RSAFunction(tinyKey));
  for (const std::string& pubkey : {std::string(), std::string("not a key"), notRsa, tooSmall,
                                    sharedPair().privateKeyText}) {
    test::BoxWatch recorder(*user);
    std::uint8_t sessionKey[16] = {};
    std::string cipherKey = "stale";
    EXPECT_EQ(makeCipherKey(*user, pubkey, 16, sessionKey, cipherKey), 0);
    EXPECT_EQ(cipherKey, "");
    EXPECT_NE(bytesOf(sessionKey, 16), std::string(16, '\0')) << "the session key is still made";
    ASSERT_EQ(recorder.boxes().size(), 1u);
    const doubles::UiRecord box = recorder.boxes()[0];
    EXPECT_EQ(box.caption, "암호키오류");
    EXPECT_EQ(box.text, "암호키를 만들 수 없습니다.\n서버의 공개키가 올바르지 않습니다.\n다시 시도 하십시오.");
    EXPECT_EQ(box.owner, platform::Owner::None);
    EXPECT_EQ(box.flags, platform::mb::MB_OK);
  }
}

TEST_F(KeyWrap, AMemoryFailureShowsTheExceptionBox) {
  test::BoxWatch recorder(*user);
  const std::uint8_t value[16] = {};
  const std::string& publicKeyText = sharedPair().publicKeyText;
  test::failNextAllocation();
  const std::string wrapped = encryptRSAStringWithPub(*user, publicKeyText, value, sizeof value);
  EXPECT_FALSE(test::cancelAllocationFailure());
  EXPECT_EQ(wrapped, "");
  ASSERT_EQ(recorder.boxes().size(), 1u);
  EXPECT_EQ(recorder.boxes()[0].caption, "encryptRSAStringWithPub()");
  EXPECT_EQ(recorder.boxes()[0].text, "EXCEPTION");
  EXPECT_EQ(recorder.boxes()[0].owner, platform::Owner::None);
  EXPECT_EQ(recorder.boxes()[0].flags, platform::mb::MB_OK);
}

TEST_F(KeyUnwrap, RejectedTextsGiveNothingAndShowNothing) {
  test::BoxWatch recorder(*user);
  const CKeyPair& pair = sharedPair();
  const std::uint8_t value[16] = {42};
  std::string wrapped = encryptRSAStringWithPub(*user, pair.publicKeyText, value, sizeof value);
  std::string damaged = wrapped;
  damaged[10] = damaged[10] == 'A' ? 'B' : 'A';
  EXPECT_EQ(decryptRSAStringWithPri(pair.privateKeyText, damaged), "");
  EXPECT_EQ(decryptRSAStringWithPri(pair.privateKeyText, ""), "");
  EXPECT_EQ(decryptRSAStringWithPri(makeKeyPair().privateKeyText, wrapped), "") << "another pair's key";
  EXPECT_EQ(decryptRSAStringWithPri("", wrapped), "");

  test::failNextAllocation();
  EXPECT_EQ(decryptRSAStringWithPri(pair.privateKeyText, wrapped), "");
  EXPECT_FALSE(test::cancelAllocationFailure());
  EXPECT_TRUE(recorder.boxes().empty());
}

TEST(RandomBytes, FillsTheWholeBufferAndNeverRepeats) {
  std::uint8_t first[64] = {}, second[64] = {};
  makeRandomBytes(first, sizeof first);
  makeRandomBytes(second, sizeof second);
  EXPECT_NE(bytesOf(first, 64), bytesOf(second, 64));
  EXPECT_NE(bytesOf(first + 48, 16), std::string(16, '\0')) << "the end of the buffer is filled too";
}

}  // namespace
}  // namespace zx
