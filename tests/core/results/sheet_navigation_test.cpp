#include "results/sheet_navigation.h"

#include "core/results/result_records.h"
#include "results/view_link.h"

#include <gtest/gtest.h>

#include <deque>

namespace tarnova {
namespace {

using test::namedSheets;

std::vector<std::string> sheetNames(int count) {
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i) {
        names.push_back(std::string("S").append(std::to_string(i)));
    }
    return names;
}

// The menu as "label" per entry, the checked one as "[label]".
std::vector<std::string> menu(const SheetNavigator& navigator, const ResultTable& table) {
    std::vector<std::string> texts;
    int slot = 0;
    for (const SheetMenuEntry& entry : navigator.menuEntries(table)) {
        EXPECT_EQ(entry.slot, slot++);
        texts.push_back(entry.checked ? "[" + entry.label + "]" : entry.label);
    }
    return texts;
}

TEST(SheetNavigation, TwelveSheetsListNineAndTheSheetList) {
    const ResultTable table = namedSheets(sheetNames(12));
    SheetNavigator navigator(table, UnnamedSheets::Left);
    EXPECT_TRUE(navigator.listsMore());
    EXPECT_EQ(navigator.currentSheet(), 0);
    EXPECT_EQ(menu(navigator, table),
              (std::vector<std::string>{"[S0]", "S1", "S2", "S3", "S4", "S5", "S6", "S7", "S8"}));

    // Sheet 11 from the list takes the first entry; sheet 8 drops out.
    ASSERT_TRUE(navigator.selectSheet(11, 12));
    EXPECT_EQ(navigator.currentSheet(), 11);
    EXPECT_EQ(menu(navigator, table),
              (std::vector<std::string>{"[S11]", "S0", "S1", "S2", "S3", "S4", "S5", "S6", "S7"}));
    // A sheet that has an entry is shown through it, nothing moves.
    ASSERT_TRUE(navigator.selectSheet(2, 12));
    EXPECT_EQ(menu(navigator, table),
              (std::vector<std::string>{"S11", "S0", "S1", "[S2]", "S3", "S4", "S5", "S6", "S7"}));
    ASSERT_TRUE(navigator.showSlot(0));
    EXPECT_EQ(navigator.currentSheet(), 11);
}

TEST(SheetNavigation, ThreeSheetsLeaveSixEmptySlots) {
    const ResultTable table = namedSheets(sheetNames(3));
    SheetNavigator navigator(table, UnnamedSheets::Listed);
    EXPECT_FALSE(navigator.listsMore());
    EXPECT_EQ(menu(navigator, table), (std::vector<std::string>{"[S0]", "S1", "S2"}));
    EXPECT_EQ(navigator.slotSheet(3), kEmptySlot);
    EXPECT_FALSE(navigator.showSlot(3));
    EXPECT_FALSE(navigator.showSlot(kSheetSlotCount));
    EXPECT_EQ(navigator.currentSheet(), 0);
}

TEST(SheetNavigation, TheResultWindowLeavesUnnamedSheetsOutAndKeepsEntriesInStep) {
    const ResultTable table = namedSheets({"A/B", "", "C/B"});
    SheetNavigator result(table, UnnamedSheets::Left);
    EXPECT_EQ(menu(result, table), (std::vector<std::string>{"[A/B]", "C/B"}));
    EXPECT_EQ(result.slotSheet(1), 2);
    // The failed sheet is still reached by moving through the sheets.
    ASSERT_TRUE(result.showNext(3));
    EXPECT_EQ(result.currentSheet(), 1);
    EXPECT_EQ(menu(result, table), (std::vector<std::string>{"[]", "A/B", "C/B"}));

    SheetNavigator graph(table, UnnamedSheets::Listed);
    EXPECT_EQ(menu(graph, table), (std::vector<std::string>{"[A/B]", "", "C/B"}));
}

TEST(SheetNavigation, MovesStopAtTheEndsAndNumbersOutsideTheTableDoNothing) {
    const struct {
        const char* move;
        int from;
        int sheetCount;
        bool moved;
        int to;
    } steps[] = {
        {"previous", 0, 3, false, 0},  {"previous", 2, 3, true, 1},  {"next", 2, 3, false, 2},
        {"next", 0, 3, true, 1},       {"first", 2, 3, true, 0},     {"last", 0, 3, true, 2},
        {"select -1", 1, 3, false, 1}, {"select 3", 1, 3, false, 1}, {"last", 0, 0, false, 0},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(std::string(step.move).append(" from ").append(std::to_string(step.from)));
        const ResultTable table = namedSheets(sheetNames(step.sheetCount));
        SheetNavigator navigator(table, UnnamedSheets::Listed);
        if (step.from != 0) {
            ASSERT_TRUE(navigator.selectSheet(step.from, step.sheetCount));
        }
        const std::string move = step.move;
        bool moved = false;
        if (move == "previous") {
            moved = navigator.showPrevious(step.sheetCount);
        } else if (move == "next") {
            moved = navigator.showNext(step.sheetCount);
        } else if (move == "first") {
            moved = navigator.showFirst(step.sheetCount);
        } else if (move == "last") {
            moved = navigator.showLast(step.sheetCount);
        } else {
            moved = navigator.selectSheet(std::stoi(move.substr(7)), step.sheetCount);
        }
        EXPECT_EQ(moved, step.moved);
        EXPECT_EQ(navigator.currentSheet(), step.to);
    }
}

// A view that shows sheets with a navigator and handles posted requests when the test lets
// the event loop run.
class FakeView : public ResultView {
  public:
    FakeView(const ResultTable& table, ViewLink& link, std::deque<std::pair<FakeView*, int>>& queue)
        : table_(table), link_(link), queue_(queue), navigator_(table, UnnamedSheets::Listed) {}

