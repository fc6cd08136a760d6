// The process command: mixing, heating, cooling, a cooling coil or a
// humidifier, from the entering air to the leaving air, with the loads.
#include "kit/state_text.h"
#include "table/csv.h"
#include "kit/echo.h"
#include "commands.h"
#include "kit/numbers.h"
#include "kit/options.h"
#include "kit/readable.h"
#include "kit/output.h"

#include "humitrax/process.h"
#include "humitrax/process_file.h"
#include "humitrax/process_report.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace humitrax::cli {
namespace {

constexpr std::string_view kHelp = R"(  process mix|heat|cool|coil|humidify STATE [STATE] --flow FLOW [--flow FLOW] ...
        [--units si|ip] (--pressure P | --altitude A) [--model ashrae2017|calculator] [--saturation ice|water]
        [--format table|csv|json]
      An air-conditioning process: the entering and leaving air with every
      property, the dry-air flows and the loads. A STATE is a dry bulb and one
      condition: 25,rh=50 (relative humidity, %), 33,wb=24 (wet bulb),
      12,dp=10 (dew point) or 20,w=0.008 (humidity ratio), in the units
      chosen; or any two of db (dry bulb), wb, dp, rh, w, h (enthalpy), v
      (specific volume) and pw (vapour pressure) as KEY=V,KEY=V: h=50,rh=60,
      dp=10,rh=80, wb=18,rh=60. A FLOW is a dry-air mass flow (2.5kg/s, 150lb/min) or a volume
      flow of the air at its own state (1.2m3/s, 4000m3/h, 3000cfm), given
      after its state. Every state has the process's pressure. A STATE may
      also be a part of a process's JSON (--format json), FILE.json:PART
      (mix.json:mixed): its dry bulb and humidity ratio enter, with its
      dry-air flow where no --flow follows it and the file's pressure where
      the command gives none, so that processes chain.
        mix STATE --flow FLOW STATE --flow FLOW
            Two streams mixed adiabatically.
        heat STATE --flow FLOW --to T
        cool STATE --flow FLOW --to T
            To the leaving dry bulb T at a constant humidity ratio; cooling
            below the dew point is the coil's work.
        coil STATE --flow FLOW (--adp T --bypass BF | --leaving STATE)
            A cooling and dehumidifying coil, by its apparatus dew point and
            bypass factor (0 to 1), or by the leaving air (the apparatus dew
            point and bypass factor are then worked out). The condensate leaves
            at the leaving dew point.
        humidify STATE --flow FLOW (--steam T | --adiabatic)
                 (--to rh=V | --to w=V | --effectiveness E)
            By steam at T, or by evaporating water (at the wet bulb) to a
            relative humidity, a humidity ratio or, evaporating, an
            effectiveness E from 0 to 1 towards saturation.
      Loads in kW (si) or Btu/h and tons (ip). csv (part,quantity,value,unit)
      and json give heat and water as added to the air, negative when taken
      away; the table says "removed" for cool and coil. A request no air or
      apparatus can meet (fog, a coil that would add water ...) is refused
      with a message and exit status 1.
      Examples:
        humitrax-cli process mix 32,wb=24 --flow 1kg/s 24,rh=50 --flow 3m3/s --units si --pressure 101.325
        humitrax-cli process heat 5,rh=80 --flow 2m3/s --to 35 --units si --altitude 400
        humitrax-cli process cool 95,rh=30 --flow 2000cfm --to 75 --units ip --pressure 14.696
        humitrax-cli process coil 28,wb=21 --flow 2kg/s --adp 10 --bypass 0.1 --units si --pressure 101.325
        humitrax-cli process heat h=20,rh=90 --flow 1kg/s --to 22 --units si --pressure 101.325
        humitrax-cli process coil 30,rh=50 --flow 1.2m3/s --leaving 14,rh=92 --units si --pressure 101.325
        humitrax-cli process mix 32,wb=24 --flow 1kg/s 24,rh=50 --flow 3m3/s --pressure 101.325 --format json > mix.json
        humitrax-cli process coil mix.json:mixed --adp 10 --bypass 0.1
        humitrax-cli process humidify 22,rh=20 --flow 1kg/s --steam 100 --to rh=50 --units si --pressure 101.325
        humitrax-cli process humidify 95,rh=20 --flow 5000cfm --adiabatic --effectiveness 0.8 --units ip --altitude 3000

)";

