#include "calculator/PolynomialRoots.h"

#include <algorithm>
#include <cmath>

namespace zvx {

namespace {

using Complex = std::complex<double>;

// x^2 + p x + q, scaled so that neither p^2 nor 4q overflows or cancels.
std::vector<Complex> monicQuadraticRoots(double p, double q)
{
    const double scale = std::max(std::fabs(p), std::sqrt(std::fabs(q)));
    if (scale == 0)
        return {0.0, 0.0};
    const double ps = p / scale, qs = q / scale / scale;
    const double disc = ps * ps - 4 * qs;
    if (disc >= 0) {
        // The root of larger size first, without cancellation; the other
        // from the product of the roots.
        const double big = -0.5 * (ps + std::copysign(std::sqrt(disc), ps));
        const double small = big != 0 ? qs / big : 0.0;
        return {big * scale, small * scale};
    }
    const double re = -0.5 * ps, im = 0.5 * std::sqrt(-disc);
    return {Complex(re, im) * scale, Complex(re, -im) * scale};
}

// One real root of x^3 + a x^2 + b x + c, bracketed by the Cauchy bound.
double cubicRealRoot(double a, double b, double c)
{
    auto f = [&](double x) { return ((x + a) * x + b) * x + c; };
    double hi = 1 + std::max({std::fabs(a), std::fabs(b), std::fabs(c)});
    double lo = -hi;
    for (int i = 0; i < 3000; ++i) {
        const double mid = 0.5 * (lo + hi);
        if (mid == lo || mid == hi)
            break;
        if (f(mid) < 0)
            lo = mid;
        else
            hi = mid;
    }
    return std::fabs(f(lo)) < std::fabs(f(hi)) ? lo : hi;
}

// A few Newton steps, each kept only when it makes the value smaller.
Complex polish(const std::vector<double>& c, Complex x)
{
    for (int i = 0; i < 8; ++i) {
        Complex value = 0, slope = 0;
        for (double coefficient : c) {
            slope = slope * x + value;
            value = value * x + coefficient;
        }
        if (value == 0.0 || slope == 0.0)
            break;
        const Complex next = x - value / slope;
        if (!(std::abs(polynomialValue(c, next)) < std::abs(value)))
            break;
        x = next;
    }
    return x;
}

} // namespace

std::complex<double> polynomialValue(const std::vector<double>& c, std::complex<double> x)
{
    Complex value = 0;
    for (double coefficient : c)
        value = value * x + coefficient;
    return value;
}

std::vector<std::complex<double>> polynomialRoots(const std::vector<double>& coefficients)
{
    // Leading zeros (a coefficient that underflowed) lower the degree.
    const auto first = std::find_if(coefficients.begin(), coefficients.end(), [](double v) { return v != 0; });
    const std::vector<double> c(first, coefficients.end());
    if (c.empty() || c.size() > 4)
        return {};
    std::vector<double> monic(c.size());
    for (std::size_t i = 0; i < c.size(); ++i)
        monic[i] = c[i] / c[0];
    switch (c.size()) {
    case 1: return {};
    case 2: return {-monic[1]};
    case 3: return monicQuadraticRoots(monic[1], monic[2]);
    default: break;
    }
    const double r = polish(monic, cubicRealRoot(monic[1], monic[2], monic[3])).real();
    // What is left after dividing out (x - r): the other two roots sum to
    // -(a + r) and multiply to -c / r (to b when r is 0).
    const double p = monic[1] + r;
    std::vector<Complex> roots = monicQuadraticRoots(p, r != 0 ? -monic[3] / r : monic[2]);
    for (Complex& root : roots) {
        const bool real = root.imag() == 0;
        root = polish(monic, root);
        if (real)
            root = root.real();
    }
    // Conjugate pairs stay exact conjugates.
    if (roots[0].imag() != 0)
        roots[1] = std::conj(roots[0]);
    roots.insert(roots.begin(), r);
    return roots;
}

} // namespace zvx