    int currentSheet() const override { return navigator_.currentSheet(); }
    void postShowSheet(int sheet) override { queue_.emplace_back(this, sheet); }
    void repaintNow() override { ++repaints; }

    void select(int sheet, bool correspondent) {
        if (navigator_.selectSheet(sheet, static_cast<int>(table_.size()))) {
            FollowSheet(link_, *this, navigator_.currentSheet(), correspondent);
        }
    }
    int repaints = 0;

  private:
    const ResultTable& table_;
    ViewLink& link_;
    std::deque<std::pair<FakeView*, int>>& queue_;
    SheetNavigator navigator_;
};

TEST(ViewLink, CorrespondentWindowsFollowEachOtherUntilBothShowOneSheet) {
    for (const bool correspondent : {true, false}) {
        SCOPED_TRACE(correspondent);
        const ResultTable table = namedSheets(sheetNames(12));
        ViewLink link;
        std::deque<std::pair<FakeView*, int>> queue;
        FakeView graph(table, link, queue);
        FakeView result(table, link, queue);
        link = {&graph, &result};

        for (const auto& [mover, sheet] : {std::pair{&result, 11}, {&graph, 4}, {&result, 0}}) {
            const int otherBefore = link.other(*mover)->currentSheet();
            mover->select(sheet, correspondent);
            int handled = 0;
            while (!queue.empty()) {
                auto [view, posted] = queue.front();
                queue.pop_front();
                view->select(posted, correspondent);
                ++handled;
            }
            EXPECT_EQ(handled, correspondent ? 1 : 0);
            EXPECT_EQ(link.other(*mover)->currentSheet(), correspondent ? sheet : otherBefore);
        }

        RepaintViews(link);
        link.graph = nullptr;
        RepaintViews(link);
        EXPECT_EQ(graph.repaints, 1);
        EXPECT_EQ(result.repaints, 2);
    }
}

TEST(ViewLink, AWindowAloneAsksNobody) {
    const ResultTable table = namedSheets(sheetNames(3));
    ViewLink link;
    std::deque<std::pair<FakeView*, int>> queue;
    FakeView result(table, link, queue);
    link.result = &result;
    result.select(2, true);
    EXPECT_TRUE(queue.empty());
}

} // namespace
} // namespace tarnova
