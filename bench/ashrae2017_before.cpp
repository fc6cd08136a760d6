// The 2017 relations' dew point and wet bulb as they were before the Newton
// solvers (see ashrae2017_before.h), unchanged but for their namespace and the
// slope of the saturation pressure, which they take from a copy of their own.
#include "ashrae2017_before.h"

#include "ashrae2017_system.h"
#include "num.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace humitrax::bench::before {
namespace detail {
namespace {

using namespace humitrax::ashrae2017;
using namespace humitrax::ashrae2017::detail;
using humitrax::detail::Fail;
using humitrax::detail::Log;
using humitrax::detail::Num;
using humitrax::detail::Pow;

/// d ln(pws)/dT at t, as the engine formed it for these solvers.
double SlopeBefore(const System& s, double t, Saturation over)
{
    const Num T = Num(t) + s.offset;
    const Num T2 = T * T;
    if (t < s.triplePoint && over == Saturation::IceBelowFreezing) {
        const Num a = Num(-s.c1) / T2 + s.c3 + Num(2.0 * s.c4) * T + Num(3.0 * s.c5) * T2;
        return (a + Num(4.0 * s.c6) * (T2 * T) + Num(s.c7) / T).v;
    }
    const Num a = Num(-s.c8) / T2 + s.c10 + Num(2.0 * s.c11) * T + Num(3.0 * s.c12) * T2;
    return (a + Num(s.c13) / T).v;
}

/// Both solvers stop once the answer is known to within this, in degrees of
/// the unit system (1e-9 °F is tighter than 1e-9 K).
constexpr double kTolerance = 1e-9;
constexpr int kMaxDewPointSteps = 100;
/// Evaluations of the wet-bulb relation, bracket ends included.
constexpr int kMaxWetBulbEvaluations = 100;
/// After this many evaluations the wet-bulb solver only halves its bracket:
/// 40 halvings take any bracket of the range (540 °F at most) below the
/// tolerance, so the bound above is never reached.
constexpr int kBisectOnlyAfter = 55;
/// How far, relatively, a humidity ratio may lie from Ws(t, p), either way,
/// and be saturated air: rounding in the caller's route to W (a dew point, a
/// vapour pressure) leaves a few units in the last place.
constexpr double kSaturatedSlack = 1e-12;
/// Where the dry bulb lies above the boiling point at p, the upper end of the
/// wet-bulb bracket is the temperature whose saturation pressure is
/// p·(1 − 10^−k), k = 1 … kBoilingSteps: the first where the relation exceeds W.
constexpr int kBoilingSteps = 8;

/// Nodes of the saturation curve, every 10 K (18 °F) over the range with the
/// triple point added, and ln(pws) at each: the dew-point search starts from
/// the chord between the two nodes around ln(pw), and the range's ends are
/// tested against the outer nodes. Formed once per unit system.
struct SaturationNodes {
    static constexpr int kIceSteps = 10;   ///< lowest to freezing, ice throughout
    static constexpr int kWaterSteps = 20; ///< freezing to highest
    static constexpr int kCount = kIceSteps + 1 + 1 + kWaterSteps;
    std::array<double, kCount> t{};
    std::array<double, kCount> lnP{};
    double lowestP = 0.0;
    double highestP = 0.0;
};

SaturationNodes MakeNodes(const System& s, bool si, Saturation over)
{
    SaturationNodes nodes;
    const double step = (s.freezing - s.lowest) / SaturationNodes::kIceSteps;
    int i = 0;
    for (int k = 0; k <= SaturationNodes::kIceSteps; ++k)
        nodes.t[static_cast<std::size_t>(i++)] = s.lowest + k * step;
    nodes.t[static_cast<std::size_t>(i++)] = s.triplePoint;
    for (int k = 1; k <= SaturationNodes::kWaterSteps; ++k)
        nodes.t[static_cast<std::size_t>(i++)] = s.freezing + k * step;
    for (std::size_t j = 0; j < nodes.t.size(); ++j)
        nodes.lnP[j] = std::log(SatPressure(nodes.t[j], si, over));
    nodes.lowestP = SatPressure(s.lowest, si, over);
    nodes.highestP = SatPressure(s.highest, si, over);
    return nodes;
}

const SaturationNodes& NodesOf(bool si, Saturation over)
{
    static const SaturationNodes kSINodes = MakeNodes(kSI, true, Saturation::IceBelowFreezing);
    static const SaturationNodes kInchPoundNodes = MakeNodes(kInchPound, false, Saturation::IceBelowFreezing);
    static const SaturationNodes kSIWaterNodes = MakeNodes(kSI, true, Saturation::Water);
    static const SaturationNodes kInchPoundWaterNodes = MakeNodes(kInchPound, false, Saturation::Water);
    if (over == Saturation::Water)
        return si ? kSIWaterNodes : kInchPoundWaterNodes;
    return si ? kSINodes : kInchPoundNodes;
}

/// The dew point of pw, pw known to lie in the range's pressures, lnPw its log.
double InvertSaturation(const System& s, bool si, double pw, double lnPw, Saturation over)
{
    // SatPressure(lo) <= pw <= SatPressure(hi) throughout. ln(pws) is close to
    // linear in 1/T, so the start is the chord between the nodes around pw in
    // (1/T, ln pws), and each Newton step is taken in 1/T; a step that leaves
    // the bracket is replaced by halving it.
    const SaturationNodes& nodes = NodesOf(si, over);
    const auto above = std::upper_bound(nodes.lnP.begin() + 1, nodes.lnP.end() - 1, lnPw);
    const auto j = static_cast<std::size_t>(above - nodes.lnP.begin());
    double lo = nodes.t[j - 1];
    double hi = nodes.t[j];
    const double inverseLo = 1.0 / (lo + s.offset);
    const double inverseHi = 1.0 / (hi + s.offset);
    const double share = (lnPw - nodes.lnP[j - 1]) / (nodes.lnP[j] - nodes.lnP[j - 1]);
    double t = 1.0 / (inverseLo + share * (inverseHi - inverseLo)) - s.offset;
    if (!(t >= lo && t <= hi))
        t = lo + 0.5 * (hi - lo);
    for (int step = 0; step < kMaxDewPointSteps; ++step) {
        const double pws = SatPressure(t, si, over);
        if (pws == pw)
            return t;
        (pws < pw ? lo : hi) = t;
        const Num T = Num(t) + s.offset;
        const Num inverse = 1.0 / T + Log(Num(pws) / pw) / (Pow(T, 2.0) * SlopeBefore(s, t, over));
        double next = (1.0 / inverse - s.offset).v;
        // Near the root the step is what is left of the error (its own error
        // goes with its square); rounding may put it a hair outside the bracket.
        if (std::fabs(next - t) <= kTolerance)
            return next;
        if (!(next > lo && next < hi))
            next = lo + 0.5 * (hi - lo);
        if (hi - lo <= kTolerance)
            return next;
        t = next;
    }
    Fail(FailureCause::NoConvergence);
}

/// Brent's method on f over [a, b], f(a) < 0 < f(b), until the root is known
/// to within kTolerance. `evaluations` counts the calls of f, shared with the
/// caller. The interpolation proposes steps only: a step it cannot form (an
/// infinite or NaN ratio) fails its tests and the bracket is halved instead.
template <typename F>
double Brent(F f, double a, double fa, double b, double fb, int& evaluations)
{
    // The bracket's far end c always has the sign opposite to b's; the answer
    // b is the end with the smaller |f|.
    double c = a;
    double fc = fa;
    double d = b - a;
    double e = d;
    for (;;) {
        if ((fb > 0.0) == (fc > 0.0)) {
            c = a;
            fc = fa;
            d = b - a;
            e = d;
        }
        if (std::fabs(fc) < std::fabs(fb)) {
            a = b;
            b = c;
            c = a;
            fa = fb;
            fb = fc;
            fc = fa;
        }
        // Half the bracket's width at the end: the answer within kTolerance.
        const double tol = std::max(0.5 * kTolerance, 2.0 * std::numeric_limits<double>::epsilon() * std::fabs(b));
        const double m = 0.5 * (c - b);
        if (std::fabs(m) <= tol || fb == 0.0)
            return b;
        if (evaluations >= kMaxWetBulbEvaluations)
            Fail(FailureCause::NoConvergence);
        if (evaluations >= kBisectOnlyAfter || std::fabs(e) < tol || std::fabs(fa) <= std::fabs(fb)) {
            d = m;
            e = m;
        } else {
            const double sRatio = fb / fa;
            double p = 0.0;
            double q = 0.0;
            if (a == c) { // secant
                p = 2.0 * m * sRatio;
                q = 1.0 - sRatio;
            } else { // inverse quadratic interpolation
                const double qa = fa / fc;
                const double r = fb / fc;
                p = sRatio * (2.0 * m * qa * (qa - r) - (b - a) * (r - 1.0));
                q = (qa - 1.0) * (r - 1.0) * (sRatio - 1.0);
            }
            if (p > 0.0)
                q = -q;
            else
                p = -p;
            if (2.0 * p < std::min(3.0 * m * q - std::fabs(tol * q), std::fabs(e * q))) {
                e = d;
                d = p / q;
            } else {
                d = m;
                e = m;
            }
        }
        a = b;
        fa = fb;
        b += std::fabs(d) > tol ? d : (m > 0.0 ? tol : -tol);
        fb = f(b);
        ++evaluations;
    }
}

} // namespace
} // namespace detail

