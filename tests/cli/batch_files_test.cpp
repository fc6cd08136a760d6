// humitrax-cli batch on files as they come: headers with hyphens and units in
// parentheses, --column, --skip-lines, decimal commas, TMY3 files (written
// here from NREL's description of the format) and --keep of a weather
// file's fields.
#include "run_cli.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <string>
#include <vector>

namespace humitrax::testing {
namespace {

std::string Shortest(double value)
{
    char buffer[32];
    return std::string(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
}

/// A run's rows must hold these cells ("column=text"; "column=*" any number).
struct FileCase {
    const char* name;
    std::vector<std::string> args;
    std::string input;
    int exitCode;
    std::string header; ///< the output's header line; empty: not checked
    std::vector<std::vector<std::string>> rows;
};

class BatchFileRows : public ::testing::TestWithParam<FileCase> {};

TEST_P(BatchFileRows, HeaderCellsAndExitCode)
{
    const FileCase& c = GetParam();
    std::vector<std::string> args = {"batch"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const CliRun run = RunCli(args, c.input);
    EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
    if (!c.header.empty()) {
        EXPECT_EQ(run.out.substr(0, run.out.find('\n')), c.header);
    }
    const std::vector<Row> rows = CsvRows(run.out);
    ASSERT_EQ(rows.size(), c.rows.size()) << run.out;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (const std::string& cell : c.rows[r]) {
            const std::string column = cell.substr(0, cell.find('='));
            const std::string want = cell.substr(column.size() + 1);
            ASSERT_EQ(rows[r].count(column), 1U) << "row " << r << " has no " << column;
            if (want == "*")
                EXPECT_TRUE(!rows[r].at(column).empty() && std::isfinite(Number(rows[r].at(column)))) << column;
            else
                EXPECT_EQ(rows[r].at(column), want) << "row " << r << " " << column;
        }
    }
}

const std::string kProperties = "wet_bulb,dew_point,relative_humidity,humidity_ratio,enthalpy,specific_volume,"
                                "vapour_pressure,saturation_vapour_pressure,saturation_humidity_ratio,"
                                "degree_of_saturation,specific_humidity,density,status";
const std::vector<std::string> kCalculator = {"--model", "calculator"};
const std::vector<std::string> kHandbook = {"--model", "ashrae2017"};

std::vector<std::string> With(std::vector<std::string> front, const std::vector<std::string>& back)
{
    front.insert(front.end(), back.begin(), back.end());
    return front;
}

const FileCase kHeaderCases[] = {
    {"UnitsInParenthesesAndHyphens", kCalculator, "Dry-bulb (F),Pressure (mbar),Relative-Humidity (%)\n77,1013.25,50\n",
     0, "dry_bulb,pressure," + kProperties, {{"dry_bulb=25", "pressure=101.325", "relative_humidity=50"}}},
    // Names read only by the looser rules yield to the ones read as before,
    // and pass through as they did.
    {"LooseNamesYieldToStrictOnes", kCalculator,
     "dry_bulb,pressure,relative_humidity,Dry-bulb,Dew-point (C),Enthalpy (kJ/kg)\n25,101.325,50,a,b,c\n", 0,
     "Dry-bulb,Dew-point (C),Enthalpy (kJ/kg),dry_bulb,pressure," + kProperties,
     {{"Dry-bulb=a", "Dew-point (C)=b", "Enthalpy (kJ/kg)=c", "dry_bulb=25", "relative_humidity=50"}}},
    {"ParenthesesThatAreNoUnitPassThrough", kCalculator, "dry_bulb,pressure,dew_point,Dew point (station 2)\n20,101,5,x\n",
     0, "", {{"Dew point (station 2)=x", "dew_point=5", "wet_bulb=*"}}},
    {"ColumnMapsAnyHeaderItsUnitApplying",
     With(kCalculator, {"--column", "dry_bulb=temp (f)", "--column", "pressure=P [hPa]", "--column", "relative_humidity=RH"}),
     "Site,Temp (F),P [hPa],RH\nroof,77,1013.25,50\n", 0, "Site,dry_bulb,pressure," + kProperties,
     {{"Site=roof", "dry_bulb=25", "pressure=101.325", "relative_humidity=50"}}},
    {"ColumnPicksTheConditionBesideALooseOne", With(kCalculator, {"--column", "relative_humidity=RHum (%)"}),
     "Dry-bulb (C),Dew-point (C),RHum (%),Pressure (mbar)\n20,5,40,1000\n", 0,
     "Dew-point (C),dry_bulb,pressure," + kProperties, {{"Dew-point (C)=5", "relative_humidity=40", "pressure=100"}}},
    // Line numbers count the skipped lines.
    {"SkipLinesBeforeTheHeader", With(kCalculator, {"--skip-lines", "2"}),
     "Logger 7, exported 2025-07-01\nunits: SI\ndry_bulb,pressure,relative_humidity\n25,101.325,50\n25,x,50\n", 1, "",
     {{"wet_bulb=*", "status="}, {"wet_bulb=", "status=line 5: pressure is not a number"}}},
    {"DecimalCommasInASemicolonFile", kHandbook,
     "site;dry_bulb;pressure;relative_humidity\nroof, north;25,5;101,325;50\nyard;-3,5;99,8;85,5\nx;1,234.5;99;50\n", 1,
     "site,dry_bulb,pressure," + kProperties,
     {{"site=roof, north", "dry_bulb=25.5", "pressure=101.325", "wet_bulb=*"},
      {"dry_bulb=-3.5", "pressure=99.8", "relative_humidity=85.5", "status="},
      {"dry_bulb=", "status=line 4: dry_bulb is not a number"}}},
    {"PointsStillReadInASemicolonFile", kCalculator, "dry_bulb;pressure;relative_humidity\n25.5;101.325;50\n", 0, "",
     {{"dry_bulb=25.5", "status="}}},
};

INSTANTIATE_TEST_SUITE_P(Header, BatchFileRows, ::testing::ValuesIn(kHeaderCases), RowName);

std::vector<std::string> Batch(const std::vector<std::string>& more) { return With({"batch"}, more); }

const SaysRow kHeaderRefused[] = {
    {"MissingColumnListsTheHeader", Batch({}), 2, "",
     "the header has no dry_bulb column; it reads 'Temp', 'P', 'RH'; --column dry_bulb=NAME", "Temp;P;RH\n"},
    {"MissingColumnNamesEscaped", Batch({}), 2, "", "it reads 'T\\x1b[31m', 'pressure', 'dew_point'",
     "T\x1b[31m,pressure,dew_point\n"},
    {"MissingConditionListsTheHeader", Batch({}), 2, "", "the header has none of wet_bulb, dew_point, "
     "relative_humidity, humidity_ratio; it reads 'dry_bulb', 'pressure', 'RHum (%)'", "dry_bulb,pressure,RHum (%)\n"},
    {"UnitInParenthesesNotTheColumnsOwn", Batch({}), 2, "",
     "'Dry-bulb (K)' is dry_bulb only with a unit of C, °C, F or °F", "Dry-bulb (K),pressure,relative_humidity\n"},
    {"ColumnHeaderNotInTheFile", Batch({"--column", "dry_bulb=Temp"}), 2, "",
     "--column dry_bulb='Temp': the header has no such column; it reads 'T', 'pressure'", "T,pressure,wet_bulb\n"},
    {"ColumnRoleUnknown", Batch({"--column", "temperature=T"}), 2, "",
     "--column takes ROLE=HEADER, ROLE one of dry_bulb, pressure, altitude, wet_bulb", "T,pressure,wet_bulb\n"},
    {"ColumnRoleTwice", Batch({"--column", "dry_bulb=T", "--column", "dry_bulb=U"}), 2, "",
     "--column gives dry_bulb twice", "T,U,pressure,wet_bulb\n"},
    {"ColumnAndAStrictNameForOneRole", Batch({"--column", "dry_bulb=T"}), 2, "",
     "the header names dry_bulb twice, 'T' and 'dry_bulb'", "T,dry_bulb,pressure,wet_bulb\n"},
    {"ColumnGivesOneColumnTwoRoles", Batch({"--column", "dry_bulb=T", "--column", "wet_bulb=t"}), 2, "",
     "--column gives 'T' two roles, dry_bulb and wet_bulb", "T,pressure,wet_bulb\n"},
    {"SkipLinesPastTheEnd", Batch({"--skip-lines", "3"}), 2, "",
     "the input ends within the 3 lines --skip-lines skips", "a\nb\n"},
    {"SkipLinesNotANumber", Batch({"--skip-lines", "-1"}), 2, "", "--skip-lines is a whole number from 0", "a\n"},
    {"KeepIsForWeatherFiles", Batch({"--keep", "wind_speed"}), 2, "", "--keep is for EnergyPlus weather and TMY3 files",
     "dry_bulb,pressure,wet_bulb\n"},
};

INSTANTIATE_TEST_SUITE_P(Header, Says, ::testing::ValuesIn(kHeaderRefused), RowName);

// ---------------------------------------------------------------------------
// TMY3: the station's line, the header, then hourly rows, as NREL's TMY3
// user's manual describes them: each measured value followed by its source
// flag and its uncertainty code; -9900 for a value not measured.

const std::vector<std::string> kTmy3Columns = {
    "Date (MM/DD/YYYY)", "Time (HH:MM)", "ETR (W/m^2)", "ETRN (W/m^2)", "GHI (W/m^2)", "GHI source",
    "GHI uncert (%)", "DNI (W/m^2)", "DNI source", "DNI uncert (%)", "DHI (W/m^2)", "DHI source", "DHI uncert (%)",
    "GH illum (lx)", "GH illum source", "Global illum uncert (%)", "DN illum (lx)", "DN illum source",
    "DN illum uncert (%)", "DH illum (lx)", "DH illum source", "DH illum uncert (%)", "Zenith lum (cd/m^2)",
    "Zenith lum source", "Zenith lum uncert (%)", "TotCld (tenths)", "TotCld source", "TotCld uncert (code)",
    "OpqCld (tenths)", "OpqCld source", "OpqCld uncert (code)", "Dry-bulb (C)", "Dry-bulb source",
    "Dry-bulb uncert (code)", "Dew-point (C)", "Dew-point source", "Dew-point uncert (code)", "RHum (%)",
    "RHum source", "RHum uncert (code)", "Pressure (mbar)", "Pressure source", "Pressure uncert (code)",
    "Wdir (degrees)", "Wdir source", "Wdir uncert (code)", "Wspd (m/s)", "Wspd source", "Wspd uncert (code)",
    "Hvis (m)", "Hvis source", "Hvis uncert (code)", "CeilHgt (m)", "CeilHgt source", "CeilHgt uncert (code)",
    "Pwat (cm)", "Pwat source", "Pwat uncert (code)", "AOD (unitless)", "AOD source", "AOD uncert (code)",
    "Alb (unitless)", "Alb source", "Alb uncert (code)", "Lprecip depth (mm)", "Lprecip quantity (hr)",
    "Lprecip source", "Lprecip uncert (code)"};

constexpr std::size_t kDryBulb = 31;
constexpr std::size_t kDewPoint = 34;
constexpr std::size_t kRelativeHumidity = 37;
constexpr std::size_t kPressure = 40;
constexpr std::size_t kWindSpeed = 46;
constexpr std::size_t kIlluminanceUncertainty = 15; // "Global illum uncert (%)"

/// Three winter days at a high station, hours 1 to 24, in CRLF lines: dry
/// bulb -12 + hour/2 °C (below zero until noon), dew point 4 K below it,
/// 70 %, 850 mbar. Day 1 hour 5 has no dry bulb (-9900); day 2 hour 7 a dew
/// point whose source flag is "?"; day 3 hour 24 no pressure (-9900).
std::string Tmy3File()
{
    std::string header;
    for (const std::string& column : kTmy3Columns)
        header += (header.empty() ? "" : ",") + column;
    std::string text = "725650,\"DENVER INTL AP\",CO,-7.0,39.833,-104.650,1650\r\n" + header + "\r\n";
    for (int day = 1; day <= 3; ++day) {
        for (int hour = 1; hour <= 24; ++hour) {
            std::vector<std::string> fields(kTmy3Columns.size(), "0");
            fields[0] = "01/0" + std::to_string(day) + "/1999";
            fields[1] = (hour < 10 ? "0" : "") + std::to_string(hour) + ":00";
            for (std::size_t source : {kDryBulb + 1, kDewPoint + 1, kRelativeHumidity + 1, kPressure + 1, kWindSpeed + 1})
                fields[source] = "A";
            fields[kDryBulb] = Shortest(-12.0 + hour * 0.5);
            fields[kDewPoint] = Shortest(-16.0 + hour * 0.5);
            fields[kRelativeHumidity] = "70";
            fields[kPressure] = "850";
            fields[kIlluminanceUncertainty] = "7";
            fields[kWindSpeed] = "3.1";
            if (day == 1 && hour == 5)
                fields[kDryBulb] = "-9900";
            if (day == 2 && hour == 7)
                fields[kDewPoint + 1] = "?";
            if (day == 3 && hour == 24)
                fields[kPressure] = "-9900";
            std::string line;
            for (const std::string& field : fields)
                line += (line.empty() ? "" : ",") + field;
            text += line + "\r\n";
        }
    }
    return text;
}

TEST(BatchTmy3, DetectedByItsFirstTwoLinesWithItsMissingValues)
{
    const CliRun run = RunCli({"batch", "--model", "ashrae2017", "-"}, Tmy3File());
    EXPECT_EQ(run.exitCode, 1) << run.err;
    EXPECT_EQ(run.out.substr(0, run.out.find('\n')), "date,time,dry_bulb,pressure," + kProperties);
    const std::vector<Row> rows = CsvRows(run.out);
    ASSERT_EQ(rows.size(), 72U);
    EXPECT_EQ(rows[0].at("date") + " " + rows[0].at("time"), "01/01/1999 01:00");
    EXPECT_EQ(rows[0].at("dry_bulb") + " " + rows[0].at("pressure") + " " + rows[0].at("dew_point"), "-11.5 85 -15.5");
    EXPECT_NE(rows[0].at("relative_humidity"), "") << "below freezing, by the 2017 relations";
    EXPECT_EQ(rows[4].at("status"), "dry_bulb: missing");
    EXPECT_EQ(rows[24 + 6].at("status"), "dew_point: missing");
    EXPECT_EQ(rows[24 + 6].at("dew_point"), "");
    EXPECT_EQ(rows[71].at("status"), "pressure: missing");
    std::size_t whole = 0;
    for (const Row& row : rows)
        whole += row.at("status").empty() ? 1U : 0U;
    EXPECT_EQ(whole, 69U);
    EXPECT_EQ(run.err.find("warning"), std::string::npos) << run.err;
}

TEST(BatchTmy3, TheGivenConditionTheUnitsAndTheFieldsKept)
{
    const auto rows = [](const std::vector<std::string>& args) { return CsvRows(RunCli(args, Tmy3File()).out); };
    const std::vector<Row> humidity = rows({"batch", "--model", "ashrae2017", "--given", "relative_humidity"});
    ASSERT_EQ(humidity.size(), 72U);
    EXPECT_EQ(humidity[0].at("relative_humidity"), "70");
    EXPECT_EQ(humidity[24 + 6].at("status"), "") << "the dew point's flag concerns the dew point only";

    const std::vector<Row> ip = rows({"batch", "--model", "ashrae2017", "--units", "ip", "--input", "tmy3"});
    ASSERT_EQ(ip.size(), 72U);
    EXPECT_EQ(ip[0].at("dry_bulb"), Shortest((-11.5 + 0.0) * 1.8 + 32.0));
    EXPECT_EQ(ip[0].at("pressure"), Shortest(850.0 / (10.0 * 6.894757293168361)));

    const std::vector<std::string> keep = {
        "batch", "--model", "ashrae2017", "--keep",
        "wind_speed,relative_humidity,dry_bulb_source,global_horizontal_illuminance_uncertainty,date"};
    const std::string keptOut = RunCli(keep, Tmy3File()).out;
    EXPECT_EQ(keptOut.substr(0, keptOut.find('\n')),
              "date,time,wind_speed,file_relative_humidity,dry_bulb_source,global_horizontal_illuminance_uncertainty,"
              "dry_bulb,pressure," + kProperties);
    const std::vector<Row> kept = CsvRows(keptOut);
    ASSERT_EQ(kept.size(), 72U);
    EXPECT_EQ(kept[5].at("wind_speed") + " " + kept[5].at("file_relative_humidity") + " " + kept[5].at("dry_bulb_source") +
                  " " + kept[5].at("global_horizontal_illuminance_uncertainty"),
              "3.1 70 A 7");

    const std::vector<Row> csv = rows({"batch", "--model", "ashrae2017", "--input", "csv", "--skip-lines", "1",
                                       "--column", "relative_humidity=RHum (%)", "--columns", "wet_bulb"});
    ASSERT_EQ(csv.size(), 72U);
    EXPECT_EQ(csv[0].at("Dew-point (C)") + " " + csv[0].at("relative_humidity") + " " + csv[0].at("pressure"),
              "-15.5 70 85");
    EXPECT_TRUE(csv[4].at("status").starts_with("dry_bulb: below -100 °C")) << "-9900 is a number to a CSV table";
}

const SaysRow kTmy3Refused[] = {
    {"ForcedOnAnotherFile", Batch({"--input", "tmy3"}), 2, "", "this is no TMY3 file: its first line, 'dry_bulb,",
     "dry_bulb,pressure,wet_bulb\n"},
    {"ColumnIsForCsv", Batch({"--column", "dry_bulb=T"}), 2, "",
     "--column is for CSV tables, and this is a TMY3 file (--input csv reads it as one)", Tmy3File()},
    {"KeepNameUnknown", Batch({"--keep", "windspeed"}), 2, "",
     "--keep: 'windspeed' is no field of this TMY3 file; its fields are date, time, extraterrestrial_horizontal_radiation",
     Tmy3File()},
    {"GivenWetBulb", Batch({"--given", "wet_bulb"}), 2, "", "a TMY3 file gives dew_point and relative_humidity",
     Tmy3File()},
    {"NoDewPoint", Batch({}), 2, "", "the TMY3 header has no 'Dew-point (C)' column; it reads 'Date (MM/DD/YYYY)'",
     [] {
         std::string file = Tmy3File();
         const std::size_t at = file.find("Dew-point (C)");
         return file.replace(at, 8, "Dewpoint");
     }()},
};

INSTANTIATE_TEST_SUITE_P(Tmy3, Says, ::testing::ValuesIn(kTmy3Refused), RowName);

// ---------------------------------------------------------------------------
// EnergyPlus weather files: --keep by the data dictionary's field names.

std::string EpwFile()
{
    std::string text = "LOCATION,Davos,GR,CHE,IWEC,067840,46.8,9.88,1.0,1590.0\nDESIGN CONDITIONS,0\n"
                       "TYPICAL/EXTREME PERIODS,0\nGROUND TEMPERATURES,0\nHOLIDAYS/DAYLIGHT SAVINGS,No,0,0,0\n"
                       "COMMENTS 1,\nCOMMENTS 2,\nDATA PERIODS,1,1,Data,Friday, 1/ 1,12/31\n";
    for (int hour = 1; hour <= 24; ++hour) {
        text += "2021,1,1," + std::to_string(hour) + ",60,?9?9?9?9E0," + Shortest(-20.0 + hour) + "," +
                Shortest(-25.0 + hour) + ",65,83500,0,0,230,0,0,0,0,0,0,0,180," + Shortest(hour / 4.0) +
                ",10,8,20,77777,9,999999999,4,0.08,35,4,0.6,0,0\n";
    }
    return text;
}

TEST(BatchEpwKeep, FieldsByTheirNamesBesideTheTime)
{
    const CliRun run = RunCli(
        {"batch", "--model", "ashrae2017", "--input", "epw", "--keep", "wind_speed,dry_bulb,data_source_flags,year,snow_depth"},
        EpwFile());
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out.substr(0, run.out.find('\n')),
              "year,month,day,hour,minute,wind_speed,file_dry_bulb,data_source_flags,snow_depth,dry_bulb,pressure," +
                  kProperties);
    const std::vector<Row> rows = CsvRows(run.out);
    ASSERT_EQ(rows.size(), 24U);
    EXPECT_EQ(rows[1].at("wind_speed") + " " + rows[1].at("file_dry_bulb") + " " + rows[1].at("data_source_flags") +
                  " " + rows[1].at("snow_depth"),
              "0.5 -18 ?9?9?9?9E0 35");
    EXPECT_EQ(rows[1].at("dry_bulb"), "-18");
    EXPECT_EQ(RunCli({"batch", "--input", "epw", "--keep", "wind_speed,wind_speed"}, EpwFile()).exitCode, 2);
    EXPECT_EQ(RunCli({"batch", "--input", "epw", "--column", "dry_bulb=x"}, EpwFile()).exitCode, 2);
}

} // namespace
} // namespace humitrax::testing
