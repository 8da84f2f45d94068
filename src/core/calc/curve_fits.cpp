#include "calc/curve_fits.h"

#include <Eigen/QR>
#include <unsupported/Eigen/NonLinearOptimization>

#include <cmath>
#include <limits>

namespace tarnova {
namespace {

using Eigen::Index;
using Eigen::Matrix3d;
using Eigen::MatrixXd;
using Eigen::Vector3d;
using Eigen::VectorXd;

// A rate per time span below this bends the curve by less than a part in 10^3 of its rise:
// no curvature to determine.
constexpr double kLeastRate = 1e-3;
// Levenberg-Marquardt steps before the iteration counts as not converging.
constexpr int kMostSteps = 15;

CurveFit failed(std::string reason) {
    CurveFit fit;
    fit.failure = std::move(reason);
    return fit;
}

// (A^T A)^-1 from the pivoted QR decomposition A P = Q R: P R^-1 R^-T P^T.
Matrix3d inverseOfNormalMatrix(const Eigen::ColPivHouseholderQR<MatrixXd>& qr) {
    const Matrix3d r = qr.matrixR().topLeftCorner<3, 3>().triangularView<Eigen::Upper>();
    const Matrix3d rInverse = r.triangularView<Eigen::Upper>().solve(Matrix3d::Identity().eval());
    const Matrix3d permutation = qr.colsPermutation();
    return permutation * rInverse * rInverse.transpose() * permutation.transpose();
}

void store(CurveFit& fit, const Vector3d& coefficients, const Matrix3d& covariance) {
    for (int i = 0; i < 3; ++i) {
        fit.coefficients[static_cast<std::size_t>(i)] = coefficients(i);
        for (int j = 0; j < 3; ++j) {
            fit.covariance[static_cast<std::size_t>(3 * i + j)] = covariance(i, j);
        }
    }
}

bool allFinite(const CurveFit& fit) {
    for (const double value : fit.coefficients) {
        if (!std::isfinite(value)) {
            return false;
        }
    }
    for (const double value : fit.covariance) {
        if (!std::isfinite(value)) {
            return false;
        }
    }
    return std::isfinite(fit.valueAtZero) && std::isfinite(fit.valueAtZeroVariance);
}

std::array<double, 3> gradient(CurveKind kind, const std::array<double, 3>& b, double t) {
    switch (kind) {
    case CurveKind::Parabola:
        return {1.0, t, t * t};
    case CurveKind::Exponential: {
        const double e = std::exp(-b[1] * t);
        return {e, -b[0] * t * e, 1.0};
    }
    case CurveKind::Mean:
        break;
    }
    return {1.0, 0.0, 0.0};
}

// a' exp(-beta tau) + c - y over the points, with tau the time from the first time in units of
// the time span: the rate beta is then of order 1 whatever the time scale.
struct ExponentialResiduals {
    const VectorXd& tau;
    const VectorXd& y;

    int values() const { return static_cast<int>(y.size()); }
    int inputs() const { return 3; }

    int operator()(const VectorXd& x, VectorXd& residuals) const {
        residuals = (x(0) * (-x(1) * tau.array()).exp() + x(2)).matrix() - y;
        return 0;
    }

