// The two relations of the 2017 set that have no closed form: the dew point
// (SatPressure inverted) and the wet bulb (eq. 33 or 35 solved for t*). The
// dew point takes a Newton step on ln SatPressure from a start interpolated in
// a table of the curve; the wet bulb Halley steps on its relation, cleared of
// divisions, from where a quintic through the bracket's ends crosses W. Both
// take their relation's derivatives in closed form, start close enough that
// one step mostly reaches the root, and halve their bracket instead of any
// step that would leave it.
#include "humitrax/ashrae2017.h"

#include "ashrae2017_system.h"
#include "num.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace humitrax::ashrae2017 {
namespace detail {
namespace {

using humitrax::detail::Fail;

/// A Newton step on ln(pws) no longer than this (degrees) ends the dew
/// point's search: what is left of the error goes with the step's square
/// times half the curvature of ln(pws) over its slope, below 0.006 per degree,
/// which leaves less than 1e-14 degree.
constexpr double kDewPointSettled = 1e-6;
/// A Halley step on the wet-bulb relation ends the search when it is no
/// longer than kWetBulbSettledStep (degrees) and what it leaves of the error,
/// about the step's cube times half the square of the relation's curvature
/// over its slope, is below kWetBulbSettledError.
constexpr double kWetBulbSettledStep = 1e-4;
constexpr double kWetBulbSettledError = 1e-15;
/// A bracket this narrow (degrees) ends an iteration that has had to halve
/// it: where the relation steps (ice to water at the triple point, eq. 35 to
/// eq. 33 at freezing) across the value sought, it has no root, and the answer
/// is the step's place.
constexpr double kBracketWidth = 1e-12;
constexpr int kMaxDewPointSteps = 100;
/// Evaluations of the wet-bulb relation, bracket ends included. Halving alone
/// takes any bracket of the range (540 °F at most) to kBracketWidth in 50.
constexpr int kMaxWetBulbEvaluations = 100;
/// How far, relatively, a humidity ratio may lie from Ws(t, p), either way,
/// and be saturated air: rounding in the caller's route to W (a dew point, a
/// vapour pressure) leaves a few units in the last place.
constexpr double kSaturatedSlack = 1e-12;
/// How far, relatively, SatPressure at a dew point that DewPoint found may lie
/// from the vapour pressure it was found for: the step of SatPressure at the
/// triple point (6e-9 of it; DewPoint gives the triple point for a pressure
/// inside the step) and the solver's own error (1e-13) with room to spare.
constexpr double kDewPointPressureSlack = 1e-7;
/// Where the dry bulb lies above the boiling point at p, the upper end of the
/// wet-bulb bracket is the temperature whose saturation pressure is
/// p·(1 − 10^−k), k = 1 … kBoilingSteps: the first where the relation exceeds W.
constexpr int kBoilingSteps = 8;

/// The dew point's starting table. t is interpolated as a function of y =
/// ln(pws), cubic (Hermite) between nodes spaced kNodeSpacing apart in y, from
/// t and dt/dy = 1/(d ln(pws)/dt) at each: the start then lies within 1e-7
/// degree of the root, and one Newton step ends the search. Each branch of
/// SatPressure has its own run of nodes: below the triple point (ice, or
/// water when saturation is taken over water) and from it up.
constexpr double kNodeSpacing = 0.0625;

/// One node, and the cubic in u = y − y[j] that gives t up to the next.
struct InverseNode {
    double y;
    double t;
    double a1, a2, a3; ///< t = t[j] + a1·u + a2·u² + a3·u³
};

/// One branch's nodes: y = ln(pws) in the correlation's unit.
struct InverseBranch {
    bool ice = false;
    double firstY = 0.0;
    double nodesPerY = 0.0;          ///< 1 / spacing
    std::vector<InverseNode> nodes;  ///< the last ends the branch (no cubic)

