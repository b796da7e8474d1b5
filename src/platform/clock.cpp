#include "platform/clock.h"

#include <thread>

namespace zx::platform {

void SystemClock::sleepFor(std::chrono::milliseconds duration) { std::this_thread::sleep_for(duration); }

}  // namespace zx::platform
