// File: batch_rows.h
// The rows of the batch command: the header that says which column holds
// what, and the work on a block of complete CSV records (read the numbers,
// compute the state, write the output row), which any thread may do.
#pragma once

#include "humitrax/state.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace humitrax::cli {

enum class OutputFormat : std::uint8_t { Csv, Json };

/// What the header row says, and how the output is written.
struct BatchLayout {
    Units units = Units::SI;
    OutputFormat format = OutputFormat::Csv;
    std::size_t dryBulbColumn = 0;
    std::size_t pressureColumn = 0; ///< the pressure or the altitude
    bool altitude = false;          ///< pressureColumn holds an altitude
    std::size_t conditionColumn = 0;
    Condition condition = Condition::RelativeHumidity;
    std::size_t columnCount = 0;                  ///< fields of the header
    std::vector<std::size_t> passThroughColumns;  ///< in input order
    std::vector<std::string> passThroughNames;    ///< as the header has them
    std::vector<std::string> passThroughLabels;   ///< for the status: trimmed, or "column N"
    /// "\"name\":" for each passed-through column: its name as valid UTF-8,
    /// suffixed "_2", "_3"... where an earlier column has it
    std::vector<std::string> jsonKeys;
};

/// Reads the header's fields. Needs dry_bulb, exactly one of pressure and
/// altitude and exactly one of wet_bulb, dew_point, relative_humidity and
/// humidity_ratio (names compared without surrounding blanks); every other
/// column is passed through, unless it bears the name of an output column.
/// On a bad header, nothing, with the reason in `message`.
std::optional<BatchLayout> MakeBatchLayout(const std::vector<std::string_view>& header,
                                           Units units, OutputFormat format,
                                           std::string& message);

/// The output's header line (CSV), or nothing (JSON lines).
std::string OutputHeader(const BatchLayout& layout);

/// The shortest texts of the given values, by property, where reading them
/// gave those texts already; empty for the others, which are converted.
using SourceTexts = std::array<std::string_view, kPropertyCount>;

/// The output columns of a state after any passed-through ones: the
/// properties, grains in inch-pound units only, then "status".
void AppendCsvCells(std::string& out, const StateResult& state, Units units,
                    std::string_view status, const SourceTexts& sources = {});
/// The same columns as JSON members ("dry_bulb":25,...,"status":null), no braces.
void AppendJsonCells(std::string& out, const StateResult& state, Units units,
                     std::string_view status, const SourceTexts& sources = {});

/// A row whose record could not be read: every cell empty (null), and `status`.
void AppendFailedRow(const BatchLayout& layout, std::string_view status, std::string& out);

struct BlockCounts {
    std::size_t rows = 0;       ///< rows written (blank lines are skipped)
    std::size_t failedRows = 0; ///< rows with a non-empty status
};

/// Computes the complete records in `data` (changed in place by the parser),
/// the first starting on line `firstLine` of the input, and appends their
/// output rows to `out` in the same order.
BlockCounts ProcessBlock(const BatchLayout& layout, char* data, std::size_t size,
                         std::size_t firstLine, std::string& out);

} // namespace humitrax::cli
