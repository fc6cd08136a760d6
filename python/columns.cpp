#include "columns.h"

#include "humitrax/given.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <exception>
#include <iterator>
#include <limits>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <utility>

namespace humitrax::python {
namespace {

/// Fewer rows than this per thread are not worth a thread's start.
constexpr std::size_t kMinRowsPerThread = 1024;
/// The most rows of a block: the calling thread asks to go on between two.
constexpr std::size_t kMaxBlockRows = 64 * 1024;

constexpr double kNoValue = std::numeric_limits<double>::quiet_NaN();

/// One row's state; its failures in `status` (cleared first), in batch's
/// words and order. The given values read are tallied in `plausibility`.
StateResult ComputeRow(const GivenColumns& given, std::size_t row, std::string& statusText,
                       Plausibility& plausibility)
{
    StatusText status(statusText);
    const GivenBasis basis{given.units,
                           given.model,
                           given.altitude,
                           given.first,
                           given.second,
                           given.saturation,
                           "model=\"ashrae2017\""};
    const auto read = [&](GivenValue which, std::string_view column) -> std::optional<double> {
        const double* values = given.secondValues;
        const bool* missing = given.secondMissing;
        std::optional<Property> tallied = given.second;
        if (which == GivenValue::First) {
            values = given.firstValues;
            missing = given.firstMissing;
            tallied = given.first;
        } else if (which == GivenValue::Place) {
            values = given.pressure;
            missing = given.pressureMissing;
            tallied = given.altitude ? std::nullopt : std::optional(Property::Pressure);
        }
        if (missing != nullptr && missing[row]) {
            status.Add(column, "missing");
            return std::nullopt;
        }
        if (tallied)
            plausibility.Add(*tallied, values[row]);
        return values[row];
    };
    StateResult state;
    ComputeGivenState(basis, read, status, state);
    return state;
}

} // namespace

void ComputeRows(const GivenColumns& given, const PropertyColumns& out, std::size_t begin,
                 std::size_t end, std::vector<RowStatus>& statuses, Plausibility& plausibility)
{
    std::string status;
    for (std::size_t row = begin; row < end; ++row) {
        const StateResult state = ComputeRow(given, row, status, plausibility);
        for (std::size_t i = 0; i < kPropertyCount; ++i) {
            if (out[i] != nullptr)
                out[i][row] = state.cells[i].present ? state.cells[i].value : kNoValue;
        }
        if (!status.empty())
            statuses.push_back({row, status});
    }
}

Saturation SaturationOf(std::string_view name, Model model)
{
    const std::optional<Saturation> saturation = SaturationFromName(name);
    if (!saturation)
        throw std::invalid_argument("saturation must be 'ice' or 'water', not '" + std::string(name) + "'");
    if (*saturation == Saturation::Water && model != Model::Ashrae2017)
        throw std::invalid_argument("saturation='water' is for the 2017 relations (model='ashrae2017'); the "
                                    "calculator's take saturation over ice below 0 °C");
    return *saturation;
}

Blocks SplitRows(std::size_t rows, unsigned threads)
{
    if (threads == 0)
        threads = std::max(1U, std::thread::hardware_concurrency());
    Blocks blocks;
    blocks.rows = rows;
    blocks.size = std::clamp<std::size_t>((rows + threads - 1) / threads, kMinRowsPerThread, kMaxBlockRows);
    blocks.count = (rows + blocks.size - 1) / blocks.size;
    blocks.threads = std::clamp<std::size_t>(blocks.count, 1, threads);
    return blocks;
}

bool ForEachBlock(const Blocks& blocks,
                  const std::function<void(std::size_t, std::size_t, std::size_t)>& work,
                  const KeepGoing& keepGoing)
{
    std::atomic<std::size_t> next{0};
    std::atomic<bool> stop{false};
    bool interrupted = false; // by the calling thread only
    std::vector<std::exception_ptr> failures(blocks.threads);
    const auto run = [&](std::size_t thread) {
        try {
            while (!stop.load(std::memory_order_relaxed)) {
                const std::size_t block = next.fetch_add(1, std::memory_order_relaxed);
                if (block >= blocks.count)
                    return;
                const std::size_t begin = block * blocks.size;
                work(block, begin, std::min(begin + blocks.size, blocks.rows));
                if (thread == 0 && keepGoing && !keepGoing()) {
                    interrupted = true;
                    stop = true;
                }
            }
        } catch (...) {
            failures[thread] = std::current_exception();
            stop = true;
        }
    };
    {
        // Joined when the block ends, also when starting a thread fails.
        std::vector<std::jthread> workers;
        workers.reserve(blocks.threads - 1);
        for (std::size_t thread = 1; thread < blocks.threads; ++thread)
            workers.emplace_back(run, thread);
        run(0);
    }
    for (const std::exception_ptr& failure : failures) {
        if (failure)
            std::rethrow_exception(failure);
    }
    return !interrupted;
}

std::vector<std::string> WarningTexts(const Plausibility& plausibility)
{
    std::vector<std::string> texts;
    for (PlausibilityWarning& warning : plausibility.Warnings())
        texts.push_back(std::move(warning.text));
    return texts;
}

std::optional<ComputedRows> ComputeColumns(const GivenColumns& given, const PropertyColumns& out,
                                           unsigned threads, const KeepGoing& keepGoing)
{
    const Blocks blocks = SplitRows(given.rows, threads);
    std::vector<std::vector<RowStatus>> parts(blocks.count);
    std::vector<Plausibility> tallies(blocks.count, Plausibility(given.units));
    const auto work = [&](std::size_t block, std::size_t begin, std::size_t end) {
        ComputeRows(given, out, begin, end, parts[block], tallies[block]);
    };
    if (!ForEachBlock(blocks, work, keepGoing))
        return std::nullopt;
    ComputedRows computed{{}, Plausibility(given.units)};
    for (std::size_t block = 0; block < blocks.count; ++block) {
        computed.statuses.insert(computed.statuses.end(), std::make_move_iterator(parts[block].begin()),
                                 std::make_move_iterator(parts[block].end()));
        computed.plausibility.Merge(tallies[block]);
    }
    return computed;
}

} // namespace humitrax::python
