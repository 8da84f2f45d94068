// tarnova-cli exclusions: the peaks a calculation of FILE leaves out, with the reason of each
// and the records it left, as Edit -> Data Points -> Exclusions of the result windows lists and
// copies them.
#include "cli/commands.h"
#include "cli/reduction.h"
#include "results/exclusion_list.h"

#include "platform/text_format.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

namespace tarnova::cli {
namespace {

constexpr const char* kUsage = "tarnova-cli exclusions FILE " TARNOVA_REDUCTION_USAGE;

} // namespace

int runExclusionsCommand(const Arguments& arguments) {
    const std::optional<ReductionOptions> options = parseReductionArguments(
        arguments, [](const Arguments&, std::size_t&) { return OwnOption::NotMine; });
    if (!options) {
        return usageError(kUsage);
    }
    Reduction reduction;
    if (const int failure = reduction.run(*options, kUsage); failure != 0) {
        return failure;
    }
    const std::optional<DataNote>& note = currentDataNote();
    const std::string text = ExclusionsText(reduction.state, note ? &*note : nullptr);
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() ||
        std::fflush(stdout) != 0) {
        const int reason = errno;
        reduction.sheet.ui.showMessage("Tarnova", formatText("%sに書き込めませんでした(%s)。",
                                                             "標準出力", std::strerror(reason)));
        return 1;
    }
    return 0;
}

} // namespace tarnova::cli
