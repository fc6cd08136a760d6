// File: columns.h
// Many states at once, as the Python module computes them: rows of given
// values in plain arrays, each row's properties into one array per property
// and the failures of a row into its status text, the words of the batch
// command. The rows are split into contiguous blocks that the threads take in
// turn; every row is computed alone, so the results do not depend on the
// split. The given values are tallied for the plausibility warnings as batch
// tallies its rows'. Standard C++ only: the module's Python side lives in
// module.cpp.
#pragma once

#include "humitrax/plausibility.h"
#include "humitrax/state.h"

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace humitrax::python {

/// The given values of `rows` states, one array of `rows` doubles each.
struct GivenColumns {
    Units units = Units::SI;
    Model model = Model::Ashrae2017;
    Saturation saturation = Saturation::IceBelowFreezing;
    /// The two given properties (the dry bulb and a condition, or any two a
    /// state may be given by), in the order a state reads them.
    Property first = Property::DryBulb;
    Property second = Property::RelativeHumidity;
    bool altitude = false; ///< `pressure` holds altitudes (m or ft)
    const double* firstValues = nullptr;
    const double* pressure = nullptr;
    const double* secondValues = nullptr; ///< relative humidity in percent
    /// For each array above, nullptr or a flag per row: a missing value (a
    /// masked cell), whatever the array holds there.
    const bool* firstMissing = nullptr;
    const bool* pressureMissing = nullptr;
    const bool* secondMissing = nullptr;
    std::size_t rows = 0;
};

/// The saturation a name names ("ice" or "water"), for the model: "water" is
/// for the 2017 relations alone. Throws std::invalid_argument otherwise.
Saturation SaturationOf(std::string_view name, Model model);

/// One array of `rows` doubles per property, in the order of kAllProperties;
/// nullptr for a property that is not wanted. A property without a value is
/// written as a quiet NaN.
using PropertyColumns = std::array<double*, kPropertyCount>;

/// The status of a row that is not whole: its failures as "column: reason",
/// joined by "; ".
struct RowStatus {
    std::size_t row = 0;
    std::string text;
};

/// Computes rows `begin` to `end` (excluded) and appends the status of each
/// one that is not whole to `statuses`, in row order, and tallies each given
/// value that is not missing in `plausibility` (the pressure only where one
/// is given, not an altitude), as batch tallies the values it reads. A row's status names
/// its failures as humitrax-cli batch does, in its order: a given value that
/// is missing ("dry_bulb: missing") or not finite ("dry_bulb: not a number",
/// where batch names the line of a cell it cannot read), a failed altitude
/// conversion ("pressure: <reason>"), the refusal, or each failed column of
/// the batch output. A row with a given value missing or no pressure has no
/// properties but the given values there are, the pressure of an altitude
/// among them. A property beyond batch's columns (vapour pressure, density
/// ...) fails only with one of them; should one fail alone, it is named.
void ComputeRows(const GivenColumns& given, const PropertyColumns& out, std::size_t begin,
                 std::size_t end, std::vector<RowStatus>& statuses, Plausibility& plausibility);

/// Asked by the calling thread after each block it computes: whether to go
/// on. The module checks the interpreter's signals there, Ctrl-C among them.
using KeepGoing = std::function<bool()>;

/// Rows 0 to `rows` cut into `count` contiguous blocks of `size` rows (the
/// last may have fewer), computed on `threads` threads.
struct Blocks {
    std::size_t rows = 0;
    std::size_t size = 1;
    std::size_t count = 0;
    std::size_t threads = 1;
};

/// The blocks of `rows` rows for `threads` threads (0: one per core): one
/// block per thread, of at least 1024 rows (fewer threads for fewer rows),
/// and at most 65536 rows, a fraction of a second's work, so that the
/// calling thread asks to go on that often.
Blocks SplitRows(std::size_t rows, unsigned threads);

/// Calls work(block, begin, end) for every block, each thread taking the
/// next block not yet taken, the calling thread among them; keepGoing, when
/// given, after each block of the calling thread. When it says no, no block
/// begins after the ones under way; returns false once those have ended.
/// Rethrows the first failure of a block after every thread has ended.
bool ForEachBlock(const Blocks& blocks,
                  const std::function<void(std::size_t, std::size_t, std::size_t)>& work,
                  const KeepGoing& keepGoing);

/// The texts of the warnings the tallies call for, one per column, as batch
/// and the state command print them.
std::vector<std::string> WarningTexts(const Plausibility& plausibility);

/// What ComputeColumns gives besides the properties.
struct ComputedRows {
    std::vector<RowStatus> statuses; ///< in row order
    Plausibility plausibility;       ///< the given values of every row
};

/// Computes every row on `threads` threads (0: one per core), in the blocks
/// of SplitRows, each block tallied apart and the tallies merged. Nothing
/// when keepGoing said no. Rethrows the first failure of a thread (memory)
/// after every thread has ended.
std::optional<ComputedRows> ComputeColumns(const GivenColumns& given, const PropertyColumns& out,
                                           unsigned threads, const KeepGoing& keepGoing);

} // namespace humitrax::python
