#pragma once
// Fixed-size 8-bit text buffers (paths of at most 511 characters). A text that does not fit
// is refused whole: a cut path must never be used as if it were the whole one.
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace zx {

template <std::size_t N>
class FixedText {
 public:
  static constexpr std::size_t kCapacity = N;

  [[nodiscard]] bool assign(std::string_view text) {
    if (text.size() >= N || text.find('\0') != std::string_view::npos) return false;
    std::memcpy(buffer_, text.data(), text.size());
    std::memset(buffer_ + text.size(), 0, N - text.size());
    return true;
  }
  void clear() { std::memset(buffer_, 0, N); }
  bool empty() const { return buffer_[0] == '\0'; }
  std::string_view view() const { return std::string_view(buffer_); }
  std::string str() const { return std::string(view()); }
  const char* c_str() const { return buffer_; }

 private:
  char buffer_[N] = {};
};

// The longest path the control handles; its buffers keep one byte more for the terminator.
inline constexpr std::size_t kPathCapacity = 511;
using PathText = FixedText<kPathCapacity + 1>;

}  // namespace zx
