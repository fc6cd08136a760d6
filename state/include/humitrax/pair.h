// File: pair.h
// A state of moist air from any two of its properties at a pressure: the dry
// bulb, wet bulb, dew point, relative humidity, humidity ratio, specific
// enthalpy, specific volume or vapour pressure. One solver for the command
// line, batch and the Python module. Toolkit-free, standard C++ only.
//
// How it solves:
// - With the dry bulb and one of the wet bulb, dew point, relative humidity
//   or humidity ratio, it is ComputeState itself: the same numbers to the bit
//   (under the calculator's model, the engine's own).
// - Otherwise it finds the dry bulb and humidity ratio that give both values
//   by the model's own properties, then computes the state from them. The
//   enthalpy with the humidity ratio is closed-form; the others are found by
//   a bracketed root search on the model's relations, then, for a wet bulb
//   or (under the calculator's model) a dew point, polished on the model's
//   own solver or correlation, so that a pair of a state's computed
//   properties gives that state back: its dry bulb within 1e-9 K and every
//   property within 1e-9 of itself (relatively). A dew point given without
//   the dry bulb is the model's dew point of the air: under the calculator's
//   model its dew-point correlation, which lies up to 0.03 K from the
//   inverse of its saturation pressure near saturation.
// - The two given cells hold the given values themselves.
//
// Refused, with the reason in the state's refusal:
// - the same property twice, or a property that cannot be given;
// - two that fix the same moisture (dew point, humidity ratio and vapour
//   pressure, any two): "dew_point and humidity_ratio fix the same moisture;
//   give a temperature, the enthalpy or the volume as well";
// - the wet bulb with the enthalpy: a line of constant wet bulb is so nearly
//   one of constant enthalpy (exactly, at a wet bulb of 0 °C) that the state
//   where they cross is not worth its digits; a rounding of the enthalpy in
//   its last digit moves the dry bulb by whole kelvins;
// - a pair no air within the relations' range has (a relative humidity with
//   an enthalpy no temperature from −100 to 200 °C reaches);
// - the refusals of ComputeState for the state found.
// Every valid pair has one state at most: along either given property's
// line the other changes monotonically.
#pragma once

#include "humitrax/state.h"

#include <array>
#include <cstddef>

namespace humitrax {

/// The properties a state may be given by, two at a time.
inline constexpr std::array<Property, 8> kGivableProperties{
    Property::DryBulb,       Property::WetBulb,  Property::DewPoint,       Property::RelativeHumidity,
    Property::HumidityRatio, Property::Enthalpy, Property::SpecificVolume, Property::VapourPressure,
};

/// A property's place in kGivableProperties, the order in which a state
/// reads two (its size for a property that cannot be given).
constexpr std::size_t GivableIndex(Property property) noexcept
{
    std::size_t index = 0;
    while (index < kGivableProperties.size() && kGivableProperties[index] != property)
        ++index;
    return index;
}

/// Whether a state may be given by the property.
constexpr bool IsGivable(Property property) noexcept { return GivableIndex(property) < kGivableProperties.size(); }

/// A state given where its pressure, model and units are known (a process's,
/// a chart's): two of its properties, in the units of the call (relative
/// humidity in percent); the state texts "25,rh=50" and "h=50,rh=60".
struct AirState {
    Property first = Property::DryBulb;
    double firstValue = 0.0;
    Property second = Property::RelativeHumidity;
    double secondValue = 0.0;
};

/// The state of a dry bulb and one condition.
inline AirState DryBulbState(double dryBulb, Condition condition, double value) noexcept
{
    return {Property::DryBulb, dryBulb, ConditionProperty(condition), value};
}

/// Two properties of a state and their values, at a pressure.
struct PairInput {
    Units units = Units::SI;
    Model model = Model::Calculator; ///< as every struct of the library
    Saturation saturation = Saturation::IceBelowFreezing;
    double pressure = 0.0;
    AirState given;
};

/// Every property of the state the two values give (see above). Never
/// throws; any thread may call it.
StateResult ComputeStateFromPair(const PairInput& input) noexcept;

} // namespace humitrax
