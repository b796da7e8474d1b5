#pragma once
// An older (or any) operating system as the control sees it through the version query.
#include <cstdint>

#include "platform/osinfo.h"

namespace zx::doubles {

class EmulatedOs : public platform::OsInfo {
 public:
  // 0 answers as the running system does.
  explicit EmulatedOs(std::uint32_t major = 0) : major_(major) {}
  void setMajor(std::uint32_t major) { major_ = major; }
  bool queryVersion(platform::OsVersion& version) override;

 private:
  std::uint32_t major_;
  platform::SystemOsInfo system_;
};

}  // namespace zx::doubles
