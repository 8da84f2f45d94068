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

} // namespace
} // namespace tarnova
