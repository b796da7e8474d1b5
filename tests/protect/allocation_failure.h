#pragma once
// Memory failures on demand: the test program replaces the global allocation function.
#include <cstddef>

namespace zx::test {

// The next allocation of exactly `size` bytes (0: of any size) throws std::bad_alloc, once.
void failNextAllocation(std::size_t size = 0);
// Disarms a failure that never happened; true when it had been armed.
bool cancelAllocationFailure();

}  // namespace zx::test
