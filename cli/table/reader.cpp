#include "table/reader.h"

#include "table/weather.h"
#include "kit/echo.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <new>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace humitrax::cli {
namespace {

/// Bytes asked of each read.
constexpr std::size_t kReadBytes = kBlockBytes;

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
/// The lines before the data rows of an EnergyPlus weather file: LOCATION,
/// DESIGN CONDITIONS, TYPICAL/EXTREME PERIODS, GROUND TEMPERATURES,
/// HOLIDAYS/DAYLIGHT SAVINGS, two COMMENTS and DATA PERIODS.
constexpr std::size_t kEpwHeaderLines = 8;

bool Blank(std::string_view line) noexcept
{
    return std::all_of(line.begin(), line.end(), [](char c) { return c == ' ' || c == '\t' || c == '\r'; });
}

std::string ReadFailure(const RecordReader& reader)
{
    return "cannot read the input: " + std::string(std::strerror(reader.error()));
}

/// Makes the pending bytes hold a line feed at or after `from`, or all the
/// input: the offset of that line feed, or the pending size at the end of the
/// input. Nothing when more than the record limit would be needed, or the
/// input cannot be read (with the reason in `message`).
std::optional<std::size_t> LineEnd(RecordReader& reader, std::size_t from, std::string_view what,
                                   std::string& message)
{
    for (;;) {
        const std::string_view pending = reader.Pending();
        const std::size_t lineFeed = pending.find('\n', from);
        if (lineFeed != std::string_view::npos && lineFeed - from <= reader.maxRecordBytes())
            return lineFeed;
        if (pending.size() - from > reader.maxRecordBytes()) {
            message = std::string(what) + " is longer than " + std::to_string(reader.maxRecordBytes()) +
                      " bytes, the limit of --max-record-bytes";
            return std::nullopt;
        }
        if (!reader.ReadMore()) {
            if (reader.error() != 0) {
                message = ReadFailure(reader);
                return std::nullopt;
            }
            return reader.Pending().size();
        }
    }
}

/// Passes over a byte-order mark at the start of the input.
bool SkipByteOrderMark(RecordReader& reader)
{
    while (reader.Pending().size() < kByteOrderMark.size() && reader.ReadMore()) {
    }
    if (reader.Pending().starts_with(kByteOrderMark))
        reader.Drop(kByteOrderMark.size());
    return reader.error() == 0;
}

/// Reads the header record at the front of the pending bytes, which may go on
/// past its first line inside quotes, into `text` and `header`.
bool ReadHeaderRecord(RecordReader& reader, char separator, std::string& text, CsvRecord& header,
                      std::string& message)
{
    RecordsScan scan;
    for (bool atEnd = false;;) {
        scan = ScanRecords(reader.Pending(), reader.maxRecordBytes(), atEnd, separator);
        if (scan.length > 0 || scan.tooLong)
            break;
        if (!reader.ReadMore()) {
            if (reader.error() != 0) {
                message = ReadFailure(reader);
                return false;
            }
            atEnd = true;
        }
    }
    if (scan.length == 0) {
        message = "the header is longer than " + std::to_string(reader.maxRecordBytes()) +
                  " bytes, the limit of --max-record-bytes";
        return false;
    }
    text.assign(reader.Pending().substr(0, scan.length));
    const char* next = ParseCsvRecord(text.data(), text.data() + text.size(), header, separator);
    reader.Drop(static_cast<std::size_t>(next - text.data()));
    return true;
}

std::optional<TableStart> ReadCsvStart(RecordReader& reader, HeaderRules rules, std::string& message)
{
    TableStart start;
    for (std::size_t line = 1; line <= rules.skipLines; ++line) {
        const std::optional<std::size_t> lineEnd =
            LineEnd(reader, 0, "line " + std::to_string(line) + ", skipped by --skip-lines,", message);
        if (!lineEnd)
            return std::nullopt;
        if (*lineEnd == reader.Pending().size()) {
            message = "the input ends within the " + std::to_string(rules.skipLines) +
                      " lines --skip-lines skips, before its header";
            return std::nullopt;
        }
        reader.Drop(*lineEnd + 1);
        ++start.nextLine;
    }
    // Blank lines before the header are skipped like blank rows.
    std::optional<std::size_t> lineEnd;
    for (;;) {
        lineEnd = LineEnd(reader, 0, "the header", message);
        if (!lineEnd)
            return std::nullopt;
        const std::string_view pending = reader.Pending();
        if (pending.empty()) {
            message = "the input is empty; it needs a header row naming its columns";
            return std::nullopt;
        }
        if (!Blank(pending.substr(0, *lineEnd)))
            break;
        reader.Drop(std::min(*lineEnd + 1, pending.size()));
        ++start.nextLine;
    }
    rules.separator = DetectSeparator(reader.Pending().substr(0, *lineEnd));
    reader.SetSeparator(rules.separator);
    std::string text;
    CsvRecord header;
    if (!ReadHeaderRecord(reader, rules.separator, text, header, message))
        return std::nullopt;
    start.nextLine += header.lineFeeds;
    std::optional<BatchLayout> layout = MakeBatchLayout(header.fields, rules, message);
    if (!layout)
        return std::nullopt;
    start.layout = std::move(*layout);
    return start;
}

std::optional<TableStart> ReadTmy3Start(RecordReader& reader, const HeaderRules& rules, std::string& message)
{
    const std::optional<std::size_t> lineEnd = LineEnd(reader, 0, "line 1 of the TMY3 file", message);
    if (!lineEnd)
        return std::nullopt;
    std::string_view station = reader.Pending().substr(0, *lineEnd);
    if (station.ends_with('\r'))
        station.remove_suffix(1);
    if (!IsTmy3StationLine(station)) {
        message = reader.Pending().empty()
                      ? "the input is empty; a TMY3 file starts with its station's line"
                      : "this is no TMY3 file: its first line, " + Quoted(station) +
                            ", is not a station's (USAF,Name,State,TZ,latitude,longitude,elevation)";
        return std::nullopt;
    }
    if (*lineEnd == reader.Pending().size()) {
        message = "the TMY3 file ends after its station's line, before its header";
        return std::nullopt;
    }
    reader.Drop(*lineEnd + 1);
    std::string text;
    CsvRecord header;
    if (!ReadHeaderRecord(reader, ',', text, header, message))
        return std::nullopt;
    std::optional<BatchLayout> layout = MakeTmy3Layout(header.fields, rules, message);
    if (!layout)
        return std::nullopt;
    TableStart start;
    start.layout = std::move(*layout);
    start.nextLine = 2 + header.lineFeeds;
    return start;
}

/// Whether the first two lines are a TMY3 file's: a station's line, then a
/// header of date, time ... A second line is waited for only after a first
/// that could be a station's, never after a CSV header.
std::optional<bool> LooksLikeTmy3(RecordReader& reader, std::string& message)
{
    const std::optional<std::size_t> first = LineEnd(reader, 0, "the header", message);
    if (!first)
        return std::nullopt;
    std::string_view line = reader.Pending().substr(0, *first);
    if (line.ends_with('\r'))
        line.remove_suffix(1);
    if (*first == reader.Pending().size() || !IsTmy3StationLine(line))
        return false;
    const std::optional<std::size_t> second = LineEnd(reader, *first + 1, "line 2", message);
    if (!second)
        return std::nullopt;
    return IsTmy3HeaderLine(reader.Pending().substr(*first + 1, *second - *first - 1));
}

std::optional<TableStart> ReadEpwStart(RecordReader& reader, const HeaderRules& rules, std::string& message)
{
    std::optional<BatchLayout> layout = MakeEpwLayout(rules, message);
    if (!layout)
        return std::nullopt;
    TableStart start;
    start.layout = std::move(*layout);
    for (std::size_t line = 1; line <= kEpwHeaderLines; ++line) {
        const std::optional<std::size_t> lineEnd =
            LineEnd(reader, 0, "line " + std::to_string(line) + " of the weather file", message);
        if (!lineEnd)
            return std::nullopt;
        const std::string_view pending = reader.Pending();
        if (line == 1 && !pending.starts_with("LOCATION,")) {
            message = pending.empty() ? "the input is empty; an EnergyPlus weather file starts with LOCATION"
                                      : "this is no EnergyPlus weather file: its first line does not "
                                        "start with LOCATION";
            return std::nullopt;
        }
        if (line == kEpwHeaderLines && !pending.empty() && !pending.starts_with("DATA PERIODS")) {
            std::string_view held = pending.substr(0, *lineEnd);
            if (held.ends_with('\r'))
                held.remove_suffix(1);
            message = "line 8 of the weather file holds " + Quoted(held) +
                      " where the DATA PERIODS line belongs; an EnergyPlus weather file has eight "
                      "header lines, LOCATION to DATA PERIODS";
            return std::nullopt;
        }
        if (*lineEnd == pending.size()) {
            message = "the weather file ends within its " + std::to_string(kEpwHeaderLines) +
                      " header lines";
            return std::nullopt;
        }
        reader.Drop(*lineEnd + 1);
    }
    start.nextLine = kEpwHeaderLines + 1;
    return start;
}

} // namespace

