#include "cli/reduction.h"

#include "calc/calculation_driver.h"
#include "document/peak_list_extraction.h"
#include "platform/load_path.h"

#include <charconv>
#include <cmath>
#include <filesystem>
#include <iostream>

namespace tarnova::cli {
namespace {

std::optional<double> parseNumber(const std::string& text) {
    double value = 0.0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop != end || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

// The settings dialog answered from the options; the command has no windows and no printer.
class ReductionPort final : public BatchCalculationPort {
  public:
    ReductionPort(const ReductionOptions& options, const char* command)
        : options_(options), command_(command) {}

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
                std::cerr << "tarnova-cli " << command_ << ": "
                          << (form.correctionSetsUnnamed
                                  ? "the INI file counts correction sets but names none; "
                                  : "the INI file has no correction sets; ")
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

    const ReductionOptions& options_;
    const char* command_;
    std::optional<std::string> unknownLabel_;
};

std::uint32_t withBit(std::uint32_t word, std::uint32_t bit, std::optional<bool> on) {
    if (!on) {
        return word;
    }
    return *on ? (word | bit) : (word & ~bit);
}

} // namespace

bool takeReductionOption(const Arguments& arguments, std::size_t& i, ReductionOptions& options,
                         Arguments& sheetArguments, bool& invalid) {
    const std::string& option = arguments[i];
    if (option == "--all-numerators") {
        options.allNumerators = true;
    } else if (option == "--all-abundances") {
        options.allAbundances = true;
    } else if (option == "--conf95" || option == "--conf68") {
        options.conf95 = option == "--conf95";
    } else if (option == "--stddev" || option == "--unbiased") {
        options.useStdDev = option == "--stddev";
    } else if (option == "--ini" || option == "--format" || option == "--numerator" ||
               option == "--denominator" || option == "--abundance" || option == "--test-level" ||
               option == "--correction") {
        if (i + 1 >= arguments.size()) {
            invalid = true;
            return true;
        }
        const std::string& text = arguments[++i];
        if (option == "--ini" || option == "--format") {
            sheetArguments.insert(sheetArguments.end(), {option, text});
        } else if (option == "--numerator") {
            options.numerators.push_back(text);
        } else if (option == "--denominator") {
            options.denominators.push_back(text);
        } else if (option == "--abundance") {
            options.abundances.push_back(text);
        } else if (option == "--test-level") {
            options.testLevel = parseNumber(text);
            invalid = !options.testLevel;
        } else {
            options.correctionSet = text;
        }
    } else if (!option.starts_with("--")) {
        sheetArguments.push_back(option);
    } else {
        return false;
    }
    return true;
}

bool finishReductionOptions(ReductionOptions& options, const Arguments& sheetArguments) {
    std::optional<SheetArguments> sheet = parseSheetArguments(sheetArguments, false, 1);
    if (!sheet || sheet->paths.front().empty()) {
        return false;
    }
    options.sheet = std::move(*sheet);
    return true;
}

int Reduction::run(const ReductionOptions& options, const char* command, const char* usage) {
    // The SOURCE line names the measurement by its absolute path.
    const std::string& file = options.sheet.paths.front();
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(file, error);
    const std::string path = error ? file : absolute.lexically_normal().string();

    if (!sheet.load(path, options.sheet)) {
        return 1;
    }
    Settings& settings = sheet.settings;
    settings.generalFlags = withBit(settings.generalFlags, kConf95, options.conf95);
    settings.generalFlags = withBit(settings.generalFlags, kUseStdDev, options.useStdDev);
    settings.testLevel = options.testLevel.value_or(settings.testLevel);

    // The peaks leave the grid as a calculation takes them; the grid's rows are not needed
    // afterwards, so a long measurement does not hold both at once.
    std::optional<std::vector<PeakRecord>> peaks = ExtractPeakList(sheet.grid);
    sheet.grid.NewSheet();
    const PeakListSource extracted = [&peaks] { return std::move(peaks); };

    ReductionPort port(options, command);
    const CalculationEnvironment environment{sheet.ui, port, settings.generalFlags,
                                             settings.testLevel,
                                             options.sheet.iniPath.value_or(settingsFilePath())};
    if (RunCalculation(state, extracted, environment) == 0) {
        if (port.unknownLabel()) {
            std::cerr << "tarnova-cli " << command << ": " << *port.unknownLabel()
                      << " is not in the element list\n";
            return usageError(usage);
        }
        return 1;
    }
    return 0;
}

} // namespace tarnova::cli
