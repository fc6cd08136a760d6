// The chart command: a psychrometric chart at one pressure, with marked
// states and the states of a CSV table, written as SVG, PNG or PDF.
// Built only with the chart's library (Qt's painting): without it the
// program has no chart command.
#include "commands.h"
#include "kit/echo.h"
#include "kit/numbers.h"
#include "kit/options.h"
#include "kit/output.h"
#include "kit/state_text.h"
#include "table/reader.h"
#include "table/state_table.h"

#include "chart_file.h"
#include "chart_model.h"
#include "chart_painter.h"
#include "process_json.h"

#include "humitrax/comfort.h"
#include "humitrax/constants.h"
#include "humitrax/property_result.h"

#include <QByteArray>
#include <QFile>
#include <QGuiApplication>
#include <QScopeGuard>
#include <QtGlobal>

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <exception>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>
#include <cstdio>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace humitrax::cli {
namespace {

constexpr std::string_view kHelpText = R"(  chart [--units si|ip] [--model ashrae2017|calculator] [--saturation ice|water] [--pressure P | --altitude A]
        [--point STATE ...]
        [--states FILE] [--input csv|epw|tmy3] [--given COLUMN[,COLUMN]]
        [--pressure-unit UNIT] [--column ROLE=HEADER ...] [--skip-lines N]
        [--process FILE.json ...] [--comfort met=M,clo=C[,v=V]]
        [--zone [NAME:]CORNER;CORNER;CORNER... ...]
        [--range TMIN:TMAX] [--max-ratio W] [--size WxH] -o FILE.svg|FILE.png|FILE.pdf
      A psychrometric chart: dry bulb across, humidity ratio up, with the
      saturation curve and the lines of relative humidity (10 to 90 %), wet
      bulb (every 5 °C or 10 °F), enthalpy (every 10 kJ/kg or 5 Btu/lb) and
      specific volume (every 0.02 m³/kg or 0.5 ft³/lb), all computed by the
      engine at the chart's pressure. Defaults: si, 101.325 kPa (14.696 psia
      for ip), -10:50 °C (14:122 °F), humidity ratio 0 to 0.030, 1200x800.
      --point marks a state and labels it with its properties; a STATE is a
      dry bulb and one condition, 25,rh=50 (or wb=, dp=, w=), or any two of
      db, wb, dp, rh, w, h, v and pw as for process (h=50,rh=60); repeat it
      for more states. --states plots every row of a table
      read as batch reads it ("-" for standard input): a CSV with the same
      header rules (names, units in brackets or parentheses, --column
      ROLE=HEADER, --skip-lines N, ';' and decimal commas), an EnergyPlus
      weather file (--input epw, or a name ending in .epw) or a TMY3 file
      (--input tmy3, or a file whose first two lines are one's). Each row is
      placed at its own pressure (the chart's when the table has neither
      pressure nor altitude); where the header names several conditions
      (batch's own output), the humidity ratio places it unless --given
      names another. The title says the pressures of the states drawn. Rows
      that cannot be placed are left out and counted on standard error, and
      so are states outside the drawn range; values that look like a slip
      of unit are warned of as batch warns of them. --process draws the
      states of a process as
      `humitrax-cli process ... --format json` writes them (in the chart's
      units), each labelled with its role (first, second, mixed, entering,
      leaving), joined by arrows in the process's order, and a coil's
      apparatus dew point on saturation at the end of a dashed line; repeat
      it to chain processes, a state they share drawn once. --comfort shades
      the comfort zone of ISO 7730 (PMV from -0.5 to 0.5, the mean radiant
      temperature the dry bulb) for a metabolic rate in met, a clothing in clo
      and an air speed v in m/s (0.1 when not given). --zone shades a region
      by its corners in order, each a STATE as for --point, separated by
      ';': an edge between corners that differ in their first value only
      follows the curve of the second (20,rh=30;26,rh=30), any other is
      straight; NAME names it in the
      legend (else zone 1, zone 2 ...); repeat it for more. Every
      curve and state is drawn by the model's relations (see "Relations"
      below), named in the title. The file type follows the extension; the file
      is written whole or not at all, through a temporary file beside it
      (beside the file a symbolic link names). A directory, pipe or device
      is not written over.
      Exit status: 0 the chart is written; 1 a --point or a --zone corner the
      engine cannot compute or that lies above saturation, or the chart
      cannot be drawn; 2 a command line, states file or process file that
      cannot be read (a range too narrow for its tick labels among them);
      3 the file cannot be written.
      Nothing is written unless 0.
      Examples:
        humitrax-cli chart --point 25,rh=50 --point 32,wb=22 -o chart.png
        humitrax-cli chart --process coil.json --comfort met=1.1,clo=0.5 -o coil.png

)";

} // namespace

