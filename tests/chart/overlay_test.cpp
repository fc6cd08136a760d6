// What the chart draws over its curves: the comfort zone against ISO 7730's
// vote, a user's zone against the curves its edges follow, and processes read
// from their JSON and joined into marked states and arrows.
#include "chart_settings_rows.h"
#include "process_json.h"

#include "humitrax/comfort.h"
#include "humitrax/state.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <tuple>
#include <utility>
#include <variant>
#include <vector>

namespace humitrax::chart {
namespace {

using testing::PropertyAt;
using testing::SaturationAt;

struct ComfortRow {
    std::string name;
    ChartSettings settings;
    double met;
    double clo;
    double airSpeed;
    bool empty; ///< no part of the zone in the drawn range
};

class ComfortZoneTest : public ::testing::TestWithParam<ComfortRow> {};

INSTANTIATE_TEST_SUITE_P(
    Zones, ComfortZoneTest,
    ::testing::Values(
        ComfortRow{"SiSummerOffice", DefaultSettings(Units::SI), 1.1, 0.5, 0.1, false},
        ComfortRow{"InchPoundWinter", DefaultSettings(Units::InchPound), 1.0, 1.0, 0.2, false},
        ComfortRow{"OutOfRange", {.altitude = {}, .tMin = 35.0, .tMax = 50.0}, 1.1, 0.5, 0.1, true}),
    [](const auto& rowInfo) { return rowInfo.param.name; });

// Every point lies at or below saturation; where neither saturation nor the
// range cuts it, the cool side (the first half) has a PMV of −0.5 and the
// warm side +0.5, the mean radiant temperature the dry bulb.
TEST_P(ComfortZoneTest, OutlineHasAVoteOfHalfUnlessCut)
{
    const ComfortRow& row = GetParam();
    const ChartSettings& settings = row.settings;
    const std::vector<DataPoint> outline = ComfortZoneOutline(settings, row.met, row.clo, row.airSpeed);
    if (row.empty) {
        EXPECT_TRUE(outline.empty());
        return;
    }
    ASSERT_FALSE(outline.empty());
    int voted = 0;
    for (std::size_t i = 0; i < outline.size(); ++i) {
        const DataPoint& point = outline[i];
        const double saturation = SaturationAt(settings, point.t);
        ASSERT_LE(point.w, saturation * (1.0 + 1e-9)) << point.t;
        ASSERT_GE(point.t, settings.tMin);
        ASSERT_LE(point.t, settings.tMax);
        if (point.w >= saturation * (1.0 - 1e-7) || point.t == settings.tMin || point.t == settings.tMax)
            continue;
        const double celsius = settings.si() ? point.t : (point.t - 32.0) / 1.8;
        const double pascals = PropertyAt(settings, point, Property::VapourPressure).value *
                               (settings.si() ? 1000.0 : 6894.757293168361);
        const double pmv =
            comfort::Pmv({celsius, celsius, row.airSpeed, pascals, row.met, row.clo}).pmv;
        EXPECT_NEAR(pmv, i < outline.size() / 2 ? -0.5 : 0.5, 1e-6) << "point " << i << " at " << point.t;
        ++voted;
    }
    EXPECT_GE(voted, 100);
}

struct ZoneRow {
    std::string name;
    bool si;
    std::vector<AirState> corners;
    Property along;             ///< the property of the curved edges
    std::vector<double> values; ///< its value on each
    double tolerance;
};

class UserZoneTest : public ::testing::TestWithParam<ZoneRow> {};

INSTANTIATE_TEST_SUITE_P(
    Zones, UserZoneTest,
    ::testing::Values(ZoneRow{"RelativeHumidityBand", true,
                              {{Property::DryBulb, 20.0, Property::RelativeHumidity, 30.0},
                               {Property::DryBulb, 26.0, Property::RelativeHumidity, 30.0},
                               {Property::DryBulb, 26.0, Property::RelativeHumidity, 60.0},
                               {Property::DryBulb, 20.0, Property::RelativeHumidity, 60.0}},
                              Property::RelativeHumidity, {30.0, 60.0}, 1e-9},
                      // The edge back from the dew-point corner is straight.
                      ZoneRow{"InchPoundWetBulbEdge", false,
                              {{Property::DryBulb, 75.0, Property::WetBulb, 60.0},
                               {Property::DryBulb, 95.0, Property::WetBulb, 60.0},
                               {Property::DryBulb, 95.0, Property::DewPoint, 40.0}},
                              Property::WetBulb, {60.0}, 1e-4}),
    [](const auto& rowInfo) { return rowInfo.param.name; });

// Between the corners, every point lies on the curve of its edge: the edges
// of constant dry bulb and the others are straight, with no points between.
TEST_P(UserZoneTest, CurvedEdgesLieOnTheirCurve)
{
    const ZoneRow& row = GetParam();
    const ChartSettings settings = DefaultSettings(row.si ? Units::SI : Units::InchPound);
    auto outline = ZoneOutline(row.corners, settings);
    ASSERT_TRUE(std::holds_alternative<std::vector<DataPoint>>(outline)) << std::get<std::string>(outline);
    int between = 0;
    for (const DataPoint& point : std::get<std::vector<DataPoint>>(outline)) {
        const bool corner = std::any_of(row.corners.begin(), row.corners.end(),
                                        [&](const AirState& c) { return c.firstValue == point.t; });
        if (corner)
            continue;
        const double value = PropertyAt(settings, point, row.along).value;
        EXPECT_TRUE(std::any_of(row.values.begin(), row.values.end(),
                                [&](double v) { return std::fabs(value - v) <= row.tolerance; }))
            << point.t << " has " << value;
        ++between;
    }
    EXPECT_GE(between, 20 * static_cast<int>(row.values.size()));
}

// The JSON of one process with its states at (t, w); `roles` as the process
// command names them.
QByteArray ProcessJson(const std::string& kind, const std::vector<std::pair<std::string, DataPoint>>& states,
                       const std::string& extra = {}, const std::string& units = "si")
{
    std::string json = "{\"process\":\"" + kind + "\",\"units\":\"" + units +
                       "\",\"model\":\"calculator\",\"pressure\":101.325";
    for (const auto& [role, at] : states) {
        json += ",\"" + role + "\":{\"dry_bulb\":" + std::to_string(at.t) +
                ",\"humidity_ratio\":" + std::to_string(at.w) + ",\"wet_bulb\":null}";
    }
    return QByteArray::fromStdString(json + extra + ",\"status\":null}");
}

struct JsonRow {
    std::string name;
    QByteArray json;
    std::string message;
};

class ProcessJsonTest : public ::testing::TestWithParam<JsonRow> {};

INSTANTIATE_TEST_SUITE_P(
    Refused, ProcessJsonTest,
    ::testing::Values(
        JsonRow{"NotAnObject", "[1, 2]", "not an object"},
        JsonRow{"BareNull", " null\n", "not a process file: it holds only null"},
        JsonRow{"UnknownKind", ProcessJson("dry", {{"entering", {20, 0.01}}, {"leaving", {25, 0.01}}}), "\"process\""},
        JsonRow{"NoLeavingState", ProcessJson("heat", {{"entering", {20, 0.01}}}), "\"leaving\""},
        JsonRow{"StateWithoutRatio", "{\"process\":\"cool\",\"units\":\"si\",\"model\":\"calculator\",\"pressure\":"
                                     "101.325,\"entering\":{\"dry_bulb\":30},\"leaving\":{\"dry_bulb\":20}}",
                "no dry_bulb or humidity_ratio"},
        JsonRow{"InchPoundOnAnSiChart",
                ProcessJson("heat", {{"entering", {50, 0.005}}, {"leaving", {80, 0.005}}}, {}, "ip"), "--units ip"}),
    [](const auto& rowInfo) { return rowInfo.param.name; });

TEST_P(ProcessJsonTest, SaysWhatIsWrong)
{
    auto read = ReadProcessJson(GetParam().json, DefaultSettings(Units::SI));
    ASSERT_TRUE(std::holds_alternative<std::string>(read));
    EXPECT_NE(std::get<std::string>(read).find(GetParam().message), std::string::npos) << std::get<std::string>(read);
}

ChartProcess Read(const QByteArray& json)
{
    auto read = ReadProcessJson(json, DefaultSettings(Units::SI));
    if (const auto* reason = std::get_if<std::string>(&read))
        ADD_FAILURE() << *reason;
    return std::get<ChartProcess>(read);
}

// An air handler: outdoor and return air mixed, cooled by a coil with its
// apparatus dew point, reheated. The states the processes share are marked
// once after the states marked already; one arrow per step, a dashed line to
// the apparatus dew point. On a 1200 × 800 page their labels keep clear of
// the arrows.
TEST(Processes, ChainShareTheirStatesAndKeepTheirLabelsClear)
{
    const DataPoint outdoor{32.0, 0.01552}, room{24.0, 0.0093}, mixed{26.02, 0.010853}, coiled{12.42, 0.00811},
        supply{18.0, 0.00811};
    ChartContent content = ContentFor(DefaultSettings(Units::SI));
    content.marked.push_back({"5,rh=50", std::get<StateProperties>(DescribeState(
                                             {Property::DryBulb, 5.0, Property::RelativeHumidity, 50.0}, content.settings))});
    const std::vector<std::string> notes = AddProcesses(
        content, {Read(ProcessJson("mix", {{"first", outdoor}, {"second", room}, {"mixed", mixed}})),
                  Read(ProcessJson("coil", {{"entering", mixed}, {"leaving", coiled}},
                                   ",\"loads\":{\"heat\":-50,\"apparatus_dew_point\":10}")),
                  Read(ProcessJson("heat", {{"entering", coiled}, {"leaving", supply}})),
                  // Leaves the drawn range: noted, with its arrow left out.
                  Read(ProcessJson("heat", {{"entering", supply}, {"leaving", {60.0, 0.0081}}}))});
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_NE(notes[0].find("leaving (heat 2)"), std::string::npos) << notes[0];

    std::vector<std::string> titles;
    for (const MarkedState& state : content.marked)
        titles.push_back(state.title);
    EXPECT_EQ(titles, (std::vector<std::string>{"", "first (mix)", "second (mix)", "mixed (mix) = entering (coil)",
                                                "leaving (coil) = entering (heat 1)", "apparatus dew point (coil)",
                                                "leaving (heat 1) = entering (heat 2)"}));
    const MarkedState& dewPoint = content.marked[5];
    EXPECT_EQ(dewPoint.properties.at.t, 10.0);
    EXPECT_NEAR(dewPoint.properties.at.w, SaturationAt(content.settings, 10.0), 1e-12);

    std::vector<std::tuple<std::size_t, std::size_t, bool>> lines;
    for (const ProcessLine& line : content.processLines)
        lines.emplace_back(line.from, line.to, line.dashed);
    EXPECT_EQ(lines, (std::vector<std::tuple<std::size_t, std::size_t, bool>>{
                         {1, 3, false}, {2, 3, false}, {3, 4, false}, {4, 5, true}, {4, 6, false}}));

    const ChartLayout layout = LayOutChart(content, QSizeF(1200.0, 800.0));
    ASSERT_EQ(layout.stateLabels.size(), 7u);
    ASSERT_EQ(layout.arrows.size(), 5u);
    for (const PlacedLabel& label : layout.stateLabels) {
        const QPolygonF outline = label.Outline();
        for (const PlacedArrow& arrow : layout.arrows) {
            const QPointF normal = QPointF(-arrow.shaft.dy(), arrow.shaft.dx()) / arrow.shaft.length();
            const QPolygonF shaft({arrow.shaft.p1() + normal, arrow.shaft.p2() + normal, arrow.shaft.p2() - normal,
                                   arrow.shaft.p1() - normal});
            EXPECT_FALSE(outline.intersects(shaft)) << label.text.toStdString();
        }
    }
}

} // namespace
} // namespace humitrax::chart
