// Appending n elements to a set, against std::vector<Element>::push_back of the
// same elements into a new vector (goal: at most 1.5 times its time at
// n = 1,000,000, and linear in n). Each iteration builds a new list of n
// elements and lets it go, the baseline a new vector.
//
// The goal is measured on the list's own operation (ConcreteList::AppendNumber
// and AppendText). The same appends are also measured as the host makes them:
// through the appending actions' routines with a minimal host that hands out
// their parameters, and through the built module in the simulated host (whose
// own checks of each exchange are in that figure).
//
// Linear in n: each size's time per element is printed for the list and the
// baseline side by side, with the complexity fit of each. The allocator is
// settled first (bench/SettledAllocator.h), so the order of the runs does not
// matter. The list grows by blocks of 64 KB; the baseline's vector doubles
// (16 MB at n = 1,000,000).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "bench/RatioReporter.h"
#include "bench/SettledAllocator.h"
#include "lists/ConcreteList.h"
#include "lists/Element.h"
#include "runtime/HostPort.h"
#include "runtime/Routines.h"
#include "runtime/SetStore.h"
#include "simhost/SimulatedHost.h"

namespace tallyra {

using tallyra::simhost::Arg;
using tallyra::simhost::SimulatedHost;
using tallyra::simhost::SimulatedObject;

namespace {

// The appended text, short enough to be held in place. Both sides see it as
// a run-time value, as an action does, not as a constant of known length.
std::string_view Text() {
  std::string_view text = "item";
  benchmark::DoNotOptimize(text);
  return text;
}

void Sizes(benchmark::internal::Benchmark* b) {
  b->RangeMultiplier(8)->Range(1 << 10, 1 << 20)->Arg(1000000)->Complexity(benchmark::oN);
}

void Finish(benchmark::State& state) {
  state.SetComplexityN(state.range(0));
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_PushBackNumber(benchmark::State& state) {
  const auto n = static_cast<uint32_t>(state.range(0));
  for (auto _ : state) {
    std::vector<Element> elements;
    for (uint32_t i = 0; i < n; ++i) elements.push_back(Element::Number(i));
    benchmark::DoNotOptimize(elements.data());
  }
  Finish(state);
}
BENCHMARK(BM_PushBackNumber)->Apply(Sizes);

void BM_AppendNumber(benchmark::State& state) {
  const auto n = static_cast<uint32_t>(state.range(0));
  for (auto _ : state) {
    ConcreteList list;
    for (uint32_t i = 0; i < n; ++i) list.AppendNumber(i);
    benchmark::DoNotOptimize(list.length());
  }
  Finish(state);
}
BENCHMARK(BM_AppendNumber)->Apply(Sizes);

void BM_PushBackText(benchmark::State& state) {
  const auto n = static_cast<uint32_t>(state.range(0));
  const std::string_view text = Text();
  for (auto _ : state) {
    std::vector<Element> elements;
    for (uint32_t i = 0; i < n; ++i) elements.push_back(Element::Text(std::string(text)));
    benchmark::DoNotOptimize(elements.data());
  }
  Finish(state);
}
BENCHMARK(BM_PushBackText)->Apply(Sizes);

void BM_AppendText(benchmark::State& state) {
  const auto n = static_cast<uint32_t>(state.range(0));
  const std::string_view text = Text();
  for (auto _ : state) {
    ConcreteList list;
    for (uint32_t i = 0; i < n; ++i) list.AppendText(text);
    benchmark::DoNotOptimize(list.length());
  }
  Finish(state);
}
BENCHMARK(BM_AppendText)->Apply(Sizes);

// The least that a host does for an action: it hands out the parameters that
// the routine asks for, in turn, and nothing else.
class ParameterPort : public HostPort {
 public:
  ParameterPort(std::vector<std::string> texts, float number)
      : texts_(std::move(texts)), number_(number) {}
  void Rewind() { next_ = 0; }

  std::string NextTextUpTo(std::size_t) override { return texts_[next_++]; }
  float NextFloat() override { return number_; }

 private:
  std::vector<std::string> texts_;
  float number_;
  std::size_t next_ = 0;
};

// n appends through an action's routine, on a new instance's store (made and
// taken down outside the clock).
void ActionAppends(benchmark::State& state, void (*action)(SetStore&, HostPort&, WorkBudget&),
                   ParameterPort host) {
  const auto n = static_cast<uint32_t>(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    std::unique_ptr<SetStore> store = CreateInstanceStore();
    state.ResumeTiming();
    for (uint32_t i = 0; i < n; ++i) {
      host.Rewind();
      WorkBudget budget;
      action(*store, host, budget);
    }
    state.PauseTiming();
    store.reset();
    state.ResumeTiming();
  }
  Finish(state);
}

void BM_ActionAppendNumber(benchmark::State& state) {
  ActionAppends(state, ActionAppendNumber, ParameterPort({"s"}, 7.0f));
}
BENCHMARK(BM_ActionAppendNumber)->Apply(Sizes);

void BM_ActionAppendText(benchmark::State& state) {
  ActionAppends(state, ActionAppendText, ParameterPort({"s", "item"}, 0.0f));
}
BENCHMARK(BM_ActionAppendText)->Apply(Sizes);

// Action 3 ("Append number") of the built module, called by the simulated host
// through the module's routine table.
void BM_SimulatedHostAppendNumber(benchmark::State& state) {
  const auto n = static_cast<uint32_t>(state.range(0));
  SimulatedHost host(TALLYRA_MODULE_PATH);
  const std::vector<Arg> args = {Arg::Text("s"), Arg::Number(7)};
  for (auto _ : state) {
    state.PauseTiming();
    SimulatedObject& object = host.CreateObject();
    state.ResumeTiming();
    for (uint32_t i = 0; i < n; ++i) object.Action(ActionCode::kAppendNumber, args);
    state.PauseTiming();
    host.DestroyObject(object);
    state.ResumeTiming();
  }
  if (!host.violations().empty()) state.SkipWithError(host.violations().front().c_str());
  Finish(state);
}
BENCHMARK(BM_SimulatedHostAppendNumber)->Apply(Sizes);

}  // namespace

int RunProgram(int argc, char** argv) {
  SettleAllocator();
  return RunWithRatios(argc, argv, [](const RatioReporter& r) {
    r.PrintRatio("number", "BM_AppendNumber/1000000", "BM_PushBackNumber/1000000", 1.5);
    r.PrintRatio("text", "BM_AppendText/1000000", "BM_PushBackText/1000000", 1.5);
    // The routine layer's figures (the goal is the list's own operation).
    r.PrintRatio("action-n", "BM_ActionAppendNumber/1000000", "BM_PushBackNumber/1000000", 1.5);
    r.PrintRatio("action-t", "BM_ActionAppendText/1000000", "BM_PushBackText/1000000", 1.5);
    r.PrintRatio("simhost-n", "BM_SimulatedHostAppendNumber/1000000", "BM_PushBackNumber/1000000",
                 0);
    // ns per element at each n: flat where the time is linear in n.
    std::printf("%-10s %10s %10s %10s %10s %10s\n", "n", "push_back", "Append", "push_back",
                "Append", "action");
    std::printf("%-10s %10s %10s %10s %10s %10s\n", "", "number", "Number", "text", "Text",
                "Number");
    for (const char* n : {"1024", "4096", "32768", "262144", "1000000", "1048576"}) {
      std::printf("%-10s", n);
      for (const char* name : {"BM_PushBackNumber/", "BM_AppendNumber/", "BM_PushBackText/",
                               "BM_AppendText/", "BM_ActionAppendNumber/"}) {
        const RatioReporter::Times* t = r.Find(name + std::string(n));
        if (t == nullptr) {
          std::printf(" %10s", "-");
        } else {
          std::printf(" %10.1f", t->cpu * 1e9 / std::stod(n));
        }
      }
      std::printf("\n");
    }
  });
}

}  // namespace tallyra

int main(int argc, char** argv) { return tallyra::RunProgram(argc, argv); }
