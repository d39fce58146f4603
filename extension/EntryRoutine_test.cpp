#include "extension/EntryRoutine.h"

#include <gtest/gtest.h>

namespace tallyra {

namespace {

TEST(EntryRoutineTest, KeepsTheHandleOfProcessAttachOnly) {
  // Process attach, as at load (a test program on Windows gets no loader
  // notification for it).
  char marker;
  EXPECT_EQ(ModuleEntry(reinterpret_cast<HINSTANCE>(&marker), kProcessAttach, nullptr), 1);
  EXPECT_EQ(ModuleInstance(), reinterpret_cast<HINSTANCE>(&marker));
  // Thread attach, thread detach, process detach.
  char other;
  for (DWORD reason : {DWORD{2}, DWORD{3}, kProcessDetach}) {
    EXPECT_EQ(ModuleEntry(reinterpret_cast<HINSTANCE>(&other), reason, nullptr), 1);
  }
  EXPECT_EQ(ModuleInstance(), reinterpret_cast<HINSTANCE>(&marker));
}

}  // namespace

}  // namespace tallyra
