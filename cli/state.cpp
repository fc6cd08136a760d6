// The state command: one state of moist air, every property, in SI or
// inch-pound units.
#include "kit/readable.h"
#include "table/rows.h"
#include "commands.h"
#include "kit/numbers.h"
#include "kit/options.h"
#include "kit/output.h"

#include "humitrax/given.h"
#include "humitrax/pair.h"
#include "humitrax/plausibility.h"
#include "humitrax/state.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace humitrax::cli {
namespace {

constexpr std::string_view kHelp = R"(  state [--units si|ip] [--model ashrae2017|calculator] [--saturation ice|water]
        (--pressure P | --altitude A) TWO OF [--dry-bulb T] [--wet-bulb V]
        [--dew-point V] [--relative-humidity V] [--humidity-ratio V]
        [--enthalpy V] [--specific-volume V] [--vapour-pressure V]
        [--format table|csv|json] [--precision engineering|full]
      One state of moist air, every property, computed in the unit system
      chosen: si (°C, kPa, m, kg/kg, kJ/kg, m³/kg, kg/m³; the default) or ip
      (°F, psia, ft, lb/lb, Btu/lb, ft³/lb, lb/ft³, and grains per pound),
      by the relations of the ASHRAE Handbook—Fundamentals 2017, chapter 1,
      or, with --model calculator, the calculator window's own (see
      "Relations" below). Relative humidity in percent. An altitude gives the
      pressure of the standard atmosphere. The state is given by two of its
      properties: the dry bulb and a wet bulb, dew point, relative humidity
      or humidity ratio as a rule, or any two (an enthalpy and a humidity
      ratio, a wet bulb and a relative humidity ...). Two that fix the same
      moisture (dew point, humidity ratio, vapour pressure) are refused, and
      so are the wet bulb with the enthalpy, whose lines cross too shallowly
      for the state to be worth its digits. Beside the given values: wet bulb, dew point, relative humidity,
      humidity ratio, enthalpy, specific volume, grains (ip), vapour
      pressure, saturation vapour pressure (at the dry bulb), saturation
      humidity ratio, degree of saturation (W/Ws), specific humidity
      (W/(1+W)) and density (of the moist air).
      --format table (default) is for reading, each value rounded to what an
      engineer reads: temperatures and enthalpy to 0.01, pressures to 0.001
      kPa (0.0001 psia), relative humidity to 0.1 %, humidity ratios and
      specific humidity to 6 significant digits, specific volume, density
      and degree of saturation to 0.0001, grains to 0.01; --precision full
      shows every digit. csv and json have the columns of the batch command,
      always at full precision. Every value shown is one air can have
      (temperatures within -100 to 200 °C, -148 to 392 °F; dew point and wet
      bulb at most the dry bulb; relative humidity 0 to 100 %; vapour
      pressure below the pressure ...): a property that cannot be computed,
      or would lie outside these, is reported with the reason and the exit
      status is 1. Air that cannot exist (a relative humidity of 120 %, a
      dew point above the dry bulb, an altitude outside -5000 to 11000 m) is
      refused. A given value that looks like a slip of unit is warned of on
      standard error, the state computed as given: a pressure outside 30 to
      120 kPa (4.4 to 17.4 psia; in hPa?), a relative humidity within 0 to 1
      (a fraction?), a humidity ratio above 0.1 (g/kg?), a dry bulb above 60
      °C (140 °F; °F?).
      Examples:
        humitrax-cli state --units si --dry-bulb 25 --pressure 101.325 --relative-humidity 50
        humitrax-cli state --enthalpy 50 --humidity-ratio 0.008 --pressure 101.325

)";

struct StateOptions {
    AirOptions air;
    /// The two given properties and their values, in the order of
    /// kGivableProperties.
    std::array<Property, 2> given{Property::DryBulb, Property::RelativeHumidity};
    std::array<double, 2> values{};
    bool fullPrecision = false;
};

constexpr Messages kSay{"state"};

constexpr std::array<OptionSpec, 15> kStateOptions{{
    kAirOptionSpecs[0],
    kAirOptionSpecs[1],
    kAirOptionSpecs[2],
    kAirOptionSpecs[3],
    kAirOptionSpecs[4],
    kAirOptionSpecs[5],
    {"--precision"},
    {"--dry-bulb"},
    {"--wet-bulb"},
    {"--dew-point"},
    {"--relative-humidity"},
    {"--humidity-ratio"},
    {"--enthalpy"},
    {"--specific-volume"},
    {"--vapour-pressure"},
}};
constexpr std::string_view kGivableOptions = "--dry-bulb, --wet-bulb, --dew-point, --relative-humidity, "
                                             "--humidity-ratio, --enthalpy, --specific-volume and --vapour-pressure";

