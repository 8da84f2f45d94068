// Load + extraction + full calculation of a PKS measurement of five labels (every ratio and
// every abundance: 25 records), and the calculation alone, for 10^3, 10^5 and 10^6 peaks.
#include "bench_measurement.h"
#include "calc/calc_state.h"
#include "calc/calculation_driver.h"
#include "calc/ird_export.h"
#include "data/pks_format.h"
#include "document/load_peak_file.h"
#include "document/peak_list_extraction.h"
#include "editor/grid_model.h"
#include "settings/settings.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>

namespace tarnova {
namespace {

// The measurement as a PKS file in the temporary folder, written once.
std::string measurementFile(int peakCount) {
    const std::filesystem::path path = std::filesystem::temp_directory_path() /
                                       ("tarnova_bench_" + std::to_string(peakCount) + ".pks");
    if (std::filesystem::exists(path)) {
        return path.string();
    }
    DataNote note;
    note.form = DataNoteForm::Pks;
    note.tags = {{"Sample:", "benchmark"}};
    const std::string text = pksFileText(measurementPeaks(peakCount), &note);
    std::ofstream(path, std::ios::binary)
        .write(text.data(), static_cast<std::streamsize>(text.size()));
    return path.string();
}

// The calculation alone, from an extracted peak list: sort, element list, 25 records, points,
// statistics, lines and the IRD text.
void CalculateOnly(benchmark::State& state) {
    const int peakCount = static_cast<int>(state.range(0));
    const std::vector<PeakRecord> peaks = measurementPeaks(peakCount);
    for (auto _ : state) {
        SilentPort ui;
        EverythingPort port;
        CalcState calculation;
        const CalculationEnvironment environment{ui, port, 0, kDefaultTestLevel, ""};
        const PeakListSource source = [&peaks] { return std::optional(peaks); };
        if (RunCalculation(calculation, source, environment) != 1) {
            state.SkipWithError("the calculation failed");
            return;
        }
        benchmark::DoNotOptimize(WriteIrd(*calculation.results, nullptr, calculation.calcFlags,
                                          kOutputHeader | kOutputGuideComment));
    }
    state.SetComplexityN(peakCount);
}

void LoadAndCalculate(benchmark::State& state) {
    const int peakCount = static_cast<int>(state.range(0));
    const std::string path = measurementFile(peakCount);
    for (auto _ : state) {
        SilentPort ui;
        NoDialogs files;
        EverythingPort port;
        Settings settings;
        GridModel grid(ui);
        if (!LoadPeakFile(ui, files, grid, settings, path, FileKind::Pks).loaded) {
            state.SkipWithError("the measurement could not be loaded");
            return;
        }
        CalcState calculation;
        const CalculationEnvironment environment{ui, port, settings.generalFlags,
                                                 settings.testLevel, ""};
        if (RunCalculation(calculation, grid, environment) != 1) {
            state.SkipWithError("the calculation failed");
            return;
        }
        benchmark::DoNotOptimize(calculation.results);
    }
    state.SetComplexityN(peakCount);
}

BENCHMARK(CalculateOnly)
    ->Arg(1000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

BENCHMARK(LoadAndCalculate)
    ->Arg(1000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

} // namespace
} // namespace tarnova

BENCHMARK_MAIN();
