// The chart's curves against the state layer: each point lies on its curve,
// inside the drawn range and never above saturation.
#include "chart_model.h"
#include "chart_settings_rows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <vector>

namespace humitrax::chart {
namespace {

using testing::PropertyAt;
using testing::SaturationAt;
using testing::SettingsRow;

class CurvesTest : public ::testing::TestWithParam<SettingsRow> {};

INSTANTIATE_TEST_SUITE_P(Charts, CurvesTest, ::testing::ValuesIn(testing::SettingsRows()),
                         [](const auto& rowInfo) { return rowInfo.param.name; });

// Each point lies in the range, at or below saturation, and carries its
// curve's value read back by the state layer under the chart's model. The
// curves are smooth on any page: neighbouring points at most a 600th of the
// range apart. The ends of a run are found by bisection: a wet-bulb line
// starts on the left edge, on the top edge or on saturation at its own value.
TEST_P(CurvesTest, PointsLieOnTheirCurveInTheRange)
{
    const ChartSettings& settings = GetParam().settings;
    const double finest = (settings.tMax - settings.tMin) / 600.0;
    std::map<Family, int> checked;
    for (const Curve& curve : ComputeCurves(settings)) {
        // The 2017 relations give a wet bulb of 0 °C two humidity ratios, over
        // water and over ice: the line is drawn over water, the state layer
        // reads its points a little below 0.
        const bool iceOrWater = settings.model == Model::Ashrae2017 && curve.family == Family::WetBulb &&
                                curve.value == (settings.si() ? 0.0 : 32.0);
        const bool humidity = curve.family == Family::Saturation || curve.family == Family::RelativeHumidity;
        const double value = humidity ? 100.0 * curve.value : curve.value;
        const Property property = humidity                           ? Property::RelativeHumidity
                                  : curve.family == Family::WetBulb  ? Property::WetBulb
                                  : curve.family == Family::Enthalpy ? Property::Enthalpy
                                                                     : Property::SpecificVolume;
        const double tolerance = humidity                          ? 1e-7
                                 : curve.family == Family::WetBulb ? 1e-4
                                 : curve.family == Family::Volume  ? 1e-12
                                                                   : 1e-9;
        const DataPoint start = curve.runs.front().front();
        if (curve.family == Family::WetBulb && start.t != settings.tMin &&
            std::fabs(start.w - settings.wMax) >= 1e-9) {
            EXPECT_NEAR(start.w, SaturationAt(settings, start.t), 1e-9) << "wet bulb " << curve.value;
            EXPECT_NEAR(start.t, curve.value, 1e-6);
        }
        for (const auto& run : curve.runs) {
            ASSERT_GE(run.size(), 2u);
            for (std::size_t i = 1; i < run.size(); ++i)
                ASSERT_LE(run[i].t - run[i - 1].t, finest * (1.0 + 1e-9)) << "at " << run[i].t;
            for (const DataPoint& point : run) {
                EXPECT_TRUE(InRange(point, settings)) << point.t << " " << point.w;
                const double saturation = SaturationAt(settings, point.t);
                EXPECT_LE(point.w, saturation + 1e-12 + 1e-9 * saturation) << "at " << point.t;
                // The calculator's relative humidity is not defined below 0 °C or 32 °F.
                const Cell cell = PropertyAt(settings, point, property);
                if (!cell.present || iceOrWater)
                    continue;
                EXPECT_NEAR(cell.value, value, tolerance) << static_cast<int>(curve.family) << " at " << point.t;
                ++checked[curve.family];
            }
        }
    }
    EXPECT_EQ(checked.size(), 5u);
}

struct FamilyRow {
    std::string name;
    bool si;
    Family family;
    double step;
    double expected; ///< a value the reader expects among them
};

class FamilyValuesTest : public ::testing::TestWithParam<FamilyRow> {};

INSTANTIATE_TEST_SUITE_P(Defaults, FamilyValuesTest,
                         ::testing::Values(FamilyRow{"SiRelativeHumidity", true, Family::RelativeHumidity, 0.1, 0.1},
                                           FamilyRow{"SiWetBulb", true, Family::WetBulb, 5.0, -10.0},
                                           FamilyRow{"SiEnthalpy", true, Family::Enthalpy, 10.0, 120.0},
                                           FamilyRow{"SiVolume", true, Family::Volume, 0.02, 0.86},
                                           FamilyRow{"InchPoundWetBulb", false, Family::WetBulb, 10.0, 80.0},
                                           FamilyRow{"InchPoundVolume", false, Family::Volume, 0.5, 13.5}),
                         [](const auto& rowInfo) { return rowInfo.param.name; });

// The default chart draws each family at its step, the ones a reader expects among them.
TEST_P(FamilyValuesTest, AtTheirStep)
{
    const FamilyRow& row = GetParam();
    std::vector<double> values;
    for (const Curve& curve : ComputeCurves(DefaultSettings(row.si ? Units::SI : Units::InchPound))) {
        if (curve.family == row.family)
            values.push_back(curve.value);
    }
    ASSERT_GE(values.size(), 3u);
    for (std::size_t i = 1; i < values.size(); ++i)
        EXPECT_NEAR(values[i] - values[i - 1], row.step, 1e-9 * row.step);
    EXPECT_TRUE(std::any_of(values.begin(), values.end(),
                            [&](double value) { return std::fabs(value - row.expected) < 1e-9; }));
}

struct StateRow {
    std::string name;
    AirState state;
    std::string reason; ///< empty when the state is placed
};

class LocateStateTest : public ::testing::TestWithParam<StateRow> {};

INSTANTIATE_TEST_SUITE_P(
    Si, LocateStateTest,
    ::testing::Values(StateRow{"Saturated", {Property::DryBulb, 25.0, Property::RelativeHumidity, 100.0}, ""},
                      StateRow{"DryAir", {Property::DryBulb, 25.0, Property::HumidityRatio, 0.0}, ""},
                      StateRow{"AboveSaturation", {Property::DryBulb, 25.0, Property::HumidityRatio, 0.03},
                               "humidity_ratio above saturation"},
                      StateRow{"NegativeRatio", {Property::DryBulb, 25.0, Property::HumidityRatio, -0.001}, "humidity_ratio below 0"},
                      StateRow{"DewPointAboveTheDryBulb", {Property::DryBulb, 25.0, Property::DewPoint, 30.0},
                               "dew_point above the dry bulb"},
                      StateRow{"DryBulbOutOfRange", {Property::DryBulb, 250.0, Property::HumidityRatio, 0.01},
                               "dry_bulb above 200 °C, the highest temperature the relations cover"}),
    [](const auto& rowInfo) { return rowInfo.param.name; });

TEST_P(LocateStateTest, PlacesOrSaysWhyNot)
{
    const StateRow& row = GetParam();
    const auto located = LocateState(row.state, DefaultSettings(Units::SI));
    const std::string reason = std::holds_alternative<std::string>(located) ? std::get<std::string>(located) : "";
    EXPECT_EQ(reason.empty(), row.reason.empty()) << reason;
    EXPECT_NE(reason.find(row.reason), std::string::npos) << reason;
}

} // namespace
} // namespace humitrax::chart
