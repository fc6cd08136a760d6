// Humidity ratio from the dry bulb, the pressure and the second property.
#include "checked.h"
#include "humitrax/psychrometrics.h"
#include "units.h"

namespace humitrax {
namespace detail {
namespace {

PropertyResult HumidityRatio(const UnitSystem& units, const double& T, const double& p,
                             const std::int16_t& Situation, const double& StateVar)
{
    switch (Situation) {
    case kWetBulbGiven: {
        // The saturation pressure at the dry bulb is evaluated, and can fail,
        // although only the one at the wet bulb is used.
        (void)SaturationPressureIn(units, T).AsNumber();
        const double pwsWetBulb = SaturationPressureIn(units, StateVar).AsNumber();
        const double WsStar = SaturationRatio(pwsWetBulb, p);
        return WetBulbRelation(units.wetBulb, T, StateVar, WsStar);
    }
    case kDewPointGiven:
        return SaturationRatio(SaturationPressureIn(units, StateVar).AsNumber(), p);
    case kRelativeHumidityGiven: {
        const Num pw = Num(SaturationPressureIn(units, T).AsNumber()) * StateVar;
        return SaturationRatio(pw.v, p);
    }
    case kHumidityRatioGiven:
        return StateVar;
    default:
        return PropertyResult::Text(texts::kError);
    }
}

} // namespace

PropertyResult HumidityRatioIn(const UnitSystem& units, const double& T, const double& p,
                               const std::int16_t& Situation, const double& StateVar)
{
    static constexpr std::int16_t kInchPoundFlag = 0;
    return units.si ? HumidRatioSI(T, p, Situation, StateVar)
                    : HumidRatio(T, p, Situation, StateVar, kInchPoundFlag);
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
    return detail::HumidityRatio(detail::kInchPound, T, p, Situation, StateVar);
}

PropertyResult HumidRatioSI(const double& T, const double& p, const std::int16_t& Situation,
                            const double& StateVar)
{
    return detail::HumidityRatio(detail::kSI, T, p, Situation, StateVar);
}

} // namespace humitrax
