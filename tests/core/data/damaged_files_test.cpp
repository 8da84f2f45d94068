// Samples cut short at every byte, or with bytes flipped, are read or refused without harm.
#include "core/support/sheet_session.h"
#include "data/dat_format.h"
#include "data/file_kind.h"
#include "data/micromass_asc.h"
#include "data/micromass_dat.h"
#include "data/pks_format.h"

#include <gtest/gtest.h>

namespace tarnova {
namespace {

using test::sampleBytes;

TEST(DamagedFiles, TruncatedTextFilesAreReadOrRefused) {
    test::ScriptedPort ui;
    const std::string pks = sampleBytes("argon_air.pks");
    const std::string dat = sampleBytes("argon_air.dat");
    const std::string asc = sampleBytes("argon_micromass.asc");
    const std::string helium = sampleBytes("helium_micromass.asc");
    for (std::size_t length = 0; length <= pks.size(); ++length) {
        kindFromContent(pks.substr(0, length));
        const auto file = parsePksFile(pks.substr(0, length));
        // Cut after a whole peak line, the file is read as far as it goes.
        const std::size_t firstPeakLine = pks.find("\r\n  ") + 2;
        if (length > firstPeakLine && pks[length - 1] == '\n') {
            ASSERT_TRUE(file) << length;
        }
    }
    // Only cuts inside the last line's range keep every line the header announces.
    const std::size_t lastRange = dat.rfind(',') + 1;
    for (std::size_t length = 0; length <= dat.size(); ++length) {
        if (parseDatFile(dat.substr(0, length))) {
            ASSERT_GT(length, lastRange) << length;
        }
    }
    for (std::size_t length = 0; length <= asc.size(); ++length) {
        parseMicromassAsc(asc.substr(0, length), ui);
    }
    std::size_t heliumRead = 0;
    for (std::size_t length = 0; length <= helium.size(); ++length) {
        heliumRead += parseMicromassAsc(helium.substr(0, length), ui) ? 1 : 0;
    }
    EXPECT_LE(heliumRead, 32u); // only cuts inside the last data line's time or after it
    EXPECT_TRUE(ui.messages.empty());
}

TEST(DamagedFiles, TruncatedMicromassDatFilesAreRefusedByTheirLength) {
    const std::string bytes = sampleBytes("argon_micromass.dat");
    const std::size_t tableEnd = 46 + 5 * 13;
    for (std::size_t length = 0; length < bytes.size(); ++length) {
        test::ScriptedPort ui;
        ASSERT_FALSE(parseMicromassDat(bytes.substr(0, length), ui)) << length;
        const std::string expected = length < 46         ? "Header error(short)"
                                     : length < tableEnd ? "Too small number of peak item."
                                                         : "";
        if (expected.empty()) {
            EXPECT_TRUE(ui.messages.empty()) << length;
        } else {
            ASSERT_EQ(ui.messages.size(), 1u) << length;
            EXPECT_EQ(ui.messages[0].text, expected) << length;
        }
    }
}

TEST(DamagedFiles, FlippedBytesNeverHarmTheSheet) {
    test::SheetSession session;
    ASSERT_TRUE(session.load(test::samplePath("argon_air.pks")).loaded);
    for (const char* name : {"argon_air.pks", "argon_air.dat", "argon_micromass.asc",
                             "helium_micromass.asc", "argon_micromass.dat"}) {
        std::string bytes = sampleBytes(name);
        for (std::size_t at = 0; at < bytes.size(); at += 37) {
            bytes[at] = static_cast<char>(bytes[at] ^ 0x5A);
        }
        const std::string path = session.folder.write(std::string("flipped_") + name, bytes);
        const int rowsBefore = session.grid.GetRowCount();
        const auto noteBefore = currentDataNote();
        if (!session.load(path).loaded) {
            EXPECT_EQ(session.grid.GetRowCount(), rowsBefore) << name;
            ASSERT_TRUE(currentDataNote()) << name;
            EXPECT_EQ(currentDataNote()->path, noteBefore->path) << name;
            EXPECT_EQ(currentDataNote()->tags.size(), noteBefore->tags.size()) << name;
        }
    }
}

} // namespace
} // namespace tarnova
