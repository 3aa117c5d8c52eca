#pragma once
// The roots of the small real polynomials the loop models need: the closed
// loop's characteristic polynomial (continuous and sampled, degree 3 at most)
// and the condition for the closed-loop peak. Plain arithmetic, no widgets.

#include <complex>
#include <vector>

namespace zvx {

// The roots of c[0] x^n + c[1] x^(n-1) + ... + c[n] for n up to 3, each
// repeated by its multiplicity (leading zeros lower the degree); an empty
// list for a constant or a degree above 3.
// A cubic's real root is bracketed and bisected (every real cubic has one),
// the quadratic left over is solved in a form that neither cancels nor
// overflows, and every root is then polished by Newton steps on the cubic
// itself, so each is as good as the coefficients allow.
std::vector<std::complex<double>> polynomialRoots(const std::vector<double>& c);

// The value of the polynomial at x (Horner).
std::complex<double> polynomialValue(const std::vector<double>& c, std::complex<double> x);

} // namespace zvx
