#pragma once
#include <string>

namespace zx {

// The control's own RSA key pair as two Base64 texts.
struct CKeyPair {
  std::string privateKeyText;
  std::string publicKeyText;
};

}  // namespace zx
