// The measurement the benchmarks calculate: five argon labels in turn with drifting signals,
// and ports that show nothing and choose every element.
#pragma once

#include "calc/calculation_port.h"
#include "calc/regression.h"
#include "calc/result_table.h"
#include "data/peak_sheet.h"
#include "document/file_port.h"
#include "platform/user_interface_port.h"
#include "settings/settings.h"

#include <cmath>
#include <functional>
#include <vector>

namespace tarnova {

class SilentPort final : public UserInterfacePort {
  public:
    void showMessage(std::string_view, std::string_view) override {}
    Answer ask(std::string_view, std::string_view, QuestionButtons) override {
        return Answer::Cancel;
    }
    void beep() override {}
};

class NoDialogs final : public FilePort {
  public:
    FileDialogResult chooseOpenFile(const FileDialogRequest&) override { return {}; }
    FileDialogResult chooseSaveFile(const FileDialogRequest&) override { return {}; }
    FormatDecision decideFormat(const FormatDecisionRequest&) override { return {}; }
    void setWindowTitle(std::string_view) override {}
};

// Every element as numerator, denominator and abundance; without ratios, as abundance only.
class EverythingPort final : public BatchCalculationPort {
  public:
    explicit EverythingPort(bool ratios = true) : ratios_(ratios) {}
    bool runSettingsDialog(CalculationSettingsForm& form,
                           const std::function<bool(CalculationSettingsForm&)>& confirm) override {
        form.allNumerators = ratios_;
        form.allAbundances = true;
        form.numerators.assign(form.labels.size(), false);
        form.denominators.assign(form.labels.size(), ratios_);
        return confirm(form);
    }

  private:
    bool ratios_;
};

// Ar36 to Ar40 in turn, 0.13 s apart, with slowly drifting signals.
inline std::vector<PeakRecord> measurementPeaks(int peakCount) {
    static const char* const kLabels[] = {"Ar36", "Ar37", "Ar38", "Ar39", "Ar40"};
    static const double kLevels[] = {0.021, 0.00028, 0.0040, 0.00022, 6.2};
    std::vector<PeakRecord> peaks(static_cast<std::size_t>(peakCount));
    for (int i = 0; i < peakCount; ++i) {
        PeakRecord& peak = peaks[static_cast<std::size_t>(i)];
        const int label = i % 5;
        peak.elem = kLabels[label];
        peak.time = 1.2 + 0.13 * i;
        const double value = kLevels[label] * (1.0 - 1e-7 * i) * (1.0 + 0.002 * std::sin(0.37 * i));
        peak.range = std::pow(10.0, std::floor(std::log10(value)));
        peak.height = value / peak.range;
    }
    return peaks;
}

// An abundance record of Ar40 with pointCount points of the measurement, its points formed
// (not yet fitted).
inline RegressionResult abundanceRecord(int pointCount) {
    const std::vector<PeakRecord> peaks = measurementPeaks(5 * pointCount);
    RegressionResult record;
    record.numerator = "Ar40";
    record.alpha = 0.32;
    record.checkLevel = kDefaultTestLevel / 100.0;
    BuildAbundancePoints(record, peaks);
    return record;
}

// A click on a point: its disabled mark toggled and the record refitted. Successive clicks
// walk through the points in a scattered order.
class PointClicks {
  public:
    void clickAndRefit(RegressionResult& record) {
        DataPoint& point = (*record.points)[next_];
        point.flags ^= PointFlag::Disabled;
        next_ = (next_ + 7919) % record.points->size();
        ComputeStatistics(record);
        FitLine(record);
    }

  private:
    std::size_t next_ = 0;
};

} // namespace tarnova
