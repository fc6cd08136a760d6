#include "humitrax/state.h"

#include "humitrax/psychrometrics.h"

#include <cmath>

namespace humitrax {
namespace {

constexpr std::string_view kNoResult = "no result";
constexpr std::string_view kDryAir = "undefined for dry air (humidity ratio 0)";

Cell Failed(std::string_view reason) noexcept
{
    Cell cell;
    cell.reason = reason;
    return cell;
}

Cell Value(double value) noexcept
{
    if (!std::isfinite(value))
        return Failed(CausePhrase(std::isnan(value) ? FailureCause::InvalidOperation
                                                    : FailureCause::Overflow));
    Cell cell;
    cell.value = value;
    cell.present = true;
    return cell;
}

/// One engine call as a cell: its number, its error text, or its failure.
/// `scale` turns the relative humidity's fraction into percent.
template <typename Call>
Cell Evaluate(Call&& call, double scale = 1.0) noexcept
{
    try {
        const PropertyResult result = call();
        if (result.isText())
            return Failed(result.text());
        if (result.isEmpty())
            return Failed(kNoResult);
        return Value(result.AsNumber() * scale);
    } catch (const PropertyFailure& failure) {
        return Failed(CausePhrase(failure.cause()));
    }
}

/// The relative humidity's reason when the calculator's relations give none
/// for this dry bulb: below 0 °C or 0 °F, or with a wet bulb given below
/// −60 °C or 32 °F. Empty when the dry bulb is above that limit.
std::string_view BelowRelativeHumidityLimit(Units units, Condition condition, double T) noexcept
{
    const bool wetBulb = condition == Condition::WetBulb;
    if (units == Units::SI) {
        if (wetBulb)
            return T < -60.0 ? "not defined below -60 °C by the calculator's relations" : "";
        return T < 0.0 ? "not defined below 0 °C by the calculator's relations" : "";
    }
    if (wetBulb)
        return T < 32.0 ? "not defined below 32 °F by the calculator's relations" : "";
    return T < 0.0 ? "not defined below 0 °F by the calculator's relations" : "";
}

/// Why air with these given values cannot exist, or nothing.
std::string_view Refusal(const StateInput& input, const double& StateVar) noexcept
{
    const double& T = input.dryBulb;
    const double& p = input.pressure;
    if (!(p > 0.0))
        return "at or below 0";
    switch (input.condition) {
    case Condition::RelativeHumidity:
        if (input.value < 0.0)
            return "below 0 %";
        if (input.value > 100.0)
            return "above 100 %";
        break;
    case Condition::WetBulb:
    case Condition::DewPoint:
        if (input.value > T)
            return "above the dry bulb";
        break;
    case Condition::HumidityRatio: {
        if (input.value < 0.0)
            return "below 0";
        const Cell saturated = Evaluate([&] {
            return EngineProperty(Property::HumidityRatio, input.units, T, p,
                                  Condition::RelativeHumidity, 1.0);
        });
        if (saturated.present && input.value > saturated.value)
            return "above saturation at the dry bulb and pressure";
        return {};
    }
    }
    const Cell ratio = Evaluate([&] {
        return EngineProperty(Property::HumidityRatio, input.units, T, p, input.condition, StateVar);
    });
    if (ratio.present && ratio.value < 0.0)
        return "gives a negative humidity ratio";
    return {};
}

} // namespace

std::string_view PropertyColumn(Property property) noexcept
{
    switch (property) {
    case Property::DryBulb: return "dry_bulb";
    case Property::Pressure: return "pressure";
    case Property::WetBulb: return "wet_bulb";
    case Property::DewPoint: return "dew_point";
    case Property::RelativeHumidity: return "relative_humidity";
    case Property::HumidityRatio: return "humidity_ratio";
    case Property::Enthalpy: return "enthalpy";
    case Property::SpecificVolume: return "specific_volume";
    case Property::Grains: return "grains";
    }
    return "";
}

Property ConditionProperty(Condition condition) noexcept
{
    switch (condition) {
    case Condition::WetBulb: return Property::WetBulb;
    case Condition::DewPoint: return Property::DewPoint;
    case Condition::RelativeHumidity: return Property::RelativeHumidity;
    case Condition::HumidityRatio: return Property::HumidityRatio;
    }
    return Property::RelativeHumidity;
}

std::optional<Condition> ConditionFromColumn(std::string_view column) noexcept
{
    for (Condition condition : {Condition::WetBulb, Condition::DewPoint,
                                Condition::RelativeHumidity, Condition::HumidityRatio}) {
        if (column == PropertyColumn(ConditionProperty(condition)))
            return condition;
    }
    return std::nullopt;
}

std::string_view PropertyUnit(Property property, Units units) noexcept
{
    const bool si = units == Units::SI;
    switch (property) {
    case Property::DryBulb:
    case Property::WetBulb:
    case Property::DewPoint: return si ? "°C" : "°F";
    case Property::Pressure: return si ? "kPa" : "psia";
    case Property::RelativeHumidity: return "%";
    case Property::HumidityRatio: return si ? "kg/kg" : "lb/lb";
    case Property::Enthalpy: return si ? "kJ/kg" : "Btu/lb";
    case Property::SpecificVolume: return si ? "m³/kg" : "ft³/lb";
    case Property::Grains: return "gr/lb";
    }
    return "";
}

std::string_view AltitudeUnit(Units units) noexcept { return units == Units::SI ? "m" : "ft"; }

std::string_view CausePhrase(FailureCause cause) noexcept
{
    switch (cause) {
    // Here the situation is always valid, so an error text used as a number
    // is the saturation pressure's: a temperature of the state, or a trial
    // wet bulb, lies outside −100 to 200 °C (−148 to 392 °F).
    case FailureCause::TypeMismatch: return "temperature out of range";
    case FailureCause::DivisionByZero: return "division by zero";
    case FailureCause::Overflow: return "overflow";
    case FailureCause::InvalidOperation: return "invalid operation";
    case FailureCause::InvalidLogarithm: return "invalid logarithm";
    case FailureCause::NoConvergence: return "no convergence";
    }
    return CauseName(cause);
}

std::span<const Property> CalculatorOrder(Condition condition) noexcept
{
    using enum Property;
    static constexpr std::array<Property, 5> kFromWetBulb{RelativeHumidity, DewPoint, HumidityRatio,
                                                          Enthalpy, SpecificVolume};
    static constexpr std::array<Property, 5> kFromDewPoint{RelativeHumidity, WetBulb, HumidityRatio,
                                                           Enthalpy, SpecificVolume};
    static constexpr std::array<Property, 5> kFromRelativeHumidity{DewPoint, WetBulb, HumidityRatio,
                                                                   Enthalpy, SpecificVolume};
    static constexpr std::array<Property, 5> kFromHumidityRatio{DewPoint, WetBulb, RelativeHumidity,
                                                                Enthalpy, SpecificVolume};
    switch (condition) {
    case Condition::WetBulb: return kFromWetBulb;
    case Condition::DewPoint: return kFromDewPoint;
    case Condition::RelativeHumidity: return kFromRelativeHumidity;
    case Condition::HumidityRatio: return kFromHumidityRatio;
    }
    return {};
}

PropertyResult EngineProperty(Property property, Units units, const double& T, const double& p,
                              Condition condition, const double& StateVar)
{
    const auto Situation = static_cast<std::int16_t>(condition);
    if (units == Units::SI) {
        switch (property) {
        case Property::WetBulb: return WetBulbSI(T, p, Situation, StateVar);
        case Property::DewPoint: return DewPointSI(T, p, Situation, StateVar);
        case Property::RelativeHumidity: return HumiditySI(T, p, Situation, StateVar);
        case Property::HumidityRatio: return HumidRatioSI(T, p, Situation, StateVar);
        case Property::Enthalpy: return EnthalpySI(T, p, Situation, StateVar);
        case Property::SpecificVolume: return VolumeSI(T, p, Situation, StateVar);
        default: return {};
        }
    }
    const std::int16_t inchPound = 0;
    switch (property) {
    case Property::WetBulb: return WetBulb(T, p, Situation, StateVar, inchPound);
    case Property::DewPoint: return DewPoint(T, p, Situation, StateVar, inchPound);
    case Property::RelativeHumidity: return Humidity(T, p, Situation, StateVar, inchPound);
    case Property::HumidityRatio: return HumidRatio(T, p, Situation, StateVar, inchPound);
    case Property::Enthalpy: return Enthalpy(T, p, Situation, StateVar, inchPound);
    case Property::SpecificVolume: return Volume(T, p, Situation, StateVar, inchPound);
    case Property::Grains: return Grains(T, p, Situation, StateVar);
    default: return {};
    }
}

StateResult ComputeState(const StateInput& input) noexcept
{
    const double& T = input.dryBulb;
    const double& p = input.pressure;
    const double StateVar = input.condition == Condition::RelativeHumidity ? input.value / 100.0
                                                                           : input.value;
    StateResult result;
    result[Property::DryBulb] = Value(T);
    result[Property::Pressure] = Value(p);
    result[ConditionProperty(input.condition)] = Value(input.value);
    result.refusal = Refusal(input, StateVar);
    if (!result.refusal.empty()) {
        result.refused = p > 0.0 ? ConditionProperty(input.condition) : Property::Pressure;
        return result;
    }

    // The calculator's calls for the given condition, in its order.
    const auto call = [&](Property property) {
        return [&, property] {
            return EngineProperty(property, input.units, T, p, input.condition, StateVar);
        };
    };
    for (Property property : CalculatorOrder(input.condition)) {
        const double scale = property == Property::RelativeHumidity ? 100.0 : 1.0;
        result[property] = Evaluate(call(property), scale);
    }
    if (input.units == Units::InchPound)
        result[Property::Grains] = Evaluate(call(Property::Grains));

    // Reasons in a user's words where the engine's are terse.
    Cell& dew = result[Property::DewPoint];
    if (!dew.present && dew.reason == CausePhrase(FailureCause::InvalidLogarithm))
        dew.reason = kDryAir;
    Cell& relative = result[Property::RelativeHumidity];
    if (!relative.present && relative.reason == texts::kOutOfRange) {
        const std::string_view limit = BelowRelativeHumidityLimit(input.units, input.condition, T);
        if (!limit.empty())
            relative.reason = limit;
    }
    return result;
}

} // namespace humitrax
