// The driver's number conversions: entry text to number, rounding, report text.
#include "driver.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <optional>
#include <random>
#include <vector>
#include <string>

namespace humitrax {
namespace {

const NumberConventions kPoint{"."};
const NumberConventions kComma{","};
const NumberConventions kArabic{"\u066b"}; // ARABIC DECIMAL SEPARATOR, two bytes in UTF-8

template <typename Row>
std::string RowName(const ::testing::TestParamInfo<Row>& info)
{
    return info.param.name;
}

struct EntryRow {
    const char* name;
    std::string text;
    NumberConventions conventions;
    std::optional<double> expected;
};

class EntryToNumberTest : public ::testing::TestWithParam<EntryRow> {};

TEST_P(EntryToNumberTest, Reads)
{
    const EntryRow& row = GetParam();
    const std::optional<double> value = EntryToNumber(row.text, row.conventions);
    ASSERT_EQ(value.has_value(), row.expected.has_value())
        << "text '" << row.text << "' read as " << (value ? std::to_string(*value) : "nothing");
    if (row.expected) {
        EXPECT_EQ(*value, *row.expected);
        EXPECT_EQ(std::signbit(*value), std::signbit(*row.expected));
    }
}

const EntryRow kEntryRows[] = {
    {"PointInCommaLocale", "25.5", kComma, 25.5},
    // A comma locale's separator: "1,000" is one, not a thousand.
    {"CommaLocaleSeparatorNotGrouping", "1,000", kComma, 1.0},
    {"MultiByteSeparator", "0\u066b5", kArabic, 0.5},
    {"GroupingInPointLocale", "1,000", kPoint, std::nullopt},
    {"GroupingInCommaLocale", "1.000,5", kComma, std::nullopt},
    {"BlanksAndTabsAround", " \t12.5\t ", kPoint, 12.5},
    {"PlusSign", "+4", kPoint, 4.0},
    {"MinusZero", "-0", kPoint, -0.0},
    {"TwoSigns", "+-4", kPoint, std::nullopt},
    {"Empty", "", kPoint, std::nullopt},
    {"NotANumber", "nan", kPoint, std::nullopt},
    {"BeyondLargestDouble", "1e309", kPoint, std::nullopt},
    // Too small for any double but zero: outside the type's range as well.
    {"BelowSmallestDouble", "1e-400", kPoint, std::nullopt},
    {"Subnormal", "1e-310", kPoint, 1e-310},
};

INSTANTIATE_TEST_SUITE_P(Rows, EntryToNumberTest, ::testing::ValuesIn(kEntryRows), RowName<EntryRow>);

struct RoundRow {
    const char* name;
    double value;
    int places;
    double expected;
};

class RoundHalfEvenTest : public ::testing::TestWithParam<RoundRow> {};

TEST_P(RoundHalfEvenTest, Rounds)
{
    const RoundRow& row = GetParam();
    EXPECT_EQ(RoundHalfEven(row.value, row.places), row.expected);
}

const RoundRow kRoundRows[] = {
    // Exactly halfway in binary: to the even digit.
    {"QuarterDown", 0.25, 1, 0.2},
    {"ThreeQuartersUp", 0.75, 1, 0.8},
    // Not halfway in binary, though the decimal text looks it.
    {"TwoSixSevenFiveIsBelowHalf", 2.675, 2, 2.67},    // 2.67499999999999982236431605997495353221893310546875
    {"ZeroPointFourFiveIsAboveHalf", 0.45, 1, 0.5},     // 0.450000000000000011102230246251565404236316680908203125
    // Everything else to the nearest.
    {"Huge", 1e300, 2, 1e300},
    {"TinyToZero", 1e-300, 2, 0.0},
};

INSTANTIATE_TEST_SUITE_P(Rows, RoundHalfEvenTest, ::testing::ValuesIn(kRoundRows), RowName<RoundRow>);

TEST(ReportNumber, IsRoundingThenTextForEveryMagnitudeAndPlaces)
{
    // The report's quick path writes what rounding and then writing give.
    std::mt19937_64 random(20261206);
    std::uniform_real_distribution<double> mantissa(-10.0, 10.0);
    std::uniform_int_distribution<int> exponent(-8, 12);
    std::vector<double> values{0.25, 0.75, -0.25, 2.5, 0.125, 2.675, -0.04, 0.0, -0.0, 999999999.95,
                               1e9, -1e9, 123456789.123456, 0.00005, -0.00005, 1e-300};
    for (int i = 0; i < 50000; ++i)
        values.push_back(mantissa(random) * std::pow(10.0, exponent(random)));
    // Exact halves at every number of places, and their neighbours either side.
    for (int places = 0; places <= 7; ++places) {
        for (int odd = 1; odd < 4000; odd += 2) {
            const double half = std::ldexp(odd, -(places + 1));
            for (const double v : {half, std::nextafter(half, 0.0), std::nextafter(half, 1e300)}) {
                values.push_back(v);
                values.push_back(-v);
            }
        }
    }
    for (const double value : values) {
        for (int places = -1; places <= 7; ++places) {
            const std::string expected =
                NumberToText(places >= 0 ? RoundHalfEven(value, places) : value, kComma);
            ASSERT_EQ(ReportNumber(value, places, kComma), expected) << value << " to " << places;
        }
    }
}

struct TextRow {
    const char* name;
    double value;
    NumberConventions conventions;
    std::string expected;
};

class NumberToTextTest : public ::testing::TestWithParam<TextRow> {};

TEST_P(NumberToTextTest, Writes)
{
    const TextRow& row = GetParam();
    EXPECT_EQ(NumberToText(row.value, row.conventions), row.expected);
}

const TextRow kTextRows[] = {
    {"WholeWithoutSeparator", 25.0, kPoint, "25"},
    {"NegativeZero", -0.0, kPoint, "0"},
    // 15 significant digits: neither the shortest text that reads back (16 threes) nor fewer.
    {"OneThird", 1.0 / 3.0, kPoint, "0.333333333333333"},
    {"RoundingCarriesToWhole", 9.999999999999999, kPoint, "10"},
    {"SixteenDigitsRounded", 1234567890123456.0, kPoint, "1234567890123460"},
    {"LargestDouble", DBL_MAX, kPoint, "179769313486232" + std::string(294, '0')},
    {"SmallestSubnormal", 4.9406564584124654e-324, kPoint,
     "0." + std::string(323, '0') + "494065645841247"},
    {"CommaBelowOne", -0.0019, kComma, "-0,0019"},
    {"MultiByteSeparator", 0.5, kArabic, "0\u066b5"},
    // A separator that would break the report's lines is taken for none.
    {"LineBreakSeparatorIsThePoint", 0.5, NumberConventions{"\r\n"}, "0.5"},
};

INSTANTIATE_TEST_SUITE_P(Rows, NumberToTextTest, ::testing::ValuesIn(kTextRows), RowName<TextRow>);

} // namespace
} // namespace humitrax
