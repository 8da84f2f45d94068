#include "calc/correction_table_editor.h"

#include "calc/correction.h"
#include "data/peak_sheet.h"
#include "platform/codepage.h"
#include "platform/run_log.h"
#include "platform/text_file.h"
#include "platform/text_format.h"
#include "platform/text_scanner.h"
#include "settings/ini_file.h"
#include "settings/settings.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>

namespace tarnova {
namespace {

constexpr const char* kCaption = "Tarnova";
constexpr std::string_view kGeneralSection = "general";
constexpr std::string_view kPeaksSection = "peaks";
constexpr std::string_view kItemCountKey = "items";
// Room of a set name (79 bytes and the terminating zero of the dialog's buffer).
constexpr std::size_t kSetNameRoom = 80;
// Room of a known label when a new one is compared with it.
constexpr std::size_t kLabelRoom = 80;
// Room of an item text, as the correction step reads it.
constexpr std::size_t kItemRoom = 1024;

constexpr std::array<std::string_view, 9> kOwnSections{
    "peaks",  "interferance", "general",    "peakeditor", "regression",
    "result", "fileoutput",   "copyoutput", "report",
};

// The number N of a key named "itemN" (N written as "%d" writes it), or none.
std::optional<long> itemNumber(std::string_view key) {
    constexpr std::string_view prefix = "item";
    if (key.size() <= prefix.size() || !profileNamesEqual(key.substr(0, prefix.size()), prefix)) {
        return std::nullopt;
    }
    const std::string_view digits = key.substr(prefix.size());
    if (digits.size() > 10 || digits.front() == '0' ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    long number = 0;
    for (const char digit : digits) {
        number = number * 10 + (digit - '0');
    }
    return number;
}

void insertSorted(std::vector<std::string>& list, std::string text) {
    const auto at = std::upper_bound(
        list.begin(), list.end(), text,
        [](const std::string& a, const std::string& b) { return cp932SortsBefore(a, b); });
    list.insert(at, std::move(text));
}

void insertSortedOnce(std::vector<std::string>& list, std::string text) {
    if (std::find(list.begin(), list.end(), text) == list.end()) {
        insertSorted(list, std::move(text));
    }
}

std::string trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return std::string(text);
}

// A factor is a finite number above 0 that makes up the whole text.
bool isPositiveFactor(std::string_view text) {
    TextScanner scanner(text);
    double value = 0.0;
    return scanner.readDouble(value) && scanner.atEnd() && std::isfinite(value) && value > 0.0;
}

// A label field's text, or the message that refuses it.
std::optional<std::string> labelOrMessage(std::string_view text, const char* emptyMessage,
                                          UserInterfacePort& ui) {
    if (text.empty()) {
        ui.showMessage(kCaption, emptyMessage);
        return std::nullopt;
    }
    if (text.find(',') != std::string_view::npos) {
        ui.showMessage(kCaption, "ラベルに,を含めることはできません。");
        return std::nullopt;
    }
    // A line break would end the label's line in the file.
    if (text.find_first_of("\r\n") != std::string_view::npos) {
        ui.showMessage(kCaption, "ラベルに改行を含めることはできません。");
        return std::nullopt;
    }
    return std::string(cutCp932(text, kMaxLabelLength));
}

} // namespace

std::vector<std::pair<long, std::string>>
ReadNumberedItems(const IniFile& file, std::string_view section, long count, std::size_t room) {
    std::map<long, std::string> items;
    for (auto& [key, value] : file.entries(section)) {
        const std::optional<long> number = itemNumber(key);
        // The first of keys that name the same item is the one read.
        if (number && *number <= count && !items.contains(*number)) {
            items.emplace(*number, std::string(cutCp932(value, room - 1)));
        }
    }
    return {items.begin(), items.end()};
}

bool isStorableSetName(std::string_view name) {
    if (name.empty() || name.front() == ';' || name.front() == ' ' || name.front() == '\t' ||
        name.back() == ' ' || name.back() == '\t' ||
        name.find_first_of("=[]\r\n") != std::string_view::npos) {
        return false;
    }
    return std::none_of(kOwnSections.begin(), kOwnSections.end(),
                        [name](std::string_view own) { return profileNamesEqual(name, own); });
}

CorrectionTableEditor::CorrectionTableEditor(std::string iniPath, UserInterfacePort& ui)
    : iniPath_(std::move(iniPath)), ui_(ui) {}

void CorrectionTableEditor::open() {
    const IniFile file = IniFile::load(iniPath_);
    setNames_.clear();
    for (const std::string& name : file.keyNames(kCorrectionSetsSection)) {
        insertSortedOnce(setNames_, std::string(cutCp932(name, kSetNameRoom - 1)));
    }
    if (setNames_.empty() && file.readInt(kGeneralSection, kCorrectionSetsSection, 0) > 0) {
        // The run log's spelling, which log readers match.
        LogLine("INI file break down for interferance peak correction.");
    }
    correctedLabels_.clear();
    const long labelCount = file.readInt(kPeaksSection, kItemCountKey, 0);
    for (auto& [number, label] : ReadNumberedItems(file, kPeaksSection, labelCount, kItemRoom)) {
        insertSortedOnce(correctedLabels_, std::move(label));
    }
    interferingLabels_ = correctedLabels_;
    entries_.clear();
    modified_ = false;
}

bool CorrectionTableEditor::registerEntry(std::string_view corrected, std::string_view interfering,
                                          std::string_view factor) {
    modified_ = true;
    const std::optional<std::string> correctedLabel =
        labelOrMessage(corrected, "対象ピークのラベルが指定されていません。", ui_);
    if (!correctedLabel) {
        return false;
    }
    const std::optional<std::string> interferingLabel =
        labelOrMessage(interfering, "妨害ピークのラベルが指定されていません。", ui_);
    if (!interferingLabel) {
        return false;
    }
    const std::string factorText = trimmed(factor);
    if (factorText.empty()) {
        ui_.showMessage(kCaption, "補正係数が指定されていません。");
        return false;
    }
    if (!isPositiveFactor(factorText)) {
        ui_.showMessage(kCaption, "補正係数の値は正でなければなりません。");
        return false;
    }
    writeFailed_ = false;
    if (addToVocabulary(*correctedLabel)) {
        insertSortedOnce(correctedLabels_, *correctedLabel);
    }
    if (addToVocabulary(*interferingLabel)) {
        insertSortedOnce(interferingLabels_, *interferingLabel);
    }
    insertSorted(entries_, *correctedLabel + "," + *interferingLabel + "," + factorText);
    return true;
}

bool CorrectionTableEditor::addToVocabulary(const std::string& label) {
    bool read = false;
    bool added = false;
    FileError error;
    const auto change = [&](IniFile& file) {
        read = true;
        const long count = std::max(0, file.readInt(kPeaksSection, kItemCountKey, -1));
        for (const auto& [number, known] :
             ReadNumberedItems(file, kPeaksSection, count, kLabelRoom)) {
            if (known == label) {
                return false; // nothing to write
            }
        }
        added = file.setValue(kPeaksSection, formatText("item%ld", count + 1), label) &&
                file.setValue(kPeaksSection, kItemCountKey, formatText("%ld", count + 1));
        return added;
    };
    const bool written = UpdateProfile(iniPath_, change, &error);
    if (!read || (added && !written)) {
        reportWriteFailure(error);
        return false;
    }
    return added;
}

void CorrectionTableEditor::reportWriteFailure(const FileError& error) {
    if (!writeFailed_) {
        ui_.showMessage(kCaption, iniWriteFailureMessage(iniPath_, error));
    }
    writeFailed_ = true;
}

void CorrectionTableEditor::deleteEntries(const std::vector<std::size_t>& positions) {
    std::vector<std::size_t> sorted = positions;
    std::sort(sorted.rbegin(), sorted.rend());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    for (const std::size_t position : sorted) {
        if (position < entries_.size()) {
            entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(position));
        }
    }
    modified_ = true;
}

