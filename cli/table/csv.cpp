#include "table/csv.h"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
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

char* ParseCsvRecord(char* pos, char* end, CsvRecord& record, char separator, std::size_t keptFields)
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
                if (record.fields.size() < keptFields)
                    record.fields.emplace_back(start, static_cast<std::size_t>(write - start));
                return end;
            }
            // Anything up to the separator is kept, but flagged; a CR before
            // the line feed is the terminator's.
            char* tail = pos;
            while (pos < end && *pos != separator && *pos != '\n')
                ++pos;
            char* tailEnd = StripCarriageReturn(tail, pos, pos, end);
            if (tailEnd != tail) {
                record.textAfterQuote = true;
                std::memmove(write, tail, static_cast<std::size_t>(tailEnd - tail));
                write += tailEnd - tail;
            }
            fieldEnd = write;
        } else {
            while (pos < end && *pos != separator && *pos != '\n')
                ++pos;
            fieldEnd = StripCarriageReturn(start, pos, pos, end);
        }
        if (record.fields.size() < keptFields)
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

namespace {

/// The states of ParseCsvRecord, byte by byte.
enum class ScanState : std::uint8_t { FieldStart, Unquoted, Quoted, QuoteInQuoted };

/// The state after `c`; true in `recordEnd` when `c` is the line feed that
/// ends a record.
ScanState Step(ScanState state, char c, char separator, bool& recordEnd) noexcept
{
    recordEnd = false;
    switch (state) {
    case ScanState::FieldStart:
    case ScanState::Unquoted:
        if (c == '\n') {
            recordEnd = true;
            return ScanState::FieldStart;
        }
        if (c == separator)
            return ScanState::FieldStart;
        if (c == '"' && state == ScanState::FieldStart)
            return ScanState::Quoted;
        return ScanState::Unquoted;
    case ScanState::Quoted:
        return c == '"' ? ScanState::QuoteInQuoted : ScanState::Quoted;
    case ScanState::QuoteInQuoted:
        if (c == '"')
            return ScanState::Quoted; // a doubled quote
        if (c == '\n') {
            recordEnd = true;
            return ScanState::FieldStart;
        }
        if (c == separator)
            return ScanState::FieldStart;
        return ScanState::Unquoted; // text after the closing quote
    }
    return state;
}

} // namespace

RecordsScan ScanRecords(std::string_view data, std::size_t maxRecordBytes, bool atEnd,
                        char separator) noexcept
{
    RecordsScan scan;
    const std::size_t size = data.size();
    std::size_t start = 0; // of the record being scanned
    if (std::memchr(data.data(), '"', size) == nullptr) {
        // Records are lines: look for each line feed no further than the
        // limit allows.
        for (;;) {
            const std::size_t window = std::min(size - start, maxRecordBytes + 1);
            const void* lineFeed = std::memchr(data.data() + start, '\n', window);
            if (lineFeed == nullptr)
                break;
            start = static_cast<std::size_t>(static_cast<const char*>(lineFeed) - data.data()) + 1;
        }
    } else {
        ScanState state = ScanState::FieldStart;
        for (std::size_t i = 0; i < size; ++i) {
            if (i - start > maxRecordBytes)
                break;
            bool recordEnd = false;
            state = Step(state, data[i], separator, recordEnd);
            if (recordEnd)
                start = i + 1;
        }
    }
    scan.length = start;
    if (size - start > maxRecordBytes)
        scan.tooLong = true;
    else if (atEnd)
        scan.length = size;
    return scan;
}

bool InsideQuotes(std::string_view record, std::size_t offset, char separator) noexcept
{
    ScanState state = ScanState::FieldStart;
    bool recordEnd = false;
    for (std::size_t i = 0; i < offset && i < record.size(); ++i)
        state = Step(state, record[i], separator, recordEnd);
    return state == ScanState::Quoted;
}

char DetectSeparator(std::string_view header) noexcept
{
    const std::string_view line = header.substr(0, header.find('\n'));
    if (line.find(',') == std::string_view::npos && line.find(';') != std::string_view::npos)
        return ';';
    return ',';
}