void FreeBytes::operator()(char* bytes) const noexcept { std::free(bytes); }

void InputBlock::Clear() noexcept
{
    handed.reset();
    handedOffset = handedSize = 0;
    records.clear();
    skipped.reset();
}

std::string SkippedStatus(std::size_t line, const SkippedRecord& skipped, std::size_t maxRecordBytes)
{
    std::string status = "line " + std::to_string(line) + ": ";
    if (skipped.noRoom)
        status += "could not be held in memory (no more could be had after its first " +
                  std::to_string(skipped.heldBytes) + " bytes)";
    else
        status += "is longer than " + std::to_string(maxRecordBytes) + " bytes, the limit of --max-record-bytes";
    if (skipped.openQuote)
        status += ", with a quoted field still open";
    const std::size_t last = line + skipped.lineFeeds - (skipped.endsInput ? 0 : 1);
    if (last == line)
        return status + "; skipped";
    return status + "; lines " + std::to_string(line) + " to " + std::to_string(last) + " skipped";
}

RecordReader::RecordReader(int fd, std::size_t maxRecordBytes) : m_fd(fd), m_maxRecordBytes(maxRecordBytes)
{
    struct stat status {};
    m_mayWait = fstat(fd, &status) != 0 || !(S_ISREG(status.st_mode) || S_ISBLK(status.st_mode));
}

