// The state command: one state of moist air, every property, in SI or
// inch-pound units.
#include "batch_rows.h"
#include "commands.h"
#include "numbers.h"
#include "options.h"
#include "output.h"

#include "humitrax/state.h"

#include <cmath>
#include <cstdio>
#include <optional>
#include <string>

namespace humitrax::cli {
namespace {

constexpr std::string_view kHelp = R"(  state [--units si|ip] [--model calculator|ashrae2017] --dry-bulb T
        (--pressure P | --altitude A)
        (--wet-bulb V | --dew-point V | --relative-humidity V | --humidity-ratio V)
        [--format table|csv|json]
      One state of moist air, every property, computed in the unit system
      chosen: si (°C, kPa, m, kg/kg, kJ/kg, m³/kg; the default) or ip (°F,
      psia, ft, lb/lb, Btu/lb, ft³/lb, and grains per pound), by the
      calculator's relations or, with --model ashrae2017, those of the
      ASHRAE Handbook—Fundamentals 2017, chapter 1. Relative humidity in
      percent. An altitude gives the pressure of the standard atmosphere.
      --format table (default) is for reading; csv and json have the columns
      of the batch command. A property that cannot be computed is reported
      and the exit status is 1.
      Example:
        humitrax-cli state --units si --dry-bulb 25 --pressure 101.325 --relative-humidity 50

)";

constexpr std::array<Property, 9> kProperties = {
    Property::DryBulb,       Property::Pressure, Property::WetBulb,
    Property::DewPoint,      Property::RelativeHumidity, Property::HumidityRatio,
    Property::Enthalpy,      Property::SpecificVolume,   Property::Grains,
};

enum class StateFormat : std::uint8_t { Table, Csv, Json };

struct StateOptions {
    std::optional<Units> units;
    Model model = Model::Calculator;
    std::optional<double> dryBulb;
    std::optional<double> pressure;
    std::optional<double> altitude;
    std::optional<Condition> condition;
    double value = 0.0;
    StateFormat format = StateFormat::Table;
};

/// "--dew-point" → "dew_point".
std::string OptionColumn(std::string_view option)
{
    std::string column(option.substr(2));
    for (char& c : column)
        c = c == '-' ? '_' : c;
    return column;
}

int Usage(const std::string& message)
{
    std::fprintf(stderr, "humitrax-cli: state: %s; try 'humitrax-cli state --help'\n",
                 message.c_str());
    return kExitUsage;
}

std::string_view Label(Property property) noexcept
{
    switch (property) {
    case Property::DryBulb: return "Dry bulb temperature";
    case Property::Pressure: return "Barometric pressure";
    case Property::WetBulb: return "Wet bulb temperature";
    case Property::DewPoint: return "Dew point temperature";
    case Property::RelativeHumidity: return "Relative humidity";
    case Property::HumidityRatio: return "Humidity ratio";
    case Property::Enthalpy: return "Specific enthalpy";
    case Property::SpecificVolume: return "Specific volume";
    case Property::Grains: return "Moisture content";
    case Property::VapourPressure: return "Vapour pressure";
    case Property::SaturationVapourPressure: return "Saturation vapour pressure";
    case Property::SaturationHumidityRatio: return "Saturation humidity ratio";
    case Property::DegreeOfSaturation: return "Degree of saturation";
    case Property::SpecificHumidity: return "Specific humidity";
    case Property::Density: return "Density";
    }
    return "";
}

/// The options shared by the commands that take one state.
constexpr std::array<OptionSpec, 10> kStateOptions{{
    {"--units"},
    {"--model"},
    {"--format"},
    {"--dry-bulb"},
    {"--pressure", true, "pressure"},
    {"--altitude", true, "pressure"},
    {"--wet-bulb", true, "condition"},
    {"--dew-point", true, "condition"},
    {"--relative-humidity", true, "condition"},
    {"--humidity-ratio", true, "condition"},
}};

/// The options, or the exit status of a usage error or of --help.
std::optional<int> ParseOptions(std::span<const std::string_view> args, StateOptions& options)
{
    Options given;
    std::string message;
    if (std::optional<std::string> error = given.Read(args, kStateOptions))
        return Usage(*error);
    if (given.help())
        return WriteOut(kHelp) ? kExitOk : OutputFailed();
    options.units = ReadUnits(given, message);
    if (!options.units)
        return Usage(message);
    const std::optional<Model> model = ReadModel(given, message);
    if (!model)
        return Usage(message);
    options.model = *model;
    if (const std::optional<std::string_view> format = given.Value("--format")) {
        static constexpr std::array<std::string_view, 3> kFormats{"table", "csv", "json"};
        const std::optional<std::size_t> choice = ReadChoice("--format", *format, kFormats, message);
        if (!choice)
            return Usage(message);
        options.format = static_cast<StateFormat>(*choice);
    }
    const std::optional<std::string_view> dryBulb = given.Value("--dry-bulb");
    if (!dryBulb)
        return Usage("--dry-bulb is needed");
    if (!(options.dryBulb = ReadFiniteNumber("--dry-bulb", *dryBulb, message)))
        return Usage(message);
    const std::optional<std::string_view> second = given.Chosen("pressure");
    if (!second)
        return Usage("--pressure or --altitude is needed");
    std::optional<double>& target = *second == "--pressure" ? options.pressure : options.altitude;
    if (!(target = ReadFiniteNumber(*second, *given.Value(*second), message)))
        return Usage(message);
    const std::optional<std::string_view> condition = given.Chosen("condition");
    if (!condition)
        return Usage("one of --wet-bulb, --dew-point, --relative-humidity, --humidity-ratio "
                     "is needed");
    const std::optional<double> value = ReadFiniteNumber(*condition, *given.Value(*condition), message);
    if (!value)
        return Usage(message);
    options.condition = ConditionFromColumn(OptionColumn(*condition));
    options.value = *value;
    return std::nullopt;
}

void AppendPadded(std::string& out, std::string_view text, std::size_t width)
{
    out.append(text);
    if (text.size() < width)
        out.append(width - text.size(), ' ');
}

std::string Table(const StateOptions& options, const StateResult& state, const Cell& pressure)
{
    const Units units = *options.units;
    constexpr std::size_t kLabelWidth = 24;
    constexpr std::size_t kValueWidth = 24;
    std::string out = units == Units::SI ? "Moist air, SI units\n" : "Moist air, inch-pound units\n";
    const Property given = ConditionProperty(*options.condition);
    const auto row = [&](std::string_view label, const Cell& cell, std::string_view unit,
                         bool isGiven) {
        out.append("  ");
        AppendPadded(out, label, kLabelWidth);
        if (cell.present) {
            AppendPadded(out, ShortestText(cell.value), kValueWidth);
            out.append(unit);
            if (isGiven)
                out.append(" (given)");
        } else if (!cell.reason.empty()) {
            out.append("(failed: ").append(cell.reason).append(")");
        } else {
            out.append("(not computed)");
        }
        out.push_back('\n');
    };
    for (Property property : kProperties) {
        if (!HasProperty(property, units))
            continue;
        if (property == Property::Pressure) {
            if (options.altitude) {
                Cell altitude;
                altitude.value = *options.altitude;
                altitude.present = true;
                row("Altitude", altitude, AltitudeUnit(units), true);
                row(Label(property), pressure, PropertyUnit(property, units), false);
            } else {
                row(Label(property), state[property], PropertyUnit(property, units), true);
            }
            continue;
        }
        row(Label(property), state[property], PropertyUnit(property, units),
            property == given || property == Property::DryBulb);
    }
    return out;
}

} // namespace

