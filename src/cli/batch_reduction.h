// Many measurements reduced in one call of reduce: files and the data files of folders, on
// several threads, their results in the order of the arguments, IRD files into a folder and
// one tidy table (CSV or JSON) of every measurement and record.
#pragma once

#include "calc/tidy_table.h"
#include "cli/commands.h"
#include "cli/reduction.h"

#include <cstdint>
#include <optional>
#include <string>

namespace tarnova::cli {

// The options of reduce that concern many measurements and the table.
struct BatchOptions {
    std::optional<std::string> table;           // --table FILE, or "-" for standard output
    std::optional<TidyTableFormat> tableFormat; // --table-format csv|json
    std::optional<unsigned> jobs;               // --jobs N; none: every core
    bool recursive = false;                     // --recursive: folders in folders too
    bool quiet = false;                         // --quiet: no progress and no summary
};

#define TARNOVA_BATCH_USAGE                                                                        \
    "[--table FILE.csv|FILE.json|-] [--table-format csv|json] [--jobs N] [--recursive] [--quiet]"

// Takes the argument at i when it is one of the batch options (with its value: i is advanced
// past it).
OwnOption takeBatchOption(const Arguments& arguments, std::size_t& i, BatchOptions& batch);

// Whether reduce runs as a batch: more than one path, a folder, or a table asked for. Otherwise
// it reduces its one file as it always has.
bool isBatch(const ReductionOptions& options, const BatchOptions& batch);

// Reduces every measurement that the paths name and returns the exit code: 0 when all were
// reduced, 1 when any failed (each failure is named on stderr and in its table row), 2 for a
// usage error. With one file, output names the IRD file; with more, a folder that receives
// NAME.IRD per measurement. Without output and without a table the IRD texts go to standard
// output one after another.
int runBatchReduction(const ReductionOptions& options, const BatchOptions& batch,
                      std::optional<OutputFlags> outputFlags,
                      const std::optional<std::string>& output, const char* usage);

} // namespace tarnova::cli
