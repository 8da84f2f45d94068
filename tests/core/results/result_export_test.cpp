#include "results/result_export.h"

#include "calc/calculation_driver.h"
#include "calc/ird_export.h"
#include "core/calc/scripted_calculation_port.h"
#include "core/results/result_records.h"
#include "core/support/scripted_file_port.h"
#include "core/support/scripted_port.h"
#include "core/support/temp_folder.h"
#include "core/support/test_peaks.h"
#include "platform/codepage.h"
#include "results/point_editing.h"
#include "settings/settings.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tarnova {
namespace {

using test::failedRecord;
using test::fittedRecord;
using test::ScriptedFilePort;

DataNote pksNote(std::vector<TaggedComment> tags, std::string path = "/data/run7.pks") {
    DataNote note;
    note.form = DataNoteForm::Pks;
    note.path = std::move(path);
    note.tags = std::move(tags);
    return note;
}

TEST(ResultExport, CopiedDataPointsNameTheMeasurementAndMarkDisabledPoints) {
    const RegressionResult record = fittedRecord("Ar40/Ar36", {{1.5, 295.5}, {12, 1e-5}}, {1});
    const DataNote pksNamed = pksNote({{"Sample:", "air"}, {"NAME", "run 7"}});
    // File names are file-system texts (UTF-8); the copied text is code page 932 throughout.
    const DataNote pksBare = pksNote({}, "/data/試料.pks");
    const struct {
        const DataNote* note;
        std::string name;
    } notes[] = {{nullptr, "unknown"}, {&pksNamed, "run 7"}, {&pksBare, utf8ToCp932("試料.pks")}};
    for (const auto& row : notes) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(DataPointsText(record, row.note), row.name +
                                                        "\tAr40/Ar36\r\n#Inv\tTime\tData\r\n"
                                                        "O\t1.5\t295.5\r\nX\t12\t1E-005\r\n");
    }
    EXPECT_EQ(DataPointsText(failedRecord("Ar40"), nullptr), "unknown\t\r\n#Inv\tTime\tData\r\n");
}

TEST(ResultExport, CopiedSheetsAreTheIrdOfOneSheetOrAll) {
    CalcState state;
    state.calcFlags = CalcFlag::Confirmed | CalcFlag::Conf95;
    state.results = ResultTable{fittedRecord("Ar40/Ar36", {{1, 2}, {2, 4}, {3, 7}}),
                                failedRecord("Ar38"), fittedRecord("Ar36", {{1, 1}, {2, 1.5}})};
    const DataNote note = pksNote({{"NAME", "run 7"}}, "/データ/run7.pks");
    const std::span<const RegressionResult> all = *state.results;
    const OutputFlags flags = OutputFlag::Header | OutputFlag::Comment | OutputFlag::GuideComment;

    std::string expected = *WriteIrd(all.subspan(2, 1), &note, state.calcFlags, flags);
    const std::string utf8Source = "SOURCE\t/データ/run7.pks\r\n";
    ASSERT_EQ(expected.rfind(utf8Source, 0), 0u);
    expected.replace(0, utf8Source.size(), utf8ToCp932(utf8Source));
    EXPECT_EQ(SheetsText(state, 2, &note, flags), expected);
    EXPECT_NE(expected.find("RECORDS\t1\r\n"), std::string::npos);

    EXPECT_EQ(SheetsText(state, kAllSheets, nullptr, {}),
              WriteIrd(all, nullptr, state.calcFlags, {}));
    EXPECT_EQ(SheetsText(state, 3, nullptr, {}), std::nullopt);
}

class SaveAs : public ::testing::Test {
  protected:
    test::TempFolder folder;
    CalcState state;
    Settings settings;
    test::ScriptedPort ui;
    ScriptedFilePort files;

    SaveAs() {
        settings.dataDirectory = folder.path("");
        settings.fileOutputFlags = OutputFlag::Header;
        state.calcFlags = CalcFlag::Confirmed;
        state.results = ResultTable{fittedRecord("Ar40/Ar36", {{1, 2}, {2, 4}, {3, 7}})};
    }
    bool save() { return SaveResultsAsIrd(state, nullptr, settings, ui, files); }
};

