// Plausibility warnings: the values that look like a slip of unit, the unit
// named, the counts in the text; and weather, however extreme, never warns.
#include "humitrax/plausibility.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace humitrax {
namespace {

struct Column {
    Property property;
    std::vector<double> values;
};

struct PlausibilityCase {
    const char* name;
    Units units;
    std::vector<Column> columns;
    std::vector<std::string> texts; ///< the warnings, in order
    std::vector<std::string_view> probableUnits;
};

class PlausibilityWarnings : public ::testing::TestWithParam<PlausibilityCase> {};

TEST_P(PlausibilityWarnings, TextsAndProbableUnits)
{
    const PlausibilityCase& c = GetParam();
    Plausibility check(c.units);
    for (const Column& column : c.columns)
        check.Add(column.property, column.values);
    const std::vector<PlausibilityWarning> warnings = check.Warnings();
    ASSERT_EQ(warnings.size(), c.texts.size());
    for (std::size_t i = 0; i < warnings.size(); ++i) {
        EXPECT_EQ(warnings[i].text, c.texts[i]);
        EXPECT_EQ(warnings[i].probableUnit, c.probableUnits[i]);
    }
}

constexpr Units kSI = Units::SI;
constexpr Units kIP = Units::InchPound;
constexpr Property kT = Property::DryBulb;
constexpr Property kP = Property::Pressure;
constexpr Property kRH = Property::RelativeHumidity;
constexpr Property kW = Property::HumidityRatio;
const double kNaN = std::numeric_limits<double>::quiet_NaN();

const PlausibilityCase kCases[] = {
    {"OrdinaryWeatherSaysNothing", kSI, {{kT, {-5, 25}}, {kP, {97.8, 101.3}}, {kRH, {40, 90}}}, {}, {}},
    {"HectopascalsEveryRow", kSI, {{kP, {1013.25, 1002, 990}}},
     {"pressure: 3 of 3 rows lie outside 30 to 120 kPa; in hPa or mbar?"}, {"hPa"}},
    {"PascalsOneRowOfFour", kSI, {{kP, {101.3, 101325, 100.9, 99.8}}},
     {"pressure: 1 of 4 rows lies outside 30 to 120 kPa; in Pa?"}, {"Pa"}},
    {"PsiaInSi", kSI, {{kP, {14.696, 14.2}}}, {"pressure: 2 of 2 rows lie outside 30 to 120 kPa; in psia?"}, {"psia"}},
    {"InchesOfMercuryInSi", kSI, {{kP, {29.92, 29.5}}},
     {"pressure: 2 of 2 rows lie outside 30 to 120 kPa; in inHg?"}, {"inHg"}},
    {"BarInSi", kSI, {{kP, {1.013}}}, {"pressure: the value lies outside 30 to 120 kPa; in bar?"}, {"bar"}},
    {"KilopascalsInIp", kIP, {{kP, {101.325, 97.8}}},
     {"pressure: 2 of 2 rows lie outside 4.4 to 17.4 psia; in kPa?"}, {"kPa"}},
    {"InchesOfMercuryInIp", kIP, {{kP, {29.92, 30.1}}},
     {"pressure: 2 of 2 rows lie outside 4.4 to 17.4 psia; in inHg?"}, {"inHg"}},
    {"TheUnitMostValuesFit", kSI, {{kP, {1013, 1009, 101325}}},
     {"pressure: 3 of 3 rows lie outside 30 to 120 kPa; in hPa or mbar?"}, {"hPa"}},
    {"NoUnitFits", kSI, {{kP, {150}}}, {"pressure: the value lies outside 30 to 120 kPa"}, {""}},
    {"RelativeHumidityAsFractions", kSI, {{kRH, {0.45, 0.8, 1.0}}},
     {"relative_humidity: 3 of 3 rows lie within 0 to 1 %; a fraction? relative humidity is in percent (50 for 50 %)"},
     {"fraction"}},
    {"OneRelativeHumidityInPercentIsNoFraction", kSI, {{kRH, {0.45, 0.8, 45}}}, {}, {}},
    {"DryAirIsNoFraction", kSI, {{kRH, {0, 0}}}, {}, {}},
    {"HumidityRatioInGramsPerKilogram", kSI, {{kW, {8.2, 10.5}}},
     {"humidity_ratio: 2 of 2 rows lie above 0.1 kg/kg; in g/kg, or a dry bulb in °F?"}, {"g/kg"}},
    {"HumidityRatioInGrainsInIp", kIP, {{kW, {70}}},
     {"humidity_ratio: the value lies above 0.1 lb/lb; in gr/lb or g/kg?"}, {"gr/lb"}},
    {"FahrenheitInSi", kSI, {{kT, {77, 95, 40}}}, {"dry_bulb: 2 of 3 rows lie above 60 °C; in °F?"}, {"°F"}},
    {"KelvinsInSi", kSI, {{kT, {293.15, 300}}}, {"dry_bulb: 2 of 2 rows lie above 60 °C; in kelvins?"}, {"K"}},
    {"KelvinsInIp", kIP, {{kT, {293.15}}}, {"dry_bulb: the value lies above 140 °F; in kelvins?"}, {"K"}},
    {"WarningsInColumnOrder", kSI, {{kW, {9}}, {kP, {1013}}, {kT, {80}}},
     {"dry_bulb: the value lies above 60 °C; in °F?", "pressure: the value lies outside 30 to 120 kPa; in hPa or mbar?",
      "humidity_ratio: the value lies above 0.1 kg/kg; in g/kg, or a dry bulb in °F?"},
     {"°F", "hPa", "g/kg"}},
    // Wet bulb and dew point have no rule; values that are not finite are passed over.
    {"OtherColumnsAndNaNPassedOver", kSI, {{Property::WetBulb, {500}}, {kP, {kNaN, 101}}}, {}, {}},
};

INSTANTIATE_TEST_SUITE_P(State, PlausibilityWarnings, ::testing::ValuesIn(kCases),
                         [](const auto& row) { return std::string(row.param.name); });

// The edges of the ranges: real weather, in either unit system, stays quiet.
TEST(Plausibility, WeatherAtTheEdgesOfTheRangesNeverWarns)
{
    for (Units units : {kSI, kIP}) {
        const bool si = units == kSI;
        Plausibility check(units);
        for (double t = -60.0; t <= 60.0; t += 0.5)
            check.Add(kT, si ? t : t * 1.8 + 32.0);
        for (double p = 30.0; p <= 120.0; p += 0.25)
            check.Add(kP, si ? p : std::fmin(std::fmax(p / 6.894757293168361, 4.4), 17.4));
        for (double rh = 0.0; rh <= 100.0; rh += 0.5)
            check.Add(kRH, rh);
        for (double w = 0.0; w <= 0.1; w += 0.001)
            check.Add(kW, std::fmin(w, 0.1));
        EXPECT_TRUE(check.Warnings().empty()) << (si ? "si" : "ip") << ": " << check.Warnings().front().text;
    }
}

// Threads each tally their blocks: merged, the same as one tally.
TEST(Plausibility, MergedTalliesEqualOneTally)
{
    Plausibility whole(kSI);
    Plausibility first(kSI);
    Plausibility second(kSI);
    const std::vector<double> pressures = {1013, 101.3, 1009, 99000};
    for (std::size_t i = 0; i < pressures.size(); ++i) {
        whole.Add(kP, pressures[i]);
        (i < 2 ? first : second).Add(kP, pressures[i]);
    }
    first.Merge(second);
    ASSERT_EQ(first.Warnings().size(), 1U);
    EXPECT_EQ(first.Warnings()[0].text, whole.Warnings()[0].text);
    EXPECT_EQ(first.Warnings()[0].text, "pressure: 3 of 4 rows lie outside 30 to 120 kPa; in hPa or mbar?");
}

} // namespace
} // namespace humitrax