std::string_view ChartHelp() { return kHelpText; }

namespace {

constexpr std::string_view kUsage =
    "humitrax-cli chart [--units si|ip] [--model ashrae2017|calculator] [--saturation ice|water] [--pressure P | --altitude A]\n"
    "                   [--point STATE ...]\n"
    "                   [--states FILE [--input csv|epw|tmy3] [--given COLUMN[,COLUMN]] [--pressure-unit UNIT]\n"
    "                    [--column ROLE=HEADER ...] [--skip-lines N]]\n"
    "                   [--process FILE.json ...] [--comfort met=M,clo=C[,v=V]] [--zone [NAME:]CORNERS ...]\n"
    "                   [--range TMIN:TMAX] [--max-ratio W] [--size WxH]\n"
    "                   -o FILE.svg|FILE.png|FILE.pdf\n";

constexpr Messages kSay{"chart", {}, kUsage};

using humitrax::Condition;

struct PointOption {
    std::string text; ///< as given, for messages and the label
    AirState state;
};

// What --process, --comfort and --zone add to the chart.
struct Overlays {
    std::vector<std::string> processes; ///< the JSON files, in order
    struct Comfort {
        double met = 0.0;
        double clo = 0.0;
        double airSpeed = 0.1;
        std::string text; ///< as given
    };
    std::optional<Comfort> comfort;
    struct UserZone {
        std::string name;
        std::vector<AirState> corners;
    };
    std::vector<UserZone> zones;
};

struct ChartOptions {
    Overlays overlays;
    AirOptions air; ///< a pressure or altitude may be given; standard sea level when not
    HeaderRules statesRules; ///< how the --states table's header is read
    InputKind statesKind = InputKind::Csv;
    std::vector<PointOption> points;
    std::optional<std::string> states;
    std::optional<std::pair<double, double>> range;
    std::optional<double> maxRatio;
    std::string output;
    int width = 1200;
    int height = 800;
};

int Error(const std::string& message, int status = kExitUsage) { return kSay.Fail(message, status); }

void Warn(const std::string& message) { kSay.Warn(message); }

// --process, --comfort or --zone into `overlays`; the usage error, if any.
std::optional<std::string> ReadOverlay(const std::string& name, const std::string& value, Overlays& overlays)
{
    if (name == "--process") {
        if (value.empty())
            return "--process needs a file name";
        overlays.processes.push_back(value);
        return std::nullopt;
    }
    if (name == "--comfort") {
        if (overlays.comfort)
            return "--comfort is given twice";
        const std::string usage =
            "--comfort takes met=M,clo=C[,v=V] with a metabolic rate above 0 met, a clothing and an air speed "
            "of 0 or more (for example met=1.1,clo=0.5,v=0.1), not " + Quoted(value);
        std::optional<double> met;
        std::optional<double> clo;
        std::optional<double> airSpeed;
        std::string_view rest = value;
        while (!rest.empty()) {
            const std::string_view item = rest.substr(0, rest.find(','));
            rest = item.size() < rest.size() ? rest.substr(item.size() + 1) : std::string_view();
            const std::size_t equals = item.find('=');
            const std::string_view key = item.substr(0, equals);
            std::optional<double>* target = key == "met" ? &met
                                            : key == "clo" ? &clo
                                            : key == "v"   ? &airSpeed
                                                           : nullptr;
            if (equals == std::string_view::npos || !target || target->has_value())
                return usage;
            *target = ParseDouble(item.substr(equals + 1));
            if (!*target || !std::isfinite(**target))
                return usage;
        }
        if (!met || !clo)
            return usage;
        comfort::ComfortInput input{};
        input.metabolicRate = *met;
        input.clothing = *clo;
        input.airSpeed = airSpeed.value_or(0.1);
        if (const std::optional<comfort::InputProblem> problem = comfort::InputRefusal(input))
            return "--comfort " + value + ": " + std::string(problem->rule);
        overlays.comfort = Overlays::Comfort{*met, *clo, airSpeed.value_or(0.1), value};
        return std::nullopt;
    }
    // --zone [NAME:]CORNER;CORNER;CORNER...
    const std::size_t colon = value.find(':');
    Overlays::UserZone zone;
    zone.name = colon == std::string::npos ? "zone " + std::to_string(overlays.zones.size() + 1)
                                           : value.substr(0, colon);
    std::string_view rest = colon == std::string::npos ? std::string_view(value)
                                                       : std::string_view(value).substr(colon + 1);
    while (!rest.empty()) {
        const std::string_view corner = rest.substr(0, rest.find(';'));
        rest = corner.size() < rest.size() ? rest.substr(corner.size() + 1) : std::string_view();
        std::string message;
        const std::optional<AirState> state = ParseAirState(corner, message);
        if (!state)
            return "--zone " + Quoted(value) + ": " + message;
        zone.corners.push_back(*state);
    }
    if (zone.corners.size() < 3 || zone.name.empty())
        return "--zone takes a name if any and at least three corners ([NAME:]20,rh=30;26,rh=30;26,rh=60), not " +
               Quoted(value);
    overlays.zones.push_back(std::move(zone));
    return std::nullopt;
}

std::optional<std::pair<double, double>> ParseRange(std::string_view text)
{
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos)
        return std::nullopt;
    const std::optional<double> low = ParseDouble(text.substr(0, colon));
    const std::optional<double> high = ParseDouble(text.substr(colon + 1));
    if (!low || !high || !std::isfinite(*low) || !std::isfinite(*high))
        return std::nullopt;
    return std::pair{*low, *high};
}

