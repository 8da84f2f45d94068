// Which regression method fits which record: the calculation's method, overridden by a choice
// for the record's name ("N/D" or "N") or, failing that, for its numerator label (which covers
// the label's abundance and every ratio it is the numerator of).
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace tarnova {

struct FitChoices {
    std::uint32_t method = 0; // index into RegressionMethods(); 0 the line
    // Record names or labels (code page 932 bytes) with their method, later ones winning.
    std::vector<std::pair<std::string, std::uint32_t>> byName;

    // Sets the method of name, replacing an earlier choice for it.
    void choose(const std::string& name, std::uint32_t chosen);
};

// The choices of TARNOVA.INI at path: the key "method" of section "regression" and every key of
// section "regressionmethods" (a record name or a label, valued by a method: linear, parabolic,
// exponential, mean, auto, or the method's table name). Unknown methods are logged and left
// out; a missing file or section gives the line for everything.
FitChoices ReadFitChoices(const std::string& path);

// The method of the record of numerator (and denominator, empty for an abundance).
std::uint32_t ChosenFitMethod(const FitChoices& choices, const std::string& numerator,
                              const std::string& denominator);

} // namespace tarnova
