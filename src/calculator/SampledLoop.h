#pragma once
// The U1 PLL as the phase detector really runs it: once per period T = 1/fPD
// it compares the phases and the charge pump delivers a charge proportional
// to the error at that instant. Between two comparisons the loop filter and
// the VCO run freely. So the loop is a sampled one, and its open loop is
//     L(z) = T * sum over k >= 0 of g(kT) z^-k,
// where g is the impulse response of the continuous open loop G(s) (the
// impulse-invariant transform). Plain arithmetic, no widgets.
//
// In time measured in 1/wn, with a = tau2 wn, b = tau1 wn and T = wn / fPD,
//     G(s) = (1 + b s) / (s^2 (1 + a s)) = 1/s^2 + (b - a)/s - (b - a)/(s + 1/a),
//     g(t) = t + (b - a) (1 - e^(-t/a)),
// and with p = e^(-T/a), c = 1 - p, q = c / T, u = (z - 1) / T:
//     L(z) = z (q + m u) / (u^2 (q + u)),  m = 1 + (b - a) q.
// Written in u rather than in z - 1 it stays exact when T is tiny (z near 1),
// and it turns into G(s) as T goes to 0 (u -> s, q -> 1/a). The charge of
// sample k moves the output from just after that instant, so g(0) = 0: this
// is also the limit of C2 -> 0, where a = 0, c = 1 and
//     L(z) = T ((T + b) z - b) / (z - 1)^2.
// The closed loop's poles are z = 1 + T v with v the roots of
//     v^3 + (q + T m) v^2 + (m + c) v + q,
// which is a s^3 + s^2 + b s + 1 (over a) as T goes to 0.
//
// The step: the loop's state (the double integrator's phase and slope, and
// the filter pole's lag) carried from one sample to the next by the exact
// map of one period, as a deviation from the settled loop. Jumps of many
// samples use powers of that map written as (M^n - I), which keep their
// precision where M is close to the identity.

#include <array>
#include <complex>
#include <string>
#include <vector>

namespace zvx {

class SampledLoop {
public:
    // a >= 0 (0: no C2), b > a, period > 0, all in time measured in 1/wn.
    SampledLoop(double a, double b, double period);

    double period() const { return t_; }

    // L on the unit circle at theta = w T, 0 < theta <= pi.
    std::complex<double> openLoop(double theta) const;
    // The phase of L in degrees, continuous from -180 near theta = 0; -180 at
    // theta = pi (L is real and negative there).
    double openLoopPhaseDeg(double theta) const;
    // L / (1 + L).
    std::complex<double> closedLoop(double theta) const;

    // The closed loop's poles z, and ln |z| of each (precise near |z| = 1).
    const std::vector<std::complex<double>>& poles() const { return poles_; }
    const std::vector<double>& logRadii() const { return logRadii_; }
    // Every pole inside the unit circle.
    bool stable() const;
    // The pole of largest size.
    std::complex<double> worstPole() const;

    // The deviation of the state from the settled loop; a unit step of the
    // input phase starts at kStepStart. output() is the output phase (1 when
    // settled) at the sampling instant, before that instant's charge.
    using State = std::array<double, 3>;
    using Map = std::array<std::array<double, 3>, 3>;
    static constexpr State kStepStart{-1, 0, 0};
    double output(const State& d) const { return 1 + d[0] + beta_ * d[2]; }
    // M^n - I, where M carries the state one period on.
    Map jump(unsigned long long n) const;
    static State apply(const Map& minusIdentity, const State& d);

private:
    double a_, b_, t_;
    double c_ = 1, q_ = 0, m_ = 0, beta_ = 0;
    Map step_{};  // M - I
    std::vector<std::complex<double>> poles_;
    std::vector<double> logRadii_;
};

// What the sampled loop does, in time measured in 1/wn.
struct SampledFigures {
    bool stable = false;
    bool hasCrossover = false;  // false: |L| stays at 1 or above up to PFD/2
    double crossoverTheta = 0;  // w T where |L| falls through 1 for the last time
    double phaseMarginDeg = 0;  // 180 + arg L there
    // The step's samples: the highest (overshoot above 1), and the time from
    // which on every sample is within 1 % of 1. Not settled: unstable, or
    // not within followedTime (a loop that hardly damps).
    bool settled = false;
    double overshoot = 0;
    double peakTime = 0;
    double settlingTime = 0;
    double followedTime = 0;
    // The phase detector is so much faster than the loop (more than 1e7
    // times its fastest pole) that the samples are the continuous curve to
    // better than a millionth; no samples are computed then.
    bool likeContinuous = false;
};

// `continuousCrossover` is the continuous loop's crossover and
// `fastestPole` the size of its fastest closed-loop pole, both in rad per 1/wn.
SampledFigures analyseSampledLoop(const SampledLoop& loop, double continuousCrossover, double fastestPole);

// The step's samples from 0 to `span`: every sample when there are at most
// `maxPoints`, else every n-th, plus the highest sample (peakTime) when it is
// in the span. An unstable loop's samples stop once they are 1000 away from 1.
void sampledStepCurve(const SampledLoop& loop, double span, double peakTime, int maxPoints, std::vector<double>& t,
                      std::vector<double>& y);

} // namespace zvx