TEST_F(SaveAs, TheIrdOfEveryRecordGoesToTheChosenFile) {
    const std::string expected =
        *WriteIrd(*state.results, nullptr, state.calcFlags, OutputFlag::Header);
    std::filesystem::create_directory(folder.path("run.7"));
    const struct {
        std::string typed;
        std::string file;
    } names[] = {{"run7", "run7.IRD"}, {"run.7/result", "run.7/result.IRD"}, {"run8.", "run8."}};
    for (const auto& name : names) {
        SCOPED_TRACE(name.typed);
        files.saveResults.push_back(ScriptedFilePort::chosen(folder.path(name.typed), 0));
        EXPECT_TRUE(save());
        EXPECT_EQ(folder.read(name.file), expected);
    }
    const FileDialogRequest& request = files.saveRequests.back();
    EXPECT_EQ(test::filterTexts(request), (std::vector<std::string>{"同位体比データ *.IRD"}));
    EXPECT_EQ(request.initialFolder, folder.path(""));
}

TEST_F(SaveAs, FailuresAreReportedAndCancelIsSilent) {
    EXPECT_FALSE(save()); // cancelled
    files.saveResults.push_back({FileDialogResult::Status::Failed, "", 0, 0x3002});
    EXPECT_FALSE(save());
    const std::string blocked = folder.path("gone/run7.IRD");
    files.saveResults.push_back(ScriptedFilePort::chosen(blocked, 0));
    EXPECT_FALSE(save());
    EXPECT_EQ(ui.messages,
              (std::vector<test::RecordedMessage>{
                  {"Tarnova - Serious Error", "File selection is aborted with Error 0x3002:12290"},
                  {"Tarnova", blocked}}));
    EXPECT_FALSE(folder.exists("gone"));
}

TEST_F(SaveAs, AGraphFileGetsTheMetafileExtensionWhenItHasNone) {
    files.saveResults.push_back(ScriptedFilePort::chosen("/data/fig", 0));
    files.saveResults.push_back(ScriptedFilePort::chosen("/data/fig.svg", 0));
    EXPECT_EQ(ChooseGraphFile(ui, files, "/data"), "/data/fig.EMF");
    EXPECT_EQ(ChooseGraphFile(ui, files, "/data"), "/data/fig.svg");
    EXPECT_EQ(ChooseGraphFile(ui, files, "/data"), std::nullopt);
}

// Ar36 and Ar40 alternating; the numerator peaks drift so that each one moves the line.
std::vector<PeakRecord> measurement() {
    std::vector<PeakRecord> peaks;
    for (int cycle = 0; cycle < 8; ++cycle) {
        peaks.push_back(test::makePeak("Ar36", 10.0 * cycle, 10.0 + 0.01 * cycle));
        peaks.push_back(test::makePeak("Ar40", 10.0 * cycle + 5, 2950 + cycle * (cycle % 3)));
    }
    peaks.push_back(test::makePeak("Ar36", 80, 10.1));
    return peaks;
}

// The records a calculation of Ar40/Ar36 and the abundance Ar40 makes of peaks.
CalcState calculate(std::vector<PeakRecord> peaks) {
    CalcState state;
    test::ScriptedPort ui;
    test::ScriptedCalculationPort port;
    port.presses.push_back([](CalculationSettingsForm& form) {
        form.numerators = {false, true};
        form.denominators = {true, false};
        form.abundances = {false, true};
    });
    const CalculationEnvironment environment{
        ui, port, {}, 99.7, "/nonexistent/TARNOVA.INI", std::nullopt};
    EXPECT_TRUE(RunCalculation(
        state, [&] { return std::optional(peaks); }, environment));
    return state;
}

// The record line of an IRD text without its point flags and what follows them (the counts
// of excluded points): the nine record columns and the line's seven.
std::string valuesOfRecord(const CalcState& state, int sheet) {
    const std::string line = *SheetsText(state, sheet, nullptr, {});
    std::size_t end = 0;
    for (int field = 0; field < 16 && end != std::string::npos; ++field) {
        end = line.find('\t', end + 1);
    }
    return line.substr(0, end);
}

TEST(PointClicks, ARefittedSheetEqualsACalculationWithoutThatPeak) {
    const CalcState original = calculate(measurement());
    for (const int point : {0, 3, 7}) {
        SCOPED_TRACE(point);
        CalcState clicked = calculate(measurement());
        for (int sheet = 0; sheet < 2; ++sheet) {
            ASSERT_TRUE(ClickDataPoint((*clicked.results)[static_cast<std::size_t>(sheet)], point,
                                       PointButton::Left));
        }
        std::vector<PeakRecord> without = measurement();
        without.erase(without.begin() + 2 * point + 1);
        const CalcState removed = calculate(without);
        EXPECT_EQ(valuesOfRecord(clicked, 0), valuesOfRecord(removed, 0));
        EXPECT_EQ(valuesOfRecord(clicked, 1), valuesOfRecord(removed, 1));
        EXPECT_NE(valuesOfRecord(clicked, 1), valuesOfRecord(original, 1));
    }
}

} // namespace
} // namespace tarnova
