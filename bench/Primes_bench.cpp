// The prime list's goals, each against a baseline measured in the same run:
//   reach: reaching index 203,280,220 from a new list (and so a new table),
//          against primesieve counting the primes below 2^32 on one thread
//          (goal: at most 1.3x);
//   memory: the peak resident growth of the process while the table of every
//          prime below 2^32 is built (goal: at most 160 MB, where a plain array
//          of them takes 813 MB);
//   instances: the resident growth of 8 lists that each reach the last prime,
//          against that of one (goal: the same, the table being shared);
//   reads: reading covered primes in index order and at random over the whole
//          range, against reads from a plain array in the same order (goal: at
//          most 1.5x in order, 3x at random); and, for what limits the reads at
//          random, two dependent reads from the plain array against one.
// The ratios and the memory figures are printed after the runs. The plain
// array comes from primesieve and is checked against the list element by
// element before it is used.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <primesieve.hpp>

#include "bench/RatioReporter.h"
#include "lists/PrimeList.h"

namespace tallyra {

namespace {

constexpr uint64_t kLimit = uint64_t{1} << 32;
constexpr uint32_t kCount = PrimeList::kLastIndex + 1;

// A line of /proc/self/status in kB ("VmHWM", "VmRSS"); 0 where there is none.
uint64_t StatusKb(const std::string& key) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.compare(0, key.size() + 1, key + ":") == 0)
      return std::stoull(line.substr(key.size() + 1));
  }
  return 0;
}

// Keeps a value read: it must be in a register, so the read happens (handing
// benchmark::DoNotOptimize an array element lets the compiler skip the load).
inline void Use(uint32_t value) { asm volatile("" : : "r"(value)); }

// Starts a new peak-RSS measurement (Linux: resets VmHWM to the current RSS).
void ResetPeakRss() { std::ofstream("/proc/self/clear_refs") << "5"; }

void BM_Reach_PrimeList(benchmark::State& state) {
  for (auto _ : state) {
    if (PrimeTable::LiveBytes() != 0) state.SkipWithError("a table is alive already");
    PrimeList primes;
    benchmark::DoNotOptimize(primes.PrimeAt(PrimeList::kLastIndex));
    if (primes.PrimeAt(PrimeList::kLastIndex) != 4294967291u)
      state.SkipWithError("wrong last prime");
  }
}

// Not a goal of its own: what reading every prime from a new table costs,
// for the reach's figure (a far read codes only the stretch around it).
void BM_Build_PrimeList(benchmark::State& state) {
  for (auto _ : state) {
    if (PrimeTable::LiveBytes() != 0) state.SkipWithError("a table is alive already");
    PrimeList primes;
    if (!primes.CoverAll() || primes.PrimeAt(PrimeList::kLastIndex) != 4294967291u)
      state.SkipWithError("wrong last prime");
  }
}

void BM_Reach_Primesieve(benchmark::State& state) {
  primesieve::set_num_threads(1);
  for (auto _ : state) {
    const uint64_t count = primesieve::count_primes(0, kLimit - 1);
    benchmark::DoNotOptimize(count);
    if (count != kCount) state.SkipWithError("wrong count");
  }
}

// Peak resident growth (MB) while building the whole table, with one list and
// with eight; 0 until measured.
double one_list_growth_mb = 0;
double eight_lists_growth_mb = 0;

// Covers every prime from `lists` new lists, one after another, and
// answers the peak resident growth of the process meanwhile, in MB.
double PeakGrowthMb(benchmark::State& state, int lists) {
  if (PrimeTable::LiveBytes() != 0) state.SkipWithError("a table is alive already");
  ResetPeakRss();
  const uint64_t rss_before = StatusKb("VmRSS");
  std::vector<std::unique_ptr<PrimeList>> all;
  for (int k = 0; k < lists; ++k) {
    all.push_back(std::make_unique<PrimeList>());
    if (!all.back()->CoverAll() || all.back()->PrimeAt(PrimeList::kLastIndex) != 4294967291u)
      state.SkipWithError("wrong last prime");
  }
  const uint64_t peak = StatusKb("VmHWM");
  state.counters["table_MB"] = all.front()->MemoryBytes() / 1e6;
  state.counters["peak_rss_MB"] = peak * 1024 / 1e6;
  state.counters["plain_array_MB"] = uint64_t{kCount} * 4 / 1e6;
  const double growth = (peak - rss_before) * 1024 / 1e6;
  state.counters["peak_rss_growth_MB"] = growth;
  return growth;
}

void BM_Memory_OneList(benchmark::State& state) {
  for (auto _ : state) one_list_growth_mb = PeakGrowthMb(state, 1);
}

void BM_Memory_EightLists(benchmark::State& state) {
  for (auto _ : state) eight_lists_growth_mb = PeakGrowthMb(state, 8);
}

// The full list and the plain array that the reads share; null when they
// disagree.
struct Covered {
  PrimeList list;
  std::vector<uint32_t> array;
  std::vector<uint32_t> random_indices;
};