using Kind = ProcessKind;

struct ProcessOptions {
    AirOptions air;
    Kind kind = Kind::Mix;
    std::string_view kindName;
    std::vector<AirState> states;
    std::vector<Flow> flows;
    std::vector<std::size_t> flowOwners;       ///< the state each flow follows
    std::optional<double> toDryBulb;           ///< heat, cool
    std::optional<HumidifyTarget> target;      ///< humidify
    double targetValue = 0.0;
    std::optional<AirState> leaving;           ///< coil
    std::optional<double> apparatusDewPoint;   ///< coil
    std::optional<double> bypassFactor;        ///< coil
    std::optional<double> steamTemperature;    ///< humidify
    bool adiabatic = false;                    ///< humidify
    /// Of a state taken from a process file ("mix.json:mixed"), in the order
    /// of `states`: its dry-air flow, where no --flow follows it, and the
    /// file's pressure, where the command names none.
    std::vector<std::optional<Flow>> fileFlows;
    std::optional<double> filePressure;
};

/// The most bytes of a process file: its JSON is a few kilobytes.
constexpr std::size_t kMostProcessFileBytes = std::size_t{1} << 20;

/// "FILE.json:PART": a part of a process file.
struct PartReference {
    std::string_view path;
    std::string_view part;
};

std::optional<PartReference> PartReferenceIn(std::string_view text)
{
    const std::size_t colon = text.rfind(':');
    if (colon == std::string_view::npos || !text.substr(0, colon).ends_with(".json") || colon + 1 == text.size())
        return std::nullopt;
    return PartReference{text.substr(0, colon), text.substr(colon + 1)};
}

/// The state and flow of a part of a process file, given where a state is
/// ("mix.json:mixed"); false with the reason in `message`.
bool ReadFileState(const PartReference& reference, ProcessOptions& options, std::string& message)
{
    const std::string path(reference.path);
    std::ifstream in(path, std::ios::binary);
    std::string json(kMostProcessFileBytes + 1, '\0');
    in.read(json.data(), static_cast<std::streamsize>(json.size()));
    if (in.bad() || (!in && !in.eof())) {
        message = "cannot read the process file " + Quoted(path) + ": " + std::strerror(errno);
        return false;
    }
    json.resize(static_cast<std::size_t>(in.gcount()));
    if (json.size() > kMostProcessFileBytes) {
        message = "the process file " + Quoted(path) + " is larger than a process's JSON can be";
        return false;
    }
    const std::optional<ProcessFile> file = ReadProcessFile(json, message);
    if (!file) {
        message = "the process file " + Quoted(path) + ": " + message;
        return false;
    }
    const ProcessFilePart* part = FindPart(*file, reference.part);
    if (part == nullptr) {
        std::string parts;
        for (const ProcessFilePart& each : file->parts)
            parts.append(parts.empty() ? "" : ", ").append(each.key);
        message = Quoted(path) + " has no part " + Quoted(reference.part) + "; its parts are " + parts;
        return false;
    }
    if (file->units != options.air.units) {
        message = Quoted(path) + " is in " + (file->units == Units::SI ? "SI" : "inch-pound") +
                  " units; give --units " + (file->units == Units::SI ? "si" : "ip");
        return false;
    }
    options.states.push_back(DryBulbState(part->dryBulb, Condition::HumidityRatio, part->humidityRatio));
    options.fileFlows.push_back(part->dryAirFlow ? std::optional<Flow>(Flow{*part->dryAirFlow,
                                                                           *FlowUnitFromName(MassFlowUnit(file->units))})
                                                 : std::nullopt);
    if (!options.filePressure)
        options.filePressure = file->pressure;
    return true;
}

/// Gives each state taken from a file that no --flow followed its file's flow.
void TakeFileFlows(ProcessOptions& options)
{
    if (options.flows.size() >= options.states.size())
        return;
    std::vector<Flow> flows;
    std::size_t given = 0;
    for (std::size_t i = 0; i < options.states.size(); ++i) {
        if (given < options.flows.size() && options.flowOwners[given] == i)
            flows.push_back(options.flows[given++]);
        else if (options.fileFlows[i])
            flows.push_back(*options.fileFlows[i]);
    }
    if (flows.size() == options.states.size())
        options.flows = std::move(flows);
}

