#include "platform/adapters.h"

namespace zx::platform::adapters {

std::uint32_t deliverAdapters(std::vector<AdapterInfo> found, std::vector<AdapterInfo>& adapters,
                              std::uint32_t bufferSize) {
  if (found.empty()) return kErrorNoData;
  if (found.size() * kRecordSize > bufferSize) return kErrorBufferOverflow;
  adapters = std::move(found);
  return kNoError;
}

}  // namespace zx::platform::adapters
