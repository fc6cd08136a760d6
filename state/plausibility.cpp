// The plausibility of given values: tallies per column, and the warnings.
#include "humitrax/plausibility.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace humitrax {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

/// A unit that may explain odd values: those within [low, high].
struct Guess {
    double low;
    double high;
    std::string_view unit;
    std::string_view question; ///< after "; "
};

// Tried in order; the first that fits a value counts it.
constexpr std::array<Guess, 5> kPressureGuessesSI{{
    {300.0, 1200.0, "hPa", "in hPa or mbar?"},
    {30000.0, 120000.0, "Pa", "in Pa?"},
    {plausible::kLowestPressurePsia, plausible::kHighestPressurePsia, "psia", "in psia?"},
    {plausible::kHighestPressurePsia, plausible::kLowestPressureKpa, "inHg", "in inHg?"},
    {0.3, 1.2, "bar", "in bar?"},
}};
// Sea-level weather in inHg is 28 to 32: below 32.5 inHg is likelier than a
// pressure in kPa found only on the highest summits.
constexpr std::array<Guess, 5> kPressureGuessesIP{{
    {300.0, 1200.0, "hPa", "in hPa or mbar?"},
    {30000.0, 120000.0, "Pa", "in Pa?"},
    {plausible::kHighestPressurePsia, 32.5, "inHg", "in inHg?"},
    {32.5, plausible::kHighestPressureKpa, "kPa", "in kPa?"},
    {0.3, 1.2, "bar", "in bar?"},
}};
// Weather in °F reaches 134 °F; in kelvins 213 to 333 K (−60 to 60 °C).
constexpr std::array<Guess, 2> kDryBulbGuessesSI{{
    {plausible::kHighestDryBulbC, plausible::kHighestDryBulbF, "°F", "in °F?"},
    {213.0, 333.0, "K", "in kelvins?"},
}};
constexpr std::array<Guess, 1> kDryBulbGuessesIP{{
    {213.0, 333.0, "K", "in kelvins?"},
}};
constexpr std::array<Guess, 1> kRatioGuessesSI{{
    {plausible::kHighestHumidityRatio, kInf, "g/kg", "in g/kg, or a dry bulb in °F?"},
}};
constexpr std::array<Guess, 1> kRatioGuessesIP{{
    {plausible::kHighestHumidityRatio, kInf, "gr/lb", "in gr/lb or g/kg?"},
}};
constexpr std::array<Guess, 1> kFractionGuess{{
    {0.0, plausible::kHighestFraction, "fraction", "a fraction? relative humidity is in percent (50 for 50 %)"},
}};

/// The rule of one column in one unit system: which values are odd, how the
/// warning says so, and the units that may explain them.
struct Rule {
    double low;  ///< values below are odd (−inf: none)
    double high; ///< values above are odd (+inf: none)
    bool inside; ///< instead, the values within [low, high] are odd
    std::string_view range; ///< "outside 30 to 120 kPa"
    std::span<const Guess> guesses;
};

Rule RuleOf(Property column, Units units) noexcept
{
    const bool si = units == Units::SI;
    switch (column) {
    case Property::DryBulb:
        return si ? Rule{-kInf, plausible::kHighestDryBulbC, false, "above 60 °C", kDryBulbGuessesSI}
                  : Rule{-kInf, plausible::kHighestDryBulbF, false, "above 140 °F", kDryBulbGuessesIP};
    case Property::Pressure:
        return si ? Rule{plausible::kLowestPressureKpa, plausible::kHighestPressureKpa, false,
                         "outside 30 to 120 kPa", kPressureGuessesSI}
                  : Rule{plausible::kLowestPressurePsia, plausible::kHighestPressurePsia, false,
                         "outside 4.4 to 17.4 psia", kPressureGuessesIP};
    case Property::RelativeHumidity:
        return Rule{0.0, plausible::kHighestFraction, true, "within 0 to 1 %", kFractionGuess};
    case Property::HumidityRatio:
        return si ? Rule{-kInf, plausible::kHighestHumidityRatio, false, "above 0.1 kg/kg", kRatioGuessesSI}
                  : Rule{-kInf, plausible::kHighestHumidityRatio, false, "above 0.1 lb/lb", kRatioGuessesIP};
    default: break;
    }
    return Rule{-kInf, kInf, false, {}, {}};
}

