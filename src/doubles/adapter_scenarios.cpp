#include "doubles/adapter_scenarios.h"

#include <cstdlib>
#include <string>

namespace zx::doubles {

namespace adapters = platform::adapters;

namespace {

class ScenarioLibrary : public adapters::AdapterLibrary {
 public:
  explicit ScenarioLibrary(AdapterScenario scenario) : scenario_(std::move(scenario)) {}

  bool hasFunction(std::string_view name) const override {
    return name == adapters::kFunctionName && scenario_.kind != AdapterScenario::Kind::FunctionMissing;
  }

  std::uint32_t getAdaptersInfo(std::vector<adapters::AdapterInfo>& list, std::uint32_t bufferSize) override {
    list.clear();
    if (scenario_.kind == AdapterScenario::Kind::ErrorCode) return scenario_.errorCode;
    return adapters::deliverAdapters(scenario_.adapters, list, bufferSize);
  }

 private:
  AdapterScenario scenario_;
};

std::optional<adapters::AdapterInfo> parseAddress(std::string_view hex) {
  adapters::AdapterInfo info;
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

}  // namespace

std::unique_ptr<adapters::AdapterLibrary> ScenarioAdapters::load(std::string_view name) {
  if (!scenario_) return machine_.load(name);
  if (name != adapters::kLibraryName || scenario_->kind == AdapterScenario::Kind::LibraryMissing) return nullptr;
  return std::make_unique<ScenarioLibrary>(*scenario_);
}

std::optional<AdapterScenario> parseAdapterScenario(std::string_view text) {
  AdapterScenario scenario;
  if (text == "missing-library") {
    scenario.kind = AdapterScenario::Kind::LibraryMissing;
  } else if (text == "missing-function") {
    scenario.kind = AdapterScenario::Kind::FunctionMissing;
  } else if (text.starts_with("error:")) {
    scenario.kind = AdapterScenario::Kind::ErrorCode;
    scenario.errorCode = static_cast<std::uint32_t>(std::strtoul(std::string(text.substr(6)).c_str(), nullptr, 10));
  } else if (text != "none") {
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

}  // namespace zx::doubles
