// humitrax-cli calc: the window's calculation from the command line, run as a
// user would run it.
#include "run_cli.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <langinfo.h>
#include <locale.h>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace humitrax {
namespace {

using testing::CliRun;
using testing::Lines;
using testing::RunCli;

// A locale whose decimal separator is the point, whatever the machine's own.
const std::vector<std::string> kPointLocale = {"LC_ALL=C"};

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

TEST(Calc, PrintsTheReportOneLinePerLine)
{
    const CliRun run = RunCli({"calc", "--dry-bulb", "0", "--pressure", "101.325",
                               "--relative-humidity", "50"},
                              {}, kPointLocale);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(Lines(run.out), kWorkedExample);
    EXPECT_EQ(run.out.find('\r'), std::string::npos);
    ASSERT_FALSE(run.out.empty());
    EXPECT_EQ(run.out.back(), '\n');
    EXPECT_EQ(run.err, "");
}

TEST(Calc, ValuesMayFollowAnEqualsSign)
{
    const CliRun run = RunCli({"calc", "--dry-bulb=0", "--pressure=101.325", "--relative-humidity=50"},
                              {}, kPointLocale);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(Lines(run.out), kWorkedExample);
}

// Each option fills the window's entry and list selection it names.
struct OptionRow {
    const char* name;
    std::vector<std::string> args;
    std::size_t line; ///< 0-based line of the report
    std::string expected;
};

void PrintTo(const OptionRow& row, std::ostream* out) { *out << row.name; }

class CalcOptionTest : public ::testing::TestWithParam<OptionRow> {};

TEST_P(CalcOptionTest, FillsItsEntry)
{
    const OptionRow& row = GetParam();
    std::vector<std::string> args = {"calc"};
    args.insert(args.end(), row.args.begin(), row.args.end());
    const CliRun run = RunCli(args, {}, kPointLocale);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::vector<std::string> lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 10u) << run.out;
    EXPECT_EQ(lines[row.line], row.expected);
}

const OptionRow kOptionRows[] = {
    {"DryBulbAsTyped", {"--dry-bulb", "5.0", "--pressure", "101.325", "--relative-humidity", "50"}, 2,
     "Dry Bulb Temperature: 5 \u00b0C"},
    {"NegativeDryBulb", {"--dry-bulb", "-5", "--pressure", "101.325", "--relative-humidity", "50"}, 2,
     "Dry Bulb Temperature: -5 \u00b0C"},
    {"Pressure", {"--dry-bulb", "20", "--pressure", "101.32549", "--relative-humidity", "50"}, 3,
     "Barometric Pressure: 101.325 kPa"},
    // interp(0) is 14.6965450413525 psia; / 14.697 * 101.325 = 101.32186... kPa.
    {"Altitude", {"--dry-bulb", "20", "--altitude", "0", "--relative-humidity", "50"}, 3,
     "Barometric Pressure: 101.322 kPa"},
    {"WetBulb", {"--dry-bulb", "5", "--pressure", "101.325", "--wet-bulb", "0.25"}, 4,
     "Wet Bulb Temperature: 0.2 \u00b0C"},
    {"DewPoint", {"--dry-bulb", "25", "--pressure", "101.325", "--dew-point", "10.75"}, 5,
     "Dew Point Temperature: 10.8 \u00b0C"},
    {"RelativeHumidity", {"--dry-bulb", "25", "--pressure", "101.325", "--relative-humidity", "33.3"}, 6,
     "Relative Humidity: 33.3 %"},
    {"HumidityRatio", {"--dry-bulb", "25", "--pressure", "101.325", "--humidity-ratio", "0.005"}, 7,
     " Absolute Humidity: 0.005 mass ratio"},
    {"OptionsInAnyOrder", {"--humidity-ratio", "0.005", "--pressure", "101.325", "--dry-bulb", "25"}, 7,
     " Absolute Humidity: 0.005 mass ratio"},
};

INSTANTIATE_TEST_SUITE_P(Rows, CalcOptionTest, ::testing::ValuesIn(kOptionRows),
                         [](const ::testing::TestParamInfo<OptionRow>& rowInfo) {
                             return std::string(rowInfo.param.name);
                         });

