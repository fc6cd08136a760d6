// humitrax-cli process, run as a user runs it: what it prints balances, the
// flows convert between the unit systems, and every exit status means what
// the help says.
#include "run_cli.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace humitrax {
namespace {

using testing::CliRun;
using testing::Lines;
using testing::RunCli;

const std::vector<std::string> kSeaLevelSI = {"--units", "si", "--pressure", "101.325"};

std::vector<std::string> Args(std::vector<std::string> args, const std::vector<std::string>& more)
{
    args.insert(args.begin(), "process");
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

using CsvMap = std::map<std::pair<std::string, std::string>, double>;

/// The arguments of a process at sea level in SI.
std::vector<std::string> Si(std::vector<std::string> args)
{
    args.insert(args.end(), kSeaLevelSI.begin(), kSeaLevelSI.end());
    return args;
}

/// The csv output as (part, quantity) → value; an empty value is NaN.
CsvMap CsvValues(const std::string& text)
{
    CsvMap values;
    const std::vector<std::string> lines = Lines(text);
    EXPECT_FALSE(lines.empty());
    for (std::size_t i = 1; i < lines.size(); ++i) {
        std::istringstream fields(lines[i]);
        std::string part, quantity, value;
        std::getline(fields, part, ',');
        std::getline(fields, quantity, ',');
        std::getline(fields, value, ',');
        values[{part, quantity}] = value.empty() ? std::nan("") : std::stod(value);
    }
    return values;
}

double Value(const CsvMap& values, const std::string& part, const std::string& quantity)
{
    const auto found = values.find({part, quantity});
    EXPECT_NE(found, values.end()) << part << " " << quantity;
    return found == values.end() ? std::nan("") : found->second;
}

// ---------------------------------------------------------------------------
// What a process prints balances: dry air, water and energy, from the csv
// values alone (F = 1 in SI; 60 min/h in inch-pound).

struct BalanceRow {
    const char* name;
    std::vector<std::string> args;
};

class ProcessBalance : public ::testing::TestWithParam<BalanceRow> {};

TEST_P(ProcessBalance, OfWhatItPrints)
{
    for (const char* model : {"calculator", "ashrae2017"}) {
        const CliRun run = RunCli(Args(GetParam().args, {"--format", "csv", "--model", model}));
        ASSERT_EQ(run.exitCode, 0) << run.err;
        const CsvMap v = CsvValues(run.out);
        const bool ip = v.contains({"entering", "grains"});
        const double F = ip ? 60.0 : 1.0;
        const double m = Value(v, "entering", "dry_air_flow");
        EXPECT_EQ(m, Value(v, "leaving", "dry_air_flow"));
        const double water = v.contains({"process", "water"}) ? Value(v, "process", "water") : std::nan("");
        const double w = std::isnan(water) ? 0.0 : water;
        const double hw = std::isnan(water) ? 0.0 : Value(v, "process", "water_enthalpy");
        const double inflow = F * m * Value(v, "entering", "enthalpy") + F * w * hw + Value(v, "process", "heat");
        const double outflow = F * m * Value(v, "leaving", "enthalpy");
        EXPECT_NEAR(inflow, outflow, 1e-9 * std::fabs(outflow)) << model;
        EXPECT_NEAR(m * Value(v, "entering", "humidity_ratio") + w, m * Value(v, "leaving", "humidity_ratio"),
                    1e-12 * m)
            << model;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cli, ProcessBalance,
    ::testing::Values(
        BalanceRow{"heat", Si({"heat", "5,rh=80", "--flow", "2m3/s", "--to", "35"})},
        BalanceRow{"cool_ip", {"cool", "95,rh=30", "--flow", "2000cfm", "--to", "75", "--units", "ip",
                               "--pressure", "14.696"}},
        BalanceRow{"coil_adp", Si({"coil", "28,wb=21", "--flow", "2kg/s", "--adp", "10", "--bypass", "0.1"})},
        BalanceRow{"coil_leaving_ip", {"coil", "86,rh=50", "--flow", "3000cfm", "--leaving", "57,rh=92",
                                       "--units", "ip", "--altitude", "1000"}},
        BalanceRow{"steam", Si({"humidify", "22,rh=20", "--flow", "1kg/s", "--steam", "100", "--to", "rh=50"})},
        BalanceRow{"evaporative_ip", {"humidify", "95,rh=20", "--flow", "5000cfm", "--adiabatic",
                                      "--effectiveness", "0.8", "--units", "ip", "--altitude", "3000"}}),
    [](const ::testing::TestParamInfo<BalanceRow>& row) { return std::string(row.param.name); });

TEST(Process, MixesEqualStreamsHalfway)
{
    const CliRun run = RunCli(Args({"mix", "32,wb=24", "--flow", "1.5kg/s", "20,dp=8", "--flow", "1.5kg/s",
                                    "--format", "csv"},
                                   kSeaLevelSI));
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const CsvMap v = CsvValues(run.out);
    for (const char* quantity : {"humidity_ratio", "enthalpy"}) {
        const double halfway = (Value(v, "first", quantity) + Value(v, "second", quantity)) / 2;
        EXPECT_NEAR(Value(v, "mixed", quantity), halfway, 1e-12 * halfway) << quantity;
    }
    EXPECT_EQ(Value(v, "mixed", "dry_air_flow"), 3.0);
}

// 3000 cfm is 1.4158 m³/s: the same air gives the same dry air in either system.
TEST(Process, VolumeFlowsAgreeAcrossUnitSystems)
{
    const CliRun si = RunCli(Args({"heat", "20,rh=50", "--flow", "3000cfm", "--to", "30", "--format", "csv"},
                                  kSeaLevelSI));
    const CliRun ip = RunCli({"process", "heat", "68,rh=50", "--flow", "1.4158423296m3/s", "--to", "86",
                              "--format", "csv", "--units", "ip", "--pressure", "14.6959488"});
    ASSERT_EQ(si.exitCode, 0) << si.err;
    ASSERT_EQ(ip.exitCode, 0) << ip.err;
    const double kgPerSecond = Value(CsvValues(si.out), "entering", "dry_air_flow");
    const double lbPerMinute = Value(CsvValues(ip.out), "entering", "dry_air_flow");
    EXPECT_NEAR(lbPerMinute * 0.45359237 / 60.0, kgPerSecond, 1e-4 * kgPerSecond);
    EXPECT_NEAR(kgPerSecond, 1.4158423296 / Value(CsvValues(si.out), "entering", "specific_volume"), 1e-12);
}

TEST(Process, JsonHasTheLoadsTheCsvHas)
{
    const std::vector<std::string> coil = {"coil", "28,wb=21", "--flow", "2kg/s", "--adp", "10", "--bypass", "0.1"};
    const CliRun json = RunCli(Args(coil, Si({"--format", "json"})));
    const CliRun csv = RunCli(Args(coil, Si({"--format", "csv"})));
    ASSERT_EQ(json.exitCode, 0) << json.err;
    EXPECT_EQ(Lines(json.out).size(), 1U);
    EXPECT_NE(json.out.find(",\"status\":null}"), std::string::npos);
    for (const char* key : {"heat", "water", "bypass_factor"}) {
        const std::size_t at = json.out.find(std::string("\"") + key + "\":");
        ASSERT_NE(at, std::string::npos) << key;
        EXPECT_EQ(std::stod(json.out.substr(at + std::string(key).size() + 3)),
                  Value(CsvValues(csv.out), "process", key));
    }
}

TEST(Process, TableReadsCoolingAsRemoved)
{
    const CliRun run = RunCli(Args({"coil", "28,wb=21", "--flow", "2kg/s", "--adp", "10", "--bypass", "0.1"},
                                   kSeaLevelSI));
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("Heat removed                56.0537"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Condensate                  0.00918487    kg/s"), std::string::npos);
    EXPECT_NE(run.out.find("Bypass factor               0.1\n"), std::string::npos);
}

TEST(Process, HelpHasAnExampleOfEachProcess)
{
    const CliRun run = RunCli({"process", "--help"});
    EXPECT_EQ(run.exitCode, 0);
    for (const char* example : {"process mix ", "process heat ", "process cool ", "process coil ", "process humidify "})
        EXPECT_NE(run.out.find(std::string("humitrax-cli ") + example), std::string::npos) << example;
    EXPECT_NE(RunCli({"--help"}).out.find("  process mix|heat|cool|coil|humidify"), std::string::npos);
}

// ---------------------------------------------------------------------------
// Exit statuses and their messages.

struct ExitRow {
    const char* name;
    std::vector<std::string> args;
    int exitCode;
    const char* says; ///< on standard error
};

class ProcessExit : public ::testing::TestWithParam<ExitRow> {};

TEST_P(ProcessExit, SaysWhy)
{
    const ExitRow& row = GetParam();
    const CliRun run = RunCli(row.args);
    EXPECT_EQ(run.exitCode, row.exitCode) << run.err;
    EXPECT_NE(run.err.find(row.says), std::string::npos) << run.err;
    EXPECT_EQ(run.out, ""); // refused or unusable: nothing on standard output
}

INSTANTIATE_TEST_SUITE_P(
    Cli, ProcessExit,
    ::testing::Values(
        ExitRow{"fog_when_mixing", Args({"mix", "2,rh=100", "--flow", "1kg/s", "35,rh=95", "--flow", "1kg/s"},
                                        kSeaLevelSI),
                1, "refused (mixed air): the mixed air would be above saturation"},
        ExitRow{"sensible_cooling_below_the_dew_point",
                Args({"cool", "30,rh=60", "--flow", "1kg/s", "--to", "18"}, kSeaLevelSI), 1, "(process coil)"},
        ExitRow{"air_that_cannot_exist", Args({"heat", "20,rh=120", "--flow", "1kg/s", "--to", "30"}, kSeaLevelSI),
                1, "refused (entering air): the air cannot exist (relative_humidity above 100 %)"},
        ExitRow{"negative_flow", Args({"heat", "20,rh=50", "--flow", "-1kg/s", "--to", "30"}, kSeaLevelSI), 1,
                "a flow below 0"},
        ExitRow{"adp_above_the_dew_point",
                Args({"coil", "25,rh=40", "--flow", "1kg/s", "--adp", "14", "--bypass", "0.1"}, kSeaLevelSI), 1,
                "apparatus dew point lies above the entering dew point"},
        ExitRow{"flow_without_unit", Args({"heat", "20,rh=50", "--flow", "1", "--to", "30"}, kSeaLevelSI), 2,
                "needs a unit"},
        ExitRow{"no_flow", Args({"heat", "20,rh=50", "--to", "30"}, kSeaLevelSI), 2, "give one --flow"},
        ExitRow{"option_of_another_process",
                Args({"heat", "20,rh=50", "--flow", "1kg/s", "--to", "30", "--adp", "3"}, kSeaLevelSI), 2,
                "unknown option '--adp' for process heat"},
        ExitRow{"flows_not_after_their_states",
                Args({"mix", "20,rh=50", "30,rh=40", "--flow", "1kg/s", "--flow", "1kg/s"}, kSeaLevelSI), 2,
                "--flow after it"},
        ExitRow{"state_without_condition", Args({"heat", "20", "--flow", "1kg/s", "--to", "30"}, kSeaLevelSI), 2,
                "is not DRY_BULB,rh=V"},
        ExitRow{"unknown_condition", Args({"heat", "20,x=3", "--flow", "1kg/s", "--to", "30"}, kSeaLevelSI), 2,
                "give rh, wb, dp or w"},
        ExitRow{"humidifier_without_target",
                Args({"humidify", "20,rh=50", "--flow", "1kg/s", "--steam", "100"}, kSeaLevelSI), 2, "--to rh=V"},
        ExitRow{"no_pressure", {"process", "heat", "20,rh=50", "--flow", "1kg/s", "--to", "30", "--units", "si"}, 2,
                "--pressure or --altitude is needed"},
        ExitRow{"unknown_process", {"process", "freeze"}, 2, "unknown process 'freeze'"},
        ExitRow{"unknown_model", Args({"heat", "20,rh=50", "--flow", "1kg/s", "--to", "30", "--model", "x"},
                                      kSeaLevelSI),
                2, "--model is calculator or ashrae2017"}),
    [](const ::testing::TestParamInfo<ExitRow>& row) { return std::string(row.param.name); });

} // namespace
} // namespace humitrax
