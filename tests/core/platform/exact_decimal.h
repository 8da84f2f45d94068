// An independent reference for number texts: the exact decimal expansion of a double, worked
// out with big integers, and printf's f, E and G formats rounded on it half away from zero.
#pragma once

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace tarnova::test {

// The digits of a finite |value|: the whole part, and the decimals produced on demand by long
// division of the binary fraction (every binary fraction ends after as many decimals as it has
// bits).
class ExactDecimal {
  public:
    explicit ExactDecimal(double value) : negative_(std::signbit(value)) {
        int binaryExponent = 0;
        const double fraction = std::frexp(std::fabs(value), &binaryExponent);
        const auto mantissa = static_cast<std::uint64_t>(std::ldexp(fraction, 53));
        const int exponent = binaryExponent - 53;
        if (exponent >= 0) {
            Limbs whole = fromU64(mantissa);
            shiftLeft(whole, exponent);
            whole_ = decimalOf(whole);
            return;
        }
        fractionBits_ = -exponent;
        whole_ = fractionBits_ >= 64 ? "0" : std::to_string(mantissa >> fractionBits_);
        fraction_ = fromU64(
            fractionBits_ >= 64 ? mantissa : mantissa & ((std::uint64_t{1} << fractionBits_) - 1));
        fraction_.resize(static_cast<std::size_t>(fractionBits_ / 32 + 2), 0);
    }

    bool negative() const { return negative_; }
    // The whole part without leading zeros ("0" for none).
    const std::string& whole() const { return whole_; }
    // Decimal i after the point.
    char decimal(std::size_t i) {
        while (decimals_.size() <= i && !isZero(fraction_)) {
            nextNineDecimals();
        }
        return i < decimals_.size() ? decimals_[i] : '0';
    }

  private:
    using Limbs = std::vector<std::uint32_t>; // little-endian, base 2^32

    static Limbs fromU64(std::uint64_t value) {
        return {static_cast<std::uint32_t>(value), static_cast<std::uint32_t>(value >> 32)};
    }
    static bool isZero(const Limbs& limbs) {
        for (std::uint32_t limb : limbs) {
            if (limb != 0) {
                return false;
            }
        }
        return true;
    }
    static void shiftLeft(Limbs& limbs, int bits) {
        limbs.insert(limbs.begin(), static_cast<std::size_t>(bits / 32), 0);
        const int rest = bits % 32;
        if (rest == 0) {
            return;
        }
        std::uint32_t carry = 0;
        for (std::uint32_t& limb : limbs) {
            const std::uint32_t next = limb >> (32 - rest);
            limb = (limb << rest) | carry;
            carry = next;
        }
        if (carry != 0) {
            limbs.push_back(carry);
        }
    }
    static std::string decimalOf(Limbs limbs) {
        std::string digits;
        while (!isZero(limbs)) {
            std::uint64_t remainder = 0;
            for (std::size_t i = limbs.size(); i-- > 0;) {
                const std::uint64_t current = (remainder << 32) | limbs[i];
                limbs[i] = static_cast<std::uint32_t>(current / 1000000000);
                remainder = current % 1000000000;
            }
            std::string chunk = std::to_string(remainder);
            chunk.insert(0, 9 - chunk.size(), '0');
            digits.insert(0, chunk);
        }
        const std::size_t first = digits.find_first_not_of('0');
        return first == std::string::npos ? "0" : digits.substr(first);
    }
    // fraction x 10^9: the bits at and above fractionBits_ are the next nine decimals.
    void nextNineDecimals() {
        std::uint64_t carry = 0;
        for (std::uint32_t& limb : fraction_) {
            const std::uint64_t product = std::uint64_t{limb} * 1000000000 + carry;
            limb = static_cast<std::uint32_t>(product);
            carry = product >> 32;
        }
        const auto word = static_cast<std::size_t>(fractionBits_ / 32);
        const int bit = fractionBits_ % 32;
        std::uint64_t high = fraction_[word] >> bit;
        if (word + 1 < fraction_.size()) {
            high |= std::uint64_t{fraction_[word + 1]} << (32 - bit);
        }
        fraction_[word] &= bit == 0 ? 0 : (std::uint32_t{1} << bit) - 1;
        for (std::size_t i = word + 1; i < fraction_.size(); ++i) {
            fraction_[i] = 0;
        }
        std::string chunk = std::to_string(high);
        chunk.insert(0, 9 - chunk.size(), '0');
        decimals_ += chunk;
    }

    bool negative_;
    std::string whole_;
    Limbs fraction_;
    int fractionBits_ = 0;
    std::string decimals_;
};

// Adds one to the last digit of digits (only digits), carrying; true when a digit was added
// in front.
inline bool incrementDigits(std::string& digits) {
    for (std::size_t i = digits.size(); i-- > 0;) {
        if (digits[i] != '9') {
            ++digits[i];
            return false;
        }
        digits[i] = '0';
    }
    digits.insert(0, 1, '1');
    return true;
}

inline std::string referenceNonFinite(double value, bool upperCase) {
    if (std::isnan(value)) {
        return upperCase ? "NAN" : "nan";
    }
    return std::string(value < 0 ? "-" : "") + (upperCase ? "INF" : "inf");
}

// printf "%.*f", half away from zero: round up exactly when the first dropped decimal is 5 or
// more.
inline std::string referenceFixed(double value, int precision) {
    if (!std::isfinite(value)) {
        return referenceNonFinite(value, false);
    }
    ExactDecimal exact(value);
    std::string digits = exact.whole();
    for (int i = 0; i < precision; ++i) {
        digits += exact.decimal(static_cast<std::size_t>(i));
    }
    if (exact.decimal(static_cast<std::size_t>(precision)) >= '5') {
        incrementDigits(digits);
    }
    const std::size_t whole = digits.size() - static_cast<std::size_t>(precision);
    std::string text = exact.negative() ? "-" : "";
    text += digits.substr(0, whole);
    if (precision > 0) {
        text += '.' + digits.substr(whole);
    }
    return text;
}

// The first significant digits of value, rounded half away from zero, and the decimal exponent
// of the first one.
struct SignificantDigits {
    std::string digits;
    int exponent = 0;
};

inline SignificantDigits referenceSignificant(double value, int count) {
    ExactDecimal exact(value);
    // Digit k of the expansion: the whole part, then the decimals.
    const std::string& whole = exact.whole();
    const auto digitAt = [&](std::size_t k) {
        return k < whole.size() ? whole[k] : exact.decimal(k - whole.size());
    };
    SignificantDigits result;
    if (value == 0) {
        result.digits.assign(static_cast<std::size_t>(count), '0');
        return result;
    }
    std::size_t first = 0;
    if (whole == "0") {
        first = 1;
        while (digitAt(first) == '0') {
            ++first;
        }
    }
    result.exponent = static_cast<int>(whole.size()) - 1 - static_cast<int>(first);
    for (int i = 0; i < count; ++i) {
        result.digits += digitAt(first + static_cast<std::size_t>(i));
    }
    if (digitAt(first + static_cast<std::size_t>(count)) >= '5' && incrementDigits(result.digits)) {
        result.digits.pop_back();
        ++result.exponent;
    }
    return result;
}

inline std::string referenceExponentPart(int exponent) {
    std::string digits = std::to_string(exponent < 0 ? -exponent : exponent);
    digits.insert(0, digits.size() < 3 ? 3 - digits.size() : 0, '0');
    return (exponent < 0 ? "E-" : "E+") + digits;
}

// printf "%.*E" with an exponent of at least three digits.
inline std::string referenceExponent(double value, int precision) {
    if (!std::isfinite(value)) {
        return referenceNonFinite(value, true);
    }
    const SignificantDigits significant = referenceSignificant(value, precision + 1);
    std::string text = std::signbit(value) ? "-" : "";
    text += significant.digits.substr(0, 1);
    if (precision > 0) {
        text += '.' + significant.digits.substr(1);
    }
    return text + referenceExponentPart(significant.exponent);
}

// printf "%.*G" with an exponent of at least three digits.
inline std::string referenceGeneral(double value, int precision) {
    if (!std::isfinite(value)) {
        return referenceNonFinite(value, true);
    }
    const int count = precision == 0 ? 1 : precision;
    const SignificantDigits significant = referenceSignificant(value, count);
    std::string digits = significant.digits;
    const int exponent = significant.exponent;
    std::string text = std::signbit(value) ? "-" : "";
    std::string decimals;
    if (exponent < -4 || exponent >= count) {
        text += digits.substr(0, 1);
        decimals = digits.substr(1);
    } else if (exponent >= 0) {
        text += digits.substr(0, static_cast<std::size_t>(exponent) + 1);
        decimals = digits.substr(static_cast<std::size_t>(exponent) + 1);
    } else {
        text += '0';
        decimals = std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
    }
    while (!decimals.empty() && decimals.back() == '0') {
        decimals.pop_back();
    }
    if (!decimals.empty()) {
        text += '.' + decimals;
    }
    if (exponent < -4 || exponent >= count) {
        text += referenceExponentPart(exponent);
    }
    return text;
}

} // namespace tarnova::test
