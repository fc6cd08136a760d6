// Thermodynamic wet bulb, by a secant iteration on the wet-bulb relation.
#include "num.h"
#include "humitrax/psychrometrics.h"
#include "state_calculation.h"
#include "units.h"

namespace humitrax {
namespace detail {
namespace {

constexpr double kSecondStartBelow = 10.0; ///< degrees below the dry bulb, °C or °F
constexpr double kTolerance = 1e-9;        ///< on the humidity ratio, absolute
/// Some targets never meet the tolerance: the saturation pressure steps by about
/// 97 ppm at the triple point (ice below, water above), and a secant straddling
/// the step hops across it for ever. After this many passes the best tested
/// point is the answer, if its miss is below kLooseTolerance.
constexpr int kMaxPasses = 100;
constexpr double kLooseTolerance = 1e-6;

} // namespace

PropertyResult WetBulbStep(StateCalculation& state)
{
    const UnitSystem& units = state.units;
    const double& T = state.T;
    const double& p = state.p;
    switch (state.Situation) {
    case kWetBulbGiven:
        return state.StateVar;
    case kDewPointGiven:
    case kRelativeHumidityGiven:
    case kHumidityRatioGiven:
        break;
    default:
        return PropertyResult::Text(texts::kInvalidSituation);
    }
    const Num W = state.HumidityRatio();

    // The humidity ratio the wet-bulb relation gives for a trial wet bulb,
    // from the saturation pressure there.
    auto relationAt = [&](Num trial, double pws) {
        return Num(WetBulbRelation(units.wetBulb, T, trial.v, SaturationRatio(pws, p)));
    };
    auto ratioAt = [&](Num trial) { return relationAt(trial, SaturationPressureIn(units, trial.v).AsNumber()); };

    Num t1 = T;
    Num t2 = Num(T) - kSecondStartBelow;
    // The first trial point is the dry bulb itself.
    Num W1 = relationAt(t1, state.DryBulbSaturation());
    double bestMiss = 0.0;
    double bestPoint = 0.0;
    for (int pass = 1; pass <= kMaxPasses; ++pass) {
        const Num W2 = ratioAt(t2);
        const Num miss = Abs(W - W2);
        const Num slope = (W1 - W2) / (t1 - t2);
        const Num tested = t2;
        t1 = tested;
        const Num intercept = W2 - t2 * slope; // the secant at t* = 0
        t2 = (W - intercept) / slope;
        // The secant returns the point it tested, not its newer estimate.
        if (miss.v < kTolerance)
            return tested.v;
        if (pass == 1 || miss.v < bestMiss) {
            bestMiss = miss.v;
            bestPoint = tested.v;
        }
        W1 = W2; // the tested point is the next pass's t1
    }
    if (bestMiss < kLooseTolerance)
        return bestPoint;
    Fail(FailureCause::NoConvergence);
}

} // namespace detail

PropertyResult WetBulb(const double& T, const double& p, const std::int16_t& Situation,
                       const double& StateVar, const std::int16_t& UnitsSI)
{
    if (UnitsSI != 0)
        return WetBulbSI(T, p, Situation, StateVar);
    return detail::RunAlone(detail::WetBulbStep, detail::kInchPound, T, p, Situation, StateVar);
}

PropertyResult WetBulbSI(const double& T, const double& p, const std::int16_t& Situation,
                         const double& StateVar)
{
    return detail::RunAlone(detail::WetBulbStep, detail::kSI, T, p, Situation, StateVar);
}

} // namespace humitrax