    [[nodiscard]] double lastY() const { return nodes.back().y; }
};

/// The dew point's table for a unit system and saturation choice.
struct SaturationInverse {
    InverseBranch below; ///< lowest … triple point (its end not included over ice)
    InverseBranch above; ///< triple point … highest
    double lowestP = 0.0;  ///< SatPressure(lowest), kPa or psia
    double highestP = 0.0; ///< SatPressure(highest)
    double lnDivisor = 0.0; ///< ln(pressureDivisor): y = ln(pw) + lnDivisor
    /// Either side of freezing, where eq. 35 gives way to eq. 33: the double
    /// just below it and SatPressure there and at freezing (both over ice).
    double belowFreezing = 0.0;
    double pwsBelowFreezing = 0.0;
    double pwsAtFreezing = 0.0;
};

/// The node temperatures are found once, when the table is made, by Newton
/// steps from the node below, to the last bits of ln(pws).
double SolveNode(const System& s, bool ice, double y, double start, double lowest, double highest)
{
    double t = start;
    for (int step = 0; step < 60; ++step) {
        const double next =
            std::clamp(t - (LnSaturation(s, t, ice).v - y) / SaturationSlope(s, t, ice), lowest, highest);
        if (next == t)
            break;
        t = next;
    }
    return t;
}

InverseBranch MakeBranch(const System& s, bool ice, double lowest, double highest)
{
    InverseBranch branch;
    branch.ice = ice;
    const double firstY = LnSaturation(s, lowest, ice).v;
    const double lastY = LnSaturation(s, highest, ice).v;
    const auto intervals = static_cast<int>(std::ceil((lastY - firstY) / kNodeSpacing));
    const double spacing = (lastY - firstY) / intervals;
    branch.firstY = firstY;
    branch.nodesPerY = 1.0 / spacing;
    std::vector<double> slope; // dt/dy
    for (int j = 0; j <= intervals; ++j) {
        double t = lowest;
        if (j == intervals)
            t = highest;
        else if (j > 0)
            t = SolveNode(s, ice, firstY + j * spacing, branch.nodes.back().t, lowest, highest);
        branch.nodes.push_back({LnSaturation(s, t, ice).v, t, 0.0, 0.0, 0.0});
        slope.push_back(1.0 / SaturationSlope(s, t, ice));
    }
    for (std::size_t j = 0; j + 1 < branch.nodes.size(); ++j) {
        InverseNode& node = branch.nodes[j];
        const double h = branch.nodes[j + 1].y - node.y;
        const double secant = (branch.nodes[j + 1].t - node.t) / h;
        node.a1 = slope[j];
        node.a2 = (3.0 * secant - 2.0 * slope[j] - slope[j + 1]) / h;
        node.a3 = (slope[j] + slope[j + 1] - 2.0 * secant) / (h * h);
    }
    return branch;
}

SaturationInverse MakeInverse(const System& s, bool si, Saturation over)
{
    SaturationInverse inverse;
    inverse.below = MakeBranch(s, over == Saturation::IceBelowFreezing, s.lowest, s.triplePoint);
    inverse.above = MakeBranch(s, false, s.triplePoint, s.highest);
    inverse.lowestP = SatPressure(s.lowest, si, over);
    inverse.highestP = SatPressure(s.highest, si, over);
    inverse.lnDivisor = std::log(s.pressureDivisor);
    inverse.belowFreezing = std::nextafter(s.freezing, s.lowest);
    inverse.pwsBelowFreezing = SatPressure(inverse.belowFreezing, si, over);
    inverse.pwsAtFreezing = SatPressure(s.freezing, si, over);
    return inverse;
}

const SaturationInverse& InverseOf(bool si, Saturation over)
{
    if (over == Saturation::Water) {
        static const SaturationInverse kSIWater = MakeInverse(kSI, true, Saturation::Water);
        static const SaturationInverse kInchPoundWater = MakeInverse(kInchPound, false, Saturation::Water);
        return si ? kSIWater : kInchPoundWater;
    }
    static const SaturationInverse kSIIce = MakeInverse(kSI, true, Saturation::IceBelowFreezing);
    static const SaturationInverse kInchPoundIce = MakeInverse(kInchPound, false, Saturation::IceBelowFreezing);
    return si ? kSIIce : kInchPoundIce;
}

/// The temperature of the branch whose ln(pws) is y, y within the branch.
double InvertBranch(const System& s, const InverseBranch& branch, double y)
{
    // The interval of y: from its place on the even spacing, moved by one
    // where the nodes' rounded y says so.
    const InverseNode* const nodes = branch.nodes.data();
    const auto last = static_cast<std::ptrdiff_t>(branch.nodes.size()) - 2;
    auto j = std::clamp(static_cast<std::ptrdiff_t>((y - branch.firstY) * branch.nodesPerY), std::ptrdiff_t{0}, last);
    if (j > 0 && y < nodes[j].y)
        --j;
    else if (j < last && y > nodes[j + 1].y)
        ++j;
    const InverseNode& node = nodes[j];
    const double u = y - node.y;
    double t = node.t + u * (node.a1 + u * (node.a2 + u * node.a3));
    const double first = nodes[0].t;
    const double end = nodes[last + 1].t;
    // ln(pws) rises with t: the root lies between the interval's nodes.
    double lo = node.t;
    double hi = nodes[j + 1].t;
    if (!(t >= lo && t <= hi))
        t = lo + 0.5 * (hi - lo);
    for (int step = 0; step < kMaxDewPointSteps; ++step) {
        const double miss = (LnSaturation(s, t, branch.ice) - y).v;
        if (miss == 0.0)
            return t;
        (miss < 0.0 ? lo : hi) = t;
        double next = t - miss / SaturationSlope(s, t, branch.ice);
        // Rounding may put the last step a hair outside the bracket.
        if (std::fabs(next - t) <= kDewPointSettled)
            return std::clamp(next, first, end);
        if (!(next > lo && next < hi))
            next = lo + 0.5 * (hi - lo);
        if (hi - lo <= kBracketWidth)
            return next;
        t = next;
    }
    Fail(FailureCause::NoConvergence);
}

/// The dew point of pw, pw known to lie in the range's pressures, lnPw its log.
double InvertSaturation(const System& s, const SaturationInverse& inverse, double lnPw)
{
    const double y = lnPw + inverse.lnDivisor;
    if (y >= inverse.above.firstY)
        return InvertBranch(s, inverse.above, y);
    // Over ice, SatPressure steps up at the triple point: a pressure inside the
    // step has the triple point for its dew point.
    if (y >= inverse.below.lastY())
        return s.triplePoint;
    return InvertBranch(s, inverse.below, y);
}

/// The wet-bulb relation at t* less W, exactly as HumidityRatioFromWetBulb
/// forms it from the saturation pressure pws at t*: the value that decides, as
/// it always has, whether air is saturated and where the bracket's low end is.
double MissAt(const System& s, double t, double tStar, double pws, double p, double W, Saturation over)
{
    const WetBulbForm& f = tStar >= s.freezing || over == Saturation::Water ? s.water : s.ice;
    return (WetBulbEquation(f, t, tStar, RatioFromVapourPressure(pws, p)) - W).v;
}

/// The wet-bulb relation cleared of its divisions, for the search between the
/// bracket's ends: with Ws* = ε·pws/(p − pws), N/D = W becomes
///   H(t*) = e·A(t*) − B(t*)·p·divisor = 0,
/// e = pws·divisor (exp(ln pws) in the correlation's unit), B = dry·(t − t*) +
/// W·D and A = ε·(latent − wick·t*) + B, both linear in t*. H is
/// divisor·(p − pws)·D times the relation less W: it has the relation's sign
/// (D > 0, pws < p) and root, and neither it nor its derivatives need a
/// division: H' = e·(s·A + A') − B'·p·divisor, H'' = e·((s² + s')·A + 2s·A'),
/// s = d ln(pws)/dt*.
struct WetBulbMiss {
    double value;
    double slope;
    double curvature;
    double saturationTerm; ///< e·A: H moves by this times a relative change in e
};

WetBulbMiss ClearedWith(const System& s, double t, double tStar, double e, double p, double W, Saturation over)
{
    const WetBulbForm& f = tStar >= s.freezing || over == Saturation::Water ? s.water : s.ice;
    const double pressure = p * s.pressureDivisor;
    const double B = f.dryAirHeat * (t - tStar) + W * ((f.latent + f.vapourDryBulb * t) - f.denominatorWetBulb * tStar);
    const double BSlope = -f.dryAirHeat - W * f.denominatorWetBulb;
    const double A = kMolarMassRatio * (f.latent - f.wickWetBulb * tStar) + B;
    const double ASlope = -kMolarMassRatio * f.wickWetBulb + BSlope;
    const SaturationBend bend = SaturationDerivatives(s, tStar, OverIce(s, tStar, over));
    return {e * A - B * pressure, e * (bend.slope * A + ASlope) - BSlope * pressure,
            e * ((bend.slope * bend.slope + bend.curvature) * A + 2.0 * bend.slope * ASlope), e * A};
}

/// ClearedWith at t*, e formed there.
WetBulbMiss ClearedAt(const System& s, double t, double tStar, double p, double W, Saturation over)
{
    const bool ice = OverIce(s, InRange(s, tStar), over);
    const double e = humitrax::detail::Exp(LnSaturation(s, tStar, ice)).v;
    return ClearedWith(s, t, tStar, e, p, W, over);
}

/// Where the quintic through both ends of the bracket, with the cleared
/// relation's values and first and second derivatives, crosses zero: the wet bulb's first trial,
/// within 1e-6 degree of the root for most air (1e-3 for the driest, whose
/// bracket is widest). Cheap: no library call.
double QuinticStart(double lo, const WetBulbMiss& atLo, double hi, const WetBulbMiss& atHi)
{
    // P(u) = g0 + m0·u + k0/2·u² + a·u³ + b·u⁴ + c·u⁵ on u in [0, 1].
    const double h = hi - lo;
    const double g0 = atLo.value;
    const double g1 = atHi.value;
    const double m0 = atLo.slope * h;
    const double m1 = atHi.slope * h;
    const double k0 = atLo.curvature * h * h;
    const double r0 = g1 - (g0 + m0 + 0.5 * k0);
    const double r1 = m1 - (m0 + k0);
    const double r2 = atHi.curvature * h * h - k0;
    const double a = 10.0 * r0 - 4.0 * r1 + 0.5 * r2;
    const double b = -15.0 * r0 + 7.0 * r1 - r2;
    const double c = 6.0 * r0 - 3.0 * r1 + 0.5 * r2;
    // The first guess: u as a cubic in g through both ends with du/dg =
    // 1/m, at g = 0; then one Newton step on P, whose root it leaves well
    // within the quintic's own distance from the relation.
    const double span = g1 - g0;
    const double v = -g0 / span;
    const double v2 = v * v;
    const double guess =
        (span / m0) * (v2 * v - 2.0 * v2 + v) + (-2.0 * v2 * v + 3.0 * v2) + (span / m1) * (v2 * v - v2);
    const double u = std::clamp(guess, 0.0, 1.0);
    const double u2 = u * u;
    const double value = (g0 + m0 * u) + u2 * ((0.5 * k0 + a * u) + u2 * (b + c * u));
    const double slope = (m0 + k0 * u) + u2 * ((3.0 * a + 4.0 * b * u) + u2 * (5.0 * c));
    return lo + std::clamp(u - value / slope, 0.0, 1.0) * h;
}

/// The root of the wet-bulb relation in [lo, hi], negative at lo and positive
/// at hi, by Halley steps on its cleared form (`miss`) from `start`, each halving the bracket instead where it would
/// leave it or where the step before last was not halved (as a slow approach
/// does). `evaluations` counts the relation's evaluations, shared with the
/// caller.
template <typename Miss>
double HalleyInBracket(Miss miss, double lo, double hi, double start, int& evaluations)
{
    const double first = lo;
    const double end = hi;
    double t = start > lo && start < hi ? start : lo + 0.5 * (hi - lo);
    double stepBefore = hi - lo;
    double step = stepBefore;
    while (evaluations < kMaxWetBulbEvaluations) {
        const WetBulbMiss at = miss(t);
        ++evaluations;
        if (at.value == 0.0)
            return t;
        (at.value < 0.0 ? lo : hi) = t;
        // Halley: the root of the osculating hyperbola, 2gg'/(2g'² − gg'').
        const double g = at.value;
        const double divisor = 2.0 * at.slope * at.slope - g * at.curvature;
        const double halley = 2.0 * g * at.slope / divisor;
        double next = t - (divisor > 0.0 ? halley : g / at.slope);
        // What is left of the error goes with the step's cube times about
        // half the square of g''/g'.
        const double moved = std::fabs(next - t);
        if (moved <= kWetBulbSettledStep && 0.5 * at.curvature * at.curvature * (moved * moved * moved) <=
                                                kWetBulbSettledError * (at.slope * at.slope))
            return std::clamp(next, first, end);
        if (!(next > lo && next < hi) || moved > 0.5 * std::fabs(stepBefore))
            next = lo + 0.5 * (hi - lo);
        if (hi - lo <= kBracketWidth)
            return next;
        stepBefore = step;
        step = next - t;
        t = next;
    }
    Fail(FailureCause::NoConvergence);
}

} // namespace
} // namespace detail

