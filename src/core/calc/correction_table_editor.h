// The editor of the interference correction sets, "妨害ピーク補正テーブルの編集": entries are
// composed from a corrected label, an interfering label and a factor, a stored set is loaded by
// name, and the entry list is saved under a set name. TARNOVA.INI is read and written at once,
// each change starting from the file as it is on disk; every other line of the file stays as it
// was.
//
// Texts (labels, entries, set names) are code page 932 bytes. The lists are kept sorted with
// cp932SortsBefore: ASCII letters without regard to case, everything else by its bytes.
#pragma once

#include "platform/user_interface_port.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tarnova {

class IniFile;
struct FileError;

// The items "item1", "item2", ... of section with a number from 1 to count, in the order of
// their numbers, each value cut to room - 1 bytes (never inside a double-byte character).
// Missing numbers are left out; the cost is that of the section, whatever count says.
std::vector<std::pair<long, std::string>>
ReadNumberedItems(const IniFile& file, std::string_view section, long count, std::size_t room);

// Whether a set name can be stored. The names of the file's own sections (compared without
// regard to case), an empty name, "=", "[", "]", a leading ";" and blanks at either end would
// make the file read back as something else.
bool isStorableSetName(std::string_view name);

class CorrectionTableEditor final {
  public:
    // The factor field's text when the dialog opens.
    static constexpr const char* kInitialFactor = "0";

    // Messages and questions go to ui (caption "Tarnova").
    CorrectionTableEditor(std::string iniPath, UserInterfacePort& ui);

    // Reads the stored set names (every name of section "interferance", whatever the count
    // says) and the label vocabulary (section "peaks"); clears the modified flag.
    void open();

    const std::string& iniPath() const { return iniPath_; }
    // The lists of the two label drop-downs, "補正ピーク" and "妨害ピーク".
    const std::vector<std::string>& correctedLabels() const { return correctedLabels_; }
    const std::vector<std::string>& interferingLabels() const { return interferingLabels_; }
    // The entry list: CorrectionItem texts "corrected,interfering,factor".
    const std::vector<std::string>& entries() const { return entries_; }
    // The list of "現在のセット".
    const std::vector<std::string>& setNames() const { return setNames_; }
    bool isModified() const { return modified_; }
    // Whether the last registration or save could not write the file (it was reported).
    bool writeFailed() const { return writeFailed_; }

    // "登録": checks the two labels and the factor (the first fault is shown and nothing else
    // happens), adds labels the vocabulary lacks to the file and to their drop-down, and adds
    // the entry. Sets the modified flag in every case. Returns true when an entry was added.
    bool registerEntry(std::string_view corrected, std::string_view interfering,
                       std::string_view factor);
    // "削除": removes the entries at the given positions of the entry list.
    void deleteEntries(const std::vector<std::size_t>& positions);
    // "設定を保存": stores the entry list under name in one write. Returns true when it was
    // written; a refused name (also one longer than 79 bytes, which the file could not give
    // back), an empty list or a failed write is shown.
    bool saveSet(std::string_view name);
    // Whether name can be saved as a set; a name that cannot is shown as saveSet shows it.
    bool acceptsSetName(std::string_view name);
    // A set chosen in the set list: its stored items replace the entry list.
    void chooseSet(std::string_view name);
    // Asked before the set list opens and on OK: true when there are no unsaved changes or the
    // user agrees to discard them.
    bool mayDiscardChanges();

  private:
    // Adds label to the vocabulary of the file when it is not there yet; true when it was
    // added (and so belongs into the label's drop-down), false otherwise or when the write
    // failed (reported once per registration through writeFailed_).
    bool addToVocabulary(const std::string& label);
    void reportWriteFailure(const FileError& error);

    std::string iniPath_;
    UserInterfacePort& ui_;
    std::vector<std::string> correctedLabels_;
    std::vector<std::string> interferingLabels_;
    std::vector<std::string> entries_;
    std::vector<std::string> setNames_;
    bool modified_ = false;
    bool writeFailed_ = false;
};

} // namespace tarnova
