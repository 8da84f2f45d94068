// The entry rules of the grid's editable cells, applied to the text of the edit buffer.
//
// An Elem buffer holds the label right-aligned, blanks on the left; typing shifts it left and
// appends. A Time, Height or Range buffer holds a fixed-point number with zeros where nothing
// was typed; the insertion position stands on the last digit of the whole part, on the point
// after "." was typed, or on the last fraction digit typed.
#pragma once

#include <string>

namespace tarnova {

enum class EntryResult {
    Taken,      // the buffer changed: repaint the cell and mark the sheet modified
    PointMoved, // "." moved the insertion position to the point; nothing to repaint
    Refused,    // the cell cannot take the character: beep
    Ignored,    // silently dropped
};

// A character typed into an Elem buffer: letters and digits only, while the label has room.
EntryResult TypeLabelCharacter(std::string& text, char c);
// Backspace in an Elem buffer: the last character falls out, a blank comes in on the left.
void EraseLabelCharacter(std::string& text);

// A numeric buffer and its two positions. point is where the decimal point stands;
// insertion is point - 1 while typing the whole part, point to text.size() - 1 in the fraction.
struct NumberEntry {
    std::string& text;
    int& insertion;
    int& point;
};

// A character typed into a Time, Height or Range buffer.
EntryResult TypeNumberCharacter(NumberEntry entry, char c);
// Backspace in a Time, Height or Range buffer.
void EraseNumberCharacter(NumberEntry entry);

} // namespace tarnova