/// The messages of a process: "process" until its kind is known, then
/// "process heat" and so on.
Messages Say(std::string_view kindName)
{
    static constexpr std::array<std::string_view, kProcessKinds.size()> kNames{
        "process mix", "process heat", "process cool", "process coil", "process humidify"};
    for (ProcessKind kind : kProcessKinds) {
        if (ProcessKindName(kind) == kindName)
            return Messages(kNames[static_cast<std::size_t>(kind)], "process");
    }
    return Messages("process");
}

int Usage(std::string_view kindName, const std::string& message) { return Say(kindName).Usage(message); }

/// Which options each kind takes, beyond the shared ones and --flow.
bool Takes(Kind kind, std::string_view option)
{
    switch (kind) {
    case Kind::Mix: return false;
    case Kind::Heat:
    case Kind::Cool: return option == "--to";
    case Kind::Coil: return option == "--adp" || option == "--bypass" || option == "--leaving";
    case Kind::Humidify:
        return option == "--to" || option == "--steam" || option == "--adiabatic" || option == "--effectiveness";
    }
    return false;
}

/// Every option a process may take; Takes says which each kind takes.
constexpr std::array<OptionSpec, 14> kProcessOptions{{
    kAirOptionSpecs[0],
    kAirOptionSpecs[1],
    kAirOptionSpecs[2],
    kAirOptionSpecs[3],
    kAirOptionSpecs[4],
    kAirOptionSpecs[5],
    {"--flow", true, {}, true},
    {"--to"},
    {"--adp"},
    {"--bypass"},
    {"--leaving"},
    {"--steam"},
    {"--adiabatic", false},
    {"--effectiveness"},
}};

/// Reads one option of the process itself; false with the reason in `message`.
bool ReadProcessOption(std::string_view name, std::string_view value, ProcessOptions& options,
                       std::string& message)
{
    if (name == "--flow") {
        const std::optional<Flow> flow = ParseFlow(value, message);
        if (!flow)
            return false;
        options.flows.push_back(*flow);
        options.flowOwners.push_back(options.states.empty() ? 0 : options.states.size() - 1);
        return true;
    }
    if (!Takes(options.kind, name)) {
        message = "unknown option " + Quoted(name) + " for process " + std::string(options.kindName);
        return false;
    }
    const auto number = [&](std::optional<double>& target) {
        target = ReadFiniteNumber(name, value, message);
        return target.has_value();
    };
    if (name == "--adiabatic") {
        options.adiabatic = true;
        return true;
    }
    if (name == "--leaving") {
        options.leaving = ParseAirState(value, message);
        return options.leaving.has_value();
    }
    if (name == "--adp")
        return number(options.apparatusDewPoint);
    if (name == "--bypass")
        return number(options.bypassFactor);
    if (name == "--steam")
        return number(options.steamTemperature);
    if (name == "--to" && options.kind != Kind::Humidify)
        return number(options.toDryBulb);
    // The humidifier's targets: --to rh=V, --to w=V, --effectiveness E.
    if (options.target) {
        message = "--to and --effectiveness cannot both be given";
        return false;
    }
    std::string_view text = value;
    if (name == "--effectiveness") {
        options.target = HumidifyTarget::Effectiveness;
    } else if (text.starts_with("rh=")) {
        options.target = HumidifyTarget::RelativeHumidity;
        text.remove_prefix(3);
    } else if (text.starts_with("w=")) {
        options.target = HumidifyTarget::HumidityRatio;
        text.remove_prefix(2);
    } else {
        message = "--to is rh=V or w=V for process humidify, not " + Quoted(value);
        return false;
    }
    const std::optional<double> read = ReadFiniteNumber(name, text, message);
    options.targetValue = read.value_or(0.0);
    return read.has_value();
}

