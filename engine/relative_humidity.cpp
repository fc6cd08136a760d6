// Relative humidity from the degree of saturation.
#include "num.h"
#include "humitrax/psychrometrics.h"
#include "state_calculation.h"
#include "units.h"

namespace humitrax {
namespace detail {
namespace {

/// Lowest dry bulb the relative humidity accepts: −60 °C, but 32 °F.
constexpr double kLowestDryBulbSI = -60.0;
constexpr double kLowestDryBulbInchPound = 32.0;

/// How far above 1 a computed relative humidity may lie and still be saturated
/// air: the wet-bulb relation gives a few units in the last place above 1 for a
/// wet bulb equal to the dry bulb.
constexpr double kSaturatedExcess = 1e-12;

/// φ from the humidity ratio W and the saturation pressure at the dry bulb.
double FromHumidityRatio(double W, double pws, double p)
{
    const Num Ws = SaturationRatio(pws, p);
    const Num mu = Num(W) / Ws; // degree of saturation
    return (mu / (1.0 - (Num(pws) / p) * (1.0 - mu))).v;
}

PropertyResult RelativeHumidity(StateCalculation& state)
{
    const UnitSystem& units = state.units;
    const double& T = state.T;
    const double& p = state.p;
    const double& StateVar = state.StateVar;
    double reference = 0.0; // the dry bulb may not lie below it
    PropertyResult result;
    switch (state.Situation) {
    case kWetBulbGiven: {
        // The humidity ratio's own steps, in its order.
        reference = StateVar;
        const double pws = state.DryBulbSaturation();
        const double W = state.HumidityRatio();
        result = FromHumidityRatio(W, pws, p);
        break;
    }
    case kDewPointGiven: {
        const double W = state.HumidityRatio();
        result = FromHumidityRatio(W, state.DryBulbSaturation(), p);
        break;
    }
    case kRelativeHumidityGiven:
        result = StateVar;
        break;
    case kHumidityRatioGiven:
        result = FromHumidityRatio(StateVar, state.DryBulbSaturation(), p);
        break;
    default:
        break; // stays empty
    }
    if (state.Situation != kRelativeHumidityGiven && result.isNumber()) {
        const double phi = result.AsNumber();
        if (phi > 1.0 && phi - 1.0 <= kSaturatedExcess)
            result = 1.0;
    }
    const double lowest = units.si ? kLowestDryBulbSI : kLowestDryBulbInchPound;
    if (T < reference || T < lowest)
        return PropertyResult::Text(texts::kOutOfRange);
    return result;
}

/// The test of φ: a number (empty counts as 0) outside 0 to 1 is "out of range".
PropertyResult TestFraction(const PropertyResult& result)
{
    if (result.isText())
        return result;
    const double phi = result.AsNumber();
    if (phi < 0.0 || phi > 1.0)
        return PropertyResult::Text(texts::kOutOfRange);
    return result;
}

} // namespace

PropertyResult RelativeHumidityStep(StateCalculation& state) { return TestFraction(RelativeHumidity(state)); }

} // namespace detail

PropertyResult Humidity(const double& T, const double& p, const std::int16_t& Situation,
                        const double& StateVar, const std::int16_t& UnitsSI)
{
    if (UnitsSI != 0)
        return HumiditySI(T, p, Situation, StateVar);
    return detail::RunAlone(detail::RelativeHumidityStep, detail::kInchPound, T, p, Situation, StateVar);
}

PropertyResult HumiditySI(const double& T, const double& p, const std::int16_t& Situation,
                          const double& StateVar)
{
    return detail::RunAlone(detail::RelativeHumidityStep, detail::kSI, T, p, Situation, StateVar);
}

} // namespace humitrax
