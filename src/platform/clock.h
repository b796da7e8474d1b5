#pragma once
// Time where the control's behaviour depends on it: short waits between retries, the age of
// files left behind, how often a window is repainted.
//
// Threads: any.
#include <chrono>

#include "platform/api.h"

namespace zx::platform {

class ZX_API Clock {
 public:
  using TimePoint = std::chrono::steady_clock::time_point;
  virtual ~Clock() = default;
  virtual TimePoint now() = 0;
  // Calendar time, for comparing with the times files carry.
  virtual std::chrono::system_clock::time_point wallNow() = 0;
  virtual void sleepFor(std::chrono::milliseconds duration) = 0;
};

class ZX_API SystemClock : public Clock {
 public:
  TimePoint now() override { return std::chrono::steady_clock::now(); }
  std::chrono::system_clock::time_point wallNow() override { return std::chrono::system_clock::now(); }
  void sleepFor(std::chrono::milliseconds duration) override;
};

}  // namespace zx::platform