bool RecordReader::Next(InputBlock& block, const IdleHandler& idle)
{
    block.Clear();
    for (;;) {
        if (m_noRoom) {
            // The buffer could not grow: the complete records read go on,
            // then the one that did not fit is passed over.
            m_noRoom = false;
            const RecordsScan scan = ScanRecords(Pending(), m_maxRecordBytes, false, m_separator);
            if (scan.length > 0) {
                block.records.assign(m_data.get() + m_start, scan.length);
                Drop(scan.length);
                return true;
            }
            SkippedRecord& skipped = block.skipped.emplace();
            skipped.noRoom = true;
            skipped.heldBytes = m_end - m_start;
            m_want = kBlockBytes;
            return Skip(skipped, skipped.heldBytes, idle);
        }
        const std::size_t pending = m_end - m_start;
        const bool mayWait = MayWait();
        const bool enough = m_atEnd || pending >= m_want;
        if (pending > 0 && (enough || mayWait) && MayHoldRecordEnd()) {
            const RecordsScan scan = ScanRecords(Pending(), m_maxRecordBytes, m_atEnd, m_separator);
            m_scannedBytes = scan.length > 0 ? 0 : pending;
            if (scan.length > 0) {
                if (scan.length >= kHandOverBytes) {
                    HandOver(block, scan.length);
                } else {
                    block.records.assign(m_data.get() + m_start, scan.length);
                    Drop(scan.length);
                }
                m_want = kBlockBytes;
                return true;
            }
            if (scan.tooLong) {
                m_want = kBlockBytes;
                return Skip(block.skipped.emplace(), m_maxRecordBytes, idle);
            }
            if (enough)
                m_want = 2 * pending; // a record longer than a block
        } else if (m_atEnd) {
            return false;
        }
        if (mayWait && !idle())
            return false;
        Read();
    }
}

bool RecordReader::ReadMore()
{
    if (m_atEnd)
        return false;
    const std::size_t before = m_end - m_start;
    Read();
    if (m_noRoom) {
        m_noRoom = false;
        m_error = ENOMEM;
        m_atEnd = true;
    }
    return m_end - m_start > before;
}

/// Whether scanning the pending bytes again may find a record's end: a
/// scan found none in the first m_scannedBytes, and a record ends only at a
/// line feed (or the end of the input, or past the limit). Spares scanning
/// a long record again after each read from a slow pipe.
bool RecordReader::MayHoldRecordEnd() noexcept
{
    const std::size_t pending = m_end - m_start;
    if (m_scannedBytes == 0 || m_atEnd || pending > m_maxRecordBytes)
        return true;
    if (std::memchr(m_data.get() + m_start + m_scannedBytes, '\n', pending - m_scannedBytes) != nullptr)
        return true;
    m_scannedBytes = pending; // no line feed in what was read since: still no record's end
    return false;
}

void RecordReader::Drop(std::size_t size) noexcept
{
    m_scannedBytes = 0;
    m_start += size;
    if (m_start == m_end)
        m_start = m_end = 0;
}

