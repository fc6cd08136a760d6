#include "csv.h"

#include <array>
#include <charconv>
#include <cstring>

namespace humitrax::cli {
namespace {

/// A field ends at a comma, a line feed or the end; a carriage return just
/// before the line feed (or the end) belongs to the record's terminator.
char* StripCarriageReturn(char* fieldStart, char* fieldEnd, char* pos, char* end) noexcept
{
    if (fieldEnd > fieldStart && fieldEnd[-1] == '\r' && (pos == end || *pos == '\n'))
        return fieldEnd - 1;
    return fieldEnd;
}

} // namespace

char* ParseCsvRecord(char* pos, char* end, CsvRecord& record)
{
    record.fields.clear();
    record.lineFeeds = 0;
    record.textAfterQuote = false;
    record.unterminated = false;
    record.firstQuoted = pos < end && *pos == '"';
    for (;;) {
        char* start = pos;
        char* fieldEnd = pos;
        if (pos < end && *pos == '"') {
            ++pos;
            start = pos;
            char* write = pos;
            bool closed = false;
            while (pos < end) {
                const char c = *pos;
                if (c == '"') {
                    if (pos + 1 < end && pos[1] == '"') {
                        *write++ = '"';
                        pos += 2;
                        continue;
                    }
                    ++pos;
                    closed = true;
                    break;
                }
                if (c == '\n')
                    ++record.lineFeeds;
                *write++ = c;
                ++pos;
            }
            if (!closed) {
                record.unterminated = true;
                record.fields.emplace_back(start, static_cast<std::size_t>(write - start));
                return end;
            }
            // Anything up to the separator is kept, but flagged; a CR before
            // the line feed is the terminator's.
            char* tail = pos;
            while (pos < end && *pos != ',' && *pos != '\n')
                ++pos;
            char* tailEnd = StripCarriageReturn(tail, pos, pos, end);
            if (tailEnd != tail) {
                record.textAfterQuote = true;
                std::memmove(write, tail, static_cast<std::size_t>(tailEnd - tail));
                write += tailEnd - tail;
            }
            fieldEnd = write;
        } else {
            while (pos < end && *pos != ',' && *pos != '\n')
                ++pos;
            fieldEnd = StripCarriageReturn(start, pos, pos, end);
        }
        record.fields.emplace_back(start, static_cast<std::size_t>(fieldEnd - start));
        if (pos == end)
            return end;
        if (*pos == '\n') {
            ++record.lineFeeds;
            return pos + 1;
        }
        ++pos; // the comma: another field follows, empty if the record ends here
    }
}

std::size_t CompleteRecordsLength(std::string_view data) noexcept
{
    if (data.empty())
        return 0;
    if (std::memchr(data.data(), '"', data.size()) == nullptr) {
        const std::size_t lastLineFeed = data.rfind('\n');
        return lastLineFeed == std::string_view::npos ? 0 : lastLineFeed + 1;
    }
    // The states of ParseCsvRecord, byte by byte.
    enum class State { FieldStart, Unquoted, Quoted, QuoteInQuoted };
    State state = State::FieldStart;
    std::size_t complete = 0;
    for (std::size_t i = 0; i < data.size(); ++i) {
        const char c = data[i];
        switch (state) {
        case State::FieldStart:
        case State::Unquoted:
            if (c == '\n') {
                complete = i + 1;
                state = State::FieldStart;
            } else if (c == ',') {
                state = State::FieldStart;
            } else if (c == '"' && state == State::FieldStart) {
                state = State::Quoted;
            } else {
                state = State::Unquoted;
            }
            break;
        case State::Quoted:
            if (c == '"')
                state = State::QuoteInQuoted;
            break;
        case State::QuoteInQuoted:
            if (c == '"') {
                state = State::Quoted; // a doubled quote
            } else if (c == '\n') {
                complete = i + 1;
                state = State::FieldStart;
            } else if (c == ',') {
                state = State::FieldStart;
            } else {
                state = State::Unquoted; // text after the closing quote
            }
            break;
        }
    }
    return complete;
}

void AppendCsvField(std::string& out, std::string_view field)
{
    if (field.find_first_of(",\"\r\n") == std::string_view::npos) {
        out.append(field);
        return;
    }
    out.push_back('"');
    for (char c : field) {
        if (c == '"')
            out.push_back('"');
        out.push_back(c);
    }
    out.push_back('"');
}

void AppendJsonString(std::string& out, std::string_view text)
{
    static constexpr char kHex[] = "0123456789abcdef";
    out.push_back('"');
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '"': out.append("\\\""); break;
        case '\\': out.append("\\\\"); break;
        case '\b': out.append("\\b"); break;
        case '\f': out.append("\\f"); break;
        case '\n': out.append("\\n"); break;
        case '\r': out.append("\\r"); break;
        case '\t': out.append("\\t"); break;
        default:
            if (byte < 0x20) {
                out.append("\\u00");
                out.push_back(kHex[byte >> 4]);
                out.push_back(kHex[byte & 0xF]);
            } else {
                out.push_back(c);
            }
        }
    }
    out.push_back('"');
}

void AppendNumber(std::string& out, double value)
{
    std::array<char, 32> buffer{};
    const auto [ptr, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    (void)ec; // 32 characters hold every double
    out.append(buffer.data(), ptr);
}

} // namespace humitrax::cli
