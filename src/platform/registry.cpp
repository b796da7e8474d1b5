#include "platform/registry.h"

#include <cstring>

namespace zx::platform {

std::optional<std::string> readKeyText(Registry& registry, const RegKey& key, std::string_view name,
                                       std::size_t capacity) {
  std::string buffer(capacity, '\0');
  std::uint32_t size = static_cast<std::uint32_t>(capacity);
  if (registry.queryValue(key, name, buffer.data(), &size) != reg::kSuccess) return std::nullopt;
  // Writers differ on storing the terminator: the text ends at the first NUL, or at the data's
  // end when the data fills the buffer without one.
  buffer.resize(strnlen(buffer.data(), size));
  return buffer;
}

std::optional<std::string> readKeyText(Registry& registry, const RegKey& key, std::string_view name) {
  std::uint32_t size = 0;
  if (registry.queryValue(key, name, nullptr, &size) != reg::kSuccess) return std::nullopt;
  return readKeyText(registry, key, name, size);
}

}  // namespace zx::platform
