// File: state.h
// One state of moist air from given values: the dry bulb, the pressure (or
// an altitude) and one further condition, with every property the engine
// gives for it. The calculator's engine calls for each condition, the
// altitude conversion and the rules that refuse air that cannot exist live
// here, once, for the calculation driver, the command line, the chart and
// the libraries built on them. Toolkit-free, standard C++ only.
#pragma once

#include "humitrax/ashrae2017.h"
#include "humitrax/property_result.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace humitrax {

enum class Units : std::uint8_t { SI, InchPound };

/// The set of relations a state is computed by: the calculator's own (the
/// engine's public functions, as the calculator window calls them), or those
/// of the ASHRAE Handbook—Fundamentals 2017, chapter 1 (saturation over ice
/// below the triple point, the dew point by inverting the saturation
/// pressure, the wet-bulb equation over ice below freezing, the standard
/// atmosphere's altitude relation).
enum class Model : std::uint8_t { Calculator, Ashrae2017 };

/// What the 2017 model takes saturation over below the triple point: ice (the
/// Handbook's way, the default) or water (the meteorological convention).
/// The calculator's relations take it over ice below 0 °C, always.
using Saturation = ashrae2017::Saturation;

/// "ice" or "water".
std::string_view SaturationName(Saturation saturation) noexcept;
/// The saturation a name names, if any.
std::optional<Saturation> SaturationFromName(std::string_view name) noexcept;

/// "calculator" or "ashrae2017".
std::string_view ModelName(Model model) noexcept;
/// The model a name names, if any.
std::optional<Model> ModelFromName(std::string_view name) noexcept;

/// The condition given with the dry bulb, coded as the engine's Situation.
enum class Condition : std::int16_t {
    WetBulb = kWetBulbGiven,
    DewPoint = kDewPointGiven,
    RelativeHumidity = kRelativeHumidityGiven, ///< percent at this interface
    HumidityRatio = kHumidityRatioGiven,
};
inline constexpr std::array<Condition, 4> kConditions{Condition::WetBulb, Condition::DewPoint,
                                                      Condition::RelativeHumidity,
                                                      Condition::HumidityRatio};

/// The properties of a state, in the order the commands write them.
enum class Property : std::uint8_t {
    DryBulb,
    Pressure,
    WetBulb,
    DewPoint,
    RelativeHumidity, ///< percent
    HumidityRatio,
    Enthalpy,
    SpecificVolume,
    Grains,                   ///< inch-pound only
    VapourPressure,           ///< p·W/(ε + W), kPa or psia
    SaturationVapourPressure, ///< at the dry bulb, kPa or psia
    SaturationHumidityRatio,  ///< at the dry bulb and pressure
    DegreeOfSaturation,       ///< W/Ws
    SpecificHumidity,         ///< W/(1 + W)
    Density,                  ///< of the moist air, (1 + W)/v
};
inline constexpr std::size_t kPropertyCount = 15;

/// Every property, in column order.
inline constexpr std::array<Property, kPropertyCount> kAllProperties{
    Property::DryBulb,
    Property::Pressure,
    Property::WetBulb,
    Property::DewPoint,
    Property::RelativeHumidity,
    Property::HumidityRatio,
    Property::Enthalpy,
    Property::SpecificVolume,
    Property::Grains,
    Property::VapourPressure,
    Property::SaturationVapourPressure,
    Property::SaturationHumidityRatio,
    Property::DegreeOfSaturation,
    Property::SpecificHumidity,
    Property::Density,
};

/// The column name of a property ("dry_bulb", "relative_humidity", ...).
std::string_view PropertyColumn(Property property) noexcept;
/// The property a condition gives (Condition::DewPoint gives Property::DewPoint).
Property ConditionProperty(Condition condition) noexcept;
/// The property a column name names ("dew_point"), or nothing.
std::optional<Property> PropertyFromColumn(std::string_view column) noexcept;
/// The condition a column names, if it names one ("wet_bulb" ...).
std::optional<Condition> ConditionFromColumn(std::string_view column) noexcept;
/// The unit of a property in a unit system ("°C", "kPa", "%", "gr/lb" ...).
std::string_view PropertyUnit(Property property, Units units) noexcept;
/// The unit of an altitude: "m" or "ft".
std::string_view AltitudeUnit(Units units) noexcept;
/// Whether the unit system has the property (grains: inch-pound only).
constexpr bool HasProperty(Property property, Units units) noexcept
{
    return property != Property::Grains || units == Units::InchPound;
}

/// What a status adds to a reason the other model would not have: under the
/// calculator's model, " (--model ashrae2017 computes it)" after a reason
/// ending "by the calculator's relations", the 2017 model named as
/// `asked` names it (the Python module: model="ashrae2017"); else nothing.
std::string ModelHint(std::string_view reason, Model model, std::string_view asked = "--model ashrae2017");

/// A failure cause as words: "no convergence", "invalid logarithm" ...
std::string_view CausePhrase(FailureCause cause) noexcept;

/// A number in a message: six significant digits ("25.4871", "0.00987654",
/// "1e+06"), never "-0".
std::string ReadableNumber(double value);

/// One value, or why it could not be formed. `reason` has static storage: an
/// engine error text ("out of range") or a phrase.
struct Cell {
    double value = 0.0;
    std::string_view reason; ///< empty when the value stands
    bool present = false;
};

/// The barometric pressure in kPa at an altitude in metres, as the calculator
/// computes it: metres × 3.2808 to feet, interp, then psia ÷ 14.697 × 101.325
/// (dividing first). Throws PropertyFailure for a result that is not finite.
double AltitudePressureSI(double metres);

