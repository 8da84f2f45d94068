// The sheets of a result view, one at a time: the view's current sheet and the nine sheet
// entries of its Sheet menu (the sheet slots), which keep the sheets chosen last at hand when
// the table has more sheets than entries.
#pragma once

#include "calc/result_table.h"

#include <array>
#include <span>
#include <string>
#include <vector>

namespace tarnova {

inline constexpr int kSheetSlotCount = 9;
inline constexpr int kEmptySlot = -1;

// Which sheets get an entry when a view opens. The result window leaves out the sheets without
// a name (failed records); the graph window lists them too, with an empty label.
enum class UnnamedSheets { Left, Listed };

struct SheetMenuEntry {
    int slot = 0;      // the command of the entry is the first sheet command + slot
    std::string label; // the sheet's name (code page 932 bytes)
    bool checked = false;
    bool operator==(const SheetMenuEntry&) const = default;
};

class SheetNavigator {
  public:
    // The view as it opens on sheets: sheet 0 current, the first nine sheets (those that the
    // view lists) in consecutive slots, so that slot k is always the menu entry k, and the first
    // entry checked.
    SheetNavigator(std::span<const RegressionResult> sheets, UnnamedSheets unnamed);

    int currentSheet() const { return current_; }
    // The table had more sheets than slots: the menu ends with the sheet list entry "一覧".
    bool listsMore() const { return listsMore_; }
    int slotSheet(int slot) const;

    // Makes sheet the current one (SelectSheet): through its slot when it has one, otherwise it
    // takes slot 0 and the other sheets move one slot down, the last dropping out. Nothing
    // happens for a number that names no sheet (below 0 or not below sheetCount). True when the
    // sheet is now the current one.
    bool selectSheet(int sheet, int sheetCount);
    // The sheet of a menu entry; false for an empty slot.
    bool showSlot(int slot);

    bool showFirst(int sheetCount) { return selectSheet(0, sheetCount); }
    bool showLast(int sheetCount) { return selectSheet(sheetCount - 1, sheetCount); }
    // Previous only from sheet 1 on, next only up to the last sheet.
    bool showPrevious(int sheetCount);
    bool showNext(int sheetCount);

    // The entries of the filled slots, labelled with the current names of their sheets (a name
    // changes when a record fails or comes back after its points were changed).
    std::vector<SheetMenuEntry> menuEntries(std::span<const RegressionResult> sheets) const;

  private:
    std::array<int, kSheetSlotCount> slots_;
    int checkedSlot_ = kEmptySlot;
    int current_ = 0;
    bool listsMore_ = false;
};

} // namespace tarnova
