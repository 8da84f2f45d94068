// The options sheet "Tarnovaのオプション": seven pages that edit working copies of the settings
// and of the grid's column formats. A page's controls are read back when the user leaves it and
// again at OK, and only pages that were opened are read back; only OK takes the copies over.
#pragma once

#include "platform/user_interface_port.h"
#include "settings/column_formats.h"
#include "settings/settings.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnova {

enum class OptionsPage : int {
    General = 0,  // "一般"
    DataEditor,   // "データエディタ"
    Regression,   // "回帰計算"
    ResultOutput, // "結果の出力"
    FileOutput,   // "ファイル出力"
    Copy,         // "コピー"
    Report,       // "レポート"
};
inline constexpr int kOptionsPageCount = 7;

// The help context of each page's Help button.
int OptionsPageHelpContext(OptionsPage page);

// "結果のウインドウの配置": "重ねる", "水平に並べる", "垂直に並べる".
enum class WindowArrangement { Overlapping, SideBySide, Stacked };

// The check boxes of a page in their order, each a boolean key of the settings. On the
// regression page the first two (conf95, usestddev) are radio pairs: "95%"/"68%" and
// "標準偏差"/"不偏標準偏差", true for the first of each pair.
const std::vector<const SettingKey*>& OptionsPageFlags(OptionsPage page);

struct OptionsWorkingCopy {
    Settings settings; // the data directory, the five flag words and the level it opened with
    ColumnFormats formats;
    std::string testLevel; // "%f" of the level when the sheet opened, or the text taken since
};

// What the controls of one page hold; each page uses its own members.
struct OptionsPageValues {
    std::vector<bool> flags; // in the order of OptionsPageFlags(page)
    std::string directory;   // "データパス": a file-system path
    WindowArrangement arrangement = WindowArrangement::Overlapping;
    std::array<std::string, kGridColumnCount> widths;   // "桁数", Num to Peak
    std::array<std::string, kGridColumnCount> decimals; // "小数部の桁数", Time to Peak
    std::string testLevel;                              // "検定水準"
    std::uint32_t method = 0; // the calculation's regression method, an index of the naming table
    OutlierFilter filter;     // the calculation's outlier filter
};

// A field whose text the sheet refused: the width field of a column of the data editor page
// (its width and decimals are refused as a pair), or the test level of the result page.
struct RefusedField {
    OptionsPage page = OptionsPage::DataEditor;
    int column = -1; // the grid column on the data editor page; -1 for the test level
    bool operator==(const RefusedField&) const = default;
};

class OptionsSheet final {
  public:
    // Working copies of settings and formats; messages go to ui (caption "Tarnova").
    OptionsSheet(const Settings& settings, const ColumnFormats& formats, UserInterfacePort& ui);

    const OptionsWorkingCopy& workingCopy() const { return copy_; }
    // A page is opened: the values its controls start with.
    OptionsPageValues openPage(OptionsPage page);
    bool wasOpened(OptionsPage page) const;
    // The user left page: its controls are read back into the working copies. A width and
    // decimals pair that does not fit, or a test level that is no number above 0 and below
    // 100, keeps its working value; the message says so once. Returns the first field refused.
    std::optional<RefusedField> leavePage(OptionsPage page, const OptionsPageValues& values);
    // OK: every opened page is read back once, in page order, and a refusal is shown once.
    // Returns the first field refused (the sheet then stays open on it), or none when all
    // were taken.
    std::optional<RefusedField>
    confirm(const std::function<OptionsPageValues(OptionsPage)>& controls);

  private:
    std::optional<RefusedField> readPage(OptionsPage page, const OptionsPageValues& values);
    void readFlags(OptionsPage page, const std::vector<bool>& flags);
    std::optional<int> readColumns(const OptionsPageValues& values);
    bool readTestLevel(std::string_view text);
    void showRefusal();

    OptionsWorkingCopy copy_;
    UserInterfacePort& ui_;
    std::array<bool, kOptionsPageCount> opened_{};
};

// The settings after OK: the data directory, the flag words and the test level of copy.
void TakeOverOptions(const OptionsWorkingCopy& copy, Settings& settings);

// The folder the browser "データディレクトリの選択" opens at: the field's text without one
// trailing "/" (the root stays "/").
std::string BrowserStartFolder(std::string_view field);
// A folder picked in the browser as the field shows it: with a trailing "/".
std::string BrowsedFolderText(std::string_view folder);

} // namespace tarnova