/// Whether the next read may wait: the input is a pipe, a terminal or a
/// socket, and nothing more is ready now. A file never waits.
bool RecordReader::MayWait()
{
    if (!m_mayWait || m_atEnd)
        return false;
    pollfd ready{m_fd, POLLIN, 0};
    return ::poll(&ready, 1, 0) <= 0;
}

/// One read after the pending bytes, moving them to the front and growing
/// the buffer first where the room is short. Where it cannot grow, nothing is
/// read and m_noRoom is set.
void RecordReader::Read()
{
    if (m_capacity - m_end < kReadBytes) {
        const std::size_t pending = m_end - m_start;
        if (pending > 0 && m_start > 0)
            std::memmove(m_data.get(), m_data.get() + m_start, pending);
        m_start = 0;
        m_end = pending;
        if (m_capacity - pending < kReadBytes) {
            const std::size_t capacity = std::max(2 * m_capacity, pending + kReadBytes);
            void* grown = std::realloc(m_data.get(), capacity);
            if (grown == nullptr) {
                m_noRoom = true;
                return;
            }
            (void)m_data.release(); // realloc has taken it
            m_data.reset(static_cast<char*>(grown));
            m_capacity = capacity;
        }
    }
    for (;;) {
        const ssize_t got = ::read(m_fd, m_data.get() + m_end, kReadBytes);
        if (got > 0) {
            m_end += static_cast<std::size_t>(got);
            return;
        }
        if (got == 0) {
            m_atEnd = true;
            return;
        }
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) { // a non-blocking descriptor
            pollfd ready{m_fd, POLLIN, 0};
            ::poll(&ready, 1, -1);
            continue;
        }
        m_error = errno;
        m_atEnd = true;
        return;
    }
}

/// Hands on the first `size` pending bytes in the buffer itself, and takes a
/// new buffer for the bytes after them.
void RecordReader::HandOver(InputBlock& block, std::size_t size)
{
    const std::size_t rest = m_end - m_start - size;
    const std::size_t capacity = rest + kReadBytes;
    HeldBytes data(static_cast<char*>(std::malloc(capacity)));
    if (!data)
        throw std::bad_alloc();
    if (rest > 0)
        std::memcpy(data.get(), m_data.get() + m_start + size, rest);
    m_scannedBytes = 0;
    block.handed = std::move(m_data);
    block.handedOffset = m_start;
    block.handedSize = size;
    m_data = std::move(data);
    m_capacity = capacity;
    m_start = 0;
    m_end = rest;
}

/// Passes over the record at the front, of which the first `held` bytes
/// are read (longer than the limit, or more than memory could be had for):
/// reading goes on after the first line feed beyond them, wherever quotes
/// stand. Only what is read is held.
bool RecordReader::Skip(SkippedRecord& skipped, std::size_t held, const IdleHandler& idle)
{
    const std::string_view record = Pending().substr(0, held);
    skipped.openQuote = InsideQuotes(Pending(), held, m_separator);
    skipped.lineFeeds = static_cast<std::size_t>(std::count(record.begin(), record.end(), '\n'));
    Drop(record.size());
    for (;;) {
        const std::string_view rest = Pending();
        if (const void* lineFeed = std::memchr(rest.data(), '\n', rest.size())) {
            ++skipped.lineFeeds;
            Drop(static_cast<std::size_t>(static_cast<const char*>(lineFeed) - rest.data()) + 1);
            return true;
        }
        Drop(rest.size());
        if (m_capacity > 2 * kHandOverBytes) {
            // What held the long record is not needed to pass over the rest.
            m_data.reset();
            m_capacity = 0;
        }
        if (m_atEnd) {
            skipped.endsInput = true;
            return true;
        }
        if (MayWait() && !idle())
            return false;
        Read();
        if (m_noRoom) { // not even a read's worth of memory: the input cannot go on
            m_noRoom = false;
            m_error = ENOMEM;
            m_atEnd = true;
        }
    }
}

