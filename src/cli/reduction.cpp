#include "cli/reduction.h"

#include "calc/calculation_driver.h"
#include "calc/correction.h"
#include "calc/regression_method.h"
#include "document/peak_list_extraction.h"
#include "document/stored_exclusions.h"
#include "platform/load_path.h"
#include "settings/ini_file.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <string_view>
#include <utility>

namespace tarnova::cli {
namespace {

// A test level in percent: a decimal number from 0 to 100, a leading "+" allowed.
std::optional<double> parseTestLevel(const std::string& text) {
    const std::string_view digits =
        text.starts_with('+') ? std::string_view(text).substr(1) : std::string_view(text);
    double value = 0.0;
    const char* end = digits.data() + digits.size();
    const auto [stop, error] = std::from_chars(digits.data(), end, value);
    if (digits.empty() || error != std::errc() || stop != end || !std::isfinite(value) ||
        value < 0.0 || value > 100.0) {
        return std::nullopt;
    }
    return value;
}

bool isLabelListOption(const std::string& option) {
    return option == "--numerator" || option == "--denominator" || option == "--abundance" ||
           option == "--fit" || option == "--exclude";
}

// --fit METHOD or --fit NAME=METHOD (NAME a record name such as Ar40/Ar36, or a label); a
// METHOD alone a second time is refused.
bool takeFitChoice(const std::string& text, FitChoices& choices, bool& methodGiven) {
    const std::size_t equals = text.find('=');
    const std::string name = equals == std::string::npos ? std::string() : text.substr(0, equals);
    const std::string methodText = equals == std::string::npos ? text : text.substr(equals + 1);
    const std::optional<std::uint32_t> method = FindRegressionMethod(methodText);
    if (!method) {
        reportUsageProblem("--fit " + text +
                           ": no such method (linear, parabolic, exponential, mean, auto)");
        return false;
    }
    if (equals == std::string::npos) {
        if (methodGiven) {
            reportUsageProblem("--fit " + text + ": the calculation's method is given twice");
            return false;
        }
        methodGiven = true;
        choices.method = *method;
    } else if (name.empty()) {
        reportUsageProblem("--fit " + text + ": the name before = is empty");
        return false;
    } else {
        choices.choose(name, *method);
    }
    return true;
}

// The two choices of a pair share a kind; every other option is a kind of its own.
std::string kindOf(const std::string& option) {
    if (option == "--conf95" || option == "--conf68") {
        return "--conf95|--conf68";
    }
    if (option == "--stddev" || option == "--unbiased") {
        return "--stddev|--unbiased";
    }
    return option;
}

// Only a set the dialog offers (names compared without regard to case) and that counts items
// can be applied.
bool offeredIn(const std::vector<std::string>& offered, const std::string& iniPath,
               const std::string& name) {
    const auto sameName = [&name](const std::string& set) { return profileNamesEqual(set, name); };
    return std::any_of(offered.begin(), offered.end(), sameName) &&
           ReadCorrectionSet(iniPath, name).has_value();
}

std::string noCorrectionSet(const std::string& iniPath, const std::string& name) {
    return "--correction " + name + ": " + iniPath + " holds no correction set of that name";
}

// The settings dialog answered from the options; the command has no windows and no printer.
class ReductionPort final : public BatchCalculationPort {
  public:
    ReductionPort(const ReductionOptions& options, std::string iniPath)
        : options_(options), iniPath_(std::move(iniPath)) {}

