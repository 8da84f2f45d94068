// tarnova-cli reduce: a measurement file through the whole calculation to IRD text, with the
// choices of the settings dialog given as options.
#include "calc/ird_export.h"
#include "cli/batch_reduction.h"
#include "cli/commands.h"
#include "cli/reduction.h"
#include "platform/text_file.h"
#include "platform/text_format.h"

#include <cerrno>
#include <cstdio>
#include <optional>
#include <string>
#include <system_error>

namespace tarnova::cli {
namespace {

constexpr const char* kUsage = "tarnova-cli reduce FILE|FOLDER... " TARNOVA_REDUCTION_USAGE
                               " [--output-flags LIST] [--output OUT] " TARNOVA_BATCH_USAGE;

// "none", or a comma list of header, comment and guidecomment.
std::optional<OutputFlags> parseOutputFlags(const std::string& text) {
    if (text == "none") {
        return OutputFlags{};
    }
    OutputFlags flags;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        const std::string word = text.substr(start, comma - start);
        if (word == "header") {
            flags |= OutputFlag::Header;
        } else if (word == "comment") {
            flags |= OutputFlag::Comment;
        } else if (word == "guidecomment") {
            flags |= OutputFlag::GuideComment;
        } else {
            return std::nullopt;
        }
        start = comma + 1;
    }
    return flags;
}

// Writes the IRD text to the file output, or to standard output; false with error set when
// that failed.
bool writeText(const std::optional<std::string>& output, const std::string& text,
               std::error_code& error) {
    if (output) {
        return writeWholeFile(*output, text, &error);
    }
    const bool written =
        std::fwrite(text.data(), 1, text.size(), stdout) == text.size() && std::fflush(stdout) == 0;
    if (!written) {
        error = {errno, std::generic_category()};
    }
    return written;
}

} // namespace

int runReduceCommand(const Arguments& arguments) {
    std::optional<OutputFlags> outputFlags;
    std::optional<std::string> output;
    BatchOptions batch;
    const auto ownOption = [&](const Arguments& all, std::size_t& i) {
        const std::string& option = all[i];
        if (option != "--output-flags" && option != "--output") {
            return takeBatchOption(all, i, batch);
        }
        if (const auto problem = optionProblem(all, i, true, false)) {
            reportUsageProblem(*problem);
            return OwnOption::Invalid;
        }
        const std::string& value = all[++i];
        if (option == "--output") {
            output = value;
            return OwnOption::Taken;
        }
        outputFlags = parseOutputFlags(value);
        if (!outputFlags) {
            reportUsageProblem("--output-flags " + value +
                               " is neither none nor a list of header, comment, guidecomment");
            return OwnOption::Invalid;
        }
        return OwnOption::Taken;
    };
    const std::optional<ReductionOptions> options =
        parseReductionArguments(arguments, ownOption, true);
    if (!options) {
        return usageError(kUsage);
    }
    if (isBatch(*options, batch)) {
        return runBatchReduction(*options, batch, outputFlags, output, kUsage);
    }
    if (output && outputNamesInput(*output, inputFiles(options->sheet))) {
        return usageError(kUsage);
    }
    Reduction reduction;
    if (const int failure = reduction.run(*options, kUsage); failure != 0) {
        return failure;
    }
    const std::optional<DataNote>& note = currentDataNote();
    const std::optional<std::string> text = WriteIrd(
        *reduction.state.results, note ? &*note : nullptr, reduction.state.calcFlags,
        outputFlags.value_or(reduction.sheet.settings.fileOutputFlags), reduction.state.peaks);
    if (!text) {
        reduction.sheet.ui.showMessage("Tarnova", "Not enough core.");
        return 1;
    }
    std::error_code writeError;
    if (!writeText(output, *text, writeError)) {
        reduction.sheet.ui.showMessage("Tarnova", formatText("%sに書き込めませんでした(%s)。",
                                                             output.value_or("標準出力").c_str(),
                                                             writeError.message().c_str()));
        return 1;
    }
    return 0;
}

} // namespace tarnova::cli
