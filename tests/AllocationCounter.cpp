#include "AllocationCounter.h"

#include <cstdlib>
#include <new>

namespace {
std::size_t live = 0;
std::size_t total = 0;
} // namespace

std::size_t liveAllocations() { return live; }
std::size_t totalAllocations() { return total; }

void *operator new(std::size_t size) {
  void *block = std::malloc(size ? size : 1);
  if (!block) {
    throw std::bad_alloc();
  }
  ++live;
  ++total;
  return block;
}

void operator delete(void *block) noexcept {
  if (block) {
    --live;
    std::free(block);
  }
}

void operator delete(void *block, std::size_t) noexcept {
  operator delete(block);
}
