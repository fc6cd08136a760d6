// humitrax-cli state and batch, run as a user runs them, checked against the
// engine's own values.
#include "humitrax/ashrae2017.h"
#include "humitrax/psychrometrics.h"
#include "run_cli.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace humitrax::testing {
namespace {

std::string Shortest(double value)
{
    char buffer[32];
    return std::string(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
}

std::vector<std::string> With(std::vector<std::string> front, const std::vector<std::string>& back)
{
    front.insert(front.end(), back.begin(), back.end());
    return front;
}

/// The engine's values for a state; the properties formed from the humidity
/// ratio by their relations.
std::map<std::string, double> EngineState(bool si, double T, double p, std::int16_t situation, double given)
{
    const std::int16_t units = si ? 1 : 0;
    const bool rh = situation == kRelativeHumidityGiven;
    const double var = rh ? given / 100.0 : given;
    std::map<std::string, double> v = {
        {"dry_bulb", T},
        {"pressure", p},
        {"wet_bulb", WetBulb(T, p, situation, var, units).AsNumber()},
        {"dew_point", DewPoint(T, p, situation, var, units).AsNumber()},
        {"relative_humidity", rh ? given : Humidity(T, p, situation, var, units).AsNumber() * 100.0},
        {"humidity_ratio", HumidRatio(T, p, situation, var, units).AsNumber()},
        {"enthalpy", Enthalpy(T, p, situation, var, units).AsNumber()},
        {"specific_volume", Volume(T, p, situation, var, units).AsNumber()},
        {"saturation_vapour_pressure", SatPressure(T, units).AsNumber()},
        {"saturation_humidity_ratio", HumidRatio(T, p, kRelativeHumidityGiven, 1.0, units).AsNumber()},
    };
    if (!si)
        v["grains"] = Grains(T, p, situation, var).AsNumber();
    const double W = v["humidity_ratio"];
    v["vapour_pressure"] = p * W / (0.62198 + W);
    v["degree_of_saturation"] = W / v["saturation_humidity_ratio"];
    v["specific_humidity"] = W / (1.0 + W);
    v["density"] = (1.0 + W) / v["specific_volume"];
    return v;
}

/// The calculator's altitude conversion: metres to feet, interp, psia to kPa.
double PressureAtAltitude(bool si, double altitude)
{
    return si ? interp(altitude * 3.2808) / 14.697 * 101.325 : interp(altitude);
}

// ---------------------------------------------------------------------------
// One state: every property equals the engine's, in both unit systems, from
// a pressure or an altitude, for each third condition.

struct StateCase {
    const char* name;
    bool si;
    bool altitude;
    double dryBulb;
    double pressureOrAltitude;
    std::int16_t situation;
    const char* option;
    double value;
};

class StateMatchesEngine : public ::testing::TestWithParam<StateCase> {};

TEST_P(StateMatchesEngine, EveryPropertyInCsvJsonAndTable)
{
    const StateCase& c = GetParam();
    const double pressure = c.altitude ? PressureAtAltitude(c.si, c.pressureOrAltitude) : c.pressureOrAltitude;
    const auto expected = EngineState(c.si, c.dryBulb, pressure, c.situation, c.value);
    const std::vector<std::string> args = {
        "state", "--model", "calculator", "--units", c.si ? "si" : "ip", "--dry-bulb", Shortest(c.dryBulb),
        c.altitude ? "--altitude" : "--pressure", Shortest(c.pressureOrAltitude), c.option, Shortest(c.value)};
    const CliRun csv = RunCli(With(args, {"--format", "csv"}));
    const CliRun json = RunCli(With(args, {"--format", "json"}));
    const CliRun table = RunCli(With(args, {"--precision", "full"}));
    ASSERT_EQ(csv.exitCode + json.exitCode + table.exitCode, 0) << csv.err;
    const std::vector<Row> rows = CsvRows(csv.out);
    ASSERT_EQ(rows.size(), 1U) << csv.out;
    EXPECT_EQ(rows[0].size(), expected.size() + 1);
    EXPECT_EQ(rows[0].at("status"), "");
    EXPECT_TRUE(json.out.ends_with(",\"status\":null}\n")) << json.out;
    for (const auto& [name, value] : expected) {
        EXPECT_EQ(Number(rows[0].at(name)), value) << name;
        EXPECT_NE(json.out.find("\"" + name + "\":" + rows[0].at(name) + ","), std::string::npos) << name;
    }
    EXPECT_NE(table.out.find(Shortest(expected.at("enthalpy"))), std::string::npos) << table.out;
    EXPECT_NE(table.out.find(c.si ? "kJ/kg" : "Btu/lb"), std::string::npos);
    EXPECT_EQ(table.out.find("gr/lb") != std::string::npos, !c.si);
    EXPECT_EQ(table.out.find("Altitude") != std::string::npos, c.altitude);
}

// Each condition once per unit system; the altitude in half of them.
const StateCase kStateCases[] = {
    {"SiPressureWetBulb", true, false, 25, 101.325, 1, "--wet-bulb", 18},
    {"SiAltitudeDewPoint", true, true, 20, 1000, 2, "--dew-point", 10},
    {"SiPressureRelativeHumidity", true, false, 25, 101.325, 3, "--relative-humidity", 50},
    {"SiAltitudeHumidityRatio", true, true, 20, 1000, 4, "--humidity-ratio", 0.008},
    {"SiAboveTheWindowLimits", true, false, 60, 120, 3, "--relative-humidity", 30},
    {"IpAltitudeWetBulb", false, true, 68, 3281, 1, "--wet-bulb", 59},
    {"IpPressureDewPoint", false, false, 77, 14.696, 2, "--dew-point", 57},
    {"IpAltitudeRelativeHumidity", false, true, 68, 3281, 3, "--relative-humidity", 40},
    {"IpPressureHumidityRatio", false, false, 77, 14.696, 4, "--humidity-ratio", 0.01},
};

INSTANTIATE_TEST_SUITE_P(Cli, StateMatchesEngine, ::testing::ValuesIn(kStateCases), RowName);

// ---------------------------------------------------------------------------
// Batch files: the cells of each row, its status, the exit status.

struct BatchCase {
    const char* name;
    std::vector<std::string> args;
    std::string input;
    int exitCode;
    std::vector<std::vector<std::string>> rows; ///< per row "column=cell"; "column=*" for any number
};

class BatchFiles : public ::testing::TestWithParam<BatchCase> {};

/// The columns batch appends after those it passes through.
std::string Appended(bool ip)
{
    return std::string("dry_bulb,pressure,wet_bulb,dew_point,relative_humidity,humidity_ratio,enthalpy,"
                       "specific_volume,") +
           (ip ? "grains," : "") +
           "vapour_pressure,saturation_vapour_pressure,saturation_humidity_ratio,degree_of_saturation,"
           "specific_humidity,density,status";
}

TEST_P(BatchFiles, CellsAndExitCode)
{
    const BatchCase& c = GetParam();
    // The calculator's relations unless the row names a model: its numbers are the engine's.
    const bool modelNamed = std::find(c.args.begin(), c.args.end(), "--model") != c.args.end();
    const CliRun run = RunCli(With(modelNamed ? std::vector<std::string>{"batch"}
                                              : std::vector<std::string>{"batch", "--model", "calculator"},
                                   c.args),
                              c.input);
    EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
    const bool ip = std::find(c.args.begin(), c.args.end(), "ip") != c.args.end();
    EXPECT_TRUE(run.out.substr(0, run.out.find('\n')).ends_with(Appended(ip))) << run.out;
    const std::vector<Row> rows = CsvRows(run.out);
    ASSERT_EQ(rows.size(), c.rows.size()) << run.out;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (const std::string& cell : c.rows[r]) {
            const std::string column = cell.substr(0, cell.find('='));
            const std::string want = cell.substr(column.size() + 1);
            ASSERT_EQ(rows[r].count(column), 1U) << column;
            const std::string& got = rows[r].at(column);
            if (want == "*")
                EXPECT_TRUE(!got.empty() && std::isfinite(Number(got))) << "row " << r << " " << column;
            else
                EXPECT_EQ(got, want) << "row " << r << " " << column;
        }
    }
}

const std::string kRest = "dry_bulb,pressure,relative_humidity\n";
const std::string kRow = "25,101.325,50\n";
const std::vector<std::string> kWhole = {"wet_bulb=*", "enthalpy=*", "density=*", "status="};

const BatchCase kBatchCases[] = {
    // Blank lines and lines of blanks are skipped.
    {"WholeRows", {}, " \t\n" + kRest + "\n" + kRow + " \t \n  \r\n\n0,101.325,50\n", 0,
     {With({"dry_bulb=25", "relative_humidity=50"}, kWhole), With({"dry_bulb=0"}, kWhole)}},
    {"BadCellsEachOnItsRow", {}, kRest + "25,abc,50\n25,101.325,\n25,101.325\ninf,101.325,50\n" + kRow, 1,
     {{"pressure=", "relative_humidity=50", "wet_bulb=", "status=line 2: pressure is not a number"},
      {"wet_bulb=", "status=line 3: relative_humidity is empty"},
      {"status=line 4: relative_humidity is missing"},
      {"status=line 5: dry_bulb is not a finite number"},
      kWhole}},
    {"ExtraColumnsPassThroughInFront", {}, "site,dry_bulb,pressure,relative_humidity,note\nroof,25,101.325,50,ok\n",
     0, {With({"site=roof", "note=ok"}, kWhole)}},
    {"ExtraFieldInARow", {}, kRest + "25,101.325,50,surplus\n", 1,
     {{"wet_bulb=*", "status=line 2: has more fields than the header; the extra ones are dropped"}}},
    {"QuotedFieldsWithCommasQuotesAndLineBreaks", {},
     "\"time, UTC\",dry_bulb,pressure,relative_humidity\r\n\"2025-07-01, 12:00\",25,101.325,50\r\n"
     "\"say \"\"hi\"\"\nthere\",\"25\",101.325,\"50\"\r\n",
     0, {With({"time, UTC=2025-07-01, 12:00"}, kWhole), With({"time, UTC=say \"hi\"\nthere"}, kWhole)}},
    {"LineNumbersCountLineBreaksInsideQuotes", {},
     "note,dry_bulb,pressure,relative_humidity\n\"a\nb\nc\",25,101.325,50\nx,25,101.325,oops\n", 1,
     {With({"note=a\nb\nc"}, kWhole), {"note=x", "wet_bulb=", "status=line 5: relative_humidity is not a number"}}},
    // The quote left open on line 2 would take in the rest of the file; the
    // 41st byte of that record lies on line 4.
    {"RecordLongerThanTheLimitIsSkippedToTheNextLineFeed", {"--max-record-bytes", "40"},
     "site," + kRest + "\"open,25,101.325,50\nb,25,101.325,50\nc,25,101.325,50\nd,25,101.325,50\n", 1,
     {{"site=", "dry_bulb=", "status=line 2: is longer than 40 bytes, the limit of --max-record-bytes, "
                             "with a quoted field still open; lines 2 to 4 skipped"},
      With({"site=d"}, kWhole)}},
    {"RelativeHumidityNotDefinedJustBelowFreezing", {"--model", "calculator"},
     "dry_bulb,pressure,dew_point\n-0.5,101.325,-10\n", 1,
     {{"wet_bulb=*", "relative_humidity=", "enthalpy=*",
       "status=relative_humidity: not defined below 0 °C by the calculator's relations "
       "(--model ashrae2017 computes it)"}}},
    {"HandbookModelBelowFreezing", {"--model", "ashrae2017"}, "dry_bulb,pressure,dew_point\n-5,101.325,-10\n", 0,
     {{"relative_humidity=*", "status="}}},
    {"HandbookModelAltitude", {"--model", "ashrae2017"}, "dry_bulb,altitude,relative_humidity\n0,1000,50\n", 0,
     {{"pressure=" + Shortest(ashrae2017::PressureFromAltitude(1000, true))}}},
    {"DryAirHasNoDewPoint", {}, "dry_bulb,pressure,humidity_ratio\n25,101.325,0\n", 1,
     {{"dew_point=", "humidity_ratio=0", "enthalpy=*", "status=dew_point: undefined for dry air (humidity ratio 0)"}}},
    // Air that cannot exist: no property at all, the given value named.
    {"RefusedRatioAboveSaturation", {}, "dry_bulb,pressure,humidity_ratio\n25,101.325,0.03\n", 1,
     {{"wet_bulb=", "humidity_ratio=0.03", "status=humidity_ratio: above saturation at the dry bulb and pressure"}}},
    {"RefusedRelativeHumidityAbove100", {}, kRest + "25,101.325,100.5\n", 1,
     {{"wet_bulb=", "relative_humidity=100.5", "status=relative_humidity: above 100 %"}}},
    // A dew point at the dry bulb is saturated air; just above it, none.
    {"RefusedDewPointAboveDryBulb", {}, "dry_bulb,pressure,dew_point\n25,101.325,25.5\n25,101.325,25\n", 1,
     {{"wet_bulb=", "status=dew_point: above the dry bulb"}, {"wet_bulb=*", "relative_humidity=*", "status="}}},
    {"AltitudeAboveTheTroposphere", {}, "dry_bulb,altitude,relative_humidity\n0,11000.1,50\n", 1,
     {{"pressure=", "wet_bulb=", "status=pressure: the altitude lies above 11000 m, the highest the relations cover"}}},
    {"AltitudeGivesPressure", {}, "dry_bulb,altitude,relative_humidity\n0,1000,50\n", 0,
     {{"pressure=" + Shortest(PressureAtAltitude(true, 1000)), "status="}}},
    {"InchPoundHasGrains", {"--units", "ip"}, "dry_bulb,pressure,humidity_ratio\n77,14.696,0.01\n", 0,
     {{"grains=70", "status="}}},
    // Header names: case, blanks, byte-order mark, units in brackets.
    {"NamesInAnyCaseWithBlanksAfterAByteOrderMark", {}, "\xEF\xBB\xBF Dry Bulb ,PRESSURE,Relative_Humidity\n" + kRow,
     0, {With({"dry_bulb=25"}, kWhole)}},
    {"FahrenheitAndHectopascalsToSi", {}, "Dry Bulb [F],pressure [hPa],relative humidity [%]\n77,1013.25,50\n", 0,
     {{"dry_bulb=25", "pressure=101.325"}}},
    {"CelsiusAndKilopascalsToIp", {"--units", "ip"},
     "dry_bulb [\xC2\xB0" "C],pressure [kPa],dew_point [C]\n25,101.325,10\n", 0,
     {{"dry_bulb=77", "pressure=" + Shortest(101.325 / 6.894757293168361), "dew_point=50"}}},
    {"InchesOfMercuryToKilopascals", {}, "dry_bulb,pressure [inHg],relative_humidity\n25,29.92,50\n", 0,
     {{"pressure=" + Shortest(29.92 * 3.386389)}}},
    {"InchesOfMercuryToPsia", {"--units", "ip"}, "dry_bulb,pressure [inHg],relative_humidity\n77,29.92,50\n", 0,
     {{"pressure=" + Shortest(29.92 * 0.491154)}}},
    {"PsiaToKilopascals", {}, "dry_bulb,pressure [psia],relative_humidity\n25,14.696,50\n", 0,
     {{"pressure=" + Shortest(14.696 * 6.894757293168361)}}},
    {"AltitudeInFeet", {}, "dry_bulb,altitude [ft],relative_humidity\n0,3280.84,50\n", 0,
     {{"pressure=" + Shortest(PressureAtAltitude(true, 3280.84 * 0.3048))}}},
    {"PressureUnitOption", {"--pressure-unit", "Pa"}, "dry_bulb,pressure,relative_humidity\n25,101325,50\n", 0,
     {{"pressure=101.325"}}},
    {"SemicolonsInCommasOut", {}, "site;dry_bulb;pressure;relative_humidity\nroof, north;25;101.325;50\n", 0,
     {{"site=roof, north", "dry_bulb=25", "relative_humidity=50"}}},
    {"HeaderOnly", {}, kRest, 0, {}},
};

INSTANTIATE_TEST_SUITE_P(Cli, BatchFiles, ::testing::ValuesIn(kBatchCases), RowName);

// ---------------------------------------------------------------------------
// Refused: the exit status and the reason on standard error; a usage error
// writes nothing on standard output.

std::vector<std::string> State(const std::vector<std::string>& more)
{
    return With({"state", "--units", "si", "--dry-bulb", "25", "--pressure", "101"}, more);
}

std::vector<std::string> Batch(const std::vector<std::string>& more) { return With({"batch"}, more); }

const SaysRow kRefused[] = {
    {"StateAirThatCannotExist", State({"--humidity-ratio", "0.03"}), 1, "(not computed)",
     "humidity_ratio: above saturation"},
    {"StateCalculatorBelowFreezing",
     {"state", "--units", "si", "--dry-bulb", "-5", "--pressure", "101", "--dew-point", "-10", "--model", "calculator"},
     1, "Relative humidity           (failed: not defined", "(--model ashrae2017 computes it)"},
    {"StateHandbookBelowFreezing",
     {"state", "--units", "si", "--dry-bulb", "-5", "--pressure", "101", "--dew-point", "-10", "--model", "ashrae2017"},
     0, "Relative humidity           ", ""},
    {"StateNoDryBulb", {"state", "--units", "si", "--pressure", "101", "--wet-bulb", "18"}, 2, "", "--dry-bulb"},
    {"StatePressureAndAltitude", State({"--altitude", "0", "--wet-bulb", "18"}), 2, "", "not both"},
    {"StateThreeProperties", State({"--wet-bulb", "18", "--dew-point", "14"}), 2, "",
     "a state is given by two of its properties, not 3 (--dry-bulb, --wet-bulb and --dew-point)"},
    {"StateNotANumber", {"state", "--units", "si", "--dry-bulb", "warm", "--pressure", "1", "--wet-bulb", "1"}, 2, "",
     "not a number"},
    {"StateBadFormat", State({"--wet-bulb", "18", "--format", "xml"}), 2, "", "table, csv or json"},
    {"BatchUnknownUnitEchoedEscaped", Batch({}), 2, "", "'mm\\x1bHg'", "dry_bulb,pressure [mm\x1bHg],relative_humidity\n"},
    {"BatchUnknownPressureUnitOption", Batch({"--pressure-unit", "atm"}), 2, "", "'atm'", kRest},
    {"BatchGivenColumnAbsent", Batch({"--given", "wet_bulb"}), 2, "", "no wet_bulb column", kRest},
    {"BatchGivenNoStateIsGivenBy", Batch({"--given", "density"}), 2, "", "--given takes a condition", kRest},
    {"BatchGivenAPropertyTheHeaderLacks", Batch({"--given", "enthalpy"}), 2, "",
     "the header has no enthalpy column, which --given names", kRest},
    {"BatchBadModel", Batch({"--model", "magnus"}), 2, "", "calculator or ashrae2017", kRest},
    {"BatchUnitsTwice", Batch({"--units", "si", "--units", "ip"}), 2, "", "--units is given twice", kRest},
    {"BatchEmptyFile", Batch({}), 2, "", "empty"},
    {"BatchHeaderWithoutDryBulb", Batch({}), 2, "", "no dry_bulb column", "temp,pressure,relative_humidity\n"},
    {"BatchUnitBracketNeverClosed", Batch({}), 2, "", "the column 'dry_bulb [C' opens a unit bracket and never closes it",
     "dry_bulb [C,pressure,relative_humidity,note [x\n"},
    {"BatchPressureAndAltitude", Batch({}), 2, "", "exactly one of pressure and altitude",
     "dry_bulb,pressure,altitude,relative_humidity\n"},
    {"BatchNeitherPressureNorAltitude", Batch({}), 2, "", "neither a pressure nor an altitude",
     "dry_bulb,relative_humidity\n"},
    {"BatchTwoConditions", Batch({}), 2, "", "exactly one of wet_bulb", "dry_bulb,pressure,wet_bulb,dew_point\n"},
    {"BatchNoCondition", Batch({}), 2, "", "none of wet_bulb", "dry_bulb,pressure\n"},
    {"BatchOutputColumnNameInInput", Batch({}), 2, "", "rename it", "dry_bulb,pressure,relative_humidity,density\n"},
    {"BatchThreeGivenProperties", Batch({}), 2, "", "the header names 'relative_humidity' and 'enthalpy'",
     "dry_bulb,pressure,relative_humidity,enthalpy\n"},
    {"BatchBadJobs", Batch({"--jobs", "0"}), 2, "", "--jobs", kRest},
    {"BatchMissingFile", Batch({"/nonexistent/weather.csv"}), 2, "", "cannot open"},
    {"BatchHeaderLongerThanTheLimit", Batch({"--max-record-bytes", "20"}), 2, "", "longer than 20 bytes", kRest},
    {"BatchEpwNotCsv", Batch({"--input", "epw", "-"}), 2, "", "", kRest},
};

INSTANTIATE_TEST_SUITE_P(Cli, Says, ::testing::ValuesIn(kRefused), RowName);

// ---------------------------------------------------------------------------
// Numbers: full precision, the shortest text that reads back.

TEST(BatchNumbers, GivenValuesAreWrittenAsTheirShortestText)
{
    // Decimals of every shape the quick reader accepts or hands on (the CSV
    // fuzzer checks the quick reader's shortest text against to_chars).
    const std::vector<std::string> texts = {"25.0", "+25", "025.50", "-0.0", ".5", "5.", "2.5E1", "0.00001",
                                            "12345678901234567", "1.0000000000000002", "-1234.50000001"};
    std::string input = "dry_bulb,pressure,humidity_ratio\n";
    for (const std::string& text : texts)
        input += text + ",101.325,0.01\n";
    const std::vector<Row> rows = CsvRows(RunCli({"batch", "--jobs", "1"}, input).out);
    ASSERT_EQ(rows.size(), texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i) {
        double value = 0.0;
        const std::string& text = texts[i];
        std::from_chars(text.data() + (text[0] == '+' ? 1 : 0), text.data() + text.size(), value);
        EXPECT_EQ(rows[i].at("dry_bulb"), Shortest(value)) << "input '" << text << "'";
    }
}

// ---------------------------------------------------------------------------
// JSON lines: nulls, escapes, and passed-through text always UTF-8 with each
// key once. CSV passes the same bytes through unchanged.

const std::string kFffd = "\xEF\xBF\xBD"; // U+FFFD
const std::vector<std::string> kJson = {"batch", "--format", "json"};

const SaysRow kPassedThrough[] = {
    {"JsonEscapes", kJson, 0, "{\"name\":\"a \\\"q\\\"\\\\p\\tt\",\"dry_bulb\":25,", "",
     "name," + kRest + "\"a \"\"q\"\"\\p\tt\",25,101.325,50\n"},
    {"JsonNulls", kJson, 1,
     "\"relative_humidity\":null,\"humidity_ratio\":null,"
     "\"enthalpy\":null,\"specific_volume\":null,\"vapour_pressure\":null,",
     "", "name," + kRest + "b,25,101.325,x\n"},
    {"JsonLatin1InNameAndValue", kJson, 0, "{\"Z" + kFffd + "rich\":\"Z" + kFffd + "rich\",", "",
     "Z\xFCrich," + kRest + "Z\xFCrich," + kRow},
    {"JsonWellFormedUtf8Unchanged", kJson, 0, "{\"Z\xC3\xBCrich \xE2\x82\xAC\xF0\x9F\x98\x80\":\"x\",", "",
     "Z\xC3\xBCrich \xE2\x82\xAC\xF0\x9F\x98\x80," + kRest + "x," + kRow},
    {"JsonOverlongSurrogateAndAboveU10FFFF", kJson, 0,
     "{\"v\":\"" + kFffd + kFffd + "|" + kFffd + kFffd + kFffd + "|" + kFffd + kFffd + kFffd + kFffd + "\",", "",
     "v," + kRest + "\xC0\xAF|\xED\xA0\x80|\xF4\x90\x80\x80," + kRow},
    {"JsonSequenceCutShort", kJson, 0, "{\"v\":\"a" + kFffd + kFffd + "\",", "", "v," + kRest + "a\xE2\x82," + kRow},
    {"JsonRepeatedNameTakesAFreeSuffix", kJson, 0, "{\"site\":\"a\",\"site_3\":\"b\",\"site_2\":\"c\",", "",
     "site,site,site_2," + kRest + "a,b,c," + kRow},
    {"CsvLatin1Unchanged", {"batch"}, 0, "Z\xFCrich,dry_bulb,", "", "Z\xFCrich," + kRest + "Z\xFCrich," + kRow},
    {"CsvQuotesAndTabRequoted", {"batch"}, 0, "\"a \"\"q\"\"\\p\tt\",25,", "",
     "name," + kRest + "\"a \"\"q\"\"\\p\tt\",25,101.325,50\n"},
};

INSTANTIATE_TEST_SUITE_P(Batch, Says, ::testing::ValuesIn(kPassedThrough), RowName);

// ---------------------------------------------------------------------------
// Rows through a pipe are answered while the input is still open, and with
// several jobs the output keeps the input's order.

class BatchPipe : public ::testing::TestWithParam<const char*> {};

TEST_P(BatchPipe, AnswersEachRowBeforeTheInputEnds)
{
    CliProcess cli({"batch", "--jobs", GetParam(), "-"});
    ASSERT_TRUE(cli.Write(kRest + kRow));
    // A generous bound: a command that holds rows back fails here, not hangs.
    EXPECT_EQ(cli.ReadLine(10).value_or("nothing").substr(0, 9), "dry_bulb,");
    EXPECT_EQ(cli.ReadLine(10).value_or("nothing").substr(0, 11), "25,101.325,");
    ASSERT_TRUE(cli.Write("20,101.325,40\n"));
    EXPECT_EQ(cli.ReadLine(10).value_or("nothing").substr(0, 11), "20,101.325,");
    EXPECT_EQ(cli.Finish(), 0);
}

INSTANTIATE_TEST_SUITE_P(Cli, BatchPipe, ::testing::Values("1", "2"),
                         [](const auto& row) { return "Jobs" + std::string(row.param); });

TEST(BatchJobs, OutputOrderEqualsInputOrder)
{
    // Enough rows for several blocks of work.
    constexpr std::size_t kRows = 120000;
    std::string input = "row," + kRest;
    for (std::size_t i = 0; i < kRows; ++i)
        input += std::to_string(i) + "," + std::to_string(i % 40) + ".5,101.325," + std::to_string(5 + i % 95) + "\n";
    const CliRun one = RunCli({"batch", "--jobs", "1"}, input);
    const CliRun four = RunCli({"batch", "--jobs", "4"}, input);
    ASSERT_EQ(four.exitCode, 0) << four.err;
    EXPECT_TRUE(one.out == four.out) << "outputs differ";
    const auto lines = Lines(four.out);
    ASSERT_EQ(lines.size(), kRows + 1);
    for (std::size_t i = 0; i < kRows; ++i)
        ASSERT_TRUE(lines[i + 1].starts_with(std::to_string(i) + ",")) << "row " << i;
}

// ---------------------------------------------------------------------------
// EnergyPlus weather files: eight header lines, then fixed fields; missing
// codes leave a row without properties.

const std::string kWeatherHeader =
    "LOCATION,Basel,BS,CHE,IWEC,066010,47.55,7.58,1.0,316.0\nDESIGN CONDITIONS,0\n"
    "TYPICAL/EXTREME PERIODS,0\nGROUND TEMPERATURES,0\nHOLIDAYS/DAYLIGHT SAVINGS,No,0,0,0\n"
    "COMMENTS 1,\"a, b\"\nCOMMENTS 2,\nDATA PERIODS,1,1,Data,Sunday, 1/ 1,12/31\n";

/// Three days, hours 1 to 24, lines of 35 fields; day 2, hour 5 lacks its dry
/// bulb and pressure, day 3, hour 24 its relative humidity (a value above the
/// code, missing too); day 3, hour 12 (line 68) stops after the pressure.
std::string WeatherFile()
{
    std::string text = kWeatherHeader;
    for (int day = 1; day <= 3; ++day) {
        for (int hour = 1; hour <= 24; ++hour) {
            const bool gap = day == 2 && hour == 5;
            text += "1995,1," + std::to_string(day) + "," + std::to_string(hour) + ",60,A7A7E8E8*0," +
                    (gap ? "99.9" : std::to_string(day * 5 + hour / 2)) + "," + std::to_string(day * 3) + "," +
                    (day == 3 && hour == 24 ? "1000" : "60") + "," + (gap ? "999999" : "97800");
            text += day == 3 && hour == 12 ? "\n" : ",0,0,282,0,0,0,0,0,0,0,270,2.1,10,77777,9,999999999,0,0.1,0,88,0,0,0,0,0\n";
        }
    }
    return text;
}

// The first hour taken for the eighth header line: refused, the line shown.
const SaysRow kWeatherRefused[] = {
    {"SevenHeaderLines", Batch({"--input", "epw"}), 2, "",
     "line 8 of the weather file holds '1995,1,1,1,60,A7A7E8E8*0,5,3,60,97800,0,0,282,0,0,0,0,0,0,0,...' "
     "where the DATA PERIODS line belongs",
     [] {
         std::string file = WeatherFile();
         const std::size_t at = file.find("DATA PERIODS");
         return file.erase(at, file.find('\n', at) + 1 - at);
     }()},
};

INSTANTIATE_TEST_SUITE_P(WeatherFile, Says, ::testing::ValuesIn(kWeatherRefused), RowName);

TEST(BatchWeatherFile, FieldsMissingCodesAndTheGivenCondition)
{
    const std::string path = ::testing::TempDir() + "humitrax-basel.epw";
    std::ofstream(path, std::ios::binary) << WeatherFile();
    const CliRun dew = RunCli({"batch", "--model", "calculator", path});
    EXPECT_EQ(dew.exitCode, 1) << dew.err;
    EXPECT_TRUE(dew.out.starts_with("year,month,day,hour,minute,")) << dew.out.substr(0, 80);
    const std::vector<Row> rows = CsvRows(dew.out);
    ASSERT_EQ(rows.size(), 72U) << dew.out;
    const Row& last = rows[23]; // day 1, hour 24 stays hour 24
    EXPECT_EQ(last.at("day") + "/" + last.at("hour") + "/" + last.at("minute"), "1/24/60");
    const auto engine = EngineState(true, 17, 97.8, kDewPointGiven, 3);
    for (const char* name : {"pressure", "wet_bulb", "relative_humidity", "enthalpy", "density"})
        EXPECT_EQ(Number(last.at(name)), engine.at(name)) << name;
    EXPECT_EQ(rows[24 + 4].at("status"), "dry_bulb: missing; pressure: missing");
    EXPECT_EQ(rows[24 + 4].at("wet_bulb"), "");
    EXPECT_EQ(rows[71].at("status"), "") << "the humidity is not read";
    EXPECT_EQ(rows[48 + 11].at("status"), "line 68: has 10 fields; a data line of an EnergyPlus weather file has 35");
    EXPECT_EQ(rows[48 + 11].at("hour") + "/" + rows[48 + 11].at("dry_bulb"), "12/");

    const auto byHumidity =
        CsvRows(RunCli({"batch", "--input", "epw", "--given", "relative_humidity", "-"}, WeatherFile()).out);
    ASSERT_EQ(byHumidity.size(), 72U);
    EXPECT_EQ(byHumidity[0].at("relative_humidity"), "60");
    EXPECT_EQ(byHumidity[71].at("status"), "relative_humidity: missing");

    EXPECT_EQ(RunCli({"batch", "--units", "ip", path}).exitCode, 2);
    EXPECT_EQ(RunCli({"batch", "--given", "wet_bulb", path}).exitCode, 2);
}

// Batch reads its own output: with the condition named, the same bytes.
TEST(BatchOwnOutput, ReadAgainWithTheGivenConditionGivesTheSameBytes)
{
    const std::string input = "site,dry_bulb,altitude,relative_humidity\na,25,0,50\nb,-5,1500,80\nd,21.5,-100,100\n";
    for (const char* units : {"si", "ip"}) {
        const CliRun first = RunCli({"batch", "--units", units}, input);
        const CliRun again = RunCli({"batch", "--units", units, "--given", "relative_humidity"}, first.out);
        EXPECT_EQ(again.exitCode, first.exitCode) << again.err;
        EXPECT_EQ(again.out, first.out) << units;
        const CliRun unnamed = RunCli({"batch", "--units", units}, first.out);
        EXPECT_EQ(unnamed.exitCode, 2);
        EXPECT_NE(unnamed.err.find("--given"), std::string::npos) << unnamed.err;
    }
}

// ---------------------------------------------------------------------------
// The state table: each value rounded to what an engineer reads.

TEST(StateTable, RoundsEachValueToWhatAnEngineerReads)
{
    struct {
        const char* label;
        int decimals;     ///< after the point; -1 for six significant digits
        double tolerance; ///< half the last digit kept, relative for significant digits
    } const cases[] = {
        {"Wet bulb temperature", 2, 0.005},   {"Dew point temperature", 2, 0.005},
        {"Barometric pressure", 4, 0.00005},  {"Relative humidity", 1, 0.05},
        {"Humidity ratio", -1, 5e-6},         {"Specific enthalpy", 2, 0.005},
        {"Specific volume", 4, 0.00005},      {"Moisture content", 2, 0.005},
        {"Vapour pressure", 4, 0.00005},      {"Saturation humidity ratio", -1, 5e-6},
        {"Degree of saturation", 4, 0.00005}, {"Density", 4, 0.00005},
    };
    const std::vector<std::string> args = {"state",    "--units", "ip",         "--dry-bulb", "77",
                                           "--altitude", "1234",  "--wet-bulb", "61.3"};
    const CliRun rounded = RunCli(args);
    const CliRun full = RunCli(With(args, {"--precision", "full"}));
    ASSERT_EQ(rounded.exitCode, 0) << rounded.err;
    const auto valueOf = [](const std::string& table, const std::string& label) {
        const std::size_t at = table.find("  " + label + " ");
        EXPECT_NE(at, std::string::npos) << label;
        const std::size_t start = table.find_first_not_of(' ', at + 2 + label.size());
        return table.substr(start, table.find_first_of(" \n", start) - start);
    };
    for (const auto& c : cases) {
        const std::string text = valueOf(rounded.out, c.label);
        const double exact = Number(valueOf(full.out, c.label));
        if (c.decimals >= 0) {
            EXPECT_EQ(text.size() - text.find('.') - 1, static_cast<std::size_t>(c.decimals)) << c.label;
            EXPECT_LE(std::fabs(Number(text) - exact), c.tolerance * (1 + 1e-9)) << c.label;
        } else {
            EXPECT_EQ(text.find_first_not_of("0.") + 6, text.size()) << c.label << " " << text;
            EXPECT_LE(std::fabs(Number(text) - exact), c.tolerance * exact) << c.label;
        }
    }
}

} // namespace
} // namespace humitrax::testing
