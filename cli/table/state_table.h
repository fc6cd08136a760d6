// File: state_table.h
// The states of a table, as the chart plots them: a CSV in the batch format
// or an EnergyPlus weather file, read by batch's reader and header rules,
// each row placed by ComputeState (so the refusal rules apply) at its own
// pressure. Batch's own output reads too: where the header names several
// conditions, the humidity ratio places the state unless `given` says
// otherwise.
#pragma once

#include "table/reader.h"
#include "table/rows.h"

#include "humitrax/plausibility.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace humitrax::cli {

/// One placed row.
struct TablePoint {
    double dryBulb = 0.0;
    double humidityRatio = 0.0;
    double pressure = 0.0; ///< the row's own
};

/// The states of a table.
struct StateTable {
    std::vector<TablePoint> points; ///< every row that could be placed, in input order
    std::size_t rows = 0;           ///< data rows read (blank lines not counted)
    std::size_t failed = 0;         ///< rows that could not be placed
    /// The values read that look like a slip of unit (Plausibility).
    std::vector<PlausibilityWarning> warnings;
};

/// How a table is read. `rules.defaultPressure` is the pressure of a table
/// with neither a pressure nor an altitude column.
struct StateTableOptions {
    HeaderRules rules;
    InputKind kind = InputKind::Csv;
    std::size_t maxRecordBytes = std::size_t{1} << 20;
};

/// Reads the whole table from `fd`. Nothing when its start cannot be used or
/// the input cannot be read to its end, with the reason in `message`.
std::optional<StateTable> ReadStateTable(int fd, StateTableOptions options, std::string& message);

} // namespace humitrax::cli
