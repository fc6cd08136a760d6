// The CSV of states: RFC 4180 records, the batch header, rows counted as
// placed or left out.
#include "state_table.h"

#include "humitrax/psychrometrics.h"

#include <gtest/gtest.h>

#include <ostream>

#include <sstream>
#include <string>
#include <vector>

namespace humitrax::chart {
namespace {

struct RecordsRow {
    std::string name;
    std::string input;
    std::vector<std::vector<std::string>> records;
};

// Test names and failure reports show the row by its name.
void PrintTo(const RecordsRow& row, std::ostream* out) { *out << row.name; }

class CsvReaderTest : public ::testing::TestWithParam<RecordsRow> {};

INSTANTIATE_TEST_SUITE_P(
    Rfc4180, CsvReaderTest,
    ::testing::Values(RecordsRow{"Plain", "a,b,c\n1,2,3\n", {{"a", "b", "c"}, {"1", "2", "3"}}},
                      RecordsRow{"CrLf", "a,b\r\nc,d\r\n", {{"a", "b"}, {"c", "d"}}},
                      RecordsRow{"NoFinalLineBreak", "a,b\nc,d", {{"a", "b"}, {"c", "d"}}},
                      RecordsRow{"QuotedComma", "x,\"b,c\",d\n", {{"x", "b,c", "d"}}},
                      RecordsRow{"DoubledQuote", "\"say \"\"hi\"\"\",x\n", {{"say \"hi\"", "x"}}},
                      RecordsRow{"LineBreakInQuotes", "\"one\r\ntwo\",3\n4,5\n", {{"one\r\ntwo", "3"}, {"4", "5"}}},
                      RecordsRow{"EmptyFields", ",,\n\"\",x\n", {{"", "", ""}, {"", "x"}}},
                      RecordsRow{"ByteOrderMark", "\xEF\xBB\xBF" "dry_bulb,w\n", {{"dry_bulb", "w"}}},
                      RecordsRow{"Empty", "", {}}),
    [](const auto& rowInfo) { return rowInfo.param.name; });

TEST_P(CsvReaderTest, ReadsEachRecord)
{
    std::istringstream in(GetParam().input);
    CsvReader reader(in);
    std::vector<std::vector<std::string>> records;
    for (std::vector<std::string> fields; reader.Next(fields);)
        records.push_back(fields);
    EXPECT_EQ(records, GetParam().records);
}

struct TableRow {
    std::string name;
    std::string csv;
    std::size_t rows;
    std::size_t placed;
};

// Test names and failure reports show the row by its name.
void PrintTo(const TableRow& row, std::ostream* out) { *out << row.name; }

class StateTableTest : public ::testing::TestWithParam<TableRow> {};

INSTANTIATE_TEST_SUITE_P(
    Batch, StateTableTest,
    ::testing::Values(
        TableRow{"AllPlaced", "dry_bulb,pressure,relative_humidity\n25,101.325,50\n30,101.325,20\n0,101.325,90\n", 3, 3},
        TableRow{"BadNumber", "dry_bulb,pressure,relative_humidity\n25,101.325,fifty\n30,101.325,20\n", 2, 1},
        TableRow{"MissingCell", "dry_bulb,pressure,relative_humidity\n25,101.325\n30,,20\n,101.325,20\n", 3, 0},
        TableRow{"OtherColumnsPassedOver",
                 "timestamp,\"sensor, name\",dry_bulb,pressure,wet_bulb\n\"2024-01-01 00:00\",\"a, \"\"b\"\"\",25,"
                 "101.325,18\n",
                 1, 1},
        TableRow{"AboveSaturation", "dry_bulb,pressure,relative_humidity\n25,101.325,150\n25,101.325,100\n", 2, 1},
        TableRow{"EngineCannotCompute", "dry_bulb,pressure,dew_point\n25,101.325,300\n25,101.325,10\n", 2, 1},
        TableRow{"AltitudeColumn", "dry_bulb,altitude,humidity_ratio\n25,1500,0.01\n25,0,0.01\n", 2, 2},
        TableRow{"NoPressureColumn", "dry_bulb,dew_point\n25,10\n", 1, 1},
        TableRow{"BatchOutputUsesHumidityRatio",
                 "dry_bulb,pressure,wet_bulb,dew_point,relative_humidity,humidity_ratio,enthalpy,specific_volume,"
                 "status\n25,101.325,17.9,13.9,50,0.00988,50.3,0.858,\n25,101.325,,,,,,,\"wet_bulb: out of range\"\n",
                 2, 1},
        TableRow{"BlankLinesSkipped", "dry_bulb,pressure,relative_humidity\n\n25,101.325,50\n\n", 1, 1}),
    [](const auto& rowInfo) { return rowInfo.param.name; });

TEST_P(StateTableTest, CountsRowsPlacedAndLeftOut)
{
    const TableRow& row = GetParam();
    std::istringstream in(row.csv);
    const auto read = ReadStateTable(in, DefaultSettings(true));
    ASSERT_TRUE(std::holds_alternative<StateTable>(read)) << std::get<std::string>(read);
    const StateTable& table = std::get<StateTable>(read);
    EXPECT_EQ(table.rows, row.rows);
    EXPECT_EQ(table.points.size(), row.placed);
    EXPECT_EQ(table.failed, row.rows - row.placed);
}

// Each row's state is placed at the row's own pressure.
TEST(StateTable, PlacesEachRowAtItsPressure)
{
    std::istringstream in("dry_bulb,pressure,relative_humidity\n25,101.325,50\n25,80,50\n");
    const auto read = ReadStateTable(in, DefaultSettings(true));
    ASSERT_TRUE(std::holds_alternative<StateTable>(read));
    const StateTable& table = std::get<StateTable>(read);
    ASSERT_EQ(table.points.size(), 2u);
    EXPECT_DOUBLE_EQ(table.points[0].w, HumidRatioSI(25.0, 101.325, kRelativeHumidityGiven, 0.5).AsNumber());
    EXPECT_DOUBLE_EQ(table.points[1].w, HumidRatioSI(25.0, 80.0, kRelativeHumidityGiven, 0.5).AsNumber());
    EXPECT_GT(table.points[1].w, table.points[0].w);
}

TEST(StateTable, ReadsInchPoundRows)
{
    std::istringstream in("dry_bulb,pressure,relative_humidity\n77,14.696,50\n");
    const auto read = ReadStateTable(in, DefaultSettings(false));
    ASSERT_TRUE(std::holds_alternative<StateTable>(read));
    const StateTable& table = std::get<StateTable>(read);
    ASSERT_EQ(table.points.size(), 1u);
    EXPECT_DOUBLE_EQ(table.points[0].w, HumidRatio(77.0, 14.696, kRelativeHumidityGiven, 0.5, 0).AsNumber());
}

struct HeaderRow {
    std::string name;
    std::string csv;
    std::string reason;
};

// Test names and failure reports show the row by its name.
void PrintTo(const HeaderRow& row, std::ostream* out) { *out << row.name; }

class StateTableHeaderTest : public ::testing::TestWithParam<HeaderRow> {};

INSTANTIATE_TEST_SUITE_P(
    Batch, StateTableHeaderTest,
    ::testing::Values(HeaderRow{"EmptyFile", "", "empty"},
                      HeaderRow{"NoDryBulb", "temperature,pressure,relative_humidity\n25,101.325,50\n", "no dry_bulb"},
                      HeaderRow{"NoCondition", "dry_bulb,pressure\n25,101.325\n", "no condition"},
                      HeaderRow{"TwoConditionsNoRatio", "dry_bulb,pressure,wet_bulb,dew_point\n25,101.325,18,14\n",
                                "more than one condition"},
                      HeaderRow{"PressureAndAltitude", "dry_bulb,pressure,altitude,dew_point\n25,101.325,0,14\n",
                                "both pressure and altitude"},
                      HeaderRow{"ColumnTwice", "dry_bulb,dry_bulb,dew_point\n25,25,14\n", "twice"}),
    [](const auto& rowInfo) { return rowInfo.param.name; });

TEST_P(StateTableHeaderTest, SaysWhatIsWrong)
{
    std::istringstream in(GetParam().csv);
    const auto read = ReadStateTable(in, DefaultSettings(true));
    ASSERT_TRUE(std::holds_alternative<std::string>(read));
    EXPECT_NE(std::get<std::string>(read).find(GetParam().reason), std::string::npos) << std::get<std::string>(read);
}

} // namespace
} // namespace humitrax::chart
