// tarnova-cli reduce: a measurement file through the whole calculation to IRD text, with the
// choices of the settings dialog given as options.
#include "calc/calc_state.h"
#include "calc/calculation_driver.h"
#include "calc/ird_export.h"
#include "cli/commands.h"
#include "cli/console_port.h"
#include "cli/sheet_loading.h"
#include "document/peak_list_extraction.h"
#include "editor/grid_model.h"
#include "platform/load_path.h"
#include "settings/settings.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

namespace tarnova::cli {
namespace {

constexpr const char* kUsage =
    "tarnova-cli reduce FILE [--ini INI] [--format dat|pks|asc|mmdat] [--numerator L]... "
    "[--denominator L]... [--abundance L]... [--all-numerators] [--all-abundances] "
    "[--conf95|--conf68] [--stddev|--unbiased] [--test-level PCT] [--correction SETNAME] "
    "[--output-flags LIST] [--output OUT]";

struct ReduceOptions {
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
    std::optional<std::uint32_t> outputFlags;
    std::optional<std::string> output;
};

std::optional<double> parseNumber(const std::string& text) {
    double value = 0.0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop != end || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

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

std::optional<ReduceOptions> parseArguments(const Arguments& arguments) {
    ReduceOptions options;
    Arguments sheetArguments;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& option = arguments[i];
        const auto value = [&]() -> const std::string* {
            return i + 1 < arguments.size() ? &arguments[++i] : nullptr;
        };
        if (option == "--all-numerators") {
            options.allNumerators = true;
        } else if (option == "--all-abundances") {
            options.allAbundances = true;
        } else if (option == "--conf95" || option == "--conf68") {
            options.conf95 = option == "--conf95";
        } else if (option == "--stddev" || option == "--unbiased") {
            options.useStdDev = option == "--stddev";
        } else if (option == "--ini" || option == "--format" || option == "--numerator" ||
                   option == "--denominator" || option == "--abundance" ||
                   option == "--test-level" || option == "--correction" ||
                   option == "--output-flags" || option == "--output") {
            const std::string* text = value();
            if (text == nullptr) {
                return std::nullopt;
            }
            if (option == "--ini" || option == "--format") {
                sheetArguments.insert(sheetArguments.end(), {option, *text});
            } else if (option == "--numerator") {
                options.numerators.push_back(*text);
            } else if (option == "--denominator") {
                options.denominators.push_back(*text);
            } else if (option == "--abundance") {
                options.abundances.push_back(*text);
            } else if (option == "--test-level") {
                options.testLevel = parseNumber(*text);
                if (!options.testLevel) {
                    return std::nullopt;
                }
            } else if (option == "--correction") {
                options.correctionSet = *text;
            } else if (option == "--output-flags") {
                options.outputFlags = parseOutputFlags(*text);
                if (!options.outputFlags) {
                    return std::nullopt;
                }
            } else {
                options.output = *text;
            }
        } else if (option.starts_with("--")) {
            return std::nullopt;
        } else {
            sheetArguments.push_back(option);
        }
    }
    std::optional<SheetArguments> sheet = parseSheetArguments(sheetArguments, false, 1);
    if (!sheet || sheet->paths.front().empty()) {
        return std::nullopt;
    }
    options.sheet = std::move(*sheet);
    return options;
}

// The settings dialog answered from the options; the command has no windows and no printer.
class ReducePort final : public BatchCalculationPort {
  public:
    explicit ReducePort(const ReduceOptions& options) : options_(options) {}

    // The first label of the options that the element list does not hold.
    const std::optional<std::string>& unknownLabel() const { return unknownLabel_; }

