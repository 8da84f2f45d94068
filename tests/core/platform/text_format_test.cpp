#include "core/platform/exact_decimal.h"
#include "platform/text_format.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <random>
#include <vector>

namespace tarnova {
namespace {

using test::referenceExponent;
using test::referenceFixed;
using test::referenceGeneral;

constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

struct FormatCase {
    double value;
    int width;
    int precision;
    bool zeroPad;
    const char* fixed;    // "%*.*f" or "%0*.*f"
    const char* exponent; // "%*.*E" or "%0*.*E", exponent widened
};

TEST(TextFormat, FixedAndExponentFormsWithWidthsAndTies) {
    const FormatCase cases[] = {
        {1234.5, 10, 3, false, "  1234.500", "1.235E+003"},
        {0.0, 10, 3, true, "000000.000", "0.000E+000"},
        {-2.5e-7, 12, 2, false, "       -0.00", "  -2.50E-007"},
        {-2.5e-7, 12, 2, true, "-00000000.00", "-002.50E-007"},
        {1.5, 8, 5, true, "01.50000", "1.50000E+000"},
        {123.25, 8, 5, true, "123.25000", "1.23250E+002"},
        {-1.5, 6, 2, true, "-01.50", "-1.50E+000"},
        // Exact ties round away from zero; 2.675 lies just below its tie.
        {0.125, 0, 2, false, "0.13", "1.25E-001"},
        {-0.125, 0, 2, false, "-0.13", "-1.25E-001"},
        {2.675, 0, 2, false, "2.67", "2.67E+000"},
        {0.5, 0, 0, false, "1", "5E-001"},
        {2.5, 0, 0, false, "3", "3E+000"},
        {9.5, 0, 0, false, "10", "1E+001"},
        {9999995.0, 0, 5, false, "9999995.00000", "1.00000E+007"},
        {1234568.5, 0, 6, false, "1234568.500000", "1.234569E+006"},
        // A time whose tie lies beyond the point of a nudged neighbour: one step of the double
        // is larger than half a unit of the last digit.
        {2954282032489.609375, 8, 5, true, "2954282032489.60938", "2.95428E+012"},
        {1.45639801025390625, 0, 16, false, "1.4563980102539063", "1.4563980102539063E+000"},
        {1e300, 0, 1, false, nullptr, "1.0E+300"},
        {1e22, 0, 0, false, "10000000000000000000000", "1E+022"},
        {-0.0, 6, 2, true, "-00.00", "-0.00E+000"},
        {kInfinity, 6, 2, true, "   inf", "   INF"},
        {-kInfinity, 0, 2, false, "-inf", "-INF"},
        {kNaN, 5, 2, true, "  nan", "  NAN"},
        {-kNaN, 0, 2, false, "nan", "NAN"},
    };
    for (const FormatCase& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.value << " width " << c.width << " precision " << c.precision);
        if (c.fixed != nullptr) {
            EXPECT_EQ(formatFixed(c.value, c.width, c.precision, c.zeroPad), c.fixed);
        }
        EXPECT_EQ(formatExponent(c.value, c.width, c.precision, c.zeroPad), c.exponent);
    }
    EXPECT_EQ(widenExponents("1.5E+01\t2.0e-10"), "1.5E+001\t2.0e-010");
    EXPECT_EQ(widenExponents("Sample E-1"), "Sample E-1");
    EXPECT_EQ(formatText("%0*.*f", 60, 2, 1.5).substr(55), "01.50");
}

// "%G" with wide exponents; ties round away from zero where the C library rounds to even.
TEST(TextFormat, GeneralFormat) {
    const struct {
        double value;
        int precision;
        const char* text;
    } cases[] = {
        {0.2, 6, "0.2"},
        {150.0, 6, "150"},
        {1.5e-7, 6, "1.5E-007"},
        {-2.5e12, 6, "-2.5E+012"},
        {1234.125, 6, "1234.13"},
        {-1234.125, 6, "-1234.13"},
        {2.5, 1, "3"},
        {2.5, 0, "3"},
        {999999.5, 6, "1E+006"},
        {123456789.5, 8, "1.2345679E+008"},
        {0.1 + 0.2, 6, "0.3"},
        {0.0001, 6, "0.0001"},
        {0.00001, 6, "1E-005"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(formatGeneral(c.value, c.precision), c.text) << c.value;
    }
}

enum class Form { Fixed, Exponent, General };

std::string formatted(Form form, double value, int precision) {
    switch (form) {
    case Form::Fixed:
        return formatFixed(value, 0, precision);
    case Form::Exponent:
        return formatExponent(value, 0, precision);
    case Form::General:
        return formatGeneral(value, precision);
    }
    return {};
}

std::string reference(Form form, double value, int precision) {
    switch (form) {
    case Form::Fixed:
        return referenceFixed(value, precision);
    case Form::Exponent:
        return referenceExponent(value, precision);
    case Form::General:
        return referenceGeneral(value, precision);
    }
    return {};
}

// Compares every form at every precision of precisions; returns the number of mismatches and
// reports the first few.
int compareWithReference(double value, const std::vector<int>& precisions, int& reported) {
    int mismatches = 0;
    for (Form form : {Form::Fixed, Form::Exponent, Form::General}) {
        for (int precision : precisions) {
            const std::string expected = reference(form, value, precision);
            const std::string actual = formatted(form, value, precision);
            if (actual == expected) {
                continue;
            }
            ++mismatches;
            if (++reported <= 10) {
                ADD_FAILURE() << std::hexfloat << value << " form " << static_cast<int>(form)
                              << " precision " << precision << ": " << actual << " instead of "
                              << expected;
            }
        }
    }
    return mismatches;
}

double fromBits(std::uint64_t bits) {
    return std::bit_cast<double>(bits);
}

// The shortest text that reads back: the expected texts are Python's repr() of the same
// doubles (without its ".0" on whole numbers).
TEST(TextFormat, ShortestDecimalIsPythonsRepr) {
    const struct {
        double value;
        const char* text;
    } cases[] = {
        {0.0001, "0.0001"},
        {1e-05, "1e-05"},
        {2.76471206, "2.76471206"},
        {2.7647120600000004, "2.7647120600000004"},
        {0.000276471206, "0.000276471206"},
        {0.0002764712060000001, "0.0002764712060000001"},
        {0.1 + 0.2, "0.30000000000000004"},
        {1e15, "1000000000000000"},
        {9999999999999998.0, "9999999999999998"},
        {1e16, "1e+16"},
        {100000.0, "100000"},
        {0.00012345, "0.00012345"},
        {1.2345e-05, "1.2345e-05"},
        {-2.5, "-2.5"},
        {-0.0, "-0"},
        {0.0, "0"},
        {5e-324, "5e-324"},
        {1.7976931348623157e308, "1.7976931348623157e+308"},
        {1.0 / 3, "0.3333333333333333"},
        {120.0, "120"},
        {1e22, "1e+22"},
        {1.5e20, "1.5e+20"},
        {9007199254740992.0, "9007199254740992"},
        {kInfinity, "inf"},
        {-kInfinity, "-inf"},
        {kNaN, "nan"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(shortestDecimal(c.value), c.text);
    }
    // Beyond 1e16, plain notation stays where it is no longer than the exponent form.
    EXPECT_EQ(shortestDecimal(123456789012345678.0), "123456789012345680");
    EXPECT_EQ(shortestDecimal(-1.2345678901234567e20), "-123456789012345667584");
}

// Random doubles of every magnitude read back as themselves.
TEST(TextFormat, ShortestDecimalReadsBackAsTheSameDouble) {
    std::mt19937_64 generator(20261206);
    for (int k = 0; k < 100000; ++k) {
        const double value = std::bit_cast<double>(generator());
        if (!std::isfinite(value)) {
            continue;
        }
        const std::string text = shortestDecimal(value);
        ASSERT_EQ(std::strtod(text.c_str(), nullptr), value) << text;
    }
}

TEST(TextFormatReference, EdgeValuesAgreeWithTheExactExpansion) {
    std::vector<double> values = {0.0,
                                  -0.0,
                                  kInfinity,
                                  -kInfinity,
                                  kNaN,
                                  -kNaN,
                                  1e308,
                                  -1e308,
                                  std::numeric_limits<double>::max(),
                                  std::numeric_limits<double>::min(),
                                  std::numeric_limits<double>::denorm_min(),
                                  -std::numeric_limits<double>::denorm_min(),
                                  fromBits(0x000FFFFFFFFFFFFFULL), // largest subnormal
                                  5e-324 * 12345};
    const std::size_t specialCount = values.size();
    // Powers of ten and their neighbours, from the subnormals to the largest.
    for (int k = -323; k <= 308; ++k) {
        const double power = std::strtod(("1e" + std::to_string(k)).c_str(), nullptr);
        values.insert(values.end(), {power, std::nextafter(power, 0.0),
                                     std::nextafter(power, kInfinity), -power});
    }
    std::vector<int> precisions;
    for (int p = 0; p <= 17; ++p) {
        precisions.push_back(p);
    }
    // Long texts for the special values and every eighth power of ten or neighbour.
    const std::vector<int> longPrecisions{40, 254};
    int reported = 0;
    int mismatches = 0;
    for (std::size_t i = 0; i < values.size(); ++i) {
        mismatches += compareWithReference(values[i], precisions, reported);
        if (i < specialCount || i % 8 == 0) {
            mismatches += compareWithReference(values[i], longPrecisions, reported);
        }
    }
    EXPECT_EQ(mismatches, 0);
}

// Exact ties: an odd multiple of 2^-(q + 1) lies halfway between two numbers of q decimals;
// an odd multiple of 5^k x 2^(k - 1) halfway between two multiples of 10^k.
TEST(TextFormatReference, ExactTiesAtManyPositionsRoundAwayFromZero) {
    std::mt19937_64 random(15);
    int reported = 0;
    int mismatches = 0;
    for (int q = 0; q <= 60; ++q) {
        for (int i = 0; i < 200; ++i) {
            const int bits = 1 + static_cast<int>(random() % 53);
            const std::uint64_t odd = (random() >> (64 - bits)) | 1;
            const double tie = std::ldexp(static_cast<double>(odd), -(q + 1));
            const double value = (i % 2 == 0) ? tie : -tie;
            ASSERT_EQ(formatFixed(value, 0, q), referenceFixed(value, q));
            // The exponent forms meet the same tie at the precision that ends at decimal q.
            const int digitsBefore = static_cast<int>(std::floor(std::log10(std::fabs(value))));
            for (int precision = q + digitsBefore - 1; precision <= q + digitsBefore + 1;
                 ++precision) {
                if (precision >= 0) {
                    mismatches += compareWithReference(value, {precision}, reported);
                }
            }
        }
    }
    for (int k = 1; k <= 22; ++k) {
        std::uint64_t power = 1;
        for (int i = 0; i < k; ++i) {
            power *= 5;
        }
        for (std::uint64_t odd = 1; odd < 40 && power * odd < (std::uint64_t{1} << 53); odd += 2) {
            const double value = std::ldexp(static_cast<double>(power * odd), k - 1);
            std::vector<int> precisions;
            for (int p = 0; p <= 22; ++p) {
                precisions.push_back(p);
            }
            mismatches += compareWithReference(value, precisions, reported);
        }
    }
    EXPECT_EQ(mismatches, 0);
}

// A million random doubles (random bit patterns, and short binary fractions, which meet ties
// often) in every form at random precisions, in ten shards of 100,000.
class TextFormatSweep : public testing::TestWithParam<int> {};

TEST_P(TextFormatSweep, RandomDoublesAgreeWithTheExactExpansion) {
    std::mt19937_64 random(static_cast<std::uint64_t>(GetParam()) * 7919 + 1);
    int reported = 0;
    int mismatches = 0;
    for (int i = 0; i < 100000; ++i) {
        double value = 0.0;
        if (i % 4 == 3) {
            // A short binary fraction of moderate size: value = n / 2^s.
            const auto numerator = static_cast<std::int64_t>(random() >> 20) - (1LL << 43);
            value = std::ldexp(static_cast<double>(numerator), -static_cast<int>(random() % 60));
        } else {
            value = fromBits(random());
        }
        const auto precisionRoll = random() % 100;
        const int precision = precisionRoll < 90 ? static_cast<int>(precisionRoll % 20)
                                                 : static_cast<int>(random() % 80);
        const Form form = static_cast<Form>(random() % 3);
        const std::string expected = reference(form, value, precision);
        const std::string actual = formatted(form, value, precision);
        if (actual != expected) {
            ++mismatches;
            if (++reported <= 10) {
                ADD_FAILURE() << std::hexfloat << value << " form " << static_cast<int>(form)
                              << " precision " << precision << ": " << actual << " instead of "
                              << expected;
            }
        }
    }
    EXPECT_EQ(mismatches, 0);
}

INSTANTIATE_TEST_SUITE_P(MillionValues, TextFormatSweep, testing::Range(0, 10));

} // namespace
} // namespace tarnova
