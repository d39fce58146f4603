// What a stored set of 1,000,000 appended numbers costs in memory: the
// process's resident growth while the set is built and held,
// against the same count of doubles appended to a std::vector<double> that has
// room for them (goal:
// at most 16 MiB on 64-bit machines, which is 16 bytes an element: at most
// twice the doubles' 8 bytes). Each is measured in a child process of its
// own, forked for the purpose, so that neither finds memory that an earlier
// run left resident; the figure is read from /proc/self/statm, not computed.
#include <benchmark/benchmark.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bench/RatioReporter.h"
#include "lists/ConcreteList.h"

namespace tallyra {

namespace {

constexpr uint32_t kLength = 1000000;

// Resident bytes of this process.
uint64_t ResidentBytes() {
  unsigned long size = 0, resident = 0;
  std::FILE* statm = std::fopen("/proc/self/statm", "r");
  if (statm == nullptr) return 0;
  if (std::fscanf(statm, "%lu %lu", &size, &resident) != 2) resident = 0;
  std::fclose(statm);
  return uint64_t{resident} * static_cast<uint64_t>(sysconf(_SC_PAGESIZE));
}

// The resident growth while build() makes and holds its data, measured in a
// forked child; 0 when it cannot be measured.
template <typename Build>
uint64_t ResidentGrowth(Build build) {
  int pipe_ends[2];
  if (pipe(pipe_ends) != 0) return 0;
  const pid_t child = fork();
  if (child == 0) {
    const uint64_t before = ResidentBytes();
    auto held = build();
    benchmark::DoNotOptimize(held);
    const uint64_t growth = ResidentBytes() - before;
    const ssize_t written = write(pipe_ends[1], &growth, sizeof growth);
    _exit(written == sizeof growth ? 0 : 1);
  }
  close(pipe_ends[1]);
  uint64_t growth = 0;
  if (child < 0 || read(pipe_ends[0], &growth, sizeof growth) != sizeof growth) growth = 0;
  close(pipe_ends[0]);
  if (child > 0) waitpid(child, nullptr, 0);
  return growth;
}

std::map<std::string, double>& MiB() {
  static std::map<std::string, double> figures;
  return figures;
}

void Report(benchmark::State& state, const char* name, uint64_t growth) {
  if (growth == 0) state.SkipWithError("the resident size cannot be read");
  MiB()[name] = static_cast<double>(growth) / (1 << 20);
  state.counters["MiB"] = MiB()[name];
  state.counters["bytes/element"] = static_cast<double>(growth) / kLength;
}

void BM_ResidentDoubles(benchmark::State& state) {
  for (auto _ : state) {
    Report(state, "doubles", ResidentGrowth([] {
             auto doubles = std::make_unique<std::vector<double>>();
             doubles->reserve(kLength);  // 8 MB, no more
             for (uint32_t i = 0; i < kLength; ++i) doubles->push_back(i);
             return doubles;
           }));
  }
}
BENCHMARK(BM_ResidentDoubles)->Iterations(1);

void BM_ResidentSet(benchmark::State& state) {
  for (auto _ : state) {
    Report(state, "set", ResidentGrowth([] {
             auto list = std::make_shared<ConcreteList>();
             for (uint32_t i = 0; i < kLength; ++i) list->AppendNumber(i);
             return list;
           }));
  }
}
BENCHMARK(BM_ResidentSet)->Iterations(1);

}  // namespace

int RunProgram(int argc, char** argv) {
  return RunWithRatios(argc, argv, [](const RatioReporter&) {
    const auto set = MiB().find("set");
    const auto doubles = MiB().find("doubles");
    if (set != MiB().end() && doubles != MiB().end()) {
      std::printf(
          "memory     set %.2f MiB, doubles %.2f MiB: ratio %.2f; goal at most 16 MiB: %s\n",
          set->second, doubles->second, set->second / doubles->second,
          set->second <= 16.0 ? "met" : "NOT MET");
    }
  });
}

}  // namespace tallyra

int main(int argc, char** argv) { return tallyra::RunProgram(argc, argv); }
