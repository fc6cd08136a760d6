// One press of Calculate: limits, the order of the checks, the altitude, the
// four third conditions, the report's lines and the messages.
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

constexpr std::int16_t kPressure = 0;
constexpr std::int16_t kAltitude = 1;
constexpr std::int16_t kWetBulb = 0;
constexpr std::int16_t kDewPoint = 1;
constexpr std::int16_t kRelativeHumidity = 2;
constexpr std::int16_t kHumidityRatio = 3;

CalculationRequest Request(std::string dryBulb, std::string second, std::string third,
                           std::int16_t barocond, std::int16_t thirdcond)
{
    CalculationRequest request;
    request.dryBulb = std::move(dryBulb);
    request.second = std::move(second);
    request.third = std::move(third);
    request.barocond = barocond;
    request.thirdcond = thirdcond;
    return request;
}

/// The report's lines, split at CR LF.
std::vector<std::string> ReportLines(const std::string& report)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = report.find("\r\n", start);
        lines.push_back(report.substr(start, end - start));
        if (end == std::string::npos)
            return lines;
        start = end + 2;
    }
}

/// The shortest text that reads back as the same double, as a user could type it.
std::string Typed(double value)
{
    std::array<char, 32> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return std::string(buffer.data(), result.ptr);
}

// The worked example: dry bulb 0, 101.325 kPa, relative humidity 50.
const std::vector<std::string> kWorkedExample = {
    "As per Humitrax\u00ae",
    "_______________________",
    "Dry Bulb Temperature: 0 \u00b0C",
    "Barometric Pressure: 101.325 kPa",
    "Wet Bulb Temperature: -2.8 \u00b0C",
    "Dew Point Temperature: -9.4 \u00b0C",
    "Relative Humidity: 50 %",
    " Absolute Humidity: 0.0019 mass ratio",
    " Enthalpy: 4.71 kJ/kg",
    " Specific Volume: 0.78 cu.m/kg",
};

std::string Joined(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += (text.empty() ? "" : "\r\n") + line;
    return text;
}

TEST(Report, WorkedExample)
{
    const CalculationOutcome outcome =
        Calculate(Request("0", "101.325", "50", kPressure, kRelativeHumidity), kPoint);
    ASSERT_TRUE(outcome.succeeded) << outcome.text;
    EXPECT_EQ(outcome.text, Joined(kWorkedExample));
}

TEST(Report, TenLinesJoinedByCrLfWithNothingAfterTheLast)
{
    const CalculationOutcome outcome =
        Calculate(Request("21.5", "1000", "40", kAltitude, kRelativeHumidity), kPoint);
    ASSERT_TRUE(outcome.succeeded) << outcome.text;
    const std::vector<std::string> lines = ReportLines(outcome.text);
    ASSERT_EQ(lines.size(), 10u);
    for (const std::string& line : lines) {
        EXPECT_FALSE(line.empty());
        EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << line;
    }
    EXPECT_NE(outcome.text.back(), '\n');
    EXPECT_NE(outcome.text.back(), '\r');
}

TEST(Report, CommaConventionsWriteTheCommaAndReadBothSeparators)
{
    for (const char* dryBulb : {"25.5", "25,5"}) {
        const CalculationOutcome outcome =
            Calculate(Request(dryBulb, "101,325", "50", kPressure, kRelativeHumidity), kComma);
        ASSERT_TRUE(outcome.succeeded) << dryBulb << ": " << outcome.text;
        const std::vector<std::string> lines = ReportLines(outcome.text);
        ASSERT_EQ(lines.size(), 10u);
        EXPECT_EQ(lines[2], "Dry Bulb Temperature: 25,5 \u00b0C");
        EXPECT_EQ(lines[3], "Barometric Pressure: 101,325 kPa");
        EXPECT_EQ(lines[6], "Relative Humidity: 50 %");
    }
}

TEST(Report, CommaConventionsWriteTheWorkedExampleWithCommas)
{
    const CalculationOutcome outcome =
        Calculate(Request("0", "101.325", "50", kPressure, kRelativeHumidity), kComma);
    ASSERT_TRUE(outcome.succeeded) << outcome.text;
    const std::vector<std::string> lines = ReportLines(outcome.text);
    ASSERT_EQ(lines.size(), 10u);
    EXPECT_EQ(lines[3], "Barometric Pressure: 101,325 kPa");
    EXPECT_EQ(lines[4], "Wet Bulb Temperature: -2,8 \u00b0C");
    EXPECT_EQ(lines[7], " Absolute Humidity: 0,0019 mass ratio");
    EXPECT_EQ(lines[9], " Specific Volume: 0,78 cu.m/kg"); // the unit keeps its point
}

