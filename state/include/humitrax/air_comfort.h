// File: air_comfort.h
// The thermal comfort (ISO 7730's PMV and PPD) of people in air of a given
// state: the state gives the water vapour pressure, the person and the room
// the rest. The comfort command and the Python module compute it here.
#pragma once

#include "humitrax/comfort.h"
#include "humitrax/pair.h"
#include "humitrax/state.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace humitrax {

/// The person and the room, in the air's unit system: the metabolic rate
/// (met) and clothing (clo), the air speed relative to the body (m/s or
/// ft/min; 0.1 m/s when not given) and the mean radiant temperature (°C or
/// °F; the dry bulb when not given).
struct ComfortGiven {
    double metabolicRate = 0.0;
    double clothing = 0.0;
    std::optional<double> airSpeed;
    std::optional<double> radiant;
};

/// One value of the outcome: its key in CSV and JSON, its label in a table and
/// its unit (SI whatever the air's units: the model computes in SI).
struct ComfortValue {
    std::string_view key;
    std::string_view label;
    std::string_view unit;
};
inline constexpr std::array<ComfortValue, 8> kComfortValues{{
    {"air_temperature", "Air temperature", "°C"},
    {"mean_radiant_temperature", "Mean radiant temperature", "°C"},
    {"air_speed", "Relative air speed", "m/s"},
    {"vapour_pressure", "Water vapour pressure", "Pa"},
    {"metabolic_rate", "Metabolic rate", "met"},
    {"clothing", "Clothing", "clo"},
    {"pmv", "PMV", ""},
    {"ppd", "PPD", "%"},
}};
/// The key of the flag that every input lies in ISO 7730's ranges.
inline constexpr std::string_view kApplicableRangeKey = "in_applicable_range";

/// The comfort of people in the air, or why there is none.
struct AirComfort {
    std::array<double, kComfortValues.size()> values{}; ///< in kComfortValues' order
    bool applicable = false;                             ///< every input in ISO 7730's ranges
    /// Empty, or why there are no values: "the air cannot exist: …",
    /// "vapour_pressure: …", an input the model cannot take ("the metabolic
    /// rate must be above 0 met, not 0"), "PMV: …".
    std::string failure;
};

/// The comfort of people in air of the state `air`.
AirComfort ComfortOfAir(const PairInput& air, const ComfortGiven& person);

} // namespace humitrax
