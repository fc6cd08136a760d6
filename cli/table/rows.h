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

#include "humitrax/column_names.h"
#include "humitrax/given.h"
#include "humitrax/pair.h"
#include "humitrax/plausibility.h"
#include "humitrax/state.h"

#include <array>
#include <span>
#include <utility>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace humitrax::cli {


/// Text without its surrounding spaces and tabs. (Inlined always: reading a
/// row's numbers calls it for each.)
[[gnu::always_inline]] inline std::string_view Trim(std::string_view text) noexcept
{
    return TrimBlanks(text);
}

/// A column the state is read from.
struct InputColumn {
    std::size_t index = 0;
    UnitConversion unit;                 ///< to the unit system's own unit
    std::optional<double> missingCode;   ///< a value that means "not measured"
    /// The column of its source flag, whose "?" means "not measured" (TMY3).
    std::optional<std::size_t> sourceFlag;
    /// Any value at or above the code means it too, as an EnergyPlus weather
    /// file's codes do (a dry bulb of 99.9 or more).
    bool missingAtOrAbove = false;
};

/// What the header row says, and how the output is written.
struct BatchLayout {
    Units units = Units::SI;
    Model model = Model::Ashrae2017;
    Saturation saturation = Saturation::IceBelowFreezing;
    Format format = Format::Csv;
    char separator = ',';
    /// Numbers may take a decimal comma ("25,5"), as a ';' file's do.
    bool decimalComma = false;
    /// The properties a row writes, in column order, of those the unit
    /// system has (every one unless --columns chose some); a row's status
    /// names the failures of these.
    std::vector<Property> written{kAllProperties.begin(), kAllProperties.end()};
    /// Significant digits of the computed properties; 0 for the shortest
    /// text that reads back as the same double. The given values (dry bulb,
    /// pressure, condition) are always written at the shortest.
    int precision = 0;
    /// The two given properties (the dry bulb and a condition, or any two
    /// of kGivableProperties) and their columns.
    std::array<Property, 2> given{Property::DryBulb, Property::RelativeHumidity};
    InputColumn first;
    InputColumn second;
    std::optional<InputColumn> pressure; ///< the pressure or the altitude; none: defaultPressure
    bool altitude = false;               ///< pressure holds an altitude
    double defaultPressure = 0.0;
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

/// A header name given a role by --column ROLE=HEADER.
struct ColumnMapping {
    std::string_view role;   ///< dry_bulb, pressure, altitude or a condition's column
    std::string_view header; ///< compared without regard to case and surrounding blanks
};

/// How a header is read.
struct HeaderRules {
    Units units = Units::SI;
    Model model = Model::Ashrae2017;
    Saturation saturation = Saturation::IceBelowFreezing;
    Format format = Format::Csv;
    char separator = ',';
    /// The given values to read (--given): one condition, read with the dry
    /// bulb, or two of kGivableProperties in their order; needed when the
    /// header names several.
    std::vector<Property> given;
    /// The unit of a pressure column whose name gives none (--pressure-unit).
    std::optional<std::string_view> pressureUnit;
    /// For a table that is only plotted: nothing is passed through, columns
    /// named like output columns are passed over, several conditions mean
    /// the humidity ratio unless `given` says otherwise, and a table with
    /// neither pressure nor altitude is at `defaultPressure`.
    bool plotOnly = false;
    double defaultPressure = 0.0;
    /// Header names mapped to roles (--column).
    std::vector<ColumnMapping> mappings;
    /// Lines skipped before a CSV table's header (--skip-lines).
    std::size_t skipLines = 0;
    /// Fields of a weather file passed through beside the results (--keep),
    /// by their documented names.
    std::vector<std::string_view> keep;
    /// The properties written (--columns); empty for every one. The given
    /// values are written whatever it holds.
    std::vector<Property> columns;
    /// Significant digits of the computed properties (--precision); 0 for
    /// the shortest text.
    int precision = 0;
};

/// The roles --column may give a header name: the place (pressure, altitude)
/// and the properties a state may be given by.
std::span<const std::string_view> ColumnRoles() noexcept;

/// The header's names quoted for a message: "'a', 'b', 'c'", the first 40
/// of them, then "and 31 more".
std::string HeaderNames(const std::vector<std::string_view>& header);

/// Reads the header's fields. Names are compared without regard to case
/// and surrounding blanks, a blank and an underscore between words alike
/// ("Dry Bulb" is dry_bulb); a unit in brackets after the name ("pressure
/// [hPa]", "dry_bulb [°F]") converts the column's values to the unit
/// system's own. Looser still, a hyphen between words is a blank
/// ("Dry-bulb") and a unit of the column in parentheses is one in brackets
/// ("Pressure (mbar)"); a name so read yields to one read strictly for the
/// same place (the dry bulb, the pressure or altitude, the condition), and is
/// then passed through, as a column named like an output column only by the
/// looser rules always is. `rules.mappings` give names of any form a role,
/// as if read strictly. Needs dry_bulb, exactly one of pressure and altitude
/// and one of wet_bulb, dew_point, relative_humidity and humidity_ratio
/// (several with `given`); every other column is passed through. A column
/// named like an output column is refused, unless `given` is set: then it is
/// left out, and the output's own column holds the value computed afresh (so
/// batch reads its own output). On a bad header, nothing, with the reason in
/// `message`; a column that is missing is named with the header's names.
std::optional<BatchLayout> MakeBatchLayout(const std::vector<std::string_view>& header,
                                           const HeaderRules& rules, std::string& message);

/// The output's header line (CSV), or nothing (JSON lines).
std::string OutputHeader(const BatchLayout& layout);

/// Sets what a layout writes by the rules: the properties chosen (the given
/// values always among them) and the precision.
void SetOutputColumns(BatchLayout& layout, const HeaderRules& rules);

/// Sets the JSON keys of the passed-through columns: their names as valid
/// UTF-8, a name met before taking the first suffix "_2", "_3"... that no
/// column bears.
void SetJsonKeys(BatchLayout& layout);

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

/// What reading one given value needs, kept between rows.
struct ValueScratch {
    PlainDecimal decimal;
    std::string pointed; ///< a number with a decimal comma, its comma a point
};

/// What reading a row needs beside its record, kept between rows.
struct RowScratch {
    std::string status;   ///< failures joined by "; ", empty when none
    SourceTexts sources{};
    std::array<ValueScratch, 3> values; ///< the dry bulb, the pressure or altitude, the condition
    /// The given values read, tallied (the pressure only where the table gives one).
    Plausibility plausibility;
};

/// Reads the given values of a record on line `line` and computes its state
/// (when every given value could be read), noting each failure of a value
/// read or of a property written in `scratch.status`, and tallying the values
/// read in `scratch.plausibility`. False when the state was not computed: `state` then
/// holds the given values that could be read.
bool ComputeRow(const BatchLayout& layout, const CsvRecord& record, std::size_t line,
                RowScratch& scratch, StateResult& state);

struct BlockCounts {
    std::size_t rows = 0;       ///< rows written (blank lines are skipped)
    std::size_t failedRows = 0; ///< rows with a non-empty status
    Plausibility plausibility;  ///< the given values of the rows
};

/// Computes the complete records in `data` (changed in place by the parser),
/// the first starting on line `firstLine` of the input, and appends their
/// output rows to `out` in the same order. A row whose output cannot be held
/// in memory is written with empty cells and a status that says so.
BlockCounts ProcessBlock(const BatchLayout& layout, char* data, std::size_t size,
                         std::size_t firstLine, std::string& out);

} // namespace humitrax::cli