using humitrax::detail::Num;
using namespace humitrax::ashrae2017;

double DewPoint(double pw, bool si, Saturation over)
{
    const ashrae2017::detail::System& s = ashrae2017::detail::SystemOf(si);
    // Not positive: InvalidLogarithm; NaN: InvalidOperation.
    const double lnPw = humitrax::detail::Log(pw).v;
    const detail::SaturationNodes& nodes = detail::NodesOf(si, over);
    if (!(pw >= nodes.lowestP && pw <= nodes.highestP))
        humitrax::detail::Fail(FailureCause::TypeMismatch);
    return detail::InvertSaturation(s, si, pw, lnPw, over);
}

double WetBulb(double t, double W, double p, bool si, std::optional<double> dewPoint, Saturation over)
{
    using humitrax::detail::Checked;
    using humitrax::detail::Fail;
    const ashrae2017::detail::System& s = ashrae2017::detail::SystemOf(si);
    (void)Checked(W);
    if (!(Checked(p) > 0.0))
        Fail(FailureCause::InvalidOperation);
    const double pwsDryBulb = SatPressure(t, si, over);
    if (W < 0.0)
        Fail(FailureCause::NoConvergence); // no such air
    if (pwsDryBulb < p) {
        const Num Ws = HumidityRatioFromVapourPressure(pwsDryBulb, p, si);
        if (W > (Ws * (1.0 + detail::kSaturatedSlack)).v)
            Fail(FailureCause::NoConvergence); // supersaturated: no such air either
        if (W >= (Ws * (1.0 - detail::kSaturatedSlack)).v)
            return t; // saturated
    }
    const double pw = VapourPressureFromHumidityRatio(W, p, si);

    int evaluations = 0;
    auto miss = [&](double twb) {
        ++evaluations;
        return (Num(HumidityRatioFromWetBulb(t, twb, p, si, over)) - W).v;
    };

    // The upper end: the dry bulb, or just below the boiling point at p.
    double hi = t;
    double fHi = 0.0;
    if (pwsDryBulb < p) {
        fHi = miss(hi);
        if (fHi <= 0.0)
            return t; // saturated
    } else {
        double below = 0.1;
        bool found = false;
        for (int k = 1; k <= detail::kBoilingSteps && !found; ++k, below *= 0.1) {
            const double target = (Num(p) * (1.0 - below)).v;
            if (target <= pw)
                continue;
            hi = before::DewPoint(target, si, over);
            if (SatPressure(hi, si, over) >= p)
                continue;
            fHi = miss(hi);
            found = fHi > 0.0;
        }
        if (!found)
            Fail(FailureCause::NoConvergence);
    }

    // The lower end: the dew point, where the relation lies below W by about
    // (t − td)(1.006 + 1.86 W)/2500; for W = 0, or vapour too thin to have a
    // dew point in the range, the range's lowest temperature.
    double lo = s.lowest;
    if (dewPoint) {
        lo = *dewPoint;
        if (lo >= t)
            return t;
    } else if (pw >= SatPressure(s.lowest, si, over)) {
        lo = before::DewPoint(pw, si, over);
        if (lo >= t)
            return t; // saturated: the dew point, to its last bits, is the dry bulb
    }
    double fLo = miss(lo);
    if (fLo > 0.0 && lo > s.lowest) {
        // Close to saturation rounding, or the inch-pound eq. 35 whose factors
        // do not cancel at t* = t, can put the root just below the dew point.
        lo = s.lowest;
        fLo = miss(lo);
    }
    if (fLo == 0.0)
        return lo;
    if (fLo > 0.0)
        Fail(FailureCause::TypeMismatch); // the wet bulb lies below the range
    return detail::Brent(miss, lo, fLo, hi, fHi, evaluations);
}

} // namespace humitrax::bench::before