// ---------------------------------------------------------------------------
// Which message, if any, a press ends with.

enum class Ends { WithReport, EmptyEntry, OutOfRange, CheckValues };

struct PressRow {
    const char* name;
    CalculationRequest request;
    NumberConventions conventions;
    Ends expected;
};

std::string ExpectedText(Ends ends)
{
    switch (ends) {
    case Ends::EmptyEntry:
        return std::string(messages::kEmptyEntry);
    case Ends::OutOfRange:
        return std::string(messages::kOutOfRange);
    case Ends::CheckValues:
        return std::string(messages::kCheckValues);
    case Ends::WithReport:
        break;
    }
    return {};
}

class PressTest : public ::testing::TestWithParam<PressRow> {};

TEST_P(PressTest, EndsAsExpected)
{
    const PressRow& row = GetParam();
    const CalculationOutcome outcome = Calculate(row.request, row.conventions);
    if (row.expected == Ends::WithReport) {
        EXPECT_TRUE(outcome.succeeded) << outcome.text;
        EXPECT_EQ(ReportLines(outcome.text).size(), 10u) << outcome.text;
    } else {
        EXPECT_FALSE(outcome.succeeded);
        EXPECT_EQ(outcome.text, ExpectedText(row.expected));
    }
}

const PressRow kPressRows[] = {
    // Each limit at its bound (passes) and just past it.
    {"DryBulbAtLimit", Request("51", "101.325", "50", kPressure, kRelativeHumidity), kPoint, Ends::WithReport},
    {"DryBulbPastLimit", Request("52", "101.325", "50", kPressure, kRelativeHumidity), kPoint, Ends::OutOfRange},
    {"DryBulbJustPastLimit", Request("51.0001", "101.325", "50", kPressure, kRelativeHumidity), kPoint, Ends::OutOfRange},
    {"PressureAtLimit", Request("25", "108", "50", kPressure, kRelativeHumidity), kPoint, Ends::WithReport},
    {"PressurePastLimit", Request("25", "108.1", "50", kPressure, kRelativeHumidity), kPoint, Ends::OutOfRange},
    {"AltitudeAtLimit", Request("25", "5000", "50", kAltitude, kRelativeHumidity), kPoint, Ends::WithReport},
    {"AltitudePastLimit", Request("25", "5001", "50", kAltitude, kRelativeHumidity), kPoint, Ends::OutOfRange},
    // 108.1 is a pressure over its limit, but well below the altitude limit.
    {"AltitudeLimitNotPressureLimit", Request("25", "108.1", "50", kAltitude, kRelativeHumidity), kPoint, Ends::WithReport},
    {"RelativeHumidityAtLimit", Request("25", "101.325", "100", kPressure, kRelativeHumidity), kPoint, Ends::WithReport},
    {"RelativeHumidityPastLimit", Request("25", "101.325", "100.1", kPressure, kRelativeHumidity), kPoint, Ends::OutOfRange},
    // At 10 kPa a humidity ratio of 1 is a vapour pressure of about 6.2 kPa,
    // below saturation at 40 °C (about 7.4 kPa).
    {"HumidityRatioAtLimit", Request("40", "10", "1", kPressure, kHumidityRatio), kPoint, Ends::WithReport},
    {"HumidityRatioPastLimit", Request("40", "10", "1.1", kPressure, kHumidityRatio), kPoint, Ends::OutOfRange},
    {"WetBulbEqualToDryBulb", Request("25", "101.325", "25", kPressure, kWetBulb), kPoint, Ends::WithReport},
    {"WetBulbAboveDryBulb", Request("25", "101.325", "25.1", kPressure, kWetBulb), kPoint, Ends::OutOfRange},
    {"DewPointEqualToDryBulb", Request("25", "101.325", "25", kPressure, kDewPoint), kPoint, Ends::WithReport},
    {"DewPointAboveDryBulb", Request("25", "101.325", "25.1", kPressure, kDewPoint), kPoint, Ends::OutOfRange},
    // No lower limits in the driver.
    {"NegativeAltitudePasses", Request("25", "-500", "50", kAltitude, kRelativeHumidity), kPoint, Ends::WithReport},
    {"NegativeDryBulbPasses", Request("-5", "101.325", "50", kPressure, kRelativeHumidity), kPoint, Ends::WithReport},
    {"ZeroPressureFailsInTheEngine", Request("25", "0", "50", kPressure, kRelativeHumidity), kPoint, Ends::CheckValues},
    // Air that cannot exist: a pressure typed in bar (negative humidity
    // ratio), and a humidity so small that the dew point lies below 0 K.
    {"PressureInBarGivesNegativeRatio", Request("25", "1.013", "50", kPressure, kRelativeHumidity), kPoint, Ends::CheckValues},
    {"DewPointBelowAbsoluteZero", Request("0", "101.325", "0.0001", kPressure, kRelativeHumidity), kPoint, Ends::CheckValues},

    // The order of the checks: the first in the order of the steps decides.
    {"EmptyThirdBeforeOverLimitDryBulb", Request("52", "200", "", kPressure, kRelativeHumidity), kPoint, Ends::EmptyEntry},
    {"EmptyDryBulb", Request("", "101.325", "50", kPressure, kRelativeHumidity), kPoint, Ends::EmptyEntry},
    {"EmptySecond", Request("25", "", "50", kPressure, kRelativeHumidity), kPoint, Ends::EmptyEntry},
    {"EmptyAllThree", Request("", "", "", kPressure, kRelativeHumidity), kPoint, Ends::EmptyEntry},
    {"OverLimitDryBulbBeforePressureThatIsNoNumber", Request("52", "abc", "50", kPressure, kRelativeHumidity), kPoint, Ends::OutOfRange},
    {"DryBulbNoNumberBeforeOverLimitPressure", Request("abc", "200", "50", kPressure, kRelativeHumidity), kPoint, Ends::CheckValues},
    {"OverLimitPressureBeforeThirdThatIsNoNumber", Request("25", "200", "abc", kPressure, kRelativeHumidity), kPoint, Ends::OutOfRange},
    {"PressureNoNumberBeforeOverLimitThird", Request("25", "abc", "200", kPressure, kRelativeHumidity), kPoint, Ends::CheckValues},
    {"OverLimitThirdBeforeEngine", Request("25", "0", "200", kPressure, kRelativeHumidity), kPoint, Ends::OutOfRange},

    // Blanks are not empty, and no number either.
    {"BlankThird", Request("25", "101.325", "   ", kPressure, kRelativeHumidity), kPoint, Ends::CheckValues},
    {"BlankDryBulb", Request(" ", "101.325", "50", kPressure, kRelativeHumidity), kPoint, Ends::CheckValues},
    {"BlanksAroundANumberAreIgnored", Request(" 25 ", "101.325", "50", kPressure, kRelativeHumidity), kPoint, Ends::WithReport},
    {"ThirdNoNumber", Request("25", "101.325", "5x", kPressure, kRelativeHumidity), kPoint, Ends::CheckValues},
    {"InfinityIsNoNumber", Request("25", "inf", "50", kAltitude, kRelativeHumidity), kPoint, Ends::CheckValues},
    {"GroupingIsNoNumber", Request("25", "1,000", "50", kAltitude, kRelativeHumidity), kPoint, Ends::CheckValues},
    {"GroupingIsNoNumberInCommaLocale", Request("25", "1.000,5", "50", kAltitude, kRelativeHumidity), kComma, Ends::CheckValues},

    // The engine's error text "out of range": relative humidity above 1.
    {"EngineErrorText", Request("25", "101.325", "0.03", kPressure, kHumidityRatio), kPoint, Ends::CheckValues},
    // The driver's own arithmetic: the metres-to-feet product overflows.
    {"AltitudeToFeetOverflows", Request("25", "-1e308", "50", kAltitude, kRelativeHumidity), kPoint, Ends::CheckValues},
    // interp fails for an altitude far beyond any atmosphere.
    {"AltitudeBeyondAnyAtmosphere", Request("25", "-1e200", "50", kAltitude, kRelativeHumidity), kPoint, Ends::CheckValues},
    // The window's list always has a selection; anything else is no calculation.
    {"ThirdConditionIndexBeyondList", Request("25", "101.325", "50", kPressure, 4), kPoint, Ends::CheckValues},
    {"ThirdConditionNothingSelected", Request("25", "101.325", "50", kPressure, -1), kPoint, Ends::CheckValues},
};

