#include "keys.h"

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rsa.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "text.h"

namespace zxpeer {

namespace {

constexpr int kKeyBits = 2048;
constexpr long kCertificateDays = 3650;

[[noreturn]] void fail(const std::string& what) { throw std::runtime_error("docserver: " + what); }

EVP_PKEY* readKey(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "r");
  if (!file) return nullptr;
  EVP_PKEY* key = PEM_read_PrivateKey(file, nullptr, nullptr, nullptr);
  std::fclose(file);
  return key;
}

void writeKey(EVP_PKEY* key, const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "w");
  if (!file) fail("cannot write " + path);
  bool ok = PEM_write_PrivateKey(file, key, nullptr, nullptr, 0, nullptr, nullptr) == 1;
  std::fclose(file);
  std::filesystem::permissions(path, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  if (!ok) fail("cannot write " + path);
}

void addExtension(X509* certificate, int nid, const char* value) {
  X509V3_CTX context;
  X509V3_set_ctx_nodb(&context);
  X509V3_set_ctx(&context, certificate, certificate, nullptr, nullptr, 0);
  X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
  if (!extension) fail("cannot build a certificate extension");
  X509_add_ext(certificate, extension, -1);
  X509_EXTENSION_free(extension);
}

// Its own trust anchor: tests and demos put it into $ZORVAX_HOME/ca.pem. It names `host`, or
// when that is empty this machine's loopback names.
void writeSelfSignedCertificate(EVP_PKEY* key, const std::string& path, const std::string& host) {
  const std::string commonName = host.empty() ? "localhost" : host;
  const std::string altNames = host.empty() ? "DNS:localhost,IP:127.0.0.1,IP:::1" : "DNS:" + host;
  X509* certificate = X509_new();
  X509_set_version(certificate, 2);
  ASN1_INTEGER_set(X509_get_serialNumber(certificate), static_cast<long>(std::time(nullptr)));
  X509_gmtime_adj(X509_getm_notBefore(certificate), -3600);
  X509_gmtime_adj(X509_getm_notAfter(certificate), kCertificateDays * 24 * 3600);
  X509_set_pubkey(certificate, key);
  X509_NAME* name = X509_get_subject_name(certificate);
  X509_NAME_add_entry_by_txt(name, "O", MBSTRING_ASC, reinterpret_cast<const unsigned char*>("ZorvAX docserver"),
                             -1, -1, 0);
  X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>(commonName.c_str()),
                             -1, -1, 0);
  X509_set_issuer_name(certificate, name);
  addExtension(certificate, NID_basic_constraints, "critical,CA:TRUE");
  addExtension(certificate, NID_key_usage, "critical,digitalSignature,keyEncipherment,keyCertSign");
  addExtension(certificate, NID_ext_key_usage, "serverAuth");
  addExtension(certificate, NID_subject_alt_name, altNames.c_str());
  addExtension(certificate, NID_subject_key_identifier, "hash");
  if (X509_sign(certificate, key, EVP_sha256()) == 0) fail("cannot sign the certificate");
  std::FILE* file = std::fopen(path.c_str(), "w");
  bool ok = file && PEM_write_X509(file, certificate) == 1;
  if (file) std::fclose(file);
  X509_free(certificate);
  if (!ok) fail("cannot write " + path);
}

std::string publicKeyDer(EVP_PKEY* key) {
  unsigned char* der = nullptr;
  int length = i2d_PUBKEY(key, &der);
  if (length <= 0) fail("cannot encode the public key");
  std::string bytes(reinterpret_cast<char*>(der), length);
  OPENSSL_free(der);
  return bytes;
}

}  // namespace

ServerKeys ServerKeys::loadOrCreate(const std::string& stateDir, const std::string& tlsName) {
  std::filesystem::create_directories(stateDir);
  ServerKeys keys;
  keys.keyFile_ = stateDir + "/key.pem";
  keys.certificateFile_ = stateDir + "/cert.pem";
  keys.key_ = readKey(keys.keyFile_);
  if (!keys.key_) {
    keys.key_ = EVP_RSA_gen(kKeyBits);
    if (!keys.key_) fail("cannot generate the RSA key");
    writeKey(keys.key_, keys.keyFile_);
    std::filesystem::remove(keys.certificateFile_);
  }
  // A certificate for another name is made afresh at every start, so the default one is never
  // left naming a host it does not serve.
  if (!tlsName.empty() || !std::filesystem::exists(keys.certificateFile_))
    writeSelfSignedCertificate(keys.key_, keys.certificateFile_, tlsName);
  keys.publicKeyText_ = base64Encode(publicKeyDer(keys.key_));
  std::ofstream(stateDir + "/pubkey.txt") << keys.publicKeyText_ << '\n';
  return keys;
}

ServerKeys::~ServerKeys() { EVP_PKEY_free(key_); }

ServerKeys::ServerKeys(ServerKeys&& other) noexcept
    : key_(other.key_),
      publicKeyText_(std::move(other.publicKeyText_)),
      keyFile_(std::move(other.keyFile_)),
      certificateFile_(std::move(other.certificateFile_)) {
  other.key_ = nullptr;
}

std::optional<std::string> ServerKeys::unwrap(const std::string& base64Block) const {
  std::string block = base64Decode(base64Block);
  if (block.empty()) return std::nullopt;
  EVP_PKEY_CTX* context = EVP_PKEY_CTX_new(key_, nullptr);
  std::optional<std::string> plain;
  size_t length = 0;
  auto* in = reinterpret_cast<const unsigned char*>(block.data());
  if (context && EVP_PKEY_decrypt_init(context) == 1 &&
      EVP_PKEY_CTX_set_rsa_padding(context, RSA_PKCS1_OAEP_PADDING) == 1 &&
      EVP_PKEY_CTX_set_rsa_oaep_md(context, EVP_sha1()) == 1 &&
      EVP_PKEY_CTX_set_rsa_mgf1_md(context, EVP_sha1()) == 1 &&
      EVP_PKEY_decrypt(context, nullptr, &length, in, block.size()) == 1) {
    std::string out(length, '\0');
    if (EVP_PKEY_decrypt(context, reinterpret_cast<unsigned char*>(out.data()), &length, in, block.size()) == 1) {
      out.resize(length);
      plain = std::move(out);
    }
  }
  EVP_PKEY_CTX_free(context);
  return plain;
}

}  // namespace zxpeer