// A calculation that ends in a message: the message alone on standard error, status 1.
struct MessageRow {
    const char* name;
    std::vector<std::string> args;
    std::string message;
};

void PrintTo(const MessageRow& row, std::ostream* out) { *out << row.name; }

class CalcMessageTest : public ::testing::TestWithParam<MessageRow> {};

TEST_P(CalcMessageTest, EndsWithTheMessage)
{
    const MessageRow& row = GetParam();
    std::vector<std::string> args = {"calc"};
    args.insert(args.end(), row.args.begin(), row.args.end());
    const CliRun run = RunCli(args, {}, kPointLocale);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, row.message + "\n");
}

const MessageRow kMessageRows[] = {
    {"DryBulbOverLimit", {"--dry-bulb", "52", "--pressure", "101.325", "--relative-humidity", "50"},
     "Out of range values."},
    {"AltitudeOverLimit", {"--dry-bulb", "25", "--altitude", "5001", "--relative-humidity", "50"},
     "Out of range values."},
    {"OverLimitBeforeNoNumber", {"--dry-bulb", "52", "--pressure", "abc", "--relative-humidity", "50"},
     "Out of range values."},
    {"EngineErrorText", {"--dry-bulb", "25", "--pressure", "101.325", "--humidity-ratio", "0.03"},
     "Check your values."},
    {"NoNumber", {"--dry-bulb", "25", "--pressure", "101.325", "--wet-bulb", "x"}, "Check your values."},
    {"Blanks", {"--dry-bulb", "25", "--pressure", "101.325", "--wet-bulb", "  "}, "Check your values."},
    {"CommaInPointLocale", {"--dry-bulb", "25,5", "--pressure", "101.325", "--relative-humidity", "50"},
     "Check your values."},
    {"EmptyValue", {"--dry-bulb", "", "--pressure", "101.325", "--relative-humidity", "50"},
     "Check your values"},
};

INSTANTIATE_TEST_SUITE_P(Rows, CalcMessageTest, ::testing::ValuesIn(kMessageRows),
                         [](const ::testing::TestParamInfo<MessageRow>& rowInfo) {
                             return std::string(rowInfo.param.name);
                         });

// A command line that cannot be read: explained on standard error, status 2,
// before any calculation (the over-limit dry bulbs below would give status 1).
struct UsageRow {
    const char* name;
    std::vector<std::string> args;
};

void PrintTo(const UsageRow& row, std::ostream* out) { *out << row.name; }

class CalcUsageTest : public ::testing::TestWithParam<UsageRow> {};

TEST_P(CalcUsageTest, IsAUsageError)
{
    std::vector<std::string> args = {"calc"};
    args.insert(args.end(), GetParam().args.begin(), GetParam().args.end());
    const CliRun run = RunCli(args, {}, kPointLocale);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("humitrax-cli calc: "), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("Usage: "), std::string::npos) << run.err;
}

const UsageRow kUsageRows[] = {
    {"NothingGiven", {}},
    {"DryBulbMissing", {"--pressure", "101.325", "--relative-humidity", "50"}},
    {"PressureMissing", {"--dry-bulb", "52", "--relative-humidity", "50"}},
    {"ConditionMissing", {"--dry-bulb", "52", "--pressure", "101.325"}},
    {"PressureAndAltitude", {"--dry-bulb", "52", "--pressure", "101.325", "--altitude", "0", "--wet-bulb", "5"}},
    {"TwoConditions", {"--dry-bulb", "52", "--pressure", "101.325", "--wet-bulb", "5", "--dew-point", "3"}},
    {"SameOptionTwice", {"--dry-bulb", "52", "--dry-bulb", "20", "--pressure", "101.325", "--wet-bulb", "5"}},
    {"UnknownOption", {"--dry-bulb", "52", "--pressure", "101.325", "--wet-bulb", "5", "--units", "si"}},
    {"StrayArgument", {"--dry-bulb", "52", "--pressure", "101.325", "--wet-bulb", "5", "extra"}},
    {"ValueMissing", {"--pressure", "101.325", "--wet-bulb", "5", "--dry-bulb"}},
};

