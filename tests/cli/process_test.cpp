// humitrax-cli process, run as a user runs it: what it prints balances, and
// its outputs and exit statuses say what the help says.
#include "run_cli.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace humitrax::testing {
namespace {

/// The arguments of a process at sea level in SI.
std::vector<std::string> Si(std::vector<std::string> args)
{
    args.insert(args.begin(), "process");
    args.insert(args.end(), {"--units", "si", "--pressure", "101.325"});
    return args;
}

std::vector<std::string> With(std::vector<std::string> front, const std::vector<std::string>& back)
{
    front.insert(front.end(), back.begin(), back.end());
    return front;
}

/// The csv output as (part, quantity) → value; an empty value is NaN.
std::map<std::pair<std::string, std::string>, double> CsvValues(const std::string& text)
{
    std::map<std::pair<std::string, std::string>, double> values;
    for (const std::string& line : Lines(text)) {
        std::istringstream fields(line);
        std::string part, quantity, value;
        std::getline(std::getline(std::getline(fields, part, ','), quantity, ','), value, ',');
        values[{part, quantity}] = value.empty() ? std::nan("") : std::strtod(value.c_str(), nullptr);
    }
    return values;
}

// ---------------------------------------------------------------------------
// Dry air, water and energy balance from the csv values alone (F = 1 in SI;
// 60 min/h in inch-pound), under both models.

struct BalanceRow {
    const char* name;
    std::vector<std::string> args;
};

class ProcessBalance : public ::testing::TestWithParam<BalanceRow> {};

TEST_P(ProcessBalance, OfWhatItPrints)
{
    for (const char* model : {"calculator", "ashrae2017"}) {
        std::vector<std::string> args = GetParam().args;
        args.insert(args.end(), {"--format", "csv", "--model", model});
        const CliRun run = RunCli(args);
        ASSERT_EQ(run.exitCode, 0) << run.err;
        const auto v = CsvValues(run.out);
        const auto get = [&](const char* part, const char* quantity) {
            return v.contains({part, quantity}) ? v.at({part, quantity}) : 0.0;
        };
        const char* out = v.contains({"mixed", "enthalpy"}) ? "mixed" : "leaving";
        const double F = v.contains({out, "grains"}) ? 60.0 : 1.0;
        double air = 0.0;
        double water = get("process", "water");
        double energy = get("process", "heat") + F * water * get("process", "water_enthalpy");
        for (const char* in : {"entering", "first", "second"}) {
            air += get(in, "dry_air_flow");
            water += get(in, "dry_air_flow") * get(in, "humidity_ratio");
            energy += F * get(in, "dry_air_flow") * get(in, "enthalpy");
        }
        const double m = v.at({out, "dry_air_flow"});
        EXPECT_NEAR(air, m, 1e-12 * m) << model;
        EXPECT_NEAR(water, m * v.at({out, "humidity_ratio"}), 1e-12 * m) << model;
        EXPECT_NEAR(energy, F * m * v.at({out, "enthalpy"}), 1e-9 * std::fabs(energy)) << model;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cli, ProcessBalance,
    ::testing::Values(
        BalanceRow{"mix", Si({"mix", "32,wb=24", "--flow", "1.5kg/s", "20,dp=8", "--flow", "2.5kg/s"})},
        BalanceRow{"heat", Si({"heat", "5,rh=80", "--flow", "2m3/s", "--to", "35"})},
        BalanceRow{"cool_ip", {"process", "cool", "95,rh=30", "--flow", "2000cfm", "--to", "75", "--units", "ip",
                               "--pressure", "14.696"}},
        BalanceRow{"coil_adp", Si({"coil", "28,wb=21", "--flow", "2kg/s", "--adp", "10", "--bypass", "0.1"})},
        BalanceRow{"steam", Si({"humidify", "22,rh=20", "--flow", "1kg/s", "--steam", "100", "--to", "rh=50"})},
        BalanceRow{"evaporative_ip", {"process", "humidify", "95,rh=20", "--flow", "5000cfm", "--adiabatic",
                                      "--effectiveness", "0.8", "--units", "ip", "--altitude", "3000"}}),
    RowName);

// ---------------------------------------------------------------------------
// What it prints: on standard output when it succeeds, else on standard
// error with nothing on standard output.

const std::vector<std::string> kCoil = {"coil", "28,wb=21", "--flow", "2kg/s", "--adp", "10", "--bypass", "0.1"};

const SaysRow kSays[] = {
    {"table_reads_cooling_as_removed", Si(With(kCoil, {"--model", "calculator"})), 0,
     "Heat removed                56.0537", ""},
    {"table_condensate", Si(With(kCoil, {"--model", "calculator"})), 0,
     "Condensate                  0.00918487    kg/s", ""},
    {"json_loads", Si({"coil", "28,wb=21", "--flow", "2kg/s", "--adp", "10", "--bypass", "0.1", "--format", "json"}), 0,
     "\"apparatus_dew_point\":10,\"bypass_factor\":0.1},\"status\":null}\n", ""},
    {"help_example", {"process", "--help"}, 0, "humitrax-cli process humidify ", ""},
    {"fog_when_mixing", Si({"mix", "2,rh=100", "--flow", "1kg/s", "35,rh=95", "--flow", "1kg/s"}), 1, "",
     "refused (mixed air): the mixed air would be above saturation"},
    {"sensible_cooling_below_the_dew_point", Si({"cool", "30,rh=60", "--flow", "1kg/s", "--to", "18"}), 1, "",
     "(process coil)"},
    {"adp_above_the_dew_point", Si({"coil", "25,rh=40", "--flow", "1kg/s", "--adp", "14", "--bypass", "0"}), 1, "",
     "apparatus dew point lies above the entering dew point"},
    // Once: heat null, status null, exit 0.
    {"loads_that_overflow",
     Si({"heat", "22,rh=20", "--flow", "1e308kg/s", "--to", "30", "--format", "json"}), 1, "", "refused: overflow"},
    // Once: 99.97 °C at 15 % for a target of 50 %, exit 0.
    {"steam_above_the_range",
     Si({"humidify", "22,rh=20", "--flow", "1kg/s", "--steam", "500", "--to", "rh=50"}), 1, "",
     "refused: steam above 200 °C, the highest temperature the relations cover"},
    {"flow_without_unit", Si({"heat", "20,rh=50", "--flow", "1", "--to", "30"}), 2, "", "needs a unit"},
    {"option_of_another_process", Si({"heat", "20,rh=50", "--flow", "1kg/s", "--adp", "3"}), 2, "",
     "unknown option '--adp' for process heat"},
    {"flows_not_after_their_states", Si({"mix", "20,rh=50", "30,rh=40", "--flow", "1kg/s", "--flow", "1kg/s"}), 2,
     "", "--flow after it"},
    {"unknown_condition", Si({"heat", "20,x=3", "--flow", "1kg/s", "--to", "30"}), 2, "", "give db, wb, dp, rh, w, h, v or pw"},
    {"unknown_process", {"process", "freeze"}, 2, "", "unknown process 'freeze'"},
};

INSTANTIATE_TEST_SUITE_P(Process, Says, ::testing::ValuesIn(kSays), RowName);

} // namespace
} // namespace humitrax::testing

