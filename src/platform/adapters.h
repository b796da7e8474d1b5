#pragma once
// The adapter list of the IP Helper library ("IPHlpApi.dll", GetAdaptersInfo), loaded for each
// query. On Linux the list comes from getifaddrs; tests replace it with a given scenario.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

class AdapterLibrary {
 public:
  virtual ~AdapterLibrary() = default;
  virtual bool hasFunction(std::string_view name) const = 0;
  // Fills `adapters` in the system's order; answers kNoError or a result code. A list that does
  // not fit into bufferSize bytes answers kErrorBufferOverflow.
  virtual std::uint32_t getAdaptersInfo(std::vector<AdapterInfo>& adapters, std::uint32_t bufferSize) = 0;
};

// nullptr when the library cannot be loaded.
std::unique_ptr<AdapterLibrary> loadLibrary(std::string_view name);

// What the next loads see instead of the system.
struct Scenario {
  enum class Kind { System, List, LibraryMissing, FunctionMissing, ErrorCode };
  Kind kind = Kind::System;
  std::vector<AdapterInfo> adapters;  // Kind::List
  std::uint32_t errorCode = 0;        // Kind::ErrorCode
};
// nullopt returns to the system (or to $ZORVAX_ADAPTERS, see parseScenario).
void injectScenario(std::optional<Scenario> scenario);
// The text form of $ZORVAX_ADAPTERS: "none", "missing-library", "missing-function",
// "error:CODE", or addresses in hexadecimal joined by ',' (an empty element: length 0).
std::optional<Scenario> parseScenario(std::string_view text);

}  // namespace zx::platform::adapters
