// File: air_options.h
// What the process and comfort commands read and write alike: a state in the
// compact form "25,rh=50", a flow such as "2.5kg/s", the options that hold
// for the whole command (units, model, pressure or altitude, format), the
// arguments split into options and words, and numbers rounded for a table.
#pragma once

#include "humitrax/process.h"
#include "humitrax/state.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace humitrax::cli {

/// "T,rh=V", "T,wb=V", "T,dp=V" or "T,w=V": a dry bulb and one condition
/// (relative humidity in percent), numbers in the command's units. Nothing
/// for any other text, with the reason in `message`.
std::optional<AirState> ParseAirState(std::string_view text, std::string& message);

/// A number and a flow unit, "2.5kg/s", "3000cfm", "1.2m3/s", "4000m3/h",
/// "150lb/min" (a blank between them allowed). Nothing for any other text, a
/// number that is not finite included, with the reason in `message`.
std::optional<Flow> ParseFlow(std::string_view text, std::string& message);

/// A finite number for `option`; nothing with the reason in `message`.
std::optional<double> ParseFinite(std::string_view option, std::string_view text, std::string& message);

enum class Format : std::uint8_t { Table, Csv, Json };

/// The options every state of the command shares.
struct AirOptions {
    std::optional<Units> units;
    Model model = Model::Calculator;
    Format format = Format::Table;
    std::optional<double> pressure;
    std::optional<double> altitude;
    bool modelGiven = false;
    bool formatGiven = false;
};

/// One argument: an option with its value ("--units si", "--units=si") or a
/// word. Options listed as flags take no value.
struct Argument {
    std::string_view name; ///< "--units"; empty for a word
    std::string_view value;
};

/// Splits the arguments; nothing when an option lacks its value, with the
/// reason in `message`. A word starting "--" is an option; "-5,rh=80" is a word.
std::optional<std::vector<Argument>> SplitArguments(std::span<const std::string_view> args,
                                                    std::span<const std::string_view> flags,
                                                    std::string& message);

enum class OptionRead : std::uint8_t { NotShared, Read, Bad };

/// Reads --units, --model, --format, --pressure or --altitude into `options`;
/// NotShared for any other option; Bad with the reason in `message`.
OptionRead ReadAirOption(const Argument& argument, AirOptions& options, std::string& message);

/// After reading: --units and one of --pressure and --altitude are given.
/// False with the reason in `message` otherwise.
bool CheckAirOptions(const AirOptions& options, std::string& message);

/// The pressure the options give: --pressure itself, or the model's pressure
/// at --altitude (a failure is the cell's reason).
Cell PressureOf(const AirOptions& options);

/// A property's name for a table: "Dry bulb temperature" ...
std::string_view PropertyLabel(Property property) noexcept;

/// A number for reading: six significant digits ("25.4871", "0.00987654").
std::string ReadableNumber(double value);

/// The text without the blanks that padding leaves at the ends of its lines.
std::string WithoutTrailingBlanks(std::string_view text);

/// `text` padded with blanks to `width` characters (counting UTF-8 characters).
void AppendPadded(std::string& out, std::string_view text, std::size_t width);

} // namespace humitrax::cli
