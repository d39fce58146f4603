// LocalAlloc and LocalFree, as the module's menu copy uses them.
#include <gtest/gtest.h>

#include "platform/Win32.h"

namespace {

TEST(LocalMemoryTest, ZeroInitBlocksAreZeroFilledAndFreed) {
  for (size_t size : {size_t{1}, size_t{80}, size_t{100000}}) {
    auto* block = static_cast<unsigned char*>(LocalAlloc(LPTR, size));
    ASSERT_NE(block, nullptr) << size;
    for (size_t i = 0; i < size; ++i) ASSERT_EQ(block[i], 0) << size << " at " << i;
    block[size - 1] = 0xAB;  // the whole block is writable
    EXPECT_EQ(LocalFree(block), nullptr);
  }
  EXPECT_EQ(LocalFree(nullptr), nullptr);
}

TEST(LocalMemoryTest, FixedBlocksAreDistinct) {
  void* a = LocalAlloc(LMEM_FIXED, 0);
  void* b = LocalAlloc(LMEM_FIXED, 16);
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_NE(a, b);
  EXPECT_EQ(LocalFree(a), nullptr);
  EXPECT_EQ(LocalFree(b), nullptr);
}

#ifndef _WIN32
// The stand-in refuses what Win32 leaves undefined, rather than corrupting its heap.
TEST(LocalMemoryTest, FreeingWhatWasNotAllocatedFails) {
  int local = 0;
  EXPECT_EQ(LocalFree(&local), &local);
  void* block = LocalAlloc(LPTR, 8);
  EXPECT_EQ(LocalFree(block), nullptr);
  EXPECT_EQ(LocalFree(block), block);
}
#endif

}  // namespace
