// Vectors for the search's working memory, allocated through the platform so
// that a memory shortage there reaches the search as std::bad_alloc.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <vector>

#include "support/platform.h"

namespace zolt {

// An allocator over Platform::Allocate and Platform::Release; throws
// std::bad_alloc when the platform has no memory.
template <typename T>
struct PlatformAllocator {
  using value_type = T;
  PlatformAllocator() = default;
  template <typename U>
  PlatformAllocator(const PlatformAllocator<U>&) {}
  T* allocate(size_t n) {
    void* block = n <= SIZE_MAX / sizeof(T) ? Sys().Allocate(n * sizeof(T)) : nullptr;
    if (!block) throw std::bad_alloc();
    return static_cast<T*>(block);
  }
  void deallocate(T* block, size_t) { Sys().Release(block); }
  friend bool operator==(const PlatformAllocator&, const PlatformAllocator&) { return true; }
};

template <typename T>
using ScratchVector = std::vector<T, PlatformAllocator<T>>;

}  // namespace zolt
