// The levels and degrees of freedom over which the percentage points of t and F are checked
// against Boost.Math.
#pragma once

namespace tarnova::test {

inline constexpr double kTLevels[] = {1e-6, 1e-5, 1e-4, 1e-3, 0.0015, 0.003, 0.01, 0.025, 0.05,
                                      0.1,  0.16, 0.25, 0.32, 0.45,   0.7,   0.9,  0.999};
inline constexpr int kTDegrees[] = {1,  2,  3,   4,    5,     7,      10,
                                    20, 50, 100, 1000, 10000, 100000, 1000000};

inline constexpr double kFLevels[] = {1e-6, 1e-4, 0.003, 0.025, 0.05, 0.16, 0.32, 0.7, 0.9};
inline constexpr int kFDegrees[] = {1, 2, 3, 5, 10, 30, 100, 1000, 100000, 1000000};

} // namespace tarnova::test
