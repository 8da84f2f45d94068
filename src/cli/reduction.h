// The calculation of a measurement file on the command line, shared by reduce and graph: the
// choices of the settings dialog given as options, the file loaded as the program loads it,
// and the whole calculation run on it.
#pragma once

#include "calc/calc_state.h"
#include "cli/commands.h"
#include "cli/sheet_loading.h"
#include "data/stored_reduction.h"

#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tarnova::cli {

// The usage text of the options every reduction takes.
#define TARNOVA_REDUCTION_USAGE                                                                    \
    "[--ini INI] [--format dat|pks|asc|mmdat] [--numerator L]... [--denominator L]... "            \
    "[--abundance L]... [--all-numerators] [--all-abundances] [--conf95|--conf68] "                \
    "[--stddev|--unbiased] [--test-level PCT] [--correction SETNAME] [--fit [NAME=]METHOD]... "    \
    "[--filter sigma:K:ITERATIONS|chauvenet|off] [--exclude LABEL@TIME]... [--ignore-stored]"

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
    // --fit: the calculation's method, or the method of a record name or a label.
    FitChoices fitChoices;
    bool fitMethodGiven = false;
    // --filter: the outlier filter over the one of the INI.
    std::optional<OutlierFilter> outlierFilter;
    // --exclude: peaks excluded by hand for this run, besides those stored with the file.
    std::vector<StoredExclusion> exclusions;
    // --ignore-stored: the exclusions, methods and filter stored with the file are left out.
    bool ignoreStored = false;
};

// What a command's own option handler made of the argument at i.
enum class OwnOption {
    NotMine, // no option of the command: a usage error naming it
    Taken,   // taken, with its value (i advanced past it)
    Invalid, // the command's option without a usable value; the handler has said why
};

// Reads the reduction's options out of arguments; every argument it does not know is handed to
// own (with the index, which own advances past a value it takes). Options other than the three
// label lists may be given once, --conf95/--conf68 and --stddev/--unbiased exclude each other,
// and a request must choose a ratio (a numerator with a denominator) or an abundance. One file
// name, or with manyPaths one or more. None on a usage error, after a message that names the
// problem.
template <typename Own>
std::optional<ReductionOptions> parseReductionArguments(const Arguments& arguments, Own&& own,
                                                        bool manyPaths = false);

// The options that are the reduction's: the argument at i, with its value (i is advanced past
// it). Returns false, with i unchanged, for an argument that is not one of them; sets invalid
// (after a message) for one of them without a usable value.
bool takeReductionOption(const Arguments& arguments, std::size_t& i, ReductionOptions& options,
                         Arguments& sheetArguments, bool& invalid);
// Completes the options from the collected FILE (or with manyPaths FILE...), --ini and
// --format; false (after a message) on a usage error.
bool finishReductionOptions(ReductionOptions& options, const Arguments& sheetArguments,
                            bool manyPaths = false);

// Why --correction name cannot be applied: the INI file at iniPath does not offer that set as
// the settings dialog offers it. None when it can.
std::optional<std::string> correctionSetProblem(const std::string& iniPath,
                                                const std::string& name);

// The options given so far: a second one of a kind, or the other choice of a pair, is refused.
class GivenOptions final {
  public:
    // The problem with option, given after those seen; none when it may follow them.
    std::optional<std::string> problemWith(const std::string& option);

  private:
    std::vector<std::pair<std::string, std::string>> given_; // kind, option
};

template <typename Own>
std::optional<ReductionOptions> parseReductionArguments(const Arguments& arguments, Own&& own,
                                                        bool manyPaths) {
    ReductionOptions options;
    Arguments sheetArguments;
    GivenOptions given;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (const std::optional<std::string> problem = given.problemWith(arguments[i])) {
            reportUsageProblem(*problem);
            return std::nullopt;
        }
        bool invalid = false;
        if (takeReductionOption(arguments, i, options, sheetArguments, invalid)) {
            if (invalid) {
                return std::nullopt;
            }
            continue;
        }
        const std::string& option = arguments[i];
        const OwnOption taken = own(arguments, i);
        if (taken == OwnOption::NotMine) {
            reportUsageProblem("unknown option " + option);
        }
        if (taken != OwnOption::Taken) {
            return std::nullopt;
        }
    }
    if (!finishReductionOptions(options, sheetArguments, manyPaths)) {
        return std::nullopt;
    }
    return options;
}

// A measurement file loaded and calculated.
class Reduction final {
  public:
    // Loads the file and runs the calculation. Returns 0 when results exist, otherwise the
    // exit code (1 failure, 2 usage error), after the messages; usage is shown for a label the
    // file does not hold and a correction set the INI file does not offer.
    int run(const ReductionOptions& options, const char* usage);
    // The same without the usage: 2 leaves the problem (a label the file does not hold, a
    // correction set the INI file does not offer) in usageProblem.
    int calculate(const ReductionOptions& options);

    ConsoleSheet sheet;
    CalcState state;
    std::optional<std::string> usageProblem;
};

} // namespace tarnova::cli
