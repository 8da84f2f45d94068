#include "settings/settings.h"

#include "platform/load_path.h"
#include "platform/program_files.h"
#include "platform/run_log.h"
#include "platform/text_file.h"
#include "platform/text_format.h"
#include "platform/text_scanner.h"
#include "settings/ini_file.h"
#include "settings/regression_names.h"

#include <cmath>
#include <filesystem>

namespace tarnova {
namespace {

constexpr std::string_view kNothing = "==nothing==";
constexpr std::size_t kStringRoom = 260;
constexpr std::size_t kBoolRoom = 80;
constexpr std::size_t kFormatRoom = 200;
constexpr std::size_t kNumberRoom = 80;
constexpr std::size_t kMethodRoom = 80;

SettingKey text(const char* section, const char* key) {
    return {section, key, SettingType::String, SettingWord::General, 0, false, 0, 0, 0};
}

SettingKey flag(const char* section, const char* key, SettingWord word, std::uint32_t bit,
                bool defaultValue) {
    return {section, key, SettingType::Bool, word, bit, defaultValue, 0, 0, 0};
}

// A boolean key of a typed word: its bit as the number the word holds.
template <typename Flag>
SettingKey flag(const char* section, const char* key, SettingWord word, Flag bit,
                bool defaultValue) {
    return flag(section, key, word, FlagSet<Flag>(bit).raw(), defaultValue);
}

SettingKey format(const char* key, int column, int width, int decimals) {
    SettingKey row{"peakeditor", key, SettingType::Format, SettingWord::General, 0, false, 0, 0, 0};
    row.column = column;
    row.defaultWidth = width;
    row.defaultDecimals = decimals;
    return row;
}

SettingKey number(const char* section, const char* key) {
    return {section, key, SettingType::Number, SettingWord::General, 0, false, 0, 0, 0};
}

std::vector<SettingKey> makeKeyTable() {
    return {
        text("general", "datadir"),
        flag("general", "addeof", SettingWord::General, GeneralFlag::AddEof, false),
        flag("general", "warncmntrmv", SettingWord::General, GeneralFlag::WarnCommentRemove, false),
        flag("general", "correspondent", SettingWord::General, GeneralFlag::Correspondent, false),
        flag("general", "horizontal", SettingWord::General, GeneralFlag::ArrangeHorizontal, false),
        flag("general", "vertical", SettingWord::General, GeneralFlag::ArrangeVertical, false),
        format("num", kNumColumn, 4, 0),
        format("elem", kElemColumn, 7, 0),
        format("time", kTimeColumn, 8, 5),
        format("height", kHeightColumn, 6, 3),
        format("range", kRangeColumn, 7, 4),
        format("peak", kPeakColumn, 10, 3),
        flag("regression", "conf95", SettingWord::General, GeneralFlag::Conf95, false),
        flag("regression", "usestddev", SettingWord::General, GeneralFlag::UseStdDev, false),
        flag("regression", "result", SettingWord::General, GeneralFlag::ShowResult, true),
        flag("regression", "graph", SettingWord::General, GeneralFlag::ShowGraph, true),
        flag("regression", "peaklist", SettingWord::General, GeneralFlag::PrintPeakList, false),
        flag("regression", "report", SettingWord::General, GeneralFlag::PrintReport, false),
        number("regression", "chklevel"),
        flag("result", "sheetname", SettingWord::Result, ResultFlag::SheetName, true),
        flag("result", "dataname", SettingWord::Result, ResultFlag::DataName, true),
        flag("result", "average", SettingWord::Result, ResultFlag::Average, true),
        flag("result", "timerange", SettingWord::Result, ResultFlag::TimeRange, true),
        flag("result", "peakrange", SettingWord::Result, ResultFlag::PeakRange, true),
        flag("result", "formula", SettingWord::Result, ResultFlag::Formula, true),
        flag("result", "correlation", SettingWord::Result, ResultFlag::Correlation, true),
        flag("result", "test", SettingWord::Result, ResultFlag::Test, true),
        flag("result", "regline", SettingWord::Result, ResultFlag::RegLine, true),
        flag("result", "reglimit", SettingWord::Result, ResultFlag::RegLimit, true),
        flag("result", "avgline", SettingWord::Result, ResultFlag::AvgLine, true),
        flag("result", "avglimit", SettingWord::Result, ResultFlag::AvgLimit, false),
        flag("result", "graphname", SettingWord::Result, ResultFlag::GraphName, true),
        flag("result", "graphformula", SettingWord::Result, ResultFlag::GraphFormula, true),
        flag("result", "valuelabel", SettingWord::Result, ResultFlag::ValueLabel, true),
        flag("result", "timelabel", SettingWord::Result, ResultFlag::TimeLabel, true),
        flag("fileoutput", "header", SettingWord::FileOutput, OutputFlag::Header, true),
        flag("fileoutput", "comment", SettingWord::FileOutput, OutputFlag::Comment, true),
        flag("fileoutput", "guidecomment", SettingWord::FileOutput, OutputFlag::GuideComment, true),
        flag("copyoutput", "header", SettingWord::CopyOutput, OutputFlag::Header, true),
        flag("copyoutput", "comment", SettingWord::CopyOutput, OutputFlag::Comment, true),
        flag("copyoutput", "guidecomment", SettingWord::CopyOutput, OutputFlag::GuideComment, true),
        flag("report", "result", SettingWord::Report, ReportFlag::Result, true),
        flag("report", "graph", SettingWord::Report, ReportFlag::Graph, true),
        flag("report", "datapoints", SettingWord::Report, ReportFlag::DataPoints, true),
        flag("report", "reconfirm", SettingWord::Report, ReportFlag::Reconfirm, true),
    };
}

bool isAvgLimit(const SettingKey& key) {
    return std::string_view(key.key) == "avglimit";
}

// A boolean key; a missing or malformed one logs missingLine and takes its default.
bool readFlag(const IniFile& file, Settings& settings, const SettingKey& key,
              const std::string& missingLine) {
    std::optional<bool> value = ReadBoolKey(file, key.section, key.key);
    if (!value) {
        LogLine(missingLine);
        value = key.defaultValue;
    }
    setSettingBit(settings, key, *value);
    return *value;
}

void loadGeneral(const IniFile& file, Settings& settings, const std::vector<SettingKey>& keys) {
    std::string directory;
    if (ReadStringKey(file, "general", "datadir", directory, kStringRoom).value_or(0) == 0) {
        LogLine("No datapath.");
        directory = LocateProgramFiles(loadPath(), processEnvironment()).homeFolder;
    }
    LogLine(formatText("general-datadir = %s", directory.c_str()));
    settings.dataDirectory = directory;
    for (const SettingKey& key : keys) {
        if (std::string_view(key.section) == "general" && key.type == SettingType::Bool) {
            readFlag(file, settings, key, formatText("No %s.", key.key));
        }
    }
}

void loadColumnFormats(const IniFile& file, ColumnFormats& formats,
                       const std::vector<SettingKey>& keys) {
    for (const SettingKey& key : keys) {
        if (key.type != SettingType::Format) {
            continue;
        }
        ColumnFormat read;
        if (ReadFormatKey(file, key.section, key.key, read.width, read.decimals)) {
            LogLine(formatText("[peakeditor]%s is %d, %d.", key.key, read.width, read.decimals));
        } else {
            LogLine(formatText("[peakeditor]%s is not found.", key.key));
            read = {key.defaultWidth, key.defaultDecimals};
        }
        const auto column = static_cast<std::size_t>(key.column);
        formats[column] = isValidColumnFormat(key.column, read.width, read.decimals)
                              ? read
                              : kBuiltInColumnFormats[column];
    }
}

void loadRegression(const IniFile& file, Settings& settings, const std::vector<SettingKey>& keys) {
    for (const SettingKey& key : keys) {
        if (std::string_view(key.section) != "regression") {
            continue;
        }
        if (key.type == SettingType::Bool) {
            const bool on = readFlag(file, settings, key, "No item.");
            LogLine(formatText("%s: %d", key.key, on ? 1 : 0));
            continue;
        }
        double level = kDefaultTestLevel;
        if (!ReadNumberKey(file, key.section, key.key, level) || !isValidTestLevel(level)) {
            LogLine("No item.");
            level = kDefaultTestLevel;
        }
        settings.testLevel = level;
        LogLine(std::string(key.key) + ": " + formatFixed(level, 0, 6));
    }
    std::string method;
    if (ReadStringKey(file, "regression", "method", method, kMethodRoom)) {
        settings.regressionMethod = RegressionMethodOfIni(method).value_or(0);
    }
    // A filter the file names in a form this program does not read leaves the filter off.
    std::string filter;
    if (ReadStringKey(file, "regression", "filter", filter, kMethodRoom)) {
        const std::optional<OutlierFilter> read = ParseOutlierFilter(filter);
        if (!read) {
            LogLine("No item.");
        }
        settings.outlierFilter = read.value_or(OutlierFilter{});
        LogLine("filter: " + FormatOutlierFilter(settings.outlierFilter));
    }
}

void saveMethods(IniFile& file, const Settings& settings) {
    const auto keyword = [](std::uint32_t method) {
        return kRegressionMethodNamings[method < kRegressionMethodNamings.size() ? method : 0]
            .keyword;
    };
    const std::optional<std::string> held = file.value("regression", "method");
    // A name the file holds for the same method stays as it is written.
    const bool same = held && RegressionMethodOfIni(*held) == settings.regressionMethod;
    if ((settings.regressionMethod != 0 || held) && !same) {
        file.setValue("regression", "method", keyword(settings.regressionMethod));
    }
    const std::optional<std::string> filter = file.value("regression", "filter");
    const bool sameFilter = filter && ParseOutlierFilter(*filter) == settings.outlierFilter;
    if ((settings.outlierFilter.rule != OutlierRule::Off || filter) && !sameFilter) {
        file.setValue("regression", "filter", FormatOutlierFilter(settings.outlierFilter));
    }
    for (const auto& [name, method] : settings.methodChoices) {
        const std::optional<std::string> chosen = file.value("regressionmethods", name);
        if (!chosen || RegressionMethodOfIni(*chosen) != method) {
            file.setValue("regressionmethods", name, keyword(method));
        }
    }
}

} // namespace

bool isValidTestLevel(double percent) {
    return std::isfinite(percent) && percent > 0.0 && percent < 100.0;
}

std::string iniWriteFailureMessage(const std::string& path, const FileError& error) {
    return formatText("設定ファイルに書き込めませんでした(%s)。\n", error.reason().c_str()) + path;
}

const std::vector<SettingKey>& settingKeys() {
    static const std::vector<SettingKey> keys = makeKeyTable();
    return keys;
}

std::uint32_t settingWordBits(const Settings& settings, SettingWord word) {
    switch (word) {
    case SettingWord::General:
        return settings.generalFlags.raw();
    case SettingWord::Result:
        return settings.resultFlags.raw();
    case SettingWord::FileOutput:
        return settings.fileOutputFlags.raw();
    case SettingWord::CopyOutput:
        return settings.copyOutputFlags.raw();
    case SettingWord::Report:
        return settings.reportFlags.raw();
    }
    return 0;
}

void setSettingWordBits(Settings& settings, SettingWord word, std::uint32_t bits) {
    switch (word) {
    case SettingWord::General:
        settings.generalFlags = GeneralFlags::fromRaw(bits);
        break;
    case SettingWord::Result:
        settings.resultFlags = ResultFlags::fromRaw(bits);
        break;
    case SettingWord::FileOutput:
        settings.fileOutputFlags = OutputFlags::fromRaw(bits);
        break;
    case SettingWord::CopyOutput:
        settings.copyOutputFlags = OutputFlags::fromRaw(bits);
        break;
    case SettingWord::Report:
        settings.reportFlags = ReportFlags::fromRaw(bits);
        break;
    }
}

bool hasSettingBit(const Settings& settings, const SettingKey& key) {
    return (settingWordBits(settings, key.word) & key.bit) != 0;
}

void setSettingBit(Settings& settings, const SettingKey& key, bool on) {
    const std::uint32_t bits = settingWordBits(settings, key.word);
    setSettingWordBits(settings, key.word, on ? (bits | key.bit) : (bits & ~key.bit));
}

std::string settingsFilePath() {
    return LocateProgramFiles(loadPath(), processEnvironment()).settingsFile;
}

std::optional<int> ReadStringKey(const IniFile& file, std::string_view section,
                                 std::string_view key, std::string& buffer,
                                 std::size_t bufferSize) {
    if (bufferSize < 12) {
        return 0;
    }
    std::string text = file.readString(section, key, kNothing, bufferSize);
    if (text == kNothing) {
        return std::nullopt;
    }
    buffer = std::move(text);
    return static_cast<int>(buffer.size());
}

std::optional<bool> ReadBoolKey(const IniFile& file, std::string_view section,
                                std::string_view key) {
    std::string text;
    if (!ReadStringKey(file, section, key, text, kBoolRoom)) {
        return std::nullopt;
    }
    if (equalsIgnoringCase(text, "TRUE") || equalsIgnoringCase(text, "YES") || text == "1") {
        return true;
    }
    if (equalsIgnoringCase(text, "FALSE") || equalsIgnoringCase(text, "NO") || text == "0") {
        return false;
    }
    return std::nullopt;
}

bool ReadFormatKey(const IniFile& file, std::string_view section, std::string_view key, int& width,
                   int& decimals) {
    std::string text;
    if (!ReadStringKey(file, section, key, text, kFormatRoom)) {
        return false;
    }
    int first = 0;
    int second = 0;
    TextScanner pair(text);
    if (pair.readInt(first) && pair.literal('.') && pair.readInt(second) && pair.atEnd()) {
        width = first;
        decimals = second;
        return true;
    }
    TextScanner single(text);
    if (single.readInt(first) && (single.atEnd() || (single.literal('.') && single.atEnd()))) {
        width = first;
        decimals = 0;
        return true;
    }
    return false;
}

bool ReadNumberKey(const IniFile& file, std::string_view section, std::string_view key,
                   double& value) {
    std::string text(kNothing);
    const bool found = ReadStringKey(file, section, key, text, kNumberRoom).has_value();
    LogLine(text);
    if (!found) {
        return false;
    }
    // A level that is no finite number would make every test meaningless.
    TextScanner scanner(text);
    double read = 0.0;
    if (!scanner.readDouble(read) || !scanner.atEnd() || !std::isfinite(read)) {
        return false;
    }
    value = read;
    return true;
}

bool LoadSettings(Settings& settings, ColumnFormats& formats, const std::string& path,
                  FileError* error) {
    LogLine("Loading Ini-file.");
    LogLine(path);
    std::error_code missing;
    if (!std::filesystem::exists(path, missing)) {
        LogLine("No inifile.");
    }
    FileError failure;
    const std::optional<IniFile> read = IniFile::read(path, failure);
    if (!read && error != nullptr) {
        *error = failure;
    }
    const IniFile file = read.value_or(IniFile());
    const std::vector<SettingKey>& keys = settingKeys();
    loadGeneral(file, settings, keys);
    loadColumnFormats(file, formats, keys);
    loadRegression(file, settings, keys);
    for (const SettingKey& key : keys) {
        const std::string_view section = key.section;
        if (section != "general" && section != "regression" && key.type == SettingType::Bool) {
            readFlag(file, settings, key, "No item.");
        }
    }
    return read.has_value();
}

std::string settingText(const SettingKey& key, const Settings& settings,
                        const ColumnFormats& formats) {
    switch (key.type) {
    case SettingType::String:
        return settings.dataDirectory;
    case SettingType::Bool:
        return hasSettingBit(settings, key) ? "true" : "false";
    case SettingType::Number:
        return formatFixed(settings.testLevel, 0, 6);
    case SettingType::Format: {
        const ColumnFormat format = formats[static_cast<std::size_t>(key.column)];
        if (key.column == kNumColumn || key.column == kElemColumn) {
            return formatText("%d", format.width);
        }
        return formatText("%d.%d", format.width, format.decimals);
    }
    }
    return {};
}

bool SaveSettings(const Settings& settings, const ColumnFormats& formats, const std::string& path,
                  FileError* error) {
    const auto change = [&](IniFile& file) {
        for (const SettingKey& key : settingKeys()) {
            if (isAvgLimit(key) ||
                (key.type == SettingType::String && settings.dataDirectory.empty())) {
                continue;
            }
            file.setValue(key.section, key.key, settingText(key, settings, formats));
        }
        saveMethods(file, settings);
        return true;
    };
    return UpdateProfile(path, change, error);
}

} // namespace tarnova
