// Replaces operator new and delete of a test program: allocations are counted, and the one asked
// for fails.
#include "tests/passwords/allocation_failures.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<long> g_left{-1};
std::atomic<long> g_count{0};

}  // namespace

void FailAllocationAfter(long allowed) {
  g_left = allowed;
  g_count = 0;
}

long AllocationCount() { return g_count; }

void* operator new(std::size_t size) {
  ++g_count;
  long left = g_left;
  if (left >= 0 && g_left.compare_exchange_strong(left, left - 1) && left == 0) throw std::bad_alloc();
  if (void* p = std::malloc(size != 0 ? size : 1)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return ::operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return ::operator new(size);
  } catch (...) {
    return nullptr;
  }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return ::operator new(size, std::nothrow); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
