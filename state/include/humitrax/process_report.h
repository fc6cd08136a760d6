// File: process_report.h
// A process's result as the command line and the Python module report it:
// its states by name, its loads by name and unit, and its failures and
// refusal in words. One naming for every way out.
#pragma once

#include "humitrax/process.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace humitrax {

enum class ProcessKind : std::uint8_t { Mix, Heat, Cool, Coil, Humidify };

/// "mix", "heat", "cool", "coil", "humidify".
std::optional<ProcessKind> ProcessKindFromName(std::string_view name) noexcept;

/// One state of a result, as the output names it.
struct NamedState {
    std::string_view key;   ///< "entering", "first" ...
    std::string_view title; ///< "Entering", "First" ...
    std::string_view words; ///< "entering air", "first stream" ...
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

/// "entering: dew_point: reason; ..." for every cell of a computed process
/// that has no value; empty when every cell has one.
std::string ProcessFailures(ProcessKind kind, const ProcessResult& result, Units units);

/// "refused (entering air): why", with the details the refused state holds.
std::string ProcessRefusal(ProcessKind kind, const ProcessResult& result, Units units);

} // namespace humitrax
