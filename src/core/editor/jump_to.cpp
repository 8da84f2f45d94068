#include "editor/jump_to.h"

#include "editor/grid_model.h"
#include "platform/text_scanner.h"

namespace tarnova {
namespace {
constexpr std::size_t kMaxJumpTextLength = 1023;
} // namespace

std::optional<JumpTarget> ParseJumpTarget(std::string_view text) {
    text = text.substr(0, kMaxJumpTextLength);
    if (text.find(':') != std::string_view::npos) {
        TextScanner scanner(text);
        JumpTarget target;
        scanner.skipWhiteSpace();
        if (scanner.readInt(target.row) && (scanner.skipWhiteSpace(), scanner.literal(':')) &&
            scanner.readInt(target.column)) {
            return target;
        }
    }
    TextScanner scanner(text);
    JumpTarget target;
    if (scanner.readInt(target.row)) {
        return target;
    }
    return std::nullopt;
}

void JumpTo(GridModel& grid, EditorPort& port) {
    const std::optional<JumpTarget> target = port.chooseJumpTarget();
    if (!target || target->row < 1 || target->row > grid.GetRowCount()) {
        return;
    }
    if (target->column != -1 && (target->column < kElemColumn || target->column > kRangeColumn)) {
        return;
    }
    grid.MoveCursor(static_cast<int>(target->row - 1), static_cast<int>(target->column));
}

} // namespace tarnova
