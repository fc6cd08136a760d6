// File: state_table.h
// States to plot, read from a CSV in the batch format: a header row naming
// dry_bulb, pressure or altitude, and the condition (wet_bulb, dew_point,
// relative_humidity in percent, or humidity_ratio), other columns ignored.
// The output of batch reads too: when it names several conditions, its
// humidity_ratio is used.
#pragma once

#include "chart_model.h"

#include <cstddef>
#include <istream>
#include <string>
#include <variant>
#include <vector>

namespace humitrax::chart {

/// Reads records of comma-separated values (RFC 4180): fields in double
/// quotes may hold commas, line breaks and doubled quotes; records end in
/// CR LF or LF; a UTF-8 byte-order mark before the first record is skipped.
class CsvReader {
public:
    explicit CsvReader(std::istream& in) : m_in(in) {}
    /// The next record's fields; false at the end of the input.
    bool Next(std::vector<std::string>& fields);

private:
    std::istream& m_in;
    bool m_started = false;
};

/// The states of a table, placed by the engine.
struct StateTable {
    std::vector<DataPoint> points; ///< every row the engine could place
    std::size_t rows = 0;          ///< data rows read
    std::size_t failed = 0;        ///< rows left out: a bad number or a state the engine cannot place
};

/// Reads the whole table; each row's state is computed at the row's own
/// pressure (the chart's when the table has neither pressure nor altitude),
/// in the chart's units. The text says why the header cannot be used.
/// Throws std::ios_base::failure when the stream's buffer fails to read (a
/// file stream opened on a directory, an I/O error).
std::variant<StateTable, std::string> ReadStateTable(std::istream& in, const ChartSettings& settings);

} // namespace humitrax::chart
