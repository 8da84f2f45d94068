// The current data note belongs to the thread that loads: measurements read side by side on
// several threads each keep their own note.
#include "core/support/temp_folder.h"
#include "data/peak_sheet.h"
#include "data/pks_format.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

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

TEST(CurrentDataNote, ReadersOnTwoThreadsSeeTheirOwnNotes) {
    test::TempFolder folder;
    std::vector<std::string> paths;
    for (const char* sample : {"first", "second"}) {
        paths.push_back(folder.write(std::string(sample) + ".pks",
                                     std::string("\"Sample:\",\"") + sample +
                                         "\"\r\n  100,   1.00000000E+000, \"Ar36\"\r\n"));
    }
    std::atomic<int> mismatches = 0;
    std::vector<std::thread> readers;
    for (int reader = 0; reader < 2; ++reader) {
        readers.emplace_back([&, reader] {
            const std::string expected = reader == 0 ? "first" : "second";
            for (int round = 0; round < 300; ++round) {
                if (!ReadPksFile(paths[static_cast<std::size_t>(reader)]) || !currentDataNote() ||
                    currentDataNote()->tags.empty() ||
                    currentDataNote()->tags[0].text != expected) {
                    ++mismatches;
                }
            }
        });
    }
    for (std::thread& reader : readers) {
        reader.join();
    }
    EXPECT_EQ(mismatches, 0);
}

} // namespace
} // namespace tarnova
