// The names and units of properties, conditions and models.
#include "humitrax/state.h"

#include <array>
#include <charconv>

namespace humitrax {

std::string_view ModelName(Model model) noexcept
{
    return model == Model::Ashrae2017 ? "ashrae2017" : "calculator";
}

std::string_view SaturationName(Saturation saturation) noexcept
{
    return saturation == Saturation::Water ? "water" : "ice";
}

std::optional<Saturation> SaturationFromName(std::string_view name) noexcept
{
    for (Saturation saturation : {Saturation::IceBelowFreezing, Saturation::Water}) {
        if (name == SaturationName(saturation))
            return saturation;
    }
    return std::nullopt;
}

std::optional<Model> ModelFromName(std::string_view name) noexcept
{
    for (Model model : {Model::Calculator, Model::Ashrae2017}) {
        if (name == ModelName(model))
            return model;
    }
    return std::nullopt;
}

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
    case Property::VapourPressure: return "vapour_pressure";
    case Property::SaturationVapourPressure: return "saturation_vapour_pressure";
    case Property::SaturationHumidityRatio: return "saturation_humidity_ratio";
    case Property::DegreeOfSaturation: return "degree_of_saturation";
    case Property::SpecificHumidity: return "specific_humidity";
    case Property::Density: return "density";
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
    for (Condition condition : kConditions) {
        if (column == PropertyColumn(ConditionProperty(condition)))
            return condition;
    }
    return std::nullopt;
}

std::optional<Property> PropertyFromColumn(std::string_view column) noexcept
{
    for (Property property : kAllProperties) {
        if (column == PropertyColumn(property))
            return property;
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
    case Property::Pressure:
    case Property::VapourPressure:
    case Property::SaturationVapourPressure: return si ? "kPa" : "psia";
    case Property::RelativeHumidity: return "%";
    case Property::HumidityRatio:
    case Property::SaturationHumidityRatio:
    case Property::SpecificHumidity: return si ? "kg/kg" : "lb/lb";
    case Property::Enthalpy: return si ? "kJ/kg" : "Btu/lb";
    case Property::SpecificVolume: return si ? "m³/kg" : "ft³/lb";
    case Property::Grains: return "gr/lb";
    case Property::DegreeOfSaturation: return "1";
    case Property::Density: return si ? "kg/m³" : "lb/ft³";
    }
    return "";
}

std::string ModelHint(std::string_view reason, Model model, std::string_view asked)
{
    if (model == Model::Calculator && reason.ends_with("by the calculator's relations"))
        return " (" + std::string(asked) + " computes it)";
    return {};
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

std::string ReadableNumber(double value)
{
    constexpr int kDigits = 6;
    std::array<char, 32> buffer{};
    auto [ptr, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                   std::chars_format::general, kDigits);
    (void)ec; // 32 characters hold six digits of every double
    std::string text(buffer.data(), ptr);
    return text == "-0" ? "0" : text;
}


std::string_view RefusedColumns(const StateResult& state) noexcept
{
    if (!state.refusedWith)
        return PropertyColumn(state.refused);
    using Pairs = std::array<std::array<std::string, kPropertyCount>, kPropertyCount>;
    static const Pairs kPairs = [] {
        Pairs pairs;
        for (Property first : kAllProperties) {
            for (Property second : kAllProperties) {
                pairs[static_cast<std::size_t>(first)][static_cast<std::size_t>(second)] =
                    std::string(PropertyColumn(first)) + " and " + std::string(PropertyColumn(second));
            }
        }
        return pairs;
    }();
    return kPairs[static_cast<std::size_t>(state.refused)][static_cast<std::size_t>(*state.refusedWith)];
}

std::string RefusalWords(const StateResult& state)
{
    return std::string(RefusedColumns(state)).append(" ").append(state.refusal);
}

} // namespace humitrax
