// The tidy table of a batch: the rows of a typical measurement (6 records of 15 points) as CSV
// and as JSON, and the table of 10^4 such measurements joined into one text.
#include "bench_measurement.h"
#include "calc/calc_state.h"
#include "calc/tidy_table.h"

#include <benchmark/benchmark.h>

namespace tarnova {
namespace {

std::vector<RegressionResult> typicalRecords() {
    std::vector<RegressionResult> records;
    for (int i = 0; i < 6; ++i) {
        RegressionResult record = abundanceRecord(15);
        ComputeStatistics(record);
        FitLine(record);
        records.push_back(record);
    }
    return records;
}

DataNote typicalNote() {
    DataNote note;
    note.form = DataNoteForm::Pks;
    note.tags = {{"Sample:", "AS-0001 air standard"}, {"ID:", "AR-00001"}, {"Date:", "2026/11/24"}};
    return note;
}

void RowsOfOneMeasurement(benchmark::State& state) {
    const std::vector<RegressionResult> records = typicalRecords();
    const DataNote note = typicalNote();
    TidyMeasurement measurement{"archive/run00001.pks", FileKind::Pks, &note, records,
                                CalcFlag::Conf95,       std::nullopt};
    const auto format = state.range(0) == 0 ? TidyTableFormat::Csv : TidyTableFormat::Json;
    for (auto _ : state) {
        benchmark::DoNotOptimize(TidyTableRows(measurement, format));
    }
    state.SetItemsProcessed(state.iterations() * 6);
}
BENCHMARK(RowsOfOneMeasurement)->Arg(0)->Arg(1)->ArgName("json");

void TableOfTenThousandMeasurements(benchmark::State& state) {
    const std::vector<RegressionResult> records = typicalRecords();
    const DataNote note = typicalNote();
    TidyMeasurement measurement{"archive/run00001.pks", FileKind::Pks, &note, records,
                                CalcFlag::Conf95,       std::nullopt};
    const std::vector<std::string> rows = TidyTableRows(measurement, TidyTableFormat::Csv);
    for (auto _ : state) {
        TidyTableText table(TidyTableFormat::Csv);
        for (int i = 0; i < 10000; ++i) {
            table.append(rows);
        }
        benchmark::DoNotOptimize(table.finish());
    }
}
BENCHMARK(TableOfTenThousandMeasurements)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace tarnova

BENCHMARK_MAIN();
