#include "settings/settings.h"

#include "core/support/log_capture.h"
#include "core/support/scripted_port.h"
#include "core/support/temp_folder.h"
#include "document/grid_settings.h"
#include "platform/load_path.h"
#include "platform/run_log.h"
#include "settings/ini_file.h"

#include "platform/text_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace tarnova {
namespace {

class SettingsFile : public ::testing::Test {
  protected:
    SettingsFile() : savedLoadPath_(loadPath()) { setLoadPath("/opt/tarnova/"); }
    ~SettingsFile() override { setLoadPath(savedLoadPath_); }

    void write(const std::string& text) const { folder_.write("TARNOVA.INI", text); }
    std::string contents() const { return folder_.read("TARNOVA.INI"); }
    bool logged(const std::string& line) const {
        const auto lines = log_.lines();
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
    ColumnFormat format(int column) const {
        ColumnFormat result;
        result.width = grid.GetColumnFormat(column, result.decimals);
        return result;
    }
    void load(const std::string& text) {
        write(text);
        LoadSettings(settings, grid, path_);
    }

    std::string savedLoadPath_;
    test::TempFolder folder_;
    test::LogCapture log_;
    std::string path_ = folder_.path("TARNOVA.INI");
    test::ScriptedPort port;
    GridModel grid{port};
    Settings settings;
};

TEST_F(SettingsFile, MissingFileGivesEveryDefault) {
    LoadSettings(settings, grid, path_);
    EXPECT_EQ(settings.dataDirectory, "/opt/tarnova/");
    EXPECT_EQ(settings.generalFlags.raw(), 0x0C000000u);
    EXPECT_EQ(settings.resultFlags, ~ResultFlags(ResultFlag::AvgLimit));
    EXPECT_EQ(settings.reportFlags.raw(), 0x0001000Fu);
    EXPECT_EQ(settings.testLevel, 99.7);
    const ColumnFormat builtIn[kGridColumnCount] = {{4, 0}, {7, 0}, {8, 5},
                                                    {6, 3}, {7, 4}, {10, 3}};
    for (int column = 0; column < kGridColumnCount; ++column) {
        EXPECT_EQ(format(column), builtIn[column]) << column;
    }
    const auto lines = log_.lines();
    ASSERT_GE(lines.size(), 6u);
    EXPECT_EQ(std::vector(lines.begin(), lines.begin() + 6),
              (std::vector<std::string>{"Loading Ini-file.", path_, "No inifile.", "No datapath.",
                                        "general-datadir = /opt/tarnova/", "No addeof."}));
    EXPECT_TRUE(logged("chklevel: 99.700000"));
}

TEST_F(SettingsFile, ColumnFormatSyntax) {
    load("[peakeditor]\r\n"
         "num=5.\r\n"
         "elem=9\r\n"
         "time=8\r\n"
         "height=6.2\r\n"
         "peak=10.3x\r\n"
         "range=9.9\r\n");
    EXPECT_EQ(format(kNumColumn), (ColumnFormat{5, 0}));
    EXPECT_EQ(format(kElemColumn), (ColumnFormat{9, 0}));
    EXPECT_EQ(format(kTimeColumn), (ColumnFormat{8, 2})); // 8 decimals 0 refused: built-in
    EXPECT_EQ(format(kHeightColumn), (ColumnFormat{6, 2}));
    EXPECT_EQ(format(kRangeColumn), (ColumnFormat{7, 4})); // 9 decimals of 9 refused
    EXPECT_EQ(format(kPeakColumn), (ColumnFormat{10, 3}));
    EXPECT_TRUE(logged("[peakeditor]time is 8, 0."));

    load("[peakeditor]\nnum=5.2\nelem=0\n");
    EXPECT_EQ(format(kNumColumn), (ColumnFormat{4, 0}));
    EXPECT_EQ(format(kElemColumn), (ColumnFormat{7, 0}));
}

TEST_F(SettingsFile, BooleanAndNumberSyntax) {
    load("[general]\n"
         "addeof=Yes\n"
         "warncmntrmv=2\n"
         "correspondent=1\n"
         "horizontal=TRUE\n"
         "vertical=true\n"
         "[regression]\n"
         "graph=no\n"
         "report=0\n"
         "conf95=False\n"
         "chklevel=95%\n"
         "[result]\n"
         "avglimit=yes\n"
         "test=maybe\n"
         "[report]\n"
         "reconfirm=false\n");
    EXPECT_EQ(settings.generalFlags, GeneralFlag::AddEof | GeneralFlag::Correspondent |
                                         GeneralFlag::ArrangeHorizontal |
                                         GeneralFlag::ArrangeVertical | GeneralFlag::ShowResult);
    EXPECT_EQ(settings.testLevel, 99.7);
    EXPECT_TRUE(logged("No warncmntrmv."));
    EXPECT_TRUE(settings.resultFlags.test(ResultFlag::AvgLimit));
    EXPECT_TRUE(settings.resultFlags.test(ResultFlag::Test)); // malformed: default true
    EXPECT_EQ(settings.reportFlags.raw(), 0x0000000Fu);

    load("[regression]\nchklevel= 95.5 \n");
    EXPECT_EQ(settings.testLevel, 95.5);
}

// A level the tests cannot work with is malformed: the default, and "No item." logged.
TEST_F(SettingsFile, TestLevelOutsideZeroToHundredIsMalformed) {
    for (const char* text : {"nan", "1e999", "0", "100", "-5"}) {
        load(std::string("[regression]\nchklevel=") + text + "\n");
        EXPECT_EQ(settings.testLevel, 99.7) << text;
        const std::vector<std::string> lines = log_.lines();
        const auto read = std::find(lines.rbegin(), lines.rend(), text);
        ASSERT_NE(read, lines.rend()) << text;
        EXPECT_EQ(*(read - 1), "No item.") << text;
        EXPECT_EQ(*(read - 2), "chklevel: 99.700000") << text;
    }
    load("[regression]\nchklevel=0.5\n");
    EXPECT_EQ(settings.testLevel, 0.5);
}

TEST_F(SettingsFile, EmptyOrNothingDataDirectoryFallsBackToTheLoadPath) {
    load("[general]\ndatadir===nothing==\n");
    EXPECT_EQ(settings.dataDirectory, "/opt/tarnova/");
    load("[general]\ndatadir=/home/user/data\n");
    EXPECT_EQ(settings.dataDirectory, "/home/user/data");
    // A hand-written folder with blanks, quoted as it is written elsewhere.
    load("[general]\ndatadir=\"/home/user/peak data/\"\naddeof=\"yes\"\n"
         "[peakeditor]\ntime='9.3'\n");
    EXPECT_EQ(settings.dataDirectory, "/home/user/peak data/");
    EXPECT_TRUE(settings.generalFlags.test(GeneralFlag::AddEof));
    EXPECT_EQ(format(kTimeColumn), (ColumnFormat{9, 3}));
}

TEST_F(SettingsFile, ReadersReportMissingAndMalformedKeys) {
    const IniFile file("[a]\ns=text\nf=7.\nn=1e3\nb=nothing\n");
    std::string buffer = "old";
    EXPECT_EQ(ReadStringKey(file, "a", "s", buffer, 11), 0);
    EXPECT_EQ(ReadStringKey(file, "a", "missing", buffer, 12), std::nullopt);
    EXPECT_EQ(buffer, "old");
    EXPECT_EQ(ReadStringKey(file, "a", "s", buffer, 12), 4);
    EXPECT_EQ(buffer, "text");
    EXPECT_EQ(ReadBoolKey(file, "a", "b"), std::nullopt);
    int width = 0;
    int decimals = 9;
    EXPECT_TRUE(ReadFormatKey(file, "a", "f", width, decimals));
    EXPECT_EQ(width, 7);
    EXPECT_EQ(decimals, 0);
    EXPECT_FALSE(ReadFormatKey(file, "a", "s", width, decimals));
    double value = 0;
    EXPECT_TRUE(ReadNumberKey(file, "a", "n", value));
    EXPECT_EQ(value, 1000.0);
}

TEST_F(SettingsFile, SaveThenLoadGivesTheSameSettingsAndKeepsOtherSections) {
    const std::string others = "[interferance]\r\nKr=2\r\n[Kr]\r\nitem1=Kr84 x\r\n";
    write(others + "[result]\r\navglimit=true\r\n");
    settings.dataDirectory = "/data/\x83\x41";
    settings.generalFlags = GeneralFlag::AddEof | GeneralFlag::Conf95 | GeneralFlag::ShowGraph |
                            GeneralFlags::fromRaw(0x80000000u);
    settings.resultFlags = ~ResultFlags(ResultFlag::Formula);
    settings.reportFlags = ReportFlags::fromRaw(0x0000000F);
    settings.testLevel = 95.0;
    ASSERT_TRUE(grid.SetColumnFormat(kTimeColumn, 9, 3, false));
    ASSERT_TRUE(SaveSettings(settings, grid.columnFormats(), path_));

    const std::string saved = contents();
    EXPECT_EQ(saved.rfind(others, 0), 0u);
    EXPECT_NE(saved.find("[result]\r\navglimit=true\r\nsheetname=true\r\n"), std::string::npos);
    EXPECT_NE(saved.find("chklevel=95.000000\r\n"), std::string::npos);
    EXPECT_NE(saved.find("num=4\r\nelem=7\r\ntime=9.3\r\nheight=5.3\r\n"), std::string::npos);

    Settings loaded;
    test::ScriptedPort otherPort;
    GridModel otherGrid(otherPort);
    LoadSettings(loaded, otherGrid, path_);
    EXPECT_EQ(loaded.dataDirectory, settings.dataDirectory);
    EXPECT_EQ(loaded.generalFlags, GeneralFlag::AddEof | GeneralFlag::Conf95 |
                                       GeneralFlag::ShowGraph); // 0x80000000 has no key
    EXPECT_EQ(loaded.resultFlags.raw(),
              settings.resultFlags.raw()); // avglimit as it was in the file
    EXPECT_EQ(loaded.testLevel, 95.0);
    for (int column = 0; column < kGridColumnCount; ++column) {
        EXPECT_EQ(otherGrid.columnFormat(column), grid.columnFormat(column)) << column;
    }

    // Saving again changes nothing.
    SaveSettings(loaded, otherGrid.columnFormats(), path_);
    EXPECT_EQ(contents(), saved);
}

TEST_F(SettingsFile, SaveSkipsAnUnsetDataDirectoryAndAvgLimit) {
    SaveSettings(settings, grid.columnFormats(), path_);
    const std::string saved = contents();
    EXPECT_EQ(saved.rfind("[general]\r\naddeof=false\r\n", 0), 0u);
    EXPECT_EQ(saved.find("avglimit"), std::string::npos);
    EXPECT_EQ(saved.find("datadir"), std::string::npos);
}

TEST_F(SettingsFile, CalculationMethodIsWrittenOnlyWhenChosenOrAlreadyHeld) {
    // A file of today's users: the line and no choices leave it byte for byte as it was.
    SaveSettings(settings, grid.columnFormats(), path_);
    const std::string plain = contents();
    EXPECT_EQ(plain.find("method"), std::string::npos);
    SaveSettings(settings, grid.columnFormats(), path_);
    EXPECT_EQ(contents(), plain);

    struct Case {
        const char* held; // the value of [regression] method= before the save; "" none
        std::uint32_t method;
        const char* written; // the value after it; "" none
    };
    const Case cases[] = {
        {"", 0, ""},
        {"", 2, "exponential"},
        {"parabolic", 0, "linear"},
        {"mean", 4, "auto"},
        {"\x95\xbd\x8b\xcf", 3, "\x95\xbd\x8b\xcf"}, // "平均" in code page 932 stays as written
    };
    for (const Case& c : cases) {
        write(std::string(c.held).empty()
                  ? "[regression]\r\nchklevel=99.700000\r\n"
                  : "[regression]\r\nchklevel=99.700000\r\nmethod=" + std::string(c.held) + "\r\n");
        Settings chosen;
        chosen.regressionMethod = c.method;
        ASSERT_TRUE(SaveSettings(chosen, grid.columnFormats(), path_));
        FileError error;
        const std::optional<IniFile> saved = IniFile::read(path_, error);
        ASSERT_TRUE(saved);
        EXPECT_EQ(saved->value("regression", "method").value_or(""), c.written) << c.held;
        Settings loaded;
        LoadSettings(loaded, grid, path_);
        EXPECT_EQ(loaded.regressionMethod, c.method) << c.held;
    }
}

// The outlier filter: a file without the key stays byte for byte as it was while the filter is
// off; a filter that is on, or a key the file holds, is written as its keyword and read back.
TEST_F(SettingsFile, OutlierFilterIsWrittenOnlyWhenOnOrAlreadyHeld) {
    const std::string plain = "[regression]\r\nchklevel=99.700000\r\n";
    write(plain);
    Settings loaded;
    LoadSettings(loaded, grid, path_);
    ASSERT_TRUE(SaveSettings(loaded, grid.columnFormats(), path_));
    EXPECT_EQ(contents().find("filter"), std::string::npos);

    struct Case {
        const char* held; // the value of [regression] filter= before the save; "" none
        OutlierFilter filter;
        const char* written; // after it; "" none
        OutlierFilter read;  // what the file held, as loading reads it
    };
    const OutlierFilter off;
    const OutlierFilter chauvenet{.rule = OutlierRule::Chauvenet};
    const Case cases[] = {
        {"", off, "", off},
        {"", chauvenet, "chauvenet", off},
        {"chauvenet", off, "off", chauvenet},
        {"sigma", {OutlierRule::Sigma, 2.0, 1}, "sigma", {OutlierRule::Sigma, 2.0, 1}},
        {"sigma", {OutlierRule::Sigma, 3.0, 1}, "sigma:3:1", {OutlierRule::Sigma, 2.0, 1}},
        {"sigma:0", chauvenet, "chauvenet", off}, // unreadable: off
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.held);
        write(std::string(c.held).empty() ? plain : plain + "filter=" + c.held + "\r\n");
        Settings before;
        LoadSettings(before, grid, path_);
        EXPECT_EQ(before.outlierFilter, c.read);
        Settings chosen;
        chosen.outlierFilter = c.filter;
        ASSERT_TRUE(SaveSettings(chosen, grid.columnFormats(), path_));
        FileError error;
        const std::optional<IniFile> saved = IniFile::read(path_, error);
        ASSERT_TRUE(saved);
        EXPECT_EQ(saved->value("regression", "filter").value_or(""), c.written);
        Settings after;
        LoadSettings(after, grid, path_);
        EXPECT_EQ(after.outlierFilter, c.filter);
    }
}

TEST_F(SettingsFile, ChoicesOfTheCalculationJoinTheOnesTheFileHolds) {
    const std::string held = "[regressionmethods]\r\nKr84=mean\r\nAr40/Ar36=parabolic\r\n";
    write(held);
    settings.methodChoices = {{"Ar40/Ar36", 2}, {"Ar38", 4}, {"Kr84", 3}};
    ASSERT_TRUE(SaveSettings(settings, grid.columnFormats(), path_));
    FileError error;
    const std::optional<IniFile> saved = IniFile::read(path_, error);
    ASSERT_TRUE(saved);
    const std::vector<std::string> names{"Kr84", "Ar40/Ar36", "Ar38"};
    EXPECT_EQ(saved->keyNames("regressionmethods"), names);
    EXPECT_EQ(saved->value("regressionmethods", "Kr84").value_or(""), "mean");
    EXPECT_EQ(saved->value("regressionmethods", "Ar40/Ar36").value_or(""), "exponential");
    EXPECT_EQ(saved->value("regressionmethods", "Ar38").value_or(""), "auto");
    // The choices are the calculation's: loading leaves them out of the settings.
    Settings loaded;
    LoadSettings(loaded, grid, path_);
    EXPECT_TRUE(loaded.methodChoices.empty());
}

// Only a regular file of at most 16 MB is read as the settings file; anything else is reported
// with its path, and every option keeps its default.
TEST_F(SettingsFile, FilesThatAreNoSettingsFileAreRefusedNamingThePath) {
    const std::string folder = folder_.path("folder.ini");
    std::filesystem::create_directory(folder);
    const std::string large = folder_.write("large.ini", "[peakeditor]\ntime=9.1\n");
    std::filesystem::resize_file(large, kMaxIniFileBytes + 1);
    const std::string exactly = folder_.write("exactly.ini", "[peakeditor]\ntime=9.1\n");
    std::filesystem::resize_file(exactly, kMaxIniFileBytes);
    const struct {
        std::string path;
        const char* reason;
    } cases[] = {{folder, "not a regular file"},
                 {"/dev/zero", "not a regular file"},
                 {large, "File too large"}};
    Settings defaults;
    GridModel defaultGrid(port);
    ASSERT_TRUE(LoadSettings(defaults, defaultGrid, folder_.path("missing.ini")));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        port.messages.clear();
        Settings read;
        GridModel other(port);
        EXPECT_FALSE(LoadSettings(read, other, c.path));
        EXPECT_EQ(read, defaults);
        EXPECT_EQ(other.columnFormat(kTimeColumn), (ColumnFormat{8, 5}));
        ASSERT_EQ(port.messages.size(), 1u);
        EXPECT_EQ(port.messages[0].text, "設定ファイル" + c.path + "を読み込めません(" + c.reason +
                                             ")。既定の設定を使います。");
        // Nothing is written into such a file either.
        FileError error;
        EXPECT_FALSE(SaveSettings(settings, grid.columnFormats(), c.path, &error));
        EXPECT_EQ(error.reason(), c.reason);
    }
    EXPECT_TRUE(LoadSettings(settings, grid, exactly));
    EXPECT_EQ(format(kTimeColumn), (ColumnFormat{9, 1}));
}

