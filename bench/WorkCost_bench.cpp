// How long one host call's whole budget (WorkBudget::kPerCall) takes to spend
// on the heaviest work of each kind that a call can charge: formulas of every
// shape, texts, k-subset seeks, primes, stored elements; and definitions of
// formulas of every shape, k-subsets' first masks, text parameters. Each run spends one
// whole budget per iteration, so its time is the longest that one call can
// take on that work; the goal is at most 250 ms on the development machine.
// The baseline in the same run is the cheapest work there is, reading stored
// numbers, so the ratios show how evenly the units are priced.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bench/RatioReporter.h"
#include "formula/FilteredList.h"
#include "formula/FormulaList.h"
#include "formula/MappedList.h"
#include "formula/SubsequenceList.h"
#include "lists/ConcreteList.h"
#include "lists/KSubsetList.h"
#include "lists/PrimeList.h"
#include "lists/PrimeTable.h"
#include "lists/WorkBudget.h"

namespace tallyra {

namespace {

std::string Repeat(const std::string& piece, int count) {
  std::string out;
  for (int i = 0; i < count; ++i) out += piece;
  return out;
}

// The longest formulas of each shape that are taken.
std::string Nested(const std::string& open, const std::string& inner, const std::string& close) {
  const std::size_t room = FormulaEvaluator::kMaxFormulaLength - inner.size();
  const int depth = static_cast<int>(room / (open.size() + close.size()));
  return Repeat(open, depth) + inner + Repeat(close, depth);
}
std::string Chain(const std::string& first, const std::string& next) {
  std::string out = first;
  while (out.size() + next.size() <= FormulaEvaluator::kMaxFormulaLength) out += next;
  return out;
}

std::shared_ptr<List> Numbers() {
  auto n = std::make_shared<FormulaList>();
  n->SetFormula("n");
  return n;
}

// A filter that nothing passes, over the numbers, whose formula is `formula`
// and then "and 0": one element read searches until the budget is spent.
void SpendOnFilter(benchmark::State& state, const std::string& formula, ListPtr base) {
  for (auto _ : state) {
    state.PauseTiming();
    FilteredList filter(base);
    filter.SetFormula("(" + formula + ") and 0");
    WorkBudget budget;
    state.ResumeTiming();
    benchmark::DoNotOptimize(filter.ElementAt(0, budget));
  }
}

// Reads the list from index 0 on until the budget is spent.
void SpendOnReads(benchmark::State& state, List& list) {
  for (auto _ : state) {
    WorkBudget budget;
    for (uint32_t i = 0; !budget.Spent(); ++i) benchmark::DoNotOptimize(list.ElementAt(i, budget));
  }
}

void BM_StoredNumbers(benchmark::State& state) {
  ConcreteList list;
  for (uint32_t i = 0; i < (1u << 20); ++i) list.AppendNumber(i);
  for (auto _ : state) {
    WorkBudget budget;
    for (uint32_t i = 0; !budget.Spent(); i = (i + 1) & ((1u << 20) - 1)) {
      benchmark::DoNotOptimize(list.ElementAt(i, budget));
    }
  }
}
BENCHMARK(BM_StoredNumbers)->Unit(benchmark::kMillisecond);

void BM_Formula(benchmark::State& state, const std::string& formula) {
  SpendOnFilter(state, formula, Numbers());
}
BENCHMARK_CAPTURE(BM_Formula, simple, std::string("x < 0"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Formula, divisions, Chain("x", "/x"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Formula, sums, Chain("x", "+n*x"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Formula, sines, Nested("sin(", "x", ")"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Formula, powers, Chain("x", "^x"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Formula, exponentials, Nested("exp(", "x", ")"))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Formula, logarithms, Nested("log(", "x", ")"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Formula, conditions, Nested("if(x<n,", "x", ",x)"))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Formula, remainders, Nested("mod(", "x", ",7)"))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Formula, bitwise, Chain("x", " xor n"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Formula, many_arguments, "sum(" + Chain("x", ",x") + ")")
    ->Unit(benchmark::kMillisecond);

void BM_Primes(benchmark::State& state) {
  auto primes = std::make_shared<PrimeList>();
  WorkBudget grow;
  primes->ElementAt(10000000, grow);  // growing is not charged: done before
  SpendOnFilter(state, "x < 0", primes);
}
BENCHMARK(BM_Primes)->Unit(benchmark::kMillisecond);

// The whole table, for the prime reads below (growing is not charged).
std::shared_ptr<PrimeList> AllPrimes() {
  static const std::shared_ptr<PrimeList> primes = [] {
    auto p = std::make_shared<PrimeList>();
    p->CoverAll();
    return p;
  }();
  return primes;
}

// Prime reads in index order from the list's window, each group decoded once.
void BM_PrimesInOrder(benchmark::State& state) {
  PrimeList& primes = *AllPrimes();
  for (auto _ : state) {
    WorkBudget budget;
    for (uint32_t i = 0; !budget.Spent(); ++i)
      benchmark::DoNotOptimize(primes.ElementAt(i, budget));
  }
}
BENCHMARK(BM_PrimesInOrder)->Unit(benchmark::kMillisecond);

// Prime reads that jump about the whole table (every read a seek), and that
// seek and then read the next one (which decodes a group from there).
void BM_PrimeSeeks(benchmark::State& state) {
  PrimeList& primes = *AllPrimes();
  const bool then_next = state.range(0) != 0;
  for (auto _ : state) {
    WorkBudget budget;
    uint32_t x = 12345;
    while (!budget.Spent()) {
      x = x * 1664525u + 1013904223u;
      const uint32_t index = x % PrimeList::kLastIndex;
      benchmark::DoNotOptimize(primes.ElementAt(index, budget));
      if (then_next) benchmark::DoNotOptimize(primes.ElementAt(index + 1, budget));
    }
  }
}
BENCHMARK(BM_PrimeSeeks)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Texts of 1 MB and of 64 bytes, repeated by a subsequence.
void BM_Texts(benchmark::State& state) {
  auto one = std::make_shared<ConcreteList>();
  one->AppendText(std::string(static_cast<std::size_t>(state.range(0)), 't'));
  SubsequenceList repeated(one);
  repeated.SetFormula("0");
  SpendOnReads(state, repeated);
}
BENCHMARK(BM_Texts)->Arg(64)->Arg(1 << 20)->Unit(benchmark::kMillisecond);

// A k-subset read in an order that seeks far each time: the middle, then a
// step away, of a subset of 33,554,432 over the numbers.
void BM_SubsetSeeks(benchmark::State& state) {
  const int32_t k = 1 << 25;
  KSubsetList subset(k, Numbers());
  for (auto _ : state) {
    WorkBudget budget;
    for (uint32_t i = 0; !budget.Spent(); ++i) {
      const uint32_t index = (i % 2 == 0) ? k / 2 - (i % 1024) : k / 4 + (i % 1024);
      benchmark::DoNotOptimize(subset.ElementAt(index, budget));
    }
  }
}
BENCHMARK(BM_SubsetSeeks)->Unit(benchmark::kMillisecond);

// Definitions of the longest formula of each shape, one after another (each a
// new filtered list, its parser set up), until the budget is spent.
void BM_FormulaDefinitions(benchmark::State& state, const std::string& formula) {
  const ListPtr base = Numbers();
  for (auto _ : state) {
    WorkBudget budget;
    while (!budget.Spent()) {
      auto filter = std::make_shared<FilteredList>(base);
      benchmark::DoNotOptimize(filter->SetFormula(formula, budget));
    }
  }
}
BENCHMARK_CAPTURE(BM_FormulaDefinitions, shortest, std::string("n"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FormulaDefinitions, sines, Nested("sin(", "x", ")"))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FormulaDefinitions, conditions, Nested("if(x<n,", "x", ",x)"))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FormulaDefinitions, parentheses, Nested("(", "x", ")"))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FormulaDefinitions, sums, Chain("x", "+n*x"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FormulaDefinitions, divisions, Chain("x", "/x"))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FormulaDefinitions, powers, Chain("x", "^x"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FormulaDefinitions, bitwise, Chain("x", " xor n"))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FormulaDefinitions, products, Chain("x", "*n+x"))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FormulaDefinitions, many_arguments, "sum(" + Chain("x", ",x") + ")")
    ->Unit(benchmark::kMillisecond);

// First masks of the largest k-subset, one after another and each kept, as
// the store keeps a subset (so each one is fresh memory), until the budget is
// spent.
void BM_SubsetMasks(benchmark::State& state) {
  const ListPtr base = Numbers();
  for (auto _ : state) {
    WorkBudget budget;
    std::vector<std::shared_ptr<KSubsetList>> kept;
    try {
      for (;;) kept.push_back(std::make_shared<KSubsetList>(1 << 25, base, budget));
    } catch (const KSubsetList::CutShort&) {
    }
    benchmark::DoNotOptimize(kept.data());
  }
}
BENCHMARK(BM_SubsetMasks)->Unit(benchmark::kMillisecond);

// Text parameters of 1 MiB taken as the module's port takes them (their
// length found by a bounded scan, charged, copied) and kept, as an appended
// text is, until the budget is spent.
void BM_TextParameters(benchmark::State& state) {
  const std::string host_text(std::size_t{1} << 20, 'p');
  for (auto _ : state) {
    WorkBudget budget;
    std::vector<std::string> kept;
    for (;;) {
      const void* end = std::memchr(host_text.c_str(), '\0', host_text.size() + 1);
      const auto length =
          static_cast<std::size_t>(static_cast<const char*>(end) - host_text.c_str());
      if (!budget.Charge(work_cost::ParameterText(length))) break;
      std::string taken(host_text.c_str(), length);
      kept.push_back(taken);  // the stored element's own copy
    }
    benchmark::DoNotOptimize(kept.data());
  }
}
BENCHMARK(BM_TextParameters)->Unit(benchmark::kMillisecond);

// A copy of a mapped list of a million elements.
void BM_MappedCopy(benchmark::State& state) {
  auto base = std::make_shared<ConcreteList>();
  for (uint32_t i = 0; i < (1u << 20); ++i) base->AppendNumber(i);
  MappedList mapped(base);
  mapped.SetFormula(Chain("x", "+n*x"));
  for (auto _ : state) {
    WorkBudget budget;
    try {
      benchmark::DoNotOptimize(MakeConcreteCopy(mapped, budget));
    } catch (const std::length_error&) {
    }
  }
}
BENCHMARK(BM_MappedCopy)->Unit(benchmark::kMillisecond);

}  // namespace

int RunProgram(int argc, char** argv) {
  // The prime reads: the processor's best, or with TALLYRA_PORTABLE_READS=1
  // the portable ones, which the charges must cover too.
  const char* portable = std::getenv("TALLYRA_PORTABLE_READS");
  PrimeTable::ReadPortablyForTesting(portable != nullptr && std::string(portable) == "1");
  return RunWithRatios(argc, argv, [](const RatioReporter& reporter) {
    std::printf(
        "\nOne whole budget (%llu units), against the cheapest work "
        "(goal: at most 250 ms each):\n",
        static_cast<unsigned long long>(WorkBudget::kPerCall));
    const RatioReporter::Times* base = reporter.Find("BM_StoredNumbers");
    if (base == nullptr) return;
    for (const auto& [name, times] : reporter.All()) {
      std::printf("  %-34s %8.1f ms %8.1f ms  %6.2fx  %s\n", name.c_str(), times.real * 1e3,
                  times.cpu * 1e3, times.cpu / base->cpu,
                  std::max(times.real, times.cpu) <= 0.25 ? "met" : "NOT MET");
    }
  });
}

}  // namespace tallyra

int main(int argc, char** argv) { return tallyra::RunProgram(argc, argv); }
