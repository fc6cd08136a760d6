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
#include <unistd.h>

namespace humitrax::cli {
namespace {

constexpr std::string_view kHelp = R"(  batch [--units si|ip] [--model ashrae2017|calculator] [--saturation ice|water] [--input csv|epw]
        [--given COLUMN] [--pressure-unit UNIT] [--format csv|json] [--jobs N]
        [--max-record-bytes N] [FILE]
      Every property for each row of a CSV file (standard input when FILE is
      missing or "-"). The header names the columns: dry_bulb, pressure or
      altitude, and one of wet_bulb, dew_point, relative_humidity (percent) or
      humidity_ratio, in the units of --units (default si: °C, kPa, m; ip:
      °F, psia, ft). Names match whatever their case and surrounding blanks,
      a blank or an underscore between words alike ("Dry Bulb"); a UTF-8
      byte-order mark is skipped. A unit in brackets after a name is
      converted to the unit system's own: temperatures [C], [°C], [F], [°F];
      pressure [kPa], [hPa], [Pa], [mbar], [bar], [psia], [inHg]; altitude
      [m], [ft]; relative_humidity [%]; humidity_ratio [kg/kg], [lb/lb],
      [g/kg], [gr/lb] ("pressure [hPa]"). --pressure-unit UNIT gives the
      unit of a pressure column that names none. A header line with no comma
      and at least one semicolon makes ';' the separator; numbers still take
      a decimal point, and the output still uses commas. Other columns pass
      through unchanged, in front.
      --given COLUMN picks the condition where the header names several, as
      batch's own output does: the other columns named like output columns
      (the other conditions, enthalpy, status ...) are then left out, and the
      output holds them computed afresh, so batch reads its own output and
      writes the same numbers again. Without --given such a column is refused.
      --input epw (the default for a name ending in .epw) reads an
      EnergyPlus weather file: its eight header lines, LOCATION to DATA
      PERIODS, are skipped; a data line of fewer than 35 fields is a failed
      row. Year,
      month, day, hour and minute pass through; dry bulb (°C), dew point
      (°C; or relative humidity with --given relative_humidity) and
      pressure (Pa) are read. A missing-value code (99.9, 999, 999999)
      leaves the row without properties ("dry_bulb: missing"). SI only.
      By the 2017 Handbook's relations, or with --model calculator the
      calculator's (see "Relations" below).
      Output: the passed-through columns, then dry_bulb, pressure, wet_bulb,
      dew_point, relative_humidity, humidity_ratio, enthalpy,
      specific_volume, grains (ip only), vapour_pressure (kPa, psia),
      saturation_vapour_pressure (kPa, psia), saturation_humidity_ratio,
      degree_of_saturation (W/Ws), specific_humidity (kg/kg, lb/lb), density
      (of the moist air, kg/m³, lb/ft³) and status, numbers at full
      precision. A cell that cannot be computed, or whose value no air can
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
      Exit status: 0 every row computed, 1 some rows failed, 2 the command
      line or the input could not be read, 3 the output could not be written.
      Examples:
        humitrax-cli batch --units ip weather.csv > states.csv
        humitrax-cli batch --given relative_humidity states.csv > again.csv
        humitrax-cli batch --model ashrae2017 Basel.epw > basel.csv

)";

constexpr unsigned kMaxJobs = 256;
/// A record is read whole, so its length bounds the memory a row may take.
constexpr std::size_t kDefaultMaxRecordBytes = std::size_t{1} << 20;
constexpr std::size_t kLargestMaxRecordBytes = std::size_t{1} << 30;

constexpr std::array<OptionSpec, 9> kBatchOptions{{
    {"--units"},
    {"--model"},
    {"--saturation"},
    {"--format"},
    {"--jobs"},
    {"--max-record-bytes"},
    {"--input"},
    {"--given"},
    {"--pressure-unit"},
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
    if (!input || !ReadGiven(given, rules.given, message))
        return kSay.Usage(message);
    rules.units = *units;
    rules.model = *model;
    const std::optional<Saturation> saturation = ReadSaturation(given, *model, message);
    if (!saturation)
        return kSay.Usage(message);
    rules.saturation = *saturation;
    rules.pressureUnit = given.Value("--pressure-unit");
    options.input = *input;
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

/// Standard output through the commands' checked writes, with the rows'
/// progress and whether any row failed.
class RowWriter final : public BlockSink {
public:
    bool Take(const std::string& rows, const BlockCounts& counts) override
    {
        m_anyFailure = m_anyFailure || counts.failedRows > 0;
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

private:
    bool Note(bool ok)
    {
        m_failed = m_failed || !ok;
        return !m_failed;
    }

    Progress m_progress;
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
        if (options.input == InputKind::Csv && message.starts_with("the header"))
            message += " (needed: dry_bulb, pressure or altitude, and one of wet_bulb, dew_point, "
                       "relative_humidity, humidity_ratio)";
        return kSay.Usage(message);
    }
    RowWriter writer;
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
