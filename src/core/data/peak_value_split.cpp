#include "data/peak_value_split.h"

#include <cmath>

namespace tarnova {
namespace {

bool hasDecimalLogarithm(double value) {
    return std::isfinite(value) && value > 0.0;
}

// A split whose range underflowed (values near the smallest doubles) keeps the value whole.
HeightAndRange checked(double value, HeightAndRange split) {
    if (!std::isnormal(split.range) || !std::isfinite(split.height)) {
        return {value, 1.0};
    }
    return split;
}

} // namespace

HeightAndRange splitPksValue(double value) {
    if (!hasDecimalLogarithm(value)) {
        return {value, 1.0};
    }
    HeightAndRange split;
    split.range = std::pow(10.0, std::trunc(std::log10(value)));
    split.height = value / split.range;
    if (split.height < 1.0) {
        split.height *= 10.0;
        split.range /= 10.0;
    }
    return checked(value, split);
}

HeightAndRange splitMicromassValue(double value) {
    if (!hasDecimalLogarithm(value)) {
        return {value, 1.0};
    }
    HeightAndRange split;
    split.range = std::pow(10.0, std::trunc(std::log10(value)));
    if (split.range < 1.0) {
        split.range /= 10.0;
    }
    split.height = value / split.range;
    return checked(value, split);
}

} // namespace tarnova
