#include "platform/adapters.h"

#include <ifaddrs.h>
#include <linux/if_packet.h>
#include <net/if.h>
#include <sys/socket.h>

#include <cstdlib>
#include <mutex>

namespace zx::platform::adapters {

namespace {

std::mutex scenarioMutex;
std::optional<Scenario> injected;

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

class ScenarioLibrary : public AdapterLibrary {
 public:
  explicit ScenarioLibrary(Scenario scenario) : scenario_(std::move(scenario)) {}

  bool hasFunction(std::string_view name) const override {
    return name == kFunctionName && scenario_.kind != Scenario::Kind::FunctionMissing;
  }

  std::uint32_t getAdaptersInfo(std::vector<AdapterInfo>& adapters, std::uint32_t bufferSize) override {
    adapters.clear();
    if (scenario_.kind == Scenario::Kind::ErrorCode) return scenario_.errorCode;
    std::vector<AdapterInfo> found = scenario_.adapters;
    if (scenario_.kind == Scenario::Kind::System) {
      bool failed = false;
      found = systemAdapters(failed);
      if (failed) return kErrorNotSupported;
    }
    if (found.empty()) return kErrorNoData;
    if (found.size() * kRecordSize > bufferSize) return kErrorBufferOverflow;
    adapters = std::move(found);
    return kNoError;
  }

 private:
  Scenario scenario_;
};

std::optional<AdapterInfo> parseAddress(std::string_view hex) {
  AdapterInfo info;
  if (hex.size() % 2 != 0 || hex.size() / 2 > sizeof info.address) return std::nullopt;
  for (size_t i = 0; i < hex.size(); i += 2) {
    char pair[3] = {hex[i], hex[i + 1], 0};
    char* end = nullptr;
    unsigned long value = std::strtoul(pair, &end, 16);
    if (*end != '\0') return std::nullopt;
    info.address[i / 2] = static_cast<std::uint8_t>(value);
  }
  info.addressLength = static_cast<std::uint32_t>(hex.size() / 2);
  return info;
}

Scenario currentScenario() {
  std::lock_guard lock(scenarioMutex);
  if (injected) return *injected;
  if (const char* text = std::getenv("ZORVAX_ADAPTERS"))
    if (auto scenario = parseScenario(text)) return *scenario;
  return Scenario{};
}

}  // namespace

std::unique_ptr<AdapterLibrary> loadLibrary(std::string_view name) {
  Scenario scenario = currentScenario();
  if (name != kLibraryName || scenario.kind == Scenario::Kind::LibraryMissing) return nullptr;
  return std::make_unique<ScenarioLibrary>(std::move(scenario));
}

void injectScenario(std::optional<Scenario> scenario) {
  std::lock_guard lock(scenarioMutex);
  injected = std::move(scenario);
}

std::optional<Scenario> parseScenario(std::string_view text) {
  Scenario scenario;
  if (text == "missing-library") {
    scenario.kind = Scenario::Kind::LibraryMissing;
  } else if (text == "missing-function") {
    scenario.kind = Scenario::Kind::FunctionMissing;
  } else if (text.starts_with("error:")) {
    scenario.kind = Scenario::Kind::ErrorCode;
    scenario.errorCode = static_cast<std::uint32_t>(std::strtoul(std::string(text.substr(6)).c_str(), nullptr, 10));
  } else {
    scenario.kind = Scenario::Kind::List;
    if (text == "none") return scenario;
    while (true) {
      size_t comma = text.find(',');
      auto address = parseAddress(text.substr(0, comma));
      if (!address) return std::nullopt;
      scenario.adapters.push_back(*address);
      if (comma == std::string_view::npos) break;
      text.remove_prefix(comma + 1);
    }
  }
  return scenario;
}

}  // namespace zx::platform::adapters
