#include "lists/testing/FailingAllocator.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<int64_t> live{0};
std::atomic<int64_t> untilFailure{-1};  // -1: none is to fail

}  // namespace

namespace failing_allocator {

int64_t LiveBlocks() { return live; }
void FailAfter(int64_t succeeding) { untilFailure = succeeding; }
void FailNone() { untilFailure = -1; }

}  // namespace failing_allocator

void* operator new(std::size_t size) {
  const int64_t until = untilFailure.load();
  if (until == 0) {
    untilFailure = -1;
    throw std::bad_alloc();
  }
  if (until > 0) --untilFailure;
  void* block = std::malloc(size == 0 ? 1 : size);
  if (block == nullptr) throw std::bad_alloc();
  ++live;
  return block;
}

void operator delete(void* block) noexcept {
  if (block == nullptr) return;
  --live;
  std::free(block);
}

void operator delete(void* block, std::size_t) noexcept { operator delete(block); }
