// The calculation of a measurement file on the command line, shared by reduce and graph: the
// choices of the settings dialog given as options, the file loaded as the program loads it,
// and the whole calculation run on it.
#pragma once

#include "calc/calc_state.h"
#include "cli/commands.h"
#include "cli/sheet_loading.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace tarnova::cli {

// The usage text of the options every reduction takes.
#define TARNOVA_REDUCTION_USAGE                                                                    \
    "[--ini INI] [--format dat|pks|asc|mmdat] [--numerator L]... [--denominator L]... "            \
    "[--abundance L]... [--all-numerators] [--all-abundances] [--conf95|--conf68] "                \
    "[--stddev|--unbiased] [--test-level PCT] [--correction SETNAME]"

struct ReductionOptions {
    SheetArguments sheet; // FILE, --ini, --format
    std::vector<std::string> numerators;
    std::vector<std::string> denominators;
    std::vector<std::string> abundances;
    bool allNumerators = false;
    bool allAbundances = false;
    std::optional<bool> conf95;
    std::optional<bool> useStdDev;
    std::optional<double> testLevel;
    std::optional<std::string> correctionSet;
};

// Reads the reduction's options out of arguments; every argument it does not know is handed
// to own (with the index, which own advances past a value it takes), which returns false for
// an unknown or incomplete option. None on a usage error.
template <typename Own>
std::optional<ReductionOptions> parseReductionArguments(const Arguments& arguments, Own&& own);

// The options that are the reduction's: the argument at i, with its value (i is advanced past
// it). Returns false, with i unchanged, for an argument that is not one of them; sets invalid
// for one of them without a usable value.
bool takeReductionOption(const Arguments& arguments, std::size_t& i, ReductionOptions& options,
                         Arguments& sheetArguments, bool& invalid);
// Completes the options from the collected FILE, --ini and --format; false on a usage error.
bool finishReductionOptions(ReductionOptions& options, const Arguments& sheetArguments);

template <typename Own>
std::optional<ReductionOptions> parseReductionArguments(const Arguments& arguments, Own&& own) {
    ReductionOptions options;
    Arguments sheetArguments;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        bool invalid = false;
        const bool taken = takeReductionOption(arguments, i, options, sheetArguments, invalid);
        if (invalid || (!taken && !own(arguments, i))) {
            return std::nullopt;
        }
    }
    if (!finishReductionOptions(options, sheetArguments)) {
        return std::nullopt;
    }
    return options;
}

// A measurement file loaded and calculated.
class Reduction final {
  public:
    // Loads the file and runs the calculation. Returns 0 when results exist, otherwise the
    // exit code (1 failure, 2 usage error), after the messages; command names the command
    // in them and usage is shown for a label the file does not hold.
    int run(const ReductionOptions& options, const char* command, const char* usage);

    ConsoleSheet sheet;
    CalcState state;
};

} // namespace tarnova::cli
