#include "calc/distributions.h"

#include <math.h>

#include <cmath>
#include <limits>

namespace tarnova {
namespace {

constexpr double kInvSqrtTwoPi = 0.3989422804014327;
constexpr double kInfinity = std::numeric_limits<double>::infinity();
// Gamma(x) exceeds the double range above this.
constexpr double kGammaOverflow = 171.7;

double normalDensity(double x) {
    return kInvSqrtTwoPi * std::exp(-x * x / 2);
}

// ln Gamma(x). lgamma also stores the sign of Gamma(x) in the process-wide signgam, which
// calculations on several threads at once (the batch reduction) would race on; lgamma_r gives
// the same value and keeps the sign to itself.
double logGamma(double x) {
    int sign = 0;
    return ::lgamma_r(x, &sign);
}

bool isHalfInteger(double v) {
    return std::floor(2 * v) == 2 * v;
}

// Beta parameters beyond this (five times the largest whole number of degrees of freedom)
// are refused: they would only cost time.
constexpr double kMaxParameter = 1e10;

bool isParameter(double v) {
    return v > 0 && v <= kMaxParameter;
}

// A point of (0, 1) held as its logit z = ln(x / (1 - x)), so that both x and 1 - x keep
// their full relative precision however close x lies to 0 or to 1.
struct UnitPoint {
    double logit;
    double x;
    double y; // 1 - x
    double logX;
    double logY;
};

UnitPoint unitPointFromLogit(double z) {
    // ln x = -ln(1 + e^-z), written so that the exponential cannot overflow.
    const double logX = z < 0 ? z - std::log1p(std::exp(z)) : -std::log1p(std::exp(-z));
    const double logY = logX - z;
    return {z, std::exp(logX), std::exp(logY), logX, logY};
}

// Stirling's correction ln Gamma(a) - ((a - 1/2) ln a - a + ln(2 pi) / 2), for a >= 10.
double stirlingCorrection(double a) {
    const double r = 1 / (a * a);
    return (1.0 / 12 -
            r * (1.0 / 360 -
                 r * (1.0 / 1260 - r * (1.0 / 1680 - r * (1.0 / 1188 - r * 691.0 / 360360))))) /
           a;
}

// ln(x^a (1 - x)^b / B(a, b)). With large a or b the logarithms of the gamma functions are
// huge and nearly cancel; Stirling's series then gives the differences directly, so that
// the result keeps its precision at a million degrees of freedom.
double logBetaKernel(const UnitPoint& at, double a, double b) {
    constexpr double kLarge = 10;
    constexpr double kHalfLogTwoPi = 0.9189385332046728;
    if (a < kLarge && b < kLarge) {
        return a * at.logX + b * at.logY - (logGamma(a) + logGamma(b) - logGamma(a + b));
    }
    const double sum = a + b;
    if (a >= kLarge && b >= kLarge) {
        // a ln(x (a + b) / a) + b ln((1 - x) (a + b) / b), near the mean by log1p.
        const double offset = at.x * b - at.y * a; // x (a + b) - a
        const double termA = std::fabs(offset) < a / 2 ? a * std::log1p(offset / a)
                                                       : a * (at.logX + std::log(sum / a));
        const double termB = std::fabs(offset) < b / 2 ? b * std::log1p(-offset / b)
                                                       : b * (at.logY + std::log(sum / b));
        return termA + termB + (std::log(a) + std::log(b) - std::log(sum)) / 2 - kHalfLogTwoPi -
               stirlingCorrection(a) - stirlingCorrection(b) + stirlingCorrection(sum);
    }
    // One large parameter: ln Gamma(large) - ln Gamma(large + small) by Stirling.
    const double large = std::fmax(a, b);
    const double small = std::fmin(a, b);
    const double gammaRatio = -(large - 0.5) * std::log1p(small / large) - small * std::log(sum) +
                              small + stirlingCorrection(large) - stirlingCorrection(sum);
    return a * at.logX + b * at.logY - (logGamma(small) + gammaRatio);
}

// The continued fraction of I_x(a, b) (modified Lentz); it converges quickly for
// x < (a + 1) / (a + b + 2).
double betaContinuedFraction(double x, double a, double b) {
    constexpr double kTiny = 1e-300;
    constexpr double kEpsilon = 1e-15;
    constexpr int kMaxTerms = 100000;
    const auto guard = [](double v) { return std::fabs(v) < kTiny ? kTiny : v; };
    double c = 1;
    double d = 1 / guard(1 - (a + b) * x / (a + 1));
    double h = d;
    for (int m = 1; m <= kMaxTerms; ++m) {
        const double m2 = 2.0 * m;
        double term = m * (b - m) * x / ((a - 1 + m2) * (a + m2));
        d = 1 / guard(1 + term * d);
        c = guard(1 + term / c);
        h *= d * c;
        term = -(a + m) * (a + b + m) * x / ((a + m2) * (a + 1 + m2));
        d = 1 / guard(1 + term * d);
        c = guard(1 + term / c);
        const double delta = d * c;
        h *= delta;
        if (std::fabs(delta - 1) < kEpsilon) {
            break;
        }
    }
    return h;
}

// Both tails of Beta(a, b) at a point, each accurate relative to its own size where it is
// the small one, and the density term x^a (1 - x)^b / B(a, b).
struct BetaTails {
    double lower; // I_x(a, b)
    double upper; // 1 - I_x(a, b)
    double kernel;
};

BetaTails betaTails(const UnitPoint& at, double a, double b) {
    const double kernel = std::exp(logBetaKernel(at, a, b));
    if (at.x < (a + 1) / (a + b + 2)) {
        const double lower = kernel * betaContinuedFraction(at.x, a, b) / a;
        return {lower, 1 - lower, kernel};
    }
    const double upper = kernel * betaContinuedFraction(at.y, b, a) / b;
    return {1 - upper, upper, kernel};
}

// The logit of the normal-approximation guess for I_x(a, b) = p: the cube-root
// approximation of the F distribution, with z the normal point of the smaller tail.
// NaN when the approximation has no real solution.
double initialLogit(double p, double a, double b) {
    const double tail = p <= 0.5 ? p : 1 - p;
    double z = NormalQuantile(tail);
    if (p > 0.5) {
        z = -z;
    }
    const double c1 = 1 / (9 * b);
    const double c2 = 1 / (9 * a);
    const double d1 = 1 - c1;
    const double d2 = 1 - c2;
    const double discriminant = d1 * d1 * c2 + d2 * d2 * c1 - c1 * c2 * z * z;
    const double denominator = d2 * d2 - c2 * z * z;
    if (discriminant < 0 || denominator <= 0) {
        return std::nan("");
    }
    // w is the cube root of the upper point of F(2b, 2a); x = a / (a + b w^3).
    const double w = (std::sqrt(discriminant) * z + d1 * d2) / denominator;
    if (w <= 0) {
        return std::nan("");
    }
    return std::log(a) - std::log(b) - 3 * std::log(w);
}

// Solves I_x(a, b) = p for 0 < p < 1 and positive a, b: Newton's method on the logarithm of
// the smaller tail as a function of the logit of x, kept inside a bracket of the root and
// falling back to bisection. That logarithm is concave in the logit, so the iteration is
// well behaved from any start, and the logit keeps the precision of x near 0 and near 1.
UnitPoint solveBeta(double p, double a, double b) {
    const bool lowerTail = p <= 0.5;
    const double logTarget = std::log(lowerTail ? p : 1 - p);
    // h(z) rises with z: ln(lower) - ln(p), or ln(1 - p) - ln(upper).
    double low = -kInfinity;
    double high = kInfinity;
    double z = initialLogit(p, a, b);
    if (!std::isfinite(z)) {
        z = std::log(a) - std::log(b);
    }
    constexpr double kMaxStep = 16;
    constexpr int kMaxIterations = 400;
    UnitPoint at = unitPointFromLogit(z);
    for (int i = 0; i < kMaxIterations; ++i) {
        at = unitPointFromLogit(z);
        const BetaTails tails = betaTails(at, a, b);
        const double tail = lowerTail ? tails.lower : tails.upper;
        double next;
        if (!(tail > 0)) {
            // Underflow far out in the tail: the root lies towards the bulk.
            (lowerTail ? low : high) = z;
            next = lowerTail ? z + kMaxStep : z - kMaxStep;
        } else {
            const double h = lowerTail ? std::log(tail) - logTarget : logTarget - std::log(tail);
            if (h == 0) {
                return at;
            }
            (h < 0 ? low : high) = z;
            const double slope = tails.kernel / tail;
            const double step = std::fmax(-kMaxStep, std::fmin(kMaxStep, -h / slope));
            next = std::isfinite(step) ? z + step : (h < 0 ? z + kMaxStep : z - kMaxStep);
        }
        const double tolerance = 1e-12 * std::fmax(1.0, std::fabs(z));
        if (std::fabs(next - z) <= tolerance || high - low <= tolerance) {
            return unitPointFromLogit(next);
        }
        if (!(next > low && next < high)) {
            if (std::isinf(high)) {
                next = low + kMaxStep;
            } else if (std::isinf(low)) {
                next = high - kMaxStep;
            } else {
                next = (low + high) / 2;
            }
        }
        z = next;
    }
    return at;
}

} // namespace

double TQuantile(double p, int n) {
    if (n < 1 || !(p >= 0 && p < 1)) {
        return kNoDistributionValue;
    }
    if (p == 0 || p == 0.5) {
        return 0;
    }
    if (p > 0.5) {
        return -TQuantile(1 - p, n);
    }
    // P(|T| > t) = I_x(n/2, 1/2) with x = n / (n + t^2), so t^2 = n (1 - x) / x.
    const UnitPoint x = solveBeta(2 * p, n / 2.0, 0.5);
    return std::sqrt(static_cast<double>(n)) * std::exp(-x.logit / 2);
}

double FQuantile(double p, int m, int n) {
    if (m < 1 || n < 1 || !(p >= 0 && p <= 1)) {
        return kNoDistributionValue;
    }
    if (p == 0 || p == 1) {
        return 0;
    }
    // P(F > f) = I_x(n/2, m/2) with x = n / (n + m f), so f = n (1 - x) / (m x).
    const UnitPoint x = solveBeta(p, n / 2.0, m / 2.0);
    return static_cast<double>(n) / m * std::exp(-x.logit);
}

double InverseBeta(double p, double a, double b) {
    if (!(p >= 0 && p <= 1) || !isParameter(a) || !isParameter(b)) {
        return kNoDistributionValue;
    }
    if (p == 0 || p == 1) {
        return p;
    }
    return solveBeta(p, a, b).x;
}

double IncompleteBeta(double x, double a, double b) {
    if (!(x >= 0 && x <= 1) || !isParameter(a) || !isParameter(b)) {
        return kNoDistributionValue;
    }
    if (x == 0) {
        return 0;
    }
    if (!isHalfInteger(a) || !isHalfInteger(b)) {
        return kNoDistributionValue;
    }
    if (x == 1) {
        return 1;
    }
    const double logX = std::log(x);
    const double logY = std::log1p(-x);
    const UnitPoint at{logX - logY, x, 1 - x, logX, logY};
    return betaTails(at, a, b).lower;
}

double GammaFunction(double x) {
    if (!(x > 0)) {
        return kNoDistributionValue;
    }
    if (x > kGammaOverflow) {
        return kInfinity;
    }
    // w = Gamma(x) / Gamma(f + 2), f the fraction of x.
    double w = 1 / ((x + 1) * x);
    for (double t = x - 1; t >= 0; t -= 1) {
        w *= t + 2;
    }
    const double f = x - std::trunc(x);
    const double numerator =
        (((-45.30104765151624 * f - 261.0284950616458) * f - 1817.799191156434) * f -
         4954.768972677267) *
            f -
        13572.65011103686;
    const double denominator =
        ((((((f - 16.160629773462) * f + 93.7769173224393) * f - 124.7947256227383) * f -
           931.1785045593485) *
              f +
          3440.699241346454) *
             f +
         783.5348800559552) *
            f -
        13572.65011103691;
    if (denominator == 0) {
        return kNoDistributionValue;
    }
    return w * numerator / denominator;
}

double NormalQuantile(double p) {
    if (!(p > 0 && p <= 0.5)) {
        return 0;
    }
    const double y = -std::log(4 * p * (1 - p));
    double z = std::sqrt(y * (2.0611786 - 5.7262204 / (y + 11.640595)));
    for (int i = 0; i < 10; ++i) {
        const double density = normalDensity(z);
        if (density == 0) {
            break;
        }
        const double next = z + (NormalUpperTail(z) - p) / density;
        if (std::fabs(next - z) < 1e-8) {
            return next;
        }
        z = next;
    }
    return z;
}

double NormalUpperTail(double x) {
    const double y = std::fabs(x);
    const double density = normalDensity(x);
    double q;
    if (y < 1.8) {
        // The integral from 0 to y as a continued fraction.
        double s = 0;
        double sign = -1;
        for (int k = 28; k >= 1; --k) {
            s = k * x * x / (2 * k + 1 + sign * s);
            sign = -sign;
        }
        q = 0.5 - density * y / (1 - s);
    } else {
        // Laplace's continued fraction of the tail.
        double s = 0;
        for (int k = 28; k >= 1; --k) {
            s = k / (y + s);
        }
        q = density / (y + s);
    }
    return x < 0 ? 1 - q : q;
}

} // namespace tarnova