    int df(const VectorXd& x, MatrixXd& jacobian) const {
        const Eigen::ArrayXd e = (-x(1) * tau.array()).exp();
        jacobian.col(0) = e.matrix();
        jacobian.col(1) = (-x(0) * tau.array() * e).matrix();
        jacobian.col(2).setOnes();
        return 0;
    }
};

// The rate of the grid whose best a' and c leave the smallest residual: both signs, from a
// twentieth to fifty (decaying) or twenty (growing) per time span.
double startRate(const VectorXd& tau, const VectorXd& y) {
    const double meanY = y.mean();
    double bestRate = 1.0;
    double bestSquares = std::numeric_limits<double>::infinity();
    constexpr int kSteps = 12;
    for (const double sign : {1.0, -1.0}) {
        const double top = sign > 0.0 ? 50.0 : 20.0;
        for (int step = 0; step <= kSteps; ++step) {
            const double rate = sign * 0.05 * std::pow(top / 0.05, step / double(kSteps));
            const Eigen::ArrayXd e = (-rate * tau.array()).exp();
            const Eigen::ArrayXd de = e - e.mean();
            const Eigen::ArrayXd dy = y.array() - meanY;
            const double see = (de * de).sum();
            const double sey = (de * dy).sum();
            const double squares = (dy * dy).sum() - sey * sey / see;
            if (std::isfinite(squares) && see > 0.0 && squares < bestSquares) {
                bestSquares = squares;
                bestRate = rate;
            }
        }
    }
    return bestRate;
}

} // namespace

CurveFit FitParabola(std::span<const TimedValue> points) {
    const Index n = static_cast<Index>(points.size());
    if (n < 3) {
        return failed("fewer than 3 active points");
    }
    double meanTime = 0.0;
    for (const TimedValue& point : points) {
        meanTime += point.time;
    }
    meanTime /= static_cast<double>(n);
    double spread = 0.0;
    for (const TimedValue& point : points) {
        spread += (point.time - meanTime) * (point.time - meanTime);
    }
    spread = std::sqrt(spread / static_cast<double>(n));
    if (!(spread > 0.0) || !std::isfinite(spread)) {
        return failed("the times do not spread");
    }
    MatrixXd design(n, 3);
    VectorXd y(n);
    for (Index i = 0; i < n; ++i) {
        const double u = (points[static_cast<std::size_t>(i)].time - meanTime) / spread;
        design(i, 0) = 1.0;
        design(i, 1) = u;
        design(i, 2) = u * u;
        y(i) = points[static_cast<std::size_t>(i)].value;
    }
    const Eigen::ColPivHouseholderQR<MatrixXd> qr(design);
    if (qr.rank() < 3) {
        return failed("fewer than 3 distinct times");
    }
    const Vector3d c = qr.solve(y);
    const double squares = (y - design * c).squaredNorm();
    const double freedom = static_cast<double>(n - 3);
    const double s2 = freedom > 0.0 ? squares / freedom : 0.0;
    const Matrix3d covarianceC = s2 * inverseOfNormalMatrix(qr);

    // From the centred, scaled time u = (t - m) / s back to t.
    const double m = meanTime;
    const double s = spread;
    Matrix3d toTime;
    toTime << 1.0, -m / s, m * m / (s * s), 0.0, 1.0 / s, -2.0 * m / (s * s), 0.0, 0.0,
        1.0 / (s * s);
    CurveFit fit;
    fit.parameters = 3;
    fit.residualSquares = squares;
    store(fit, toTime * c, toTime * covarianceC * toTime.transpose());
    // At t = 0, u = -m / s: the value and its variance straight from the centred coefficients.
    const Vector3d atZero(1.0, -m / s, m * m / (s * s));
    fit.valueAtZero = atZero.dot(c);
    fit.valueAtZeroVariance = atZero.dot(covarianceC * atZero);
    if (!allFinite(fit)) {
        return failed("the coefficients are not finite");
    }
    fit.ok = true;
    return fit;
}

CurveFit FitExponential(std::span<const TimedValue> points) {
    const Index n = static_cast<Index>(points.size());
    if (n < 4) {
        return failed("fewer than 4 active points");
    }
    double first = points.front().time;
    double last = first;
    for (const TimedValue& point : points) {
        first = std::min(first, point.time);
        last = std::max(last, point.time);
    }
    const double span = last - first;
    if (!(span > 0.0) || !std::isfinite(span)) {
        return failed("the times do not spread");
    }
    VectorXd tau(n);
    VectorXd y(n);
    for (Index i = 0; i < n; ++i) {
        tau(i) = (points[static_cast<std::size_t>(i)].time - first) / span;
        y(i) = points[static_cast<std::size_t>(i)].value;
    }

    // Start: the best rate of the grid, with a' and c of the straight fit of y on exp(-rate tau).
    VectorXd x(3);
    x(1) = startRate(tau, y);
    {
        const Eigen::ArrayXd e = (-x(1) * tau.array()).exp();
        const Eigen::ArrayXd de = e - e.mean();
        const double amplitude = (de * (y.array() - y.mean())).sum() / (de * de).sum();
        x(0) = std::isfinite(amplitude) ? amplitude : 0.0;
        x(2) = y.mean() - x(0) * e.mean();
    }

    ExponentialResiduals residuals{tau, y};
    Eigen::LevenbergMarquardt<ExponentialResiduals> solver(residuals);
    solver.parameters.ftol = 1e-15;
    solver.parameters.xtol = 1e-15;
    // Step by step, so that a rate running to 0 (a straight line: the amplitude grows without
    // bound) stops the iteration at once instead of spending every evaluation.
    using Eigen::LevenbergMarquardtSpace::Status;
    Status status = solver.minimizeInit(x);
    if (status == Status::ImproperInputParameters) {
        return failed("the iteration did not converge");
    }
    int steps = 0;
    do {
        status = solver.minimizeOneStep(x);
        if (std::fabs(x(1)) < kLeastRate) {
            return failed("the rate is 0: the curvature is not determined");
        }
    } while (status == Status::Running && ++steps < kMostSteps);
    if (status == Status::Running || status == Status::TooManyFunctionEvaluation ||
        status == Status::UserAsked || !x.allFinite()) {
        return failed("the iteration did not converge");
    }
    const double amplitude = x(0);
    const double rate = x(1);
    if (std::fabs(rate) < kLeastRate || amplitude == 0.0) {
        return failed("the rate is 0: the curvature is not determined");
    }
    MatrixXd jacobian(n, 3);
    residuals.df(x, jacobian);
    const Eigen::ColPivHouseholderQR<MatrixXd> qr(jacobian);
    if (qr.rank() < 3) {
        return failed("the curvature is not determined");
    }
    VectorXd left(n);
    residuals(x, left);
    const double squares = left.squaredNorm();
    const double s2 = squares / static_cast<double>(n - 3);
    const Matrix3d covarianceX = s2 * inverseOfNormalMatrix(qr);

    // From (a', rate per span, c) at the first time to (a, b, c) at time 0.
    const double shift = std::exp(rate * first / span);
    Matrix3d toTime;
    toTime << shift, amplitude * shift * first / span, 0.0, 0.0, 1.0 / span, 0.0, 0.0, 0.0, 1.0;
    const Vector3d b(amplitude * shift, rate / span, x(2));
    CurveFit fit;
    fit.parameters = 3;
    fit.residualSquares = squares;
    const Matrix3d covariance = toTime * covarianceX * toTime.transpose();
    store(fit, b, covariance);
    const Vector3d atZero(1.0, 0.0, 1.0);
    fit.valueAtZero = b(0) + b(2);
    fit.valueAtZeroVariance = atZero.dot(covariance * atZero);
    if (!allFinite(fit)) {
        return failed("the coefficients are not finite");
    }
    fit.ok = true;
    return fit;
}

double CurveValue(CurveKind kind, const std::array<double, 3>& b, double t) {
    switch (kind) {
    case CurveKind::Parabola:
        return b[0] + (b[1] + b[2] * t) * t;
    case CurveKind::Exponential:
        return b[0] * std::exp(-b[1] * t) + b[2];
    case CurveKind::Mean:
        break;
    }
    return b[0];
}

double CurveValueVariance(CurveKind kind, const std::array<double, 3>& b,
                          const std::array<double, 9>& covariance, double t) {
    const std::array<double, 3> g = gradient(kind, b, t);
    double variance = 0.0;
    for (std::size_t i = 0; i < 3; ++i) {
        for (std::size_t j = 0; j < 3; ++j) {
            variance += g[i] * covariance[3 * i + j] * g[j];
        }
    }
    return variance;
}

} // namespace tarnova
