// The options of the program, kept in TARNOVA.INI (platform/program_files.h says where): read
// once at start-up, written by the "Save Option" command.
#pragma once

#include "platform/flag_set.h"
#include "settings/column_formats.h"

#include "settings/outlier_filter_setting.h"
#include <cstddef>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tarnova {

class IniFile;
struct FileError;

// generalFlags: [general] and [regression] booleans.
enum class GeneralFlag : std::uint32_t {
    AddEof = 0x1,
    WarnCommentRemove = 0x100,
    Correspondent = 0x1000,
    ArrangeHorizontal = 0x2000,
    ArrangeVertical = 0x4000,
    UseStdDev = 0x10000,
    Conf95 = 0x20000,
    PrintReport = 0x1000000,
    PrintPeakList = 0x2000000,
    ShowGraph = 0x4000000,
    ShowResult = 0x8000000,
};
template <> struct IsFlagEnum<GeneralFlag> : std::true_type {};
using GeneralFlags = FlagSet<GeneralFlag>;

// resultFlags: what a result sheet (table) and a graph show.
enum class ResultFlag : std::uint32_t {
    SheetName = 0x1,
    DataName = 0x2,
    Average = 0x10,
    TimeRange = 0x20,
    PeakRange = 0x40,
    Formula = 0x80,
    Correlation = 0x100,
    Test = 0x1000,
    RegLine = 0x10000,
    RegLimit = 0x20000,
    AvgLine = 0x40000,
    AvgLimit = 0x80000,
    GraphName = 0x100000,
    GraphFormula = 0x200000,
    ValueLabel = 0x400000,
    TimeLabel = 0x800000,
};
template <> struct IsFlagEnum<ResultFlag> : std::true_type {};
using ResultFlags = FlagSet<ResultFlag>;
// Every line of a sheet and every part of a graph, and the bits no key names.
inline constexpr ResultFlags kAllResultItems = ResultFlags::fromRaw(0xFFFFFFFF);

// fileOutputFlags and copyOutputFlags: what an exported file or a copy contains.
enum class OutputFlag : std::uint32_t {
    Header = 0x1,        // the SOURCE, RECORDS and REGTYPE lines
    Comment = 0x2,       // the data note's lines, below the header
    GuideComment = 0x100 // the line of column heads
};
template <> struct IsFlagEnum<OutputFlag> : std::true_type {};
using OutputFlags = FlagSet<OutputFlag>;

// reportFlags: what a report contains, and whether its dialog asks first.
enum class ReportFlag : std::uint32_t {
    Result = 0x1,
    DataPoints = 0x2,
    Graph = 0x4,
    Reconfirm = 0x10000,
};
template <> struct IsFlagEnum<ReportFlag> : std::true_type {};
using ReportFlags = FlagSet<ReportFlag>;

inline constexpr double kDefaultTestLevel = 99.7;

// A test level in percent that the tests can work with: a finite number above 0 and below 100.
bool isValidTestLevel(double percent);

// Bits that no key names keep their start values for the whole run.
struct Settings {
    std::string dataDirectory; // folder offered first by the open and save dialogs
    GeneralFlags generalFlags = GeneralFlag::ShowGraph | GeneralFlag::ShowResult;
    ResultFlags resultFlags = kAllResultItems;
    OutputFlags copyOutputFlags = OutputFlags::fromRaw(0xFFFFFFFF);
    OutputFlags fileOutputFlags = OutputFlags::fromRaw(0xFFFFFFFF);
    ReportFlags reportFlags = ReportFlags::fromRaw(0x0001000F);
    double testLevel = kDefaultTestLevel; // significance level of the tests, percent
    std::uint32_t regressionMethod = 0;   // a new calculation's method; 0 the line
    OutlierFilter outlierFilter;          // a new calculation's outlier filter; off
    // Methods chosen for record names or labels of the current calculation, written into
    // section "regressionmethods" by SaveSettings; never read back into the settings.
    std::vector<std::pair<std::string, std::uint32_t>> methodChoices;

    bool operator==(const Settings&) const = default;
};

enum class SettingType { String, Bool, Format, Number };

// The flag words of Settings that the boolean keys set.
enum class SettingWord { General, Result, FileOutput, CopyOutput, Report };

// One row of the key table. Bool rows name a flag word and a bit; Format rows a grid column.
struct SettingKey {
    const char* section;
    const char* key;
    SettingType type;
    SettingWord word;    // Bool
    std::uint32_t bit;   // Bool
    bool defaultValue;   // Bool
    int column;          // Format
    int defaultWidth;    // Format
    int defaultDecimals; // Format
};

// The bits of a flag word as a number: the boolean keys of the INI file and the options sheet
// reach the typed words through these.
std::uint32_t settingWordBits(const Settings& settings, SettingWord word);
void setSettingWordBits(Settings& settings, SettingWord word, std::uint32_t bits);
// Whether the bit of a Bool key is set in its word; setting or clearing it.
bool hasSettingBit(const Settings& settings, const SettingKey& key);
void setSettingBit(Settings& settings, const SettingKey& key, bool on);

// Every key of the file, in the order it is written.
const std::vector<SettingKey>& settingKeys();

// The program's TARNOVA.INI: beside the executable (loadPath) of a portable program, in the
// user's configuration folder of an installed one; the bare name when no load path is set.
std::string settingsFilePath();

// Reads the settings and the grid's column formats from the file at path, logging each step. A
// format the grid could not take is read as its built-in format. A file that exists but cannot
// be read (no regular file, larger than 16 MB, not readable) leaves every key at its default;
// the result is then false, and error (when given) says why.
bool LoadSettings(Settings& settings, ColumnFormats& formats, const std::string& path,
                  FileError* error = nullptr);
// Writes every key but avglimit into the file at path (datadir only when set; the method and
// the filter of section "regression" only when they are not the line and off or the file holds
// them already; each of
// methodChoices into section "regressionmethods"), keeping the rest of the file. False when the
// file could not be read or written; error (when given) then says why, and the file is unchanged.
bool SaveSettings(const Settings& settings, const ColumnFormats& formats, const std::string& path,
                  FileError* error = nullptr);

// The message ("Tarnova" caption) for an INI file that could not be written, with the reason.
std::string iniWriteFailureMessage(const std::string& path, const FileError& error);

// A key's value as SaveSettings writes it: booleans "true"/"false", formats "%d.%d" (Num and
// Elem "%d"), chklevel "%f", datadir as it stands.
std::string settingText(const SettingKey& key, const Settings& settings,
                        const ColumnFormats& formats);

// The readers of one value. ReadStringKey returns the number of characters read into buffer,
// 0 when bufferSize is below 12, none when the key is missing (buffer then unchanged). A value
// that is literally "==nothing==" counts as missing.
std::optional<int> ReadStringKey(const IniFile& file, std::string_view section,
                                 std::string_view key, std::string& buffer, std::size_t bufferSize);
// True for "TRUE", "YES" (any case) or "1"; false for "FALSE", "NO" or "0"; none when missing
// or other.
std::optional<bool> ReadBoolKey(const IniFile& file, std::string_view section,
                                std::string_view key);
// Width and decimals for "W.D", "W" or "W."; false when missing or malformed.
bool ReadFormatKey(const IniFile& file, std::string_view section, std::string_view key, int& width,
                   int& decimals);
// The value when the whole text is a finite number; false when missing or malformed. The text
// read is logged first.
bool ReadNumberKey(const IniFile& file, std::string_view section, std::string_view key,
                   double& value);

} // namespace tarnova
