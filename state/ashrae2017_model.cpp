// The 2017 Handbook's model: the humidity ratio from the given condition,
// every other property from it.
#include "cells.h"

#include "humitrax/ashrae2017.h"

namespace humitrax::detail {
namespace {

constexpr double kPercent = 100.0;
constexpr double kGrainsPerPound = 7000.0;
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

Cell Ashrae2017SaturationRatio(const StateInput& input) noexcept
{
    return Attempt([&] { return ashrae2017::SatHumidityRatio(input.dryBulb, input.pressure, IsSI(input)); });
}

Cell Ashrae2017HumidityRatio(const StateInput& input) noexcept
{
    const double& t = input.dryBulb;
    const double& p = input.pressure;
    const bool si = IsSI(input);
    return Attempt([&] {
        switch (input.condition) {
        case Condition::WetBulb: return ashrae2017::HumidityRatioFromWetBulb(t, input.value, p, si);
        case Condition::DewPoint:
            return ashrae2017::HumidityRatioFromVapourPressure(
                ashrae2017::SatPressure(input.value, si), p, si);
        case Condition::RelativeHumidity:
            return ashrae2017::HumidityRatioFromRelativeHumidity(t, p, input.value / kPercent, si);
        case Condition::HumidityRatio: break;
        }
        return input.value;
    });
}

void Ashrae2017Properties(const StateInput& input, StateResult& result) noexcept
{
    const double& t = input.dryBulb;
    const double& p = input.pressure;
    const bool si = IsSI(input);
    const Cell ratio = Ashrae2017HumidityRatio(input);
    const double& W = ratio.value;
    result[Property::HumidityRatio] = ratio;
    if (input.condition != Condition::RelativeHumidity) {
        result[Property::RelativeHumidity] = FromRatio(ratio, [&] {
            return ashrae2017::RelativeHumidityFromHumidityRatio(t, p, W, si) * kPercent;
        });
    }
    if (input.condition != Condition::DewPoint) {
        Cell& dew = result[Property::DewPoint];
        dew = FromRatio(ratio, [&] {
            return ashrae2017::DewPoint(ashrae2017::VapourPressureFromHumidityRatio(W, p, si), si);
        });
        if (!dew.present && dew.reason == CausePhrase(FailureCause::InvalidLogarithm))
            dew.reason = kDryAir;
    }
    if (input.condition != Condition::WetBulb) {
        // The dew point brackets the wet bulb from below: found once for both.
        const Cell& dew = result[Property::DewPoint];
        const std::optional<double> dewPoint =
            dew.present ? std::optional<double>(dew.value) : std::nullopt;
        result[Property::WetBulb] =
            FromRatio(ratio, [&] { return ashrae2017::WetBulb(t, W, p, si, dewPoint); });
    }
    result[Property::Enthalpy] = FromRatio(ratio, [&] { return ashrae2017::Enthalpy(t, W, si); });
    result[Property::SpecificVolume] =
        FromRatio(ratio, [&] { return ashrae2017::Volume(t, W, p, si); });
    if (!si)
        result[Property::Grains] = FromRatio(ratio, [&] { return W * kGrainsPerPound; });
    result[Property::VapourPressure] =
        FromRatio(ratio, [&] { return ashrae2017::VapourPressureFromHumidityRatio(W, p, si); });
    result[Property::SaturationVapourPressure] =
        Attempt([&] { return ashrae2017::SatPressure(t, si); });
    result[Property::SaturationHumidityRatio] = Ashrae2017SaturationRatio(input);
}

} // namespace humitrax::detail