TEST_F(SettingsFile, FailedSavesAreReportedWithThePathAndTheReason) {
    // Missing folders are made, but not where a file stands in the way.
    folder_.write("file", "");
    const std::string blocked = folder_.path("file/TARNOVA.INI");
    FileError error;
    EXPECT_FALSE(SaveSettings(settings, grid.columnFormats(), blocked, &error));
    EXPECT_EQ(error.reason(), "Not a directory");
    EXPECT_FALSE(SaveOptions(settings, grid, blocked, port));
    ASSERT_EQ(port.messages.size(), 1u);
    EXPECT_EQ(port.messages[0].text,
              "設定を" + blocked + "に保存できませんでした(Not a directory)。");
}

// Save Option is one write over the file as it is on disk; a file that cannot be written is
// reported and left as it was.
TEST_F(SettingsFile, SaveIsOneCheckedWriteOverTheFileOnDisk) {
    write("[general]\r\naddeof=true\r\n");
    IniFile before = IniFile::load(path_);
    // Another process stores a correction set after this one read the file at start-up.
    ASSERT_TRUE(WriteProfileString(path_, "interferance", "AR", "1"));
    ASSERT_TRUE(WriteProfileString(path_, "AR", "item1", "Ar40,Ar36,295.5"));
    ASSERT_TRUE(SaveSettings(settings, grid.columnFormats(), path_));
    EXPECT_EQ(IniFile::load(path_).value("AR", "item1"), "Ar40,Ar36,295.5");
    EXPECT_NE(IniFile::load(path_).text(), before.text());

    EXPECT_EQ(iniWriteFailureMessage("/opt/t/TARNOVA.INI", {FileError::Kind::System, ENOSPC}),
              "設定ファイルに書き込めませんでした(No space left on device)。\n/opt/t/TARNOVA.INI");
}

} // namespace
} // namespace tarnova
