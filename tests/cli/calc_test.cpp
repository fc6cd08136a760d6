// humitrax-cli calc: the window's calculation from the command line, run as a
// user would run it. What the report and the messages say is the driver's
// (tests/driver); here, how the command reads its options and the locale and
// where it writes the report and the messages.
#include "run_cli.h"

#include "driver.h"

#include <gtest/gtest.h>

#include <langinfo.h>
#include <locale.h>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace humitrax {
namespace {

using testing::CliRun;
using testing::Lines;
using testing::RunCli;

// A locale whose decimal separator is the point, whatever the machine's own.
const std::vector<std::string> kPointLocale = {"LC_ALL=C"};

CliRun Calc(std::vector<std::string> args, const std::vector<std::string>& environment = kPointLocale)
{
    args.insert(args.begin(), "calc");
    return RunCli(args, {}, environment);
}

template <typename Row>
std::string RowName(const ::testing::TestParamInfo<Row>& info)
{
    return info.param.name;
}

TEST(Calc, PrintsTheReportOneLinePerLine)
{
    // The worked example, with LF for the report's CR LF and after its last line.
    std::string expected = Calculate({"0", "101.325", "50", 0, 2}, NumberConventions{"."}).text + "\n";
    for (std::size_t at; (at = expected.find('\r')) != std::string::npos;)
        expected.erase(at, 1);
    ASSERT_EQ(Lines(expected).size(), 10u);
    const CliRun run = Calc({"--dry-bulb", "0", "--pressure", "101.325", "--relative-humidity", "50"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, expected);
    EXPECT_EQ(run.err, "");
}

// Each option, "--name value" or "--name=value", fills the window's entry and
// list selection it names.
struct OptionRow {
    const char* name;
    std::vector<std::string> args;
    std::size_t line; ///< 0-based line of the report
    std::string expected;
};

void PrintTo(const OptionRow& row, std::ostream* out) { *out << row.name; }

class OptionTest : public ::testing::TestWithParam<OptionRow> {};

TEST_P(OptionTest, FillsItsEntry)
{
    const CliRun run = Calc(GetParam().args);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::vector<std::string> lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 10u) << run.out;
    EXPECT_EQ(lines[GetParam().line], GetParam().expected);
}

const OptionRow kOptionRows[] = {
    // A negative number is a value, not an option.
    {"NegativeDryBulb", {"--dry-bulb", "-5", "--pressure", "101.325", "--relative-humidity", "50"}, 2,
     "Dry Bulb Temperature: -5 \u00b0C"},
    {"Pressure", {"--dry-bulb=20", "--pressure=101.32549", "--relative-humidity=50"}, 3, "Barometric Pressure: 101.325 kPa"},
    // interp(0) is 14.6965450413525 psia; / 14.697 * 101.325 = 101.32186... kPa.
    {"Altitude", {"--dry-bulb=20", "--altitude=0", "--relative-humidity=50"}, 3, "Barometric Pressure: 101.322 kPa"},
    {"WetBulb", {"--dry-bulb=5", "--pressure=101.325", "--wet-bulb=0.25"}, 4, "Wet Bulb Temperature: 0.2 \u00b0C"},
    {"DewPoint", {"--dry-bulb=25", "--pressure=101.325", "--dew-point=10.75"}, 5, "Dew Point Temperature: 10.8 \u00b0C"},
    {"RelativeHumidity", {"--dry-bulb=25", "--pressure=101.325", "--relative-humidity=33.3"}, 6, "Relative Humidity: 33.3 %"},
    {"HumidityRatio", {"--dry-bulb=25", "--pressure=101.325", "--humidity-ratio=0.005"}, 7,
     " Absolute Humidity: 0.005 mass ratio"},
    {"AnyOrder", {"--humidity-ratio", "0.005", "--pressure", "101.325", "--dry-bulb", "25"}, 7,
     " Absolute Humidity: 0.005 mass ratio"},
};

INSTANTIATE_TEST_SUITE_P(Calc, OptionTest, ::testing::ValuesIn(kOptionRows), RowName<OptionRow>);

// A calculation that ends in a message: the message alone on standard error, status 1.
struct MessageRow {
    const char* name;
    std::vector<std::string> args;
    std::string_view message;
};

void PrintTo(const MessageRow& row, std::ostream* out) { *out << row.name; }

class MessageTest : public ::testing::TestWithParam<MessageRow> {};

TEST_P(MessageTest, EndsWithTheMessage)
{
    const CliRun run = Calc(GetParam().args);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, std::string(GetParam().message) + "\n");
}

