// The states of a table as the chart reads them: batch's reader and header
// rules, each row placed by ComputeState at its own pressure.
#include "table/state_table.h"

#include "humitrax/psychrometrics.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace humitrax::cli {
namespace {

/// The table read from a file holding `text`, as chart --states reads it
/// (a CSV table, or a TMY3 file by its first two lines).
std::optional<StateTable> Read(const std::string& text, std::string& message,
                               std::optional<Condition> given = std::nullopt,
                               const std::vector<ColumnMapping>& mappings = {})
{
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::tmpfile(), &std::fclose);
    std::fwrite(text.data(), 1, text.size(), file.get());
    std::fflush(file.get());
    std::rewind(file.get());
    StateTableOptions options;
    options.kind = InputKind::CsvOrTmy3;
    options.rules.defaultPressure = 90.0;
    options.rules.model = Model::Calculator; // the engine's humidity ratios

    if (given)
        options.rules.given = {ConditionProperty(*given)};
    options.rules.mappings = mappings;
    return ReadStateTable(fileno(file.get()), options, message);
}

struct TableRow {
    const char* name;
    std::string csv;
    std::optional<Condition> given;
    std::size_t rows;
    std::size_t placed;
    double lastPressure;      ///< of the last state placed
    double lastHumidityRatio; ///< of the last state placed; 0: not checked
};

class StateTableRows : public ::testing::TestWithParam<TableRow> {};

TEST_P(StateTableRows, CountsRowsPlacedAndLeftOut)
{
    const TableRow& row = GetParam();
    std::string message;
    const std::optional<StateTable> table = Read(row.csv, message, row.given);
    ASSERT_TRUE(table) << message;
    EXPECT_EQ(table->rows, row.rows);
    EXPECT_EQ(table->failed, row.rows - row.placed);
    ASSERT_EQ(table->points.size(), row.placed);
    EXPECT_EQ(table->points.back().pressure, row.lastPressure);
    EXPECT_TRUE(row.lastHumidityRatio == 0.0 || table->points.back().humidityRatio == row.lastHumidityRatio);
}

const std::string kRh = "dry_bulb,pressure,relative_humidity\n";
const double kHalfAt80 = HumidRatioSI(25.0, 80.0, kRelativeHumidityGiven, 0.5).AsNumber();
const double kHalf = HumidRatioSI(25.0, 101.325, kRelativeHumidityGiven, 0.5).AsNumber();

INSTANTIATE_TEST_SUITE_P(
    Chart, StateTableRows,
    ::testing::Values(
        TableRow{"BadNumbersAndMissingCells", kRh + "25,101.325,fifty\n25,101.325\n30,,20\n30,101.325,20\n", {}, 4, 1,
                 101.325, 0},
        // Read as batch reads it: an upper-case name stands, a doubled sign does not.
        TableRow{"UpperCaseNameDoubledSign", "DRY_BULB,pressure,relative_humidity\n+-25,101.325,50\n25,101.325,50\n",
                 {}, 2, 1, 101.325, kHalf},
        TableRow{"RefusedAir", kRh + "25,101.325,150\n25,101.325,100\n", {}, 2, 1, 101.325, 0},
        TableRow{"EngineCannotCompute", "dry_bulb,pressure,dew_point\n25,101.325,300\n25,101.325,10\n", {}, 2, 1,
                 101.325, 0},
        TableRow{"OtherColumnsPassedOver", "\"sensor, name\",dry_bulb,enthalpy,pressure,wet_bulb,status\n"
                 "\"a, \"\"b\"\"\",25,1,101.325,18,x\n", {}, 1, 1, 101.325, 0},
        TableRow{"BatchOutputPlacedByItsHumidityRatio",
                 "dry_bulb,pressure,wet_bulb,dew_point,relative_humidity,humidity_ratio,status\n"
                 "25,101.325,17.9,13.9,50,0.00988,\n25,101.325,,,,,\"wet_bulb: out of range\"\n", {}, 2, 1, 101.325,
                 0.00988},
        TableRow{"RecordLongerThanTheLimit", kRh + "25,101.325,50" + std::string(std::size_t{1} << 21, ' ') +
                 "\n25,101.325,50\n", {}, 2, 1, 101.325, kHalf},
        TableRow{"EachRowAtItsOwnPressure", kRh + "25,101.325,50\n25,80,50\n", {}, 2, 2, 80.0, kHalfAt80},
        TableRow{"ThePressureOfTheChartWhenNone", "dry_bulb,dew_point\n25,10\n", {}, 1, 1, 90.0, 0},
        // The relative humidity, not the humidity ratio, places the state.
        TableRow{"ByTheGivenCondition", "dry_bulb,pressure,relative_humidity,humidity_ratio\n25,101.325,50,0.001\n",
                 Condition::RelativeHumidity, 1, 1, 101.325, kHalf}),
    [](const auto& row) { return std::string(row.param.name); });

// A logger's file as it comes: its names mapped, decimal commas, hPa
// without a unit (placed as given, and warned of).
TEST(StateTable, MappedNamesDecimalCommasAndAWarning)
{
    std::string message;
    const std::optional<StateTable> table =
        Read("Zeit;Temp (C);Luftdruck;rF\n12:00;25;1013,25;50\n13:00;26,5;1012;45,5\n", message, std::nullopt,
             {{"pressure", "luftdruck"}, {"relative_humidity", "RF"}, {"dry_bulb", "Temp (C)"}});
    ASSERT_TRUE(table) << message;
    ASSERT_EQ(table->points.size(), 2U);
    EXPECT_EQ(table->points[1].dryBulb, 26.5);
    EXPECT_EQ(table->points[0].pressure, 1013.25);
    ASSERT_EQ(table->warnings.size(), 1U);
    EXPECT_EQ(table->warnings[0].probableUnit, "hPa");
}

TEST(StateTable, Tmy3ByItsFirstTwoLines)
{
    const std::string station = "725650,\"DENVER INTL AP\",CO,-7.0,39.833,-104.650,1650\n";
    const std::string header = "Date (MM/DD/YYYY),Time (HH:MM),Dry-bulb (C),Dry-bulb source,Dry-bulb uncert (code),"
                               "Dew-point (C),Dew-point source,Dew-point uncert (code),Pressure (mbar)\n";
    std::string message;
    const std::optional<StateTable> table =
        Read(station + header + "01/01/1999,01:00,-5,A,7,-9,A,7,850\n01/01/1999,02:00,-9900,?,0,-9,A,7,850\n", message);
    ASSERT_TRUE(table) << message;
    EXPECT_EQ(table->rows, 2U);
    ASSERT_EQ(table->points.size(), 1U);
    EXPECT_EQ(table->points[0].pressure, 85.0);
    EXPECT_TRUE(table->warnings.empty());
}

TEST(StateTable, SeveralConditionsWithoutHumidityRatioNeedGiven)
{
    std::string message;
    EXPECT_FALSE(Read("dry_bulb,pressure,wet_bulb,dew_point\n25,101.325,18,14\n", message));
    EXPECT_NE(message.find("--given"), std::string::npos) << message;
}

} // namespace
} // namespace humitrax::cli