/// A side of --size: digits only, a whole number of pixels ("1e3" is no size).
std::optional<int> ParseSide(std::string_view text)
{
    int side = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), side);
    if (text.empty() || text.front() == '-' || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return side;
}

/// WIDTHxHEIGHT; nothing, with the reason in `message`, when it is no size or
/// a side is out of range.
std::optional<std::pair<int, int>> ParseSize(std::string_view text, std::string& message)
{
    std::size_t x = text.find('x');
    if (x == std::string_view::npos)
        x = text.find('X');
    const std::optional<int> width = x == std::string_view::npos ? std::nullopt : ParseSide(text.substr(0, x));
    const std::optional<int> height = width ? ParseSide(text.substr(x + 1)) : std::nullopt;
    if (!height) {
        message = "--size takes WIDTHxHEIGHT in whole pixels, written as digits (for example 800x600), not " +
                  Quoted(text);
        return std::nullopt;
    }
    if (*width < chart::kSmallestSide || *width > chart::kLargestSide || *height < chart::kSmallestSide ||
        *height > chart::kLargestSide) {
        message = "--size " + std::string(text) + ": each side is from " + std::to_string(chart::kSmallestSide) +
                  " to " + std::to_string(chart::kLargestSide) + " pixels";
        return std::nullopt;
    }
    return std::pair{*width, *height};
}

constexpr std::array<OptionSpec, 19> kChartOptions{{
    {"--units"},
    {"--model"},
    {"--saturation"},
    {"--process", true, {}, true},
    {"--comfort"},
    {"--zone", true, {}, true},
    {"--pressure", true, "pressure"},
    {"--altitude", true, "pressure"},
    {"--point", true, {}, true},
    {"--states"},
    {"--input"},
    {"--given"},
    {"--pressure-unit"},
    {"--column", true, {}, true},
    {"--skip-lines"},
    {"--range"},
    {"--max-ratio"},
    {"--size"},
    {"--output"},
}};

// The options of --states; false with the message for a value that cannot be used.
bool ReadStatesOptions(const Options& given, ChartOptions& options, std::string& message)
{
    if (!ReadHeaderOptions(given, options.statesRules, message))
        return false;
    if (const std::optional<std::string_view> states = given.Value("--states")) {
        options.states = std::string(*states);
        const std::optional<InputKind> kind = ReadInputKind(given, *states, message);
        if (!kind)
            return false;
        options.statesKind = *kind;
    }
    return true;
}

