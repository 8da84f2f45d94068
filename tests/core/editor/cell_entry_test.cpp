#include "editor/cell_entry.h"
#include "editor/jump_to.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarnova {
namespace {

// A Time buffer of width 8 with 5 decimals: point at 2, insertion on the last whole digit.
struct NumberBuffer {
    std::string text = "00.00000";
    int insertion = 1;
    int point = 2;
    NumberEntry entry() { return {text, insertion, point}; }
    std::vector<EntryResult> type(const std::string& keys) {
        std::vector<EntryResult> results;
        for (char c : keys) {
            results.push_back(TypeNumberCharacter(entry(), c));
        }
        return results;
    }
};

TEST(CellEntry, LabelFillsFromTheRightUntilFull) {
    std::string label(7, ' ');
    for (char c : std::string("Ar40")) {
        EXPECT_EQ(TypeLabelCharacter(label, c), EntryResult::Taken);
    }
    EXPECT_EQ(label, "   Ar40");
    EraseLabelCharacter(label);
    EXPECT_EQ(label, "    Ar4");

    // Signs and punctuation are dropped without a sound.
    EXPECT_EQ(TypeLabelCharacter(label, '-'), EntryResult::Ignored);
    EXPECT_EQ(TypeLabelCharacter(label, '/'), EntryResult::Ignored);
    EXPECT_EQ(label, "    Ar4");

    for (char c : std::string("0ab")) {
        EXPECT_EQ(TypeLabelCharacter(label, c), EntryResult::Taken);
    }
    EXPECT_EQ(label, " Ar40ab");
    EXPECT_EQ(TypeLabelCharacter(label, 'c'), EntryResult::Taken);
    EXPECT_EQ(label, "Ar40abc");
    // Full: any character beeps, also one that would otherwise be ignored.
    EXPECT_EQ(TypeLabelCharacter(label, 'd'), EntryResult::Refused);
    EXPECT_EQ(TypeLabelCharacter(label, '-'), EntryResult::Refused);
    EXPECT_EQ(label, "Ar40abc");
}

TEST(CellEntry, LabelBackspaceOnBlanksKeepsBlanks) {
    std::string label(7, ' ');
    EraseLabelCharacter(label);
    EXPECT_EQ(label, "       ");
}

TEST(CellEntry, NumberWholePartThenFraction) {
    NumberBuffer time;
    EXPECT_EQ(time.type("1"), std::vector{EntryResult::Taken});
    EXPECT_EQ(time.text, "01.00000");
    EXPECT_EQ(time.type("2"), std::vector{EntryResult::Taken});
    EXPECT_EQ(time.text, "12.00000");
    EXPECT_EQ(time.type("3"), std::vector{EntryResult::Refused});
    EXPECT_EQ(time.text, "12.00000");
    EXPECT_EQ(time.type("."), std::vector{EntryResult::PointMoved});
    EXPECT_EQ(time.insertion, 2);
    EXPECT_EQ(time.type("5"), std::vector{EntryResult::Taken});
    EXPECT_EQ(time.text, "12.50000");
    EXPECT_EQ(time.type("6789"), std::vector<EntryResult>(4, EntryResult::Taken));
    EXPECT_EQ(time.text, "12.56789");
    EXPECT_EQ(time.type("1"), std::vector{EntryResult::Refused});
    EXPECT_EQ(time.text, "12.56789");
}

TEST(CellEntry, NumberRefusesSignsExponentsAndSecondPoint) {
    NumberBuffer time;
    EXPECT_EQ(time.type("-e+ "), std::vector<EntryResult>(4, EntryResult::Refused));
    EXPECT_EQ(time.type(".-e."), (std::vector{EntryResult::PointMoved, EntryResult::Refused,
                                              EntryResult::Refused, EntryResult::Refused}));
    EXPECT_EQ(time.text, "00.00000");
}

TEST(CellEntry, NumberBackspaceWalksBackThroughPointAndWholePart) {
    NumberBuffer time;
    time.type("12.5");
    EraseNumberCharacter(time.entry());
    EXPECT_EQ(time.text, "12.00000");
    EXPECT_EQ(time.insertion, 2);
    EraseNumberCharacter(time.entry());
    EXPECT_EQ(time.text, "01.00000");
    EraseNumberCharacter(time.entry());
    EXPECT_EQ(time.text, "00.00000");
    EraseNumberCharacter(time.entry());
    EXPECT_EQ(time.text, "00.00000");
    // Typing goes on in the whole part.
    time.type("7");
    EXPECT_EQ(time.text, "07.00000");
}

TEST(CellEntry, NumberWiderThanItsColumnEditsAroundItsOwnPoint) {
    // 123.25 in a Time column of width 8 and 5 decimals is one character too wide; the
    // column format puts the point at 2, the text has it at 3.
    NumberBuffer time;
    time.text = "123.25000";
    EXPECT_EQ(time.type("."), std::vector{EntryResult::PointMoved});
    EXPECT_EQ(time.point, 3);
    EXPECT_EQ(time.type("9"), std::vector{EntryResult::Taken});
    EXPECT_EQ(time.text, "123.95000");
    time.type("9999");
    EXPECT_EQ(time.text, "123.99999");
    EXPECT_EQ(time.type("9"), std::vector{EntryResult::Refused});
    EXPECT_EQ(time.text.size(), 9U);
}

TEST(CellEntry, NumberWithoutPointTakesNothing) {
    std::string text = "1234";
    int insertion = 1;
    int point = 2;
    EXPECT_EQ(TypeNumberCharacter({text, insertion, point}, '5'), EntryResult::Refused);
    EraseNumberCharacter({text, insertion, point});
    EXPECT_EQ(text, "1234");
}

TEST(JumpTarget, ReadsRowAndOptionalColumn) {
    EXPECT_EQ(ParseJumpTarget("12 : 3"), (JumpTarget{12, 3}));
    EXPECT_EQ(ParseJumpTarget("  12:3"), (JumpTarget{12, 3}));
    EXPECT_EQ(ParseJumpTarget("12"), (JumpTarget{12, -1}));
    EXPECT_EQ(ParseJumpTarget(" 7abc"), (JumpTarget{7, -1}));
    // A colon without a column still names the row.
    EXPECT_EQ(ParseJumpTarget("12:"), (JumpTarget{12, -1}));
    EXPECT_EQ(ParseJumpTarget("0"), (JumpTarget{0, -1}));
    EXPECT_FALSE(ParseJumpTarget(""));
    EXPECT_FALSE(ParseJumpTarget("abc"));
    EXPECT_FALSE(ParseJumpTarget(": 3"));
    // Only the first 1023 characters are read.
    EXPECT_FALSE(ParseJumpTarget(std::string(1023, ' ') + "5"));
}

} // namespace
} // namespace tarnova