const MessageRow kMessageRows[] = {
    {"OutOfRange", {"--dry-bulb", "52", "--pressure", "101.325", "--relative-humidity", "50"}, messages::kOutOfRange},
    {"EngineErrorText", {"--dry-bulb", "25", "--pressure", "101.325", "--humidity-ratio", "0.03"},
     messages::kCheckValues},
    // The C locale's separator is the point: a comma is no number.
    {"CommaInPointLocale", {"--dry-bulb", "25,5", "--pressure", "101.325", "--relative-humidity", "50"},
     messages::kCheckValues},
    {"EmptyValue", {"--dry-bulb", "", "--pressure", "101.325", "--relative-humidity", "50"}, messages::kEmptyEntry},
};

INSTANTIATE_TEST_SUITE_P(Calc, MessageTest, ::testing::ValuesIn(kMessageRows), RowName<MessageRow>);

// A command line that cannot be read: explained on standard error, status 2,
// before any calculation (the over-limit dry bulbs below would give status 1).
struct UsageRow {
    const char* name;
    std::vector<std::string> args;
};

void PrintTo(const UsageRow& row, std::ostream* out) { *out << row.name; }

class UsageTest : public ::testing::TestWithParam<UsageRow> {};

TEST_P(UsageTest, IsAUsageError)
{
    const CliRun run = Calc(GetParam().args);
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

INSTANTIATE_TEST_SUITE_P(Calc, UsageTest, ::testing::ValuesIn(kUsageRows), RowName<UsageRow>);

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

/// An installed UTF-8 locale whose decimal separator is the comma, if there is one.
std::optional<std::string> CommaLocale()
{
    for (const char* name : {"de_DE.UTF-8", "fr_FR.UTF-8", "es_ES.UTF-8", "it_IT.UTF-8", "nl_NL.UTF-8"}) {
        locale_t locale = newlocale(LC_NUMERIC_MASK, name, static_cast<locale_t>(nullptr));
        if (locale == static_cast<locale_t>(nullptr))
            continue;
        const bool comma = std::string_view(nl_langinfo_l(RADIXCHAR, locale)) == ",";
        freelocale(locale);
        if (comma)
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
    // LC_ALL sets the separator, and so does LC_NUMERIC alone.
    const std::vector<std::vector<std::string>> environments = {{"LC_ALL=" + *locale},
                                                                {"LC_ALL=", "LANG=C", "LC_NUMERIC=" + *locale}};
    for (const std::vector<std::string>& environment : environments) {
        for (const char* dryBulb : {"25.5", "25,5"}) {
            const CliRun run =
                Calc({"--dry-bulb", dryBulb, "--pressure", "101,325", "--relative-humidity", "50"}, environment);
            ASSERT_EQ(run.exitCode, 0) << environment.back() << " " << dryBulb << ": " << run.err;
            const std::vector<std::string> lines = Lines(run.out);
            ASSERT_EQ(lines.size(), 10u) << run.out;
            EXPECT_EQ(lines[2], "Dry Bulb Temperature: 25,5 \u00b0C");
            EXPECT_EQ(lines[3], "Barometric Pressure: 101,325 kPa");
        }
    }
}

} // namespace
} // namespace humitrax
