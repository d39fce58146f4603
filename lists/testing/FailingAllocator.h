// A test program's own global operator new and delete (FailingAllocator.cpp,
// linked into one test program): they count the blocks in being and can be
// told to fail an allocation, so that a test can show that memory is released
// and that a failed allocation leaves things as they were.
#ifndef TALLYRA_LISTS_TESTING_FAILINGALLOCATOR_H_
#define TALLYRA_LISTS_TESTING_FAILINGALLOCATOR_H_

#include <cstdint>

namespace tallyra {

namespace failing_allocator {

// How many blocks from operator new are in being.
int64_t LiveBlocks();

// The allocation after `succeeding` more that succeed throws std::bad_alloc
// (once); FailNone() withdraws it.
void FailAfter(int64_t succeeding);
void FailNone();

}  // namespace failing_allocator

}  // namespace tallyra

#endif  // TALLYRA_LISTS_TESTING_FAILINGALLOCATOR_H_
