#pragma once
// The server's RSA key pair and self-signed TLS certificate, made on first start and kept in
// the state folder: key.pem (PKCS#8), cert.pem (X.509), pubkey.txt (the page's Pubkey text).
#include <memory>
#include <optional>
#include <string>

typedef struct evp_pkey_st EVP_PKEY;
typedef struct x509_st X509;

namespace zxpeer {

class ServerKeys {
 public:
  // Loads the files from stateDir, or makes and stores them; throws std::runtime_error. A
  // tlsName gives a certificate that names that host alone instead of the loopback names.
  static ServerKeys loadOrCreate(const std::string& stateDir, const std::string& tlsName = {});
  ~ServerKeys();
  ServerKeys(ServerKeys&&) noexcept;
  ServerKeys& operator=(ServerKeys&&) = delete;

  // Base64 of the DER X.509 SubjectPublicKeyInfo, one line.
  const std::string& publicKeyText() const { return publicKeyText_; }
  const std::string& keyFile() const { return keyFile_; }
  const std::string& certificateFile() const { return certificateFile_; }

  // RSAES-OAEP (SHA-1, MGF1-SHA-1) unwrap of a Base64 block; nothing when it does not decipher.
  std::optional<std::string> unwrap(const std::string& base64Block) const;

 private:
  ServerKeys() = default;
  EVP_PKEY* key_ = nullptr;
  std::string publicKeyText_;
  std::string keyFile_;
  std::string certificateFile_;
};

}  // namespace zxpeer