INSTANTIATE_TEST_SUITE_P(Rows, CalcUsageTest, ::testing::ValuesIn(kUsageRows),
                         [](const ::testing::TestParamInfo<UsageRow>& rowInfo) {
                             return std::string(rowInfo.param.name);
                         });

TEST(Calc, HelpDescribesTheCommand)
{
    const CliRun own = RunCli({"calc", "--help"});
    EXPECT_EQ(own.exitCode, 0);
    EXPECT_TRUE(own.out.starts_with("  calc --dry-bulb T (--pressure P | --altitude A)")) << own.out;
    EXPECT_NE(own.out.find("Example:"), std::string::npos);
    const CliRun all = RunCli({"--help"});
    EXPECT_EQ(all.exitCode, 0);
    EXPECT_NE(all.out.find(own.out), std::string::npos);
}

// ---------------------------------------------------------------------------
// A decimal-comma locale.

/// An installed locale whose decimal separator is the comma, if there is one.
std::optional<std::string> CommaLocale()
{
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen("locale -a 2>/dev/null", "r"), pclose);
    if (!pipe)
        return std::nullopt;
    std::string names;
    std::array<char, 256> buffer{};
    while (fgets(buffer.data(), static_cast<int>(buffer.size()), pipe.get()) != nullptr)
        names += buffer.data();
    std::optional<std::string> found;
    for (const std::string& name : Lines(names)) {
        const bool utf8 = name.find("utf8") != std::string::npos || name.find("UTF-8") != std::string::npos;
        if (!utf8)
            continue;
        locale_t locale = newlocale(LC_NUMERIC_MASK, name.c_str(), static_cast<locale_t>(nullptr));
        if (locale == static_cast<locale_t>(nullptr))
            continue;
        const std::string radix = nl_langinfo_l(RADIXCHAR, locale);
        freelocale(locale);
        if (radix == ",")
            return name;
    }
    return std::nullopt;
}

TEST(CalcLocale, DecimalCommaReadsBothSeparatorsAndWritesTheComma)
{
    const std::optional<std::string> locale = CommaLocale();
    if (!locale)
        GTEST_SKIP() << "no UTF-8 locale with a decimal comma is installed "
                        "(localedef -i de_DE -f UTF-8 de_DE.UTF-8 makes one)";
    for (const char* dryBulb : {"25.5", "25,5"}) {
        const CliRun run = RunCli({"calc", "--dry-bulb", dryBulb, "--pressure", "101,325",
                                   "--relative-humidity", "50"},
                                  {}, {"LC_ALL=" + *locale});
        ASSERT_EQ(run.exitCode, 0) << dryBulb << ": " << run.err;
        const std::vector<std::string> lines = Lines(run.out);
        ASSERT_EQ(lines.size(), 10u) << run.out;
        EXPECT_EQ(lines[2], "Dry Bulb Temperature: 25,5 \u00b0C");
        EXPECT_EQ(lines[3], "Barometric Pressure: 101,325 kPa");
    }
    const CliRun grouped = RunCli({"calc", "--dry-bulb", "25", "--altitude", "1.000,5",
                                   "--relative-humidity", "50"},
                                  {}, {"LC_ALL=" + *locale});
    EXPECT_EQ(grouped.exitCode, 1);
    EXPECT_EQ(grouped.err, "Check your values.\n");
}

TEST(CalcLocale, LcNumericAloneSetsTheSeparator)
{
    const std::optional<std::string> locale = CommaLocale();
    if (!locale)
        GTEST_SKIP() << "no UTF-8 locale with a decimal comma is installed "
                        "(localedef -i de_DE -f UTF-8 de_DE.UTF-8 makes one)";
    const CliRun run = RunCli({"calc", "--dry-bulb", "0", "--pressure", "101.325",
                               "--relative-humidity", "50"},
                              {}, {"LC_ALL=", "LANG=C", "LC_NUMERIC=" + *locale});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::vector<std::string> lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 10u) << run.out;
    EXPECT_EQ(lines[4], "Wet Bulb Temperature: -2,8 \u00b0C");
}

} // namespace
} // namespace humitrax