/// What each kind needs once every argument is read; false with the reason.
bool CheckComplete(const ProcessOptions& options, std::string& message)
{
    const std::size_t streams = options.kind == Kind::Mix ? 2 : 1;
    if (options.states.size() != streams) {
        message = "process " + std::string(options.kindName) + " takes " + (streams == 2 ? "two states" : "one state") +
                  ", not " + std::to_string(options.states.size());
    } else if (options.flows.size() != streams) {
        message = streams == 2 ? "give one --flow after each state" : "give one --flow";
    } else if ((options.kind == Kind::Heat || options.kind == Kind::Cool) && !options.toDryBulb) {
        message = "--to (the leaving dry bulb) is needed";
    } else if (options.kind == Kind::Coil &&
               options.leaving.has_value() == (options.apparatusDewPoint || options.bypassFactor)) {
        message = "give --adp and --bypass, or --leaving";
    } else if (options.kind == Kind::Coil && !options.leaving &&
               !(options.apparatusDewPoint && options.bypassFactor)) {
        message = "--adp and --bypass go together";
    } else if (options.kind == Kind::Humidify && options.adiabatic == options.steamTemperature.has_value()) {
        message = "give --steam T or --adiabatic";
    } else if (options.kind == Kind::Humidify && !options.target) {
        message = "give --to rh=V, --to w=V or --effectiveness E";
    }
    return message.empty();
}

/// The options, or the exit status of a usage error or of --help.
std::optional<int> ParseOptions(std::span<const std::string_view> args, ProcessOptions& options)
{
    constexpr std::size_t kMostStates = 8; // more than any process takes, to say how many
    Options given;
    if (std::optional<std::string> error = given.Read(args, kProcessOptions, 1 + kMostStates))
        return Usage({}, *error);
    if (given.help())
        return WriteOut(kHelp) ? kExitOk : OutputFailed();
    const std::vector<std::string_view>& words = given.positional();
    if (words.empty())
        return Usage({}, "mix, heat, cool, coil or humidify is needed");
    const std::optional<Kind> kind = ProcessKindFromName(words.front());
    if (!kind)
        return Usage({}, "unknown process " + Quoted(words.front()) + "; give mix, heat, cool, coil or humidify");
    options.kind = *kind;
    options.kindName = ProcessKindName(*kind);
    std::string message;
    if (!ReadAirOptions(given, options.air, message, false))
        return Usage(options.kindName, message);
    bool kindSeen = false;
    const auto hasFlow = [&](std::size_t state) {
        return options.fileFlows[state] ||
               std::find(options.flowOwners.begin(), options.flowOwners.end(), state) != options.flowOwners.end();
    };
    for (const Options::Item& item : given.items()) {
        if (item.name.empty()) {
            if (!kindSeen) { // the process's own name
                kindSeen = true;
                continue;
            }
            if (options.kind == Kind::Mix && !options.states.empty() && !hasFlow(options.states.size() - 1))
                return Usage(options.kindName, "give each state's --flow after it");
            if (const std::optional<PartReference> reference = PartReferenceIn(item.value)) {
                if (!ReadFileState(*reference, options, message))
                    return Usage(options.kindName, message);
                continue;
            }
            const std::optional<AirState> state = ParseAirState(item.value, message);
            if (!state)
                return Usage(options.kindName, message);
            options.states.push_back(*state);
            options.fileFlows.emplace_back();
        } else if (!IsAirOption(item.name)) {
            if (!ReadProcessOption(item.name, item.value, options, message))
                return Usage(options.kindName, message);
        }
    }
    TakeFileFlows(options);
    if (!options.air.pressure && !options.air.altitude) {
        if (!options.filePressure)
            return Usage(options.kindName, "--pressure or --altitude is needed");
        options.air.pressure = options.filePressure; // the process file's
    }
    if (!CheckComplete(options, message))
        return Usage(options.kindName, message);
    return std::nullopt;
}

ProcessResult Compute(const ProcessOptions& options, const ProcessBasis& basis)
{
    const AirState& entering = options.states.front();
    const Flow& flow = options.flows.front();
    switch (options.kind) {
    case Kind::Mix: return Mix({basis, entering, flow, options.states[1], options.flows[1]});
    case Kind::Heat: return Heat({basis, entering, flow, *options.toDryBulb});
    case Kind::Cool: return Cool({basis, entering, flow, *options.toDryBulb});
    case Kind::Coil:
        if (options.leaving)
            return Coil({basis, entering, flow, CoilMode::LeavingState, *options.leaving});
        return Coil({basis, entering, flow, CoilMode::ApparatusDewPoint, {}, *options.apparatusDewPoint,
                     *options.bypassFactor});
    case Kind::Humidify:
        return Humidify({basis, entering, flow, options.adiabatic ? Humidifier::Adiabatic : Humidifier::Steam,
                         options.steamTemperature.value_or(0.0), *options.target, options.targetValue});
    }
    return {};
}

