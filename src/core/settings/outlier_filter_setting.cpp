#include "settings/outlier_filter_setting.h"

#include "platform/text_format.h"

#include <charconv>
#include <cmath>

namespace tarnova {

namespace {

constexpr int kMaxFilterIterations = 100;

template <typename Number> std::optional<Number> wholeNumber(std::string_view text) {
    Number value{};
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end) {
        return std::nullopt;
    }
    return value;
}

} // namespace

std::string FormatOutlierFilter(const OutlierFilter& filter) {
    switch (filter.rule) {
    case OutlierRule::Sigma:
        return "sigma:" + shortestDecimal(filter.k) + ":" + std::to_string(filter.iterations);
    case OutlierRule::Chauvenet:
        return "chauvenet";
    case OutlierRule::Off:
        break;
    }
    return "off";
}

std::optional<OutlierFilter> ParseOutlierFilter(std::string_view text) {
    if (text == "off") {
        return OutlierFilter{};
    }
    if (text == "chauvenet") {
        return OutlierFilter{.rule = OutlierRule::Chauvenet};
    }
    constexpr std::string_view kSigma = "sigma";
    if (!text.starts_with(kSigma)) {
        return std::nullopt;
    }
    OutlierFilter filter{.rule = OutlierRule::Sigma};
    text.remove_prefix(kSigma.size());
    if (text.empty()) {
        return filter;
    }
    if (text.front() != ':') {
        return std::nullopt;
    }
    text.remove_prefix(1);
    const std::size_t colon = text.find(':');
    const std::optional<double> k = wholeNumber<double>(text.substr(0, colon));
    if (!k || !std::isfinite(*k) || *k <= 0.0) {
        return std::nullopt;
    }
    filter.k = *k;
    if (colon != std::string_view::npos) {
        const std::optional<int> iterations = wholeNumber<int>(text.substr(colon + 1));
        if (!iterations || *iterations < 1 || *iterations > kMaxFilterIterations) {
            return std::nullopt;
        }
        filter.iterations = *iterations;
    }
    return filter;
}

} // namespace tarnova