    // The first label of the options that the element list does not hold.
    const std::optional<std::string>& unknownLabel() const { return unknownLabel_; }
    // Whether --correction named a set that the INI file does not offer.
    bool unknownCorrectionSet() const { return unknownCorrectionSet_; }

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
        // The INI's methods (read by the calculation), with those of --fit over them.
        form.fitMethod = options_.fitMethodGiven ? options_.fitChoices.method : form.fitMethod;
        form.fitMethodsByName = options_.fitChoices.byName;
        form.outlierFilter = options_.outlierFilter.value_or(form.outlierFilter);
        if (options_.correctionSet) {
            const std::string& name = *options_.correctionSet;
            if (!offeredIn(form.correctionSets, iniPath_, name)) {
                unknownCorrectionSet_ = true;
                return false;
            }
            form.correct = true;
            form.correctionSet = name;
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
    std::string iniPath_;
    std::optional<std::string> unknownLabel_;
    bool unknownCorrectionSet_ = false;
};

GeneralFlags withBit(GeneralFlags word, GeneralFlag bit, std::optional<bool> on) {
    if (!on) {
        return word;
    }
    return *on ? (word | bit) : (word & ~bit);
}

} // namespace

std::optional<std::string> correctionSetProblem(const std::string& iniPath,
                                                const std::string& name) {
    // The dialog lists the sets only beside an element list.
    CalcState probe;
    probe.elements.emplace_back();
    const std::optional<CalculationSettingsForm> form = OpenCalculationSettings(probe, iniPath);
    if (form && offeredIn(form->correctionSets, iniPath, name)) {
        return std::nullopt;
    }
    return noCorrectionSet(iniPath, name);
}

std::optional<std::string> GivenOptions::problemWith(const std::string& option) {
    if (!option.starts_with("--") || isLabelListOption(option)) {
        return std::nullopt;
    }
    const std::string kind = kindOf(option);
    for (const auto& [earlierKind, earlier] : given_) {
        if (earlierKind == kind) {
            return earlier == option ? option + " is given twice"
                                     : option + " conflicts with " + earlier;
        }
    }
    given_.emplace_back(kind, option);
    return std::nullopt;
}

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
    } else if (option == "--ignore-stored") {
        options.ignoreStored = true;
    } else if (option == "--ini" || option == "--format" || isLabelListOption(option) ||
               option == "--test-level" || option == "--correction" || option == "--filter") {
        if (const auto problem = optionProblem(arguments, i, true, false)) {
            reportUsageProblem(*problem);
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
        } else if (option == "--fit") {
            invalid = !takeFitChoice(text, options.fitChoices, options.fitMethodGiven);
        } else if (option == "--exclude") {
            const std::optional<StoredExclusion> exclusion = ParseExclusion(text, false);
            invalid = !exclusion;
            if (exclusion) {
                options.exclusions.push_back(*exclusion);
            } else {
                reportUsageProblem("--exclude " + text +
                                   ": LABEL@TIME expected, TIME in seconds with at most two "
                                   "decimals (Ar40@11.5)");
            }
        } else if (option == "--test-level") {
            options.testLevel = parseTestLevel(text);
            if (!options.testLevel) {
                reportUsageProblem("--test-level " + text + " is no number from 0 to 100");
                invalid = true;
            }
        } else if (option == "--filter") {
            options.outlierFilter = ParseOutlierFilter(text);
            if (!options.outlierFilter) {
                reportUsageProblem("--filter " + text +
                                   ": give sigma:K:ITERATIONS (K above 0, ITERATIONS 1 to 100), "
                                   "sigma[:K], chauvenet or off");
                invalid = true;
            }
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

bool finishReductionOptions(ReductionOptions& options, const Arguments& sheetArguments,
                            bool manyPaths) {
    const bool ratios =
        (options.allNumerators || !options.numerators.empty()) && !options.denominators.empty();
    const bool abundances = options.allAbundances || !options.abundances.empty();
    if (!ratios && !abundances) {
        reportUsageProblem("nothing to calculate: give --numerator (or --all-numerators) with "
                           "--denominator, or --abundance (or --all-abundances)");
        return false;
    }
    std::optional<SheetArguments> sheet =
        parseSheetArguments(sheetArguments, false, manyPaths ? 0 : 1);
    if (!sheet) {
        return false;
    }
    for (const std::string& path : sheet->paths) {
        if (path.empty()) {
            reportUsageProblem("the file name is empty");
            return false;
        }
    }
    options.sheet = std::move(*sheet);
    return true;
}

int Reduction::run(const ReductionOptions& options, const char* usage) {
    const int code = calculate(options);
    if (code == 2) {
        reportUsageProblem(*usageProblem);
        return usageError(usage);
    }
    return code;
}

int Reduction::calculate(const ReductionOptions& options) {
    // The SOURCE line names the measurement by its absolute path.
    const std::string& file = options.sheet.paths.front();
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(file, error);
    const std::string path = error ? file : absolute.lexically_normal().string();

    if (!sheet.load(path, options.sheet)) {
        return 1;
    }
    Settings& settings = sheet.settings;
    settings.generalFlags = withBit(settings.generalFlags, GeneralFlag::Conf95, options.conf95);
    settings.generalFlags =
        withBit(settings.generalFlags, GeneralFlag::UseStdDev, options.useStdDev);
    settings.testLevel = options.testLevel.value_or(settings.testLevel);

    // The peaks leave the grid as a calculation takes them; the grid's rows are not needed
    // afterwards, so a long measurement does not hold both at once.
    std::optional<std::vector<PeakRecord>> peaks = ExtractPeakList(sheet.grid);
    sheet.grid.NewSheet();
    // An exclusion of the command line that names no peak is a mistake of the command, not a
    // stale entry of the file.
    if (peaks && !options.exclusions.empty()) {
        const std::vector<int> matches = MatchExclusions(options.exclusions, *peaks);
        const auto unmatched = std::find(matches.begin(), matches.end(), -1);
        if (unmatched != matches.end()) {
            const StoredExclusion& exclusion =
                options.exclusions[static_cast<std::size_t>(unmatched - matches.begin())];
            usageProblem = "--exclude " + exclusion.label + "@" +
                           PeakTimeText(exclusion.hundredths) + " names no peak of " + file;
            return 2;
        }
    }
    const PeakListSource extracted = [&peaks] { return std::move(peaks); };

    const std::string iniPath = options.sheet.iniPath.value_or(settingsFilePath());
    ReductionPort port(options, iniPath);
    // The INI's filter, which --filter replaces in the settings.
    state.outlierFilter = settings.outlierFilter;
    CalculationEnvironment environment{sheet.ui,           port,    settings.generalFlags,
                                       settings.testLevel, iniPath, std::nullopt};
    environment.useStoredReduction = !options.ignoreStored;
    environment.exclusions = options.exclusions;
    environment.filterChosen = options.outlierFilter.has_value();
    if (!RunCalculation(state, extracted, environment)) {
        if (port.unknownLabel()) {
            usageProblem = *port.unknownLabel() + " is not in the element list";
            return 2;
        }
        if (port.unknownCorrectionSet()) {
            usageProblem = noCorrectionSet(iniPath, *options.correctionSet);
            return 2;
        }
        return 1;
    }
    return 0;
}

} // namespace tarnova::cli
