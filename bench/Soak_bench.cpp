// The peak memory of the soak (tests/SoakWorkload.h) through the simulated
// host, with the module linked into this program: 100,000 redefinitions of one
// set with each kind of list, and 10,000 instances made and ended, each
// against a baseline of the same workload a hundredth as long, measured in
// the same run. If the module holds on to nothing, the long runs peak no
// higher than their baselines.
//
// Counters: peak_MB, the process's peak resident memory during the run (the
// peak is reset before each run, on Linux through /proc/self/clear_refs), and
// growth_MB, that peak less the resident memory when the run began.
#include <benchmark/benchmark.h>

#include <fstream>
#include <sstream>
#include <string>

#include "simhost/testing/LinkedModule.h"
#include "tests/SoakWorkload.h"

namespace tallyra {

using tallyra::simhost::LinkedModuleExports;
using tallyra::simhost::SimulatedHost;
using tallyra::simhost::SimulatedObject;

namespace {

// A line "Name:   1234 kB" of /proc/self/status, in MB; 0 where there is none.
double StatusMegabytes(const char* name) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(name, 0) == 0) {
      std::istringstream fields(line.substr(line.find(':') + 1));
      double kilobytes = 0;
      fields >> kilobytes;
      return kilobytes / 1024;
    }
  }
  return 0;
}

// Starts a measurement: resets the peak, answers the resident memory now.
double BeginPeak() {
  std::ofstream("/proc/self/clear_refs") << "5";
  return StatusMegabytes("VmRSS");
}

void ReportPeak(benchmark::State& state, double start) {
  const double peak = StatusMegabytes("VmHWM");
  state.counters["peak_MB"] = peak;
  state.counters["growth_MB"] = peak - start;
}

void BM_SoakRedefinitions(benchmark::State& state) {
  const auto count = static_cast<int>(state.range(0));
  for (auto _ : state) {
    SimulatedHost host(LinkedModuleExports());
    SimulatedObject& object = host.CreateObject();
    soak::MakeBase(object);
    const double start = BeginPeak();
    for (soak::Kind kind : soak::AllKinds()) soak::Redefine(object, kind, count);
    ReportPeak(state, start);
  }
}
BENCHMARK(BM_SoakRedefinitions)
    ->Arg(1000)
    ->Arg(100000)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

void BM_SoakInstances(benchmark::State& state) {
  const auto count = static_cast<int>(state.range(0));
  for (auto _ : state) {
    SimulatedHost host(LinkedModuleExports());
    const double start = BeginPeak();
    soak::MakeAndEndInstances(host, count);
    ReportPeak(state, start);
  }
}
BENCHMARK(BM_SoakInstances)->Arg(100)->Arg(10000)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

}  // namespace tallyra

BENCHMARK_MAIN();
