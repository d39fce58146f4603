// SettleAllocator: puts the C library's allocator in the state that a process
// reaches after its first large block is freed, before any benchmark runs.
//
// glibc serves blocks from 128 KB up with fresh memory from the system (whose
// first touch costs a page fault a page), and, once such a block is freed,
// raises that threshold to the block's size, up to 32 MB; freed memory below
// the threshold is then used again. Without this, the runs that come first
// would pay for fresh memory where the later ones do not. Blocks of 32 MB and
// more are fresh at every allocation all the same.
#ifndef TALLYRA_BENCH_SETTLEDALLOCATOR_H_
#define TALLYRA_BENCH_SETTLEDALLOCATOR_H_

#include <benchmark/benchmark.h>

#include <memory>

namespace tallyra {

inline void SettleAllocator() {
  auto block = std::make_unique<char[]>(std::size_t{30} << 20);
  benchmark::DoNotOptimize(block.get());
}

}  // namespace tallyra

#endif  // TALLYRA_BENCH_SETTLEDALLOCATOR_H_
