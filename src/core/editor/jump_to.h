// Moving the grid's cursor to a cell named by the user ("カーソルの移動").
#pragma once

#include "editor/editor_port.h"

#include <optional>
#include <string_view>

namespace tarnova {

class GridModel;

// Reads "row : column" (when the text holds a colon and reads so) or "row", white space
// allowed, as the jump dialog takes them; none when neither reads. Only the first 1023
// characters count.
std::optional<JumpTarget> ParseJumpTarget(std::string_view text);

// Asks for a target and moves the cursor there; a row or column outside the table is ignored.
void JumpTo(GridModel& grid, EditorPort& port);

} // namespace tarnova
