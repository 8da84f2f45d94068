// Load + extraction + full calculation of a PKS measurement of five labels (every ratio and
// every abundance: 25 records), its steps one by one, and the calculation alone, for 10^3,
// 10^5 and 10^6 peaks; and a
// measurement of very many labels with every abundance, whose cost must grow with the peaks
// alone, not with peaks x labels.
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
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
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

// The calculation alone, from an extracted peak list: sort, element list, the records the
// port chooses, points, statistics, lines and the IRD text.
void calculateToIrd(benchmark::State& state, const std::vector<PeakRecord>& peaks,
                    BatchCalculationPort& port, int expectedRecords) {
    for (auto _ : state) {
        SilentPort ui;
        CalcState calculation;
        const CalculationEnvironment environment{ui, port, {}, kDefaultTestLevel, "", std::nullopt};
        const PeakListSource source = [&peaks] { return std::optional(peaks); };
        if (!RunCalculation(calculation, source, environment) ||
            calculation.resultCount() != expectedRecords) {
            state.SkipWithError("the calculation failed");
            return;
        }
        benchmark::DoNotOptimize(WriteIrd(*calculation.results, nullptr, calculation.calcFlags,
                                          OutputFlag::Header | OutputFlag::GuideComment));
    }
    state.SetComplexityN(static_cast<std::int64_t>(peaks.size()));
}

// 25 records: every ratio and every abundance of five labels.
void CalculateOnly(benchmark::State& state) {
    EverythingPort port;
    calculateToIrd(state, measurementPeaks(static_cast<int>(state.range(0))), port, 25);
}

// peakCount peaks of labelCount labels ("L0", "L1", ...) in turn, 0.1 s apart.
std::vector<PeakRecord> manyLabelPeaks(int peakCount, int labelCount) {
    std::vector<PeakLabel> labels;
    for (int j = 0; j < labelCount; ++j) {
        std::string text = "L";
        text += std::to_string(j);
        labels.emplace_back(text);
    }
    std::vector<PeakRecord> peaks(static_cast<std::size_t>(peakCount));
    for (int i = 0; i < peakCount; ++i) {
        PeakRecord& peak = peaks[static_cast<std::size_t>(i)];
        peak.elem = labels[static_cast<std::size_t>(i % labelCount)];
        peak.time = 0.1 * i;
        peak.height = 1.0 + 0.001 * (i % 97);
        peak.range = 1.0;
    }
    return peaks;
}

// Every abundance of a measurement of many labels: one record per label.
void ManyLabelsEveryAbundance(benchmark::State& state) {
    const int labelCount = static_cast<int>(state.range(1));
    EverythingPort port(false);
    calculateToIrd(state, manyLabelPeaks(static_cast<int>(state.range(0)), labelCount), port,
                   labelCount);
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
        const CalculationEnvironment environment{
            ui, port, settings.generalFlags, settings.testLevel, "", std::nullopt};
        if (!RunCalculation(calculation, grid, environment)) {
            state.SkipWithError("the calculation failed");
            return;
        }
        benchmark::DoNotOptimize(calculation.results);
    }
    state.SetComplexityN(peakCount);
}

// The steps of LoadAndCalculate one by one, each of which must stay linear in the peaks: the
// PKS text read into records, the records attached to the grid, the peak list read back from
// the grid, and the time sort of the peak list.
std::string fileText(int peakCount) {
    std::ifstream file(measurementFile(peakCount), std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

void ReadPksText(benchmark::State& state) {
    const std::string text = fileText(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(parsePksFile(text));
    }
    state.SetComplexityN(state.range(0));
}

void AttachToGrid(benchmark::State& state) {
    const std::vector<PeakRecord> peaks =
        parsePksFile(fileText(static_cast<int>(state.range(0))))->peaks;
    for (auto _ : state) {
        SilentPort ui;
        GridModel grid(ui);
        benchmark::DoNotOptimize(grid.AttachPeaks(peaks));
    }
    state.SetComplexityN(state.range(0));
}

void ExtractFromGrid(benchmark::State& state) {
    SilentPort ui;
    GridModel grid(ui);
    grid.AttachPeaks(parsePksFile(fileText(static_cast<int>(state.range(0))))->peaks);
    for (auto _ : state) {
        benchmark::DoNotOptimize(ExtractPeakList(grid));
    }
    state.SetComplexityN(state.range(0));
}

void SortByTime(benchmark::State& state) {
    const std::vector<PeakRecord> peaks = measurementPeaks(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        std::vector<PeakRecord> sorted = peaks;
        SortPeaksByTime(sorted);
        benchmark::DoNotOptimize(sorted);
    }
    state.SetComplexityN(state.range(0));
}

BENCHMARK(ManyLabelsEveryAbundance)
    ->Args({20000, 10000})
    ->Args({100000, 50000})
    ->Args({1000000, 500000})
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

// The records of a long calculation are fitted on two threads: the CPU time is the process's.
BENCHMARK(CalculateOnly)
    ->MeasureProcessCPUTime()
    ->Arg(1000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

BENCHMARK(ReadPksText)
    ->Arg(1000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);
BENCHMARK(AttachToGrid)
    ->Arg(1000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);
BENCHMARK(ExtractFromGrid)
    ->Arg(1000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);
BENCHMARK(SortByTime)
    ->Arg(1000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);
BENCHMARK(LoadAndCalculate)
    ->MeasureProcessCPUTime()
    ->Arg(1000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

} // namespace
} // namespace tarnova

BENCHMARK_MAIN();
