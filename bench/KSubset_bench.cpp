// All 6-subsets of a 40-element list of numbers, each read element by element:
// through KSubsetList (its step and its element reads), and through a plain
// 64-bit mask stepped with the same arithmetic that reads the same base list.
// Each iteration is one subset: a step and six element reads.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>

#include "lists/ConcreteList.h"
#include "lists/KSubsetList.h"
#include "lists/testing/UnlimitedBudget.h"

namespace tallyra {

namespace {

constexpr uint32_t kBaseLength = 40;
constexpr int32_t kSize = 6;

std::shared_ptr<ConcreteList> Base() {
  auto base = std::make_shared<ConcreteList>();
  for (uint32_t i = 0; i < kBaseLength; ++i) base->AppendNumber(i);
  return base;
}

void BM_KSubsetList(benchmark::State& state) {
  const std::shared_ptr<ConcreteList> base = Base();
  KSubsetList subsets(kSize, ListPtr(base));
  double sum = 0;
  for (auto _ : state) {
    for (uint32_t i = 0; i < kSize; ++i) sum += subsets.ElementAt(i, UnlimitedBudget()).number();
    subsets.NextSubset(UnlimitedBudget());
  }
  benchmark::DoNotOptimize(sum);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_KSubsetList);

// The baseline: the next mask with as many set bits, in one machine word.
void BM_Baseline64BitMask(benchmark::State& state) {
  const std::shared_ptr<ConcreteList> base = Base();
  List& list = *base;  // read through the same virtual call
  const uint64_t first = (uint64_t{1} << kSize) - 1;
  uint64_t mask = first;
  double sum = 0;
  for (auto _ : state) {
    for (uint64_t bits = mask; bits != 0; bits &= bits - 1) {
      sum +=
          list.ElementAt(static_cast<uint32_t>(__builtin_ctzll(bits)), UnlimitedBudget()).number();
    }
    const uint64_t c = mask & (~mask + 1);
    const uint64_t r = mask + c;
    mask = r | (((mask ^ r) >> 2) / c);
    if ((mask >> static_cast<uint32_t>(list.Length(UnlimitedBudget()))) & 1u) mask = first;
  }
  benchmark::DoNotOptimize(sum);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Baseline64BitMask);

}  // namespace

}  // namespace tallyra

BENCHMARK_MAIN();
