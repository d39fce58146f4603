// Reading a whole list of 1,000,000 elements at once: its text form (SetText,
// what "asString$(" hands back) and its concrete copy (MakeConcreteCopy).
// Goals: the text of the integers at most 1.5 times, of the numbers with a
// fraction at most 2 times std::to_chars writing the same numbers into a
// string ready for them (BM_ToChars); the text of texts and of a mapped list,
// and the mapped list's copy, at most 1.5 times as many ElementAt calls on the
// same list.
//
// The lists: the integers 0 .. 999,999 (what the appending action makes),
// numbers with a fraction (i + 0.25, of which the 90,000 from 10,000.25 to
// 99,999.25 lie exactly halfway between two texts of 6 digits), short
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

#include <charconv>
#include <cstdint>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
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

namespace tallyra {

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

// The least that writing the same text costs: the numbers of the list, as
// the benchmark made them, written by std::to_chars (the integers in full,
// numbers with a fraction in general notation with 6 significant digits),
// each after ", ", straight into a string's memory made ready beforehand
// (std::string has no way to grow without writing its new bytes: the
// baseline zero-fills them once). The integers' text is the same as
// SetText's; the fractions' differs only at their halfway points, where the
// library rounds to even, and has the same length.
void BM_ToChars(benchmark::State& state, Kind kind) {
  for (auto _ : state) {
    std::string text;
    text.resize(std::size_t{kLength} * 10 + 8);
    char* p = text.data();
    char* const end = p + text.size();
    *p++ = '[';
    for (uint32_t i = 0; i < kLength; ++i) {
      if (i != 0) {
        std::memcpy(p, ", ", 2);
        p += 2;
      }
      p = kind == Kind::kFractions
              ? std::to_chars(p, end, i + 0.25, std::chars_format::general, 6).ptr
              : std::to_chars(p, end, i).ptr;
    }
    *p++ = ']';
    text.resize(static_cast<std::size_t>(p - text.data()));
    benchmark::DoNotOptimize(text.data());
    state.counters["bytes"] = static_cast<double>(text.size());
  }
  Finish(state);
}
BENCHMARK_CAPTURE(BM_ToChars, integers, Kind::kIntegers)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ToChars, fractions, Kind::kFractions)->Unit(benchmark::kMillisecond);

// What reading each stored element where it is stored costs, its kind and
// its number and nothing more: the least that any whole-list work on a
// concrete list pays, set by the size of an element. Not a goal.
void BM_ReadStoredInPlace(benchmark::State& state) {
  const ListPtr list = MakeList(Kind::kIntegers);
  const ConcreteList& stored = *AsConcreteList(list.get());
  for (auto _ : state) {
    double sum = 0;
    uint32_t numbers = 0;
    for (uint32_t i = 0; i < kLength; ++i) {
      const Element& element = stored.StoredAt(i);
      numbers += element.kind() == kElementNumber;
      sum += element.number();
    }
    benchmark::DoNotOptimize(sum);
    benchmark::DoNotOptimize(numbers);
  }
  Finish(state);
}
BENCHMARK(BM_ReadStoredInPlace)->Unit(benchmark::kMillisecond);

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
    try {
      const std::shared_ptr<ConcreteList> copy = MakeConcreteCopy(*list, UnlimitedBudget());
      benchmark::DoNotOptimize(copy.get());
    } catch (const std::length_error& error) {
      // A copy past ConcreteList::kMaxCopyBytes is refused: reported, and
      // the other runs and the ratios go on.
      state.SkipWithError(error.what());
      break;
    }
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
  std::string NextTextUpTo(std::size_t) override { return "s"; }
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
// Only a virtual list is ever copied (when it is first appended to).
BENCHMARK_CAPTURE(BM_MakeConcreteCopy, mapped, Kind::kMapped)->Unit(benchmark::kMillisecond);
WHOLE_LIST_BENCHMARKS(BM_AsStringExpression);

}  // namespace

int RunProgram(int argc, char** argv) {
  SettleAllocator();  // the text's 8 MB are then used again from one call to the next
  return RunWithRatios(argc, argv, [](const RatioReporter& r) {
    // The numbers' text against std::to_chars writing the same.
    for (const auto& [kind, goal] : {std::pair{"integers", 1.5}, std::pair{"fractions", 2.0}}) {
      const std::string base = std::string("BM_ToChars/") + kind;
      r.PrintRatio("asString", std::string("BM_SetText/") + kind, base, goal);
      // The whole expression, for reference: the text copied into the host's space too.
      r.PrintRatio("expression", std::string("BM_AsStringExpression/") + kind, base, 0);
    }
    // What of the integers' text goes to reading the elements, for reference.
    r.PrintRatio("reads", "BM_ReadStoredInPlace", "BM_ToChars/integers", 0);
    // Texts and a mapped list against reading their elements.
    for (const char* kind : {"texts", "mapped"}) {
      const std::string base = std::string("BM_ElementAtCalls/") + kind;
      r.PrintRatio("asString", std::string("BM_SetText/") + kind, base, 1.5);
      r.PrintRatio("expression", std::string("BM_AsStringExpression/") + kind, base, 0);
    }
    r.PrintRatio("copy", "BM_MakeConcreteCopy/mapped", "BM_ElementAtCalls/mapped", 1.5);
  });
}

}  // namespace tallyra

int main(int argc, char** argv) { return tallyra::RunProgram(argc, argv); }