// ---------------------------------------------------------------------------
// Writing the result.

using Part = NamedState;
using Quantity = NamedLoad;

/// The table's words for a load: what cool and coil take away reads as
/// removed, the coil's water as condensate, a steam humidifier's as steam.
Quantity ForReading(Kind kind, bool steam, Quantity quantity)
{
    const bool removing = kind == Kind::Cool || kind == Kind::Coil;
    struct Reading {
        std::string_view key;
        std::string_view removed;
    };
    static constexpr std::array<Reading, 6> kRemoved{{
        {"heat", "Heat removed"},
        {"sensible_heat", "Sensible heat removed"},
        {"latent_heat", "Latent heat removed"},
        {"tons", "Refrigeration"},
        {"water", "Condensate"},
        {"water_temperature", "Condensate temperature"},
    }};
    if (removing) {
        for (const Reading& reading : kRemoved) {
            if (quantity.key == reading.key) {
                quantity.label = reading.removed;
                if (quantity.key != "water_temperature")
                    quantity.value = quantity.value == 0.0 ? 0.0 : -quantity.value;
            }
        }
        if (quantity.key == "water_enthalpy")
            quantity.label = "Condensate enthalpy";
    } else if (steam && quantity.key.starts_with("water")) {
        quantity.label = quantity.key == "water"               ? "Steam added"
                         : quantity.key == "water_temperature" ? "Steam temperature"
                                                               : "Steam enthalpy";
    } else if (quantity.key == "water") {
        quantity.label = "Water added";
    } else if (quantity.key == "heat") {
        quantity.label = "Heat added";
    } else if (quantity.key == "sensible_heat" || quantity.key == "latent_heat") {
        quantity.label = quantity.key == "sensible_heat" ? "Sensible heat to the air" : "Latent heat to the air";
    }
    return quantity;
}

std::string TitleOf(const ProcessOptions& options)
{
    std::string title(ProcessKindTitle(options.kind));
    if (options.kind == Kind::Humidify)
        title += options.adiabatic ? " by evaporating water" : " by steam";
    return title;
}

std::string Table(const ProcessOptions& options, const ProcessResult& result, const Cell& pressure)
{
    const Units units = options.air.units;
    constexpr std::size_t kLabelWidth = 28;
    constexpr std::size_t kValueWidth = 14;
    std::string out = TitleOf(options);
    out.append(units == Units::SI ? ", SI units, " : ", inch-pound units, ");
    out.append(ModelWords(options.air.model, options.air.saturation)).append("\n");
    out.append("  Pressure ").append(ReadableNumber(pressure.value)).append(" ");
    out.append(PropertyUnit(Property::Pressure, units));
    if (options.air.altitude) {
        out.append(" (altitude ").append(ReadableNumber(*options.air.altitude)).append(" ");
        out.append(AltitudeUnit(units)).append(")");
    }
    out.append("\n\n");
    const std::vector<Part> parts = ProcessStates(options.kind, result);
    out.append("  ");
    AppendPadded(out, "", kLabelWidth);
    for (const Part& part : parts)
        AppendPadded(out, part.title, kValueWidth);
    out.push_back('\n');
    const auto row = [&](std::string_view label, auto&& cellOf, std::string_view unit) {
        out.append("  ");
        AppendPadded(out, label, kLabelWidth);
        for (const Part& part : parts) {
            const Cell cell = cellOf(part);
            AppendPadded(out, cell.present ? ReadableNumber(cell.value) : std::string("—"), kValueWidth);
        }
        out.append(unit).push_back('\n');
    };
    for (Property property : kAllProperties) {
        if (property == Property::Pressure || !HasProperty(property, units))
            continue;
        row(PropertyLabel(property), [&](const Part& part) { return (*part.state)[property]; },
            PropertyUnit(property, units));
    }
    row("Dry-air flow",
        [](const Part& part) {
            Cell cell;
            cell.value = part.dryAirFlow;
            cell.present = std::isfinite(part.dryAirFlow);
            return cell;
        },
        MassFlowUnit(units));
    const std::vector<Quantity> loads = ProcessLoads(options.kind, result, units);
    if (!loads.empty())
        out.append("\n");
    for (const Quantity& load : loads) {
        const bool steam = options.kind == Kind::Humidify && !options.adiabatic;
        const Quantity reading = ForReading(options.kind, steam, load);
        out.append("  ");
        AppendPadded(out, reading.label, kLabelWidth);
        AppendPadded(out, std::isfinite(reading.value) ? ReadableNumber(reading.value) : "—", kValueWidth);
        out.append(reading.unit == "1" ? "" : reading.unit).push_back('\n');
    }
    return WithoutTrailingBlanks(out);
}