/// The barometric pressure at an altitude (metres or feet). The calculator's
/// model: SI metres by AltitudePressureSI, inch-pound feet straight to
/// interp. The 2017 model: the standard atmosphere, 101.325 kPa (14.696 psia)
/// at sea level. Altitudes outside −5000…11 000 m (−16 404…36 089 ft), where
/// the standard atmosphere's relation holds, have no pressure: the cell's
/// reason says so, as it says any failure.
Cell PressureFromAltitude(Units units, double altitude, Model model = Model::Calculator);

/// The properties the calculator computes for a given condition, in the order
/// it calls the engine for them: the three humidity properties other than
/// the given one, then enthalpy and specific volume.
std::span<const Property> CalculatorOrder(Condition condition) noexcept;

/// One call of the engine's public functions: `property` of the state (T, p,
/// Situation, StateVar as the engine takes them, relative humidity as a
/// fraction) in the unit system; SI calls the SI companions directly. The
/// given property itself, dry bulb and pressure are no engine call (empty).
PropertyResult EngineProperty(Property property, Units units, const double& T, const double& p,
                              Condition condition, const double& StateVar);

/// The given values of a state, in the units of the call; relative humidity
/// in percent.
struct StateInput {
    Units units = Units::SI;
    double dryBulb = 0.0;
    double pressure = 0.0;
    Condition condition = Condition::RelativeHumidity;
    double value = 0.0;
    Model model = Model::Calculator;
    Saturation saturation = Saturation::IceBelowFreezing; ///< the 2017 model's
};

/// Every property of a state. Each cell is computed on its own: a failing
/// engine call leaves only its own cell empty, with the reason. Air that
/// cannot exist is refused whole: `refusal` says why (static storage), the
/// given values stand in their cells and no other property is computed.
struct StateResult {
    std::array<Cell, kPropertyCount> cells{};
    Property refused = Property::DryBulb; ///< the given value that is refused
    /// The other given value, when the two together are refused (a pair that
    /// fixes one quantity only, or no air).
    std::optional<Property> refusedWith;
    std::string_view refusal; ///< empty unless the state is refused

    [[nodiscard]] const Cell& operator[](Property property) const noexcept
    {
        return cells[static_cast<std::size_t>(property)];
    }
    [[nodiscard]] Cell& operator[](Property property) noexcept
    {
        return cells[static_cast<std::size_t>(property)];
    }
};

/// Computes every property of the state by its model. Dry bulb, pressure
/// and the given condition are the input values themselves. Under the
/// calculator's model every property the calculator shows is the engine's
/// own number, bit for bit: the engine call the window makes for it, but for
/// a wet bulb or dew point that comes out above the dry bulb (the dew-point
/// correlation overshoots by up to 0.031 K near saturation), which is the
/// dry bulb.
///
/// Every value a state holds is one that air can have: temperatures within
/// the range the relations cover (constants.h), dew point and wet bulb at
/// most the dry bulb, relative humidity within 0…100 %, humidity ratio at
/// least 0, vapour pressure below the pressure, volume and density above 0,
/// degree of saturation within 0…1. A computed value outside these is an
/// empty cell with the reason. Above the boiling point at the pressure no air
/// saturates: the saturation humidity ratio and the degree of saturation are
/// empty ("no saturation: ..."), and any humidity ratio is air.
///
/// Refused under both models (see StateResult): a pressure at or below 0; a
/// dry bulb, wet bulb or dew point outside the range; a relative humidity
/// below 0 or above 100 %; a wet bulb or dew point above the dry bulb; a
/// humidity ratio below 0 or above saturation at the dry bulb and pressure;
/// a given condition whose humidity ratio comes out below 0.
/// Never throws; any thread may call it.
StateResult ComputeState(const StateInput& input) noexcept;

/// ComputeState for each input, results[i] for inputs[i]; the spans have the
/// same size (beyond the shorter, nothing is computed). Each result is bit for
/// bit what ComputeState gives. The states are taken in blocks, and the
/// calculator's states of a block are finished together: their wet bulbs'
/// iterations run side by side, so that the library calls of different states
/// overlap in the processor. On this thread.
void ComputeStates(std::span<const StateInput> inputs, std::span<StateResult> results) noexcept;

/// ComputeStates on `threads` threads, this one among them (0: one per core),
/// each taking a contiguous part of at least 256 states; where a thread
/// cannot be started, this one computes its part. The results do not depend
/// on the number of threads.
void ComputeStates(std::span<const StateInput> inputs, std::span<StateResult> results, unsigned threads) noexcept;

/// The columns of a refused state's refused values: "relative_humidity", or
/// for two refused together "dew_point and humidity_ratio". Static storage.
std::string_view RefusedColumns(const StateResult& state) noexcept;

/// The refusal of a state in words: "relative_humidity above 100 %",
/// "dew_point and humidity_ratio fix the same moisture; ...".
std::string RefusalWords(const StateResult& state);

/// Calls `fail(column, reason)` for each of `properties` that has no value in
/// the state and exists in the unit system, `column` its PropertyColumn; when
/// the state is refused, only once, for its refused values (RefusedColumns).
/// In the order of `properties`.
template <typename Fail>
void ForEachFailure(const StateResult& state, Units units, std::span<const Property> properties,
                    Fail&& fail)
{
    if (!state.refusal.empty()) {
        fail(RefusedColumns(state), state.refusal);
        return;
    }
    for (Property property : properties) {
        if (HasProperty(property, units) && !state[property].present)
            fail(PropertyColumn(property), state[property].reason);
    }
}

} // namespace humitrax
