#include "platform/run_log.h"

#include <gtest/gtest.h>

namespace tarnova {
namespace {

TEST(RunLog, KeepsTheLastHundredLinesWhileOpen) {
    RunLog log;
    log.logLine("before");
    EXPECT_EQ(log.lineCount(), 0);
    int repaints = 0;
    ASSERT_TRUE(log.open([&] { ++repaints; }));
    EXPECT_FALSE(log.open(nullptr));
    log.logLine("Start logging.");
    EXPECT_EQ(log.line(0), "Start logging.");
    EXPECT_EQ(repaints, 1);
    // The hundred and first line pushes out the first.
    for (int i = 2; i <= 101; ++i) {
        log.logLine("line " + std::to_string(i));
    }
    EXPECT_EQ(log.lineCount(), 100);
    EXPECT_EQ(log.line(0), "line 2");
    EXPECT_EQ(log.line(99), "line 101");
    // Reopening keeps the top line but not the lines; closed, it drops them.
    log.setFirstVisibleLine(7);
    log.close();
    EXPECT_EQ(log.lineCount(), 0);
    log.logLine("dropped");
    ASSERT_TRUE(log.open(nullptr));
    EXPECT_EQ(log.lineCount(), 0);
    EXPECT_EQ(log.firstVisibleLine(), 7);
}

TEST(RunLog, ScrollingStopsAtTheFirstAndLastSlotAndFollowsTheWindowHeight) {
    RunLog log;
    for (int i = 0; i < 150; ++i) {
        log.lineDown();
    }
    EXPECT_EQ(log.firstVisibleLine(), 99);
    for (int i = 0; i < 150; ++i) {
        log.lineUp();
    }
    EXPECT_EQ(log.firstVisibleLine(), 0);
    // 200 pixels of 16-pixel lines hold 12 whole lines: positions 1 to 88.
    auto range = log.rangeForHeight(200, 16, 95);
    EXPECT_EQ(range.maximum, 88);
    EXPECT_EQ(range.position, 88);
    range = log.rangeForHeight(5000, 16, -3);
    EXPECT_EQ(range.maximum, 1);
    EXPECT_EQ(range.position, 1);
}

} // namespace
} // namespace tarnova
