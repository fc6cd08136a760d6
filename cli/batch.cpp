// The batch command: every property for each row of a CSV file or an
// EnergyPlus weather file, streamed in blocks of complete records and
// written in input order.
#include "table/pool.h"
#include "table/progress.h"
#include "table/reader.h"
#include "table/rows.h"
#include "commands.h"
#include "kit/echo.h"
#include "kit/options.h"
#include "kit/output.h"

#include "humitrax/plausibility.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <exception>
#include <fcntl.h>
#include <optional>
#include <string>
#include <thread>
#include <vector>
#include <unistd.h>

namespace humitrax::cli {
namespace {

constexpr std::string_view kHelp = R"help(  batch [--units si|ip] [--model ashrae2017|calculator] [--saturation ice|water]
        [--input csv|epw|tmy3] [--given COLUMN[,COLUMN]] [--pressure-unit UNIT] [--column ROLE=HEADER ...]
        [--skip-lines N] [--keep NAME,...] [--columns NAME,...] [--precision N]
        [--format csv|json] [--jobs N] [--max-record-bytes N] [FILE]
      Every property for each row of a CSV file (standard input when FILE is
      missing or "-"). The header names the columns: dry_bulb, pressure or
      altitude, and one of wet_bulb, dew_point, relative_humidity (percent) or
      humidity_ratio, in the units of --units (default si: °C, kPa, m; ip:
      °F, psia, ft). A state may be given by any two of its properties
      instead: two of dry_bulb, wet_bulb, dew_point, relative_humidity,
      humidity_ratio, enthalpy, specific_volume and vapour_pressure, with the
      pressure or altitude (enthalpy,humidity_ratio,pressure). Names match whatever their case and surrounding blanks,
      a blank, an underscore or a hyphen between words alike ("Dry Bulb",
      "Dry-bulb"); a UTF-8 byte-order mark is skipped. A unit in brackets
      after a name is converted to the unit system's own: temperatures [C],
      [°C], [F], [°F]; pressure [kPa], [hPa], [Pa], [mbar], [bar], [psia],
      [inHg]; altitude [m], [ft]; relative_humidity [%]; humidity_ratio
      [kg/kg], [lb/lb], [g/kg], [gr/lb] ("pressure [hPa]"); so is one of
      these in parentheses ("Dry-bulb (C)", "Pressure (mbar)"). A name read
      only by the hyphen or the parentheses yields to one that names the same
      value as above, and is then passed through. --column ROLE=HEADER (again
      for more) reads the column of that header name as ROLE: dry_bulb,
      pressure, altitude, wet_bulb, dew_point, relative_humidity,
      humidity_ratio, enthalpy, specific_volume or vapour_pressure (--column
      dry_bulb="Temp (C)"); its unit applies.
      --pressure-unit UNIT gives the unit of a pressure column that names
      none. --skip-lines N skips N lines before the header. A header line
      with no comma and at least one semicolon makes ';' the separator; then
      a number may take a decimal comma ("25,5" is 25.5), and the output still
      uses commas and points. Other columns pass through unchanged, in front.
      A header without a needed column is refused, its names listed.
      --given COLUMN picks the condition where the header names several, as
      batch's own output does, and --given A,B two properties
      (--given enthalpy,humidity_ratio): the other columns named like output columns
      (the other conditions, enthalpy, status ...) are then left out, and the
      output holds them computed afresh, so batch reads its own output and
      writes the same numbers again. Without --given such a column is refused.
      --input epw (the default for a name ending in .epw) reads an
      EnergyPlus weather file: its eight header lines, LOCATION to DATA
      PERIODS, are skipped; a data line of fewer than 35 fields is a failed
      row. Year, month, day, hour and minute pass through; dry bulb (°C), dew
      point (°C; or relative humidity with --given relative_humidity) and
      pressure (Pa) are read. A missing-value code (99.9, 999, 999999)
      leaves the row without properties ("dry_bulb: missing"). SI only.
      --input tmy3 (the default for a file whose first line is a station's,
      USAF,Name,State,TZ,latitude,longitude,elevation, and whose second is a
      header "Date (MM/DD/YYYY),Time (HH:MM),...") reads NREL's Typical
      Meteorological Year 3: date and time pass through; "Dry-bulb (C)",
      "Dew-point (C)" (or "RHum (%)" with --given relative_humidity) and
      "Pressure (mbar)" are read, in either unit system. A value of -9900,
      or one whose source flag is "?", is missing ("dry_bulb: missing").
      --keep NAME,... passes fields of an EnergyPlus weather or TMY3 file
      through beside the time, by their names: for EPW data_source_flags,
      dry_bulb, dew_point, relative_humidity, pressure,
      extraterrestrial_horizontal_radiation,
      extraterrestrial_direct_normal_radiation, horizontal_infrared_radiation,
      global_horizontal_radiation, direct_normal_radiation,
      diffuse_horizontal_radiation, global_horizontal_illuminance,
      direct_normal_illuminance, diffuse_horizontal_illuminance,
      zenith_luminance, wind_direction, wind_speed, total_sky_cover,
      opaque_sky_cover, visibility, ceiling_height,
      present_weather_observation, present_weather_codes,
      precipitable_water, aerosol_optical_depth, snow_depth,
      days_since_last_snowfall, albedo, liquid_precipitation_depth,
      liquid_precipitation_quantity; for TMY3 the same names for its values
      (without data_source_flags, horizontal_infrared_radiation, snow_depth,
      days_since_last_snowfall; with present_weather), each measured one's
      NAME_source and NAME_uncertainty, and liquid_precipitation_source and
      _uncertainty. A name an output column bears gets "file_" in front
      (--keep relative_humidity writes file_relative_humidity), its text as
      the file has it.
      By the 2017 Handbook's relations, or with --model calculator the
      calculator's (see "Relations" below).
      Output: the passed-through columns, then dry_bulb, pressure, wet_bulb,
      dew_point, relative_humidity, humidity_ratio, enthalpy,
      specific_volume, grains (ip only), vapour_pressure (kPa, psia),
      saturation_vapour_pressure (kPa, psia), saturation_humidity_ratio,
      degree_of_saturation (W/Ws), specific_humidity (kg/kg, lb/lb), density
      (of the moist air, kg/m³, lb/ft³) and status, numbers at full
      precision. --columns NAME,... writes only those properties (and
      dry_bulb, pressure and the given condition, always), in this order, and
      status speaks only of them. --precision N (1 to 17) writes each
      computed property to N significant digits instead of the shortest
      text that reads back as the same double; dry_bulb, pressure and the
      given condition are written as without it.
      A cell that cannot be computed, or whose value no air can
      have (a dew point below -100 °C), stays empty and status says why
      ("relative_humidity: out of range", "line 12: pressure is not a
      number"); air that cannot exist is refused whole. Lines that are empty or hold only spaces and tabs are
      skipped. --format json writes one JSON object per line, always UTF-8 (a
      byte that is not becomes U+FFFD); a column name met before gets "_2",
      "_3"... there. --jobs N computes on N threads (default: every core),
      output in input order. A record longer than --max-record-bytes
      (default 1048576; its line feed not counted) is one failed row, and
      reading goes on after the first line feed past the limit; so is a
      record, or its output row, too large for the memory that can be had.
      Memory peaks at about twice the longest record: read, and written. Rows are
      written as soon as the input pauses, so a program can feed rows
      through a pipe and read each answer.
      After the output, a warning on standard error for each column whose
      values look like a slip of unit, with the rows it concerns (results
      and exit status unchanged): a pressure outside 30 to 120 kPa (4.4 to
      17.4 psia), naming the unit it probably is (hPa or mbar, Pa, psia,
      kPa, inHg, bar); relative humidities all within 0 to 1 (fractions?);
      a humidity ratio above 0.1 (g/kg?); a dry bulb above 60 °C (140 °F;
      °F or kelvins?). Weather never comes near these.
      Exit status: 0 every row computed, 1 some rows failed, 2 the command
      line or the input could not be read, 3 the output could not be written.
      Examples:
        humitrax-cli batch --units ip weather.csv > states.csv
        humitrax-cli batch --given relative_humidity states.csv > again.csv
        humitrax-cli batch --saturation water Basel.epw > basel.csv
        humitrax-cli batch --saturation water --keep wind_speed 690150TYA.CSV
        humitrax-cli batch --model calculator weather.csv > as-the-calculator.csv
        humitrax-cli batch --column dry_bulb="Temp (C)" --column relative_humidity=RH \
            --pressure-unit hPa --columns wet_bulb,dew_point --precision 4 log.csv

)help";

constexpr unsigned kMaxJobs = 256;
/// A record is read whole, so its length bounds the memory a row may take.
constexpr std::size_t kDefaultMaxRecordBytes = std::size_t{1} << 20;
constexpr std::size_t kLargestMaxRecordBytes = std::size_t{1} << 30;

constexpr std::array<OptionSpec, 14> kBatchOptions{{
    {"--units"},
    {"--model"},
    {"--saturation"},
    {"--format"},
    {"--jobs"},
    {"--max-record-bytes"},
    {"--input"},
    {"--given"},
    {"--pressure-unit"},
    {"--column", true, {}, true},
    {"--skip-lines"},
    {"--keep"},
    {"--columns"},
    {"--precision"},
}};

constexpr Messages kSay{"batch"};

struct BatchOptions {
    HeaderRules rules;
    InputKind input = InputKind::Csv;
    unsigned jobs = 1;
    std::size_t maxRecordBytes = kDefaultMaxRecordBytes;
    std::string file = "-";
};

/// A whole number from 1 to `largest`.
std::optional<std::size_t> ParseCount(std::string_view text, std::size_t largest)
{
    std::size_t value = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || ptr != text.data() + text.size() || value < 1 || value > largest)
        return std::nullopt;
    return value;
}

/// The items of a comma-separated list; false, with the message, for an empty one.
bool ListItems(std::string_view option, std::string_view text, std::vector<std::string_view>& items,
               std::string& message)
{
    for (std::size_t start = 0;;) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        const std::string_view item = text.substr(start, comma - start);
        if (item.empty()) {
            message = std::string(option) + " takes names separated by commas, not " + Quoted(text);
            return false;
        }
        items.push_back(item);
        if (comma == text.size())
            return true;
        start = comma + 1;
    }
}