// The options, or the exit status when they end the command (help, an error).
std::variant<ChartOptions, int> ParseOptions(std::span<const std::string_view> args)
{
    // -o is --output's short name.
    std::vector<std::string_view> named(args.begin(), args.end());
    for (std::string_view& arg : named) {
        if (arg == "-o")
            arg = "--output";
        else if (arg == "--")
            break;
    }
    Options given;
    if (const std::optional<std::string> error = given.Read(named, kChartOptions))
        return kSay.Usage(*error);
    if (given.help())
        return WriteOut(kHelpText) && FlushOut() ? kExitOk : OutputFailed();
    ChartOptions options;
    std::string message;
    if (!ReadAirOptions(given, options.air, message, false) || !ReadStatesOptions(given, options, message))
        return kSay.Usage(message);
    for (const std::string_view name : {"--process", "--comfort", "--zone"}) {
        for (const std::string_view value : given.Values(name)) {
            if (const std::optional<std::string> error =
                    ReadOverlay(std::string(name), std::string(value), options.overlays))
                return kSay.Usage(*error);
        }
    }
    for (const std::string_view value : given.Values("--point")) {
        const std::optional<AirState> state = ParseAirState(value, message);
        if (!state)
            return kSay.Usage("--point: " + message);
        options.points.push_back({std::string(value), *state});
    }
    if (const std::optional<std::string_view> range = given.Value("--range")) {
        options.range = ParseRange(*range);
        if (!options.range)
            return kSay.Usage("--range takes TMIN:TMAX (for example -10:50), not " + Quoted(*range));
    }
    if (const std::optional<std::string_view> ratio = given.Value("--max-ratio")) {
        options.maxRatio = ParseDouble(*ratio);
        if (!options.maxRatio || !(*options.maxRatio > 0.0) || *options.maxRatio > 1.0)
            return kSay.Usage("--max-ratio takes a humidity ratio above 0 and at most 1, not " +
                              Quoted(*ratio));
    }
    if (const std::optional<std::string_view> sizeText = given.Value("--size")) {
        const std::optional<std::pair<int, int>> size = ParseSize(*sizeText, message);
        if (!size)
            return kSay.Usage(message);
        options.width = size->first;
        options.height = size->second;
    }
    options.output = std::string(given.Value("--output").value_or(""));
    if (options.output.empty())
        return kSay.Usage("an output file is needed (-o chart.svg, chart.png or chart.pdf)");
    return options;
}

std::string Number(double value) { return ShortestText(value); }

// Qt's notices (a missing XDG_RUNTIME_DIR, say) are no business of the
// chart's reader; only its errors are shown.
void QtErrorsOnly(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "humitrax-cli: chart: %s\n", message.toLocal8Bit().constData());
}

// The chart's settings from the options; the text says what is wrong.
std::variant<chart::ChartSettings, std::string> SettingsFrom(const ChartOptions& options)
{
    const AirOptions& air = options.air;
    chart::ChartSettings settings = chart::DefaultSettings(air.units);
    settings.model = air.model;
    settings.saturation = air.saturation;
    const bool si = air.units == Units::SI;
    const std::string pressureUnit(PropertyUnit(Property::Pressure, air.units));
    const std::string temperatureUnit(PropertyUnit(Property::DryBulb, air.units));
    if (air.pressure) {
        if (!(*air.pressure > 0.0))
            return "the pressure must be above 0 " + pressureUnit + ", not " + Number(*air.pressure);
        settings.pressure = *air.pressure;
    } else if (air.altitude) {
        const Cell pressure =
            PressureFromAltitude(air.units, *air.altitude, air.model);
        if (!pressure.present)
            return "no pressure for the altitude " + Number(*air.altitude) + " " + (si ? "m" : "ft") +
                   ": " + std::string(pressure.reason);
        settings.pressure = pressure.value;
        settings.altitude = *air.altitude;
    }
    if (options.range) {
        const auto [low, high] = *options.range;
        if (!(low < high))
            return "the range " + Number(low) + ":" + Number(high) + " needs TMIN below TMAX";
        const double lowest = TemperatureRangeOf(si).lowest;
        const double highest = TemperatureRangeOf(si).highest;
        if (low < lowest || high > highest)
            return "the range must lie within the engine's temperatures, " + Number(lowest) + " to " +
                   Number(highest) + " " + temperatureUnit;
        settings.tMin = low;
        settings.tMax = high;
    }
    if (options.maxRatio)
        settings.wMax = *options.maxRatio;
    if (!chart::TemperatureTicksDistinct(settings))
        return "the range " + Number(settings.tMin) + ":" + Number(settings.tMax) +
               " is too narrow for the tick labels, which show at most six decimals";
    if (!chart::RatioTicksDistinct(settings))
        return "--max-ratio " + Number(settings.wMax) +
               " is too small for the tick labels, which show at most six decimals";
    return settings;
}

std::string Describe(const chart::DataPoint& point, bool si)
{
    return Number(point.t) + (si ? " °C" : " °F") + ", humidity ratio " + Number(point.w);
}

