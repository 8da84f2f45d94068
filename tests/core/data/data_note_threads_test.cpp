// The current data note belongs to the thread that loads: measurements read side by side on
// several threads each keep their own note.
#include "data/peak_sheet.h"

#include <gtest/gtest.h>

#include <thread>

namespace tarnova {
namespace {

TEST(CurrentDataNote, EachThreadHasItsOwn) {
    DataNote mine;
    mine.name = "main";
    InstallDataNote(mine);
    std::thread([] {
        EXPECT_FALSE(currentDataNote().has_value());
        DataNote other;
        other.name = "worker";
        InstallDataNote(other);
        EXPECT_EQ(currentDataNote()->name, "worker");
    }).join();
    ASSERT_TRUE(currentDataNote());
    EXPECT_EQ(currentDataNote()->name, "main");
    ReleaseDataNote();
}

} // namespace
} // namespace tarnova
