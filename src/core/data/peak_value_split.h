// How the readers split a peak value into height and range (value = height x range).
#pragma once

namespace tarnova {

struct HeightAndRange {
    double height = 0.0;
    double range = 1.0;
};

// The native PKS split: range is a power of ten and a positive value gets a height from 1 up
// to 10 (523 gives 5.23 and 100; 0.05 gives 5 and 0.01).
HeightAndRange splitPksValue(double value);

// The split of the Micromass imports: range is ten to the decimal logarithm truncated toward
// zero, one tenth of that when it is below 1 (523 gives 5.23 and 100; 0.5 gives 0.5 and 1;
// 0.05 gives 5 and 0.01; 3.2e-12 gives 3.2 and 1e-12).
HeightAndRange splitMicromassValue(double value);

// The height of both splits is the value's shortest decimal digits with the point moved, read
// as the nearest double (2.76471206E-004 gives 2.76471206 and 1e-4, not a double one unit off
// in the last place, as a division would), and the range the double nearest its power of ten.

// Both splits store a value without a decimal logarithm (zero, negative, not finite) as the
// height with a range of 1, so that no value turns into NaN.

} // namespace tarnova