namespace {

char* Copy(char* out, std::string_view text) noexcept
{
    std::memcpy(out, text.data(), text.size());
    return out + text.size();
}

bool IsDigit(char c) noexcept { return c >= '0' && c <= '9'; }

/// Every such decimal survives a round trip through a double (DBL_DIG).
constexpr std::size_t kMaxDigits = 15;
/// 10^22 is the largest power of ten a double holds exactly.
constexpr std::size_t kMaxFraction = 22;

constexpr std::array<double, kMaxFraction + 1> kPowersOfTen = {
    1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
    1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22,
};

/// The length of d.ddde±XX with `count` digits.
constexpr std::size_t ScientificLength(std::size_t count) noexcept
{
    return count + (count > 1 ? 1 : 0) + 4;
}

constexpr std::array<std::uint64_t, 18> kWholePowersOfTen = {
    1ULL, 10ULL, 100ULL, 1'000ULL, 10'000ULL, 100'000ULL, 1'000'000ULL, 10'000'000ULL,
    100'000'000ULL, 1'000'000'000ULL, 10'000'000'000ULL, 100'000'000'000ULL,
    1'000'000'000'000ULL, 10'000'000'000'000ULL, 100'000'000'000'000ULL,
    1'000'000'000'000'000ULL, 10'000'000'000'000'000ULL, 100'000'000'000'000'000ULL};

constexpr char kDigitPairs[] = "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
                               "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
                               "8081828384858687888990919293949596979899";

/// How many decimal digits `value` has (1 to 17: a double's shortest digits).
std::size_t DigitCount(std::uint64_t value) noexcept
{
    // log10(2) ≈ 1233 / 4096 gives the count or one less.
    const auto guess = static_cast<std::size_t>((std::bit_width(value) * 1233) >> 12);
    return guess + (value >= kWholePowersOfTen[guess] ? 1 : 0);
}

void WritePair(char* out, std::uint32_t pair) noexcept
{
    std::memcpy(out, kDigitPairs + 2 * pair, 2);
}

/// The digits of `value`, ending just before `end`.
void WriteDigits(char* end, std::uint64_t value) noexcept
{
    while (value >= 100'000'000) {
        // Eight at a time, their four pairs independent of each other.
        const auto low = static_cast<std::uint32_t>(value % 100'000'000);
        value /= 100'000'000;
        end -= 8;
        WritePair(end, low / 1'000'000);
        WritePair(end + 2, low / 10'000 % 100);
        WritePair(end + 4, low / 100 % 100);
        WritePair(end + 6, low % 100);
    }
    auto rest = static_cast<std::uint32_t>(value);
    while (rest >= 100) {
        end -= 2;
        WritePair(end, rest % 100);
        rest /= 100;
    }
    if (rest >= 10)
        WritePair(end - 2, rest);
    else
        end[-1] = static_cast<char>('0' + rest);
}

/// d.ddde±XX, the digits given without their point.
char* WriteScientific(char* out, std::string_view significant, char sign, std::size_t magnitude) noexcept
{
    *out++ = significant.front();
    if (significant.size() > 1) {
        *out++ = '.';
        out = Copy(out, significant.substr(1));
    }
    *out++ = 'e';
    *out++ = sign;
    *out++ = static_cast<char>('0' + magnitude / 10);
    *out++ = static_cast<char>('0' + magnitude % 10);
    return out;
}

} // namespace

char* WriteCsvField(char* out, std::string_view field) noexcept
{
    bool plain = true;
    for (char c : field) {
        if (c == ',' || c == '"' || c == '\r' || c == '\n') {
            plain = false;
            break;
        }
    }
    if (plain)
        return Copy(out, field);
    *out++ = '"';
    for (char c : field) {
        if (c == '"')
            *out++ = '"';
        *out++ = c;
    }
    *out++ = '"';
    return out;
}

std::size_t CsvFieldLength(std::string_view field) noexcept
{
    std::size_t quotes = 0;
    bool plain = true;
    for (char c : field) {
        quotes += c == '"' ? 1 : 0;
        plain = plain && c != ',' && c != '"' && c != '\r' && c != '\n';
    }
    return plain ? field.size() : field.size() + quotes + 2;
}

std::string ValidUtf8(std::string_view text)
{
    std::string valid;
    valid.reserve(text.size());
    while (!text.empty()) {
        const std::size_t length = Utf8SequenceLength(text);
        if (length == 0) {
            valid.append(kReplacementCharacter);
            text.remove_prefix(1);
        } else {
            valid.append(text.substr(0, length));
            text.remove_prefix(length);
        }
    }
    return valid;
}

char* WriteJsonString(char* out, std::string_view text) noexcept
{
    static constexpr char kHex[] = "0123456789abcdef";
    *out++ = '"';
    std::size_t plainStart = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80) {
            const std::size_t length = Utf8SequenceLength(text.substr(i));
            if (length > 0) {
                i += length - 1;
                continue;
            }
            out = Copy(out, text.substr(plainStart, i - plainStart));
            out = Copy(out, kReplacementCharacter);
            plainStart = i + 1;
            continue;
        }
        if (byte >= 0x20 && c != '"' && c != '\\')
            continue;
        out = Copy(out, text.substr(plainStart, i - plainStart));
        plainStart = i + 1;
        *out++ = '\\';
        switch (c) {
        case '"': *out++ = '"'; break;
        case '\\': *out++ = '\\'; break;
        case '\b': *out++ = 'b'; break;
        case '\f': *out++ = 'f'; break;
        case '\n': *out++ = 'n'; break;
        case '\r': *out++ = 'r'; break;
        case '\t': *out++ = 't'; break;
        default:
            out = Copy(out, "u00");
            *out++ = kHex[byte >> 4];
            *out++ = kHex[byte & 0xF];
        }
    }
    out = Copy(out, text.substr(plainStart));
    *out++ = '"';
    return out;
}

