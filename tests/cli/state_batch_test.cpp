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
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace {

using humitrax::testing::CliRun;
using humitrax::testing::Lines;
using humitrax::testing::RunCli;

// ---------------------------------------------------------------------------
// Reading what the command wrote.

/// RFC 4180 records of a whole text.
std::vector<std::vector<std::string>> ParseCsv(const std::string& text)
{
    std::vector<std::vector<std::string>> records;
    std::vector<std::string> record;
    std::string field;
    bool quoted = false;
    bool fieldStarted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == '"') {
            quoted = true;
            fieldStarted = true;
        } else if (c == ',') {
            record.push_back(field);
            field.clear();
            fieldStarted = true;
        } else if (c == '\n') {
            record.push_back(field);
            records.push_back(record);
            record.clear();
            field.clear();
            fieldStarted = false;
        } else {
            field += c;
            fieldStarted = true;
        }
    }
    if (fieldStarted || !record.empty()) {
        record.push_back(field);
        records.push_back(record);
    }
    return records;
}

/// A CSV output as rows of column name → cell.
std::vector<std::map<std::string, std::string>> CsvRows(const std::string& text)
{
    const auto records = ParseCsv(text);
    std::vector<std::map<std::string, std::string>> rows;
    if (records.empty())
        return rows;
    const std::vector<std::string>& header = records.front();
    for (std::size_t r = 1; r < records.size(); ++r) {
        EXPECT_EQ(records[r].size(), header.size()) << "row " << r << " is shifted";
        std::map<std::string, std::string> row;
        for (std::size_t c = 0; c < header.size() && c < records[r].size(); ++c)
            row[header[c]] = records[r][c];
        rows.push_back(row);
    }
    return rows;
}

/// One flat JSON object: member name → value text as written (strings
/// unescaped, without their quotes; "null" for null).
std::map<std::string, std::string> JsonObject(const std::string& line)
{
    std::map<std::string, std::string> members;
    std::size_t i = 0;
    const auto readString = [&]() {
        std::string text;
        EXPECT_EQ(line[i], '"');
        for (++i; i < line.size() && line[i] != '"'; ++i) {
            if (line[i] == '\\') {
                ++i;
                switch (line[i]) {
                case 't': text += '\t'; break;
                default: text += line[i];
                }
            } else {
                text += line[i];
            }
        }
        ++i; // the closing quote
        return text;
    };
    EXPECT_EQ(line.front(), '{');
    EXPECT_EQ(line.back(), '}');
    i = 1;
    while (i < line.size() && line[i] != '}') {
        const std::string name = readString();
        EXPECT_EQ(line[i], ':');
        ++i;
        if (line[i] == '"') {
            members[name] = readString();
        } else {
            const std::size_t end = line.find_first_of(",}", i);
            members[name] = line.substr(i, end - i);
            i = end;
        }
        if (line[i] == ',')
            ++i;
    }
    return members;
}

double Number(const std::string& text)
{
    double value = 0.0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    EXPECT_TRUE(ec == std::errc() && ptr == text.data() + text.size()) << "'" << text << "'";
    return value;
}