/// --keep, --columns and --precision.
bool ReadOutputOptions(const Options& given, HeaderRules& rules, std::string& message)
{
    if (const std::optional<std::string_view> keep = given.Value("--keep")) {
        if (!ListItems("--keep", *keep, rules.keep, message))
            return false;
    }
    if (const std::optional<std::string_view> columns = given.Value("--columns")) {
        std::vector<std::string_view> names;
        if (!ListItems("--columns", *columns, names, message))
            return false;
        for (std::string_view name : names) {
            const auto property = std::find_if(kAllProperties.begin(), kAllProperties.end(), [&](Property p) {
                return HasProperty(p, rules.units) && PropertyColumn(p) == name;
            });
            if (property == kAllProperties.end()) {
                std::string list;
                for (Property p : kAllProperties) {
                    if (HasProperty(p, rules.units))
                        list += (list.empty() ? "" : ", ") + std::string(PropertyColumn(p));
                }
                message = "--columns: " + Quoted(name) + " is not an output column" +
                          (name == "grains" ? " in SI units" : "") + "; they are " + list;
                return false;
            }
            rules.columns.push_back(*property);
        }
    }
    if (const std::optional<std::string_view> precision = given.Value("--precision")) {
        const std::optional<std::size_t> digits =
            ParseCount(*precision, static_cast<std::size_t>(kMaxSignificantDigits));
        if (!digits) {
            message = "--precision is a whole number of significant digits from 1 to " +
                      std::to_string(kMaxSignificantDigits) + ", not " + Quoted(*precision);
            return false;
        }
        rules.precision = static_cast<int>(*digits);
    }
    return true;
}