std::size_t JsonStringLength(std::string_view text) noexcept
{
    std::size_t length = 2; // the quotes
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80) {
            const std::size_t sequence = Utf8SequenceLength(text.substr(i));
            length += sequence > 0 ? sequence : kReplacementCharacter.size();
            i += sequence > 0 ? sequence - 1 : 0;
        } else if (byte >= 0x20 && c != '"' && c != '\\') {
            ++length;
        } else {
            const bool shortEscape = c == '"' || c == '\\' || c == '\b' || c == '\f' || c == '\n' ||
                                     c == '\r' || c == '\t';
            length += shortEscape ? 2 : 6;
        }
    }
    return length;
}

// WriteNumber finds the same digits as to_chars (the shortest that read back
// as the same double, the nearest of them to it) with fmt's Dragonbox, in
// about half the time libstdc++'s Ryu takes, and batch writes a dozen numbers
// a row; the layout (fixed unless scientific is shorter, a tie going to fixed)
// is to_chars's. Whole numbers with trailing zeros and exponents far from 1
// are left to to_chars: it writes the former's exact value rather than its
// shortest digits, and neither occurs in a psychrometric state.
// dragonbox::to_decimal is in fmt's detail namespace, not its stable API: a
// newer fmt may move it, and the table and the random doubles against
// to_chars in the CSV tests are what would show a change in its digits.
char* WriteNumber(char* out, double value) noexcept
{
    if (!std::isfinite(value) || value == 0.0)
        return std::to_chars(out, out + kMaxNumberLength, value).ptr;
    const auto decimal = fmt::detail::dragonbox::to_decimal(value);
    const std::uint64_t digits = decimal.significand;
    const int exponent = decimal.exponent; // value = digits × 10^exponent
    const std::size_t count = DigitCount(digits);
    const int point = exponent + static_cast<int>(count); // digits before the decimal point
    if (exponent > 0 || point < -20 || point > 20)
        return std::to_chars(out, out + kMaxNumberLength, value).ptr;

    if (std::signbit(value))
        *out++ = '-';
    const std::size_t fixedLength = exponent == 0 ? count
                                    : point > 0   ? count + 1
                                                  : count + 2 + static_cast<std::size_t>(-point);
    if (fixedLength > ScientificLength(count)) {
        char significant[kMaxNumberLength];
        WriteDigits(significant + count, digits);
        const int power = point - 1;
        return WriteScientific(out, std::string_view(significant, count), power < 0 ? '-' : '+',
                               static_cast<std::size_t>(power < 0 ? -power : power));
    }
    if (point <= 0) {
        *out++ = '0';
        *out++ = '.';
        for (int zero = 0; zero < -point; ++zero)
            *out++ = '0';
        WriteDigits(out + count, digits);
        return out + count;
    }
    if (exponent == 0) {
        WriteDigits(out + count, digits);
        return out + count;
    }
    // The digits one place to the right, then the whole part moved back in
    // front of the point.
    WriteDigits(out + 1 + count, digits);
    for (int i = 0; i < point; ++i)
        out[i] = out[i + 1];
    out[point] = '.';
    return out + 1 + count;
}

char* WriteSignificant(char* out, double value, int digits) noexcept
{
    return std::to_chars(out, out + kMaxNumberLength, value, std::chars_format::general, digits).ptr;
}