// "states at 97.2 to 99.8 kPa": the pressures of the states drawn, to one
// decimal; empty when none is drawn.
std::string PressureNote(const std::vector<double>& pressures, bool si)
{
    if (pressures.empty())
        return {};
    const auto [low, high] = std::minmax_element(pressures.begin(), pressures.end());
    const auto oneDecimal = [](double value) {
        std::array<char, 64> buffer{};
        const auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                             std::chars_format::fixed, 1);
        return ec == std::errc() ? std::string(buffer.data(), end) : ShortestText(value);
    };
    const std::string lowText = oneDecimal(*low);
    const std::string highText = oneDecimal(*high);
    const std::string unit = si ? " kPa" : " psia";
    if (lowText == highText)
        return "states at " + lowText + unit;
    return "states at " + lowText + " to " + highText + unit;
}

// The rows of the --states table inside the drawn range, and the note on
// their pressures; false when the table cannot be read.
bool ReadStates(const ChartOptions& options, chart::ChartContent& content, std::string& pressureNote)
{
    const std::string& path = *options.states;
    int input = STDIN_FILENO;
    if (path != "-") {
        input = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (input < 0) {
            Error("cannot read the states file " + Quoted(path) + ": " + std::strerror(errno));
            return false;
        }
    }
    StateTableOptions reading;
    reading.kind = options.statesKind;
    reading.rules = options.statesRules;
    reading.rules.units = options.air.units;
    reading.rules.model = content.settings.model;
    reading.rules.saturation = content.settings.saturation;
    reading.rules.defaultPressure = content.settings.pressure;
    std::string message;
    const std::optional<StateTable> table = ReadStateTable(input, reading, message);
    if (input != STDIN_FILENO)
        ::close(input);
    if (!table) {
        const std::string name = path == "-" ? "the states from standard input" : "the states file " + Quoted(path);
        // "cannot read the input: why" names what could not be read.
        if (message.starts_with("cannot read"))
            Error("cannot read " + name + message.substr(message.find(':')));
        else
            Error((path == "-" ? "states from standard input" : "states file " + Quoted(path)) + ": " + message);
        return false;
    }
    if (table->failed > 0) {
        Warn(std::to_string(table->failed) + " of " + std::to_string(table->rows) + " rows of " + Quoted(path) +
             " left out: a number is missing or bad, or the state cannot be placed");
    }
    for (const PlausibilityWarning& warning : table->warnings)
        Warn(warning.text);
    std::size_t outside = 0;
    std::vector<double> pressures;
    for (const TablePoint& row : table->points) {
        const chart::DataPoint point{row.dryBulb, row.humidityRatio};
        if (!chart::InRange(point, content.settings)) {
            ++outside;
            continue;
        }
        content.cloud.push_back(point);
        pressures.push_back(row.pressure);
    }
    if (outside > 0) {
        Warn(std::to_string(outside) + " of " + std::to_string(table->rows) + " rows of " + Quoted(path) +
             " lie outside the drawn range and are left out");
    }
    content.cloudName = path == "-" ? "standard input" : std::filesystem::path(path).filename().string();
    pressureNote = PressureNote(pressures, options.air.units == Units::SI);
    return true;
}

// The largest process file read: its JSON is a few kilobytes.
constexpr qint64 kLargestProcessFile = qint64{1} << 20;

