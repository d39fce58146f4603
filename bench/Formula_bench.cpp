// MappedList::ElementAt over a concrete base against the bare loop that it
// wraps: one mu::Parser with the same formula, x and n written before each
// Eval. The goal is at most 1.5 times the bare loop's time per element.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <vector>

#include <muParser.h>

#include "formula/FilteredList.h"
#include "formula/FormulaEvaluator.h"
#include "formula/FormulaList.h"
#include "formula/MappedList.h"
#include "lists/ConcreteList.h"
#include "lists/testing/UnlimitedBudget.h"

namespace tallyra {

namespace {

constexpr uint32_t kBaseLength = 1024;

std::vector<double> Values() {
  std::vector<double> values;
  for (uint32_t i = 0; i < kBaseLength; ++i) values.push_back(i * 0.5);
  return values;
}

void BareParser(benchmark::State& state, const char* formula) {
  const std::vector<double> values = Values();
  double n = 0;
  double x = 0;
  mu::Parser parser;
  parser.DefineVar("n", &n);
  parser.DefineVar("x", &x);
  parser.SetExpr(formula);
  uint32_t i = 0;
  for (auto _ : state) {
    n = i;
    x = values[i];
    benchmark::DoNotOptimize(parser.Eval());
    i = (i + 1) % kBaseLength;
  }
}

void Mapped(benchmark::State& state, const char* formula) {
  auto base = std::make_shared<ConcreteList>();
  for (double value : Values()) base->AppendNumber(value);
  MappedList mapped{ListRef(base)};
  mapped.SetFormula(formula);
  uint32_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(mapped.ElementAt(i, UnlimitedBudget()));
    i = (i + 1) % kBaseLength;
  }
}

// The list's evaluator alone: the shared set-up's share of the difference.
void Evaluator(benchmark::State& state) {
  const std::vector<double> values = Values();
  double n = 0;
  double x = 0;
  FormulaEvaluator evaluator({{"n", &n}, {"x", &x}});
  evaluator.SetFormula("x*2+n");
  uint32_t i = 0;
  for (auto _ : state) {
    n = i;
    x = values[i];
    double value;
    evaluator.Evaluate(&value);
    benchmark::DoNotOptimize(value);
    i = (i + 1) % kBaseLength;
  }
}

// A formula list's element: a "mod" that succeeds is the baseline for one
// that fails ("mod" by 0) and for a formula that the parser rejects.
void Formula(benchmark::State& state, const char* formula) {
  FormulaList list;
  list.SetFormula(formula);
  uint32_t i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(list.ElementAt(i++, UnlimitedBudget()));
}

// One search of a filter that nothing passes, over a concrete base of 2^16
// numbers: the filter failing at every position against one that is false at
// every position.
void FilterSearch(benchmark::State& state, const char* formula) {
  constexpr uint32_t k_positions = 1u << 16;
  auto base = std::make_shared<ConcreteList>();
  for (uint32_t i = 0; i < k_positions; ++i) base->AppendNumber(i);
  for (auto _ : state) {
    FilteredList filtered{ListRef(base)};
    filtered.SetFormula(formula);
    benchmark::DoNotOptimize(filtered.ElementAt(0, UnlimitedBudget()));
  }
  state.SetItemsProcessed(state.iterations() * k_positions);
}

BENCHMARK_CAPTURE(BareParser, x2n, "x*2+n");
BENCHMARK_CAPTURE(Mapped, x2n, "x*2+n");
BENCHMARK(Evaluator);
// A chain of "^" regrouped by the list against the same grouping written out.
BENCHMARK_CAPTURE(BareParser, power_chain, "(x^2)^0.5+n");
BENCHMARK_CAPTURE(Mapped, power_chain, "x^2^0.5+n");
BENCHMARK_CAPTURE(Formula, mod_succeeds, "mod(n, 7)");
BENCHMARK_CAPTURE(Formula, mod_fails, "mod(n, 0)");
BENCHMARK_CAPTURE(Formula, rejected, "n+");
BENCHMARK_CAPTURE(FilterSearch, never_true, "mod(n, 7) == 9");
BENCHMARK_CAPTURE(FilterSearch, mod_fails, "mod(n, 0) == 9");

}  // namespace

}  // namespace tallyra

BENCHMARK_MAIN();
