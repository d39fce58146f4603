// LocalAlloc and LocalFree: fixed blocks from the C heap, zero-filled when
// asked (LMEM_ZEROINIT). Only fixed memory is given: LMEM_MOVEABLE, whose
// handles need LocalLock, fails. Live blocks are recorded, so freeing anything
// that LocalAlloc did not hand out (or freeing twice) fails instead of
// corrupting the heap.
#include <cstdlib>
#include <mutex>
#include <unordered_set>

#include "platform/Win32.h"

namespace tly_platform {
namespace {

struct LocalBlocks {
  std::mutex mutex;
  std::unordered_set<void*> live;
};

LocalBlocks& TheBlocks() {
  static LocalBlocks* blocks = new LocalBlocks;  // never destroyed: usable until the process ends
  return *blocks;
}

}  // namespace
}  // namespace tly_platform

extern "C" {

HLOCAL WINAPI LocalAlloc(UINT flags, size_t bytes) {
  if (flags & LMEM_MOVEABLE) return nullptr;
  // A block of 0 bytes is still a distinct block.
  size_t size = bytes == 0 ? 1 : bytes;
  void* block = (flags & LMEM_ZEROINIT) ? std::calloc(1, size) : std::malloc(size);
  if (block == nullptr) return nullptr;
  try {
    tly_platform::LocalBlocks& blocks = tly_platform::TheBlocks();
    std::lock_guard<std::mutex> lock(blocks.mutex);
    blocks.live.insert(block);
  } catch (...) {
    std::free(block);
    return nullptr;
  }
  return block;
}

HLOCAL WINAPI LocalFree(HLOCAL memory) {
  if (memory == nullptr) return nullptr;
  tly_platform::LocalBlocks& blocks = tly_platform::TheBlocks();
  {
    std::lock_guard<std::mutex> lock(blocks.mutex);
    if (blocks.live.erase(memory) == 0) return memory;  // not a live block: fails
  }
  std::free(memory);
  return nullptr;
}

}  // extern "C"
