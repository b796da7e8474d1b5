#pragma once
// The URL encoding of form values, byte by byte over the control's 8-bit text.
#include <string>
#include <string_view>

namespace zx {

class CURLEncode {
 public:
  virtual ~CURLEncode() = default;

  // Every byte that needs escaping becomes "%" and two upper-case hexadecimal digits.
  std::string encode(std::string_view text) const;
  // True for the reserved and unsafe characters, and for bytes below 33 or above 122.
  bool needsEscape(unsigned char c) const;
};

}  // namespace zx