bool CorrectionTableEditor::acceptsSetName(std::string_view name) {
    if (name.empty()) {
        ui_.showMessage(kCaption, "セット名が指定されていません。指定してください。");
        return false;
    }
    // A longer name would be stored cut short and then not be found under the name given.
    if (name.size() > kSetNameRoom - 1) {
        ui_.showMessage(kCaption, "セット名が長すぎます。79バイト以内で指定してください。");
        return false;
    }
    if (!isStorableSetName(name)) {
        ui_.showMessage(kCaption,
                        "このセット名は使えません。設定ファイルの見出しと同じ名前、=、[、] を"
                        "含む名前、; で始まる名前、前後に空白のある名前は指定できません。");
        return false;
    }
    return true;
}

bool CorrectionTableEditor::saveSet(std::string_view typedName) {
    const std::string name(typedName);
    if (!acceptsSetName(name)) {
        return false;
    }
    // An empty list is never stored: a set counted without items, or a count without a name,
    // would only make the correction step report every item as invalid.
    if (entries_.empty()) {
        ui_.showMessage(kCaption, "項目がありません。");
        modified_ = false;
        return false;
    }
    FileError error;
    const auto change = [&](IniFile& file) {
        const long stored = file.readInt(kCorrectionSetsSection, name, -1);
        if (stored < 1) {
            const long sets = file.readInt(kGeneralSection, kCorrectionSetsSection, -1);
            file.setValue(kGeneralSection, kCorrectionSetsSection,
                          formatText("%ld", sets >= 1 ? sets + 1 : 1));
        } else {
            for (const auto& [number, text] : ReadNumberedItems(file, name, stored, kItemRoom)) {
                file.removeKey(name, formatText("item%ld", number));
            }
        }
        for (std::size_t i = 0; i < entries_.size(); ++i) {
            if (!file.setValue(name, formatText("item%zu", i + 1), entries_[i])) {
                return false;
            }
        }
        return file.setValue(kCorrectionSetsSection, name, formatText("%zu", entries_.size()));
    };
    if (!UpdateProfile(iniPath_, change, &error)) {
        writeFailed_ = false;
        reportWriteFailure(error);
        return false;
    }
    if (std::none_of(setNames_.begin(), setNames_.end(),
                     [&](const std::string& known) { return profileNamesEqual(known, name); })) {
        insertSorted(setNames_, name);
    }
    modified_ = false;
    return true;
}

void CorrectionTableEditor::chooseSet(std::string_view name) {
    LogLine("SELENDOK of CORRECTIONSET");
    LogLine(std::string(name));
    const IniFile file = IniFile::load(iniPath_);
    const long count = file.readInt(kCorrectionSetsSection, name, -1);
    if (count < 1) {
        return;
    }
    entries_.clear();
    for (auto& [number, text] : ReadNumberedItems(file, name, count, kItemRoom)) {
        LogLine(text);
        insertSorted(entries_, std::move(text));
    }
}

bool CorrectionTableEditor::mayDiscardChanges() {
    return !modified_ || ui_.ask(kCaption, "変更が保存されていません。変更を破棄しますか?",
                                 QuestionButtons::YesNo) == Answer::Yes;
}

} // namespace tarnova
