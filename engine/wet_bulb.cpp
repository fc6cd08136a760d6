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

bool WetBulbSecant::Begin(StateCalculation& state)
{
    switch (state.Situation) {
    case kWetBulbGiven:
        m_result = state.StateVar;
        return true;
    case kDewPointGiven:
    case kRelativeHumidityGiven:
    case kHumidityRatioGiven:
        break;
    default:
        m_result = PropertyResult::Text(texts::kInvalidSituation);
        return true;
    }
    m_units = &state.units;
    m_T = &state.T;
    m_p = &state.p;
    m_W = state.HumidityRatio();
    m_t1 = state.T;
    m_t2 = Num(state.T) - kSecondStartBelow;
    // The first trial point is the dry bulb itself.
    m_W1 = Num(WetBulbRelation(m_units->wetBulb, *m_T, m_t1.v, SaturationRatio(state.DryBulbSaturation(), *m_p)));
    return false;
}

bool WetBulbSecant::Pass(const PropertyResult& saturation)
{
    // The humidity ratio the wet-bulb relation gives for the trial wet bulb,
    // from the saturation pressure there.
    const Num W2 = WetBulbRelation(m_units->wetBulb, *m_T, m_t2.v, SaturationRatio(saturation.AsNumber(), *m_p));
    const Num miss = Abs(m_W - W2);
    const Num slope = (m_W1 - W2) / (m_t1 - m_t2);
    const Num tested = m_t2;
    m_t1 = tested;
    const Num intercept = W2 - m_t2 * slope; // the secant at t* = 0
    m_t2 = (m_W - intercept) / slope;
    ++m_pass;
    // The secant returns the point it tested, not its newer estimate.
    if (miss.v < kTolerance) {
        m_result = tested.v;
        return true;
    }
    if (m_pass == 1 || miss.v < m_bestMiss) {
        m_bestMiss = miss.v;
        m_bestPoint = tested.v;
    }
    m_W1 = W2; // the tested point is the next pass's t1
    if (m_pass < kMaxPasses)
        return false;
    if (m_bestMiss < kLooseTolerance) {
        m_result = m_bestPoint;
        return true;
    }
    Fail(FailureCause::NoConvergence);
}

PropertyResult WetBulbStep(StateCalculation& state)
{
    WetBulbSecant secant;
    if (!secant.Begin(state)) {
        while (!secant.Pass(SaturationPressureIn(state.units, secant.Trial()))) {
        }
    }
    return secant.Result();
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