using detail::Num;

double DewPoint(double pw, bool si, Saturation over)
{
    const detail::System& s = detail::SystemOf(si);
    // Not positive: InvalidLogarithm; NaN: InvalidOperation.
    const double lnPw = humitrax::detail::Log(pw).v;
    const detail::SaturationInverse& inverse = detail::InverseOf(si, over);
    if (!(pw >= inverse.lowestP && pw <= inverse.highestP))
        humitrax::detail::Fail(FailureCause::TypeMismatch);
    return detail::InvertSaturation(s, inverse, lnPw);
}

double WetBulb(double t, double W, double p, bool si) { return WetBulb(t, W, p, si, KnownValues{}); }

double WetBulb(double t, double W, double p, bool si, std::optional<double> dewPoint, Saturation over)
{
    return WetBulb(t, W, p, si, KnownValues{std::nullopt, dewPoint}, over);
}

double WetBulb(double t, double W, double p, bool si, const KnownValues& known, Saturation over)
{
    using humitrax::detail::Checked;
    using humitrax::detail::Fail;
    const detail::System& s = detail::SystemOf(si);
    (void)Checked(W);
    if (!(Checked(p) > 0.0))
        Fail(FailureCause::InvalidOperation);
    const double pwsDryBulb = known.saturationPressure ? (detail::InRange(s, t), *known.saturationPressure)
                                                       : SatPressure(t, si, over);
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
    const detail::SaturationInverse& inverse = detail::InverseOf(si, over);

    int evaluations = 0;
    const double divisor = s.pressureDivisor;
    auto missWith = [&](double twb, double pws) { return detail::MissAt(s, t, twb, pws, p, W, over); };
    auto clearedWith = [&](double twb, double pws) {
        return detail::ClearedWith(s, t, twb, pws * divisor, p, W, over);
    };

    // The upper end: the dry bulb, or just below the boiling point at p.
    double hi = t;
    double pwsHi = pwsDryBulb;
    if (pwsDryBulb < p) {
        ++evaluations;
        if (missWith(hi, pwsDryBulb) <= 0.0)
            return t; // saturated
    } else {
        double below = 0.1;
        bool found = false;
        for (int k = 1; k <= detail::kBoilingSteps && !found; ++k, below *= 0.1) {
            const double target = (Num(p) * (1.0 - below)).v;
            if (target <= pw)
                continue;
            hi = DewPoint(target, si, over);
            pwsHi = SatPressure(hi, si, over);
            if (pwsHi >= p)
                continue;
            ++evaluations;
            found = missWith(hi, pwsHi) > 0.0;
        }
        if (!found)
            Fail(FailureCause::NoConvergence);
    }
    detail::WetBulbMiss atHi = clearedWith(hi, pwsHi);

    // The lower end: the dew point, where the relation lies below W by about
    // (t − td)(1.006 + 1.86 W)/2500; for W = 0, or vapour too thin to have a
    // dew point in the range, the range's lowest temperature.
    double lo = s.lowest;
    bool atDewPoint = false;
    if (known.dewPoint) {
        lo = *known.dewPoint;
        atDewPoint = true;
        if (lo >= t)
            return t;
    } else if (pw >= inverse.lowestP) { // SatPressure(lowest)
        lo = DewPoint(pw, si, over);
        atDewPoint = true;
        if (lo >= t)
            return t; // saturated: the dew point, to its last bits, is the dry bulb
    }
    // At the dew point SatPressure is pw, to within kDewPointPressureSlack: the
    // relation there, formed from pw, lies below W by more than that can move
    // it, and no saturation pressure need be formed, but near saturation.
    detail::WetBulbMiss atLo{};
    bool lowEndKnown = false;
    if (atDewPoint) {
        atLo = clearedWith(lo, pw);
        lowEndKnown = atLo.value < -2.0 * detail::kDewPointPressureSlack * atLo.saturationTerm;
    }
    if (!lowEndKnown) {
        double pwsLo = SatPressure(lo, si, over);
        double missLo = missWith(lo, pwsLo);
        ++evaluations;
        if (missLo > 0.0 && lo > s.lowest) {
            // Close to saturation rounding, or the inch-pound eq. 35 whose
            // factors do not cancel at t* = t, can put the root just below
            // the dew point.
            lo = s.lowest;
            pwsLo = SatPressure(lo, si, over);
            missLo = missWith(lo, pwsLo);
            ++evaluations;
        }
        if (missLo == 0.0)
            return lo;
        if (missLo > 0.0)
            Fail(FailureCause::TypeMismatch); // the wet bulb lies below the range
        atLo = clearedWith(lo, pwsLo);
    }

    // Eq. 35 (ice on the wick) below freezing and eq. 33 above it disagree at
    // freezing, where the relation mostly steps down: a state may then have a
    // root on each side. The lower one is the answer, and either way the
    // bracket ends at freezing, on the root's side, which the relation crosses
    // smoothly. Both saturation pressures there are known.
    if (over == Saturation::IceBelowFreezing && lo < s.freezing && s.freezing <= hi) {
        const detail::WetBulbMiss below = clearedWith(inverse.belowFreezing, inverse.pwsBelowFreezing);
        if (below.value >= 0.0) {
            if (below.value == 0.0)
                return inverse.belowFreezing;
            hi = inverse.belowFreezing;
            atHi = below;
        } else {
            const detail::WetBulbMiss at = clearedWith(s.freezing, inverse.pwsAtFreezing);
            if (at.value >= 0.0)
                return s.freezing; // the root, or where the relation steps up across W
            lo = s.freezing;
            atLo = at;
        }
    }
    const double start = detail::QuinticStart(lo, atLo, hi, atHi);
    auto cleared = [&](double twb) { return detail::ClearedAt(s, t, twb, p, W, over); };
    return detail::HalleyInBracket(cleared, lo, hi, start, evaluations);
}

} // namespace humitrax::ashrae2017
