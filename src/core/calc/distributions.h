// Percentage points of Student's t and of the F distribution, and the routines beneath them.
// Failure is signalled in the result: kNoDistributionValue, except NormalQuantile, which gives 0.
#pragma once

namespace tarnova {

// The answer of a routine below that cannot give a value (too few degrees of freedom, a
// probability or parameter out of range). It stays a number rather than an empty answer: the
// calculation stores it as a critical value or t factor, a negative critical value makes its
// test reject, and sheets and IRD files show it as it is.
inline constexpr double kNoDistributionValue = -1.0;

// t with P(T > t) = p for Student's t with n degrees of freedom (one-sided; a two-sided
// test at level alpha asks for alpha / 2). p = 0 gives 0; p above one half gives the
// negative point. kNoDistributionValue when n < 1, p < 0 or p >= 1.
double TQuantile(double p, int n);

// f with P(F > f) = p for the F distribution with m and n degrees of freedom. p = 0 and
// p = 1 give 0; kNoDistributionValue when m < 1, n < 1 or p lies outside [0, 1].
double FQuantile(double p, int m, int n);

// x with I_x(a, b) = p. p = 0 gives 0 and p = 1 gives 1; kNoDistributionValue when p lies outside
// [0, 1] or a or b is not positive or exceeds 1e10.
double InverseBeta(double p, double a, double b);

// The regularised incomplete beta function I_x(a, b) = P(Beta(a, b) <= x) for a and b that
// are multiples of one half; kNoDistributionValue when x lies outside [0, 1], a or b is not
// positive or exceeds 1e10, or 2a or 2b is not a whole number. x = 0 gives 0 whatever a and b.
double IncompleteBeta(double x, double a, double b);

// Gamma(x) for positive x by a rational approximation: about 8 significant digits, 14 at
// whole numbers; kNoDistributionValue when x is not positive or the approximation's denominator is
// zero. Infinite above about 171.6, where Gamma(x) exceeds the double range.
double GammaFunction(double x);

// z with P(Z > z) = p for the standard normal distribution, for 0 < p <= 0.5; 0 otherwise.
double NormalQuantile(double p);

// P(Z > x) for the standard normal distribution, to about 7 significant digits.
double NormalUpperTail(double x);

} // namespace tarnova
