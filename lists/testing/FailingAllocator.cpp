#include "lists/testing/FailingAllocator.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<int64_t> live{0};
std::atomic<int64_t> until_failure{-1};  // -1: none is to fail

}  // namespace

namespace tallyra::failing_allocator {

int64_t LiveBlocks() { return live; }
void FailAfter(int64_t succeeding) { until_failure = succeeding; }
void FailNone() { until_failure = -1; }

}  // namespace tallyra::failing_allocator

// The replaced operators are global, as the language requires.

void* operator new(std::size_t size) {
  const int64_t until = until_failure.load();
  if (until == 0) {
    until_failure = -1;
    throw std::bad_alloc();
  }
  if (until > 0) --until_failure;
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

// The non-throwing forms, so that every block of the program comes from the
// functions above and goes back to them.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return operator new(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

void operator delete(void* block, const std::nothrow_t&) noexcept { operator delete(block); }
