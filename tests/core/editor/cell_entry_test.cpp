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