INSTANTIATE_TEST_SUITE_P(Rows, PressTest, ::testing::ValuesIn(kPressRows),
                         [](const ::testing::TestParamInfo<PressRow>& rowInfo) {
                             return std::string(rowInfo.param.name);
                         });

// ---------------------------------------------------------------------------
// One line of the report.

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
    const std::vector<std::string> lines = ReportLines(outcome.text);
    ASSERT_EQ(lines.size(), 10u);
    EXPECT_EQ(lines[row.line], row.expected);
}

const LineRow kLineRows[] = {
    // The dry bulb as typed, never rounded.
    {"DryBulbWholeWithoutSeparator", Request("5.0", "101.325", "50", kPressure, kRelativeHumidity), 2, "Dry Bulb Temperature: 5 \u00b0C"},
    {"DryBulbLeadingZero", Request(".25", "101.325", "50", kPressure, kRelativeHumidity), 2, "Dry Bulb Temperature: 0.25 \u00b0C"},
    {"DryBulbNotRounded", Request("21.123456", "101.325", "50", kPressure, kRelativeHumidity), 2, "Dry Bulb Temperature: 21.123456 \u00b0C"},
    {"DryBulbNegative", Request("-5", "101.325", "50", kPressure, kRelativeHumidity), 2, "Dry Bulb Temperature: -5 \u00b0C"},
    {"DryBulbMinusZero", Request("-0", "101.325", "50", kPressure, kRelativeHumidity), 2, "Dry Bulb Temperature: 0 \u00b0C"},
    {"DryBulbWithExponent", Request("2.5e1", "101.325", "50", kPressure, kRelativeHumidity), 2, "Dry Bulb Temperature: 25 \u00b0C"},
    // The pressure to three places.
    {"PressureAsTyped", Request("20", "101.325", "50", kPressure, kRelativeHumidity), 3, "Barometric Pressure: 101.325 kPa"},
    {"PressureRoundedToThreePlaces", Request("20", "101.32549", "50", kPressure, kRelativeHumidity), 3, "Barometric Pressure: 101.325 kPa"},
    {"PressureRoundedToWhole", Request("20", "99.9996", "50", kPressure, kRelativeHumidity), 3, "Barometric Pressure: 100 kPa"},
    // interp(0) is 14.6965450413525 psia; / 14.697 * 101.325 = 101.32186... kPa.
    {"AltitudeZeroIsNotStandardPressure", Request("20", "0", "50", kAltitude, kRelativeHumidity), 3, "Barometric Pressure: 101.322 kPa"},
    {"AnyOtherBarocondIsAltitude", Request("20", "0", "50", -1, kRelativeHumidity), 3, "Barometric Pressure: 101.322 kPa"},
    // A wet bulb that lies exactly halfway goes to the even digit.
    {"WetBulbQuarterDown", Request("5", "101.325", "0.25", kPressure, kWetBulb), 4, "Wet Bulb Temperature: 0.2 \u00b0C"},
    {"WetBulbThreeQuartersUp", Request("5", "101.325", "0.75", kPressure, kWetBulb), 4, "Wet Bulb Temperature: 0.8 \u00b0C"},
    {"DewPointAsGiven", Request("25", "101.325", "10.25", kPressure, kDewPoint), 5, "Dew Point Temperature: 10.2 \u00b0C"},
    {"RelativeHumidityBackToPercent", Request("25", "101.325", "33.3", kPressure, kRelativeHumidity), 6, "Relative Humidity: 33.3 %"},
    {"HumidityRatioAsGiven", Request("25", "101.325", "0.005", kPressure, kHumidityRatio), 7, " Absolute Humidity: 0.005 mass ratio"},
    {"HumidityRatioToFourPlaces", Request("25", "101.325", "0.00512345", kPressure, kHumidityRatio), 7, " Absolute Humidity: 0.0051 mass ratio"},
};

