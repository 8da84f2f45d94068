#include "calc/fit_choice.h"

#include "platform/run_log.h"
#include "settings/ini_file.h"
#include "settings/regression_names.h"

#include <algorithm>
#include <optional>

namespace tarnova {
namespace {

std::optional<std::uint32_t> choiceFor(const FitChoices& choices, const std::string& name) {
    const auto found = std::find_if(choices.byName.rbegin(), choices.byName.rend(),
                                    [&name](const auto& choice) { return choice.first == name; });
    if (found == choices.byName.rend()) {
        return std::nullopt;
    }
    return found->second;
}

constexpr std::size_t kMethodRoom = 80;

} // namespace

FitChoices ReadFitChoices(const std::string& path) {
    FitChoices choices;
    const std::string method = ReadProfileString(path, "regression", "method", "", kMethodRoom);
    if (!method.empty()) {
        if (const std::optional<std::uint32_t> found = RegressionMethodOfIni(method)) {
            choices.method = *found;
        } else {
            LogLine("Unknown regression method " + method);
        }
    }
    for (const std::string& name : ReadProfileKeyNames(path, "regressionmethods")) {
        const std::string text =
            ReadProfileString(path, "regressionmethods", name, "", kMethodRoom);
        if (const std::optional<std::uint32_t> found = RegressionMethodOfIni(text)) {
            choices.choose(name, *found);
        } else {
            LogLine("Unknown regression method " + text + " for " + name);
        }
    }
    return choices;
}

void FitChoices::choose(const std::string& name, std::uint32_t chosen) {
    std::erase_if(byName, [&name](const auto& choice) { return choice.first == name; });
    byName.emplace_back(name, chosen);
}

std::uint32_t ChosenFitMethod(const FitChoices& choices, const std::string& numerator,
                              const std::string& denominator) {
    const std::string record = denominator.empty() ? numerator : numerator + "/" + denominator;
    if (const std::optional<std::uint32_t> chosen = choiceFor(choices, record)) {
        return *chosen;
    }
    return choiceFor(choices, numerator).value_or(choices.method);
}

} // namespace tarnova
