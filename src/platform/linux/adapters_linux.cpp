#include <ifaddrs.h>
#include <linux/if_packet.h>
#include <net/if.h>
#include <sys/socket.h>

#include <algorithm>

#include "platform/adapters.h"

namespace zx::platform::adapters {

namespace {

// Link-layer addresses of the machine's adapters in getifaddrs order; loopback is left out, as the
// platform's adapter list leaves it out.
std::vector<AdapterInfo> systemAdapters(bool& failed) {
  std::vector<AdapterInfo> adapters;
  ifaddrs* list = nullptr;
  failed = ::getifaddrs(&list) != 0;
  if (failed) return adapters;
  for (ifaddrs* entry = list; entry; entry = entry->ifa_next) {
    if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_PACKET || (entry->ifa_flags & IFF_LOOPBACK)) continue;
    const auto* link = reinterpret_cast<const sockaddr_ll*>(entry->ifa_addr);
    AdapterInfo info;
    info.addressLength = std::min<std::uint32_t>(link->sll_halen, sizeof info.address);
    std::copy(link->sll_addr, link->sll_addr + info.addressLength, info.address);
    adapters.push_back(info);
  }
  ::freeifaddrs(list);
  return adapters;
}

class SystemLibrary : public AdapterLibrary {
 public:
  bool hasFunction(std::string_view name) const override { return name == kFunctionName; }

  std::uint32_t getAdaptersInfo(std::vector<AdapterInfo>& adapters, std::uint32_t bufferSize) override {
    adapters.clear();
    bool failed = false;
    std::vector<AdapterInfo> found = systemAdapters(failed);
    if (failed) return kErrorNotSupported;
    return deliverAdapters(std::move(found), adapters, bufferSize);
  }
};

}  // namespace

std::unique_ptr<AdapterLibrary> SystemAdapters::load(std::string_view name) {
  if (name != kLibraryName) return nullptr;
  return std::make_unique<SystemLibrary>();
}

}  // namespace zx::platform::adapters