INSTANTIATE_TEST_SUITE_P(Rows, ReportLineTest, ::testing::ValuesIn(kLineRows),
                         [](const ::testing::TestParamInfo<LineRow>& rowInfo) {
                             return std::string(rowInfo.param.name);
                         });

// ---------------------------------------------------------------------------
// The pressure computed from the altitude.

double ShownPressure(const std::string& altitude)
{
    const CalculationOutcome outcome =
        Calculate(Request("20", altitude, "50", kAltitude, kRelativeHumidity), kPoint);
    EXPECT_TRUE(outcome.succeeded) << outcome.text;
    const std::vector<std::string> lines = ReportLines(outcome.text);
    if (lines.size() != 10u)
        return 0.0;
    const std::string prefix = "Barometric Pressure: ";
    const std::string suffix = " kPa";
    const std::string& line = lines[3];
    EXPECT_TRUE(line.starts_with(prefix) && line.ends_with(suffix)) << line;
    const std::optional<double> value =
        EntryToNumber(line.substr(prefix.size(), line.size() - prefix.size() - suffix.size()), kPoint);
    EXPECT_TRUE(value.has_value()) << line;
    return value.value_or(0.0);
}

TEST(Altitude, StandardAtmosphere)
{
    // The standard atmosphere: about 89.9 kPa at 1000 m and 54.0 kPa at 5000 m.
    EXPECT_NEAR(ShownPressure("1000"), 89.9, 0.05);
    EXPECT_NEAR(ShownPressure("5000"), 54.0, 0.05);
    EXPECT_LT(ShownPressure("0"), 101.325);
    EXPECT_GT(ShownPressure("-500"), 101.325);
}

