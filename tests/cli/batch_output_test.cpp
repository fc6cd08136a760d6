// What batch writes beyond its rows of every property: the lean output of
// --columns and --precision, and the warnings about values that look like a
// slip of unit (batch and state), which change neither a result nor an exit
// status.
#include "run_cli.h"

#include <gtest/gtest.h>

#include <charconv>
#include <string>
#include <vector>

namespace humitrax::testing {
namespace {

std::vector<std::string> Batch(const std::vector<std::string>& more)
{
    std::vector<std::string> args = {"batch", "--model", "calculator"};
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

const std::string kRh = "site,dry_bulb,pressure,relative_humidity\nroof,25,101.325,50\n";
const std::string kAltitude = "dry_bulb,altitude,relative_humidity\n25,1000,50\n";

// The header and first row of a lean output: the given values always, the
// columns chosen in the usual order, status last; computed numbers to N
// digits, the given values as without --precision.
const SaysRow kLean[] = {
    {"ColumnsInTheUsualOrder", Batch({"--columns", "enthalpy,wet_bulb"}), 0,
     "site,dry_bulb,pressure,wet_bulb,relative_humidity,enthalpy,status\nroof,25,101.325,17.874858840028644,50,"
     "50.309787619133616,\n",
     "", kRh},
    {"PrecisionOfTheComputedNumbers", Batch({"--columns", "wet_bulb,humidity_ratio", "--precision", "3"}), 0,
     "roof,25,101.325,17.9,50,0.00988,\n", "", kRh},
    // The given values as without --precision: converted, or computed from an altitude.
    {"GivenValuesAtTheShortestText", Batch({"--columns", "wet_bulb", "--precision", "4"}), 0,
     "dry_bulb,pressure,wet_bulb,relative_humidity,status\n25,89.86265084468238,17.59,50,\n", "", kAltitude},
    {"ConvertedGivenValuesAtTheShortestText", Batch({"--columns", "wet_bulb", "--precision", "3"}), 0,
     "\n25.27777777777778,98.765,18,50,\n", "", "dry_bulb [F],pressure [hPa],relative_humidity\n77.5,987.65,50\n"},
    {"PrecisionOfEveryColumn", Batch({"--precision", "2"}), 0, "roof,25,101.325,18,14,50,0.0099,50,0.86,1.6,3.2,0.02,0.49,",
     "", kRh},
    {"JsonKeysOfTheColumns", Batch({"--columns", "dew_point", "--format", "json"}), 0,
     "{\"site\":\"roof\",\"dry_bulb\":25,\"pressure\":101.325,\"dew_point\":13.893286133246479,"
     "\"relative_humidity\":50,\"status\":null}\n",
     "", kRh},
    {"GrainsInInchPound", Batch({"--units", "ip", "--columns", "grains"}), 0,
     "dry_bulb,pressure,relative_humidity,grains,status\n", "", "dry_bulb,pressure,relative_humidity\n77,14.696,50\n"},
    // The calculator's relative humidity below freezing fails, but is not written.
    {"StatusOfTheColumnsWritten", Batch({"--columns", "wet_bulb"}), 0, ",-7,\n", "",
     "dry_bulb,pressure,dew_point\n-5,101.325,-7\n"},
    {"StatusOfAColumnWrittenThatFails", Batch({"--columns", "wet_bulb,relative_humidity"}), 1,
     "relative_humidity: not defined below 0 °C", "", "dry_bulb,pressure,dew_point\n-5,101.325,-7\n"},
    {"FailedRecordHasTheColumnsWritten", Batch({"--columns", "wet_bulb", "--max-record-bytes", "45"}), 1,
     "site,dry_bulb,pressure,wet_bulb,relative_humidity,status\n,,,,,\"line 2: is longer than 45 bytes", "",
     "site,dry_bulb,pressure,relative_humidity\n" + std::string(40, 'x') + ",25,101.325,50\n"},
};

INSTANTIATE_TEST_SUITE_P(Lean, Says, ::testing::ValuesIn(kLean), RowName);

const SaysRow kLeanRefused[] = {
    {"PrecisionZero", Batch({"--precision", "0"}), 2, "", "--precision is a whole number of significant digits from 1 to 17, not '0'", kRh},
    {"PrecisionEighteen", Batch({"--precision", "18"}), 2, "", "not '18'", kRh},
    {"PrecisionFull", Batch({"--precision", "full"}), 2, "", "not 'full'", kRh},
    {"ColumnsUnknown", Batch({"--columns", "wet_bulb,entropy"}), 2, "",
     "--columns: 'entropy' is not an output column; they are dry_bulb, pressure, wet_bulb", kRh},
    {"ColumnsGrainsInSi", Batch({"--columns", "grains"}), 2, "", "'grains' is not an output column in SI units", kRh},
    {"ColumnsEmptyItem", Batch({"--columns", "wet_bulb,,enthalpy"}), 2, "",
     "--columns takes names separated by commas, not 'wet_bulb,,enthalpy'", kRh},
};

INSTANTIATE_TEST_SUITE_P(LeanRefused, Says, ::testing::ValuesIn(kLeanRefused), RowName);

// 17 digits read back as the very double the shortest text gives.
TEST(BatchPrecision, SeventeenDigitsReadBackAsTheShortest)
{
    const std::vector<Row> shortest = CsvRows(RunCli(Batch({}), kRh).out);
    const std::vector<Row> full = CsvRows(RunCli(Batch({"--precision", "17"}), kRh).out);
    ASSERT_EQ(shortest.size(), 1U);
    ASSERT_EQ(full.size(), 1U);
    for (const auto& [column, cell] : shortest[0]) {
        if (column != "site" && column != "status") {
            EXPECT_EQ(Number(full[0].at(column)), Number(cell)) << column;
        }
    }
}

// ---------------------------------------------------------------------------
// Warnings: one line per column on standard error, after the output.

const std::string kWarning = "humitrax-cli: batch: warning: ";

const SaysRow kWarnings[] = {
    {"PressureInHectopascals", Batch({}), 0, "\n25,1013.25,",
     kWarning + "pressure: 2 of 2 rows lie outside 30 to 120 kPa; in hPa or mbar? (a unit in the header, as in "
                "\"pressure [hPa]\", or --pressure-unit hPa, converts them)\n",
     "dry_bulb,pressure,relative_humidity\n25,1013.25,50\n20,1009,60\n"},
    {"RelativeHumidityAsFractions", Batch({}), 0, "\n-5,101.325,",
     kWarning + "relative_humidity: 2 of 2 rows lie within 0 to 1 %; a fraction? relative humidity is in percent "
                "(50 for 50 %)\n",
     "dry_bulb,pressure,relative_humidity\n25,101.325,0.5\n-5,101.325,0.6\n"},
    {"HumidityRatioInGramsPerKilogram", Batch({}), 1, "humidity_ratio: above saturation",
     kWarning + "humidity_ratio: 1 of 2 rows lies above 0.1 kg/kg; in g/kg, or a dry bulb in °F? (a unit in the "
                "header, as in \"humidity_ratio [g/kg]\", converts them)\n",
     "dry_bulb,pressure,humidity_ratio\n25,101.325,9.5\n25,101.325,0.0095\n"},
    {"DryBulbInFahrenheit", Batch({}), 0, "\n86,101.325,",
     kWarning + "dry_bulb: the value lies above 60 °C; in °F? (a unit in the header, as in \"dry_bulb [F]\", "
                "converts them)\n",
     "dry_bulb,pressure,relative_humidity\n86,101.325,10\n"},
    {"InchPoundPressureInKilopascals", Batch({"--units", "ip"}), 0, "\n77,101.325,",
     kWarning + "pressure: the value lies outside 4.4 to 17.4 psia; in kPa?",
     "dry_bulb,pressure,relative_humidity\n77,101.325,50\n"},
    {"StatePressureInHectopascals",
     {"state", "--model", "calculator", "--dry-bulb", "25", "--pressure", "1013", "--relative-humidity", "50"}, 0,
     "Barometric pressure", "humitrax-cli: state: warning: pressure: the value lies outside 30 to 120 kPa; in hPa or "
                            "mbar? (--pressure takes kPa)\n"},
    {"StateInchPoundDryBulbInKelvins",
     {"state", "--units", "ip", "--model", "ashrae2017", "--dry-bulb", "300", "--pressure", "14.696",
      "--humidity-ratio", "0.01"},
     1, "Dry bulb temperature", "warning: dry_bulb: the value lies above 140 °F; in kelvins? (--dry-bulb takes °F)"},
    {"StateRefusedAndWarned",
     {"state", "--model", "calculator", "--dry-bulb", "25", "--pressure", "101.325", "--humidity-ratio", "12"}, 1,
     "(not computed)",
     "humitrax-cli: state: humidity_ratio: above saturation at the dry bulb and pressure\nhumitrax-cli: state: "
     "warning: humidity_ratio: the value lies above 0.1 kg/kg; in g/kg, or a dry bulb in °F? (--humidity-ratio "
     "takes kg/kg)\n"},
};

INSTANTIATE_TEST_SUITE_P(Plausibility, Says, ::testing::ValuesIn(kWarnings), RowName);

// Weather at its extremes, in either unit system, by file or by state: not
// a word on standard error.
TEST(Plausibility, WeatherNeverWarns)
{
    const std::string si = "dry_bulb,pressure,relative_humidity\n-60,50,100\n56.7,108,1\n-20,33.7,0\n25,101.325,55\n";
    const std::string ip = "dry_bulb,pressure,relative_humidity\n-76,7.3,100\n134,15.7,3\n77,14.696,50\n";
    for (const auto& [units, file] : {std::pair{"si", si}, std::pair{"ip", ip}}) {
        const CliRun run = RunCli(Batch({"--units", units, "--jobs", "2"}), file);
        EXPECT_LE(run.exitCode, 1);
        EXPECT_EQ(run.err, "") << units;
    }
    const CliRun state =
        RunCli({"state", "--model", "ashrae2017", "--dry-bulb", "-40", "--pressure", "55", "--relative-humidity", "2"});
    EXPECT_EQ(state.exitCode, 0);
    EXPECT_EQ(state.err, "");
}

} // namespace
} // namespace humitrax::testing