bool ReadPlainDecimal(std::string_view text, PlainDecimal& decimal) noexcept
{
    const char* const digits = text.data();
    const std::size_t n = text.size();
    std::size_t i = 0;
    bool negative = false;
    if (n > 0 && (digits[0] == '-' || digits[0] == '+')) {
        negative = digits[0] == '-';
        i = 1;
    }
    const std::size_t integerStart = i;
    while (i < n && IsDigit(digits[i]))
        ++i;
    const std::size_t integerEnd = i;
    std::size_t fractionStart = i;
    if (i < n && digits[i] == '.') {
        fractionStart = ++i;
        while (i < n && IsDigit(digits[i]))
            ++i;
    }
    const std::size_t fractionEnd = i;
    if (i != n || (integerEnd == integerStart && fractionEnd == fractionStart) ||
        fractionEnd - fractionStart > kMaxFraction)
        return false;
    // The digits that count: no leading zeros before the point, no trailing
    // zeros after it.
    std::size_t first = integerStart;
    while (first < integerEnd && digits[first] == '0')
        ++first;
    std::size_t last = fractionEnd;
    while (last > fractionStart && digits[last - 1] == '0')
        --last;
    const std::string_view integer(digits + first, integerEnd - first);
    const std::string_view fraction(digits + fractionStart, last - fractionStart);
    if (integer.size() + fraction.size() > kMaxDigits)
        return false;

    std::uint64_t mantissa = 0;
    for (char c : integer)
        mantissa = mantissa * 10 + static_cast<std::uint64_t>(c - '0');
    for (char c : fraction)
        mantissa = mantissa * 10 + static_cast<std::uint64_t>(c - '0');
    // Both operands are exact, so the one rounding of the division gives the
    // nearest double, as from_chars does.
    const double magnitude = static_cast<double>(mantissa) / kPowersOfTen[fraction.size()];
    decimal.value = negative ? -magnitude : magnitude;

    // Its shortest text: to_chars writes the fixed form unless the
    // scientific one is shorter. Most often that is the text itself.
    if (digits[0] != '+' && first == integerStart && !integer.empty() &&
        last == fractionEnd && (fraction.empty() ? integerEnd == n && integer.back() != '0'
                                                 : true)) {
        decimal.shortest = text;
        return true;
    }
    char* out = decimal.buffer.data();
    if (negative)
        *out++ = '-';
    if (!integer.empty()) {
        if (!fraction.empty()) {
            out = Copy(out, integer);
            *out++ = '.';
            out = Copy(out, fraction);
        } else {
            std::string_view significant = integer;
            while (significant.back() == '0')
                significant.remove_suffix(1);
            const std::size_t scientific =
                ScientificLength(significant.size());
            out = integer.size() <= scientific
                      ? Copy(out, integer)
                      : WriteScientific(out, significant, '+', integer.size() - 1);
        }
    } else if (fraction.empty()) {
        *out++ = '0';
    } else {
        std::size_t zeros = 0;
        while (fraction[zeros] == '0')
            ++zeros;
        const std::string_view significant = fraction.substr(zeros);
        const std::size_t fixed = 2 + fraction.size();
        const std::size_t scientific = ScientificLength(significant.size());
        if (fixed <= scientific) {
            out = Copy(out, "0.");
            out = Copy(out, fraction);
        } else {
            out = WriteScientific(out, significant, '-', zeros + 1);
        }
    }
    decimal.shortest = std::string_view(decimal.buffer.data(),
                                        static_cast<std::size_t>(out - decimal.buffer.data()));
    return true;
}

void AppendCsvField(std::string& out, std::string_view field)
{
    const std::size_t size = out.size();
    out.resize(size + 2 * field.size() + 2);
    out.resize(static_cast<std::size_t>(WriteCsvField(out.data() + size, field) - out.data()));
}

void AppendJsonString(std::string& out, std::string_view text)
{
    const std::size_t size = out.size();
    out.resize(size + kMaxJsonExpansion * text.size() + 2);
    out.resize(static_cast<std::size_t>(WriteJsonString(out.data() + size, text) - out.data()));
}

void AppendNumber(std::string& out, double value)
{
    const std::size_t size = out.size();
    out.resize(size + kMaxNumberLength);
    out.resize(static_cast<std::size_t>(WriteNumber(out.data() + size, value) - out.data()));
}

} // namespace humitrax::cli
