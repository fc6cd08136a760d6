// File: csv.h
// Comma-separated values as RFC 4180 writes them, read and written without
// per-field allocations: a quoted field may hold commas, doubled quotes and
// line breaks; records end with LF or CRLF. Also JSON strings and the
// shortest text of a number, for the JSON-lines output.
#pragma once

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

    /// An empty line: one unquoted empty field.
    [[nodiscard]] bool blank() const noexcept
    {
        return fields.size() == 1 && fields.front().empty() && !firstQuoted;
    }
};

/// Parses the record that starts at `pos`, no further than `end`, and returns
/// where the next record starts. Quoted fields are unescaped in place, so the
/// buffer is changed and `record.fields` point into it. A quote inside an
/// unquoted field is an ordinary character; characters after a closing quote
/// are kept and flagged.
char* ParseCsvRecord(char* pos, char* end, CsvRecord& record);

/// The length of the complete records at the start of `data`: the offset just
/// after the last line feed that ends a record (one outside quotes), by the
/// rules of ParseCsvRecord; 0 when no record is complete.
std::size_t CompleteRecordsLength(std::string_view data) noexcept;

/// Appends a field, quoted when it holds a comma, a quote or a line break.
void AppendCsvField(std::string& out, std::string_view field);

/// Appends text as a JSON string, quotes included, escaping quotes,
/// backslashes and control characters. Other bytes pass unchanged.
void AppendJsonString(std::string& out, std::string_view text);

/// Appends the shortest text that reads back as the same double ("0.1",
/// "1e-05"); a valid JSON number for every finite value.
void AppendNumber(std::string& out, double value);

} // namespace humitrax::cli
