// RatioReporter: the console report of a benchmark program, which also keeps
// each run's real and CPU time per iteration so that the program can print
// its goals as ratios against their baselines once every run is done.
//
// Runs are keyed by their function name and arguments ("BM_AppendNumber/1024",
// "BM_Reach_PrimeList"), without settings such as min_time; aggregate rows (a
// complexity fit, the means of repetitions) are not kept.
#ifndef TALLYRA_BENCH_RATIOREPORTER_H_
#define TALLYRA_BENCH_RATIOREPORTER_H_

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace tallyra {

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  // In colour on a terminal only, so that a report written to a file reads plainly.
  RatioReporter() : ConsoleReporter(isatty(fileno(stdout)) ? OO_Defaults : OO_Tabular) {}

  struct Times {
    double real;
    double cpu;
  };

  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.error_occurred || run.iterations == 0 || run.run_type != Run::RT_Iteration) continue;
      const double n = static_cast<double>(run.iterations);
      std::string key = run.run_name.function_name;
      if (!run.run_name.args.empty()) key += "/" + run.run_name.args;
      times_[key] = {run.real_accumulated_time / n, run.cpu_accumulated_time / n};
    }
  }

  // The times of a run, or null when it did not run.
  const Times* Find(const std::string& name) const {
    auto found = times_.find(name);
    return found == times_.end() ? nullptr : &found->second;
  }

  // Every run kept, by its key.
  const std::map<std::string, Times>& All() const { return times_; }

  // Prints ours / base as real-time and CPU-time ratios and whether both are
  // within goal (a goal of 0: a figure for reference, without a verdict). The
  // machine may be shared, so both are shown: the CPU-time ratio is the less
  // disturbed by other work. Nothing is printed when either run is missing
  // (filtered out, or failed).
  void PrintRatio(const char* what, const std::string& ours, const std::string& base,
                  double goal) const {
    const Times* a = Find(ours);
    const Times* b = Find(base);
    if (a == nullptr || b == nullptr) return;
    const double real = a->real / b->real;
    const double cpu = a->cpu / b->cpu;
    std::printf("%-10s %s / %s: real %.2f, cpu %.2f", what, ours.c_str(), base.c_str(), real, cpu);
    if (goal > 0) {
      std::printf(" (goal at most %g): %s", goal, std::max(real, cpu) <= goal ? "met" : "NOT MET");
    }
    std::printf("\n");
  }

 private:
  std::map<std::string, Times> times_;
};

// The main() of a benchmark program whose goals are ratios: runs the
// benchmarks, then calls printRatios(reporter).
template <typename PrintRatios>
int RunWithRatios(int argc, char** argv, PrintRatios print_ratios) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  print_ratios(reporter);
  return 0;
}

}  // namespace tallyra

#endif  // TALLYRA_BENCH_RATIOREPORTER_H_
