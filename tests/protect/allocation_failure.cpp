#include "allocation_failure.h"

#include <atomic>
#include <cstdlib>
#include <new>

#ifdef _WIN32
#include <malloc.h>
#endif

namespace {
std::atomic<bool> g_armed{false};
std::atomic<std::size_t> g_size{0};

bool shouldFail(std::size_t size) { return g_armed && (g_size == 0 || g_size == size) && g_armed.exchange(false); }

// The Windows C runtime has no aligned_alloc; its aligned blocks need their own free.
void* alignedAllocate(std::size_t align, std::size_t size) {
#ifdef _WIN32
  return _aligned_malloc(size, align);
#else
  return std::aligned_alloc(align, size);
#endif
}

void alignedFree(void* p) {
#ifdef _WIN32
  _aligned_free(p);
#else
  std::free(p);
#endif
}
}  // namespace

namespace zx::test {

void failNextAllocation(std::size_t size) {
  g_size = size;
  g_armed = true;
}

bool cancelAllocationFailure() { return g_armed.exchange(false); }

}  // namespace zx::test

void* operator new(std::size_t size) {
  if (shouldFail(size)) throw std::bad_alloc();
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}

void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

void* operator new(std::size_t size, std::align_val_t alignment) {
  if (shouldFail(size)) throw std::bad_alloc();
  const auto align = static_cast<std::size_t>(alignment);
  if (void* p = alignedAllocate(align, (size + align - 1) / align * align)) return p;
  throw std::bad_alloc();
}

void operator delete(void* p, std::align_val_t) noexcept { alignedFree(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { alignedFree(p); }
