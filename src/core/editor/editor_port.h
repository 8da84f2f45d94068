// The dialogs of the peak editor: how sorting and jumping ask the user for their key and target.
// The GUI answers with its dialogs, the tests with a script.
#pragma once

#include "editor/row_sort.h"

#include <optional>

namespace tarnova {

// A cell named in the jump dialog: the row counted from 1 and the column (1 Elem, 2 Time,
// 3 Height, 4 Range), or -1 to keep the cursor's column.
struct JumpTarget {
    long row = 0;
    long column = -1;
    bool operator==(const JumpTarget&) const = default;
};

class EditorPort {
  public:
    virtual ~EditorPort() = default;

    // The sort dialog "データの整列": the key and direction chosen, or none when cancelled.
    virtual std::optional<SortOrder> chooseSortOrder() = 0;
    // The jump dialog "カーソルの移動": the target typed, or none when cancelled. The dialog
    // stays open until its text reads as a target (ParseJumpTarget).
    virtual std::optional<JumpTarget> chooseJumpTarget() = 0;
};

} // namespace tarnova
