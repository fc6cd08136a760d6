// File: batch_rows.h
// The rows of the batch command: the header that says which column holds
// what (or the fixed columns of an EnergyPlus weather file), the values of a
// row read and converted to the unit system, and the work on a block of
// complete CSV records (read the numbers, compute the state, write the output
// row), which any thread may do. The chart's --states reads its rows by the
// same rules.
#pragma once

#include "table/csv.h"
#include "kit/options.h"

#include "humitrax/given.h"
#include "humitrax/state.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace humitrax::cli {


/// A linear change of unit: ((value + before) × factor ÷ divisor) + after.
struct UnitConversion {
    double before = 0.0;
    double factor = 1.0;
    double divisor = 1.0;
    double after = 0.0;
    bool identity = true; ///< the value is taken as it is, bit for bit

    [[nodiscard]] double Apply(double value) const noexcept
    {
        return identity ? value : (value + before) * factor / divisor + after;
    }
};

/// A column the state is read from.
struct InputColumn {
    std::size_t index = 0;
    UnitConversion unit;                 ///< to the unit system's own unit
    std::optional<double> missingCode;   ///< a value that means "not measured"
};

/// What the header row says, and how the output is written.
struct BatchLayout {
    Units units = Units::SI;
    Model model = Model::Ashrae2017;
    Saturation saturation = Saturation::IceBelowFreezing;
    Format format = Format::Csv;
    char separator = ',';
    InputColumn dryBulb;
    std::optional<InputColumn> pressure; ///< the pressure or the altitude; none: defaultPressure
    bool altitude = false;               ///< pressure holds an altitude
    double defaultPressure = 0.0;
    InputColumn condition;
    Condition given = Condition::RelativeHumidity;
    std::size_t columnCount = 0;                  ///< fields of the header
    /// Fields a row must have, else it is a failed row and nothing is read
    /// from it: the 35 of a weather file's data line (0 for a CSV table).
    std::size_t fewestFields = 0;

    /// The fields of a record worth keeping: one more than the header's, so
    /// that a longer record is noticed, or a weather file's data line.
    [[nodiscard]] std::size_t keptFields() const noexcept
    {
        return fewestFields > 0 ? fewestFields : columnCount + 1;
    }
    std::vector<std::size_t> passThroughColumns;  ///< in input order
    std::vector<std::string> passThroughNames;    ///< as the header has them
    std::vector<std::string> passThroughLabels;   ///< for the status: trimmed, or "column N"
    /// "\"name\":" for each passed-through column: its name as valid UTF-8,
    /// suffixed "_2", "_3"... where an earlier column has it
    std::vector<std::string> jsonKeys;
};

/// How a header is read.
struct HeaderRules {
    Units units = Units::SI;
    Model model = Model::Ashrae2017;
    Saturation saturation = Saturation::IceBelowFreezing;
    Format format = Format::Csv;
    char separator = ',';
    /// The condition to read (--given); needed when the header names several.
    std::optional<Condition> given;
    /// The unit of a pressure column whose name gives none (--pressure-unit).
    std::optional<std::string_view> pressureUnit;
    /// For a table that is only plotted: nothing is passed through, columns
    /// named like output columns are passed over, several conditions mean
    /// the humidity ratio unless `given` says otherwise, and a table with
    /// neither pressure nor altitude is at `defaultPressure`.
    bool plotOnly = false;
    double defaultPressure = 0.0;
};

/// Reads the header's fields. Names are compared without regard to case
/// and surrounding blanks, a blank and an underscore between words alike
/// ("Dry Bulb" is dry_bulb); a unit in brackets after the name ("pressure
/// [hPa]", "dry_bulb [°F]") converts the column's values to the unit
/// system's own. Needs dry_bulb, exactly one of pressure and altitude and one
/// of wet_bulb, dew_point, relative_humidity and humidity_ratio (several with
/// `given`); every other column is passed through. A column named like an
/// output column is refused, unless `given` is set: then it is left out, and
/// the output's own column holds the value computed afresh (so batch reads
/// its own output). On a bad header, nothing, with the reason in `message`.
std::optional<BatchLayout> MakeBatchLayout(const std::vector<std::string_view>& header,
                                           const HeaderRules& rules, std::string& message);

/// The fixed columns of an EnergyPlus weather file's data rows: year, month,
/// day, hour and minute passed through, dry bulb (°C), dew point (°C),
/// relative humidity (%) and pressure (Pa) read, with their missing-value
/// codes. SI only; the given condition is the dew point unless `rules.given`
/// is the relative humidity.
std::optional<BatchLayout> MakeEpwLayout(const HeaderRules& rules, std::string& message);

/// The value and its unit of a header name: "Dry Bulb [°C]" gives "dry_bulb"
/// and "°C"; names are lower-cased (ASCII) and trimmed.
struct ColumnName {
    std::string name;
    std::string unit; ///< as written, trimmed; empty when none is given
    bool hasUnit = false;
    /// A '[' with no ']' after it: the name before it ("dry_bulb" of
    /// "dry_bulb [C"), which `name` does not take apart.
    std::optional<std::string> beforeUnclosedBracket;
};
ColumnName ReadColumnName(std::string_view header);

/// The conversion of a unit to the unit system's own for a property column
/// (dry bulb, pressure, wet bulb ...) or an altitude; nothing for a unit that
/// does not fit the column.
std::optional<UnitConversion> ColumnUnit(std::string_view column, std::string_view unit, Units units);

/// The output's header line (CSV), or nothing (JSON lines).
std::string OutputHeader(const BatchLayout& layout);

/// The shortest texts of the given values, by property, where reading them
/// gave those texts already; empty for the others, which are converted.
using SourceTexts = std::array<std::string_view, kPropertyCount>;

/// The output columns of a state after any passed-through ones: every
/// property (grains in inch-pound units only), then "status".
void AppendCsvCells(std::string& out, const StateResult& state, Units units,
                    std::string_view status, const SourceTexts& sources = {});
/// The same columns as JSON members ("dry_bulb":25,...,"status":null), no braces.
void AppendJsonCells(std::string& out, const StateResult& state, Units units,
                     std::string_view status, const SourceTexts& sources = {});


/// A row whose record could not be read: every cell empty (null), and `status`.
void AppendFailedRow(const BatchLayout& layout, std::string_view status, std::string& out);

/// What reading a row needs beside its record, kept between rows.
struct RowScratch {
    std::string status;   ///< failures joined by "; ", empty when none
    SourceTexts sources{};
    std::array<PlainDecimal, 3> decimals;
};

/// Reads the given values of a record on line `line` and computes its state
/// (when every given value could be read), noting each failure in
/// `scratch.status`. False when the state was not computed: `state` then
/// holds the given values that could be read.
bool ComputeRow(const BatchLayout& layout, const CsvRecord& record, std::size_t line,
                RowScratch& scratch, StateResult& state);

struct BlockCounts {
    std::size_t rows = 0;       ///< rows written (blank lines are skipped)
    std::size_t failedRows = 0; ///< rows with a non-empty status
};

/// Computes the complete records in `data` (changed in place by the parser),
/// the first starting on line `firstLine` of the input, and appends their
/// output rows to `out` in the same order. A row whose output cannot be held
/// in memory is written with empty cells and a status that says so.
BlockCounts ProcessBlock(const BatchLayout& layout, char* data, std::size_t size,
                         std::size_t firstLine, std::string& out);

} // namespace humitrax::cli
