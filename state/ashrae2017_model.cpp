// The 2017 Handbook's model: the humidity ratio from the given condition,
// every other property from it.
#include "cells.h"
#include "rules.h"

#include "humitrax/ashrae2017.h"
#include "humitrax/constants.h"

namespace humitrax::detail {
namespace {

constexpr double kPercent = 100.0;
constexpr std::string_view kDryAir = "undefined for dry air (humidity ratio 0)";

bool IsSI(const StateInput& input) noexcept { return input.units == Units::SI; }

/// A property computed from the humidity ratio: fails with the ratio's own
/// reason when there is none.
template <typename Call>
Cell FromRatio(const Cell& ratio, Call&& call) noexcept
{
    if (!ratio.present)
        return Failed(ratio.reason);
    return Attempt(call);
}

} // namespace

Ashrae2017State::Ashrae2017State(const StateInput& input) noexcept : m_input(input)
{
    const double& t = input.dryBulb;
    const double& p = input.pressure;
    const bool si = IsSI(input);
    m_saturationPressure = Attempt([&] { return ashrae2017::SatPressure(t, si, input.saturation); });
    const double& pws = m_saturationPressure.value;
    m_saturationRatio = FromRatio(m_saturationPressure, [&] {
        return ashrae2017::HumidityRatioFromVapourPressure(pws, p, si);
    });
    switch (input.condition) {
    case Condition::WetBulb:
        m_ratio = Attempt(
            [&] { return ashrae2017::HumidityRatioFromWetBulb(t, input.value, p, si, input.saturation); });
        break;
    case Condition::DewPoint:
        m_ratio = Attempt([&] {
            return ashrae2017::HumidityRatioFromVapourPressure(ashrae2017::SatPressure(input.value, si, input.saturation),
                                                               p, si);
        });
        break;
    case Condition::RelativeHumidity:
        // pw = φ·pws(t), as HumidityRatioFromRelativeHumidity forms it.
        m_ratio = FromRatio(m_saturationPressure, [&] {
            const double pw = Checked((input.value / kPercent) * pws);
            return ashrae2017::HumidityRatioFromVapourPressure(pw, p, si);
        });
        break;
    case Condition::HumidityRatio:
        m_ratio = Value(input.value);
        break;
    }
    // Dry air whose humidity ratio the rounding of its relation put a hair
    // below 0 is dry air.
    if (m_ratio.present && m_ratio.value < 0.0 && m_ratio.value >= -kNegligibleRatio)
        m_ratio.value = 0.0;
}

void Ashrae2017State::Properties(StateResult& result) const noexcept
{
    const StateInput& input = m_input;
    const double& t = input.dryBulb;
    const double& p = input.pressure;
    const bool si = IsSI(input);
    const Cell& ratio = m_ratio;
    const double& W = ratio.value;
    result[Property::HumidityRatio] = ratio;
    const Cell vapour =
        FromRatio(ratio, [&] { return ashrae2017::VapourPressureFromHumidityRatio(W, p, si); });
    result[Property::VapourPressure] = vapour;
    if (input.condition != Condition::RelativeHumidity) {
        // pw / pws(t), as RelativeHumidityFromHumidityRatio forms it.
        result[Property::RelativeHumidity] =
            !m_saturationPressure.present ? Failed(m_saturationPressure.reason)
                                          : FromRatio(vapour, [&] {
                                                return (vapour.value / m_saturationPressure.value) * kPercent;
                                            });
    }
    if (input.condition != Condition::DewPoint) {
        Cell& dew = result[Property::DewPoint];
        dew = FromRatio(vapour, [&] { return ashrae2017::DewPoint(vapour.value, si, input.saturation); });
        if (!dew.present && dew.reason == CausePhrase(FailureCause::InvalidLogarithm))
            dew.reason = kDryAir;
        else if (!dew.present && dew.reason == CausePhrase(FailureCause::TypeMismatch) && vapour.present &&
                 vapour.value < ashrae2017::SatPressure(TemperatureRangeOf(si).lowest, si, input.saturation))
            dew.reason = BelowRange(input.units);
    }
    if (input.condition != Condition::WetBulb) {
        // The dew point brackets the wet bulb from below, and the saturation
        // pressure at the dry bulb is its upper end's: each formed once.
        const Cell& dew = result[Property::DewPoint];
        ashrae2017::KnownValues known;
        if (dew.present)
            known.dewPoint = dew.value;
        if (m_saturationPressure.present)
            known.saturationPressure = m_saturationPressure.value;
        result[Property::WetBulb] =
            FromRatio(ratio, [&] { return ashrae2017::WetBulb(t, W, p, si, known, input.saturation); });
    }
    result[Property::Enthalpy] = FromRatio(ratio, [&] { return ashrae2017::Enthalpy(t, W, si); });
    result[Property::SpecificVolume] =
        FromRatio(ratio, [&] { return ashrae2017::Volume(t, W, p, si); });
    if (!si)
        result[Property::Grains] = FromRatio(ratio, [&] { return W * static_cast<double>(kGrainsPerPound); });
    result[Property::SaturationVapourPressure] = m_saturationPressure;
    result[Property::SaturationHumidityRatio] = m_saturationRatio;
}

} // namespace humitrax::detail
