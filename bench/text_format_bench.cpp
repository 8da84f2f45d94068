// The number texts of a grid row: a peak height in the exponent form ("%12.5E"), a time and a
// range in the fixed form ("%08.3f"), and a log line's "%G"; over 4096 values of a measurement's
// spread, so that a step reports the cost of one text. The last benchmark formats only exact
// ties, the slow path.
#include "platform/text_format.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

std::vector<double> measuredValues(double low, double high) {
    std::mt19937_64 random(22);
    std::uniform_real_distribution<double> exponent(std::log10(low), std::log10(high));
    std::vector<double> values(4096);
    for (double& value : values) {
        value = std::pow(10.0, exponent(random));
    }
    return values;
}

template <typename Format>
void formatAll(benchmark::State& state, const std::vector<double>& values, Format format) {
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(format(values[i]));
        i = (i + 1) % values.size();
    }
}

void BM_FormatExactExponent(benchmark::State& state) {
    const int decimals = static_cast<int>(state.range(0));
    formatAll(state, measuredValues(1e-14, 1e-8),
              [decimals](double v) { return tarnova::formatExponent(v, 12, decimals); });
}
BENCHMARK(BM_FormatExactExponent)->Arg(5)->Arg(16);

void BM_FormatExactFixed(benchmark::State& state) {
    const int decimals = static_cast<int>(state.range(0));
    formatAll(state, measuredValues(1.0, 3000.0),
              [decimals](double v) { return tarnova::formatFixed(v, 8, decimals, true); });
}
BENCHMARK(BM_FormatExactFixed)->Arg(3)->Arg(16);

void BM_FormatExactGeneral(benchmark::State& state) {
    formatAll(state, measuredValues(1e-6, 1e6),
              [](double v) { return tarnova::formatGeneral(v, 6); });
}
BENCHMARK(BM_FormatExactGeneral);

// Times on a grid of 1/1024 s: at three decimals every odd multiple of 1/2048 is a tie.
void BM_FormatExactFixedTies(benchmark::State& state) {
    std::vector<double> values(4096);
    for (std::size_t i = 0; i < values.size(); ++i) {
        values[i] = static_cast<double>(2 * i + 1) / 16.0;
    }
    formatAll(state, values, [](double v) { return tarnova::formatFixed(v, 8, 3, true); });
}
BENCHMARK(BM_FormatExactFixedTies);

} // namespace

BENCHMARK_MAIN();
