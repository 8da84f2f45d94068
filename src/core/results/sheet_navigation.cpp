#include "results/sheet_navigation.h"

#include <algorithm>

namespace tarnova {

SheetNavigator::SheetNavigator(std::span<const RegressionResult> sheets, UnnamedSheets unnamed) {
    slots_.fill(kEmptySlot);
    const int count = static_cast<int>(sheets.size());
    int filled = 0;
    for (int sheet = 0; sheet < std::min(count, kSheetSlotCount); ++sheet) {
        if (unnamed == UnnamedSheets::Left &&
            sheets[static_cast<std::size_t>(sheet)].sheetName.empty()) {
            continue;
        }
        slots_[static_cast<std::size_t>(filled++)] = sheet;
    }
    checkedSlot_ = filled > 0 ? 0 : kEmptySlot;
    listsMore_ = count > kSheetSlotCount;
}

int SheetNavigator::slotSheet(int slot) const {
    if (slot < 0 || slot >= kSheetSlotCount) {
        return kEmptySlot;
    }
    return slots_[static_cast<std::size_t>(slot)];
}

bool SheetNavigator::selectSheet(int sheet, int sheetCount) {
    if (sheet < 0 || sheet >= sheetCount) {
        return false;
    }
    const auto held = std::find(slots_.begin(), slots_.end(), sheet);
    if (held != slots_.end()) {
        return showSlot(static_cast<int>(held - slots_.begin()));
    }
    std::move_backward(slots_.begin(), slots_.end() - 1, slots_.end());
    slots_.front() = sheet;
    return showSlot(0);
}

bool SheetNavigator::showSlot(int slot) {
    const int sheet = slotSheet(slot);
    if (sheet == kEmptySlot) {
        return false;
    }
    checkedSlot_ = slot;
    current_ = sheet;
    return true;
}

bool SheetNavigator::showPrevious(int sheetCount) {
    return current_ >= 1 && selectSheet(current_ - 1, sheetCount);
}

bool SheetNavigator::showNext(int sheetCount) {
    return current_ < sheetCount - 1 && selectSheet(current_ + 1, sheetCount);
}

std::vector<SheetMenuEntry>
SheetNavigator::menuEntries(std::span<const RegressionResult> sheets) const {
    std::vector<SheetMenuEntry> entries;
    for (int slot = 0; slot < kSheetSlotCount; ++slot) {
        const int sheet = slots_[static_cast<std::size_t>(slot)];
        if (sheet == kEmptySlot) {
            continue;
        }
        const bool named = sheet < static_cast<int>(sheets.size());
        entries.push_back(
            {slot, named ? sheets[static_cast<std::size_t>(sheet)].sheetName : std::string(),
             slot == checkedSlot_});
    }
    return entries;
}

} // namespace tarnova
