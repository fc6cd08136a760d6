// The names of a table's columns and the units of their values.
#include "humitrax/column_names.h"

#include "humitrax/constants.h"

#include <array>
#include <charconv>
#include <cmath>

namespace humitrax {
namespace {

char LowerAscii(char c) noexcept
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

/// A name lower-cased (ASCII), blanks and underscores between words as one
/// underscore, and hyphens too when `hyphens`.
std::string NormalName(std::string_view name, bool hyphens)
{
    std::string normal;
    bool gap = false;
    for (char c : name) {
        if (c == ' ' || c == '\t' || c == '_' || (hyphens && c == '-')) {
            gap = true;
            continue;
        }
        if (gap)
            normal.push_back('_');
        gap = false;
        normal.push_back(LowerAscii(c));
    }
    return normal;
}

/// A unit a column may be given in, as a conversion to SI and to inch-pound.
struct KnownUnit {
    std::string_view name; ///< lower case
    UnitConversion si;
    UnitConversion ip;
    /// Whether it converts to SI and to inch-pound: an enthalpy's zero
    /// differs between the two (0 °C, 0 °F), so neither converts to the other.
    bool toSI = true;
    bool toIP = true;
};

constexpr UnitConversion kSame{};
constexpr UnitConversion Times(double factor) { return {0.0, factor, 1.0, 0.0, false}; }
constexpr UnitConversion Over(double divisor) { return {0.0, 1.0, divisor, 0.0, false}; }
/// × 10^shift, exactly in decimal.
constexpr UnitConversion Shift(int shift) { return {0.0, 1.0, 1.0, 0.0, false, shift}; }

constexpr UnitConversion kFahrenheitToCelsius{-32.0, 1.0, 1.8, 0.0, false};
constexpr UnitConversion kCelsiusToFahrenheit{0.0, 1.8, 1.0, 32.0, false};

constexpr std::array<KnownUnit, 6> kTemperatureUnits{{
    {"c", kSame, kCelsiusToFahrenheit},
    {"\xC2\xB0" "c", kSame, kCelsiusToFahrenheit},
    {"degc", kSame, kCelsiusToFahrenheit},
    {"f", kFahrenheitToCelsius, kSame},
    {"\xC2\xB0" "f", kFahrenheitToCelsius, kSame},
    {"degf", kFahrenheitToCelsius, kSame},
}};
constexpr std::array<KnownUnit, 7> kPressureUnits{{
    {"kpa", kSame, Over(kKilopascalsPerPsi)},
    {"hpa", Shift(-1), Over(10.0 * kKilopascalsPerPsi)},
    {"mbar", Shift(-1), Over(10.0 * kKilopascalsPerPsi)},
    {"pa", Shift(-3), Over(1000.0 * kKilopascalsPerPsi)},
    {"bar", Shift(2), Times(100.0 / kKilopascalsPerPsi)},
    {"psia", Times(kKilopascalsPerPsi), kSame},
    {"inhg", Times(3.386389), Times(0.491154)},
}};
constexpr std::array<KnownUnit, 2> kAltitudeUnits{{
    {"m", kSame, Over(kMetresPerFoot)},
    {"ft", Times(kMetresPerFoot), kSame},
}};
constexpr std::array<KnownUnit, 1> kPercentUnits{{{"%", kSame, kSame}}};
constexpr std::array<KnownUnit, 4> kRatioUnits{{
    {"kg/kg", kSame, kSame},
    {"lb/lb", kSame, kSame},
    {"g/kg", Shift(-3), Shift(-3)},
    {"gr/lb", Over(kGrainsPerPound), Over(kGrainsPerPound)},
}};

constexpr std::array<KnownUnit, 2> kEnthalpyUnits{{
    {"kj/kg", kSame, kSame, true, false},
    {"btu/lb", kSame, kSame, false, true},
}};
/// m³/kg in a ft³/lb.
constexpr double kCubicMetresPerKilogramPerCubicFootPerPound =
    kMetresPerFoot * kMetresPerFoot * kMetresPerFoot / kKilogramsPerPound;
constexpr std::array<KnownUnit, 4> kVolumeUnits{{
    {"m3/kg", kSame, Over(kCubicMetresPerKilogramPerCubicFootPerPound)},
    {"m\xC2\xB3/kg", kSame, Over(kCubicMetresPerKilogramPerCubicFootPerPound)},
    {"ft3/lb", Times(kCubicMetresPerKilogramPerCubicFootPerPound), kSame},
    {"ft\xC2\xB3/lb", Times(kCubicMetresPerKilogramPerCubicFootPerPound), kSame},
}};

constexpr std::string_view kPressureColumn = "pressure";
constexpr std::string_view kAltitudeColumn = "altitude";

std::span<const KnownUnit> UnitsOf(std::string_view column) noexcept
{
    if (column == PropertyColumn(Property::DryBulb) || column == PropertyColumn(Property::WetBulb) ||
        column == PropertyColumn(Property::DewPoint))
        return kTemperatureUnits;
    if (column == kPressureColumn || column == PropertyColumn(Property::VapourPressure))
        return kPressureUnits;
    if (column == kAltitudeColumn)
        return kAltitudeUnits;
    if (column == PropertyColumn(Property::RelativeHumidity))
        return kPercentUnits;
    if (column == PropertyColumn(Property::HumidityRatio))
        return kRatioUnits;
    if (column == PropertyColumn(Property::Enthalpy))
        return kEnthalpyUnits;
    if (column == PropertyColumn(Property::SpecificVolume))
        return kVolumeUnits;
    return {};
}

} // namespace

ColumnName ReadColumnName(std::string_view header)
{
    ColumnName column;
    std::string_view name = TrimBlanks(header);
    if (name.size() > 1 && name.back() == ']') {
        if (const std::size_t open = name.rfind('['); open != std::string_view::npos) {
            column.unit = std::string(TrimBlanks(name.substr(open + 1, name.size() - open - 2)));
            column.hasUnit = true;
            name = TrimBlanks(name.substr(0, open));
        }
    } else if (const std::size_t open = name.rfind('[');
               open != std::string_view::npos && name.find(']', open) == std::string_view::npos) {
        column.beforeUnclosedBracket = ReadColumnName(name.substr(0, open)).name;
    }
    column.name = NormalName(name, false);
    column.looseName = NormalName(name, true);
    if (!column.hasUnit && name.size() > 1 && name.back() == ')') {
        if (const std::size_t open = name.rfind('('); open != std::string_view::npos && open > 0) {
            column.parenthesised.emplace(NormalName(TrimBlanks(name.substr(0, open)), true),
                                         std::string(TrimBlanks(name.substr(open + 1, name.size() - open - 2))));
        }
    }
    return column;
}

std::optional<UnitConversion> ColumnUnit(std::string_view column, std::string_view unit, Units units)
{
    std::string lower(TrimBlanks(unit));
    for (char& c : lower)
        c = LowerAscii(c);
    for (const KnownUnit& known : UnitsOf(column)) {
        if (known.name == lower && (units == Units::SI ? known.toSI : known.toIP))
            return units == Units::SI ? known.si : known.ip;
    }
    return std::nullopt;
}

double UnitConversion::ShiftDecimal(double value, int shift) noexcept
{
    if (!std::isfinite(value))
        return value;
    std::array<char, 40> text{};
    const auto written = std::to_chars(text.data(), text.data() + text.size(), value, std::chars_format::scientific);
    // "d.ddde±x": the exponent moved by `shift`.
    const std::string_view digits(text.data(), written.ptr);
    const std::size_t e = digits.find('e');
    int exponent = 0;
    std::from_chars(digits.data() + e + (digits[e + 1] == '+' ? 2 : 1), digits.data() + digits.size(), exponent);
    std::array<char, 48> moved{};
    const std::string_view mantissa = digits.substr(0, e);
    std::copy(mantissa.begin(), mantissa.end(), moved.begin());
    char* end = moved.data() + mantissa.size();
    *end++ = 'e';
    end = std::to_chars(end, moved.data() + moved.size(), exponent + shift).ptr;
    double result = value;
    if (std::from_chars(moved.data(), end, result).ec == std::errc::result_out_of_range)
        return std::copysign(shift > 0 ? HUGE_VAL : 0.0, value);
    return result;
}

std::string_view ColumnUnits(std::string_view column) noexcept
{
    if (column == kPressureColumn || column == PropertyColumn(Property::VapourPressure))
        return "kPa, hPa, Pa, mbar, bar, psia or inHg";
    if (column == PropertyColumn(Property::Enthalpy))
        return "kJ/kg with --units si or Btu/lb with --units ip";
    if (column == PropertyColumn(Property::SpecificVolume))
        return "m3/kg, m³/kg, ft3/lb or ft³/lb";
    if (column == kAltitudeColumn)
        return "m or ft";
    if (column == PropertyColumn(Property::RelativeHumidity))
        return "%";
    if (column == PropertyColumn(Property::HumidityRatio))
        return "kg/kg, lb/lb, g/kg or gr/lb";
    return "C, °C, F or °F";
}

std::optional<RoleReading> ReadRole(const ColumnName& column, std::span<const ColumnRole> roles)
{
    for (std::size_t i = 0; i < roles.size(); ++i) {
        if (column.name == roles[i].name)
            return RoleReading{i, true, column.unit, column.hasUnit};
    }
    if (const auto& parenthesised = column.parenthesised) {
        for (std::size_t i = 0; i < roles.size(); ++i) {
            if (parenthesised->first == roles[i].looseName &&
                ColumnUnit(roles[i].unitColumn, parenthesised->second, Units::SI))
                return RoleReading{i, false, parenthesised->second, true};
        }
    }
    for (std::size_t i = 0; i < roles.size(); ++i) {
        if (column.looseName == roles[i].looseName)
            return RoleReading{i, false, column.unit, column.hasUnit};
    }
    return std::nullopt;
}

} // namespace humitrax
