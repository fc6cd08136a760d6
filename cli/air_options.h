// File: air_options.h
// What the process and comfort commands read and write alike: a state in the
// compact form "25,rh=50", a flow such as "2.5kg/s", the options that hold
// for the whole command (units, model, pressure or altitude, format), and
// numbers rounded for a table.
#pragma once

#include "options.h"

#include "humitrax/process.h"
#include "humitrax/state.h"

#include <array>
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
};

/// The options every state of the command shares, for its own list of specs.
inline constexpr std::array<OptionSpec, 5> kAirOptionSpecs{{
    {"--units"},
    {"--model"},
    {"--format"},
    {"--pressure", true, "pressure"},
    {"--altitude", true, "pressure"},
}};

/// Whether `name` is one of kAirOptionSpecs.
bool IsAirOption(std::string_view name) noexcept;

/// Reads the shared options (--units si by default, --model calculator by
/// default, --format table by default, one of --pressure and --altitude
/// needed); false with the reason in `message`.
bool ReadAirOptions(const Options& given, AirOptions& options, std::string& message);

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
