#pragma once
// Adapter lists the machine does not have: a given list, a library or function that cannot be
// found, or an error code of the adapter query.
#include <optional>
#include <string_view>
#include <vector>

#include "platform/adapters.h"

namespace zx::doubles {

struct AdapterScenario {
  enum class Kind { List, LibraryMissing, FunctionMissing, ErrorCode };
  Kind kind = Kind::List;
  std::vector<platform::adapters::AdapterInfo> adapters;  // Kind::List
  std::uint32_t errorCode = 0;                           // Kind::ErrorCode
};

// The text form of $ZORVAX_ADAPTERS: "none", "missing-library", "missing-function",
// "error:CODE", or addresses in hexadecimal joined by ',' (an empty element: length 0).
std::optional<AdapterScenario> parseAdapterScenario(std::string_view text);

// The scenario set last, or the machine's own adapters while there is none.
class ScenarioAdapters : public platform::adapters::AdapterSource {
 public:
  explicit ScenarioAdapters(platform::adapters::AdapterSource& machine) : machine_(machine) {}
  void set(std::optional<AdapterScenario> scenario) { scenario_ = std::move(scenario); }
  std::unique_ptr<platform::adapters::AdapterLibrary> load(std::string_view name) override;

 private:
  platform::adapters::AdapterSource& machine_;
  std::optional<AdapterScenario> scenario_;
};

}  // namespace zx::doubles
