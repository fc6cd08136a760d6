// File: csv.h
// Comma-separated values as RFC 4180 writes them, read and written without
// per-field allocations: a quoted field may hold commas, doubled quotes and
// line breaks; records end with LF or CRLF. Also JSON strings and the
// shortest text of a number, for the JSON-lines output.
#pragma once

#include "kit/echo.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace humitrax::cli {

/// One record as ParseCsvRecord leaves it.
struct CsvRecord {
    std::vector<std::string_view> fields; ///< into the parsed buffer
    std::size_t lineFeeds = 0;  ///< line feeds consumed, inside quotes and the terminator
    bool textAfterQuote = false; ///< characters between a closing quote and the next separator
    bool unterminated = false;   ///< the input ended inside a quoted field
    bool firstQuoted = false;    ///< the first field was quoted

    /// An empty line, or one of spaces and tabs only: one unquoted field of blanks.
    [[nodiscard]] bool blank() const noexcept
    {
        if (fields.size() != 1 || firstQuoted)
            return false;
        for (char c : fields.front()) {
            if (c != ' ' && c != '\t')
                return false;
        }
        return true;
    }
};

/// Parses the record that starts at `pos`, no further than `end`, and returns
/// where the next record starts. Quoted fields are unescaped in place, so the
/// buffer is changed and `record.fields` point into it. A quote inside an
/// unquoted field is an ordinary character; characters after a closing quote
/// are kept and flagged. Fields are separated by `separator` (',' or ';').
/// Only the first `keptFields` fields are kept in `record.fields`; the others
/// are read past (a record of millions of separators then holds no more).
char* ParseCsvRecord(char* pos, char* end, CsvRecord& record, char separator = ',',
                     std::size_t keptFields = static_cast<std::size_t>(-1));

/// Parses the records from `pos` to `end` one by one into `record` and calls
/// `row(line)` for each that is not blank, `line` being the line it starts
/// on, counted from `firstLine`; each keeps at most `keptFields` fields.
template <class Row>
void ForEachCsvRow(char* pos, char* end, std::size_t firstLine, CsvRecord& record, char separator,
                   std::size_t keptFields, Row&& row)
{
    std::size_t line = firstLine;
    while (pos < end) {
        const std::size_t recordLine = line;
        pos = ParseCsvRecord(pos, end, record, separator, keptFields);
        line += record.lineFeeds;
        if (!record.blank())
            row(recordLine);
    }
}

/// How much of a buffer holds whole records, none longer than a limit.
struct RecordsScan {
    /// The complete records at the start: the offset just after the last one's
    /// line feed (one outside quotes); 0 when none is complete.
    std::size_t length = 0;
    /// The record at `length` has more bytes than the limit (complete or not).
    bool tooLong = false;
};

/// Scans the records at the start of `data` by the rules of ParseCsvRecord,
/// up to the first one with more than `maxRecordBytes` bytes before its line
/// feed. With `atEnd` the input ends with `data`, and its last record needs no
/// line feed.
RecordsScan ScanRecords(std::string_view data, std::size_t maxRecordBytes, bool atEnd,
                        char separator = ',') noexcept;

/// Whether the byte at `offset` of a record (starting at `record`'s front)
/// lies inside a quoted field.
bool InsideQuotes(std::string_view record, std::size_t offset, char separator = ',') noexcept;

/// The separator of a file whose first line is `header`: ';' when the line
/// holds no comma and at least one semicolon (as spreadsheets write CSV where
/// the decimal mark is a comma), else ','.
char DetectSeparator(std::string_view header) noexcept;

/// Writers into a buffer the caller has made large enough: they return the
/// end of what they wrote.

/// The longest text WriteNumber writes ("-2.2250738585072014e-308").
inline constexpr std::size_t kMaxNumberLength = 24;
/// A JSON string holds at most this many characters per byte ("\u001f").
inline constexpr std::size_t kMaxJsonExpansion = 6;

/// U+FFFD, the replacement character, in UTF-8.
inline constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";

/// `text` with each byte that is not part of a well-formed UTF-8 sequence
/// replaced by U+FFFD.
std::string ValidUtf8(std::string_view text);

/// A field, quoted when it holds a comma, a quote or a line break; at most
/// 2 × size + 2 characters.
char* WriteCsvField(char* out, std::string_view field) noexcept;
/// The characters WriteCsvField writes for `field`, exactly.
std::size_t CsvFieldLength(std::string_view field) noexcept;

/// Text as a JSON string, quotes included, escaping quotes, backslashes and
/// control characters, and always valid UTF-8: each byte that is not part of a
/// well-formed sequence becomes U+FFFD; other bytes pass unchanged. At most
/// kMaxJsonExpansion × size + 2 characters.
char* WriteJsonString(char* out, std::string_view text) noexcept;
/// The characters WriteJsonString writes for `text`, exactly.
std::size_t JsonStringLength(std::string_view text) noexcept;

/// The shortest text that reads back as the same double ("0.1", "1e-05"),
/// as std::to_chars writes it; a valid JSON number for every finite value.
char* WriteNumber(char* out, double value) noexcept;

/// The most significant digits WriteSignificant writes: 17 tell every double
/// apart.
inline constexpr int kMaxSignificantDigits = 17;

/// `value` rounded to `digits` significant digits (1 to 17), as printf's
/// "%.*g" writes it: fixed unless the exponent is below -4 or at least
/// `digits`, trailing zeros dropped ("0.00988", "1.2e-05", "1.23e+03"); a
/// valid JSON number for every finite value. At most kMaxNumberLength
/// characters.
char* WriteSignificant(char* out, double value, int digits) noexcept;

/// A number read from a plain decimal, with its shortest text.
struct PlainDecimal {
    double value = 0.0;
    std::string_view shortest; ///< what WriteNumber writes for value: the text read, or `buffer`
    std::array<char, 32> buffer;
};

/// Reads a plain decimal ([+-]digits[.digits], no exponent, "25.30",
/// "-.5") of at most 15 significant digits and 22 decimals, to the double
/// from_chars gives, but quicker, and its shortest text without converting
/// back ("25.3", "-0.5"): such a decimal round-trips through a double, so its
/// digits, zeros trimmed, are the shortest. False for any other text (read
/// those with ParseDouble).
bool ReadPlainDecimal(std::string_view text, PlainDecimal& decimal) noexcept;

/// The writers above, appending to a string.
void AppendCsvField(std::string& out, std::string_view field);
void AppendJsonString(std::string& out, std::string_view text);
void AppendNumber(std::string& out, double value);

} // namespace humitrax::cli