void MergeTally(Plausibility::Tally& into, const Plausibility::Tally& from) noexcept
{
    into.values += from.values;
    into.odd += from.odd;
    into.nonzero += from.nonzero;
    for (std::size_t i = 0; i < into.fits.size(); ++i)
        into.fits[i] += from.fits[i];
}

std::string Whole(std::uint64_t value)
{
    std::array<char, 24> digits{};
    const auto [end, ec] = std::to_chars(digits.data(), digits.data() + digits.size(), value);
    (void)ec; // 24 characters hold every 64-bit number
    return std::string(digits.data(), end);
}

/// "pressure: 3 of 8760 rows lie outside ...; in hPa or mbar?", or nothing.
void Warn(Property column, const Plausibility::Tally& tally, Units units,
          std::vector<PlausibilityWarning>& warnings)
{
    const Rule rule = RuleOf(column, units);
    // A fraction only when every value is one, and not all of them are 0 (dry air).
    const bool warns = rule.inside ? (tally.values > 0 && tally.odd == tally.values && tally.nonzero > 0)
                                   : tally.odd > 0;
    if (!warns)
        return;
    PlausibilityWarning warning;
    warning.column = column;
    std::string& text = warning.text;
    text.append(PropertyColumn(column)).append(": ");
    if (tally.values == 1)
        text.append("the value lies ");
    else
        text.append(Whole(tally.odd)).append(" of ").append(Whole(tally.values)).append(tally.odd == 1 ? " rows lies " : " rows lie ");
    text.append(rule.range);
    std::size_t best = 0;
    for (std::size_t i = 1; i < rule.guesses.size(); ++i) {
        if (tally.fits[i] > tally.fits[best])
            best = i;
    }
    if (!rule.guesses.empty() && tally.fits[best] > 0) {
        warning.probableUnit = rule.guesses[best].unit;
        text.append("; ").append(rule.guesses[best].question);
    }
    warnings.push_back(std::move(warning));
}

} // namespace

/// The columns of the tallies, in their order.
constexpr std::array<Property, 4> kTallied{Property::DryBulb, Property::Pressure, Property::RelativeHumidity,
                                           Property::HumidityRatio};

Plausibility::Plausibility(Units units) noexcept : m_units(units)
{
    for (std::size_t i = 0; i < kTallied.size(); ++i) {
        const Rule rule = RuleOf(kTallied[i], units);
        // Plausible within [low, high] is odd outside it; a rule of odd values
        // inside its range keeps it.
        m_bands[i] = {rule.low, rule.high, rule.inside};
    }
}

void Plausibility::AddOdd(std::size_t index, double value) noexcept
{
    Tally& tally = m_tallies[index];
    ++tally.odd;
    const Rule rule = RuleOf(kTallied[index], m_units);
    for (std::size_t i = 0; i < rule.guesses.size(); ++i) {
        if (value >= rule.guesses[i].low && value <= rule.guesses[i].high) {
            ++tally.fits[i];
            return;
        }
    }
}

void Plausibility::Add(Property column, std::span<const double> values) noexcept
{
    for (double value : values)
        Add(column, value);
}

void Plausibility::Merge(const Plausibility& other) noexcept
{
    for (std::size_t i = 0; i < m_tallies.size(); ++i)
        MergeTally(m_tallies[i], other.m_tallies[i]);
}

std::vector<PlausibilityWarning> Plausibility::Warnings() const
{
    std::vector<PlausibilityWarning> warnings;
    for (std::size_t i = 0; i < kTallied.size(); ++i)
        Warn(kTallied[i], m_tallies[i], m_units, warnings);
    return warnings;
}

} // namespace humitrax
