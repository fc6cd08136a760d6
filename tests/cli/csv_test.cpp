// The CSV reader: records by the rules, plain decimals as from_chars reads
// them, numbers written as to_chars writes them, fields' written lengths,
// and records that cross the batch reader's blocks or outgrow the memory.
#include "table/reader.h"
#include "table/csv.h"
#include "kit/echo.h"
#include "run_cli.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace humitrax::testing {
namespace {

struct RecordRow {
    const char* name;
    std::string input;
    char separator;
    std::vector<std::string> fields;
    std::size_t lineFeeds;
    bool flagged; ///< text after a closing quote, or a quote never closed
};

class CsvRecordTable : public ::testing::TestWithParam<RecordRow> {};

TEST_P(CsvRecordTable, ReadsTheFields)
{
    const RecordRow& row = GetParam();
    std::string buffer = row.input;
    cli::CsvRecord record;
    cli::ParseCsvRecord(buffer.data(), buffer.data() + buffer.size(), record, row.separator);
    EXPECT_EQ(std::vector<std::string>(record.fields.begin(), record.fields.end()), row.fields);
    EXPECT_EQ(record.lineFeeds, row.lineFeeds);
    EXPECT_EQ(record.textAfterQuote || record.unterminated, row.flagged);
}

INSTANTIATE_TEST_SUITE_P(
    Cli, CsvRecordTable,
    ::testing::Values(
        RecordRow{"crlf_terminator", "a,b\r\nc", ',', {"a", "b"}, 1, false},
        RecordRow{"cr_inside_a_field_stays", "a\rb,c\n", ',', {"a\rb", "c"}, 1, false},
        RecordRow{"quoted_comma_quote_and_line_break", "\"x,\"\"y\"\"\nz\",2\n", ',', {"x,\"y\"\nz", "2"}, 2, false},
        RecordRow{"quote_inside_unquoted_field", "ab\"c,d\n", ',', {"ab\"c", "d"}, 1, false},
        RecordRow{"text_after_closing_quote_kept", "\"a\"b,c\n", ',', {"ab", "c"}, 1, true},
        RecordRow{"quote_never_closed", "\"a,b\nc", ',', {"a,b\nc"}, 1, true},
        RecordRow{"semicolon_separator_keeps_commas", "25,5;\"x;y\"\n", ';', {"25,5", "x;y"}, 1, false},
        RecordRow{"trailing_separator_is_an_empty_field", "a,\n", ',', {"a", ""}, 1, false}),
    RowName);

std::string Repeat(const std::string& text, int count)
{
    std::string repeated;
    for (int i = 0; i < count; ++i)
        repeated += text;
    return repeated;
}

struct EchoRow {
    const char* name;
    std::string text;
    std::string echo;
};

class EchoTable : public ::testing::TestWithParam<EchoRow> {};

TEST_P(EchoTable, EscapesAndShortens) { EXPECT_EQ(cli::Echo(GetParam().text), GetParam().echo); }

INSTANTIATE_TEST_SUITE_P(
    Cli, EchoTable,
    ::testing::Values(
        EchoRow{"utf8_text_unchanged", "dry_bulb [\xC2\xB0" "C]", "dry_bulb [\xC2\xB0" "C]"},
        EchoRow{"terminal_escape", "\x1b[31mred", "\\x1b[31mred"},
        EchoRow{"line_feed_tab_carriage_return", "a\nb\tc\r", "a\\nb\\tc\\r"},
        EchoRow{"backslash_doubled", "a\\x1b", "a\\\\x1b"},
        EchoRow{"delete_and_c1_control", "\x7f\xC2\x9B", "\\x7f\\xc2\\x9b"},
        EchoRow{"stray_and_cut_short_utf8", "\xff\xC3(\xE2\x82", "\\xff\\xc3(\\xe2\\x82"},
        EchoRow{"sixty_characters_kept", std::string(60, 'a'), std::string(60, 'a')},
        EchoRow{"cut_after_sixty_characters_not_bytes", Repeat("\xC3\xA9", 61), Repeat("\xC3\xA9", 60) + "..."},
        EchoRow{"escape_never_cut", std::string(58, 'a') + "\x01", std::string(58, 'a') + "..."}),
    RowName);

struct DecimalRow {
    const char* name;
    const char* text;
    bool plain;
    double value;
    const char* shortest;
};

class PlainDecimalTable : public ::testing::TestWithParam<DecimalRow> {};

TEST_P(PlainDecimalTable, ReadsAsFromChars)
{
    const DecimalRow& row = GetParam();
    cli::PlainDecimal decimal;
    ASSERT_EQ(cli::ReadPlainDecimal(row.text, decimal), row.plain);
    if (row.plain) {
        EXPECT_EQ(decimal.value, row.value);
        EXPECT_EQ(decimal.shortest, row.shortest);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cli, PlainDecimalTable,
    ::testing::Values(DecimalRow{"trailing_zeros_trimmed", "25.30", true, 25.3, "25.3"},
                      DecimalRow{"leading_point", "-.5", true, -0.5, "-0.5"},
                      DecimalRow{"plus_sign", "+7", true, 7.0, "7"},
                      DecimalRow{"fifteen_digits", "0.123456789012345", true, 0.123456789012345, "0.123456789012345"},
                      DecimalRow{"exponent_is_not_plain", "1e3", false, 0.0, ""},
                      DecimalRow{"two_signs", "+-25", false, 0.0, ""},
                      DecimalRow{"sixteen_digits_are_not_plain", "0.1234567890123456", false, 0.0, ""}),
    RowName);

std::string ToChars(double value)
{
    char text[32];
    return {text, std::to_chars(text, text + sizeof text, value).ptr};
}

std::string Written(double value)
{
    char text[cli::kMaxNumberLength];
    return {text, cli::WriteNumber(text, value)};
}

struct NumberRow {
    const char* name;
    double value;
};

class NumberTextTable : public ::testing::TestWithParam<NumberRow> {};

TEST_P(NumberTextTable, WritesAsToChars)
{
    EXPECT_EQ(Written(GetParam().value), ToChars(GetParam().value));
}

INSTANTIATE_TEST_SUITE_P(
    Cli, NumberTextTable,
    ::testing::Values(NumberRow{"fixed_and_scientific_tie_goes_to_fixed", 0.00012},
                      NumberRow{"one_digit_scientific_is_shorter", 0.0001},
                      NumberRow{"whole_number", 12345.0},
                      NumberRow{"whole_number_with_trailing_zeros", 1200.0},
                      NumberRow{"large_whole_number_written_exactly", 1.0192917962988227e19},
                      NumberRow{"exponent_far_below", 5e-324},
                      NumberRow{"negative_zero", -0.0},
                      NumberRow{"not_finite", std::numeric_limits<double>::infinity()}),
    RowName);

TEST(NumberText, RandomDoublesAsToChars)
{
    std::mt19937_64 bits(20261207);
    std::uniform_real_distribution<double> state(-150.0, 150.0);
    for (int i = 0; i < 200'000; ++i) {
        const double any = std::bit_cast<double>(bits());
        ASSERT_EQ(Written(any), ToChars(any)) << "bits " << std::bit_cast<std::uint64_t>(any);
        const double near = state(bits) * std::pow(10.0, static_cast<double>(i % 9) - 6.0);
        ASSERT_EQ(Written(near), ToChars(near));
    }
}

// Records across the batch reader's blocks: a quoted line break that lies
// across the boundary, and a record longer than a block.
const std::string kHeader = "note,dry_bulb,pressure,relative_humidity\n";

std::string QuotedLineBreakAt(std::size_t at)
{
    std::string input = kHeader;
    while (input.size() + 30 < at)
        input += "-,25,101.325,50\n";
    input += "\"" + std::string(at - input.size() - 2, 'x') + "\n\nz\",25,101.325,50\n";
    for (int i = 0; i < 100; ++i)
        input += "-,25,101.325,50\n";
    return input;
}

const std::string kLongNote(cli::kBlockBytes + 12345, 'y');
const std::string kHugeNote(cli::kHandOverBytes + 12345, 'h');

const SaysRow kBlocks[] = {
    {"quoted_line_break_across_the_boundary", {"batch", "--jobs", "2", "-"}, 0, "x\n\nz\",25,101.325,", "",
     QuotedLineBreakAt(cli::kBlockBytes)},
    {"record_longer_than_a_block", {"batch", "--max-record-bytes", std::to_string(4 * cli::kBlockBytes), "-"}, 0,
     "\n" + kLongNote + ",25,101.325,", "", kHeader + "\"" + kLongNote + "\",25,101.325,50\n-,26,101.325,50\n"},
    // Past kHandOverBytes the reader's buffer itself goes on, records after it kept.
    {"record_handed_on_in_the_readers_buffer",
     {"batch", "--model", "calculator", "--jobs", "2", "--max-record-bytes", std::to_string(8 * cli::kBlockBytes),
      "-"},
     0,
     "\n" + kHugeNote + ",25,101.325,17.874858840028644,", "",
     kHeader + "a,25,101.325,50\n" + kHugeNote + ",25,101.325,50\n\"b\",26,101.325,50\n"},
};

INSTANTIATE_TEST_SUITE_P(Batch, Says, ::testing::ValuesIn(kBlocks), RowName);

// A record more than the memory can hold (its read, or its output row: JSON
// writes each control byte as six) is a failed row with empty cells, and the
// rows after it are computed. The address space is limited to 300 MB; the
// program itself takes well under 100 MB of it.
struct MemoryRow {
    const char* name;
    std::string script; ///< makes the input for $HUMITRAX_CLI, under the limit
    std::string status;
};

class MemoryTable : public ::testing::TestWithParam<MemoryRow> {};

std::string Piped(const std::string& megabytes, char byte, const std::string& args)
{
    return "ulimit -v 300000; { printf 'note,dry_bulb,pressure,relative_humidity\\na,25,101.325,50\\n'; "
           "head -c " + megabytes + "000000 /dev/zero | tr '\\0' '\\" + std::string(1, byte) +
           "'; printf ',25,101.325,50\\nb,20,101.325,40\\n'; } | \"$HUMITRAX_CLI\" batch --jobs 1 "
           "--max-record-bytes 1073741824 " + args;
}

TEST_P(MemoryTable, FailedRowAndReadingGoesOn)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer reserves more address space than the limit";
#endif
    const CliRun run = RunScript(GetParam().script);
    EXPECT_EQ(run.exitCode, 1) << run.err;
    EXPECT_EQ(run.err, "");
    const std::vector<std::string> rows = Lines(run.out);
    ASSERT_GE(rows.size(), 3U) << run.err;
    EXPECT_NE(rows[rows.size() - 2].find(GetParam().status), std::string::npos) << rows[rows.size() - 2].substr(0, 200);
    EXPECT_LT(rows[rows.size() - 2].size(), 2000U) << "its cells are empty";
    EXPECT_TRUE(rows.back().starts_with("b,20,") || rows.back().starts_with("{\"note\":\"b\"")) << rows.back();
}

INSTANTIATE_TEST_SUITE_P(
    Batch, MemoryTable,
    ::testing::Values(MemoryRow{"record_not_held", Piped("350", 'x', ""),
                                "line 3: could not be held in memory (no more could be had after its first "},
                      MemoryRow{"output_row_not_held", Piped("40", '1', "--format json"),
                                "line 3: could not be held in memory (its output row needs more"}),
    RowName);

// The exact lengths batch gives a long field match what the writers write.
TEST(FieldLength, AsWritten)
{
    for (const std::string field : {"", "plain text", "a,b", "say \"hi\"", "line\r\nbreak", "tab\tand\x01\x1f",
                                    "back\\slash", "\xC3\xA9t\xC3\xA9", "\xE2\x82\xAC\xF0\x9F\x98\x80", "\xff\xC3(",
                                    "\xE2\x82", "\xED\xA0\x80 surrogate", "\x7f\b\f"}) {
        std::string out(8 * field.size() + 8, '\0');
        EXPECT_EQ(cli::CsvFieldLength(field), static_cast<std::size_t>(cli::WriteCsvField(out.data(), field) - out.data()))
            << field;
        EXPECT_EQ(cli::JsonStringLength(field),
                  static_cast<std::size_t>(cli::WriteJsonString(out.data(), field) - out.data()))
            << field;
    }
}

} // namespace
} // namespace humitrax::testing