std::string_view StateHelp() { return kHelp; }

int RunState(std::span<const std::string_view> args)
{
    StateOptions options;
    if (const std::optional<int> status = ParseOptions(args, options))
        return *status;
    const Units units = *options.units;

    Cell pressure;
    if (options.altitude) {
        pressure = PressureFromAltitude(units, *options.altitude, options.model);
    } else {
        pressure.value = *options.pressure;
        pressure.present = true;
    }
    StateResult state;
    std::string status;
    const auto fail = [&](Property property, std::string_view reason) {
        if (!status.empty())
            status.append("; ");
        status.append(PropertyColumn(property)).append(": ").append(reason);
    };
    if (pressure.present) {
        state = ComputeState({units, *options.dryBulb, pressure.value, *options.condition,
                              options.value, options.model});
        ForEachFailure(state, units, kProperties, fail);
    } else {
        state[Property::DryBulb].value = *options.dryBulb;
        state[Property::DryBulb].present = true;
        state[Property::Pressure] = pressure;
        Cell& given = state[ConditionProperty(*options.condition)];
        given.value = options.value;
        given.present = true;
        fail(Property::Pressure, pressure.reason);
    }

    std::string out;
    switch (options.format) {
    case StateFormat::Table:
        out = Table(options, state, pressure);
        break;
    case StateFormat::Csv: {
        BatchLayout layout;
        layout.units = units;
        out = OutputHeader(layout);
        AppendCsvCells(out, state, units, status);
        break;
    }
    case StateFormat::Json:
        out = "{";
        AppendJsonCells(out, state, units, status);
        out.append("}\n");
        break;
    }
    if (!WriteOut(out))
        return OutputFailed();
    if (!status.empty()) {
        std::fprintf(stderr, "humitrax-cli: state: %s\n", status.c_str());
        return kExitFailure;
    }
    return kExitOk;
}

} // namespace humitrax::cli
