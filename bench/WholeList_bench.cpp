// Reading a whole list of 1,000,000 elements at once: its text form (SetText,
// what "asString$(" hands back) and its concrete copy (MakeConcreteCopy),
// each against the same number of ElementAt calls on the same list (goal: at
// most 1.5 times their time, and no quadratic text building).
//
// The lists: the integers 0 .. 999,999 (what the appending action makes),
// numbers with a fraction (whose text takes the general conversion), short
// texts, and a mapped list (x*2+n) over the integers, which is the kind whose
// concrete form is a copy. The whole "asString$(" expression, through its
// routine with a minimal host (its text then copied into the host's string
// space), is measured as well.
//
// The allocator is settled first (bench/SettledAllocator.h): a text of a few
// MB is then made in memory that earlier texts used, as in a process that
// asks for it again and again. A copy writes 48 MB (48 bytes an element),
// here mostly into memory that the list's own growth used and freed; where
// they are fresh from the system, their first touch adds the time that
// BM_FirstTouchOfACopysBytes measures.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "bench/RatioReporter.h"
#include "bench/SettledAllocator.h"
#include "formula/MappedList.h"
#include "lists/ConcreteList.h"
#include "lists/testing/UnlimitedBudget.h"
#include "runtime/HostPort.h"
#include "runtime/Routines.h"
#include "runtime/SetStore.h"
#include "runtime/TextForm.h"

namespace {

constexpr uint32_t kLength = 1000000;

enum class Kind { kIntegers, kFractions, kTexts, kMapped };

ListPtr MakeList(Kind kind) {
  auto list = std::make_shared<ConcreteList>();
  for (uint32_t i = 0; i < kLength; ++i) {
    switch (kind) {
      case Kind::kFractions:
        list->AppendNumber(i + 0.25);
        break;
      case Kind::kTexts:
        list->AppendText(i % 2 == 0 ? "apple" : "pear");
        break;
      default:
        list->AppendNumber(i);
    }
  }
  if (kind != Kind::kMapped) return list;
  auto mapped = std::make_shared<MappedList>(ListRef(list));
  mapped->SetFormula("x*2+n");
  return mapped;
}

void Finish(benchmark::State& state) { state.SetItemsProcessed(state.iterations() * kLength); }

void BM_ElementAtCalls(benchmark::State& state, Kind kind) {
  const ListPtr list = MakeList(kind);
  for (auto _ : state) {
    for (uint32_t i = 0; i < kLength; ++i)
      benchmark::DoNotOptimize(list->ElementAt(i, UnlimitedBudget()));
  }
  Finish(state);
}

void BM_SetText(benchmark::State& state, Kind kind) {
  const ListPtr list = MakeList(kind);
  for (auto _ : state) {
    const std::string text = SetText(*list, -1, UnlimitedBudget());
    benchmark::DoNotOptimize(text.data());
    state.counters["bytes"] = static_cast<double>(text.size());
  }
  Finish(state);
}

void BM_MakeConcreteCopy(benchmark::State& state, Kind kind) {
  const ListPtr list = MakeList(kind);
  for (auto _ : state) {
    const std::shared_ptr<ConcreteList> copy = MakeConcreteCopy(*list, UnlimitedBudget());
    benchmark::DoNotOptimize(copy.get());
  }
  Finish(state);
}

// The least that any copy of the list costs: writing as many elements' bytes
// into new memory once (its pages are first touched then). Not a goal: it
// shows how much of a copy's time goes to its memory.
void BM_FirstTouchOfACopysBytes(benchmark::State& state) {
  for (auto _ : state) {
    std::vector<char> bytes(std::size_t{kLength} * sizeof(Element), '\1');
    benchmark::DoNotOptimize(bytes.data());
    benchmark::ClobberMemory();
  }
  state.counters["MB"] = kLength * sizeof(Element) / 1e6;
}
BENCHMARK(BM_FirstTouchOfACopysBytes)->Unit(benchmark::kMillisecond);

// The host's side of one "asString$(" call: the set's name and the maximum
// -1 as the expression's parameters, and one string space that is used again
// by every call.
class ExpressionHost : public HostPort {
 public:
  std::string NextText() override { return "s"; }
  int32_t NextInteger() override { return -1; }
  void ReturnText(std::string_view text) override {
    if (space_.size() < text.size() + 1) space_.resize(text.size() + 1);
    std::memcpy(space_.data(), text.data(), text.size());
    space_[text.size()] = '\0';
  }

 private:
  std::vector<char> space_;
};

void BM_AsStringExpression(benchmark::State& state, Kind kind) {
  std::unique_ptr<SetStore> store = CreateInstanceStore();
  *store->LookUpSet("s", /*create=*/true) = MakeList(kind);
  ExpressionHost host;
  for (auto _ : state) {
    WorkBudget budget;
    ExpressionAsString(*store, host, budget);
    benchmark::ClobberMemory();
  }
  store.reset();
  Finish(state);
}

#define WHOLE_LIST_BENCHMARKS(name)                                                    \
  BENCHMARK_CAPTURE(name, integers, Kind::kIntegers)->Unit(benchmark::kMillisecond);   \
  BENCHMARK_CAPTURE(name, fractions, Kind::kFractions)->Unit(benchmark::kMillisecond); \
  BENCHMARK_CAPTURE(name, texts, Kind::kTexts)->Unit(benchmark::kMillisecond);         \
  BENCHMARK_CAPTURE(name, mapped, Kind::kMapped)->Unit(benchmark::kMillisecond)

WHOLE_LIST_BENCHMARKS(BM_ElementAtCalls);
WHOLE_LIST_BENCHMARKS(BM_SetText);
WHOLE_LIST_BENCHMARKS(BM_MakeConcreteCopy);
WHOLE_LIST_BENCHMARKS(BM_AsStringExpression);

}  // namespace

int main(int argc, char** argv) {
  SettleAllocator();  // the text's 8 MB are then used again from one call to the next
  return RunWithRatios(argc, argv, [](const RatioReporter& r) {
    for (const char* kind : {"integers", "fractions", "texts", "mapped"}) {
      const std::string base = std::string("BM_ElementAtCalls/") + kind;
      r.PrintRatio("asString", std::string("BM_SetText/") + kind, base, 1.5);
      r.PrintRatio("copy", std::string("BM_MakeConcreteCopy/") + kind, base, 1.5);
      // The whole expression, for reference: the text copied into the host's space too.
      r.PrintRatio("expression", std::string("BM_AsStringExpression/") + kind, base, 0);
    }
  });
}
