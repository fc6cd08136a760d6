// One press of Calculate: the worked example, limits and the order of the checks,
// the report's lines and the four third conditions.
#include "driver.h"

#include "humitrax/psychrometrics.h"

#include <gtest/gtest.h>

#include <array>
#include <charconv>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace humitrax {
namespace {

const NumberConventions kPoint{"."};
const NumberConventions kComma{","};

// The indices of the window's lists.
constexpr std::int16_t kPressure = 0, kAltitude = 1;
constexpr std::int16_t kWetBulb = 0, kDewPoint = 1, kRelativeHumidity = 2, kHumidityRatio = 3;

CalculationRequest Request(std::string dryBulb, std::string second, std::string third,
                           std::int16_t barocond = kPressure, std::int16_t thirdcond = kRelativeHumidity)
{
    return {std::move(dryBulb), std::move(second), std::move(third), barocond, thirdcond};
}

/// The report's lines, split at CR LF.
std::vector<std::string> ReportLines(const std::string& report)
{
    std::vector<std::string> lines;
    for (std::size_t start = 0;;) {
        const std::size_t end = report.find("\r\n", start);
        lines.push_back(report.substr(start, end - start));
        if (end == std::string::npos)
            return lines;
        start = end + 2;
    }
}

/// The number on a report line, between its label and its unit ("mass ratio" too).
double LineValue(const std::string& line)
{
    const std::size_t start = line.find(": ") + 2;
    const std::optional<double> value = EntryToNumber(line.substr(start, line.find(' ', start) - start), kPoint);
    EXPECT_TRUE(value.has_value()) << line;
    return value.value_or(0.0);
}

template <typename Row>
std::string RowName(const ::testing::TestParamInfo<Row>& info)
{
    return info.param.name;
}

// The worked example: ten lines joined by CR LF, nothing after the last.
const std::string kWorkedExample = "As per Humitrax\u00ae\r\n"
                                   "_______________________\r\n"
                                   "Dry Bulb Temperature: 0 \u00b0C\r\n"
                                   "Barometric Pressure: 101.325 kPa\r\n"
                                   "Wet Bulb Temperature: -2.8 \u00b0C\r\n"
                                   "Dew Point Temperature: -9.4 \u00b0C\r\n"
                                   "Relative Humidity: 50 %\r\n"
                                   " Absolute Humidity: 0.0019 mass ratio\r\n"
                                   " Enthalpy: 4.71 kJ/kg\r\n"
                                   " Specific Volume: 0.78 cu.m/kg";

TEST(Report, WorkedExample)
{
    const CalculationOutcome outcome = Calculate(Request("0", "101.325", "50"), kPoint);
    EXPECT_TRUE(outcome.succeeded);
    EXPECT_EQ(outcome.text, kWorkedExample);
}

TEST(Report, CommaConventionsWriteTheComma)
{
    // Each separator between digits becomes the comma; the unit cu.m/kg keeps its point.
    std::string expected = kWorkedExample;
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    for (std::size_t i = 1; i + 1 < expected.size(); ++i)
        if (expected[i] == '.' && digit(expected[i - 1]) && digit(expected[i + 1]))
            expected[i] = ',';
    const CalculationOutcome outcome = Calculate(Request("0", "101,325", "50"), kComma);
    EXPECT_TRUE(outcome.succeeded);
    EXPECT_EQ(outcome.text, expected);
}

enum class Ends { WithReport, EmptyEntry, OutOfRange, CheckValues };

struct PressRow {
    const char* name;
    CalculationRequest request;
    Ends expected;
};

class PressTest : public ::testing::TestWithParam<PressRow> {};

TEST_P(PressTest, EndsAsExpected)
{
    const PressRow& row = GetParam();
    const CalculationOutcome outcome = Calculate(row.request, kPoint);
    // The messages as the user reads them, letter for letter.
    const std::array<std::string_view, 4> texts{"", "Check your values", "Out of range values.",
                                                "Check your values."};
    EXPECT_EQ(outcome.succeeded, row.expected == Ends::WithReport) << outcome.text;
    if (row.expected == Ends::WithReport)
        EXPECT_EQ(ReportLines(outcome.text).size(), 10u) << outcome.text;
    else
        EXPECT_EQ(outcome.text, texts[static_cast<std::size_t>(row.expected)]);
}

const PressRow kPressRows[] = {
    // Each limit at its bound (passes) and just past it.
    {"DryBulbAtLimit", Request("51", "101.325", "50"), Ends::WithReport},
    {"DryBulbJustPastLimit", Request("51.0001", "101.325", "50"), Ends::OutOfRange},
    {"PressureAtLimit", Request("25", "108", "50"), Ends::WithReport},
    {"PressurePastLimit", Request("25", "108.1", "50"), Ends::OutOfRange},
    {"AltitudeAtLimit", Request("25", "5000", "50", kAltitude), Ends::WithReport},
    {"AltitudePastLimit", Request("25", "5001", "50", kAltitude), Ends::OutOfRange},
    {"RelativeHumidityAtLimit", Request("25", "101.325", "100"), Ends::WithReport},
    {"RelativeHumidityPastLimit", Request("25", "101.325", "100.1"), Ends::OutOfRange},
    // At 10 kPa a humidity ratio of 1 is about 6.2 kPa of vapour, below saturation at 40 °C.
    {"HumidityRatioAtLimit", Request("40", "10", "1", kPressure, kHumidityRatio), Ends::WithReport},
    {"HumidityRatioPastLimit", Request("40", "10", "1.1", kPressure, kHumidityRatio), Ends::OutOfRange},
    {"WetBulbEqualToDryBulb", Request("25", "101.325", "25", kPressure, kWetBulb), Ends::WithReport},
    {"WetBulbAboveDryBulb", Request("25", "101.325", "25.1", kPressure, kWetBulb), Ends::OutOfRange},
    {"DewPointAboveDryBulb", Request("25", "101.325", "25.1", kPressure, kDewPoint), Ends::OutOfRange},
    // No lower limits in the driver.
    {"NegativeAltitudePasses", Request("25", "-500", "50", kAltitude), Ends::WithReport},
    // Air that cannot exist: no pressure, a pressure typed in bar (a negative
    // humidity ratio), a dew point below 0 K.
    {"ZeroPressureFailsInTheEngine", Request("25", "0", "50"), Ends::CheckValues},
    {"PressureInBarGivesNegativeRatio", Request("25", "1.013", "50"), Ends::CheckValues},
    {"DewPointBelowAbsoluteZero", Request("0", "101.325", "0.0001"), Ends::CheckValues},

    // The order of the checks: the first in the order of the steps decides.
    {"EmptyDryBulb", Request("", "101.325", "50"), Ends::EmptyEntry},
    {"EmptyThirdBeforeOverLimitDryBulb", Request("52", "200", ""), Ends::EmptyEntry},
    {"OverLimitDryBulbBeforePressureThatIsNoNumber", Request("52", "abc", "50"), Ends::OutOfRange},
    {"DryBulbNoNumberBeforeOverLimitPressure", Request("abc", "200", "50"), Ends::CheckValues},
    {"OverLimitPressureBeforeThirdThatIsNoNumber", Request("25", "200", "abc"), Ends::OutOfRange},
    {"PressureNoNumberBeforeOverLimitThird", Request("25", "abc", "200"), Ends::CheckValues},
    {"OverLimitThirdBeforeEngine", Request("25", "0", "200"), Ends::OutOfRange},
    {"BlankThirdIsNotEmptyButNoNumber", Request("25", "101.325", "   "), Ends::CheckValues},

    // The engine's error text "out of range": relative humidity above 1.
    {"EngineErrorText", Request("25", "101.325", "0.03", kPressure, kHumidityRatio), Ends::CheckValues},
    // The driver's own arithmetic: the metres-to-feet product overflows.
    {"AltitudeToFeetOverflows", Request("25", "-1e308", "50", kAltitude), Ends::CheckValues},
    // The window's list always has a selection; anything else is no calculation.
    {"ThirdConditionIndexBeyondList", Request("25", "101.325", "50", kPressure, 4), Ends::CheckValues},
};

INSTANTIATE_TEST_SUITE_P(Rows, PressTest, ::testing::ValuesIn(kPressRows), RowName<PressRow>);

struct LineRow {
    const char* name;
    CalculationRequest request;
    std::size_t line; ///< 0-based
    std::string expected;
};

class ReportLineTest : public ::testing::TestWithParam<LineRow> {};

TEST_P(ReportLineTest, Shows)
{
    const LineRow& row = GetParam();
    const CalculationOutcome outcome = Calculate(row.request, kPoint);
    ASSERT_TRUE(outcome.succeeded) << outcome.text;
    EXPECT_EQ(ReportLines(outcome.text).at(row.line), row.expected);
}

const LineRow kLineRows[] = {
    // The dry bulb as a number, never rounded.
    {"DryBulbNotRounded", Request("21.123456", "101.325", "50"), 2, "Dry Bulb Temperature: 21.123456 \u00b0C"},
    {"PressureRoundedToThreePlaces", Request("20", "101.32549", "50"), 3, "Barometric Pressure: 101.325 kPa"},
    // interp(0) is 14.6965450413525 psia; / 14.697 * 101.325 = 101.32186... kPa.
    {"AltitudeZeroIsNotStandardPressure", Request("20", "0", "50", kAltitude), 3, "Barometric Pressure: 101.322 kPa"},
    // The standard atmosphere's fit in feet and psia (Handbook Table 1: 89.875 kPa).
    {"Altitude1000m", Request("20", "1000", "50", kAltitude), 3, "Barometric Pressure: 89.863 kPa"},
    {"AnyOtherBarocondIsAltitude", Request("20", "0", "50", -1), 3, "Barometric Pressure: 101.322 kPa"},
    // A given temperature exactly halfway goes to the even digit.
    {"DewPointAsGiven", Request("25", "101.325", "10.25", kPressure, kDewPoint), 5,
     "Dew Point Temperature: 10.2 \u00b0C"},
    // 25 °C, wet bulb 18 °C: 50.77 % (the engine's worked value 0.5077).
    {"RelativeHumidityToOnePlace", Request("25", "101.325", "18", kPressure, kWetBulb), 6, "Relative Humidity: 50.8 %"},
};

INSTANTIATE_TEST_SUITE_P(Rows, ReportLineTest, ::testing::ValuesIn(kLineRows), RowName<LineRow>);

// One state given by each third condition gives the same report; from a dew point
// only to a tenth of a unit (the dew-point correlation inverts pws to about 0.01 K).

struct ConditionRow {
    const char* name;
    std::int16_t thirdcond;
    PropertyResult (*engine)(const double&, const double&, const std::int16_t&, const double&);
    bool exact; ///< the same report to the digit
};

class ThirdConditionTest : public ::testing::TestWithParam<ConditionRow> {};

TEST_P(ThirdConditionTest, SameAirSameReport)
{
    // The shortest text that reads back as the engine's value at 25 °C and 50 %.
    std::array<char, 32> buffer{};
    const double value = GetParam().engine(25.0, 101.325, kRelativeHumidityGiven, 0.5).AsNumber();
    const std::string third(buffer.data(), std::to_chars(buffer.data(), buffer.data() + 32, value).ptr);
    const CalculationOutcome reference = Calculate(Request("25", "101.325", "50"), kPoint);
    const CalculationOutcome outcome =
        Calculate(Request("25", "101.325", third, kPressure, GetParam().thirdcond), kPoint);
    ASSERT_TRUE(reference.succeeded && outcome.succeeded) << third << ": " << outcome.text;
    const std::vector<std::string> expected = ReportLines(reference.text);
    const std::vector<std::string> lines = ReportLines(outcome.text);
    if (GetParam().exact) {
        EXPECT_EQ(lines, expected) << "third condition " << third;
        return;
    }
    ASSERT_EQ(lines.size(), 10u);
    const double tolerance[] = {0.11, 0.11, 0.11, 0.00011, 0.11, 0.011};
    for (std::size_t i = 4; i < 10; ++i) {
        EXPECT_NEAR(LineValue(lines[i]), LineValue(expected[i]), tolerance[i - 4]) << lines[i];
    }
}

INSTANTIATE_TEST_SUITE_P(Conditions, ThirdConditionTest,
                         ::testing::Values(ConditionRow{"WetBulb", kWetBulb, &WetBulbSI, true},
                                           ConditionRow{"DewPoint", kDewPoint, &DewPointSI, false},
                                           ConditionRow{"HumidityRatio", kHumidityRatio, &HumidRatioSI, true}),
                         RowName<ConditionRow>);

} // namespace
} // namespace humitrax
