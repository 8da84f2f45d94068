// A set of the named bits of one enum: the typed form of a flags word.
#pragma once

#include <type_traits>

namespace tarnova {

// The bits of E (an enum class whose enumerators are single bits), combined with |, & and ~.
// The raw word is reached only through fromRaw and raw, where a file, the INI or the run log
// holds the number.
template <typename E> class FlagSet {
  public:
    using Raw = std::underlying_type_t<E>;

    constexpr FlagSet() = default;
    constexpr FlagSet(E flag) : bits_(static_cast<Raw>(flag)) {}

    static constexpr FlagSet fromRaw(Raw bits) {
        FlagSet set;
        set.bits_ = bits;
        return set;
    }
    constexpr Raw raw() const { return bits_; }

    // Whether any bit of flags is set.
    constexpr bool test(FlagSet flags) const { return (bits_ & flags.bits_) != 0; }
    constexpr bool any() const { return bits_ != 0; }
    constexpr bool none() const { return bits_ == 0; }
    constexpr void set(FlagSet flags) { bits_ |= flags.bits_; }
    constexpr void clear(FlagSet flags) { bits_ &= ~flags.bits_; }

    constexpr FlagSet& operator|=(FlagSet other) {
        bits_ |= other.bits_;
        return *this;
    }
    constexpr FlagSet& operator&=(FlagSet other) {
        bits_ &= other.bits_;
        return *this;
    }
    constexpr FlagSet& operator^=(FlagSet other) {
        bits_ ^= other.bits_;
        return *this;
    }
    friend constexpr FlagSet operator|(FlagSet a, FlagSet b) { return fromRaw(a.bits_ | b.bits_); }
    friend constexpr FlagSet operator&(FlagSet a, FlagSet b) { return fromRaw(a.bits_ & b.bits_); }
    friend constexpr FlagSet operator^(FlagSet a, FlagSet b) { return fromRaw(a.bits_ ^ b.bits_); }
    friend constexpr FlagSet operator~(FlagSet a) { return fromRaw(static_cast<Raw>(~a.bits_)); }
    friend constexpr bool operator==(FlagSet, FlagSet) = default;

  private:
    Raw bits_ = 0;
};

// Opts an enum class into | and ~ on its enumerators, which then yield a FlagSet.
template <typename E> struct IsFlagEnum : std::false_type {};

} // namespace tarnova

// In the global namespace, like Qt's operators on its flags, so that they hide no other
// operator | (Qt's key combinations) from code inside the namespace.
template <typename E>
requires tarnova::IsFlagEnum<E>::value constexpr tarnova::FlagSet<E> operator|(E a, E b) {
    return tarnova::FlagSet<E>(a) | tarnova::FlagSet<E>(b);
}
template <typename E>
requires tarnova::IsFlagEnum<E>::value constexpr tarnova::FlagSet<E> operator~(E a) {
    return ~tarnova::FlagSet<E>(a);
}
