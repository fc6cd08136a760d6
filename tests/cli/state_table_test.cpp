// The states of a table as the chart reads them: batch's reader and header
// rules, each row placed by ComputeState at its own pressure.
#include "state_table.h"

#include "humitrax/psychrometrics.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

namespace humitrax::cli {
namespace {

/// The table read from a file holding `text`.
std::optional<StateTable> Read(const std::string& text, std::string& message,
                               std::optional<Condition> given = std::nullopt)
{
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::tmpfile(), &std::fclose);
    std::fwrite(text.data(), 1, text.size(), file.get());
    std::fflush(file.get());
    std::rewind(file.get());
    StateTableOptions options;
    options.rules.defaultPressure = 90.0;
    options.rules.given = given;
    return ReadStateTable(fileno(file.get()), options, message);
}

struct TableRow {
    const char* name;
    std::string csv;
    std::size_t rows;
    std::size_t placed;
};

class StateTableRows : public ::testing::TestWithParam<TableRow> {};

TEST_P(StateTableRows, CountsRowsPlacedAndLeftOut)
{
    std::string message;
    const std::optional<StateTable> table = Read(GetParam().csv, message);
    ASSERT_TRUE(table) << message;
    EXPECT_EQ(table->rows, GetParam().rows);
    EXPECT_EQ(table->points.size(), GetParam().placed);
    EXPECT_EQ(table->failed, GetParam().rows - GetParam().placed);
}

INSTANTIATE_TEST_SUITE_P(
    Chart, StateTableRows,
    ::testing::Values(
        TableRow{"BadNumbersAndMissingCells", "dry_bulb,pressure,relative_humidity\n25,101.325,fifty\n25,101.325\n"
                 "30,,20\n30,101.325,20\n", 4, 1},
        // Read as batch reads it: an upper-case name stands, a doubled sign does not.
        TableRow{"UpperCaseNameDoubledSign", "DRY_BULB,pressure,relative_humidity\n+-25,101.325,50\n25,101.325,50\n",
                 2, 1},
        TableRow{"RefusedAir", "dry_bulb,pressure,relative_humidity\n25,101.325,150\n25,101.325,100\n", 2, 1},
        TableRow{"EngineCannotCompute", "dry_bulb,pressure,dew_point\n25,101.325,300\n25,101.325,10\n", 2, 1},
        TableRow{"OtherColumnsPassedOver", "\"sensor, name\",dry_bulb,enthalpy,pressure,wet_bulb,status\n"
                 "\"a, \"\"b\"\"\",25,1,101.325,18,x\n", 1, 1},
        TableRow{"BatchOutputPlacedByItsHumidityRatio",
                 "dry_bulb,pressure,wet_bulb,dew_point,relative_humidity,humidity_ratio,status\n"
                 "25,101.325,17.9,13.9,50,0.00988,\n25,101.325,,,,,\"wet_bulb: out of range\"\n", 2, 1},
        TableRow{"RecordLongerThanTheLimit", "dry_bulb,pressure,relative_humidity\n25,101.325,50" +
                 std::string(std::size_t{1} << 21, ' ') + "\n25,101.325,50\n", 2, 1}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(StateTable, EachRowAtItsOwnPressureOrTheChartsAndByTheGivenCondition)
{
    std::string message;
    const auto table = Read("dry_bulb,pressure,relative_humidity\n25,101.325,50\n25,80,50\n", message);
    ASSERT_TRUE(table) << message;
    ASSERT_EQ(table->points.size(), 2U);
    EXPECT_EQ(table->points[1].pressure, 80.0);
    EXPECT_EQ(table->points[1].humidityRatio,
              HumidRatioSI(25.0, 80.0, kRelativeHumidityGiven, 0.5).AsNumber());

    const auto noPressure = Read("dry_bulb,dew_point\n25,10\n", message);
    ASSERT_TRUE(noPressure) << message;
    ASSERT_EQ(noPressure->points.size(), 1U);
    EXPECT_EQ(noPressure->points[0].pressure, 90.0);

    // The relative humidity, not the humidity ratio, places the state.
    const auto byHumidity = Read("dry_bulb,pressure,relative_humidity,humidity_ratio\n25,101.325,50,0.001\n",
                                 message, Condition::RelativeHumidity);
    ASSERT_TRUE(byHumidity) << message;
    ASSERT_EQ(byHumidity->points.size(), 1U);
    EXPECT_EQ(byHumidity->points[0].humidityRatio,
              HumidRatioSI(25.0, 101.325, kRelativeHumidityGiven, 0.5).AsNumber());
}

TEST(StateTable, SeveralConditionsWithoutHumidityRatioNeedGiven)
{
    std::string message;
    EXPECT_FALSE(Read("dry_bulb,pressure,wet_bulb,dew_point\n25,101.325,18,14\n", message));
    EXPECT_NE(message.find("--given"), std::string::npos) << message;
}

} // namespace
} // namespace humitrax::cli
