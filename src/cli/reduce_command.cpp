// tarnova-cli reduce: a measurement file through the whole calculation to IRD text, with the
// choices of the settings dialog given as options.
#include "calc/ird_export.h"
#include "cli/commands.h"
#include "cli/reduction.h"
#include "platform/text_file.h"

#include <iostream>
#include <optional>
#include <string>

namespace tarnova::cli {
namespace {

constexpr const char* kUsage =
    "tarnova-cli reduce FILE " TARNOVA_REDUCTION_USAGE " [--output-flags LIST] [--output OUT]";

// "none", or a comma list of header, comment and guidecomment.
std::optional<std::uint32_t> parseOutputFlags(const std::string& text) {
    if (text == "none") {
        return 0u;
    }
    std::uint32_t flags = 0;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        const std::string word = text.substr(start, comma - start);
        if (word == "header") {
            flags |= kOutputHeader;
        } else if (word == "comment") {
            flags |= kOutputComment;
        } else if (word == "guidecomment") {
            flags |= kOutputGuideComment;
        } else {
            return std::nullopt;
        }
        start = comma + 1;
    }
    return flags;
}

bool writeText(const std::optional<std::string>& output, const std::string& text) {
    if (!output) {
        std::cout.write(text.data(), static_cast<std::streamsize>(text.size()));
        std::cout.flush();
        return static_cast<bool>(std::cout);
    }
    return writeWholeFile(*output, text);
}

} // namespace

int runReduceCommand(const Arguments& arguments) {
    std::optional<std::uint32_t> outputFlags;
    std::optional<std::string> output;
    const auto ownOption = [&](const Arguments& all, std::size_t& i) {
        if ((all[i] != "--output-flags" && all[i] != "--output") || i + 1 >= all.size()) {
            return false;
        }
        const std::string& option = all[i];
        const std::string& value = all[++i];
        if (option == "--output") {
            output = value;
            return true;
        }
        outputFlags = parseOutputFlags(value);
        return outputFlags.has_value();
    };
    const std::optional<ReductionOptions> options = parseReductionArguments(arguments, ownOption);
    if (!options) {
        return usageError(kUsage);
    }
    Reduction reduction;
    if (const int failure = reduction.run(*options, "reduce", kUsage); failure != 0) {
        return failure;
    }
    const std::optional<DataNote>& note = currentDataNote();
    const std::optional<std::string> text =
        WriteIrd(*reduction.state.results, note ? &*note : nullptr, reduction.state.calcFlags,
                 outputFlags.value_or(reduction.sheet.settings.fileOutputFlags));
    if (!text) {
        reduction.sheet.ui.showMessage("Tarnova", "Not enough cor.");
        return 1;
    }
    if (!writeText(output, *text)) {
        reduction.sheet.ui.showMessage("Tarnova", output.value_or("standard output"));
        return 1;
    }
    return 0;
}

} // namespace tarnova::cli
