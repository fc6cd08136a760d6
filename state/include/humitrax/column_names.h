// File: column_names.h
// The names of a table's columns: which given value a header names, and the
// unit its values are written in. One set of rules for every reader of
// tables: humitrax-cli batch and the chart's --states read a CSV header by
// them, and the Python module finds a DataFrame's columns by them.
// Toolkit-free, standard C++ only.
//
// **Example**:
//
//     const humitrax::ColumnName column = humitrax::ReadColumnName("Pressure [hPa]");
//     // column.name == "pressure", column.unit == "hPa"
//     const auto hPa = humitrax::ColumnUnit(column.name, column.unit, humitrax::Units::SI);
//     double kPa = hPa->Apply(1013.25); // 101.325
#pragma once

#include "humitrax/state.h"

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>

namespace humitrax {

/// Text without its surrounding blanks (spaces and tabs), as a header's
/// names and a table's fields are read.
constexpr std::string_view TrimBlanks(std::string_view text) noexcept
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

/// A linear change of unit: ((value + before) × factor ÷ divisor) + after,
/// in that order, so that every reader of the same text gets the same
/// number bit for bit. A change by a power of ten (hPa to kPa, g/kg to kg/kg)
/// moves the decimal point instead: 1013.2 hPa is 101.32 kPa, the double
/// nearest that decimal, where 1013.2 ÷ 10 would be 101.32000000000001.
struct UnitConversion {
    double before = 0.0;
    double factor = 1.0;
    double divisor = 1.0;
    double after = 0.0;
    bool identity = true; ///< the value is taken as it is, bit for bit
    /// Nonzero: the value is its shortest decimal text times 10^decimalShift,
    /// and the members above are unused.
    int decimalShift = 0;

    [[nodiscard]] double Apply(double value) const noexcept
    {
        if (identity)
            return value;
        if (decimalShift != 0)
            return ShiftDecimal(value, decimalShift);
        return (value + before) * factor / divisor + after;
    }

    /// The double nearest value × 10^shift in decimal: the shortest text that
    /// reads back as `value`, its exponent moved. Not finite: as it is.
    static double ShiftDecimal(double value, int shift) noexcept;
};

/// The value and its unit of a header name: "Dry Bulb [°C]" gives "dry_bulb"
/// and "°C". Names are compared without regard to case (ASCII) and
/// surrounding blanks, a blank and an underscore between words alike. The
/// looser forms, read only where no name of the strict form gives the same
/// place (ReadRole), take a hyphen between words for a blank and a unit in
/// parentheses for one in brackets.
struct ColumnName {
    /// Lower-cased (ASCII), trimmed, blanks and underscores between words as
    /// one underscore; without the unit in brackets at its end.
    std::string name;
    std::string unit; ///< as written, trimmed; empty when none is given
    bool hasUnit = false;
    /// A '[' with no ']' after it: the name before it ("dry_bulb" of
    /// "dry_bulb [C"), which `name` does not take apart.
    std::optional<std::string> beforeUnclosedBracket;
    /// The name with a hyphen between words read as a blank: "dry_bulb" of
    /// "Dry-bulb [C]" (its unit is `unit`).
    std::string looseName;
    /// Text in parentheses at the end, when no unit is in brackets: the name
    /// before it (hyphens read as blanks) and the text, "dry_bulb" and "C" of
    /// "Dry-bulb (C)"; a unit only if it is one of the column's.
    std::optional<std::pair<std::string, std::string>> parenthesised;
};
ColumnName ReadColumnName(std::string_view header);

/// The conversion of a unit to the unit system's own for a column of given
/// values ("dry_bulb", "wet_bulb", "dew_point", "pressure", "altitude",
/// "relative_humidity", "humidity_ratio", "enthalpy", "specific_volume",
/// "vapour_pressure"; an enthalpy only in the unit system's own unit), the unit compared without regard
/// to case (ASCII) and surrounding blanks; nothing for a unit that does not
/// fit the column, or for any other column.
std::optional<UnitConversion> ColumnUnit(std::string_view column, std::string_view unit, Units units);

/// The units ColumnUnit takes for a column, for a message: "m or ft"; the
/// temperatures' for a column that is none of those.
std::string_view ColumnUnits(std::string_view column) noexcept;

/// A place a table's column may hold: the name that gives it, read strictly
/// and loosely (the same for a name of one word or words joined by
/// underscores), and the column whose units it takes ("pressure").
struct ColumnRole {
    std::string_view name;
    std::string_view looseName;
    std::string_view unitColumn;
};

/// How a header name gives a role, and the unit of its values.
struct RoleReading {
    std::size_t role = 0; ///< the index among the roles
    /// Read strictly (its name, a unit in brackets), rather than loosely: by
    /// a unit of the role in parentheses after its name, or by hyphens
    /// between words. A name read loosely yields to one read strictly for
    /// the same place.
    bool strict = true;
    std::string unit; ///< as written; empty when none is given
    bool hasUnit = false;
};

/// The role a header name gives its column, the first of `roles` its name
/// has, strictly, else by a unit of the role in parentheses, else by hyphens;
/// nothing when it names none. A name in parentheses whose text is none of
/// the role's units ("Dry-bulb (K)") names no role.
std::optional<RoleReading> ReadRole(const ColumnName& column, std::span<const ColumnRole> roles);

} // namespace humitrax
