// A state from any two of its properties, wherever the command line takes a
// state: state's options, batch's header (or --given A,B), and the state text
// of process and comfort. Each gives the same numbers for the same pair.
#include "run_cli.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace humitrax::testing {
namespace {

struct PairRow {
    const char* name;
    std::vector<std::string> model; ///< the options that choose the relations and units
    std::string first;              ///< a column name
    std::string firstValue;
    std::string second;
    std::string secondValue;
    std::string pressure;
    std::string stateKey; ///< the pair as a state text, "h=50,w=0.008"
    std::string heatedTo = "60";
};

std::string Option(std::string column)
{
    for (char& c : column)
        c = c == '_' ? '-' : c;
    return "--" + column;
}

std::vector<std::string> With(std::vector<std::string> front, const std::vector<std::string>& back)
{
    front.insert(front.end(), back.begin(), back.end());
    return front;
}

class PairParity : public ::testing::TestWithParam<PairRow> {};

// state, batch (the pair named by the header, and chosen by --given from
// batch's own output) and process's entering air say the same, cell by cell.
TEST_P(PairParity, StateBatchAndProcessAgree)
{
    const PairRow& row = GetParam();
    const CliRun state = RunCli(With({"state", "--format", "csv", "--pressure", row.pressure, Option(row.first),
                                      row.firstValue, Option(row.second), row.secondValue},
                                     row.model));
    ASSERT_EQ(state.exitCode, 0) << state.err;
    const Row expected = CsvRows(state.out).at(0);
    EXPECT_EQ(expected.at(row.first), row.firstValue);
    EXPECT_EQ(expected.at(row.second), row.secondValue);

    const CliRun batch = RunCli(With({"batch"}, row.model), row.first + ",pressure," + row.second + "\n" +
                                                                row.firstValue + "," + row.pressure + "," +
                                                                row.secondValue + "\n");
    ASSERT_EQ(batch.exitCode, 0) << batch.err;
    EXPECT_EQ(CsvRows(batch.out).at(0), expected);

    // Batch's own output read back by the pair.
    const CliRun again =
        RunCli(With({"batch", "--given", row.first + "," + row.second}, row.model), state.out);
    ASSERT_EQ(again.exitCode, 0) << again.err;
    EXPECT_EQ(CsvRows(again.out).at(0), expected);

    const CliRun process = RunCli(With({"process", "heat", row.stateKey, "--flow", "1kg/s", "--to", row.heatedTo,
                                        "--pressure", row.pressure, "--format", "csv"},
                                       row.model));
    ASSERT_EQ(process.exitCode, 0) << process.err;
    const std::string enteringDryBulb = "entering,dry_bulb," + expected.at("dry_bulb") + ",";
    EXPECT_NE(process.out.find(enteringDryBulb), std::string::npos) << process.out;
}

INSTANTIATE_TEST_SUITE_P(
    Cli, PairParity,
    ::testing::Values(
        PairRow{"supply_by_enthalpy_and_humidity_ratio", {}, "humidity_ratio", "0.008", "enthalpy", "50", "101.325",
                "h=50,w=0.008"},
        PairRow{"room_by_wet_bulb_and_relative_humidity", {}, "wet_bulb", "18", "relative_humidity", "60", "101.325",
                "wb=18,rh=60"},
        PairRow{"coil_leaving_by_dew_point_and_relative_humidity", {"--model", "calculator"}, "dew_point", "10",
                "relative_humidity", "80", "101.325", "dp=10,rh=80"},
        PairRow{"logger_by_dew_point_and_enthalpy_ip", {"--units", "ip"}, "dew_point", "50", "enthalpy", "28",
                "14.696", "dp=50,h=28", "140"},
        PairRow{"frost_by_volume_and_vapour_pressure_over_water", {"--saturation", "water"}, "specific_volume",
                "0.858", "vapour_pressure", "0.3", "90", "v=0.858,pw=0.3"},
        PairRow{"dry_bulb_with_enthalpy", {}, "dry_bulb", "30", "enthalpy", "60", "101.325", "db=30,h=60"}),
    RowName);

// A pair that has no state is refused alike, and says why.
INSTANTIATE_TEST_SUITE_P(
    Pair, Says,
    ::testing::Values(
        SaysRow{"StateSameMoisture",
                {"state", "--dew-point", "10", "--humidity-ratio", "0.008", "--pressure", "101.325"}, 1, "Dew point",
                "humitrax-cli: state: dew_point and humidity_ratio fix the same moisture; give a temperature, the "
                "enthalpy or the volume as well"},
        SaysRow{"BatchShallowPair", {"batch"}, 1,
                ",101.325,18,,,,50,,,,,,,,\"wet_bulb and enthalpy cross too shallowly", "",
                "wet_bulb,enthalpy,pressure\n18,50,101.325\n"},
        SaysRow{"BatchHeaderOfThreeWithoutADryBulb", {"batch"}, 2, "",
                "the header has no dry_bulb column, and names 3 other properties a state is given by; choose two "
                "with --given A,B",
                "enthalpy,humidity_ratio,pressure,wet_bulb\n50,0.008,101.325,18\n"},
        SaysRow{"ComfortNoAirHasThePair",
                {"comfort", "rh=60,h=-500", "--met", "1", "--clo", "1", "--pressure", "101.325"}, 1, "",
                "the air cannot exist: relative_humidity and enthalpy fit no air within the relations' range"},
        SaysRow{"StateTextPropertyTwice", {"comfort", "h=50,h=60", "--met", "1", "--clo", "1", "--pressure", "101"},
                2, "", "the state 'h=50,h=60' gives enthalpy twice"},
        SaysRow{"GivenOfThree", {"batch", "--given", "dry_bulb,enthalpy,wet_bulb"}, 2, "",
                "--given takes a condition"}),
    RowName);

} // namespace
} // namespace humitrax::testing
