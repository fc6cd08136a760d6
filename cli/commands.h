// File: commands.h
// The commands of humitrax-cli. Each takes the arguments after its own name
// and returns the process exit status.
#pragma once

#include "kit/output.h"

#include <span>
#include <string_view>

namespace humitrax::cli {

/// call FUNCTION ARG... | call (lines on standard input): one engine function.
int RunCall(std::span<const std::string_view> args);
/// calc --dry-bulb T (--pressure P | --altitude A) (--wet-bulb V | ...): the window's calculation.
int RunCalc(std::span<const std::string_view> args);
/// state --units si|ip ...: one state, every property.
int RunState(std::span<const std::string_view> args);
/// batch [--units si|ip] [--format csv|json] [--jobs N] [FILE]: many states from a CSV.
int RunBatch(std::span<const std::string_view> args);
/// chart ... -o FILE: a psychrometric chart.
int RunChart(std::span<const std::string_view> args);
/// process mix|heat|cool|coil|humidify ...: an air-conditioning process.
int RunProcess(std::span<const std::string_view> args);
/// comfort STATE --met M --clo C ...: PMV and PPD by ISO 7730.
int RunComfort(std::span<const std::string_view> args);

/// Each command's section of --help, owned beside the command.
std::string_view CallHelp();
std::string_view CalcHelp();
std::string_view StateHelp();
std::string_view BatchHelp();
std::string_view ChartHelp();
std::string_view ProcessHelp();
std::string_view ComfortHelp();

} // namespace humitrax::cli