namespace humitrax::testing {
namespace {

// ---------------------------------------------------------------------------
// Processes chain: a part of one process's JSON enters the next with its dry
// bulb and humidity ratio to the bit, its dry-air flow where no --flow is
// given, and the file's pressure where the command names none.

std::string FieldOf(const std::string& json, const std::string& part, const std::string& key)
{
    const std::size_t at = json.find("\"" + key + "\":", json.find("\"" + part + "\":{"));
    const std::size_t start = at + key.size() + 3;
    return json.substr(start, json.find_first_of(",}", start) - start);
}

TEST(ProcessChain, TakesThePartsStateFlowAndPressure)
{
    const std::string path = ::testing::TempDir() + "humitrax-chain-mix.json";
    const CliRun mix = RunCli({"process", "mix", "32,wb=24", "--flow", "1kg/s", "24,rh=50", "--flow", "3m3/s",
                               "--pressure", "90", "--format", "json"});
    ASSERT_EQ(mix.exitCode, 0) << mix.err;
    std::ofstream(path) << mix.out;
    const CliRun coil = RunCli({"process", "coil", path + ":mixed", "--adp", "10", "--bypass", "0.1", "--format", "json"});
    ASSERT_EQ(coil.exitCode, 0) << coil.err;
    for (const char* key : {"dry_bulb", "humidity_ratio", "dry_air_flow"})
        EXPECT_EQ(FieldOf(coil.out, "entering", key), FieldOf(mix.out, "mixed", key)) << key;
    EXPECT_NE(coil.out.find("\"pressure\":90,"), std::string::npos) << coil.out;

    const CliRun unknown = RunCli({"process", "heat", path + ":leaving", "--to", "30"});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_NE(unknown.err.find("has no part 'leaving'; its parts are first, second, mixed"), std::string::npos)
        << unknown.err;
}

} // namespace
} // namespace humitrax::testing
