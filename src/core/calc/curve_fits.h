// Least-squares fits of value against time beyond the straight line: the parabola
// b0 + b1 t + b2 t^2 (orthogonal decomposition of the design matrix) and the exponential
// a exp(-b t) + c (Levenberg-Marquardt). Each gives its coefficients,
// their covariance s^2 (X^T X)^-1 with the unbiased residual variance s^2, and the value at time
// zero with its variance.
#pragma once

#include <array>
#include <span>
#include <string>

namespace tarnova {

struct TimedValue {
    double time = 0.0;
    double value = 0.0;
};

struct CurveFit {
    bool ok = false;
    std::string failure;                  // why the fit failed (English, for the run log)
    int parameters = 0;                   // p: 3, 3 or 1
    std::array<double, 3> coefficients{}; // b0, b1, b2 / a, b, c / mean
    std::array<double, 9> covariance{};   // row-major, with the unbiased residual variance
    double residualSquares = 0.0;         // sum of squared residuals
    double valueAtZero = 0.0;
    double valueAtZeroVariance = 0.0; // with the unbiased residual variance
};

// The parabola through the points: at least 3 points with 3 distinct times. Times are centred
// on their mean and scaled by their spread before the decomposition, so that the columns 1, u,
// u^2 are well conditioned whatever the time scale.
CurveFit FitParabola(std::span<const TimedValue> points);

// a exp(-b t) + c: at least 4 points; start values from the data (the rate that fits best on
// a logarithmic grid, with a and c solved for it). Fails when the iteration does not converge
// or the curvature is not determined (rate at 0, singular Jacobian).
CurveFit FitExponential(std::span<const TimedValue> points);

// The value of a curve at time t from its coefficients (the mean: coefficient 0 at every time),
// and the variance of that value from the coefficient covariance (the delta method for the
// exponential).
enum class CurveKind { Parabola, Exponential, Mean };
double CurveValue(CurveKind kind, const std::array<double, 3>& coefficients, double t);
double CurveValueVariance(CurveKind kind, const std::array<double, 3>& coefficients,
                          const std::array<double, 9>& covariance, double t);

} // namespace tarnova
