// The command line's CSV reader on arbitrary bytes, against a plain reference
// parser written from the rules alone: the same fields, flags and line feeds
// record by record, with ',' or ';' as the separator; ScanRecords ends its
// complete records where the reference's records end; a field written by
// WriteCsvField reads back as itself; ReadPlainDecimal agrees with
// std::from_chars on every text it accepts; WriteNumber writes any double as
// std::to_chars does.
#include "table/csv.h"
#include "fuzz_input.h"

#include <charconv>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace humitrax::fuzz {
namespace {

struct ReferenceRecord {
    std::vector<std::string> fields;
    std::size_t lineFeeds = 0;
    bool textAfterQuote = false;
    bool unterminated = false;
    std::size_t end = 0; ///< where the next record starts
};

/// One record from `at`: a field in quotes holds anything, a doubled quote
/// standing for one, and anything after its closing quote up to the
/// separator is kept and flagged; an unquoted field runs to the separator or
/// the line feed; a carriage return just before the line feed (or the end)
/// is the terminator's.
ReferenceRecord ParseReference(std::string_view in, std::size_t at, char separator)
{
    ReferenceRecord record;
    const auto terminatorCr = [&](std::size_t i) {
        return in[i] == '\r' && (i + 1 == in.size() || in[i + 1] == '\n');
    };
    for (;;) {
        std::string field;
        if (at < in.size() && in[at] == '"') {
            ++at;
            bool closed = false;
            while (at < in.size()) {
                if (in[at] == '"') {
                    if (at + 1 < in.size() && in[at + 1] == '"') {
                        field += '"';
                        at += 2;
                        continue;
                    }
                    ++at;
                    closed = true;
                    break;
                }
                record.lineFeeds += in[at] == '\n' ? 1U : 0U;
                field += in[at++];
            }
            if (!closed) {
                record.unterminated = true;
                record.fields.push_back(field);
                record.end = in.size();
                return record;
            }
            while (at < in.size() && in[at] != separator && in[at] != '\n') {
                if (!terminatorCr(at)) {
                    field += in[at];
                    record.textAfterQuote = true;
                }
                ++at;
            }
        } else {
            while (at < in.size() && in[at] != separator && in[at] != '\n') {
                if (!terminatorCr(at))
                    field += in[at];
                ++at;
            }
        }
        record.fields.push_back(field);
        if (at == in.size()) {
            record.end = at;
            return record;
        }
        if (in[at] == '\n') {
            ++record.lineFeeds;
            record.end = at + 1;
            return record;
        }
        ++at; // the separator
    }
}

void CheckRecords(std::string_view input, char separator)
{
    std::string buffer(input);
    char* pos = buffer.data();
    char* const end = buffer.data() + buffer.size();
    std::size_t at = 0;
    std::size_t lastWhole = 0; // just after the last record ended by a line feed
    cli::CsvRecord record;
    while (at < input.size()) {
        const ReferenceRecord expected = ParseReference(input, at, separator);
        pos = cli::ParseCsvRecord(pos, end, record, separator);
        Require(static_cast<std::size_t>(pos - buffer.data()) == expected.end, "record end");
        Require(record.fields.size() == expected.fields.size(), "field count");
        for (std::size_t i = 0; i < record.fields.size(); ++i)
            Require(record.fields[i] == expected.fields[i], "field", expected.fields[i]);
        Require(record.lineFeeds == expected.lineFeeds, "line feeds");
        Require(record.unterminated == expected.unterminated, "unterminated flag");
        Require(record.textAfterQuote == expected.textAfterQuote, "text-after-quote flag");
        if (!expected.unterminated && expected.end > 0 && input[expected.end - 1] == '\n')
            lastWhole = expected.end;
        at = expected.end;
    }
    const cli::RecordsScan scan = cli::ScanRecords(input, input.size() + 1, false, separator);
    Require(scan.length == lastWhole, "complete records' length");
    Require(!scan.tooLong, "a record over a limit larger than the input");
}

void CheckFieldRoundTrip(std::string_view field)
{
    std::string written(2 * field.size() + 3, '\0');
    char* out = cli::WriteCsvField(written.data(), field);
    *out++ = '\n';
    written.resize(static_cast<std::size_t>(out - written.data()));
    cli::CsvRecord record;
    cli::ParseCsvRecord(written.data(), written.data() + written.size(), record);
    // A field that is only a carriage return, or ends in one, would lose it
    // to the terminator unless quoted: the writer must see to that.
    Require(record.fields.size() == 1 && record.fields.front() == field, "written field reads back");
}

void CheckDecimal(std::string_view text)
{
    cli::PlainDecimal decimal;
    if (!cli::ReadPlainDecimal(text, decimal))
        return;
    std::string_view digits = text;
    if (!digits.empty() && digits.front() == '+')
        digits.remove_prefix(1);
    double expected = 0.0;
    const auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), expected,
                                           std::chars_format::fixed);
    Require(ec == std::errc() && ptr == digits.data() + digits.size(), "accepted text from_chars refuses",
            text);
    Require(decimal.value == expected, "value differs from from_chars", text);
    char shortest[32];
    const auto written = std::to_chars(shortest, shortest + sizeof shortest, expected);
    Require(decimal.shortest == std::string_view(shortest, static_cast<std::size_t>(written.ptr - shortest)),
            "shortest text", text);
}

/// The input's first eight bytes as a double (any bits: NaNs, infinities,
/// subnormals), written both ways.
void CheckNumber(std::string_view bytes)
{
    if (bytes.size() < sizeof(double))
        return;
    double value = 0.0;
    std::memcpy(&value, bytes.data(), sizeof value);
    char expected[32];
    const std::string_view expectedText(
        expected, static_cast<std::size_t>(std::to_chars(expected, expected + sizeof expected, value).ptr - expected));
    char written[cli::kMaxNumberLength];
    const std::string_view writtenText(written, static_cast<std::size_t>(cli::WriteNumber(written, value) - written));
    Require(writtenText == expectedText, "number text differs from to_chars", expectedText);
}

} // namespace
} // namespace humitrax::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace humitrax::fuzz;
    if (size == 0)
        return 0;
    const char separator = (data[0] & 1U) != 0 ? ';' : ',';
    const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
    CheckRecords(input, separator);
    CheckFieldRoundTrip(input.substr(0, 64));
    CheckDecimal(input.substr(0, input.find('\n')));
    CheckNumber(input);
    return 0;
}