/// "dew_point" → "--dew-point".
std::string ColumnOption(std::string_view column)
{
    std::string option = "--" + std::string(column);
    std::replace(option.begin(), option.end(), '_', '-');
    return option;
}

/// The options, or the exit status of a usage error or of --help.
std::optional<int> ParseOptions(std::span<const std::string_view> args, StateOptions& options)
{
    Options given;
    std::string message;
    if (std::optional<std::string> error = given.Read(args, kStateOptions))
        return kSay.Usage(*error);
    if (given.help())
        return WriteOut(kHelp) ? kExitOk : OutputFailed();
    if (!ReadAirOptions(given, options.air, message))
        return kSay.Usage(message);
    if (const std::optional<std::string_view> precision = given.Value("--precision")) {
        static constexpr std::array<std::string_view, 2> kPrecisions{"engineering", "full"};
        const std::optional<std::size_t> choice = ReadChoice("--precision", *precision, kPrecisions, message);
        if (!choice)
            return kSay.Usage(message);
        options.fullPrecision = *choice == 1;
    }
    std::vector<std::string> named;
    for (Property property : kGivableProperties) {
        const std::string option = ColumnOption(PropertyColumn(property));
        const std::optional<std::string_view> text = given.Value(option);
        if (!text)
            continue;
        const std::optional<double> value = ReadFiniteNumber(option, *text, message);
        if (!value)
            return kSay.Usage(message);
        if (named.size() < 2) {
            options.given[named.size()] = property;
            options.values[named.size()] = *value;
        }
        named.push_back(option);
    }
    if (named.size() > 2) {
        std::string list;
        for (std::size_t i = 0; i < named.size(); ++i)
            list.append(i == 0 ? "" : i + 1 == named.size() ? " and " : ", ").append(named[i]);
        return kSay.Usage("a state is given by two of its properties, not " + std::to_string(named.size()) +
                          " (" + list + ")");
    }
    if (named.size() < 2)
        return kSay.Usage("two of " + std::string(kGivableOptions) + " are needed" +
                          (named.empty() ? std::string() : ", and only " + named.front() + " is given") +
                          " (--dry-bulb 25 --relative-humidity 50)");
    return std::nullopt;
}

/// A value as the table shows it, rounded to what an engineer reads.
std::string EngineeringText(Property property, Units units, double value)
{
    // Decimals kept, or 0 for six significant digits.
    int decimals = 0;
    switch (property) {
    case Property::DryBulb:
    case Property::WetBulb:
    case Property::DewPoint:
    case Property::Enthalpy:
    case Property::Grains: decimals = 2; break;
    case Property::Pressure:
    case Property::VapourPressure:
    case Property::SaturationVapourPressure: decimals = units == Units::SI ? 3 : 4; break;
    case Property::RelativeHumidity: decimals = 1; break;
    case Property::SpecificVolume:
    case Property::DegreeOfSaturation:
    case Property::Density: decimals = 4; break;
    case Property::HumidityRatio:
    case Property::SaturationHumidityRatio:
    case Property::SpecificHumidity: decimals = 0; break;
    }
    if (!std::isfinite(value))
        return ShortestText(value);
    if (decimals == 0) {
        if (value == 0.0)
            return "0";
        constexpr int kSignificant = 6;
        const int magnitude = static_cast<int>(std::floor(std::log10(std::fabs(value))));
        decimals = std::clamp(kSignificant - 1 - magnitude, 0, 20);
    }
    std::array<char, 400> buffer{};
    const auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                         std::chars_format::fixed, decimals);
    if (ec != std::errc())
        return ShortestText(value);
    std::string text(buffer.data(), end);
    // A value rounded to zero has no sign.
    if (text.front() == '-' && text.find_first_not_of("-0.") == std::string::npos)
        text.erase(0, 1);
    return text;
}

