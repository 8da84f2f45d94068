#include "editor/cell_entry.h"

namespace tarnova {
namespace {

std::size_t at(int position) {
    return static_cast<std::size_t>(position);
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isLetterOrDigit(char c) {
    return isDigit(c) || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Puts the positions back on the buffer's own decimal point. A text wider than its column
// (a large value) has its point further right than the column format says; editing must
// follow the text, never write past it. False when the text holds no point to edit around.
bool followPoint(NumberEntry entry) {
    const int size = static_cast<int>(entry.text.size());
    if (entry.point < 0 || entry.point >= size || entry.text[at(entry.point)] != '.') {
        const std::size_t found = entry.text.find('.');
        if (found == std::string::npos) {
            return false;
        }
        entry.point = static_cast<int>(found);
    }
    if (entry.point == 0) {
        return false;
    }
    if (entry.insertion < entry.point - 1 || entry.insertion >= size) {
        entry.insertion = entry.point - 1;
    }
    return true;
}

} // namespace

EntryResult TypeLabelCharacter(std::string& text, char c) {
    if (text.empty() || text.front() != ' ') {
        return EntryResult::Refused;
    }
    if (!isLetterOrDigit(c)) {
        return EntryResult::Ignored;
    }
    text.erase(0, 1);
    text.push_back(c);
    return EntryResult::Taken;
}

void EraseLabelCharacter(std::string& text) {
    if (text.empty()) {
        return;
    }
    text.pop_back();
    text.insert(text.begin(), ' ');
}

EntryResult TypeNumberCharacter(NumberEntry entry, char c) {
    if (!followPoint(entry)) {
        return EntryResult::Refused;
    }
    if (entry.insertion < entry.point) {
        if (entry.text.front() == '0' && isDigit(c)) {
            entry.text.erase(0, 1);
            entry.text.insert(at(entry.point - 1), 1, c);
            return EntryResult::Taken;
        }
        if (c == '.') {
            entry.insertion = entry.point;
            return EntryResult::PointMoved;
        }
        return EntryResult::Refused;
    }
    if (isDigit(c) && entry.insertion + 1 < static_cast<int>(entry.text.size())) {
        ++entry.insertion;
        entry.text[at(entry.insertion)] = c;
        return EntryResult::Taken;
    }
    return EntryResult::Refused;
}

void EraseNumberCharacter(NumberEntry entry) {
    if (!followPoint(entry)) {
        return;
    }
    if (entry.insertion > entry.point) {
        entry.text[at(entry.insertion)] = '0';
        --entry.insertion;
    } else if (entry.insertion == entry.point) {
        entry.insertion = entry.point - 1;
    }
    if (entry.insertion < entry.point) {
        // The last digit of the whole part falls out; a zero comes in on the left.
        entry.text.erase(at(entry.point - 1), 1);
        entry.text.insert(entry.text.begin(), '0');
    }
}

} // namespace tarnova
