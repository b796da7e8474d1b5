#include "platform/registry.h"

#include <cstring>

namespace zx::platform {

std::optional<std::string> readKeyText(Registry& registry, const RegKey& key, std::string_view name,
                                       std::size_t limit) {
  // Room for the terminator the system's writer stores after a text of the full length.
  std::string buffer(limit + 1, '\0');
  std::uint32_t size = static_cast<std::uint32_t>(buffer.size());
  if (registry.queryValue(key, name, buffer.data(), &size) != reg::kSuccess) return std::nullopt;
  // Writers differ on storing the terminator: the text ends at the first NUL, or at the data's
  // end when there is none.
  buffer.resize(strnlen(buffer.data(), size));
  if (buffer.size() > limit) return std::nullopt;
  return buffer;
}

std::optional<std::string> readKeyText(Registry& registry, const RegKey& key, std::string_view name) {
  std::uint32_t size = 0;
  if (registry.queryValue(key, name, nullptr, &size) != reg::kSuccess) return std::nullopt;
  return readKeyText(registry, key, name, size);
}

}  // namespace zx::platform
