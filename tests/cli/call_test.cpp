// humitrax-cli call: one answer line per call, in each of its kinds, and the
// exit status.
#include "run_cli.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace humitrax::testing {
namespace {

std::vector<std::string> Call(std::vector<std::string> args)
{
    args.insert(args.begin(), "call");
    return args;
}

/// HumidRatioSI calls whose answers count from 0.
std::string ManyCalls(int count)
{
    std::string input;
    for (int i = 0; i < count; ++i)
        input += "HumidRatioSI 25 101.325 4 " + std::to_string(i) + "\n";
    return input;
}

const SaysRow kCalls[] = {
    {"number_shortest_round_trip", Call({"interp", "0"}), 0, "number 14.6965450413525\n", ""},
    {"number_with_exponent_argument", Call({"HumidRatioSI", "2.5e1", "101.325", "4", "1e-2"}), 0, "number 0.01\n", ""},
    {"text", Call({"SatPressureSI", "250"}), 0, "text out of range\n", ""},
    {"empty", Call({"HumiditySI", "25", "101.325", "7", "0.5"}), 0, "empty\n", ""},
    {"failure", Call({"DewPointSI", "25", "101.325", "4", "0"}), 0, "failure invalid-logarithm\n", ""},
    {"unknown_function", Call({"Dewpoint", "1"}), 2, "error unknown function 'Dewpoint'\n", ""},
    {"too_few_arguments", Call({"Grains", "77", "14.696", "4"}), 2,
     "error Grains takes 4 arguments (T p Situation StateVar), not 3\n", ""},
    {"one_argument_singular", Call({"SatPressureSI"}), 2, "error SatPressureSI takes 1 argument (T), not 0\n", ""},
    // Echoes escape control bytes and broken UTF-8, and stop at 60 characters.
    {"echo_escaped_and_cut", Call({"\x1b[31m" + std::string(100, 'x')}), 2,
     "error unknown function '\\x1b[31m" + std::string(52, 'x') + "...'\n", ""},
    {"not_a_number", Call({"SatPressureSI", "2,5\n\xff"}), 2, "error argument 1 '2,5\\n\\xff' is not a number\n", ""},
    {"plus_sign", Call({"HumidRatioSI", "+25", "101.325", "+4", "+0.5"}), 0, "number 0.5\n", ""},
    {"situation_not_whole", Call({"HumidRatioSI", "25", "101.325", "1.5", "18"}), 2,
     "error argument 3 '1.5' is not a whole number from -32768 to 32767\n", ""},
    // One call per line, an answer for each, a bad one no end.
    {"lines", {"call"}, 2,
     "number 2.3388036509173142\nerror empty line\nerror unknown function 'nonsense'\nnumber 70\n"
     "failure division-by-zero\n",
     "", "\xEF\xBB\xBFSatPressureSI 20\n \nnonsense 1 2\r\nGrains 77 14.696 4 0.01\nVolumeSI 25 0 4 0.01"},
    // A line past 1 MiB is answered once and passed over to its line feed;
    // the line after it is answered as usual. One of exactly 1 MiB is read.
    {"line_longer_than_1_MiB_skipped", {"call"}, 2,
     "error the line is longer than 1 MiB (1048576 bytes); it is skipped\nnumber 2.3388036509173142\n"
     "error unknown function 'yyy",
     "", std::string((1 << 20) + 1, 'x') + std::string(3 << 20, 'x') + "\nSatPressureSI 20\n" +
             std::string(1 << 20, 'y') + "\n"},
    {"many_lines_in_order", {"call"}, 0, "\nnumber 4320\nnumber 4321\nnumber 4322\n", "", ManyCalls(5000)},
};

INSTANTIATE_TEST_SUITE_P(Call, Says, ::testing::ValuesIn(kCalls), RowName);

TEST(Call, AnswersWhileItsInputStaysOpen)
{
    CliProcess call({"call"});
    ASSERT_TRUE(call.Write("SatPressureSI 20\n"));
    EXPECT_EQ(call.ReadLine(20), "number 2.3388036509173142");
}

// Output that cannot be written, whether a write or the last flush finds it:
// exit status 3 with a message.
std::string BatchRows(int count)
{
    std::string rows = "dry_bulb,pressure,relative_humidity\n";
    for (int i = 0; i < count; ++i)
        rows += "25,101.325,50\n";
    return rows;
}

const std::string kCannotWrite = "cannot write the output";

const SaysRow kUnwritable[] = {
    {"call_full_disk", Call({"SatPressureSI", "20"}), 3, "", kCannotWrite, "", "/dev/full"},
    {"call_closed", Call({"SatPressureSI", "20"}), 3, "", kCannotWrite, "", "&-"},
    {"calc_full_disk", {"calc", "--dry-bulb", "25", "--pressure", "101", "--wet-bulb", "20"}, 3, "", kCannotWrite, "",
     "/dev/full"},
    {"state_closed", {"state", "--units", "si", "--dry-bulb", "25", "--pressure", "101", "--wet-bulb", "20"}, 3, "",
     kCannotWrite, "", "&-"},
    {"help_full_disk", {"--help"}, 3, "", kCannotWrite, "", "/dev/full"},
    {"process_json_full_disk",
     {"process", "heat", "20,rh=50", "--flow", "1kg/s", "--to", "30", "--format", "json", "--units", "si",
      "--pressure", "101.325"},
     3, "", kCannotWrite, "", "/dev/full"},
    {"comfort_closed",
     {"comfort", "22,rh=60", "--met", "1.2", "--clo", "0.5", "--units", "si", "--pressure", "101.325"}, 3, "",
     kCannotWrite, "", "&-"},
    {"batch_one_row_at_the_last_flush", {"batch", "--jobs", "1"}, 3, "", kCannotWrite, BatchRows(1), "/dev/full"},
    {"batch_many_rows_on_several_jobs", {"batch", "--jobs", "2"}, 3, "", kCannotWrite, BatchRows(20000), "/dev/full"},
};

INSTANTIATE_TEST_SUITE_P(Unwritable, Says, ::testing::ValuesIn(kUnwritable), RowName);

// The help of each command, its examples and the exit statuses; the version.
const SaysRow kHelp[] = {
    {"exit_statuses", {"--help"}, 0, "3  the output could not be written", ""},
    {"call", Call({"--help"}), 0, "  call FUNCTION ARG...", ""},
    {"calc", {"calc", "--help"}, 0, "  calc --dry-bulb T (--pressure P | --altitude A)", ""},
    {"version", {"--version"}, 0, "humitrax-cli " HUMITRAX_VERSION_TEXT "\n", ""},
    {"unknown_command", {"frobnicate"}, 2, "", "frobnicate"},
    {"no_command", {}, 2, "", ""},
};

INSTANTIATE_TEST_SUITE_P(Help, Says, ::testing::ValuesIn(kHelp), RowName);

} // namespace
} // namespace humitrax::testing
