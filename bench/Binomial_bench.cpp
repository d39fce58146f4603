// "BinomialCoefficient(" must answer within a millisecond for any arguments.
// The hardest are n near 2^31 with k near n/2 (and negative n near -2^31 with
// k near 2^31, whose coefficient is taken of a number near 2^32): measured
// here through Binomial. The baseline is the product (n-k+1)/1 * ... * n/k with
// the powers of 2 kept apart, which takes k steps: at k = 65536 it covers a
// thirty-thousandth of the range.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "runtime/Binomial.h"

namespace tallyra {

namespace {

void BM_BinomialLargest(benchmark::State& state) {
  const int32_t cases[][2] = {{INT32_MAX, INT32_MAX / 2},
                              {INT32_MAX - 1, 1073741823},
                              {INT32_MIN + 1, INT32_MAX},
                              {-1073741824, 1610612735}};
  Binomial(1, 1);  // the block tables are built once, before the clock runs
  std::size_t i = 0;
  for (auto _ : state) {
    const auto& c = cases[i++ % 4];
    benchmark::DoNotOptimize(Binomial(c[0], c[1]));
  }
}
BENCHMARK(BM_BinomialLargest);

void BM_BaselineProductMethod(benchmark::State& state) {
  const uint32_t n = INT32_MAX;
  const auto k = static_cast<uint32_t>(state.range(0));
  for (auto _ : state) {
    int twos = 0;
    uint32_t odd = 1;
    for (uint32_t i = 1; i <= k; ++i) {
      uint32_t up = n - k + i;
      uint32_t down = i;
      const int up_twos = __builtin_ctz(up);
      const int down_twos = __builtin_ctz(down);
      twos += up_twos - down_twos;
      odd *= (up >> up_twos) * binomial_detail::InverseOfOdd(down >> down_twos);
    }
    benchmark::DoNotOptimize(twos >= 32 ? 0u : odd << twos);
  }
}
BENCHMARK(BM_BaselineProductMethod)->Arg(65536);

}  // namespace

}  // namespace tallyra

BENCHMARK_MAIN();
