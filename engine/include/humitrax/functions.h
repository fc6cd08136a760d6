// File: functions.h
// The engine's sixteen public functions listed once, by name, arguments and
// call: what `humitrax-cli call`, the Python module's `engine`, the fuzzer and
// the benchmarks walk, rather than each naming them again.
#pragma once

#include "psychrometrics.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace humitrax {

/// How a function takes its arguments, in the order of the call.
enum class Signature : std::uint8_t {
    Altitude,         ///< X (interp, which returns a plain double)
    Temperature,      ///< T
    TemperatureUnits, ///< T UnitsSI
    State,            ///< T p Situation StateVar
    StateUnits,       ///< T p Situation StateVar UnitsSI
};

/// The number of arguments of a signature: 1, 1, 2, 4 or 5.
constexpr std::size_t ArgumentCount(Signature signature) noexcept
{
    switch (signature) {
    case Signature::Altitude:
    case Signature::Temperature: return 1;
    case Signature::TemperatureUnits: return 2;
    case Signature::State: return 4;
    case Signature::StateUnits: return 5;
    }
    return 0;
}

/// The arguments' names, in order: "X", "T", "T UnitsSI", "T p Situation
/// StateVar" or "T p Situation StateVar UnitsSI".
constexpr std::string_view ArgumentNames(Signature signature) noexcept
{
    switch (signature) {
    case Signature::Altitude: return "X";
    case Signature::Temperature: return "T";
    case Signature::TemperatureUnits: return "T UnitsSI";
    case Signature::State: return "T p Situation StateVar";
    case Signature::StateUnits: return "T p Situation StateVar UnitsSI";
    }
    return "";
}

using AltitudeFunction = double (*)(const double&);
using TemperatureFunction = PropertyResult (*)(const double&);
using TemperatureUnitsFunction = PropertyResult (*)(const double&, const std::int16_t&);
using StateFunction = PropertyResult (*)(const double&, const double&, const std::int16_t&, const double&);
using StateUnitsFunction = PropertyResult (*)(const double&, const double&, const std::int16_t&, const double&,
                                              const std::int16_t&);

/// One public function: its name, signature and the call (the pointer its
/// signature names; the others are null). A function with a unit flag names
/// its SI companion, which takes the same arguments but the flag.
struct EngineFunction {
    std::string_view name;
    Signature signature;
    std::string_view siCompanion = {};
    AltitudeFunction altitude = nullptr;
    TemperatureFunction temperature = nullptr;
    TemperatureUnitsFunction temperatureUnits = nullptr;
    StateFunction state = nullptr;
    StateUnitsFunction stateUnits = nullptr;
};

/// Every public function, each with a unit flag followed by its SI companion.
inline constexpr std::array<EngineFunction, 16> kEngineFunctions{{
    {"interp", Signature::Altitude, {}, &interp},
    {"SatPressure", Signature::TemperatureUnits, "SatPressureSI", nullptr, nullptr, &SatPressure},
    {"SatPressureSI", Signature::Temperature, {}, nullptr, &SatPressureSI},
    {"HumidRatio", Signature::StateUnits, "HumidRatioSI", nullptr, nullptr, nullptr, nullptr, &HumidRatio},
    {"HumidRatioSI", Signature::State, {}, nullptr, nullptr, nullptr, &HumidRatioSI},
    {"Humidity", Signature::StateUnits, "HumiditySI", nullptr, nullptr, nullptr, nullptr, &Humidity},
    {"HumiditySI", Signature::State, {}, nullptr, nullptr, nullptr, &HumiditySI},
    {"DewPoint", Signature::StateUnits, "DewPointSI", nullptr, nullptr, nullptr, nullptr, &DewPoint},
    {"DewPointSI", Signature::State, {}, nullptr, nullptr, nullptr, &DewPointSI},
    {"WetBulb", Signature::StateUnits, "WetBulbSI", nullptr, nullptr, nullptr, nullptr, &WetBulb},
    {"WetBulbSI", Signature::State, {}, nullptr, nullptr, nullptr, &WetBulbSI},
    {"Volume", Signature::StateUnits, "VolumeSI", nullptr, nullptr, nullptr, nullptr, &Volume},
    {"VolumeSI", Signature::State, {}, nullptr, nullptr, nullptr, &VolumeSI},
    {"Grains", Signature::State, {}, nullptr, nullptr, nullptr, &Grains},
    {"Enthalpy", Signature::StateUnits, "EnthalpySI", nullptr, nullptr, nullptr, nullptr, &Enthalpy},
    {"EnthalpySI", Signature::State, {}, nullptr, nullptr, nullptr, &EnthalpySI},
}};

/// The function of that name, or null.
constexpr const EngineFunction* FindEngineFunction(std::string_view name) noexcept
{
    for (const EngineFunction& function : kEngineFunctions) {
        if (function.name == name)
            return &function;
    }
    return nullptr;
}

} // namespace humitrax
