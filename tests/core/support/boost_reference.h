// Upper percentage points from Boost.Math, the independent reference for the statistics.
#pragma once

#include <boost/math/distributions/fisher_f.hpp>
#include <boost/math/distributions/students_t.hpp>

namespace tarnova::test {

// The point t with P(T > t) = p for n degrees of freedom.
inline double upperT(double p, int n) {
    return boost::math::quantile(
        boost::math::complement(boost::math::students_t_distribution<double>(n), p));
}

// The point F with P(F(m, n) > F) = p.
inline double upperF(double p, int m, int n) {
    return boost::math::quantile(
        boost::math::complement(boost::math::fisher_f_distribution<double>(m, n), p));
}

} // namespace tarnova::test
