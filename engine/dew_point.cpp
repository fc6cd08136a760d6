// Dew point by the ASHRAE correlation in ln(pw), its form for dew points at or
// above freezing, used for every humidity.
#include "num.h"
#include "humitrax/psychrometrics.h"
#include "state_calculation.h"
#include "units.h"

namespace humitrax {
namespace detail {
namespace {

/// td = ((c2·α² + (c1·α + c0)) + c3·α³) + c4·pw^0.1984, α = ln(pw).
struct DewPointConstants {
    double c0, c1, c2, c3, c4;
    const char* invalidSituation;
};

constexpr double kVapourExponent = 0.1984;
constexpr DewPointConstants kDewPointInchPound{100.45, 33.193, 2.319, 0.17074, 1.2063,
                                               texts::kSituationMustBe};
constexpr DewPointConstants kDewPointSI{6.54, 14.526, 0.7389, 0.09486, 0.4569,
                                        texts::kInvalidSituation};

} // namespace

PropertyResult DewPointStep(StateCalculation& state)
{
    const DewPointConstants& c = state.units.si ? kDewPointSI : kDewPointInchPound;
    const double& p = state.p;
    double W = 0.0;
    switch (state.Situation) {
    case kDewPointGiven:
        return state.StateVar;
    case kHumidityRatioGiven:
        W = state.StateVar;
        break;
    case kWetBulbGiven:
    case kRelativeHumidityGiven:
        W = state.HumidityRatio();
        break;
    default:
        return PropertyResult::Text(c.invalidSituation);
    }
    const Num pw = (Num(W) * p) / (Num(W) + kMolarMassRatio);
    const Num alpha = Log(pw);
    const Num td = ((c.c2 * Pow(alpha, 2.0) + (c.c1 * alpha + c.c0)) + c.c3 * Pow(alpha, 3.0)) +
                   c.c4 * Pow(pw, kVapourExponent);
    return td.v;
}

} // namespace detail

PropertyResult DewPoint(const double& T, const double& p, const std::int16_t& Situation,
                        const double& StateVar, const std::int16_t& UnitsSI)
{
    if (UnitsSI != 0)
        return DewPointSI(T, p, Situation, StateVar);
    return detail::RunAlone(detail::DewPointStep, detail::kInchPound, T, p, Situation, StateVar);
}

PropertyResult DewPointSI(const double& T, const double& p, const std::int16_t& Situation,
                          const double& StateVar)
{
    return detail::RunAlone(detail::DewPointStep, detail::kSI, T, p, Situation, StateVar);
}

} // namespace humitrax