/// The options, or the exit status of a usage error or of --help.
std::optional<int> ParseOptions(std::span<const std::string_view> args, BatchOptions& options)
{
    Options given;
    std::string message;
    if (std::optional<std::string> error = given.Read(args, kBatchOptions, 1))
        return kSay.Usage(*error);
    if (given.help())
        return WriteOut(kHelp) && FlushOut() ? kExitOk : OutputFailed();
    if (!given.positional().empty())
        options.file = std::string(given.positional().front());
    HeaderRules& rules = options.rules;
    const std::optional<Units> units = ReadUnits(given, message);
    const std::optional<Model> model = units ? ReadModel(given, message) : std::nullopt;
    const std::optional<InputKind> input = model ? ReadInputKind(given, options.file, message) : std::nullopt;
    if (!input || !ReadHeaderOptions(given, rules, message))
        return kSay.Usage(message);
    rules.units = *units;
    rules.model = *model;
    const std::optional<Saturation> saturation = ReadSaturation(given, *model, message);
    if (!saturation)
        return kSay.Usage(message);
    rules.saturation = *saturation;
    options.input = *input;
    if (!ReadOutputOptions(given, rules, message))
        return kSay.Usage(message);
    static constexpr std::array<Format, 2> kFormats{Format::Csv, Format::Json};
    if (const std::optional<Format> format = ReadFormat(given, Format::Csv, kFormats, message)) {
        rules.format = *format;
    } else {
        return kSay.Usage(message);
    }
    const unsigned cores = std::thread::hardware_concurrency();
    options.jobs = cores == 0 ? 1 : std::min(cores, kMaxJobs);
    if (const std::optional<std::string_view> jobs = given.Value("--jobs")) {
        const std::optional<std::size_t> count = ParseCount(*jobs, kMaxJobs);
        if (!count)
            return kSay.Usage("--jobs is a whole number from 1 to " + std::to_string(kMaxJobs) +
                         ", not " + Quoted(*jobs));
        options.jobs = static_cast<unsigned>(*count);
    }
    if (const std::optional<std::string_view> bytes = given.Value("--max-record-bytes")) {
        const std::optional<std::size_t> limit = ParseCount(*bytes, kLargestMaxRecordBytes);
        if (!limit)
            return kSay.Usage("--max-record-bytes needs a whole number from 1 to " +
                         std::to_string(kLargestMaxRecordBytes));
        options.maxRecordBytes = *limit;
    }
    return std::nullopt;
}

