// The painted page: the saturation curve and the marked states land where
// the engine puts them, read back through the axes and off the pixels; the
// labels neither overlap nor leave the plot.
#include "chart_painter.h"
#include "chart_settings_rows.h"

#include "humitrax/psychrometrics.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>

namespace humitrax::chart {
namespace {

using testing::SettingsRow;

const QSize kPage(1200, 800);

QImage Paint(const ChartContent& content, const ChartLayout& layout)
{
    QImage image(kPage, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    PaintChart(painter, content, layout);
    painter.end();
    return image;
}

// The darkest pixel of the 3 × 3 block around a device point.
QColor DarkestAround(const QImage& image, const QPointF& at)
{
    QColor darkest(Qt::white);
    const int x = static_cast<int>(std::floor(at.x()));
    const int y = static_cast<int>(std::floor(at.y()));
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            const QColor color = image.pixelColor(x + dx, y + dy);
            if (color.red() + color.green() + color.blue() < darkest.red() + darkest.green() + darkest.blue())
                darkest = color;
        }
    }
    return darkest;
}

double SaturationByEngine(const ChartSettings& settings, double t)
{
    return HumidRatio(t, settings.pressure, kRelativeHumidityGiven, 1.0, settings.unitsFlag()).AsNumber();
}

// Dry bulb from the plot's left edge to its right, humidity ratio from its
// bottom edge up to its top, in proportion.
TEST(Axes, MapTheRangeOntoThePlot)
{
    const Axes axes(-10.0, 50.0, 0.03, QRectF(40.0, 30.0, 600.0, 300.0));
    EXPECT_EQ(axes.ToDevice({-10.0, 0.0}), QPointF(40.0, 330.0));
    EXPECT_EQ(axes.ToDevice({50.0, 0.03}), QPointF(640.0, 30.0));
    const QPointF middle = axes.ToDevice({20.0, 0.015});
    EXPECT_DOUBLE_EQ(middle.x(), 340.0);
    EXPECT_DOUBLE_EQ(middle.y(), 180.0);
    const DataPoint back = axes.FromDevice(QPointF(190.0, 105.0));
    EXPECT_DOUBLE_EQ(back.t, 5.0);
    EXPECT_DOUBLE_EQ(back.w, 0.0225);
}

class SaturationDrawnTest : public ::testing::TestWithParam<SettingsRow> {};

INSTANTIATE_TEST_SUITE_P(Charts, SaturationDrawnTest, ::testing::ValuesIn(testing::SettingsRows()),
                         [](const auto& rowInfo) { return testing::RowName(rowInfo.param); });

TEST_P(SaturationDrawnTest, PointsMapBackToTheEngine)
{
    const ChartSettings& settings = GetParam().settings;
    const ChartContent content = ContentFor(settings);
    const ChartLayout layout = LayOutChart(content, QSizeF(kPage));
    const auto saturation = std::find_if(content.curves.begin(), content.curves.end(),
                                         [](const Curve& curve) { return curve.family == Family::Saturation; });
    ASSERT_NE(saturation, content.curves.end());
    const auto& run = saturation->runs.front();
    ASSERT_GE(run.size(), 10u);
    for (std::size_t i = 0; i < run.size(); i += run.size() / 8) {
        const QPointF device = layout.axes.ToDevice(run[i]);
        ASSERT_TRUE(layout.axes.plot().adjusted(-0.5, -0.5, 0.5, 0.5).contains(device));
        const DataPoint back = layout.axes.FromDevice(device);
        EXPECT_NEAR(back.t, run[i].t, 1e-9 * (settings.tMax - settings.tMin));
        EXPECT_NEAR(back.w, SaturationByEngine(settings, back.t), 1e-7 * settings.wMax) << back.t;
    }
}

// Read off the pixels: the dark saturation line passes through the engine's
// saturation humidity ratio at several dry bulbs.
TEST_P(SaturationDrawnTest, LineIsPaintedThroughTheEnginesPoints)
{
    const ChartSettings& settings = GetParam().settings;
    const ChartContent content = ContentFor(settings);
    const ChartLayout layout = LayOutChart(content, QSizeF(kPage));
    const QImage image = Paint(content, layout);
    int checked = 0;
    for (int k = 1; k <= 7; ++k) {
        const double t = settings.tMin + (settings.tMax - settings.tMin) * k / 8.0;
        const double w = SaturationByEngine(settings, t);
        if (w > 0.95 * settings.wMax || w < 0.02 * settings.wMax)
            continue;
        const QColor color = DarkestAround(image, layout.axes.ToDevice({t, w}));
        EXPECT_LT(color.red(), 90) << t;
        EXPECT_LT(color.green(), 100) << t;
        EXPECT_LT(color.blue(), 130) << t;
        ++checked;
    }
    EXPECT_GE(checked, 2);
}

struct MarkedRow {
    std::string name;
    bool si;
    StateInput state;
};

class StateDrawnTest : public ::testing::TestWithParam<MarkedRow> {};

INSTANTIATE_TEST_SUITE_P(
    States, StateDrawnTest,
    ::testing::Values(MarkedRow{"SiRelativeHumidity", true, {25.0, Condition::RelativeHumidity, 50.0, {}}},
                      MarkedRow{"SiWetBulb", true, {30.0, Condition::WetBulb, 20.0, {}}},
                      MarkedRow{"SiDewPoint", true, {10.0, Condition::DewPoint, 5.0, {}}},
                      MarkedRow{"SiHumidityRatio", true, {40.0, Condition::HumidityRatio, 0.015, {}}},
                      MarkedRow{"SiBelowFreezing", true, {-5.0, Condition::RelativeHumidity, 60.0, {}}},
                      MarkedRow{"InchPoundRelativeHumidity", false, {77.0, Condition::RelativeHumidity, 50.0, {}}},
                      MarkedRow{"InchPoundWetBulb", false, {90.0, Condition::WetBulb, 70.0, {}}}),
    [](const auto& rowInfo) { return rowInfo.param.name; });

TEST_P(StateDrawnTest, AtItsDryBulbAndHumidityRatio)
{
    const MarkedRow& row = GetParam();
    ChartContent content = ContentFor(DefaultSettings(row.si));
    const ChartSettings& settings = content.settings;
    const std::int16_t situation = row.state.condition == Condition::WetBulb    ? kWetBulbGiven
                                   : row.state.condition == Condition::DewPoint ? kDewPointGiven
                                   : row.state.condition == Condition::HumidityRatio
                                       ? kHumidityRatioGiven
                                       : kRelativeHumidityGiven;
    const double stateVar =
        row.state.condition == Condition::RelativeHumidity ? row.state.value / 100.0 : row.state.value;
    const double w = HumidRatio(row.state.dryBulb, settings.pressure, situation, stateVar, settings.unitsFlag())
                         .AsNumber();

    const auto described = DescribeState(row.state, settings);
    ASSERT_TRUE(std::holds_alternative<StateProperties>(described)) << std::get<std::string>(described);
    content.marked.push_back({row.name, std::get<StateProperties>(described)});
    const ChartLayout layout = LayOutChart(content, QSizeF(kPage));
    const QPointF device = layout.axes.ToDevice(content.marked.front().properties.at);
    const DataPoint back = layout.axes.FromDevice(device);
    EXPECT_NEAR(back.t, row.state.dryBulb, 1e-9);
    EXPECT_NEAR(back.w, w, 1e-12);

    const QImage image = Paint(content, layout);
    EXPECT_EQ(image.pixelColor(static_cast<int>(device.x()), static_cast<int>(device.y())), MarkerColor());
    // and not where the point would be if the humidity ratio were off by a tenth
    const QPointF wrong = layout.axes.ToDevice({row.state.dryBulb, w * 1.1 + settings.wMax * 0.02});
    EXPECT_NE(image.pixelColor(static_cast<int>(wrong.x()), static_cast<int>(wrong.y())), MarkerColor());
}

struct LabelRow {
    std::string name;
    bool si;
    QSize page;
    std::vector<StateInput> states;
};

class LabelsTest : public ::testing::TestWithParam<LabelRow> {};

INSTANTIATE_TEST_SUITE_P(
    Pages, LabelsTest,
    ::testing::Values(LabelRow{"SiDefault", true, QSize(1200, 800), {}},
                      LabelRow{"SiTwoStates",
                               true,
                               QSize(1200, 800),
                               {{25.0, Condition::RelativeHumidity, 50.0, {}}, {32.0, Condition::WetBulb, 22.0, {}}}},
                      LabelRow{"InchPoundTwoStates",
                               false,
                               QSize(1200, 800),
                               {{77.0, Condition::RelativeHumidity, 50.0, {}}, {90.0, Condition::WetBulb, 70.0, {}}}},
                      LabelRow{"SmallPage", true, QSize(600, 400), {{20.0, Condition::RelativeHumidity, 40.0, {}}}},
                      LabelRow{"LargePage", true, QSize(2400, 1600), {{20.0, Condition::RelativeHumidity, 40.0, {}}}},
                      LabelRow{"StatesCloseTogether",
                               true,
                               QSize(1200, 800),
                               {{25.0, Condition::RelativeHumidity, 50.0, {}},
                                {26.0, Condition::RelativeHumidity, 50.0, {}},
                                {25.0, Condition::RelativeHumidity, 55.0, {}}}}),
    [](const auto& rowInfo) { return rowInfo.param.name; });

TEST_P(LabelsTest, NeitherOverlapNorLeaveThePlot)
{
    const LabelRow& row = GetParam();
    ChartContent content = ContentFor(DefaultSettings(row.si));
    for (const StateInput& state : row.states) {
        const auto described = DescribeState(state, content.settings);
        ASSERT_TRUE(std::holds_alternative<StateProperties>(described));
        content.marked.push_back({"state", std::get<StateProperties>(described)});
    }
    const ChartLayout layout = LayOutChart(content, QSizeF(row.page));
    const QRectF plot = layout.axes.plot();
    ASSERT_GT(plot.width(), row.page.width() / 2);
    ASSERT_GT(plot.height(), row.page.height() / 2);

    std::vector<PlacedLabel> labels = layout.curveLabels;
    labels.insert(labels.end(), layout.stateLabels.begin(), layout.stateLabels.end());
    EXPECT_EQ(layout.stateLabels.size(), content.marked.size());
    for (std::size_t i = 0; i < labels.size(); ++i) {
        const QPolygonF outline = labels[i].Outline();
        for (const QPointF& corner : outline)
            EXPECT_TRUE(plot.contains(corner)) << labels[i].text.toStdString();
        if (layout.legendInside) {
            EXPECT_FALSE(outline.intersects(QPolygonF(layout.legend))) << labels[i].text.toStdString();
        }
        // Close state labels may have to touch; everything else keeps apart.
        const bool isState = i >= layout.curveLabels.size();
        for (std::size_t j = i + 1; j < labels.size(); ++j) {
            if (isState && row.name == "StatesCloseTogether")
                continue;
            EXPECT_FALSE(outline.intersects(labels[j].Outline()))
                << labels[i].text.toStdString() << " / " << labels[j].text.toStdString();
        }
    }
    // Every family is named on the chart.
    std::set<Family> named;
    for (const PlacedLabel& label : layout.curveLabels)
        named.insert(content.curves[label.owner].family);
    EXPECT_EQ(named.size(), 5u);
}

} // namespace
} // namespace humitrax::chart