// The processes and zones of the options added to the chart; the exit status
// when one cannot be, else 0.
int AddOverlays(const Overlays& overlays, chart::ChartContent& content)
{
    const chart::ChartSettings& settings = content.settings;
    const std::string pressureUnit = settings.si() ? " kPa" : " psia";
    if (const auto& comfort = overlays.comfort) {
        std::vector<chart::DataPoint> outline;
        try {
            outline = chart::ComfortZoneOutline(settings, comfort->met, comfort->clo, comfort->airSpeed);
        } catch (const PropertyFailure& failure) {
            return Error("--comfort " + Echo(comfort->text) + ": the comfort zone cannot be computed (" +
                             std::string(CauseName(failure.cause())) + ")",
                         kExitFailure);
        }
        if (outline.empty())
            Warn("the comfort zone (--comfort " + Echo(comfort->text) + ") lies outside the drawn range");
        else
            content.zones.push_back({chart::Zone::Kind::Comfort,
                                     "comfort zone: PMV ±0.5, " + Number(comfort->met) + " met, " +
                                         Number(comfort->clo) + " clo, " + Number(comfort->airSpeed) + " m/s",
                                     std::move(outline)});
    }
    for (const Overlays::UserZone& zone : overlays.zones) {
        auto outline = chart::ZoneOutline(zone.corners, settings);
        if (const auto* reason = std::get_if<std::string>(&outline))
            return Error("zone " + Quoted(zone.name) + ": " + *reason, kExitFailure);
        content.zones.push_back({chart::Zone::Kind::User, zone.name,
                                 std::move(std::get<std::vector<chart::DataPoint>>(outline))});
    }
    std::vector<chart::ChartProcess> processes;
    for (const std::string& path : overlays.processes) {
        QFile file(QString::fromStdString(path));
        if (!file.open(QIODevice::ReadOnly))
            return Error("cannot read the process file " + Quoted(path) + ": " + file.errorString().toStdString());
        const QByteArray json = file.read(kLargestProcessFile + 1);
        if (file.error() != QFileDevice::NoError)
            return Error("cannot read the process file " + Quoted(path) + ": " + file.errorString().toStdString());
        if (json.size() > kLargestProcessFile)
            return Error("process file " + Quoted(path) + " is larger than a process's JSON can be");
        auto process = chart::ReadProcessJson(json, settings);
        if (const auto* reason = std::get_if<std::string>(&process))
            return Error("process file " + Quoted(path) + ": " + *reason);
        const chart::ChartProcess& read = std::get<chart::ChartProcess>(process);
        if (std::fabs(read.pressure - settings.pressure) > 1e-9 * settings.pressure)
            Warn("process file " + Quoted(path) + " is at " + Number(read.pressure) + pressureUnit + " and the chart at " +
                 Number(settings.pressure) + pressureUnit + "; its states are placed by their humidity ratio");
        processes.push_back(read);
    }
    for (const std::string& note : chart::AddProcesses(content, processes))
        Warn("process state " + note);
    return kExitOk;
}

int Chart(std::span<const std::string_view> args)
{
    auto parsed = ParseOptions(args);
    if (const int* status = std::get_if<int>(&parsed))
        return *status;
    const ChartOptions& options = std::get<ChartOptions>(parsed);

    const std::optional<chart::FileFormat> format = chart::FormatOfPath(options.output);
    if (!format)
        return Error("cannot tell the file type of " + Quoted(options.output) + ": the name must end in .svg, .png or .pdf");
    auto settings = SettingsFrom(options);
    if (const auto* reason = std::get_if<std::string>(&settings))
        return Error(*reason);

    chart::ChartContent content;
    content.settings = std::get<chart::ChartSettings>(settings);
    for (const PointOption& point : options.points) {
        auto described = chart::DescribeState(point.state, content.settings);
        if (const auto* reason = std::get_if<std::string>(&described))
            return Error("point " + Quoted(point.text) + ": " + *reason, kExitFailure);
        const chart::StateProperties& properties = std::get<chart::StateProperties>(described);
        if (!chart::InRange(properties.at, content.settings)) {
            Warn("point " + Quoted(point.text) + " (" + Describe(properties.at, options.air.units == Units::SI) +
                 ") lies outside the drawn range and is left out");
            continue;
        }
        content.marked.push_back({point.text, properties});
    }
    if (const int status = AddOverlays(options.overlays, content))
        return status;
    std::string pressureNote;
    if (options.states && !ReadStates(options, content, pressureNote))
        return kExitUsage;
    content.curves = chart::ComputeCurves(content.settings);

    // Text needs a GUI application; the offscreen platform needs no display.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
    const QtMessageHandler previousHandler = qInstallMessageHandler(QtErrorsOnly);
    const auto restoreHandler = qScopeGuard([&] { qInstallMessageHandler(previousHandler); });
    int argc = 1;
    char name[] = "humitrax-cli";
    char* argv[] = {name, nullptr};
    const QGuiApplication application(argc, argv);

    chart::RemoveTemporaryFileOnSignals();
    const std::string failure =
        chart::WriteChartFile(options.output, *format, content, QSize(options.width, options.height),
                              pressureNote);
    if (!failure.empty())
        return Error(failure, kExitOutput);
    return kExitOk;
}

} // namespace

int RunChart(std::span<const std::string_view> args)
{
    // Nothing is expected to throw here; whatever does ends the command with a
    // message, and no file has been written.
    try {
        return Chart(args);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "humitrax-cli: chart: the chart could not be drawn: %s\n", error.what());
    } catch (...) {
        std::fputs("humitrax-cli: chart: the chart could not be drawn\n", stderr);
    }
    return kExitFailure;
}


} // namespace humitrax::cli
