#include "platform/text_scanner.h"

#include <gtest/gtest.h>

#include <bit>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>

namespace tarnova {
namespace {

TEST(TextScanner, FollowsScanfPatterns) {
    TextScanner scanner("  12.5x");
    long whole = 0;
    ASSERT_TRUE(scanner.readInt(whole));
    EXPECT_EQ(whole, 12);
    EXPECT_TRUE(scanner.literal('.'));
    ASSERT_TRUE(scanner.readInt(whole));
    EXPECT_EQ(whole, 5);
    EXPECT_FALSE(scanner.readInt(whole));
    EXPECT_EQ(scanner.rest(), "x");

    TextScanner quoted("\"Ar 40\"  rest");
    std::string text;
    ASSERT_TRUE(quoted.literal('"'));
    ASSERT_TRUE(quoted.readBracket(text, "^\""));
    EXPECT_EQ(text, "Ar 40");
    ASSERT_TRUE(quoted.literal("\" "));
    ASSERT_TRUE(quoted.readWord(text, 2));
    EXPECT_EQ(text, "re");
}

// The cases of the review, each with what the C library's scanf makes of it.
TEST(TextScanner, NumbersReadAsTheCLibraryReadsThem) {
    const struct {
        const char* text;
        bool read;
        double value;
        std::size_t used;
    } doubles[] = {
        {"0x1p3", true, 8.0, 5},
        {"infinit", false, 0, 0},
        {"0x", false, 0, 0},
        {"1e", true, 1.0, 2},
        {"1e+", true, 1.0, 3},
        {" -1.5e3 +2", true, -1500, 7},
        {"INFINITY", true, HUGE_VAL, 8},
        {"-inf5", true, -HUGE_VAL, 4},
        {".5", true, 0.5, 2},
        {".", false, 0, 0},
        {"e5", false, 0, 0},
    };
    for (const auto& c : doubles) {
        TextScanner scanner(c.text);
        double value = 0;
        EXPECT_EQ(scanner.readDouble(value), c.read) << c.text;
        EXPECT_EQ(scanner.position(), c.used) << c.text;
        if (c.read) {
            EXPECT_EQ(value, c.value) << c.text;
        }
    }
    long wide = 0;
    TextScanner large("19000000000000000000");
    ASSERT_TRUE(large.readInt(wide));
    EXPECT_EQ(wide, LONG_MAX);
    TextScanner small("-19000000000000000000");
    ASSERT_TRUE(small.readInt(wide));
    EXPECT_EQ(wide, LONG_MIN);
}

// Texts made of the characters that matter to number scanning, in runs that make long numbers,
// exponents, hexadecimal numbers and the words of infinity and NaN likely.
std::string generatedText(std::mt19937_64& random, std::string_view alphabet,
                          const std::string_view* words, std::size_t wordCount) {
    std::string text;
    const auto pieces = random() % 6;
    for (std::uint64_t i = 0; i < pieces; ++i) {
        if (random() % 4 == 0) {
            text += words[random() % wordCount];
        } else {
            text += alphabet[random() % alphabet.size()];
        }
    }
    return text;
}

std::string conversion(std::size_t width, const char* letters) {
    std::string text = "%";
    if (width != 0) {
        text += std::to_string(width);
    }
    return text.append(letters).append("%n");
}

TEST(TextScanner, FloatScanningAgreesWithSscanf) {
    constexpr std::string_view alphabet = " \t+-.0123456789eEpPxXaAbcdfFiInNtTyY,";
    constexpr std::string_view words[] = {
        "inf",   "infinity", "nan",   "0x", "1e", "e+", "99999999999999999999",
        "1e400", "1e-400",   "0x1.8p"};
    std::mt19937_64 random(1515);
    int mismatches = 0;
    for (int i = 0; i < 300000 && mismatches < 10; ++i) {
        const std::string text = generatedText(random, alphabet, words, std::size(words));
        const std::size_t width = random() % 3 == 0 ? 1 + random() % 9 : 0;
        double expected = 0;
        int expectedUsed = -1;
        const bool expectedRead = std::sscanf(text.c_str(), conversion(width, "lf").c_str(),
                                              &expected, &expectedUsed) == 1;
        TextScanner scanner(text);
        double actual = 0;
        const bool actualRead = scanner.readDouble(actual, width);
        const bool same =
            actualRead == expectedRead &&
            (!actualRead ||
             (std::bit_cast<std::uint64_t>(actual) == std::bit_cast<std::uint64_t>(expected) &&
              scanner.position() == static_cast<std::size_t>(expectedUsed)));
        if (!same) {
            ++mismatches;
            ADD_FAILURE() << "\"" << text << "\" width " << width << ": scanf " << expectedRead
                          << " " << expected << " (" << expectedUsed << "), scanner " << actualRead
                          << " " << actual << " (" << scanner.position() << ")";
        }
    }
}

// Long decimal numbers, where rounding to the nearest double is hardest: the texts of random
// doubles at 17 and 25 digits, near-halfway mantissas of up to 40 digits, and exponents from the
// subnormal range to overflow, each read bit for bit as sscanf reads it.
TEST(TextScanner, LongDecimalNumbersRoundAsSscanfRoundsThem) {
    std::mt19937_64 random(1517);
    int mismatches = 0;
    for (int i = 0; i < 200000 && mismatches < 10; ++i) {
        char text[96];
        const double bits = std::bit_cast<double>(random() & ~(std::uint64_t(1) << 63));
        switch (i % 3) {
        case 0:
            std::snprintf(text, sizeof text, "%.16e", std::isfinite(bits) ? bits : 1.5);
            break;
        case 1:
            std::snprintf(text, sizeof text, "%.24e", std::isfinite(bits) ? bits : 1.5);
            break;
        default: {
            // A mantissa of 17 to 40 digits ending in 5000... or 4999...: a tie or just below.
            std::string digits = std::to_string(1 + random() % 9);
            const std::size_t length = 17 + random() % 24;
            while (digits.size() < length - 4) {
                digits += static_cast<char>('0' + random() % 10);
            }
            digits += random() % 2 == 0 ? "5000" : "4999";
            const int exponent = static_cast<int>(random() % 660) - 340;
            std::snprintf(text, sizeof text, "%s%c.%se%d", random() % 4 == 0 ? "-" : "", digits[0],
                          digits.c_str() + 1, exponent);
        }
        }
        double expected = 0;
        int expectedUsed = -1;
        ASSERT_EQ(std::sscanf(text, "%lf%n", &expected, &expectedUsed), 1) << text;
        TextScanner scanner(text);
        double actual = 0;
        const bool same =
            scanner.readDouble(actual) &&
            std::bit_cast<std::uint64_t>(actual) == std::bit_cast<std::uint64_t>(expected) &&
            scanner.position() == static_cast<std::size_t>(expectedUsed);
        if (!same) {
            ++mismatches;
            ADD_FAILURE() << text << ": scanf " << expected << ", scanner " << actual;
        }
    }
}

TEST(TextScanner, IntegerScanningAgreesWithSscanf) {
    constexpr std::string_view alphabet = " \t+-0123456789xX.a";
    constexpr std::string_view words[] = {"9223372036854775807",  "9223372036854775808",
                                          "18446744073709551616", "2147483648",
                                          "4294967296",           "00000000000000000000001"};
    std::mt19937_64 random(1516);
    int mismatches = 0;
    for (int i = 0; i < 200000 && mismatches < 10; ++i) {
        const std::string text = generatedText(random, alphabet, words, std::size(words));
        const std::size_t width = random() % 3 == 0 ? 1 + random() % 12 : 0;
        long expectedLong = 0;
        int expectedInt = 0;
        int usedLong = -1;
        int usedInt = -1;
        const bool readLong = std::sscanf(text.c_str(), conversion(width, "ld").c_str(),
                                          &expectedLong, &usedLong) == 1;
        const bool readInt =
            std::sscanf(text.c_str(), conversion(width, "d").c_str(), &expectedInt, &usedInt) == 1;
        TextScanner longScanner(text);
        long actualLong = 0;
        TextScanner intScanner(text);
        int actualInt = 0;
        const bool sameLong =
            longScanner.readInt(actualLong, width) == readLong &&
            (!readLong || (actualLong == expectedLong &&
                           longScanner.position() == static_cast<std::size_t>(usedLong)));
        const bool sameInt =
            intScanner.readInt(actualInt, width) == readInt &&
            (!readInt || (actualInt == expectedInt &&
                          intScanner.position() == static_cast<std::size_t>(usedInt)));
        if (!sameLong || !sameInt) {
            ++mismatches;
            ADD_FAILURE() << "\"" << text << "\" width " << width << ": scanf " << expectedLong
                          << "/" << expectedInt << ", scanner " << actualLong << "/" << actualInt;
        }
    }
}

} // namespace
} // namespace tarnova
