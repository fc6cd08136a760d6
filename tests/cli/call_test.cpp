// humitrax-cli call: one answer line per call, in each of its kinds, and the
// exit status.
#include "humitrax/psychrometrics.h"
#include "run_cli.h"

#include <gtest/gtest.h>

#include <charconv>
#include <string>
#include <vector>

namespace humitrax::testing {
namespace {

struct CallRow {
    const char* name;
    std::vector<std::string> args;
    std::string answer;
    int exitCode;
};

class CallTable : public ::testing::TestWithParam<CallRow> {};

TEST_P(CallTable, AnswersOneLine)
{
    const CallRow& row = GetParam();
    std::vector<std::string> args{"call"};
    args.insert(args.end(), row.args.begin(), row.args.end());
    const CliRun run = RunCli(args);
    EXPECT_EQ(run.out, row.answer + "\n");
    EXPECT_EQ(run.exitCode, row.exitCode) << run.err;
}

INSTANTIATE_TEST_SUITE_P(
    Call, CallTable,
    ::testing::Values(
        CallRow{"number_shortest_round_trip", {"interp", "0"}, "number 14.6965450413525", 0},
        CallRow{"number_with_exponent_argument", {"HumidRatioSI", "2.5e1", "101.325", "4", "1e-2"}, "number 0.01", 0},
        CallRow{"text", {"SatPressureSI", "250"}, "text out of range", 0},
        CallRow{"empty", {"HumiditySI", "25", "101.325", "7", "0.5"}, "empty", 0},
        CallRow{"failure", {"DewPointSI", "25", "101.325", "4", "0"}, "failure invalid-logarithm", 0},
        CallRow{"unknown_function", {"Dewpoint", "1"}, "error unknown function 'Dewpoint'", 2},
        CallRow{"too_few_arguments", {"Grains", "77", "14.696", "4"},
                "error Grains takes 4 arguments (T p Situation StateVar), not 3", 2},
        CallRow{"one_argument_singular", {"SatPressureSI"}, "error SatPressureSI takes 1 argument (T), not 0", 2},
        CallRow{"long_token_echo_cut", {std::string(100, 'x')},
                "error unknown function '" + std::string(80, 'x') + "...'", 2},
        CallRow{"not_a_number", {"SatPressureSI", "2,5"}, "error argument 1 '2,5' is not a number", 2},
        CallRow{"plus_sign", {"HumidRatioSI", "+25", "101.325", "+4", "+0.5"}, "number 0.5", 0},
        CallRow{"situation_not_whole", {"HumidRatioSI", "25", "101.325", "1.5", "18"},
                "error argument 3 '1.5' is not a whole number from -32768 to 32767", 2}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(Call, AnswersAreTheEnginesDoublesToTheBit)
{
    const CliRun run = RunCli({"call", "WetBulb", "77", "14.696", "3", "0.5", "0"});
    ASSERT_EQ(run.out.rfind("number ", 0), 0U) << run.out;
    const std::string text = run.out.substr(7, run.out.size() - 8);
    double read = 0.0;
    std::from_chars(text.data(), text.data() + text.size(), read);
    EXPECT_EQ(read, WetBulb(77, 14.696, 3, 0.5, 0).AsNumber());
}

TEST(Call, ReadsOneCallPerLineAndGoesOnAfterABadOne)
{
    const CliRun run =
        RunCli({"call"}, "\xEF\xBB\xBFSatPressureSI 20\n \nnonsense 1 2\r\nGrains 77 14.696 4 0.01\nVolumeSI 25 0 4 0.01");
    EXPECT_EQ(run.out, "number 2.3388036509173142\nerror empty line\nerror unknown function 'nonsense'\n"
                       "number 70\nfailure division-by-zero\n");
    EXPECT_EQ(run.exitCode, 2);
}

TEST(Call, ManyLinesAnswerInOrder)
{
    std::string input;
    for (int i = 0; i < 5000; ++i)
        input += "HumidRatioSI 25 101.325 4 " + std::to_string(i) + "\n";
    const CliRun run = RunCli({"call"}, input);
    const std::vector<std::string> lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 5000U);
    EXPECT_EQ(lines[4321], "number 4321");
    EXPECT_EQ(run.exitCode, 0);
}

TEST(Call, AnswersWhileItsInputStaysOpen)
{
    CliProcess call({"call"});
    ASSERT_TRUE(call.Write("SatPressureSI 20\n"));
    EXPECT_EQ(call.ReadLine(20), "number 2.3388036509173142");
}

// Output that cannot be written, whether a write or the last flush finds it:
// exit status 3 with a message.
struct OutputRow {
    const char* name;
    std::vector<std::string> args;
    std::string output; ///< where standard output goes: a file, or "&-" for closed
    std::string input;
};

class UnwritableOutput : public ::testing::TestWithParam<OutputRow> {};

TEST_P(UnwritableOutput, ExitThreeWithAMessage)
{
    const CliRun run = RunCli(GetParam().args, GetParam().input, {}, GetParam().output);
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_NE(run.err.find("cannot write the output"), std::string::npos) << run.err;
}

std::string BatchRows(int count)
{
    std::string rows = "dry_bulb,pressure,relative_humidity\n";
    for (int i = 0; i < count; ++i)
        rows += "25,101.325,50\n";
    return rows;
}

INSTANTIATE_TEST_SUITE_P(
    Cli, UnwritableOutput,
    ::testing::Values(
        OutputRow{"call_full_disk", {"call", "SatPressureSI", "20"}, "/dev/full", ""},
        OutputRow{"call_closed", {"call", "SatPressureSI", "20"}, "&-", ""},
        OutputRow{"calc_full_disk", {"calc", "--dry-bulb", "25", "--pressure", "101", "--wet-bulb", "20"},
                  "/dev/full", ""},
        OutputRow{"state_closed",
                  {"state", "--units", "si", "--dry-bulb", "25", "--pressure", "101", "--wet-bulb", "20"}, "&-", ""},
        OutputRow{"help_full_disk", {"--help"}, "/dev/full", ""},
        OutputRow{"process_json_full_disk", {"process", "heat", "20,rh=50", "--flow", "1kg/s", "--to", "30", "--format",
                                             "json", "--units", "si", "--pressure", "101.325"},
                  "/dev/full", ""},
        OutputRow{"comfort_closed", {"comfort", "22,rh=60", "--met", "1.2", "--clo", "0.5", "--units", "si",
                                     "--pressure", "101.325"},
                  "&-", ""},
        OutputRow{"batch_one_row_at_the_last_flush", {"batch", "--jobs", "1"}, "/dev/full", BatchRows(1)},
        OutputRow{"batch_many_rows_on_several_jobs", {"batch", "--jobs", "2"}, "/dev/full", BatchRows(20000)}),
    [](const auto& row) { return std::string(row.param.name); });

// The help of each command, its examples and the exit statuses; the version.
struct HelpRow {
    const char* name;
    std::vector<std::string> args;
    int exitCode;
    const char* says; ///< on standard output when it succeeds, else on standard error
};

class Help : public ::testing::TestWithParam<HelpRow> {};

TEST_P(Help, SaysIt)
{
    const CliRun run = RunCli(GetParam().args);
    EXPECT_EQ(run.exitCode, GetParam().exitCode);
    EXPECT_NE((run.exitCode == 0 ? run.out : run.err).find(GetParam().says), std::string::npos) << run.out;
}

INSTANTIATE_TEST_SUITE_P(
    Cli, Help,
    ::testing::Values(HelpRow{"exit_statuses", {"--help"}, 0, "3  the output could not be written"},
                      HelpRow{"call_example", {"--help"}, 0, "humitrax-cli call WetBulbSI"},
                      HelpRow{"call", {"call", "--help"}, 0, "  call FUNCTION ARG..."},
                      HelpRow{"calc", {"calc", "--help"}, 0, "  calc --dry-bulb T (--pressure P | --altitude A)"},
                      HelpRow{"state", {"--help"}, 0, "  state [--units si|ip]"},
                      HelpRow{"state_example", {"--help"}, 0, "        humitrax-cli state --units si"},
                      HelpRow{"batch", {"--help"}, 0, "  batch [--units si|ip]"},
                      HelpRow{"batch_example", {"--help"}, 0, "        humitrax-cli batch --units ip weather.csv"},
                      HelpRow{"process", {"--help"}, 0, "  process mix|heat|cool|coil|humidify"},
                      HelpRow{"version", {"--version"}, 0, "humitrax-cli " HUMITRAX_VERSION_TEXT "\n"},
                      HelpRow{"unknown_command", {"frobnicate"}, 2, "frobnicate"},
                      HelpRow{"no_command", {}, 2, ""}),
    [](const auto& row) { return std::string(row.param.name); });

} // namespace
} // namespace humitrax::testing
