// File: process_report.h
// A process's result as the command line and the Python module report it:
// its states by name, its loads by name and unit, and its failures and
// refusal in words. One naming for every way out.
#pragma once

#include "humitrax/process.h"

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace humitrax {

enum class ProcessKind : std::uint8_t { Mix, Heat, Cool, Coil, Humidify };
inline constexpr std::array<ProcessKind, 5> kProcessKinds{ProcessKind::Mix, ProcessKind::Heat, ProcessKind::Cool,
                                                          ProcessKind::Coil, ProcessKind::Humidify};

/// "mix", "heat", "cool", "coil", "humidify".
std::string_view ProcessKindName(ProcessKind kind) noexcept;
/// The kind a name names, if any.
std::optional<ProcessKind> ProcessKindFromName(std::string_view name) noexcept;
/// "Mixing of two streams", "Sensible heating" ...
std::string_view ProcessKindTitle(ProcessKind kind) noexcept;

/// The keys of a process's output beside the parts' and the properties' own.
inline constexpr std::string_view kDryAirFlowKey = "dry_air_flow"; ///< a part's dry-air flow
inline constexpr std::string_view kLoadsPartKey = "process";      ///< the part the loads belong to (csv)
inline constexpr std::string_view kLoadsKey = "loads";             ///< the object of the loads (json)
inline constexpr std::string_view kApparatusDewPointKey = "apparatus_dew_point";

/// One part of a kind's output, as the output names it.
struct ProcessPartName {
    std::string_view key;   ///< "entering", "first" ...
    std::string_view title; ///< "Entering", "First" ...
    std::string_view words; ///< "entering air", "first stream" ...
};

/// The parts of a kind's output in order, the leaving (mixed) air last:
/// first, second and mixed for a mix, entering and leaving for the others.
std::span<const ProcessPartName> ProcessParts(ProcessKind kind) noexcept;

/// One state of a result, as the output names it.
struct NamedState : ProcessPartName {
    const StateResult* state;
    double dryAirFlow;
};

/// The states of a result in order: first, second and mixed for a mix,
/// entering and leaving for the others. They point into `result`.
std::vector<NamedState> ProcessStates(ProcessKind kind, const ProcessResult& result);

/// One of the loads: its key, its label for reading, its value and unit.
struct NamedLoad {
    std::string_view key;
    std::string_view label;
    double value;
    std::string_view unit;
};

/// The loads a kind reports, signed as the process gives them (none for a mix).
std::vector<NamedLoad> ProcessLoads(ProcessKind kind, const ProcessResult& result, Units units);

/// Every value of a result in the order of the command's csv, as
/// `visit(part, quantity, value, unit)`: each part's properties (those the
/// unit system has; NaN where a cell has no value), then its dry-air flow;
/// then the loads, under the part "process".
template <typename Visit>
void ForEachProcessValue(ProcessKind kind, const ProcessResult& result, Units units, Visit&& visit)
{
    for (const NamedState& part : ProcessStates(kind, result)) {
        for (Property property : kAllProperties) {
            if (!HasProperty(property, units))
                continue;
            const Cell& cell = (*part.state)[property];
            visit(part.key, PropertyColumn(property), cell.present ? cell.value : ProcessResult::kNone,
                  PropertyUnit(property, units));
        }
        visit(part.key, kDryAirFlowKey, part.dryAirFlow, MassFlowUnit(units));
    }
    for (const NamedLoad& load : ProcessLoads(kind, result, units))
        visit(kLoadsPartKey, load.key, load.value, load.unit);
}

/// "entering: dew_point: reason; ..." for every cell of a computed process
/// that has no value; empty when every cell has one.
std::string ProcessFailures(ProcessKind kind, const ProcessResult& result, Units units);

/// "refused (entering air): why", with the details the refused state holds.
std::string ProcessRefusal(ProcessKind kind, const ProcessResult& result, Units units);

} // namespace humitrax
