// The rules that keep a state to air that can exist.
#include "rules.h"

#include "cells.h"

#include "humitrax/constants.h"

#include <cmath>
#include <initializer_list>

namespace humitrax::detail {
namespace {

constexpr double kPercent = 100.0;

/// How far above its end (100 %, or 1) a relative humidity or degree of
/// saturation formed from a humidity ratio at saturation may come out by the
/// rounding of its operations, and still be that end.
constexpr double kRounding = 1e-9;

constexpr std::string_view kNotANumber = "not a number";
constexpr std::string_view kNotFinite = "not a finite number";
constexpr std::string_view kPressureNotAbove0 = "at or below 0";
constexpr std::string_view kBelow0Percent = "below 0 %";
constexpr std::string_view kAbove100Percent = "above 100 %";
constexpr std::string_view kAboveDryBulb = "above the dry bulb";
constexpr std::string_view kBelow0 = "below 0";
constexpr std::string_view kAbove1 = "above 1";
constexpr std::string_view kNotAbove0 = "at or below 0";
constexpr std::string_view kNotBelowPressure = "at or above the barometric pressure";
constexpr std::string_view kAboveSaturation = "above saturation at the dry bulb and pressure";
constexpr std::string_view kNegativeRatio = "gives a negative humidity ratio";
constexpr std::string_view kNoSaturation = "no saturation: the dry bulb is above the boiling point at this pressure";

/// Why a given temperature cannot be used, or nothing.
std::string_view TemperatureRefusal(Units units, double t) noexcept
{
    if (std::isnan(t))
        return kNotANumber;
    const TemperatureRange& range = TemperatureRangeOf(units == Units::SI);
    if (t < range.lowest)
        return BelowRange(units);
    if (t > range.highest)
        return AboveRange(units);
    return {};
}

/// Whether air at the dry bulb can saturate: its saturation pressure lies
/// below the pressure. Unknown (no saturation pressure) counts as yes.
bool Saturates(const StateInput& input, const Cell& saturationPressure) noexcept
{
    return !saturationPressure.present || saturationPressure.value < input.pressure;
}

/// Empties the cell with `reason` unless it holds a value within [low, high];
/// a value above `high` by no more than rounding is taken as `high`.
void KeepWithin(Cell& cell, double low, double high, std::string_view belowLow, std::string_view aboveHigh,
                bool roundToHigh = false) noexcept
{
    if (!cell.present)
        return;
    if (cell.value < low) {
        cell = Failed(belowLow);
    } else if (cell.value > high) {
        if (roundToHigh && cell.value <= high * (1.0 + kRounding))
            cell.value = high;
        else
            cell = Failed(aboveHigh);
    }
}

/// Empties the cell unless it holds a value above 0.
void KeepPositive(Cell& cell) noexcept
{
    if (cell.present && !(cell.value > 0.0))
        cell = Failed(kNotAbove0);
}

} // namespace

std::string_view BelowRange(Units units) noexcept
{
    return units == Units::SI ? "below -100 °C, the lowest temperature the relations cover"
                              : "below -148 °F, the lowest temperature the relations cover";
}

std::string_view AboveRange(Units units) noexcept
{
    return units == Units::SI ? "above 200 °C, the highest temperature the relations cover"
                              : "above 392 °F, the highest temperature the relations cover";
}

std::string_view ValueRefusal(Property property, double value, Units units, double pressure) noexcept
{
    if (std::isnan(value))
        return kNotANumber;
    switch (property) {
    case Property::Pressure:
        if (!(value > 0.0))
            return kPressureNotAbove0;
        break;
    case Property::DryBulb:
    case Property::WetBulb:
    case Property::DewPoint: return TemperatureRefusal(units, value);
    case Property::RelativeHumidity:
        if (value < 0.0)
            return kBelow0Percent;
        return value > kPercent ? kAbove100Percent : std::string_view();
    case Property::HumidityRatio:
        if (value < 0.0)
            return kBelow0;
        break;
    case Property::VapourPressure:
        if (value < 0.0)
            return kBelow0;
        if (value >= pressure)
            return kNotBelowPressure;
        break;
    case Property::SpecificVolume:
        if (!(value > 0.0))
            return kNotAbove0;
        break;
    default: break;
    }
    // The rest have no end but infinity.
    return std::isinf(value) ? kNotFinite : std::string_view();
}

Refusal GivenRefusal(const StateInput& input) noexcept
{
    if (!(input.pressure > 0.0))
        return {Property::Pressure, kPressureNotAbove0};
    if (std::string_view why = TemperatureRefusal(input.units, input.dryBulb); !why.empty())
        return {Property::DryBulb, why};
    const Property given = ConditionProperty(input.condition);
    const auto refuse = [&](std::string_view why) { return Refusal{given, why}; };
    switch (input.condition) {
    case Condition::RelativeHumidity:
    case Condition::HumidityRatio:
        if (std::string_view why = ValueRefusal(given, input.value, input.units, input.pressure); !why.empty())
            return refuse(why);
        break;
    case Condition::WetBulb:
    case Condition::DewPoint:
        if (input.value > input.dryBulb)
            return refuse(kAboveDryBulb);
        if (std::string_view why = TemperatureRefusal(input.units, input.value); !why.empty())
            return refuse(why);
        break;
    }
    return {};
}

Refusal RatioRefusal(const StateInput& input, const Cell& saturationPressure, const Cell& saturationRatio,
                     const Cell& ratio) noexcept
{
    const Property given = ConditionProperty(input.condition);
    if (input.condition == Condition::HumidityRatio) {
        if (Saturates(input, saturationPressure) && saturationRatio.present && input.value > saturationRatio.value)
            return {given, kAboveSaturation};
    } else if (ratio.present && ratio.value < -kNegligibleRatio) {
        return {given, kNegativeRatio};
    }
    return {};
}

void KeepPossibleValues(const StateInput& input, StateResult& result) noexcept
{
    const TemperatureRange& range = TemperatureRangeOf(input.units == Units::SI);
    for (Property temperature : {Property::WetBulb, Property::DewPoint}) {
        Cell& cell = result[temperature];
        KeepWithin(cell, range.lowest, range.highest, BelowRange(input.units), AboveRange(input.units));
        if (cell.present && cell.value > input.dryBulb)
            cell.value = input.dryBulb;
    }
    KeepWithin(result[Property::RelativeHumidity], 0.0, kPercent, kBelow0Percent, kAbove100Percent, true);
    if (!Saturates(input, result[Property::SaturationVapourPressure])) {
        result[Property::SaturationHumidityRatio] = Failed(kNoSaturation);
        result[Property::DegreeOfSaturation] = Failed(kNoSaturation);
    }
    KeepWithin(result[Property::DegreeOfSaturation], 0.0, 1.0, kBelow0, kAbove1, true);
    for (Property ratio : {Property::HumidityRatio, Property::SpecificHumidity, Property::Grains}) {
        Cell& cell = result[ratio];
        if (cell.present && cell.value < 0.0)
            cell = cell.value >= -kNegligibleRatio && ratio == Property::HumidityRatio ? Value(0.0) : Failed(kBelow0);
    }
    Cell& vapour = result[Property::VapourPressure];
    KeepWithin(vapour, 0.0, input.pressure, kBelow0, kNotBelowPressure);
    if (vapour.present && vapour.value == input.pressure)
        vapour = Failed(kNotBelowPressure);
    KeepPositive(result[Property::SpecificVolume]);
    KeepPositive(result[Property::Density]);
}

} // namespace humitrax::detail
