// The whole batch calculation on arbitrary bytes read as a PKS file, as tarnova-cli reduce runs
// it: the peaks go through the grid, every label is a numerator, a denominator and an
// abundance, with 68 % and 95 % limits and both error estimates, and the IRD text is written.
// Not-a-number and infinite peaks, equal times and records without enough points reach the
// regressions, the tests and the number formatting this way.
#include "calc/calc_state.h"
#include "calc/calculation_driver.h"
#include "calc/ird_export.h"
#include "data/pks_format.h"
#include "editor/grid_model.h"
#include "settings/settings.h"
#include "silent_port.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

using namespace tarnova;

// The settings dialog with every label chosen in each list.
class EveryLabelPort final : public BatchCalculationPort {
  public:
    bool runSettingsDialog(CalculationSettingsForm& form,
                           const std::function<bool(CalculationSettingsForm&)>& confirm) override {
        const std::size_t count = form.labels.size();
        form.allNumerators = true;
        form.allAbundances = true;
        form.numerators.assign(count, true);
        form.denominators.assign(count, true);
        form.abundances.assign(count, true);
        return confirm(form);
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::openRunLog();
    const auto file = parsePksFile(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!file) {
        return 0;
    }
    fuzz::SilentPort ui;
    GridModel grid(ui);
    if (grid.AttachPeaks(file->peaks) == 0) {
        return 0;
    }
    for (const GeneralFlags options :
         {GeneralFlags(), GeneralFlags(GeneralFlag::Conf95), GeneralFlags(GeneralFlag::UseStdDev),
          GeneralFlag::Conf95 | GeneralFlag::UseStdDev}) {
        EveryLabelPort port;
        CalcState state;
        const CalculationEnvironment environment{
            ui,          port, Settings().generalFlags | options, kDefaultTestLevel, std::string(),
            std::nullopt};
        if (!RunCalculation(state, grid, environment)) {
            continue;
        }
        WriteIrd(*state.results, &file->note, state.calcFlags,
                 OutputFlag::Header | OutputFlag::Comment | OutputFlag::GuideComment);
    }
    return 0;
}