/// How a CSV header converts values of a warning's probable unit: ' (a unit in
/// the header, as in "pressure [hPa]", or --pressure-unit hPa, converts them)';
/// empty for a unit the header cannot name.
std::string HeaderHint(const PlausibilityWarning& warning)
{
    const std::string_view column = PropertyColumn(warning.column);
    const std::string_view unit = warning.probableUnit == "°F" ? std::string_view("F") : warning.probableUnit;
    if (unit.empty() || !ColumnUnit(column, unit, Units::SI))
        return {};
    std::string hint = " (a unit in the header, as in \"" + std::string(column) + " [" + std::string(unit) + "]\"";
    if (warning.column == Property::Pressure)
        hint += ", or --pressure-unit " + std::string(unit);
    return hint + ", converts them)";
}

/// Standard output through the commands' checked writes, with the rows'
/// progress and whether any row failed.
class RowWriter final : public BlockSink {
public:
    explicit RowWriter(Units units) : m_plausibility(units) {}

    bool Take(const std::string& rows, const BlockCounts& counts) override
    {
        m_anyFailure = m_anyFailure || counts.failedRows > 0;
        m_plausibility.Merge(counts.plausibility);
        m_progress.Add(counts.rows);
        return Note(WriteOut(rows));
    }
    bool Flush() override { return Note(FlushOut()); }
    bool Write(std::string_view text) { return Note(WriteOut(text)); }
    /// Flushes and closes standard output: the last chance to learn that the
    /// file system did not take it.
    bool Close() { return Note(CloseOut()); }
    void Finish() { m_progress.Finish(); }
    [[nodiscard]] bool anyFailure() const noexcept { return m_anyFailure; }
    [[nodiscard]] const Plausibility& plausibility() const noexcept { return m_plausibility; }

private:
    bool Note(bool ok)
    {
        m_failed = m_failed || !ok;
        return !m_failed;
    }

    Progress m_progress;
    Plausibility m_plausibility;
    bool m_failed = false;
    bool m_anyFailure = false;
};

/// Reads the start of the table, then streams the rows; the exit status.
int Stream(int input, const BatchOptions& options)
{
    RecordReader reader(input, options.maxRecordBytes);
    std::string message;
    const std::optional<TableStart> start = ReadTableStart(reader, options.input, options.rules, message);
    if (!start) {
        if ((options.input == InputKind::Csv || options.input == InputKind::CsvOrTmy3) &&
            message.starts_with("the header"))
            message += " (needed: dry_bulb, pressure or altitude, and one of wet_bulb, dew_point, "
                       "relative_humidity, humidity_ratio)";
        return kSay.Usage(message);
    }
    RowWriter writer(start->layout.units);
    if (!writer.Write(OutputHeader(start->layout)))
        return OutputFailed();
    BlockSource source(reader, start->nextLine);
    StreamBlocks(source, start->layout, options.maxRecordBytes, options.jobs, writer);
    writer.Finish();
    if (reader.error() != 0) {
        return kSay.Fail("cannot read the input to its end: " + std::string(std::strerror(reader.error())),
                         kExitUsage);
    }
    if (!writer.Close())
        return OutputFailed();
    for (const PlausibilityWarning& warning : writer.plausibility().Warnings())
        kSay.Warn(warning.text + (start->kind == InputKind::Csv ? HeaderHint(warning) : std::string()));
    return writer.anyFailure() ? kExitFailure : kExitOk;
}

} // namespace

std::string_view BatchHelp() { return kHelp; }

int RunBatch(std::span<const std::string_view> args)
{
    BatchOptions options;
    if (const std::optional<int> status = ParseOptions(args, options))
        return *status;
    int input = STDIN_FILENO;
    if (options.file != "-") {
        input = ::open(options.file.c_str(), O_RDONLY | O_CLOEXEC);
        if (input < 0)
            return kSay.Usage("cannot open " + Quoted(options.file) + ": " + std::strerror(errno));
    }
    int status = kExitFailure;
    try {
        status = Stream(input, options);
    } catch (const std::exception& error) {
        kSay.Fail(error.what());
    }
    if (input != STDIN_FILENO)
        ::close(input);
    return status;
}

} // namespace humitrax::cli