    bool runSettingsDialog(CalculationSettingsForm& form,
                           const std::function<bool(CalculationSettingsForm&)>& confirm) override {
        const std::size_t count = form.labels.size();
        form.allNumerators = options_.allNumerators;
        form.allAbundances = options_.allAbundances;
        form.numerators.assign(count, false);
        form.denominators.assign(count, false);
        form.abundances.assign(count, false);
        if (!choose(form, options_.numerators, form.numerators) ||
            !choose(form, options_.denominators, form.denominators) ||
            !choose(form, options_.abundances, form.abundances)) {
            return false;
        }
        if (options_.correctionSet) {
            // Without sets (also when the INI counts sets but names none) the dialog offers no
            // correction to check: the calculation goes on uncorrected.
            form.correct = !form.correctionSets.empty();
            form.correctionSet = *options_.correctionSet;
            if (!form.correct) {
                std::cerr << (form.correctionSetsUnnamed
                                  ? "tarnova-cli reduce: the INI file counts correction sets but "
                                    "names none; "
                                  : "tarnova-cli reduce: the INI file has no correction sets; ")
                          << *options_.correctionSet << " is not applied\n";
            }
        }
        return confirm(form);
    }

  private:
    bool choose(const CalculationSettingsForm& form, const std::vector<std::string>& labels,
                std::vector<bool>& items) {
        for (const std::string& label : labels) {
            std::size_t index = 0;
            while (index < form.labels.size() && form.labels[index] != label) {
                ++index;
            }
            if (index == form.labels.size()) {
                unknownLabel_ = label;
                return false;
            }
            items[index] = true;
        }
        return true;
    }

    const ReduceOptions& options_;
    std::optional<std::string> unknownLabel_;
};

std::uint32_t withBit(std::uint32_t word, std::uint32_t bit, std::optional<bool> on) {
    if (!on) {
        return word;
    }
    return *on ? (word | bit) : (word & ~bit);
}

bool writeText(const std::optional<std::string>& output, const std::string& text) {
    if (!output) {
        std::cout.write(text.data(), static_cast<std::streamsize>(text.size()));
        std::cout.flush();
        return static_cast<bool>(std::cout);
    }
    std::FILE* file = std::fopen(output->c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    return std::fclose(file) == 0 && written;
}

} // namespace

int runReduceCommand(const Arguments& arguments) {
    const std::optional<ReduceOptions> options = parseArguments(arguments);
    if (!options) {
        return usageError(kUsage);
    }
    // The SOURCE line names the measurement by its absolute path.
    const std::string& file = options->sheet.paths.front();
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(file, error);
    const std::string path = error ? file : absolute.lexically_normal().string();

    ConsoleSheet sheet;
    if (!sheet.load(path, options->sheet)) {
        return 1;
    }
    Settings& settings = sheet.settings;
    settings.generalFlags = withBit(settings.generalFlags, kConf95, options->conf95);
    settings.generalFlags = withBit(settings.generalFlags, kUseStdDev, options->useStdDev);
    settings.testLevel = options->testLevel.value_or(settings.testLevel);

    // The peaks leave the grid as a calculation takes them; the grid's rows are not needed
    // afterwards, so a long measurement does not hold both at once.
    std::optional<std::vector<PeakRecord>> peaks = ExtractPeakList(sheet.grid);
    sheet.grid.NewSheet();
    const PeakListSource extracted = [&peaks] { return std::move(peaks); };

    ReducePort port(*options);
    CalcState state;
    const CalculationEnvironment environment{sheet.ui, port, settings.generalFlags,
                                             settings.testLevel,
                                             options->sheet.iniPath.value_or(settingsFilePath())};
    if (RunCalculation(state, extracted, environment) == 0) {
        if (port.unknownLabel()) {
            std::cerr << "tarnova-cli reduce: " << *port.unknownLabel()
                      << " is not in the element list\n";
            return usageError(kUsage);
        }
        return 1;
    }
    const std::optional<DataNote>& note = currentDataNote();
    const std::optional<std::string> text =
        WriteIrd(*state.results, note ? &*note : nullptr, state.calcFlags,
                 options->outputFlags.value_or(settings.fileOutputFlags));
    if (!text) {
        sheet.ui.showMessage("Tarnova", "Not enough cor.");
        return 1;
    }
    if (!writeText(options->output, *text)) {
        sheet.ui.showMessage("Tarnova", options->output.value_or("standard output"));
        return 1;
    }
    return 0;
}

} // namespace tarnova::cli