TEST(Altitude, ChangesTheDerivedValues)
{
    const CalculationOutcome sea =
        Calculate(Request("20", "0", "50", kAltitude, kRelativeHumidity), kPoint);
    const CalculationOutcome high =
        Calculate(Request("20", "1000", "50", kAltitude, kRelativeHumidity), kPoint);
    ASSERT_TRUE(sea.succeeded && high.succeeded) << sea.text << "\n" << high.text;
    const std::vector<std::string> seaLines = ReportLines(sea.text);
    const std::vector<std::string> highLines = ReportLines(high.text);
    EXPECT_NE(seaLines[7], highLines[7]); // the humidity ratio grows as the pressure falls
    EXPECT_NE(seaLines[9], highLines[9]); // and so does the specific volume
}

// ---------------------------------------------------------------------------
// The four third conditions describe the same air: given one state in any of
// its four forms, the report shows the same values. A dew point that is not
// given is found by a correlation in ln(pw), which inverts the saturation
// pressure only to about 0.01 K above freezing (and not at all below it, where
// the saturation pressure is over ice), so the report from a dew point agrees
// with the others to a tenth of a unit, not to the digit.

struct ConditionRow {
    const char* name;
    std::int16_t thirdcond;
    bool exact; ///< the same report to the digit
};

class ThirdConditionTest : public ::testing::TestWithParam<ConditionRow> {};

/// The number on a report line, between its label and its unit.
double LineValue(const std::string& line)
{
    const std::size_t colon = line.find(": ");
    const std::size_t unit = line.rfind(' ');
    if (colon == std::string::npos || unit == std::string::npos || unit <= colon + 2)
        return 0.0;
    return EntryToNumber(line.substr(colon + 2, unit - colon - 2), kPoint).value_or(0.0);
}

TEST_P(ThirdConditionTest, SameAirSameReport)
{
    const double T = 25.0;
    const double p = 101.325;
    const std::int16_t situation = kRelativeHumidityGiven;
    const double fraction = 0.5;
    std::string third;
    switch (GetParam().thirdcond) {
    case kWetBulb:
        third = Typed(WetBulbSI(T, p, situation, fraction).AsNumber());
        break;
    case kDewPoint:
        third = Typed(DewPointSI(T, p, situation, fraction).AsNumber());
        break;
    case kRelativeHumidity:
        third = "50";
        break;
    default:
        third = Typed(HumidRatioSI(T, p, situation, fraction).AsNumber());
        break;
    }
    const CalculationOutcome reference =
        Calculate(Request("25", "101.325", "50", kPressure, kRelativeHumidity), kPoint);
    const CalculationOutcome outcome =
        Calculate(Request("25", "101.325", third, kPressure, GetParam().thirdcond), kPoint);
    ASSERT_TRUE(reference.succeeded) << reference.text;
    ASSERT_TRUE(outcome.succeeded) << third << ": " << outcome.text;
    const std::vector<std::string> expected = ReportLines(reference.text);
    const std::vector<std::string> lines = ReportLines(outcome.text);
    if (GetParam().exact) {
        EXPECT_EQ(lines, expected) << "third condition " << third;
        return;
    }
    ASSERT_EQ(lines.size(), 10u);
    // Wet bulb, dew point, relative humidity, humidity ratio, enthalpy, volume.
    const double tolerance[] = {0.11, 0.11, 0.11, 0.00011, 0.11, 0.011};
    for (std::size_t i = 4; i < 10; ++i) {
        EXPECT_EQ(lines[i].substr(0, lines[i].find(": ")), expected[i].substr(0, expected[i].find(": ")));
        EXPECT_NEAR(LineValue(lines[i]), LineValue(expected[i]), tolerance[i - 4])
            << lines[i] << " against " << expected[i];
    }
}

INSTANTIATE_TEST_SUITE_P(Conditions, ThirdConditionTest,
                         ::testing::Values(ConditionRow{"WetBulb", kWetBulb, true},
                                           ConditionRow{"DewPoint", kDewPoint, false},
                                           ConditionRow{"HumidityRatio", kHumidityRatio, true}),
                         [](const ::testing::TestParamInfo<ConditionRow>& rowInfo) {
                             return std::string(rowInfo.param.name);
                         });

} // namespace
} // namespace humitrax
