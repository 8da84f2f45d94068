// How the user changes the sheet of the peak editor grid: cursor keys, typing into the Elem,
// Time, Height and Range cells, Backspace, growing the table, inserting and deleting lines.
#pragma once

namespace tarnova {

class GridModel;

// The keys the grid answers; all others do nothing.
enum class GridKey {
    Left,
    Right,
    Up,
    Down,
    Enter,
    Home,
    End,
    Backspace,
    Insert,
    Delete,
    Escape,   // the cursor's cell shows its text from before the typing again
    PageUp,   // the cursor 25 rows up, the view a page up
    PageDown, // the cursor 25 rows down, the view a page down
};

// A key press on the grid. Moves that leave the table beep.
void PressGridKey(GridModel& grid, GridKey key);

// A character typed into the cursor's cell (a byte of code page 932 text). Control characters
// are ignored; a character the cell cannot take beeps, except that Elem drops characters other
// than letters and digits without a sound.
void TypeCharacter(GridModel& grid, char c);

// Adds 25 empty rows at the end. False, with the table as it was, when the rows cannot be had.
bool GrowTable(GridModel& grid);

// Puts an empty row at the cursor's row and moves the rows from there one place down.
// Beeps and changes nothing when memory ran out.
void InsertLine(GridModel& grid);

// Removes the cursor's row; the rows after it move up and an empty row comes in at the end,
// so that the row count stays.
void DeleteLine(GridModel& grid);

} // namespace tarnova
