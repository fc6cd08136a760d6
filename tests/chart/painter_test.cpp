// The painted page: the saturation curve and the marked states land where
// the state layer puts them, read back through the axes and off the pixels;
// the labels neither overlap nor leave the plot.
#include "chart_painter.h"
#include "chart_settings_rows.h"

#include "humitrax/state.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>

namespace humitrax::chart {
namespace {

// Whether a pixel of the 3 × 3 block around a device point is as dark as the
// saturation line.
bool DarkAround(const QImage& image, const QPointF& at)
{
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            const QColor color = image.pixelColor(static_cast<int>(at.x()) + dx, static_cast<int>(at.y()) + dy);
            if (color.red() < 90 && color.green() < 100 && color.blue() < 130)
                return true;
        }
    }
    return false;
}

// Dry bulb from the plot's left edge to its right, humidity ratio from its
// bottom edge up to its top, in proportion.
TEST(Axes, MapTheRangeOntoThePlot)
{
    const Axes axes(-10.0, 50.0, 0.03, QRectF(40.0, 30.0, 600.0, 300.0));
    EXPECT_EQ(axes.ToDevice({-10.0, 0.0}), QPointF(40.0, 330.0));
    EXPECT_EQ(axes.ToDevice({50.0, 0.03}), QPointF(640.0, 30.0));
    const DataPoint back = axes.FromDevice(QPointF(190.0, 105.0));
    EXPECT_DOUBLE_EQ(back.t, 5.0);
    EXPECT_DOUBLE_EQ(back.w, 0.0225);
}

struct LabelRow {
    std::string name;
    bool si;
    QSize page;
    std::vector<AirState> states;
};

class LabelsTest : public ::testing::TestWithParam<LabelRow> {};

INSTANTIATE_TEST_SUITE_P(
    Pages, LabelsTest,
    ::testing::Values(LabelRow{"SiEachCondition", true, QSize(1200, 800),
                               {{Property::DryBulb, 25.0, Property::RelativeHumidity, 50.0},
                                {Property::DryBulb, 32.0, Property::WetBulb, 22.0},
                                {Property::DryBulb, 10.0, Property::DewPoint, 5.0},
                                {Property::DryBulb, 40.0, Property::HumidityRatio, 0.015},
                                {Property::DryBulb, -5.0, Property::RelativeHumidity, 60.0}}},
                      LabelRow{"InchPoundTwoStates", false, QSize(1200, 800),
                               {{Property::DryBulb, 77.0, Property::RelativeHumidity, 50.0}, {Property::DryBulb, 90.0, Property::WetBulb, 70.0}}},
                      LabelRow{"SmallPage", true, QSize(600, 400), {{Property::DryBulb, 20.0, Property::RelativeHumidity, 40.0}}}),
    [](const auto& rowInfo) { return rowInfo.param.name; });

// Read off the pixels: the dark saturation line passes through the state
// layer's saturation humidity ratio, and each state is marked at its
// humidity ratio. The labels neither overlap nor leave the plot.
TEST_P(LabelsTest, LinesAndMarkersWhereTheyBelongLabelsClear)
{
    const LabelRow& row = GetParam();
    ChartContent content = ContentFor(DefaultSettings(row.si ? Units::SI : Units::InchPound));
    const ChartSettings& settings = content.settings;
    for (const AirState& state : row.states) {
        const auto described = DescribeState(state, settings);
        ASSERT_TRUE(std::holds_alternative<StateProperties>(described)) << std::get<std::string>(described);
        content.marked.push_back({"state", std::get<StateProperties>(described)});
        const double w = ComputeState({settings.units, state.firstValue, settings.pressure,
                                       *ConditionFromColumn(PropertyColumn(state.second)), state.secondValue,
                                       settings.model})[Property::HumidityRatio]
                             .value;
        EXPECT_EQ(content.marked.back().properties.at.t, state.firstValue);
        EXPECT_NEAR(content.marked.back().properties.at.w, w, 1e-12) << state.firstValue;
    }
    const ChartLayout layout = LayOutChart(content, QSizeF(row.page));
    QImage image(row.page, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    PaintChart(painter, content, layout);
    painter.end();
    for (const MarkedState& state : content.marked) {
        const QPointF device = layout.axes.ToDevice(state.properties.at);
        EXPECT_EQ(image.pixelColor(static_cast<int>(device.x()), static_cast<int>(device.y())), MarkerColor());
    }
    for (int k = 1; k <= 7; ++k) {
        const double t = settings.tMin + (settings.tMax - settings.tMin) * k / 8.0;
        const double w = testing::SaturationAt(settings, t);
        if (w > 0.95 * settings.wMax || w < 0.02 * settings.wMax)
            continue;
        EXPECT_TRUE(DarkAround(image, layout.axes.ToDevice({t, w}))) << t;
    }
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
        for (std::size_t j = i + 1; j < labels.size(); ++j) {
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
