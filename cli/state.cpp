// The state command: one state of moist air, every property, in SI or
// inch-pound units.
#include "batch_rows.h"
#include "commands.h"
#include "output.h"
#include "numbers.h"
#include "humitrax/state.h"

#include <cmath>
#include <cstdio>
#include <optional>
#include <string>

namespace humitrax::cli {
namespace {

constexpr std::string_view kHelp = R"(  state --units si|ip --dry-bulb T (--pressure P | --altitude A)
        (--wet-bulb V | --dew-point V | --relative-humidity V | --humidity-ratio V)
        [--format table|csv|json]
      One state of moist air, every property, computed in the unit system
      chosen: si (°C, kPa, m, kg/kg, kJ/kg, m³/kg) or ip (°F, psia, ft,
      lb/lb, Btu/lb, ft³/lb, and grains per pound). Relative humidity in
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
    std::optional<double> dryBulb;
    std::optional<double> pressure;
    std::optional<double> altitude;
    std::optional<Condition> condition;
    double value = 0.0;
    StateFormat format = StateFormat::Table;
};

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

/// A finite number for an option, or a usage message.
std::optional<double> ReadValue(std::string_view option, std::string_view text, std::string& message)
{
    const std::optional<double> value = ParseDouble(text);
    if (!value) {
        message = std::string(option) + ": '" + std::string(text) + "' is not a number";
        return std::nullopt;
    }
    if (!std::isfinite(*value)) {
        message = std::string(option) + ": '" + std::string(text) + "' is not a finite number";
        return std::nullopt;
    }
    return value;
}

/// The options, or the exit status of a usage error or of --help.
std::optional<int> ParseOptions(std::span<const std::string_view> args, StateOptions& options)
{
    struct ConditionOption {
        std::string_view name;
        Condition condition;
    };
    static constexpr std::array<ConditionOption, 4> kConditions = {{
        {"--wet-bulb", Condition::WetBulb},
        {"--dew-point", Condition::DewPoint},
        {"--relative-humidity", Condition::RelativeHumidity},
        {"--humidity-ratio", Condition::HumidityRatio},
    }};
    std::string_view conditionName;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string_view name = args[i];
        if (name == "--help" || name == "-h") {
            std::fwrite(kHelp.data(), 1, kHelp.size(), stdout);
            return kExitOk;
        }
        if (name.size() < 3 || name.substr(0, 2) != "--")
            return Usage("unexpected argument '" + std::string(name) + "'");
        std::string_view value;
        if (const std::size_t equals = name.find('='); equals != std::string_view::npos) {
            value = name.substr(equals + 1);
            name = name.substr(0, equals);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            return Usage(std::string(name) + " needs a value");
        }
        const std::string option(name);
        std::string message;
        const auto once = [&](bool given) {
            if (given)
                message = option + " is given twice";
            return !given;
        };
        if (name == "--units") {
            if (!once(options.units.has_value()))
                return Usage(message);
            if (value == "si")
                options.units = Units::SI;
            else if (value == "ip")
                options.units = Units::InchPound;
            else
                return Usage("--units is si or ip, not '" + std::string(value) + "'");
        } else if (name == "--format") {
            if (value == "table")
                options.format = StateFormat::Table;
            else if (value == "csv")
                options.format = StateFormat::Csv;
            else if (value == "json")
                options.format = StateFormat::Json;
            else
                return Usage("--format is table, csv or json, not '" + std::string(value) + "'");
        } else if (name == "--dry-bulb" || name == "--pressure" || name == "--altitude") {
            std::optional<double>& target = name == "--dry-bulb"   ? options.dryBulb
                                            : name == "--pressure" ? options.pressure
                                                                   : options.altitude;
            if (!once(target.has_value()))
                return Usage(message);
            target = ReadValue(name, value, message);
            if (!target)
                return Usage(message);
        } else {
            bool known = false;
            for (const ConditionOption& condition : kConditions) {
                if (name != condition.name)
                    continue;
                known = true;
                if (options.condition) {
                    return Usage(conditionName == name
                                     ? option + " is given twice"
                                     : "give one third condition, not both " +
                                           std::string(conditionName) + " and " + option);
                }
                const std::optional<double> read = ReadValue(name, value, message);
                if (!read)
                    return Usage(message);
                options.condition = condition.condition;
                options.value = *read;
                conditionName = condition.name;
            }
            if (!known)
                return Usage("unknown option '" + option + "'");
        }
    }
    if (!options.units)
        return Usage("--units si or --units ip is needed");
    if (!options.dryBulb)
        return Usage("--dry-bulb is needed");
    if (options.pressure && options.altitude)
        return Usage("give --pressure or --altitude, not both");
    if (!options.pressure && !options.altitude)
        return Usage("--pressure or --altitude is needed");
    if (!options.condition)
        return Usage("one of --wet-bulb, --dew-point, --relative-humidity, --humidity-ratio "
                     "is needed");
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
        pressure = PressureFromAltitude(units, *options.altitude);
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
                              options.value});
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
