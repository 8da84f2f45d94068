#include "settings/options_sheet.h"

#include "core/support/scripted_port.h"
#include "document/grid_settings.h"
#include "editor/grid_model.h"

#include <gtest/gtest.h>

#include <bit>
#include <map>

namespace tarnova {
namespace {

constexpr const char* kWrongParameters = "指定されたパラメーターに誤りがあります。変更を無視ます。";

class OptionsSheetTest : public ::testing::Test {
  protected:
    test::ScriptedPort port;
    Settings settings;
    ColumnFormats formats = {{{4, 0}, {7, 0}, {8, 5}, {6, 3}, {7, 4}, {10, 3}}};
    OptionsSheet sheet{settings, formats, port};

    std::size_t wrongParameterMessages() const {
        return static_cast<std::size_t>(
            std::count(port.messages.begin(), port.messages.end(),
                       test::RecordedMessage{"Tarnova", kWrongParameters}));
    }
};

// Every check box toggles one bit of its page's flag word, and no two boxes share a bit.
TEST_F(OptionsSheetTest, EveryCheckBoxTogglesABitOfItsOwn) {
    const std::pair<OptionsPage, SettingWord> pages[] = {
        {OptionsPage::General, SettingWord::General},
        {OptionsPage::Regression, SettingWord::General},
        {OptionsPage::ResultOutput, SettingWord::Result},
        {OptionsPage::FileOutput, SettingWord::FileOutput},
        {OptionsPage::Copy, SettingWord::CopyOutput},
        {OptionsPage::Report, SettingWord::Report},
    };
    std::map<SettingWord, std::uint32_t> taken;
    for (const auto& [page, word] : pages) {
        const std::size_t boxes = OptionsPageFlags(page).size();
        EXPECT_GT(boxes, 0u);
        for (std::size_t box = 0; box < boxes; ++box) {
            OptionsSheet fresh(settings, formats, port);
            OptionsPageValues values = fresh.openPage(page);
            values.flags[box] = !values.flags[box];
            fresh.leavePage(page, values);
            const std::uint32_t changed = settingWordBits(fresh.workingCopy().settings, word) ^
                                          settingWordBits(settings, word);
            EXPECT_EQ(std::popcount(changed), 1) << static_cast<int>(page) << " " << box;
            EXPECT_EQ(taken[word] & changed, 0u) << static_cast<int>(page) << " " << box;
            taken[word] |= changed;
        }
    }
    EXPECT_TRUE(OptionsPageFlags(OptionsPage::DataEditor).empty());
}

TEST_F(OptionsSheetTest, GeneralPageDirectoryAndArrangement) {
    struct Row {
        GeneralFlags flags;
        WindowArrangement shown;
    };
    for (const Row& row : {Row{{}, WindowArrangement::Overlapping},
                           Row{GeneralFlag::ArrangeVertical, WindowArrangement::Stacked},
                           Row{GeneralFlag::ArrangeHorizontal | GeneralFlag::ArrangeVertical,
                               WindowArrangement::SideBySide}}) {
        settings.generalFlags = row.flags;
        OptionsSheet fresh(settings, formats, port);
        EXPECT_EQ(fresh.openPage(OptionsPage::General).arrangement, row.shown);
    }

    settings.dataDirectory = "/data/";
    settings.generalFlags = GeneralFlag::ArrangeHorizontal | GeneralFlag::ArrangeVertical;
    OptionsSheet fresh(settings, formats, port);
    OptionsPageValues values = fresh.openPage(OptionsPage::General);
    EXPECT_EQ(values.directory, "/data/");
    const struct {
        const char* typed;
        const char* stored;
    } directories[] = {{"/home/u/peaks", "/home/u/peaks/"}, {"/x/", "/x/"}, {"", "/"}};
    for (const auto& directory : directories) {
        values.directory = directory.typed;
        values.arrangement = WindowArrangement::Stacked;
        fresh.leavePage(OptionsPage::General, values);
        EXPECT_EQ(fresh.workingCopy().settings.dataDirectory, directory.stored);
        EXPECT_EQ(fresh.workingCopy().settings.generalFlags &
                      (GeneralFlag::ArrangeHorizontal | GeneralFlag::ArrangeVertical),
                  GeneralFlags(GeneralFlag::ArrangeVertical));
    }
}

TEST_F(OptionsSheetTest, ColumnPairsThatDoNotFitKeepTheirValues) {
    struct Row {
        const char* width;
        const char* decimals;
        ColumnFormat time; // the Time column's working format afterwards
        bool refused;
    };
    const Row rows[] = {
        {"6", "5", {8, 5}, true},  // 6 is less than 5 + 2
        {"7", "5", {7, 5}, false}, // taken
        {" 9 ", "3", {9, 3}, false},
        {"9x", "3", {8, 5}, true},
    };
    for (const Row& row : rows) {
        test::ScriptedPort messages;
        OptionsSheet fresh(settings, formats, messages);
        OptionsPageValues values = fresh.openPage(OptionsPage::DataEditor);
        EXPECT_EQ(values.widths[kTimeColumn], "8");
        EXPECT_EQ(values.decimals[kTimeColumn], "5");
        values.widths[kTimeColumn] = row.width;
        values.decimals[kTimeColumn] = row.decimals;
        fresh.leavePage(OptionsPage::DataEditor, values);
        EXPECT_EQ(fresh.workingCopy().formats[kTimeColumn], row.time) << row.width;
        EXPECT_EQ(messages.messages.size(), row.refused ? 1u : 0u) << row.width;
    }

    // Num and Elem widths are taken without a test; the grid refuses a width of 0 at OK.
    OptionsPageValues values = sheet.openPage(OptionsPage::DataEditor);
    values.widths[kNumColumn] = "0";
    values.widths[kElemColumn] = "12";
    sheet.leavePage(OptionsPage::DataEditor, values);
    GridModel grid(port);
    Settings applied;
    ApplyOptions(sheet.workingCopy(), applied, grid);
    EXPECT_EQ(grid.columnFormat(kNumColumn), (ColumnFormat{4, 0}));
    EXPECT_EQ(grid.columnFormat(kElemColumn), (ColumnFormat{12, 0}));
    EXPECT_EQ(grid.columnFormat(kTimeColumn), (ColumnFormat{8, 5}));
    EXPECT_TRUE(port.messages.empty());
}

// OK reads back every page that was opened, once: a page never opened is never read, and
// however many fields are wrong, one message names the refusal and the first refused field in
// page order is handed back, so that the sheet can stay open on it.
TEST_F(OptionsSheetTest, ConfirmReadsBackOnlyOpenedPagesAndRefusesOnce) {
    formats[kTimeColumn] = {8, 7}; // time=8.7 by hand: the grid takes it, page 2 would not
    OptionsSheet handWritten(settings, formats, port);
    handWritten.openPage(OptionsPage::Regression);
    const auto untouched = [&](OptionsPage page) { return handWritten.openPage(page); };
    EXPECT_EQ(handWritten.confirm(untouched), std::nullopt);
    EXPECT_EQ(wrongParameterMessages(), 0u);
    EXPECT_FALSE(handWritten.wasOpened(OptionsPage::DataEditor));
    EXPECT_EQ(handWritten.workingCopy().formats[kTimeColumn], (ColumnFormat{8, 7}));

    struct Row {
        const char* heightWidth; // Height is 6.3
        const char* rangeWidth;  // Range is 7.4
        const char* level;
        std::optional<RefusedField> refused;
    };
    const Row rows[] = {
        {"0", "7", "99.7", RefusedField{OptionsPage::DataEditor, kHeightColumn}},
        {"6", "5", "99.7", RefusedField{OptionsPage::DataEditor, kRangeColumn}},
        {"0", "5", "abc", RefusedField{OptionsPage::DataEditor, kHeightColumn}},
        {"6", "7", "150", RefusedField{OptionsPage::ResultOutput, -1}},
        {"9", "7", "95", std::nullopt},
    };
    formats[kTimeColumn] = {8, 5};
    for (const Row& row : rows) {
        test::ScriptedPort messages;
        OptionsSheet fresh(settings, formats, messages);
        OptionsPageValues level = fresh.openPage(OptionsPage::ResultOutput);
        OptionsPageValues columns = fresh.openPage(OptionsPage::DataEditor);
        columns.widths[kHeightColumn] = row.heightWidth;
        columns.widths[kRangeColumn] = row.rangeWidth;
        level.testLevel = row.level;
        const auto controls = [&](OptionsPage page) {
            return page == OptionsPage::DataEditor ? columns : level;
        };
        EXPECT_EQ(fresh.confirm(controls), row.refused) << row.heightWidth << row.level;
        EXPECT_EQ(messages.messages.size(), row.refused ? 1u : 0u) << row.heightWidth;
        // A refused pair keeps its working value, a good one is taken.
        const ColumnFormat height = fresh.workingCopy().formats[kHeightColumn];
        EXPECT_EQ(height.width, std::string(row.heightWidth) == "9" ? 9 : 6);
    }
}

TEST_F(OptionsSheetTest, TestLevelMustBeANumberBetweenZeroAndHundred) {
    settings.testLevel = 99.123456789;
    struct Row {
        const char* typed;
        double taken;
    };
    const Row rows[] = {
        {"abc", 99.123456789}, {"150", 99.123456789}, {"95%", 99.123456789}, {" 95 ", 95.0}};
    for (const Row& row : rows) {
        test::ScriptedPort messages;
        OptionsSheet fresh(settings, formats, messages);
        OptionsPageValues values = fresh.openPage(OptionsPage::ResultOutput);
        EXPECT_EQ(values.testLevel, "99.123457");
        values.testLevel = row.typed;
        fresh.leavePage(OptionsPage::ResultOutput, values);
        Settings taken = settings;
        TakeOverOptions(fresh.workingCopy(), taken);
        EXPECT_EQ(taken.testLevel, row.taken) << row.typed;
        EXPECT_EQ(messages.messages.size(), row.taken == 99.123456789 ? 1u : 0u) << row.typed;
    }
}

TEST_F(OptionsSheetTest, RegressionPageCarriesTheCalculationMethod) {
    settings.regressionMethod = 3;
    struct Row {
        std::uint32_t picked;
        std::uint32_t taken;
    };
    // An index beyond the methods keeps the working method.
    const Row rows[] = {{0, 0}, {4, 4}, {5, 3}, {0xFFFFFFFF, 3}};
    for (const Row& row : rows) {
        OptionsSheet fresh(settings, formats, port);
        OptionsPageValues values = fresh.openPage(OptionsPage::Regression);
        EXPECT_EQ(values.method, 3u);
        values.method = row.picked;
        EXPECT_EQ(fresh.confirm([&](OptionsPage) { return values; }), std::nullopt);
        Settings taken = settings;
        TakeOverOptions(fresh.workingCopy(), taken);
        EXPECT_EQ(taken.regressionMethod, row.taken) << row.picked;
    }
    // A sheet whose regression page was never opened keeps the method.
    OptionsSheet unopened(settings, formats, port);
    unopened.openPage(OptionsPage::General);
    OptionsPageValues general = unopened.openPage(OptionsPage::General);
    EXPECT_EQ(unopened.confirm([&](OptionsPage) { return general; }), std::nullopt);
    EXPECT_EQ(unopened.workingCopy().settings.regressionMethod, 3u);
}

// The regression page carries the outlier filter; a filter its keyword cannot carry (k not
// above 0, passes beyond 1 to 100) leaves the working filter as it was.
TEST_F(OptionsSheetTest, RegressionPageCarriesTheOutlierFilter) {
    const OutlierFilter start{OutlierRule::Sigma, 2.5, 2};
    settings.outlierFilter = start;
    struct Row {
        OutlierFilter picked;
        OutlierFilter taken;
    };
    const Row rows[] = {
        {{}, {}},
        {{OutlierRule::Chauvenet, 2.5, 2}, {OutlierRule::Chauvenet, 2.0, 1}},
        {{OutlierRule::Sigma, 3.0, 100}, {OutlierRule::Sigma, 3.0, 100}},
        {{OutlierRule::Sigma, 0.0, 1}, start},
        {{OutlierRule::Sigma, 2.0, 101}, start},
    };
    for (const Row& row : rows) {
        OptionsSheet fresh(settings, formats, port);
        OptionsPageValues values = fresh.openPage(OptionsPage::Regression);
        EXPECT_EQ(values.filter, start);
        values.filter = row.picked;
        EXPECT_EQ(fresh.confirm([&](OptionsPage) { return values; }), std::nullopt);
        Settings taken = settings;
        TakeOverOptions(fresh.workingCopy(), taken);
        EXPECT_EQ(taken.outlierFilter, row.taken) << FormatOutlierFilter(row.picked);
    }
}

TEST_F(OptionsSheetTest, TakeOverReplacesTheSettingsAndTheGridFormats) {
    settings.dataDirectory = "/old/";
    OptionsPageValues general = sheet.openPage(OptionsPage::General);
    general.directory = "/new";
    general.flags = {true, true, false};
    OptionsPageValues columns = sheet.openPage(OptionsPage::DataEditor);
    columns.decimals[kHeightColumn] = "2";
    EXPECT_EQ(sheet.confirm([&](OptionsPage page) {
        return page == OptionsPage::General ? general : columns;
    }),
              std::nullopt);

    GridModel grid(port);
    ApplyColumnFormats(grid, formats);
    grid.AttachPeaks({PeakRecord{1.5, 2.25, 1.0, {}, "Ar40"}});
    EXPECT_EQ(grid.cellText(0, kHeightColumn), "02.250");
    Settings applied = settings;
    ApplyOptions(sheet.workingCopy(), applied, grid);
    EXPECT_EQ(applied.dataDirectory, "/new/");
    EXPECT_EQ(applied.generalFlags & (GeneralFlag::AddEof | GeneralFlag::WarnCommentRemove),
              GeneralFlag::AddEof | GeneralFlag::WarnCommentRemove);
    EXPECT_EQ(grid.columnFormat(kHeightColumn), (ColumnFormat{6, 2}));
    EXPECT_EQ(grid.cellText(0, kHeightColumn), "002.25"); // the rows formatted anew
}

TEST(FolderBrowser, StartFolderAndPickedFolder) {
    EXPECT_EQ(BrowserStartFolder("/home/u/data/"), "/home/u/data");
    EXPECT_EQ(BrowserStartFolder("/"), "/");
    EXPECT_EQ(BrowsedFolderText("/home/u/data"), "/home/u/data/");
    EXPECT_EQ(BrowsedFolderText("/"), "/");
}

} // namespace
} // namespace tarnova
