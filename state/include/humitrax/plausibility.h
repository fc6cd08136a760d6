// File: plausibility.h
// Warnings about given values that air can have but that look like a slip
// of unit: a pressure in hPa where kPa belong, relative humidities written
// as fractions, a humidity ratio in g/kg, dry bulbs in °F where °C belong.
// A warning never changes a state: the values are computed as given, and it
// is only said that they look odd. Batch, the state command and the Python
// module feed the given values of their rows here and say the same warnings.
// Toolkit-free, standard C++ only.
//
// **Example**:
//
//     humitrax::Plausibility check(humitrax::Units::SI);
//     for (const Row& row : rows) {
//         check.Add(humitrax::Property::DryBulb, row.dryBulb);
//         check.Add(humitrax::Property::Pressure, row.pressure); // 1013.25 ...
//     }
//     for (const humitrax::PlausibilityWarning& warning : check.Warnings())
//         std::puts(warning.text.c_str());
//     // pressure: 8760 of 8760 rows lie outside 30 to 120 kPa; in hPa or mbar?
#pragma once

#include "humitrax/state.h"

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace humitrax {

/// Where values stop looking like weather, in the units of each system. Real
/// weather (dry bulbs of −60 to 60 °C, pressures of 50 to 110 kPa, relative
/// humidities of 0 to 100 %, humidity ratios below 0.035) never reaches them.
namespace plausible {
/// A barometric pressure outside these, kPa: below the summit of Everest
/// (about 33 kPa), or above any pressure at the surface (about 108 kPa).
inline constexpr double kLowestPressureKpa = 30.0;
inline constexpr double kHighestPressureKpa = 120.0;
/// The same in psia.
inline constexpr double kLowestPressurePsia = 4.4;
inline constexpr double kHighestPressurePsia = 17.4;
/// A dry bulb above this: hotter than any weather (the record is 56.7 °C).
inline constexpr double kHighestDryBulbC = 60.0;
inline constexpr double kHighestDryBulbF = 140.0;
/// A humidity ratio above this (kg/kg or lb/lb): saturated air holds it only
/// above about 52 °C at sea level; the most humid weather holds 0.035.
inline constexpr double kHighestHumidityRatio = 0.1;
/// Relative humidities (%) that all lie within 0 to this look like fractions.
inline constexpr double kHighestFraction = 1.0;
} // namespace plausible

/// One warning about one column.
struct PlausibilityWarning {
    Property column = Property::DryBulb;
    /// The unit the values were probably written in ("hPa", "Pa", "psia",
    /// "kPa", "bar", "inHg", "°F", "K", "g/kg", "gr/lb"); empty when no unit
    /// explains them. A fraction of relative humidity gives "fraction".
    std::string_view probableUnit;
    /// "pressure: 8760 of 8760 rows lie outside 30 to 120 kPa; in hPa or
    /// mbar?"; for one value, "pressure: the value lies outside ...".
    std::string text;
};

/// Tallies of the given values of a table's rows, column by column, and the
/// warnings they call for:
///
/// - pressure: any value outside 30 to 120 kPa (4.4 to 17.4 psia), with the
///   unit most of those values fit: hPa or mbar (300 to 1200), Pa (30 000 to
///   120 000), psia (4.4 to 17.4) or inHg (17.4 to 30) in SI; kPa (32.5 to
///   120), inHg (17.4 to 32.5), hPa, Pa in inch-pound units; bar (0.3 to 1.2)
///   in both;
/// - relative humidity: every value within 0 to 1 % and one above 0: a
///   fraction where percent belong;
/// - humidity ratio: any value above 0.1: g/kg (SI) or gr/lb (inch-pound)
///   where kg/kg or lb/lb belong, or, in SI, a dry bulb in °F that let such
///   air be;
/// - dry bulb: any value above 60 °C (140 °F): °F where °C belong (60 to 140
///   in SI), or kelvins (213 to 333 in either).
///
/// Other columns (wet bulb, dew point) have no rule. Add costs a few
/// comparisons: it is meant for every row of a file. Not thread-safe; give
/// each thread its own and Merge them.
class Plausibility {
public:
    /// Values in SI units.
    Plausibility() noexcept : Plausibility(Units::SI) {}
    explicit Plausibility(Units units) noexcept;

    [[nodiscard]] Units units() const noexcept { return m_units; }

    /// Notes one row's given value of `column` (DryBulb, Pressure,
    /// RelativeHumidity in percent, HumidityRatio), in the unit system's own
    /// unit, as the state takes it. Other columns, and values that are not
    /// finite, are passed over.
    void Add(Property column, double value) noexcept
    {
        const std::size_t index = TallyIndex(column);
        if (index == kNoTally || !std::isfinite(value))
            return;
        Tally& tally = m_tallies[index];
        ++tally.values;
        tally.nonzero += value > 0.0 ? 1U : 0U;
        const Band& band = m_bands[index];
        if ((value >= band.low && value <= band.high) == band.inside)
            AddOdd(index, value);
    }
    /// Add for each value.
    void Add(Property column, std::span<const double> values) noexcept;
    /// Takes in the tallies of another check of the same unit system.
    void Merge(const Plausibility& other) noexcept;

    /// One warning per column that calls for one, in column order (dry bulb,
    /// pressure, relative humidity, humidity ratio); none when all is plausible.
    [[nodiscard]] std::vector<PlausibilityWarning> Warnings() const;

    // Implementation details follow.

    /// The units a column's odd values are tested against, at most five.
    static constexpr std::size_t kGuesses = 5;
    /// The tally of one column.
    struct Tally {
        std::uint64_t values = 0; ///< values added
        std::uint64_t odd = 0;    ///< values outside the plausible range
        std::uint64_t nonzero = 0; ///< values above 0 (a relative humidity of dry air is no fraction)
        std::array<std::uint64_t, kGuesses> fits{}; ///< odd values each guess explains
    };
    /// The range of a column's values: plausible within [low, high], or,
    /// `inside`, odd there.
    struct Band {
        double low = 0.0;
        double high = 0.0;
        bool inside = false;
    };

private:
    static constexpr std::size_t kColumns = 4; ///< dry bulb, pressure, relative humidity, humidity ratio
    static constexpr std::size_t kNoTally = kColumns;

    static constexpr std::size_t TallyIndex(Property column) noexcept
    {
        switch (column) {
        case Property::DryBulb: return 0;
        case Property::Pressure: return 1;
        case Property::RelativeHumidity: return 2;
        case Property::HumidityRatio: return 3;
        default: return kNoTally;
        }
    }
    void AddOdd(std::size_t index, double value) noexcept;

    Units m_units;
    std::array<Band, kColumns> m_bands{};
    std::array<Tally, kColumns> m_tallies{};
};

} // namespace humitrax