std::string Csv(const ProcessOptions& options, const ProcessResult& result)
{
    std::string out = "part,quantity,value,unit\n";
    ForEachProcessValue(options.kind, result, options.air.units,
                        [&](std::string_view part, std::string_view quantity, double value, std::string_view unit) {
                            out.append(part).push_back(',');
                            out.append(quantity).push_back(',');
                            if (std::isfinite(value))
                                AppendNumber(out, value);
                            out.push_back(',');
                            AppendCsvField(out, unit);
                            out.push_back('\n');
                        });
    return out;
}

void AppendJsonMember(std::string& out, std::string_view key, double value)
{
    AppendJsonString(out, key);
    out.push_back(':');
    if (std::isfinite(value))
        AppendNumber(out, value);
    else
        out.append("null");
}

std::string Json(const ProcessOptions& options, const ProcessResult& result, const Cell& pressure,
                 std::string_view status)
{
    const Units units = options.air.units;
    std::string out = "{\"process\":";
    AppendJsonString(out, options.kindName);
    out.append(",\"units\":").append(units == Units::SI ? "\"si\"" : "\"ip\"");
    out.append(",").append(ModelMembers(options.air.model, options.air.saturation)).push_back(',');
    AppendJsonMember(out, "pressure", pressure.value);
    // Each part is an object whose dry-air flow comes first; the walk gives
    // the flow after the part's properties, so these wait for it.
    std::string properties;
    bool loads = false;
    ForEachProcessValue(options.kind, result, units,
                        [&](std::string_view part, std::string_view quantity, double value, std::string_view) {
                            if (part == kLoadsPartKey) {
                                out.push_back(',');
                                if (!loads) {
                                    AppendJsonString(out, kLoadsKey);
                                    out.append(":{");
                                }
                                loads = true;
                                AppendJsonMember(out, quantity, value);
                            } else if (quantity == kDryAirFlowKey) {
                                out.push_back(',');
                                AppendJsonString(out, part);
                                out.append(":{");
                                AppendJsonMember(out, quantity, value);
                                out.append(properties).push_back('}');
                                properties.clear();
                            } else {
                                properties.push_back(',');
                                AppendJsonMember(properties, quantity, value);
                            }
                        });
    if (loads)
        out.push_back('}');
    out.append(",\"status\":");
    if (status.empty())
        out.append("null");
    else
        AppendJsonString(out, status);
    out.append("}\n");
    return out;
}

} // namespace

std::string_view ProcessHelp() { return kHelp; }

int RunProcess(std::span<const std::string_view> args)
{
    ProcessOptions options;
    if (const std::optional<int> status = ParseOptions(args, options))
        return *status;
    const Units units = options.air.units;
    const Messages say = Say(options.kindName);
    const Cell pressure = PressureOf(options.air);
    if (!pressure.present)
        return say.Fail("pressure: " + std::string(pressure.reason));
    const ProcessResult result = Compute(options, {units, options.air.model, pressure.value, options.air.saturation});
    if (result.refused())
        return say.Fail(ProcessRefusal(options.kind, result, units));
    const std::string status = ProcessFailures(options.kind, result, units);
    std::string out;
    switch (options.air.format) {
    case Format::Table: out = Table(options, result, pressure); break;
    case Format::Csv: out = Csv(options, result); break;
    case Format::Json: out = Json(options, result, pressure, status); break;
    }
    if (!WriteOut(out))
        return OutputFailed();
    return status.empty() ? kExitOk : say.Fail(status);
}

} // namespace humitrax::cli
