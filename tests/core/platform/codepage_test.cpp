#include "platform/codepage.h"

#include <gtest/gtest.h>

namespace tarnova {
namespace {

constexpr const char* kReplacement = "\xEF\xBF\xBD";

TEST(Codepage, DecodesJapaneseAndReplacesWhatCodePage932DoesNotHold) {
    const std::string utf8 = "試料：玄武岩";
    const std::string sjis = utf8ToCp932(utf8);
    EXPECT_NE(sjis, utf8);
    EXPECT_EQ(cp932ToUtf8(sjis), utf8);
    const struct {
        const char* bytes;
        std::string text;
    } cases[] = {
        {"Ar40", "Ar40"},
        // A lead byte at the end of the text.
        {"\x82", kReplacement},
        {"A\x82", std::string("A") + kReplacement},
        // An unassigned pair and a pair with an invalid second byte: one replacement each, the
        // second byte never read as a character of its own.
        {"\x85\x40", kReplacement},
        {"\x85\x40x", std::string(kReplacement) + "x"},
        {"\x82\x20"
         "A",
         std::string(kReplacement) + "A"},
        {"\x82\xA0\x85\x40\x82\xA0", "あ" + std::string(kReplacement) + "あ"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(cp932ToUtf8(c.bytes), c.text) << c.bytes;
    }
}

// A cut never splits a double-byte character: lead bytes are 0x81 to 0x9F and 0xE0 to 0xFC, the
// bytes next to those ranges stand alone.
TEST(Codepage, CutsKeepDoubleByteCharactersWholeAtTheEdgesOfTheLeadRanges) {
    const struct {
        unsigned char first;
        bool lead;
    } cases[] = {{0x80, false}, {0x81, true}, {0x9F, true}, {0xA0, false},
                 {0xDF, false}, {0xE0, true}, {0xFC, true}, {0xFD, false}};
    for (const auto& c : cases) {
        const std::string text = std::string("A") + static_cast<char>(c.first) +
                                 "\x40"
                                 "B";
        EXPECT_EQ(cutCp932(text, 2), text.substr(0, c.lead ? 1 : 2)) << int(c.first);
        EXPECT_EQ(cutCp932(text, 3), text.substr(0, 3)) << int(c.first);
    }
}

} // namespace
} // namespace tarnova
