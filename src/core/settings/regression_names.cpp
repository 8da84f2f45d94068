#include "settings/regression_names.h"

#include "platform/codepage.h"

#include <string>

namespace tarnova {

std::optional<std::uint32_t> FindRegressionMethodNaming(std::string_view name) {
    for (std::uint32_t i = 0; i < kRegressionMethodNamings.size(); ++i) {
        if (name == kRegressionMethodNamings[i].name ||
            name == kRegressionMethodNamings[i].keyword) {
            return i;
        }
    }
    return std::nullopt;
}

std::optional<std::uint32_t> RegressionMethodOfIni(std::string_view text) {
    if (const std::optional<std::uint32_t> method = FindRegressionMethodNaming(text)) {
        return method;
    }
    return FindRegressionMethodNaming(cp932ToUtf8(std::string(text)));
}

} // namespace tarnova
