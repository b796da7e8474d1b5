// The adapter list of the IP Helper library, loaded at run time as the control always did.
#include <algorithm>
#include <string>
#include <vector>

#include "platform/adapters.h"

#include "platform/win32/system_headers.h"
#include <iphlpapi.h>

namespace zx::platform::adapters {
namespace {

using GetAdaptersInfoFunction = DWORD(WINAPI*)(PIP_ADAPTER_INFO, PULONG);

class IpHelperLibrary : public AdapterLibrary {
 public:
  explicit IpHelperLibrary(HMODULE module) : module_(module) {}
  ~IpHelperLibrary() override { FreeLibrary(module_); }
  IpHelperLibrary(const IpHelperLibrary&) = delete;
  IpHelperLibrary& operator=(const IpHelperLibrary&) = delete;

  bool hasFunction(std::string_view name) const override {
    return GetProcAddress(module_, std::string(name).c_str()) != nullptr;
  }

  std::uint32_t getAdaptersInfo(std::vector<AdapterInfo>& adapters, std::uint32_t bufferSize) override {
    adapters.clear();
    auto function = reinterpret_cast<GetAdaptersInfoFunction>(
        reinterpret_cast<void*>(GetProcAddress(module_, kFunctionName)));
    if (!function) return kErrorNotSupported;
    // IP_ADAPTER_INFO holds pointers: the block is aligned for them.
    std::vector<std::uint64_t> block((bufferSize + sizeof(std::uint64_t) - 1) / sizeof(std::uint64_t));
    ULONG size = bufferSize;
    DWORD result = function(reinterpret_cast<PIP_ADAPTER_INFO>(block.data()), &size);
    if (result != ERROR_SUCCESS) return result;
    for (auto* record = reinterpret_cast<const IP_ADAPTER_INFO*>(block.data()); record; record = record->Next) {
      AdapterInfo info;
      info.addressLength = record->AddressLength;
      std::copy_n(record->Address, std::min<std::uint32_t>(record->AddressLength, sizeof info.address), info.address);
      adapters.push_back(info);
    }
    return kNoError;
  }

 private:
  HMODULE module_;
};

}  // namespace

std::unique_ptr<AdapterLibrary> SystemAdapters::load(std::string_view name) {
  HMODULE module = LoadLibraryA(std::string(name).c_str());
  if (!module) return nullptr;
  return std::make_unique<IpHelperLibrary>(module);
}

}  // namespace zx::platform::adapters
