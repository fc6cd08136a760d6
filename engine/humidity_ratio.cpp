// Humidity ratio from the dry bulb, the pressure and the second property.
#include "num.h"
#include "humitrax/psychrometrics.h"
#include "state_calculation.h"
#include "units.h"

namespace humitrax {
namespace detail {

PropertyResult HumidityRatioStep(StateCalculation& state)
{
    const UnitSystem& units = state.units;
    const double& T = state.T;
    const double& p = state.p;
    const double& StateVar = state.StateVar;
    switch (state.Situation) {
    case kWetBulbGiven: {
        // The saturation pressure at the dry bulb is evaluated, and can fail,
        // although only the one at the wet bulb is used.
        (void)state.DryBulbSaturation();
        const double pwsWetBulb = SaturationPressureIn(units, StateVar).AsNumber();
        const double WsStar = SaturationRatio(pwsWetBulb, p);
        return WetBulbRelation(units.wetBulb, T, StateVar, WsStar);
    }
    case kDewPointGiven:
        return SaturationRatio(SaturationPressureIn(units, StateVar).AsNumber(), p);
    case kRelativeHumidityGiven: {
        const Num pw = Num(state.DryBulbSaturation()) * StateVar;
        return SaturationRatio(pw.v, p);
    }
    case kHumidityRatioGiven:
        return StateVar;
    default:
        return PropertyResult::Text(texts::kError);
    }
}

double WetBulbRelation(const WetBulbConstants& c, double T, double wetBulb, double WsStar)
{
    // Where a system's relation has no factor, the factor 1 changes no bit.
    const Num t = wetBulb;
    const Num numerator = (c.latent - c.numeratorWetBulb * t) * WsStar - c.dryBulbDifference * (Num(T) - t);
    const Num denominator = (c.denominatorDryBulb * Num(T) + c.latent) - c.denominatorWetBulb * t;
    return (numerator / denominator).v;
}

} // namespace detail

PropertyResult HumidRatio(const double& T, const double& p, const std::int16_t& Situation,
                          const double& StateVar, const std::int16_t& UnitsSI)
{
    if (UnitsSI != 0)
        return HumidRatioSI(T, p, Situation, StateVar);
    return detail::RunAlone(detail::HumidityRatioStep, detail::kInchPound, T, p, Situation, StateVar);
}

PropertyResult HumidRatioSI(const double& T, const double& p, const std::int16_t& Situation,
                            const double& StateVar)
{
    return detail::RunAlone(detail::HumidityRatioStep, detail::kSI, T, p, Situation, StateVar);
}

} // namespace humitrax
