// The names of a table's columns: a header name's parts, the units that fit a
// column and their arithmetic, and the role a name gives, strictly or loosely.
#include "humitrax/column_names.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <optional>
#include <string>

namespace humitrax {
namespace {

struct NameCase {
    const char* name;
    const char* header;
    const char* read;       ///< ColumnName::name
    const char* unit;       ///< nullptr: none
    const char* looseName;
    const char* before;     ///< beforeUnclosedBracket; nullptr: none
    const char* inParentheses[2]; ///< {nullptr, nullptr}: none
};

class NameParts : public ::testing::TestWithParam<NameCase> {};

TEST_P(NameParts, PartsOfTheName)
{
    const NameCase& c = GetParam();
    const ColumnName column = ReadColumnName(c.header);
    EXPECT_EQ(column.name, c.read);
    EXPECT_EQ(column.hasUnit, c.unit != nullptr);
    EXPECT_EQ(column.unit, c.unit != nullptr ? c.unit : "");
    EXPECT_EQ(column.looseName, c.looseName);
    EXPECT_EQ(column.beforeUnclosedBracket, c.before != nullptr ? std::optional<std::string>(c.before) : std::nullopt);
    ASSERT_EQ(column.parenthesised.has_value(), c.inParentheses[0] != nullptr);
    if (column.parenthesised) {
        EXPECT_EQ(column.parenthesised->first, c.inParentheses[0]);
        EXPECT_EQ(column.parenthesised->second, c.inParentheses[1]);
    }
}

const NameCase kNames[] = {
    {"BlanksAndCaseAsUnderscores", " Dry  Bulb\t", "dry_bulb", nullptr, "dry_bulb", nullptr, {nullptr, nullptr}},
    {"UnitInBrackets", "Pressure [ hPa ]", "pressure", "hPa", "pressure", nullptr, {nullptr, nullptr}},
    {"HyphenOnlyLoosely", "Dry-bulb [F]", "dry-bulb", "F", "dry_bulb", nullptr, {nullptr, nullptr}},
    {"ParenthesesOnlyLoosely", "Dry-bulb (C)", "dry-bulb_(c)", nullptr, "dry_bulb_(c)", nullptr, {"dry_bulb", "C"}},
    {"BracketsBeforeParentheses", "rh (x) [%]", "rh_(x)", "%", "rh_(x)", nullptr, {nullptr, nullptr}},
    {"UnclosedBracket", "dry_bulb [C", "dry_bulb_[c", nullptr, "dry_bulb_[c", "dry_bulb", {nullptr, nullptr}},
    {"NonAsciiLettersKept", "DÉBIT", "dÉbit", nullptr, "dÉbit", nullptr, {nullptr, nullptr}},
    {"ParenthesesAloneNoName", "(C)", "(c)", nullptr, "(c)", nullptr, {nullptr, nullptr}},
};
INSTANTIATE_TEST_SUITE_P(Read, NameParts, ::testing::ValuesIn(kNames),
                         [](const auto& row) { return std::string(row.param.name); });

struct UnitCase {
    const char* name;
    const char* column;
    const char* unit;
    Units units;
    double value;
    std::optional<double> expected; ///< nothing: the unit does not fit
    bool identity;
};

class UnitConversions : public ::testing::TestWithParam<UnitCase> {};

TEST_P(UnitConversions, ConvertToTheSystemsUnitBitForBit)
{
    const UnitCase& c = GetParam();
    const std::optional<UnitConversion> conversion = ColumnUnit(c.column, c.unit, c.units);
    ASSERT_EQ(conversion.has_value(), c.expected.has_value());
    if (!conversion)
        return;
    EXPECT_EQ(conversion->identity, c.identity);
    EXPECT_EQ(conversion->Apply(c.value), *c.expected); // exactly
}

constexpr Units kSI = Units::SI;
constexpr Units kIP = Units::InchPound;

const UnitCase kUnits[] = {
    {"FahrenheitToCelsius", "dry_bulb", "°F", kSI, 77.0, (77.0 - 32.0) / 1.8, false},
    {"CelsiusInSiAsItIs", "wet_bulb", " degC ", kSI, 21.3, 21.3, true},
    {"CelsiusToFahrenheit", "dew_point", "C", kIP, 12.5, 12.5 * 1.8 + 32.0, false},
    {"HectopascalsAnyCase", "pressure", "HPA", kSI, 1013.25, 1013.25 / 10.0, false},
    {"InchesOfMercuryToPsia", "pressure", "inHg", kIP, 29.92, 29.92 * 0.491154, false},
    {"FeetToMetres", "altitude", "ft", kSI, 5280.0, 5280.0 * 0.3048, false},
    {"GramsPerKilogram", "humidity_ratio", "g/kg", kIP, 7.5, 7.5 / 1000.0, false},
    {"PercentOnly", "relative_humidity", "%", kSI, 50.0, 50.0, true},
    {"KelvinsFitNoTemperature", "dry_bulb", "K", kSI, 300.0, std::nullopt, false},
    {"PressureUnitOnATemperature", "dry_bulb", "kPa", kSI, 1.0, std::nullopt, false},
    {"HectopascalsByTheDecimalPoint", "pressure", "hPa", kSI, 1013.2, 101.32, false},
    {"GramsPerKilogramByTheDecimalPoint", "humidity_ratio", "g/kg", kSI, 8.3, 0.0083, false},
    {"BarsBeyondTheLargestDouble", "vapour_pressure", "bar", kSI, 1e307, HUGE_VAL, false},
    {"EnthalpyInItsSystemsUnit", "enthalpy", "kJ/kg", kSI, 50.0, 50.0, true},
    {"EnthalpyConvertsToNoOtherSystem", "enthalpy", "kJ/kg", kIP, 50.0, std::nullopt, false},
    {"CubicFeetPerPoundToSi", "specific_volume", "ft³/lb", kSI, 13.5, 13.5 * (0.3048 * 0.3048 * 0.3048 / 0.45359237),
     false},
    {"NoUnitsForAComputedColumn", "density", "kg/m3", kSI, 1.0, std::nullopt, false},
};
INSTANTIATE_TEST_SUITE_P(Convert, UnitConversions, ::testing::ValuesIn(kUnits),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(ColumnUnitLists, NameWhatEachColumnTakes)
{
    EXPECT_EQ(ColumnUnits("pressure"), "kPa, hPa, Pa, mbar, bar, psia or inHg");
    EXPECT_EQ(ColumnUnits("altitude"), "m or ft");
    EXPECT_EQ(ColumnUnits("relative_humidity"), "%");
    EXPECT_EQ(ColumnUnits("humidity_ratio"), "kg/kg, lb/lb, g/kg or gr/lb");
    EXPECT_EQ(ColumnUnits("dew_point"), "C, °C, F or °F");
}

struct RoleCase {
    const char* name;
    const char* header;
    std::optional<std::size_t> role; ///< among kRoles
    bool strict;
    const char* unit; ///< nullptr: none
};

constexpr std::array<ColumnRole, 3> kRoles{{
    {"dry_bulb", "dry_bulb", "dry_bulb"},
    {"pressure", "pressure", "pressure"},
    {"station-p", "station_p", "pressure"}, // a name of the user's, with a hyphen
}};

class RoleReadings : public ::testing::TestWithParam<RoleCase> {};

TEST_P(RoleReadings, StrictlyElseByParenthesesElseByHyphens)
{
    const RoleCase& c = GetParam();
    const std::optional<RoleReading> reading = ReadRole(ReadColumnName(c.header), kRoles);
    ASSERT_EQ(reading.has_value(), c.role.has_value());
    if (!reading)
        return;
    EXPECT_EQ(reading->role, *c.role);
    EXPECT_EQ(reading->strict, c.strict);
    EXPECT_EQ(reading->hasUnit, c.unit != nullptr);
    EXPECT_EQ(reading->unit, c.unit != nullptr ? c.unit : "");
}

const RoleCase kRoleCases[] = {
    {"StrictWithUnit", "Dry Bulb [°F]", 0, true, "°F"},
    {"StrictWithoutUnit", "PRESSURE", 1, true, nullptr},
    {"UnitOfTheRoleInParentheses", "Dry-bulb (C)", 0, false, "C"},
    {"ParenthesesOfNoUnitOfTheRole", "Dry-bulb (K)", std::nullopt, false, nullptr},
    {"HyphenKeepsItsBracketUnit", "dry-bulb [F]", 0, false, "F"},
    {"UsersHyphenatedNameStrictly", "Station-P [hPa]", 2, true, "hPa"},
    {"UsersNameLooselyWithUnitOfItsColumn", "station p (mbar)", 2, false, "mbar"},
    {"NoRole", "enthalpy", std::nullopt, false, nullptr},
};
INSTANTIATE_TEST_SUITE_P(Read, RoleReadings, ::testing::ValuesIn(kRoleCases),
                         [](const auto& row) { return std::string(row.param.name); });

} // namespace
} // namespace humitrax