std::string Shortest(double value)
{
    char buffer[32];
    return std::string(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
}

// ---------------------------------------------------------------------------
// The engine's values for a state, by the calls each condition needs.

struct Expected {
    std::map<std::string, double> values;
};

Expected EngineState(bool si, double T, double p, std::int16_t Situation, double given)
{
    const std::int16_t UnitsSI = si ? 1 : 0;
    const double StateVar = Situation == humitrax::kRelativeHumidityGiven ? given / 100.0 : given;
    Expected expected;
    auto& v = expected.values;
    v["dry_bulb"] = T;
    v["pressure"] = p;
    v["wet_bulb"] = humitrax::WetBulb(T, p, Situation, StateVar, UnitsSI).AsNumber();
    v["dew_point"] = humitrax::DewPoint(T, p, Situation, StateVar, UnitsSI).AsNumber();
    v["relative_humidity"] =
        Situation == humitrax::kRelativeHumidityGiven
            ? given
            : humitrax::Humidity(T, p, Situation, StateVar, UnitsSI).AsNumber() * 100.0;
    v["humidity_ratio"] = humitrax::HumidRatio(T, p, Situation, StateVar, UnitsSI).AsNumber();
    v["enthalpy"] = humitrax::Enthalpy(T, p, Situation, StateVar, UnitsSI).AsNumber();
    v["specific_volume"] = humitrax::Volume(T, p, Situation, StateVar, UnitsSI).AsNumber();
    if (!si)
        v["grains"] = humitrax::Grains(T, p, Situation, StateVar).AsNumber();
    // The properties formed from the humidity ratio, by their relations.
    const double W = v["humidity_ratio"];
    const double Ws = humitrax::HumidRatio(T, p, humitrax::kRelativeHumidityGiven, 1.0, UnitsSI).AsNumber();
    v["vapour_pressure"] = p * W / (0.62198 + W);
    v["saturation_vapour_pressure"] = humitrax::SatPressure(T, UnitsSI).AsNumber();
    v["saturation_humidity_ratio"] = Ws;
    v["degree_of_saturation"] = W / Ws;
    v["specific_humidity"] = W / (1.0 + W);
    v["density"] = (1.0 + W) / v["specific_volume"];
    return expected;
}

/// The calculator's altitude conversion: metres to feet, interp, psia to kPa.
double PressureAtAltitude(bool si, double altitude)
{
    if (!si)
        return humitrax::interp(altitude);
    const double feet = altitude * 3.2808;
    return (humitrax::interp(feet) / 14.697) * 101.325;
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

TEST_P(StateMatchesEngine, EveryPropertyInJsonAndCsv)
{
    const StateCase& c = GetParam();
    const double pressure =
        c.altitude ? PressureAtAltitude(c.si, c.pressureOrAltitude) : c.pressureOrAltitude;
    const Expected expected = EngineState(c.si, c.dryBulb, pressure, c.situation, c.value);
    const std::vector<std::string> common = {
        "state",       "--units",
        c.si ? "si" : "ip",
        "--dry-bulb",  Shortest(c.dryBulb),
        c.altitude ? "--altitude" : "--pressure",
        Shortest(c.pressureOrAltitude),
        c.option,      Shortest(c.value)};

    std::vector<std::string> json = common;
    json.insert(json.end(), {"--format", "json"});
    const CliRun jsonRun = RunCli(json);
    ASSERT_EQ(jsonRun.exitCode, 0) << jsonRun.err;
    const auto lines = Lines(jsonRun.out);
    ASSERT_EQ(lines.size(), 1U) << jsonRun.out;
    const auto members = JsonObject(lines[0]);
    EXPECT_EQ(members.at("status"), "null");
    EXPECT_EQ(members.count("grains"), c.si ? 0U : 1U);
    EXPECT_EQ(members.size(), expected.values.size() + 1);
    for (const auto& [name, value] : expected.values)
        EXPECT_EQ(Number(members.at(name)), value) << name;

    std::vector<std::string> csv = common;
    csv.insert(csv.end(), {"--format", "csv"});
    const CliRun csvRun = RunCli(csv);
    ASSERT_EQ(csvRun.exitCode, 0) << csvRun.err;
    const auto rows = CsvRows(csvRun.out);
    ASSERT_EQ(rows.size(), 1U);
    for (const auto& [name, value] : expected.values)
        EXPECT_EQ(Number(rows[0].at(name)), value) << name;
    EXPECT_EQ(rows[0].at("status"), "");

    std::vector<std::string> table = common;
    table.insert(table.end(), {"--precision", "full"});
    const CliRun tableRun = RunCli(table);
    ASSERT_EQ(tableRun.exitCode, 0) << tableRun.err;
    EXPECT_NE(tableRun.out.find(Shortest(expected.values.at("enthalpy"))), std::string::npos)
        << tableRun.out;
    EXPECT_NE(tableRun.out.find(c.si ? "kJ/kg" : "Btu/lb"), std::string::npos);
    EXPECT_EQ(tableRun.out.find("gr/lb") != std::string::npos, !c.si);
    EXPECT_EQ(tableRun.out.find("Altitude") != std::string::npos, c.altitude);
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

INSTANTIATE_TEST_SUITE_P(Cli, StateMatchesEngine, ::testing::ValuesIn(kStateCases),
                         [](const auto& row) { return std::string(row.param.name); });

// ---------------------------------------------------------------------------
// Batch files: per-row status, exit status, nothing shifted. `header` names
// the columns a case checks.

struct BatchCase {
    const char* name;
    std::vector<std::string> args;
    std::string input;
    int exitCode;
    std::vector<std::string> header;           ///< expected output header (CSV)
    std::vector<std::vector<std::string>> rows; ///< expected cells; "*" for any number
    const char* errorContains;                  ///< for exit status 2
};

class BatchFiles : public ::testing::TestWithParam<BatchCase> {};

const std::vector<std::string> kSiOutput = {
    "dry_bulb", "pressure", "wet_bulb", "dew_point", "relative_humidity", "humidity_ratio",
    "enthalpy", "specific_volume", "vapour_pressure", "saturation_vapour_pressure",
    "saturation_humidity_ratio", "degree_of_saturation", "specific_humidity", "density", "status"};
const std::vector<std::string> kIpOutput = {
    "dry_bulb", "pressure", "wet_bulb", "dew_point", "relative_humidity", "humidity_ratio",
    "enthalpy", "specific_volume", "grains", "vapour_pressure", "saturation_vapour_pressure",
    "saturation_humidity_ratio", "degree_of_saturation", "specific_humidity", "density", "status"};

TEST_P(BatchFiles, StatusPerRowAndExitCode)
{
    const BatchCase& c = GetParam();
    std::vector<std::string> args = {"batch"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const CliRun run = RunCli(args, c.input);
    EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
    if (c.exitCode == 2) {
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find(c.errorContains), std::string::npos) << run.err;
        return;
    }
    const auto records = ParseCsv(run.out);
    ASSERT_EQ(records.size(), c.rows.size() + 1) << run.out;
    // The output ends in every property column of the unit system, then status.
    const bool ip = std::find(c.args.begin(), c.args.end(), "ip") != c.args.end();
    const std::vector<std::string>& all = ip ? kIpOutput : kSiOutput;
    ASSERT_GE(records[0].size(), all.size());
    EXPECT_TRUE(std::equal(all.begin(), all.end(), records[0].end() - static_cast<std::ptrdiff_t>(all.size())))
        << run.out;
    const auto rows = CsvRows(run.out);
    for (std::size_t r = 0; r < c.rows.size(); ++r) {
        const auto& want = c.rows[r];
        ASSERT_EQ(want.size(), c.header.size());
        for (std::size_t i = 0; i < want.size(); ++i) {
            ASSERT_EQ(rows[r].count(c.header[i]), 1U) << c.header[i];
            const std::string& got = rows[r].at(c.header[i]);
            if (want[i] == "*") {
                EXPECT_FALSE(got.empty()) << "row " << r << " column " << c.header[i];
                if (!got.empty())
                    Number(got);
            } else {
                EXPECT_EQ(got, want[i]) << "row " << r << " column " << c.header[i];
            }
        }
    }
}

const std::vector<std::string> kSiColumns = {"dry_bulb", "pressure", "wet_bulb", "dew_point",
                                              "relative_humidity", "humidity_ratio", "enthalpy",
                                              "specific_volume", "status"};

const std::string kRest = "dry_bulb,pressure,relative_humidity\n";
const std::string kRow = "25,101.325,50\n";
const std::vector<std::string> kWhole = {"25", "101.325", "*", "*", "50", "*", "*", "*", ""};
const std::vector<std::string> kNone = {"25", "101.325", "", "", "", "", "", ""};

std::vector<std::string> With(std::vector<std::string> front, const std::vector<std::string>& back)
{
    front.insert(front.end(), back.begin(), back.end());
    return front;
}

const BatchCase kBatchCases[] = {
    {"WholeRows", {}, kRest + kRow + "0,101.325,50\n", 0, kSiColumns,
     {kWhole, {"0", "101.325", "*", "*", "50", "*", "*", "*", ""}}, ""},
    {"BadNumber", {}, kRest + "25,abc,50\n" + kRow, 1, kSiColumns,
     {{"25", "", "", "", "50", "", "", "", "line 2: pressure is not a number"}, kWhole}, ""},
    {"MissingCell", {}, kRest + "25,101.325,\n25,101.325\n", 1, kSiColumns,
     {With(kNone, {"line 2: relative_humidity is empty"}), With(kNone, {"line 3: relative_humidity is missing"})},
     ""},
    {"ExtraColumnPassesThroughInFront", {}, "site,dry_bulb,pressure,relative_humidity,note\nroof,25,101.325,50,ok\n",
     0, With({"site", "note"}, kSiColumns), {With({"roof", "ok"}, kWhole)}, ""},
    {"ExtraFieldInARow", {}, kRest + "25,101.325,50,surplus\n", 1, kSiColumns,
     {{"25", "101.325", "*", "*", "50", "*", "*", "*",
       "line 2: has more fields than the header; the extra ones are dropped"}}, ""},
    {"QuotedFieldsWithCommasQuotesAndLineBreaks", {},
     "\"time, UTC\",dry_bulb,pressure,relative_humidity\r\n\"2025-07-01, 12:00\",25,101.325,50\r\n"
     "\"say \"\"hi\"\"\nthere\",\"25\",101.325,\"50\"\r\n",
     0, With({"time, UTC"}, kSiColumns), {With({"2025-07-01, 12:00"}, kWhole), With({"say \"hi\"\nthere"}, kWhole)}, ""},
    {"LineNumbersCountLineBreaksInsideQuotes", {},
     "note,dry_bulb,pressure,relative_humidity\n\"a\nb\nc\",25,101.325,50\nx,25,101.325,oops\n", 1,
     With({"note"}, kSiColumns),
     {With({"a\nb\nc"}, kWhole), With({"x"}, With(kNone, {"line 5: relative_humidity is not a number"}))}, ""},
    {"BlankLinesAndLinesOfBlanksAreSkipped", {}, " \t\n" + kRest + "\n" + kRow + " \t \n  \r\n\n", 0, kSiColumns,
     {kWhole}, ""},
    // The quote left open on line 2 would take in the rest of the file; the
    // 41st byte of that record lies on line 4.
    {"RecordLongerThanTheLimitIsSkippedToTheNextLineFeed", {"--max-record-bytes", "40"},
     "site," + kRest + "\"open,25,101.325,50\nb,25,101.325,50\nc,25,101.325,50\nd,25,101.325,50\n", 1,
     With({"site"}, kSiColumns),
     {{"", "", "", "", "", "", "", "", "", "line 2: is longer than 40 bytes, the limit of "
       "--max-record-bytes, with a quoted field still open; lines 2 to 4 skipped"}, With({"d"}, kWhole)}, ""},
    {"RelativeHumidityNotDefinedBelowFreezing", {}, "dry_bulb,pressure,dew_point\n-5,101.325,-10\n", 1, kSiColumns,
     {{"-5", "101.325", "*", "-10", "", "*", "*", "*",
       "relative_humidity: not defined below 0 °C by the calculator's relations (--model ashrae2017 computes it)"}},
     ""},
    {"DryAirHasNoDewPoint", {}, "dry_bulb,pressure,humidity_ratio\n25,101.325,0\n", 1, kSiColumns,
     {{"25", "101.325", "*", "", "0", "0", "*", "*", "dew_point: undefined for dry air (humidity ratio 0)"}}, ""},
    // Air that cannot exist: no property at all, the given value named.
    {"RefusedRatioAboveSaturation", {}, "dry_bulb,pressure,humidity_ratio\n25,101.325,0.03\n", 1, kSiColumns,
     {{"25", "101.325", "", "", "", "0.03", "", "", "humidity_ratio: above saturation at the dry bulb and pressure"}},
     ""},
    {"RefusedRelativeHumidityAbove100", {}, kRest + "25,101.325,100.5\n", 1, kSiColumns,
     {{"25", "101.325", "", "", "100.5", "", "", "", "relative_humidity: above 100 %"}}, ""},
    // A dew point at the dry bulb is saturated air; just above it, none.
    {"RefusedDewPointAboveDryBulb", {}, "dry_bulb,pressure,dew_point\n25,101.325,25.5\n25,101.325,25\n", 1, kSiColumns,
     {{"25", "101.325", "", "25.5", "", "", "", "", "dew_point: above the dry bulb"},
      {"25", "101.325", "*", "25", "*", "*", "*", "*", ""}}, ""},
    {"RefusedVapourPressureAbovePressure", {}, kRest + "25,3,100\n", 1, kSiColumns,
     {{"25", "3", "", "", "100", "", "", "", "relative_humidity: gives a negative humidity ratio"}}, ""},
    {"RefusedPressureFromHighAltitude", {}, "dry_bulb,altitude,relative_humidity\n0,30000,50\n", 1, kSiColumns,
     {{"0", "*", "", "", "50", "", "", "", "pressure: at or below 0"}}, ""},
    {"SeveralFailuresInOneRow", {}, "dry_bulb,pressure,wet_bulb\n250,101.325,20\n", 1, kSiColumns,
     {{"250", "101.325", "20", "", "", "", "", "",
       "dew_point: temperature out of range; relative_humidity: temperature out of range; "
       "humidity_ratio: temperature out of range; enthalpy: temperature out of range; "
       "specific_volume: temperature out of range; vapour_pressure: temperature out of range; "
       "saturation_vapour_pressure: out of range; saturation_humidity_ratio: temperature out of range; "
       "degree_of_saturation: temperature out of range; specific_humidity: temperature out of range; "
       "density: temperature out of range"}}, ""},
    {"AltitudeGivesPressure", {}, "dry_bulb,altitude,relative_humidity\n0,1000,50\n", 0, {"pressure", "status"},
     {{Shortest(PressureAtAltitude(true, 1000)), ""}}, ""},
    {"AltitudeTooHighForArithmetic", {}, "dry_bulb,altitude,relative_humidity\n0,1e300,50\n", 1, kSiColumns,
     {{"0", "", "", "", "50", "", "", "", "pressure: overflow"}}, ""},
    {"InchPoundHasGrains", {"--units", "ip"}, "dry_bulb,pressure,humidity_ratio\n77,14.696,0.01\n", 0,
     {"humidity_ratio", "grains", "status"}, {{"0.01", "70", ""}}, ""},
    // Header names: case, blanks, byte-order mark, units in brackets.
    {"NamesInAnyCaseWithBlanksAfterAByteOrderMark", {},
     "\xEF\xBB\xBF Dry Bulb ,PRESSURE,Relative_Humidity\n" + kRow, 0, kSiColumns, {kWhole}, ""},
    {"FahrenheitAndHectopascalsToSi", {}, "Dry Bulb [F],pressure [hPa],relative humidity [%]\n77,1013.25,50\n",
     0, {"dry_bulb", "pressure"}, {{"25", "101.325"}}, ""},
    {"CelsiusAndKilopascalsToIp", {"--units", "ip"}, "dry_bulb [\xC2\xB0" "C],pressure [kPa],dew_point [C]\n25,101.325,10\n",
     0, {"dry_bulb", "pressure", "dew_point"}, {{"77", Shortest(101.325 / 6.894757293168361), "50"}}, ""},
    {"InchesOfMercuryInBothSystems", {}, "dry_bulb,pressure [inHg],relative_humidity\n25,29.92,50\n", 0,
     {"pressure"}, {{Shortest(29.92 * 3.386389)}}, ""},
    {"InchesOfMercuryToPsia", {"--units", "ip"}, "dry_bulb,pressure [inHg],relative_humidity\n77,29.92,50\n", 0,
     {"pressure"}, {{Shortest(29.92 * 0.491154)}}, ""},
    {"PsiaToKilopascals", {}, "dry_bulb,pressure [psia],relative_humidity\n25,14.696,50\n", 0,
     {"pressure"}, {{Shortest(14.696 * 6.894757293168361)}}, ""},
    {"AltitudeInFeet", {}, "dry_bulb,altitude [ft],relative_humidity\n0,3280.84,50\n", 0, {"pressure"},
     {{Shortest(PressureAtAltitude(true, 3280.84 * 0.3048))}}, ""},
    {"PressureUnitOption", {"--pressure-unit", "Pa"}, "dry_bulb,pressure,relative_humidity\n25,101325,50\n", 0,
     {"pressure"}, {{"101.325"}}, ""},
    {"SemicolonsInCommasOut", {}, "site;dry_bulb;pressure;relative_humidity\nroof, north;25;101.325;50\n", 0,
     {"site", "dry_bulb", "relative_humidity"}, {{"roof, north", "25", "50"}}, ""},
    {"HandbookModelBelowFreezing", {"--model", "ashrae2017"}, "dry_bulb,pressure,dew_point\n-5,101.325,-10\n", 0,
     {"relative_humidity", "status"}, {{"*", ""}}, ""},
    {"HandbookModelAltitude", {"--model", "ashrae2017"}, "dry_bulb,altitude,relative_humidity\n0,1000,50\n", 0,
     {"pressure"}, {{Shortest(humitrax::ashrae2017::PressureFromAltitude(1000, true))}}, ""},
    {"HeaderOnly", {}, kRest, 0, kSiColumns, {}, ""},
    // Refused before any row: exit 2, nothing written, the reason named.
    {"UnknownUnit", {}, "dry_bulb,pressure [mmHg],relative_humidity\n", 2, {}, {}, "'mmHg'"},
    {"UnknownPressureUnitOption", {"--pressure-unit", "atm"}, kRest, 2, {}, {}, "'atm'"},
    {"GivenColumnAbsent", {"--given", "wet_bulb"}, kRest, 2, {}, {}, "no wet_bulb column"},
    {"GivenNotACondition", {"--given", "enthalpy"}, kRest, 2, {}, {}, "--given is wet_bulb"},
    {"BadModel", {"--model", "magnus"}, kRest, 2, {}, {}, "calculator or ashrae2017"},
    {"UnitsTwice", {"--units", "si", "--units", "ip"}, kRest, 2, {}, {}, "--units is given twice"},
    {"EmptyFile", {}, "", 2, {}, {}, "empty"},
    {"HeaderWithoutDryBulb", {}, "temp,pressure,relative_humidity\n" + kRow, 2, {}, {}, "no dry_bulb column"},
    {"PressureAndAltitude", {}, "dry_bulb,pressure,altitude,relative_humidity\n", 2, {}, {},
     "exactly one of pressure and altitude"},
    {"NeitherPressureNorAltitude", {}, "dry_bulb,relative_humidity\n", 2, {}, {}, "neither a pressure nor an altitude"},
    {"TwoConditions", {}, "dry_bulb,pressure,wet_bulb,dew_point\n", 2, {}, {}, "exactly one of wet_bulb"},
    {"NoCondition", {}, "dry_bulb,pressure\n", 2, {}, {}, "none of wet_bulb"},
    {"OutputColumnNameInInput", {}, "dry_bulb,pressure,relative_humidity,enthalpy\n", 2, {}, {}, "rename it"},
    {"BadJobs", {"--jobs", "0"}, kRest, 2, {}, {}, "--jobs"},
    {"BadUnits", {"--units", "kelvin"}, kRest, 2, {}, {}, "--units"},
    {"UnknownOption", {"--fast"}, kRest, 2, {}, {}, "unknown option"},
    {"MissingFile", {"/nonexistent/weather.csv"}, "", 2, {}, {}, "cannot open"},
    {"HeaderLongerThanTheLimit", {"--max-record-bytes", "20"}, kRest, 2, {}, {}, "the header is longer than 20 bytes"},
};

INSTANTIATE_TEST_SUITE_P(Cli, BatchFiles, ::testing::ValuesIn(kBatchCases),
                         [](const auto& row) { return std::string(row.param.name); });

// ---------------------------------------------------------------------------
// Numbers: full precision, the shortest text that reads back.

TEST(BatchNumbers, GivenValuesAreWrittenAsTheirShortestText)
{
    // Decimals of every shape the quick reader accepts or hands on.
    std::mt19937_64 random(42);
    std::vector<std::string> texts = {"25.0",  "+25",    "025.50", "-0.0", "0",       ".5",
                                      "5.",    "1e1",    "2.5E1",  "100000", "0.00001", "0.0001",
                                      "12345678901234567", "1.0000000000000002", "-7.25"};
    for (int i = 0; i < 400; ++i) {
        std::string text = (random() % 3 == 0) ? "-" : "";
        const auto integerDigits = random() % 8;
        for (std::uint64_t d = 0; d < integerDigits; ++d)
            text += static_cast<char>('0' + random() % 10);
        text += '.';
        const auto fractionDigits = 1 + random() % 12;
        for (std::uint64_t d = 0; d < fractionDigits; ++d)
            text += static_cast<char>('0' + (random() % 3 == 0 ? 0 : random() % 10));
        texts.push_back(text);
    }
    std::string input = "dry_bulb,pressure,humidity_ratio\n";
    for (const std::string& text : texts)
        input += text + ",101.325,0.01\n";
    const CliRun run = RunCli({"batch", "--jobs", "1"}, input);
    const auto rows = CsvRows(run.out);
    ASSERT_EQ(rows.size(), texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i) {
        double value = 0.0;
        const std::string& text = texts[i];
        const std::size_t skip = text[0] == '+' ? 1 : 0;
        std::from_chars(text.data() + skip, text.data() + text.size(), value);
        EXPECT_EQ(rows[i].at("dry_bulb"), Shortest(value)) << "input '" << text << "'";
    }
}

TEST(BatchNumbers, NonFiniteInputIsNoNumber)
{
    const CliRun run = RunCli({"batch"}, "dry_bulb,pressure,relative_humidity\ninf,101.325,50\n");
    EXPECT_EQ(run.exitCode, 1);
    const auto rows = CsvRows(run.out);
    ASSERT_EQ(rows.size(), 1U);
    EXPECT_EQ(rows[0].at("status"), "line 2: dry_bulb is not a finite number");
}

// ---------------------------------------------------------------------------
// JSON lines.

TEST(BatchJson, OneObjectPerRowNullsAndEscapes)
{
    const CliRun run = RunCli({"batch", "--format", "json"},
                              "name,dry_bulb,pressure,relative_humidity\n"
                              "\"a \"\"quoted\"\"\\path\ttab\",25,101.325,50\n"
                              "b,25,101.325,x\n");
    EXPECT_EQ(run.exitCode, 1);
    const auto lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 2U) << run.out;
    const auto first = JsonObject(lines[0]);
    EXPECT_EQ(first.at("name"), "a \"quoted\"\\path\ttab");
    EXPECT_EQ(first.at("dry_bulb"), "25");
    EXPECT_EQ(first.at("status"), "null");
    EXPECT_EQ(Number(first.at("enthalpy")),
              humitrax::Enthalpy(25.0, 101.325, 3, 0.5, 1).AsNumber());
    EXPECT_NE(lines[0].find("\\t"), std::string::npos) << "a tab is escaped";
    const auto second = JsonObject(lines[1]);
    EXPECT_EQ(second.at("relative_humidity"), "null");
    EXPECT_EQ(second.at("wet_bulb"), "null");
    EXPECT_EQ(second.at("status"), "line 3: relative_humidity is not a number");
}

// ---------------------------------------------------------------------------
// The text of passed-through columns in JSON: always UTF-8, each key once.
// CSV passes the same bytes through unchanged.

struct JsonTextCase {
    const char* name;
    std::string input;    ///< passed-through columns first, then dry_bulb with 25
    std::string expected; ///< the start of the JSON line
};

class BatchJsonText : public ::testing::TestWithParam<JsonTextCase> {};

TEST_P(BatchJsonText, ValidUtf8AndUniqueKeys)
{
    const JsonTextCase& c = GetParam();
    const CliRun json = RunCli({"batch", "--format", "json"}, c.input);
    EXPECT_EQ(json.exitCode, 0) << json.err;
    EXPECT_EQ(json.out.substr(0, c.expected.size()), c.expected);

    const CliRun csv = RunCli({"batch"}, c.input);
    const auto in = Lines(c.input);
    const auto out = Lines(csv.out);
    ASSERT_EQ(out.size(), 2U) << csv.out;
    EXPECT_EQ(out[0].substr(0, in[0].find("dry_bulb")), in[0].substr(0, in[0].find("dry_bulb")));
    EXPECT_EQ(out[1].substr(0, in[1].find(",25,")), in[1].substr(0, in[1].find(",25,")));
}

const std::string kFffd = "\xEF\xBF\xBD"; // U+FFFD

const JsonTextCase kJsonTextCases[] = {
    {"Latin1InNameAndValue", "Z\xFCrich," + kRest + "Z\xFCrich," + kRow,
     "{\"Z" + kFffd + "rich\":\"Z" + kFffd + "rich\","},
    {"WellFormedUtf8Unchanged", "Z\xC3\xBCrich \xE2\x82\xAC\xF0\x9F\x98\x80," + kRest + "x," + kRow,
     "{\"Z\xC3\xBCrich \xE2\x82\xAC\xF0\x9F\x98\x80\":\"x\","},
    {"OverlongSurrogateAndAboveU10FFFF", "v," + kRest + "\xC0\xAF|\xED\xA0\x80|\xF4\x90\x80\x80," + kRow,
     "{\"v\":\"" + kFffd + kFffd + "|" + kFffd + kFffd + kFffd + "|" + kFffd + kFffd + kFffd + kFffd +
         "\","},
    {"SequenceCutShort", "v," + kRest + "a\xE2\x82," + kRow, "{\"v\":\"a" + kFffd + kFffd + "\","},
    {"RepeatedNameTakesAFreeSuffix", "site,site,site_2," + kRest + "a,b,c," + kRow,
     "{\"site\":\"a\",\"site_3\":\"b\",\"site_2\":\"c\","},
    {"NamesEqualOnceRepaired", "Z\xFC,Z\xFA," + kRest + "1,2," + kRow,
     "{\"Z" + kFffd + "\":\"1\",\"Z" + kFffd + "_2\":\"2\","},
};

INSTANTIATE_TEST_SUITE_P(Cli, BatchJsonText, ::testing::ValuesIn(kJsonTextCases),
                         [](const auto& row) { return std::string(row.param.name); });

// ---------------------------------------------------------------------------
// A program feeding rows through a pipe gets each answer while the input is
// still open.

class BatchPipe : public ::testing::TestWithParam<const char*> {};

TEST_P(BatchPipe, AnswersEachRowBeforeTheInputEnds)
{
    humitrax::testing::CliProcess cli({"batch", "--jobs", GetParam(), "-"});
    ASSERT_TRUE(cli.Write("dry_bulb,pressure,relative_humidity\n25,101.325,50\n"));
    // A generous bound: a command that holds rows back fails here, not hangs.
    const std::optional<std::string> header = cli.ReadLine(10);
    ASSERT_TRUE(header) << "no answer while the input is open";
    EXPECT_EQ(header->substr(0, 9), "dry_bulb,");
    EXPECT_EQ(cli.ReadLine(10).value_or("nothing").substr(0, 11), "25,101.325,");
    ASSERT_TRUE(cli.Write("20,101.325,40\n"));
    EXPECT_EQ(cli.ReadLine(10).value_or("nothing").substr(0, 11), "20,101.325,");
    EXPECT_EQ(cli.Finish(), 0);
}

INSTANTIATE_TEST_SUITE_P(Cli, BatchPipe, ::testing::Values("1", "2"),
                         [](const auto& row) { return "Jobs" + std::string(row.param); });

// ---------------------------------------------------------------------------
// Output that cannot be written: exit status 3, whether a write or the last
// flush finds it.

struct UnwritableCase {
    const char* name;
    std::vector<std::string> args;
    std::string input;
};

class BatchUnwritable : public ::testing::TestWithParam<UnwritableCase> {};

TEST_P(BatchUnwritable, ExitThree)
{
    std::vector<std::string> args = {"batch"};
    args.insert(args.end(), GetParam().args.begin(), GetParam().args.end());
    const CliRun run = RunCli(args, GetParam().input, {}, "/dev/full");
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_NE(run.err.find("cannot write the output"), std::string::npos) << run.err;
}

std::string ManyRows(int count)
{
    std::string rows = kRest;
    for (int i = 0; i < count; ++i)
        rows += kRow;
    return rows;
}

const UnwritableCase kUnwritableCases[] = {
    {"Help", {"--help"}, ""},
    {"OneRowAtTheLastFlush", {"--jobs", "1"}, ManyRows(1)},
    {"ManyRowsOnSeveralJobs", {"--jobs", "2"}, ManyRows(20000)},
};

INSTANTIATE_TEST_SUITE_P(Cli, BatchUnwritable, ::testing::ValuesIn(kUnwritableCases),
                         [](const auto& row) { return std::string(row.param.name); });

// ---------------------------------------------------------------------------
// Several jobs: the output is the input's order, whatever the threads do.

TEST(BatchJobs, OutputOrderEqualsInputOrder)
{
    // Enough rows for several blocks of work.
    std::string input = "row,dry_bulb,pressure,relative_humidity\n";
    constexpr int kRows = 120000;
    for (int i = 0; i < kRows; ++i) {
        input += std::to_string(i) + "," + std::to_string(i % 40) + "." + std::to_string(i % 10) +
                 ",101.325," + std::to_string(5 + i % 95) + "\n";
    }
    const CliRun one = RunCli({"batch", "--jobs", "1"}, input);
    const CliRun four = RunCli({"batch", "--jobs", "4"}, input);
    ASSERT_EQ(one.exitCode, 0) << one.err;
    ASSERT_EQ(four.exitCode, 0) << four.err;
    EXPECT_TRUE(one.out == four.out) << "outputs differ";
    const auto lines = Lines(four.out);
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(kRows) + 1);
    for (int i = 0; i < kRows; ++i) {
        const std::string& line = lines[static_cast<std::size_t>(i) + 1];
        ASSERT_EQ(line.substr(0, line.find(',')), std::to_string(i)) << "row " << i;
    }
}

// ---------------------------------------------------------------------------
// EnergyPlus weather files: eight header lines, then fixed fields; missing
// codes leave a row without properties.

std::string EpwRow(int day, int hour, const std::string& dryBulb, const std::string& dewPoint,
                   const std::string& humidity, const std::string& pressure)
{
    return "1995,1," + std::to_string(day) + "," + std::to_string(hour) + ",60,A7A7E8E8*0," + dryBulb +
           "," + dewPoint + "," + humidity + "," + pressure + ",0,0,282,0,0,0,0,0,0,0,270,2.1,10\n";
}

/// Three days of a weather file, hours 1 to 24; day 2, hour 5 lacks its dry
/// bulb and pressure, day 3, hour 24 its relative humidity.
std::string WeatherFile()
{
    std::string text = "LOCATION,Basel,BS,CHE,IWEC,066010,47.55,7.58,1.0,316.0\nDESIGN CONDITIONS,0\n"
                       "TYPICAL/EXTREME PERIODS,0\nGROUND TEMPERATURES,0\nHOLIDAYS/DAYLIGHT SAVINGS,No,0,0,0\n"
                       "COMMENTS 1,\"a, b\"\nCOMMENTS 2,\nDATA PERIODS,1,1,Data,Sunday, 1/ 1,12/31\n";
    for (int day = 1; day <= 3; ++day) {
        for (int hour = 1; hour <= 24; ++hour) {
            const bool gap = day == 2 && hour == 5;
            text += EpwRow(day, hour, gap ? "99.9" : std::to_string(day * 5 + hour / 2),
                           std::to_string(day * 3), day == 3 && hour == 24 ? "999" : "60",
                           gap ? "999999" : "97800");
        }
    }
    return text;
}

std::string WriteTemporary(const std::string& name, const std::string& text)
{
    const std::string path = ::testing::TempDir() + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

TEST(BatchWeatherFile, FieldsMissingCodesAndTheGivenCondition)
{
    const std::string path = WriteTemporary("humitrax-basel.epw", WeatherFile());
    const CliRun dew = RunCli({"batch", path});
    EXPECT_EQ(dew.exitCode, 1) << dew.err;
    const auto rows = CsvRows(dew.out);
    ASSERT_EQ(rows.size(), 72U) << dew.out;
    EXPECT_EQ(ParseCsv(dew.out)[0][0] + ParseCsv(dew.out)[0][4], "yearminute");
    const auto& last = rows[23]; // day 1, hour 24 stays hour 24
    EXPECT_EQ(last.at("day") + "/" + last.at("hour") + "/" + last.at("minute"), "1/24/60");
    const Expected engine = EngineState(true, 17, 97.8, humitrax::kDewPointGiven, 3);
    for (const char* name : {"pressure", "wet_bulb", "relative_humidity", "enthalpy", "density"})
        EXPECT_EQ(Number(last.at(name)), engine.values.at(name)) << name;
    EXPECT_EQ(rows[24 + 4].at("status"), "dry_bulb: missing; pressure: missing");
    EXPECT_EQ(rows[24 + 4].at("wet_bulb"), "");
    EXPECT_EQ(rows[71].at("status"), "") << "the humidity is not read";

    const CliRun humidity = RunCli({"batch", "--input", "epw", "--given", "relative_humidity", "-"}, WeatherFile());
    const auto byHumidity = CsvRows(humidity.out);
    ASSERT_EQ(byHumidity.size(), 72U);
    EXPECT_EQ(byHumidity[0].at("relative_humidity"), "60");
    EXPECT_EQ(byHumidity[71].at("status"), "relative_humidity: missing");

    for (const std::vector<std::string>& refused :
         {std::vector<std::string>{"batch", "--units", "ip", path},
          std::vector<std::string>{"batch", "--given", "wet_bulb", path},
          std::vector<std::string>{"batch", "--input", "epw", "-"}}) {
        const CliRun run = RunCli(refused, "dry_bulb,pressure,dew_point\n");
        EXPECT_EQ(run.exitCode, 2) << refused[1];
        EXPECT_EQ(run.out, "");
    }
}

// ---------------------------------------------------------------------------
// Batch reads its own output: with the condition named, the same numbers.

TEST(BatchOwnOutput, ReadAgainWithTheGivenConditionGivesTheSameBytes)
{
    const std::string input = "site,dry_bulb,altitude,relative_humidity\n"
                              "a,25,0,50\nb,-5,1500,80\nd,21.5,-100,100\n";
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

struct RoundingCase {
    const char* label;
    int decimals;     ///< after the point; -1 for six significant digits
    double tolerance; ///< half the last digit kept, relative for significant digits
};

TEST(StateTable, RoundsEachValueToWhatAnEngineerReads)
{
    const RoundingCase cases[] = {
        {"Wet bulb temperature", 2, 0.005},   {"Dew point temperature", 2, 0.005},
        {"Barometric pressure", 4, 0.00005},  {"Relative humidity", 1, 0.05},
        {"Humidity ratio", -1, 5e-6},         {"Specific enthalpy", 2, 0.005},
        {"Specific volume", 4, 0.00005},      {"Moisture content", 2, 0.005},
        {"Vapour pressure", 4, 0.00005},      {"Saturation humidity ratio", -1, 5e-6},
        {"Degree of saturation", 4, 0.00005}, {"Density", 4, 0.00005},
    };
    const std::vector<std::string> args = {"state", "--units", "ip", "--dry-bulb", "77", "--altitude",
                                           "1234", "--wet-bulb", "61.3"};
    const CliRun rounded = RunCli(args);
    std::vector<std::string> fullArgs = args;
    fullArgs.insert(fullArgs.end(), {"--precision", "full"});
    const CliRun full = RunCli(fullArgs);
    ASSERT_EQ(rounded.exitCode, 0) << rounded.err;
    const auto valueOf = [](const std::string& table, const std::string& label) {
        const std::size_t at = table.find("  " + label + " ");
        EXPECT_NE(at, std::string::npos) << label;
        const std::size_t start = table.find_first_not_of(' ', at + 2 + label.size());
        return table.substr(start, table.find_first_of(" \n", start) - start);
    };
    for (const RoundingCase& c : cases) {
        const std::string text = valueOf(rounded.out, c.label);
        const double exact = Number(valueOf(full.out, c.label));
        const std::size_t point = text.find('.');
        if (c.decimals >= 0) {
            EXPECT_EQ(text.size() - point - 1, static_cast<std::size_t>(c.decimals)) << c.label << " " << text;
            EXPECT_LE(std::fabs(Number(text) - exact), c.tolerance * (1 + 1e-9)) << c.label;
        } else {
            EXPECT_EQ(text.find_first_not_of("0.") + 6, text.size()) << c.label << " " << text;
            EXPECT_LE(std::fabs(Number(text) - exact), c.tolerance * exact) << c.label;
        }
    }
}

// ---------------------------------------------------------------------------
// The state command's own failures and usage errors.

TEST(StateFailure, RefusedAirHasNoProperties)
{
    const CliRun run = RunCli({"state", "--units", "si", "--dry-bulb", "25", "--pressure",
                               "101.325", "--humidity-ratio", "0.03"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out.find(Shortest(humitrax::EnthalpySI(25.0, 101.325, 4, 0.03).AsNumber())),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.err.find("humidity_ratio: above saturation"), std::string::npos) << run.err;
}

struct UsageCase {
    const char* name;
    std::vector<std::string> args;
    const char* errorContains;
};

class StateUsage : public ::testing::TestWithParam<UsageCase> {};

TEST_P(StateUsage, ExitTwoWithExplanation)
{
    std::vector<std::string> args = {"state"};
    args.insert(args.end(), GetParam().args.begin(), GetParam().args.end());
    const CliRun run = RunCli(args);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find(GetParam().errorContains), std::string::npos) << run.err;
}

std::vector<std::string> Si(std::vector<std::string> more)
{
    return With({"--units", "si", "--dry-bulb", "25", "--pressure", "101"}, more);
}

const UsageCase kUsageCases[] = {
    {"BadModel", With({"--model", "ashrae"}, Si({"--wet-bulb", "18"})), "calculator or ashrae2017"},
    {"BadUnits", {"--units", "metric", "--dry-bulb", "25"}, "si or ip"},
    {"NoDryBulb", {"--units", "si", "--pressure", "101", "--wet-bulb", "18"}, "--dry-bulb"},
    {"PressureAndAltitude", Si({"--altitude", "0", "--wet-bulb", "18"}), "not both"},
    {"NoPressure", {"--units", "si", "--dry-bulb", "25", "--wet-bulb", "18"}, "--pressure"},
    {"TwoConditions", Si({"--wet-bulb", "18", "--dew-point", "14"}), "--wet-bulb and --dew-point cannot both be given"},
    {"NoCondition", Si({}), "--wet-bulb"},
    {"NotANumber", {"--units", "si", "--dry-bulb", "warm", "--pressure", "101", "--wet-bulb", "18"}, "not a number"},
    {"MissingValue", {"--units", "si", "--dry-bulb"}, "needs a value"},
    {"UnknownOption", Si({"--wet-bulb", "18", "--speed", "1"}), "unknown option"},
    {"BadFormat", Si({"--wet-bulb", "18", "--format", "xml"}), "table, csv or json"},
};

INSTANTIATE_TEST_SUITE_P(Cli, StateUsage, ::testing::ValuesIn(kUsageCases),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(Help, DescribesStateAndBatchWithExamples)
{
    const CliRun run = RunCli({"--help"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_NE(run.out.find("  state [--units si|ip]"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("  batch [--units si|ip]"), std::string::npos);
    EXPECT_NE(run.out.find("        humitrax-cli batch --units ip weather.csv"), std::string::npos);
    EXPECT_NE(run.out.find("        humitrax-cli state --units si"), std::string::npos);
}

} // namespace
