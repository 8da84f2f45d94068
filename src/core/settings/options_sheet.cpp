#include "settings/options_sheet.h"

#include "platform/text_format.h"
#include "platform/text_scanner.h"
#include "settings/regression_names.h"

#include <climits>
#include <initializer_list>
#include <optional>

namespace tarnova {
namespace {

constexpr const char* kWrongParameters = "指定されたパラメーターに誤りがあります。変更を無視ます。";
// Room of the test level text: 29 characters and the terminating zero.
constexpr std::size_t kTestLevelRoom = 30;

std::size_t pageIndex(OptionsPage page) {
    return static_cast<std::size_t>(page);
}

const SettingKey* findKey(std::string_view section, std::string_view key) {
    for (const SettingKey& candidate : settingKeys()) {
        if (section == candidate.section && key == candidate.key) {
            return &candidate;
        }
    }
    return nullptr;
}

std::vector<const SettingKey*> keysOf(std::string_view section,
                                      std::initializer_list<std::string_view> keys) {
    std::vector<const SettingKey*> found;
    for (const std::string_view key : keys) {
        found.push_back(findKey(section, key));
    }
    return found;
}

std::array<std::vector<const SettingKey*>, kOptionsPageCount> makePageFlags() {
    return {
        keysOf("general", {"addeof", "warncmntrmv", "correspondent"}),
        {},
        keysOf("regression", {"conf95", "usestddev", "graph", "result", "report", "peaklist"}),
        keysOf("result", {"sheetname", "dataname", "average", "timerange", "peakrange", "formula",
                          "correlation", "test", "regline", "reglimit", "avgline", "graphname",
                          "graphformula"}),
        keysOf("fileoutput", {"header", "comment", "guidecomment"}),
        keysOf("copyoutput", {"header", "comment", "guidecomment"}),
        keysOf("report", {"result", "datapoints", "graph", "reconfirm"}),
    };
}

// A field of page 2 as a whole number; a text that is no whole number gives 0.
int wholeNumber(std::string_view text) {
    TextScanner scanner(text);
    long value = 0;
    if (!scanner.readInt(value) || value < INT_MIN || value > INT_MAX) {
        return 0;
    }
    scanner.skipWhiteSpace();
    return scanner.atEnd() ? static_cast<int>(value) : 0;
}

// A test level as the whole text of the field (blanks around it allowed).
std::optional<double> testLevelOf(std::string_view text) {
    TextScanner scanner(text);
    double value = 0.0;
    if (!scanner.readDouble(value)) {
        return std::nullopt;
    }
    scanner.skipWhiteSpace();
    if (!scanner.atEnd() || !isValidTestLevel(value)) {
        return std::nullopt;
    }
    return value;
}

} // namespace

int OptionsPageHelpContext(OptionsPage page) {
    constexpr std::array<int, kOptionsPageCount> contexts{42, 97, 185, 191, 192, 193, 194};
    return contexts[pageIndex(page)];
}

const std::vector<const SettingKey*>& OptionsPageFlags(OptionsPage page) {
    static const std::array<std::vector<const SettingKey*>, kOptionsPageCount> flags =
        makePageFlags();
    return flags[pageIndex(page)];
}

OptionsSheet::OptionsSheet(const Settings& settings, const ColumnFormats& formats,
                           UserInterfacePort& ui)
    : copy_{settings, formats, formatText("%f", settings.testLevel)}, ui_(ui) {}

bool OptionsSheet::wasOpened(OptionsPage page) const {
    return opened_[pageIndex(page)];
}

OptionsPageValues OptionsSheet::openPage(OptionsPage page) {
    opened_[pageIndex(page)] = true;
    OptionsPageValues values;
    for (const SettingKey* key : OptionsPageFlags(page)) {
        values.flags.push_back(hasSettingBit(copy_.settings, *key));
    }
    const Settings& settings = copy_.settings;
    switch (page) {
    case OptionsPage::General:
        values.directory = settings.dataDirectory;
        if (settings.generalFlags.test(GeneralFlag::ArrangeHorizontal)) {
            values.arrangement = WindowArrangement::SideBySide;
        } else if (settings.generalFlags.test(GeneralFlag::ArrangeVertical)) {
            values.arrangement = WindowArrangement::Stacked;
        }
        break;
    case OptionsPage::DataEditor:
        for (std::size_t column = 0; column < copy_.formats.size(); ++column) {
            values.widths[column] = formatText("%d", copy_.formats[column].width);
            values.decimals[column] = formatText("%d", copy_.formats[column].decimals);
        }
        break;
    case OptionsPage::Regression:
        values.method = settings.regressionMethod;
        values.filter = settings.outlierFilter;
        break;
    case OptionsPage::ResultOutput:
        values.testLevel = copy_.testLevel;
        break;
    default:
        break;
    }
    return values;
}

std::optional<RefusedField> OptionsSheet::leavePage(OptionsPage page,
                                                    const OptionsPageValues& values) {
    std::optional<RefusedField> refused = readPage(page, values);
    if (refused) {
        showRefusal();
    }
    return refused;
}

void OptionsSheet::showRefusal() {
    ui_.showMessage("Tarnova", kWrongParameters);
}

std::optional<RefusedField> OptionsSheet::readPage(OptionsPage page,
                                                   const OptionsPageValues& values) {
    readFlags(page, values.flags);
    switch (page) {
    case OptionsPage::General: {
        std::string directory = values.directory;
        if (directory.empty() || directory.back() != '/') {
            directory += '/';
        }
        copy_.settings.dataDirectory = std::move(directory);
        GeneralFlags& flags = copy_.settings.generalFlags;
        flags.clear(GeneralFlag::ArrangeHorizontal | GeneralFlag::ArrangeVertical);
        if (values.arrangement == WindowArrangement::Stacked) {
            flags |= GeneralFlag::ArrangeVertical;
        } else if (values.arrangement == WindowArrangement::SideBySide) {
            flags |= GeneralFlag::ArrangeHorizontal;
        }
        break;
    }
    case OptionsPage::DataEditor:
        if (const std::optional<int> column = readColumns(values)) {
            return RefusedField{page, *column};
        }
        break;
    case OptionsPage::Regression:
        if (values.method < kRegressionMethodNamings.size()) {
            copy_.settings.regressionMethod = values.method;
        }
        // Only a filter that its keyword can carry (k above 0, 1 to 100 iterations) is taken.
        if (const std::optional<OutlierFilter> filter =
                ParseOutlierFilter(FormatOutlierFilter(values.filter))) {
            copy_.settings.outlierFilter = *filter;
        }
        break;
    case OptionsPage::ResultOutput:
        if (!readTestLevel(values.testLevel)) {
            return RefusedField{page, -1};
        }
        break;
    default:
        break;
    }
    return std::nullopt;
}

void OptionsSheet::readFlags(OptionsPage page, const std::vector<bool>& flags) {
    const std::vector<const SettingKey*>& keys = OptionsPageFlags(page);
    for (std::size_t i = 0; i < keys.size() && i < flags.size(); ++i) {
        setSettingBit(copy_.settings, *keys[i], flags[i]);
    }
}

std::optional<int> OptionsSheet::readColumns(const OptionsPageValues& values) {
    std::optional<int> refused;
    for (int column = kNumColumn; column < kGridColumnCount; ++column) {
        const auto index = static_cast<std::size_t>(column);
        ColumnFormat& format = copy_.formats[index];
        const int width = wholeNumber(values.widths[index]);
        if (column == kNumColumn || column == kElemColumn) {
            format.width = width;
            continue;
        }
        const int decimals = wholeNumber(values.decimals[index]);
        if (static_cast<long>(width) < static_cast<long>(decimals) + 2) {
            if (!refused) {
                refused = column;
            }
            continue;
        }
        format = {width, decimals};
    }
    return refused;
}

bool OptionsSheet::readTestLevel(std::string_view text) {
    const std::string_view field = text.substr(0, kTestLevelRoom - 1);
    if (!testLevelOf(field)) {
        return false;
    }
    copy_.testLevel = std::string(field);
    return true;
}

std::optional<RefusedField>
OptionsSheet::confirm(const std::function<OptionsPageValues(OptionsPage)>& controls) {
    std::optional<RefusedField> first;
    for (int page = 0; page < kOptionsPageCount; ++page) {
        const auto opened = static_cast<OptionsPage>(page);
        if (!wasOpened(opened)) {
            continue;
        }
        const std::optional<RefusedField> refused = readPage(opened, controls(opened));
        if (refused && !first) {
            first = refused;
        }
    }
    if (first) {
        showRefusal();
    }
    return first;
}

void TakeOverOptions(const OptionsWorkingCopy& copy, Settings& settings) {
    settings = copy.settings;
    // A level left as the sheet showed it keeps all its digits, not only the six of "%f".
    if (copy.testLevel != formatText("%f", copy.settings.testLevel)) {
        settings.testLevel = testLevelOf(copy.testLevel).value_or(settings.testLevel);
    }
}

std::string BrowserStartFolder(std::string_view field) {
    if (field.size() > 1 && field.back() == '/') {
        field.remove_suffix(1);
    }
    return std::string(field);
}

std::string BrowsedFolderText(std::string_view folder) {
    std::string text(folder);
    if (text.empty() || text.back() != '/') {
        text += '/';
    }
    return text;
}

} // namespace tarnova
