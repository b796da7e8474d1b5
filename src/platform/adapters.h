#pragma once
// The adapter list of the IP Helper library ("IPHlpApi.dll", GetAdaptersInfo), loaded for each
// query. On Linux the list comes from getifaddrs.
//
// Threads: any; a loaded library belongs to the thread that loaded it.
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/api.h"

namespace zx::platform::adapters {

constexpr const char* kLibraryName = "IPHlpApi.dll";
constexpr const char* kFunctionName = "GetAdaptersInfo";

// The platform's result codes of GetAdaptersInfo.
constexpr std::uint32_t kNoError = 0, kErrorNotSupported = 50, kErrorInvalidParameter = 87,
                        kErrorBufferOverflow = 111, kErrorNoData = 232;
// Room one adapter record takes in the caller's block (the platform's IP_ADAPTER_INFO).
constexpr std::uint32_t kRecordSize = 640;

struct AdapterInfo {
  std::uint32_t addressLength = 0;
  std::uint8_t address[8] = {};
};

class ZX_API AdapterLibrary {
 public:
  virtual ~AdapterLibrary() = default;
  virtual bool hasFunction(std::string_view name) const = 0;
  // Fills `adapters` in the system's order; answers kNoError or a result code. A list that does
  // not fit into bufferSize bytes answers kErrorBufferOverflow.
  virtual std::uint32_t getAdaptersInfo(std::vector<AdapterInfo>& adapters, std::uint32_t bufferSize) = 0;
};

class ZX_API AdapterSource {
 public:
  virtual ~AdapterSource() = default;
  // nullptr when the library cannot be loaded.
  virtual std::unique_ptr<AdapterLibrary> load(std::string_view name) = 0;
};

// What a found list answers for a block of bufferSize bytes: kNoData, kBufferOverflow, or
// kNoError with the list handed over.
ZX_API std::uint32_t deliverAdapters(std::vector<AdapterInfo> found, std::vector<AdapterInfo>& adapters,
                              std::uint32_t bufferSize);

// The machine's adapters.
class ZX_API SystemAdapters : public AdapterSource {
 public:
  std::unique_ptr<AdapterLibrary> load(std::string_view name) override;
};

}  // namespace zx::platform::adapters
