#pragma once
// The operating system's version, as the system's version query fills its record.
//
// Threads: any.
#include <cstdint>

#include "platform/api.h"

namespace zx::platform {

struct OsVersion {
  std::uint32_t size = 148;
  std::uint32_t majorVersion = 0;
  std::uint32_t minorVersion = 0;
  std::uint32_t buildNumber = 0;
};

class ZX_API OsInfo {
 public:
  virtual ~OsInfo() = default;
  // Fills a record whose size field is 148; false for a record of another size.
  virtual bool queryVersion(OsVersion& version) = 0;
};

// The running system, reported as a modern one.
class ZX_API SystemOsInfo : public OsInfo {
 public:
  bool queryVersion(OsVersion& version) override;
};

}  // namespace zx::platform
