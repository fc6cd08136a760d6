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
#include <string>
#include <string_view>
#include <vector>

namespace humitrax::testing {
namespace {

// Each option, "--name value" or "--name=value", fills the window's entry and
// list selection it names (a line of the report, exit status 0); a
// calculation that ends in a message prints it alone on standard error
// (status 1); a command line that cannot be read is explained with the usage
// before any calculation (status 2; the over-limit dry bulbs would give 1).
const std::string kUsage = "humitrax-cli: calc: ";

std::vector<std::string> Args(std::vector<std::string> args)
{
    args.insert(args.begin(), "calc");
    return args;
}

/// The worked example's report, with LF for its CR LF and after its last line.
std::string WorkedExample()
{
    std::string report = Calculate({"0", "101.325", "50", 0, 2}, NumberConventions{"."}).text + "\n";
    std::erase(report, '\r');
    return report;
}

const SaysRow kCalcRows[] = {
    {"ReportOneLinePerLine", Args({"--dry-bulb", "0", "--pressure", "101.325", "--relative-humidity", "50"}), 0,
     WorkedExample(), ""},
    // A negative number is a value, not an option.
    {"NegativeDryBulb", Args({"--dry-bulb", "-5", "--pressure", "101.325", "--relative-humidity", "50"}), 0,
     "\nDry Bulb Temperature: -5 \u00b0C\n", ""},
    {"Pressure", Args({"--dry-bulb=20", "--pressure=101.32549", "--relative-humidity=50"}), 0,
     "\nBarometric Pressure: 101.325 kPa\n", ""},
    // interp(0) is 14.6965450413525 psia; / 14.697 * 101.325 = 101.32186... kPa.
    {"Altitude", Args({"--dry-bulb=20", "--altitude=0", "--relative-humidity=50"}), 0,
     "\nBarometric Pressure: 101.322 kPa\n", ""},
    {"WetBulb", Args({"--dry-bulb=5", "--pressure=101.325", "--wet-bulb=0.25"}), 0,
     "\nWet Bulb Temperature: 0.2 \u00b0C\n", ""},
    {"DewPoint", Args({"--dry-bulb=25", "--pressure=101.325", "--dew-point=10.75"}), 0,
     "\nDew Point Temperature: 10.8 \u00b0C\n", ""},
    {"RelativeHumidity", Args({"--dry-bulb=25", "--pressure=101.325", "--relative-humidity=33.3"}), 0,
     "\nRelative Humidity: 33.3 %\n", ""},
    {"HumidityRatioInAnyOrder", Args({"--humidity-ratio", "0.005", "--pressure", "101.325", "--dry-bulb", "25"}), 0,
     "\n Absolute Humidity: 0.005 mass ratio\n", ""},
    {"OutOfRange", Args({"--dry-bulb", "52", "--pressure", "101.325", "--relative-humidity", "50"}), 1, "",
     "Out of range values.\n"},
    {"EngineErrorText", Args({"--dry-bulb", "25", "--pressure", "101.325", "--humidity-ratio", "0.03"}), 1, "",
     "Check your values.\n"},
    // The C locale's separator is the point: a comma is no number.
    {"CommaInPointLocale", Args({"--dry-bulb", "25,5", "--pressure", "101.325", "--relative-humidity", "50"}), 1, "",
     "Check your values.\n"},
    {"EmptyValue", Args({"--dry-bulb", "", "--pressure", "101.325", "--relative-humidity", "50"}), 1, "",
     "Check your values\n"},
    {"NothingGiven", Args({}), 2, "", kUsage},
    {"PressureMissing", Args({"--dry-bulb", "52", "--relative-humidity", "50"}), 2, "", kUsage},
    {"PressureAndAltitude", Args({"--dry-bulb", "52", "--pressure", "1", "--altitude", "0", "--wet-bulb", "5"}), 2,
     "", kUsage},
    {"TwoConditions", Args({"--dry-bulb", "52", "--pressure", "1", "--wet-bulb", "5", "--dew-point", "3"}), 2, "",
     kUsage},
    {"SameOptionTwice", Args({"--dry-bulb", "52", "--dry-bulb", "20", "--pressure", "1", "--wet-bulb", "5"}), 2, "",
     kUsage},
    {"ValueMissing", Args({"--pressure", "101.325", "--wet-bulb", "5", "--dry-bulb"}), 2, "", "Usage: "},
};

INSTANTIATE_TEST_SUITE_P(Calc, Says, ::testing::ValuesIn(kCalcRows), RowName);

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
                RunCli({"calc", "--dry-bulb", dryBulb, "--pressure", "101,325", "--relative-humidity", "50"}, {},
                       environment);
            ASSERT_EQ(run.exitCode, 0) << environment.back() << " " << dryBulb << ": " << run.err;
            EXPECT_NE(run.out.find("\nDry Bulb Temperature: 25,5 \u00b0C\nBarometric Pressure: 101,325 kPa\n"),
                      std::string::npos)
                << run.out;
        }
    }
}

} // namespace
} // namespace humitrax::testing
