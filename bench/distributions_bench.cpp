// One call of each percentage point and of the incomplete beta function, from one to a
// million degrees of freedom; each should stay below 100 microseconds.
#include "calc/distributions.h"

#include <benchmark/benchmark.h>

namespace {

// Levels in parts per million: 1 (far tail), 1500 (the default test), 160000 (68% limits).
void BM_TQuantile(benchmark::State& state) {
    const double p = static_cast<double>(state.range(0)) * 1e-6;
    const int n = static_cast<int>(state.range(1));
    for (auto _ : state) {
        benchmark::DoNotOptimize(tarnova::TQuantile(p, n));
    }
}
BENCHMARK(BM_TQuantile)
    ->ArgsProduct({{1, 1500, 160000}, {1, 10, 1000, 100000, 1000000}})
    ->Unit(benchmark::kMicrosecond);

void BM_FQuantile(benchmark::State& state) {
    const double p = static_cast<double>(state.range(0)) * 1e-6;
    const int m = static_cast<int>(state.range(1));
    const int n = static_cast<int>(state.range(2));
    for (auto _ : state) {
        benchmark::DoNotOptimize(tarnova::FQuantile(p, m, n));
    }
}
BENCHMARK(BM_FQuantile)
    ->ArgsProduct({{1, 3000, 500000}, {1, 1000000}, {1, 10, 1000000}})
    ->Unit(benchmark::kMicrosecond);

// The incomplete beta function at the mean of Beta(a, a), where its continued fraction
// needs the most terms.
void BM_IncompleteBeta(benchmark::State& state) {
    const double a = static_cast<double>(state.range(0)) / 2;
    for (auto _ : state) {
        benchmark::DoNotOptimize(tarnova::IncompleteBeta(0.5, a, a));
    }
}
BENCHMARK(BM_IncompleteBeta)
    ->RangeMultiplier(100)
    ->Range(1, 1000000)
    ->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
