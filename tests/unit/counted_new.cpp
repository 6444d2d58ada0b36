// The unit tests' operator new: while a FakePlatform counts them (count_new),
// allocations of the standard containers fail as its Allocate would.
#include <cstdlib>
#include <new>

#include "unit/fake_platform.h"

void* operator new(size_t size) {
  auto* fake = dynamic_cast<zolt::FakePlatform*>(&zolt::Sys());
  if (fake && fake->count_new && fake->AllocationFails()) throw std::bad_alloc();
  if (void* block = std::malloc(size ? size : 1)) return block;
  throw std::bad_alloc();
}

void operator delete(void* block) noexcept {
  std::free(block);
}

void operator delete(void* block, size_t) noexcept {
  std::free(block);
}