std::optional<InputKind> ReadInputKind(const Options& options, std::string_view path,
                                       std::string& message)
{
    if (const std::optional<std::string_view> text = options.Value("--input")) {
        static constexpr std::array<std::string_view, 3> kKinds{"csv", "epw", "tmy3"};
        static constexpr std::array<InputKind, 3> kInputs{InputKind::Csv, InputKind::Epw, InputKind::Tmy3};
        const std::optional<std::size_t> choice = ReadChoice("--input", *text, kKinds, message);
        if (!choice)
            return std::nullopt;
        return kInputs[*choice];
    }
    constexpr std::string_view kExtension = ".epw";
    if (path.size() > kExtension.size()) {
        const std::string_view end = path.substr(path.size() - kExtension.size());
        const bool epw = std::equal(end.begin(), end.end(), kExtension.begin(), [](char a, char b) {
            return (a >= 'A' && a <= 'Z' ? static_cast<char>(a - 'A' + 'a') : a) == b;
        });
        if (epw)
            return InputKind::Epw;
    }
    return InputKind::CsvOrTmy3;
}

std::optional<TableStart> ReadTableStart(RecordReader& reader, InputKind kind, HeaderRules rules,
                                         std::string& message)
{
    if (!SkipByteOrderMark(reader)) {
        message = ReadFailure(reader);
        return std::nullopt;
    }
    const bool detected = kind == InputKind::CsvOrTmy3;
    if (detected) {
        const std::optional<bool> tmy3 = LooksLikeTmy3(reader, message);
        if (!tmy3)
            return std::nullopt;
        kind = *tmy3 ? InputKind::Tmy3 : InputKind::Csv;
    }
    if (kind != InputKind::Csv) {
        const std::string_view file = kind == InputKind::Epw ? "an EnergyPlus weather file" : "a TMY3 file";
        const std::string_view asCsv = detected ? " (--input csv reads it as one)" : "";
        if (rules.skipLines > 0) {
            message = "--skip-lines is for CSV tables, and this is " + std::string(file) + std::string(asCsv);
            return std::nullopt;
        }
        if (!rules.mappings.empty()) {
            message = "--column is for CSV tables, and this is " + std::string(file) + std::string(asCsv);
            return std::nullopt;
        }
    } else if (!rules.keep.empty()) {
        message = "--keep is for EnergyPlus weather and TMY3 files; a CSV table passes its other columns "
                  "through as they are";
        return std::nullopt;
    }
    std::optional<TableStart> start = kind == InputKind::Epw    ? ReadEpwStart(reader, rules, message)
                                      : kind == InputKind::Tmy3 ? ReadTmy3Start(reader, rules, message)
                                                                : ReadCsvStart(reader, rules, message);
    if (start) {
        start->kind = kind;
        SetOutputColumns(start->layout, rules);
    }
    return start;
}

bool ReadHeaderOptions(const Options& options, HeaderRules& rules, std::string& message)
{
    if (!ReadGiven(options, rules.given, message))
        return false;
    rules.pressureUnit = options.Value("--pressure-unit");
    for (std::string_view text : options.Values("--column")) {
        const std::size_t equals = text.find('=');
        const std::string_view role = text.substr(0, std::min(equals, text.size()));
        const std::span<const std::string_view> roles = ColumnRoles();
        if (equals == std::string_view::npos || std::find(roles.begin(), roles.end(), role) == roles.end()) {
            std::string list;
            for (std::string_view known : roles)
                list += (list.empty() ? "" : ", ") + std::string(known);
            message = "--column takes ROLE=HEADER, ROLE one of " + list + ", not " + Quoted(text);
            return false;
        }
        const std::string_view header = text.substr(equals + 1);
        if (Trim(header).empty()) {
            message = "--column " + std::string(role) + "= needs the header name of a column";
            return false;
        }
        for (const ColumnMapping& earlier : rules.mappings) {
            if (earlier.role == role) {
                message = "--column gives " + std::string(role) + " twice";
                return false;
            }
        }
        rules.mappings.push_back({role, header});
    }
    if (const std::optional<std::string_view> lines = options.Value("--skip-lines")) {
        std::size_t count = 0;
        const auto [ptr, ec] = std::from_chars(lines->data(), lines->data() + lines->size(), count);
        if (ec != std::errc() || ptr != lines->data() + lines->size() || count > kMaxSkipLines) {
            message = "--skip-lines is a whole number from 0 to " + std::to_string(kMaxSkipLines) + ", not " +
                      Quoted(*lines);
            return false;
        }
        rules.skipLines = count;
    }
    return true;
}

bool BlockSource::Fill(InputBlock& block, const IdleHandler& idle)
{
    if (!m_reader.Next(block, idle))
        return false;
    block.firstLine = m_line;
    const char* const records = block.data();
    m_line += block.skipped ? block.skipped->lineFeeds
                            : static_cast<std::size_t>(std::count(records, records + block.size(), '\n'));
    return true;
}

} // namespace humitrax::cli