Covered* GetCovered() {
  static Covered* covered = [] {
    auto c = std::make_unique<Covered>();
    c->array.reserve(kCount);
    primesieve::generate_primes(kLimit - 1, &c->array);
    if (c->array.size() != kCount) return static_cast<Covered*>(nullptr);
    for (uint32_t i = 0; i < kCount; ++i) {
      if (c->list.PrimeAt(i) != c->array[i]) {
        std::fprintf(stderr, "mismatch at %u\n", i);
        return static_cast<Covered*>(nullptr);
      }
    }
    std::mt19937 rng(42);
    std::uniform_int_distribution<uint32_t> pick(0, PrimeList::kLastIndex);
    c->random_indices.resize(1u << 22);
    for (uint32_t& i : c->random_indices) i = pick(rng);
    return c.release();
  }();
  return covered;
}

void BM_InOrder_PrimeList(benchmark::State& state) {
  Covered* c = GetCovered();
  if (c == nullptr) return state.SkipWithError("the list and primesieve disagree");
  PrimeList& list = c->list;
  for (auto _ : state) {
    for (uint32_t i = 0; i < kCount; ++i) {
      Use(list.PrimeAt(i));
    }
  }
  state.SetItemsProcessed(state.iterations() * kCount);
}

void BM_InOrder_PlainArray(benchmark::State& state) {
  Covered* c = GetCovered();
  if (c == nullptr) return state.SkipWithError("the list and primesieve disagree");
  const uint32_t* array = c->array.data();
  for (auto _ : state) {
    for (uint32_t i = 0; i < kCount; ++i) {
      Use(array[i]);
    }
  }
  state.SetItemsProcessed(state.iterations() * kCount);
}

void BM_Random_PrimeList(benchmark::State& state) {
  Covered* c = GetCovered();
  if (c == nullptr) return state.SkipWithError("the list and primesieve disagree");
  PrimeList& list = c->list;
  for (auto _ : state) {
    for (uint32_t i : c->random_indices) {
      Use(list.PrimeAt(i));
    }
  }
  state.SetItemsProcessed(state.iterations() * c->random_indices.size());
}

void BM_Random_PlainArray(benchmark::State& state) {
  Covered* c = GetCovered();
  if (c == nullptr) return state.SkipWithError("the list and primesieve disagree");
  const uint32_t* array = c->array.data();
  for (auto _ : state) {
    for (uint32_t i : c->random_indices) {
      Use(array[i]);
    }
  }
  state.SetItemsProcessed(state.iterations() * c->random_indices.size());
}

// What a layout that finds a prime through an index and then its bits would
// cost at least (the table before its blocks): two reads from the plain array
// at random, the second at a place that depends on what the first read.
void BM_Random_TwoDependentReads(benchmark::State& state) {
  Covered* c = GetCovered();
  if (c == nullptr) return state.SkipWithError("the list and primesieve disagree");
  const uint32_t* array = c->array.data();
  for (auto _ : state) {
    for (uint32_t i : c->random_indices) {
      const uint32_t a = array[i / 32];
      Use(array[(a / 32 + i) % kCount]);
    }
  }
  state.SetItemsProcessed(state.iterations() * c->random_indices.size());
}

// The memory runs come first, before the plain array is in the process.
BENCHMARK(BM_Memory_OneList)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Memory_EightLists)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Reach_PrimeList)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_Reach_Primesieve)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_Build_PrimeList)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_InOrder_PrimeList)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_InOrder_PlainArray)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_Random_PrimeList)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_Random_PlainArray)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_Random_TwoDependentReads)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

int RunProgram(int argc, char** argv) {
  // The blocks' reads: the processor's best, or with TALLYRA_PORTABLE_READS=1
  // the portable ones that processors without POPCNT and BMI2 run.
  const char* portable = std::getenv("TALLYRA_PORTABLE_READS");
  const bool use_portable = portable != nullptr && std::string(portable) == "1";
  PrimeTable::ReadPortablyForTesting(use_portable);
  const bool fast = !use_portable && PrimeBlock::FastReader().number_at != nullptr;
  std::printf("block reads: %s\n", fast ? "fast (POPCNT, BMI2, AVX2)" : "portable");
  return RunWithRatios(argc, argv, [](const RatioReporter& r) {
    r.PrintRatio("reach", "BM_Reach_PrimeList", "BM_Reach_Primesieve", 1.3);
    r.PrintRatio("build", "BM_Build_PrimeList", "BM_Reach_Primesieve", 0);
    r.PrintRatio("in-order", "BM_InOrder_PrimeList", "BM_InOrder_PlainArray", 1.5);
    r.PrintRatio("random", "BM_Random_PrimeList", "BM_Random_PlainArray", 3);
    r.PrintRatio("2 reads", "BM_Random_TwoDependentReads", "BM_Random_PlainArray", 3);
    if (one_list_growth_mb > 0) {
      std::printf("memory     peak resident growth, whole table: %.1f MB (goal at most 160): %s\n",
                  one_list_growth_mb, one_list_growth_mb <= 160 ? "met" : "NOT MET");
    }
    if (one_list_growth_mb > 0 && eight_lists_growth_mb > 0) {
      // Within 1 MB (page-table and allocator noise) of one list's.
      const bool same = eight_lists_growth_mb <= one_list_growth_mb + 1;
      std::printf(
          "instances  8 lists / 1 list, peak resident growth: %.1f / %.1f MB = %.3f (goal: the "
          "same): %s\n",
          eight_lists_growth_mb, one_list_growth_mb, eight_lists_growth_mb / one_list_growth_mb,
          same ? "met" : "NOT MET");
    }
  });
}

}  // namespace tallyra

int main(int argc, char** argv) { return tallyra::RunProgram(argc, argv); }