std::string Table(const StateOptions& options, const StateResult& state, const Cell& pressure)
{
    const Units units = options.air.units;
    constexpr std::size_t kLabelWidth = 28;
    constexpr std::size_t kValueWidth = 24;
    std::string out = units == Units::SI ? "Moist air, SI units, " : "Moist air, inch-pound units, ";
    out.append(ModelWords(options.air.model, options.air.saturation)).push_back('\n');
    const auto row = [&](std::string_view label, const Cell& cell, std::string_view unit,
                         bool isGiven, const auto& text) {
        out.append("  ");
        AppendPadded(out, label, kLabelWidth);
        if (cell.present) {
            // A ratio of ratios ("1") shows no unit.
            const bool unitShown = unit != "1" || isGiven;
            AppendPadded(out, text(cell.value), unitShown ? kValueWidth : 0);
            if (unitShown)
                out.append(unit);
            if (isGiven)
                out.append(" (given)");
        } else if (!cell.reason.empty()) {
            out.append("(failed: ").append(cell.reason).append(ModelHint(cell.reason, options.air.model)).append(")");
        } else {
            out.append("(not computed)");
        }
        out.push_back('\n');
    };
    for (Property property : kAllProperties) {
        if (!HasProperty(property, units))
            continue;
        const auto text = [&](double value) {
            return options.fullPrecision ? ShortestText(value) : EngineeringText(property, units, value);
        };
        if (property == Property::Pressure) {
            if (options.air.altitude) {
                Cell altitude;
                altitude.value = *options.air.altitude;
                altitude.present = true;
                row("Altitude", altitude, AltitudeUnit(units), true,
                    [](double value) { return ShortestText(value); });
                row(PropertyLabel(property), pressure, PropertyUnit(property, units), false, text);
            } else {
                row(PropertyLabel(property), state[property], PropertyUnit(property, units), true, text);
            }
            continue;
        }
        row(PropertyLabel(property), state[property], PropertyUnit(property, units),
            property == options.given[0] || property == options.given[1], text);
    }
    return out;
}

/// The warnings the given values call for, as for one row of a table.
std::vector<PlausibilityWarning> Warnings(const StateOptions& options)
{
    Plausibility check(options.air.units);
    check.Add(options.given[0], options.values[0]);
    if (options.air.pressure)
        check.Add(Property::Pressure, *options.air.pressure);
    check.Add(options.given[1], options.values[1]);
    return check.Warnings();
}

/// " (--pressure takes kPa)": the unit the option takes, where the warning
/// names another.
std::string OptionHint(const PlausibilityWarning& warning, Units units)
{
    if (warning.probableUnit.empty() || warning.column == Property::RelativeHumidity)
        return {};
    std::string hint = " (" + ColumnOption(PropertyColumn(warning.column)) + " takes " + std::string(PropertyUnit(warning.column, units));
    if (warning.probableUnit == "°F" && units == Units::SI)
        hint += "; --units ip takes °F";
    return hint + ")";
}

} // namespace

std::string_view StateHelp() { return kHelp; }

int RunState(std::span<const std::string_view> args)
{
    StateOptions options;
    if (const std::optional<int> status = ParseOptions(args, options))
        return *status;
    const Units units = options.air.units;

    const GivenBasis basis{units,          options.air.model, options.air.altitude.has_value(), options.given[0],
                           options.given[1], options.air.saturation};
    StateResult state;
    std::string status;
    StatusText statusText(status);
    ComputeGivenState(
        basis,
        [&](GivenValue which, std::string_view) -> std::optional<double> {
            switch (which) {
            case GivenValue::First: return options.values[0];
            case GivenValue::Place: return options.air.altitude ? options.air.altitude : options.air.pressure;
            case GivenValue::Second: break;
            }
            return options.values[1];
        },
        statusText, state);
    const Cell& pressure = state[Property::Pressure];

    std::string out;
    switch (options.air.format) {
    case Format::Table:
        out = Table(options, state, pressure);
        break;
    case Format::Csv: {
        BatchLayout layout;
        layout.units = units;
        out = OutputHeader(layout);
        AppendCsvCells(out, state, units, status);
        break;
    }
    case Format::Json:
        out = "{" + ModelMembers(options.air.model, options.air.saturation) + ",";
        AppendJsonCells(out, state, units, status);
        out.append("}\n");
        break;
    }
    if (!WriteOut(out) || !FlushOut())
        return OutputFailed();
    const int exit = status.empty() ? kExitOk : kSay.Fail(status);
    for (const PlausibilityWarning& warning : Warnings(options))
        kSay.Warn(warning.text + OptionHint(warning, units));
    return exit;
}

} // namespace humitrax::cli
