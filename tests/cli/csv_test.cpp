// The CSV reader: records by the rules, plain decimals as from_chars reads
// them, and records that cross the batch reader's blocks.
#include "batch_reader.h"
#include "csv.h"
#include "run_cli.h"

#include <gtest/gtest.h>

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

const SaysRow kBlocks[] = {
    {"quoted_line_break_across_the_boundary", {"batch", "--jobs", "2", "-"}, 0, "x\n\nz\",25,101.325,", "",
     QuotedLineBreakAt(cli::kBlockBytes)},
    {"record_longer_than_a_block", {"batch", "--max-record-bytes", std::to_string(4 * cli::kBlockBytes), "-"}, 0,
     "\n" + kLongNote + ",25,101.325,", "", kHeader + "\"" + kLongNote + "\",25,101.325,50\n-,26,101.325,50\n"},
};

INSTANTIATE_TEST_SUITE_P(Batch, Says, ::testing::ValuesIn(kBlocks), RowName);

} // namespace
} // namespace humitrax::testing
