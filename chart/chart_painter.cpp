#include "chart_painter.h"

#include <QColor>
#include <QLineF>
#include <QPainter>
#include <QPen>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <map>
#include <utility>

namespace humitrax::chart {
namespace {

// Up to this many states from a table are drawn as opaque dots.
constexpr std::size_t kFewDots = 100;
// Above this many states from a table the chart shows their density in cells
// instead of one translucent dot each.
constexpr std::size_t kMostDots = 5000;

struct LineStyle {
    QColor color;
    double width = 1.0; // in units
    Qt::PenStyle pen = Qt::SolidLine;
};

LineStyle StyleOf(Family family)
{
    switch (family) {
    case Family::Saturation: return {QColor(0x1b, 0x2a, 0x49), 2.4, Qt::SolidLine};
    case Family::RelativeHumidity: return {QColor(0x1f, 0x6f, 0xb4), 1.0, Qt::SolidLine};
    case Family::WetBulb: return {QColor(0x2e, 0x8b, 0x2e), 1.0, Qt::DashLine};
    case Family::Enthalpy: return {QColor(0xc8, 0x6a, 0x00), 1.0, Qt::SolidLine};
    case Family::Volume: return {QColor(0x7d, 0x4c, 0xa8), 1.0, Qt::DashDotLine};
    }
    return {};
}

QPen PenOf(Family family, double unit)
{
    const LineStyle style = StyleOf(family);
    QPen pen(style.color, std::max(0.6, style.width * unit), style.pen, Qt::RoundCap, Qt::RoundJoin);
    return pen;
}

const QColor kCloudColor(0x10, 0x28, 0x70);
const QColor kComfortColor(0x2e, 0x9d, 0x57);
// The user's zones take these in turn.
const QColor kZoneColors[] = {QColor(0xe0, 0x8a, 0x00), QColor(0x00, 0x89, 0x7b), QColor(0xc2, 0x18, 0x5b),
                              QColor(0x8d, 0x6e, 0x63), QColor(0x54, 0x6e, 0x7a)};
constexpr float kZoneFillAlpha = 0.2f;
const QColor kGridColor(0xd8, 0xd8, 0xd8);
const QColor kFrameColor(0x40, 0x40, 0x40);
const QColor kTextColor(0x20, 0x20, 0x20);

// The grid, below saturation only.
void PaintGrid(QPainter& painter, const ChartLayout& layout)
{
    const Axes& axes = layout.axes;
    painter.setPen(QPen(kGridColor, std::max(0.5, 0.8 * layout.unit)));
    for (const Segment& segment : layout.grid)
        painter.drawLine(QLineF(axes.ToDevice(segment.from), axes.ToDevice(segment.to)));
}

// States from a table, beneath the curves: translucent dots, or their density
// in cells.
void PaintCloud(QPainter& painter, const std::vector<DataPoint>& cloud, const ChartLayout& layout)
{
    if (cloud.empty())
        return;
    const Axes& axes = layout.axes;
    const QRectF plot = axes.plot();
    const double unit = layout.unit;
    painter.setPen(Qt::NoPen);
    if (cloud.size() <= kMostDots) {
        // A few states stand out whole; many overlap translucently, so that
        // where they crowd shows.
        const bool few = cloud.size() <= kFewDots;
        QColor dot = kCloudColor;
        dot.setAlphaF(few ? 0.9f : 0.35f);
        painter.setBrush(dot);
        const double radius = few ? std::max(2.0, 3.0 * unit) : std::max(1.0, 1.8 * unit);
        for (const DataPoint& point : cloud)
            painter.drawEllipse(axes.ToDevice(point), radius, radius);
    } else {
        const double cell = std::max(2.0, 4.0 * unit);
        std::map<std::pair<int, int>, int> counts;
        int most = 1;
        for (const DataPoint& point : cloud) {
            const QPointF at = axes.ToDevice(point) - plot.topLeft();
            const std::pair<int, int> key{static_cast<int>(std::floor(at.x() / cell)),
                                          static_cast<int>(std::floor(at.y() / cell))};
            most = std::max(most, ++counts[key]);
        }
        for (const auto& [key, count] : counts) {
            QColor shade = kCloudColor;
            shade.setAlphaF(static_cast<float>(0.15 + 0.8 * std::log1p(count) / std::log1p(most)));
            const QRectF square(plot.left() + key.first * cell, plot.top() + key.second * cell, cell, cell);
            painter.fillRect(square.intersected(plot), shade);
        }
    }
    painter.setBrush(Qt::NoBrush);
}

// The colour of each zone: green for comfort, the user's in turn.
std::vector<QColor> ZoneColors(const std::vector<Zone>& zones)
{
    std::vector<QColor> colors;
    std::size_t user = 0;
    for (const Zone& zone : zones) {
        if (zone.kind == Zone::Kind::Comfort)
            colors.push_back(kComfortColor);
        else
            colors.push_back(kZoneColors[user++ % std::size(kZoneColors)]);
    }
    return colors;
}

// The zones beneath the curves: a translucent fill and a firm outline, inside
// the plot.
void PaintZones(QPainter& painter, const std::vector<Zone>& zones, const ChartLayout& layout)
{
    if (zones.empty())
        return;
    const std::vector<QColor> colors = ZoneColors(zones);
    painter.save();
    painter.setClipRect(layout.axes.plot());
    for (std::size_t i = 0; i < zones.size(); ++i) {
        QPolygonF outline;
        for (const DataPoint& point : zones[i].outline)
            outline << layout.axes.ToDevice(point);
        QColor fill = colors[i];
        fill.setAlphaF(kZoneFillAlpha);
        painter.setPen(QPen(colors[i], std::max(0.8, 1.6 * layout.unit), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(fill);
        painter.drawPolygon(outline);
    }
    painter.restore();
}

// The curves, saturation last so that it lies on top.
void PaintCurves(QPainter& painter, const std::vector<Curve>& curves, const ChartLayout& layout)
{
    for (Family family : {Family::Volume, Family::Enthalpy, Family::WetBulb, Family::RelativeHumidity,
                          Family::Saturation}) {
        painter.setPen(PenOf(family, layout.unit));
        for (const Curve& curve : curves) {
            if (curve.family != family)
                continue;
            for (const QPolygonF& polyline : DevicePolylines(curve, layout.axes))
                painter.drawPolyline(polyline);
        }
    }
}

// The frame, the ticks with their values, the axis titles and the chart's
// title.
void PaintAxes(QPainter& painter, const ChartLayout& layout)
{
    const QPen frame(kFrameColor, std::max(0.8, 1.1 * layout.unit));
    painter.setPen(frame);
    painter.drawRect(layout.axes.plot());
    painter.setFont(layout.axisFont);
    for (const TickMark& tick : layout.temperatureMarks) {
        painter.setPen(frame);
        painter.drawLine(tick.mark);
        painter.setPen(kTextColor);
        painter.drawText(tick.textBox, Qt::AlignHCenter | Qt::AlignTop, tick.text);
    }
    for (const TickMark& tick : layout.ratioMarks) {
        painter.setPen(frame);
        painter.drawLine(tick.mark);
        painter.setPen(kTextColor);
        painter.drawText(tick.textBox, Qt::AlignLeft | Qt::AlignVCenter, tick.text);
    }

    painter.setPen(kTextColor);
    painter.drawText(layout.temperatureTitleBox, Qt::AlignCenter, layout.temperatureTitle);
    painter.save();
    painter.translate(layout.ratioTitleCenter);
    painter.rotate(-90.0);
    painter.drawText(layout.ratioTitleBox, Qt::AlignCenter, layout.ratioTitle);
    painter.restore();
    painter.setFont(layout.titleFont);
    painter.drawText(layout.titleBox, Qt::AlignCenter, layout.title);
}

// Curve labels on a light box that interrupts the line beneath.
void PaintCurveLabels(QPainter& painter, const std::vector<Curve>& curves, const ChartLayout& layout)
{
    const double unit = layout.unit;
    painter.setFont(layout.labelFont);
    for (const PlacedLabel& label : layout.curveLabels) {
        const Family family = curves[label.owner].family;
        painter.save();
        painter.translate(label.center);
        painter.rotate(label.angle);
        const QRectF box(-label.size.width() / 2.0, -label.size.height() / 2.0, label.size.width(),
                         label.size.height());
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(255, 255, 255, 235));
        painter.drawRoundedRect(box, 2.0 * unit, 2.0 * unit);
        painter.setPen(StyleOf(family).color.darker(family == Family::Saturation ? 100 : 125));
        painter.drawText(box, Qt::AlignCenter, label.text);
        painter.restore();
    }
}

// A process line: its shaft, solid or dashed, and its head.
void PaintArrow(QPainter& painter, const PlacedArrow& arrow, double unit)
{
    painter.setPen(QPen(ProcessColor(), std::max(1.0, 2.2 * unit), arrow.dashed ? Qt::DashLine : Qt::SolidLine,
                        Qt::RoundCap, Qt::RoundJoin));
    painter.drawLine(arrow.shaft);
    if (arrow.head.isEmpty())
        return;
    painter.setPen(Qt::NoPen);
    painter.setBrush(ProcessColor());
    painter.drawPolygon(arrow.head);
    painter.setBrush(Qt::NoBrush);
}

// A legend row's sample: a family's line, a marker, three dots of the cloud,
// an arrow or a square of a zone.
void PaintLegendSample(QPainter& painter, const LegendRow& row, const ChartLayout& layout,
                       const std::vector<QColor>& zoneColors)
{
    const double unit = layout.unit;
    const double x = row.sample.x();
    const double middle = row.sample.y();
    switch (row.kind) {
    case LegendRow::Kind::Curve:
        painter.setPen(PenOf(row.family, unit));
        painter.drawLine(QLineF(x, middle, x + layout.legendSample, middle));
        break;
    case LegendRow::Kind::Marked:
        painter.setPen(QPen(Qt::black, std::max(0.8, 1.2 * unit)));
        painter.setBrush(MarkerColor());
        painter.drawEllipse(QPointF(x + layout.legendSample / 2.0, middle), layout.markerRadius, layout.markerRadius);
        painter.setBrush(Qt::NoBrush);
        break;
    case LegendRow::Kind::Cloud: {
        QColor dot = kCloudColor;
        dot.setAlphaF(0.6f);
        painter.setPen(Qt::NoPen);
        painter.setBrush(dot);
        const double radius = std::max(1.5, 2.5 * unit);
        for (int i = 0; i < 3; ++i)
            painter.drawEllipse(QPointF(x + layout.legendSample * (0.2 + 0.3 * i), middle), radius, radius);
        painter.setBrush(Qt::NoBrush);
        break;
    }
    case LegendRow::Kind::Process: {
        PlacedArrow arrow;
        arrow.shaft = QLineF(x, middle, x + layout.legendSample, middle);
        const double head = std::min(0.45 * layout.legendSample, std::max(7.0, 14.0 * unit));
        arrow.head = ArrowHead(arrow.shaft.p1(), arrow.shaft.p2(), head);
        arrow.shaft.setP2(QPointF(arrow.shaft.x2() - 0.6 * head, middle));
        PaintArrow(painter, arrow, unit);
        break;
    }
    case LegendRow::Kind::Zone: {
        const double side = std::max(6.0, 14.0 * unit);
        QColor fill = zoneColors[row.zone];
        fill.setAlphaF(kZoneFillAlpha);
        painter.setPen(QPen(zoneColors[row.zone], std::max(0.8, 1.6 * unit)));
        painter.setBrush(fill);
        painter.drawRect(QRectF(x + (layout.legendSample - side) / 2.0, middle - side / 2.0, side, side));
        painter.setBrush(Qt::NoBrush);
        break;
    }
    }
}

void PaintLegend(QPainter& painter, const ChartLayout& layout, const std::vector<Zone>& zones)
{
    if (layout.legendInside) {
        painter.setPen(QPen(QColor(0xb0, 0xb0, 0xb0), std::max(0.5, 0.8 * layout.unit)));
        painter.setBrush(QColor(255, 255, 255, 240));
        painter.drawRect(layout.legend);
        painter.setBrush(Qt::NoBrush);
    }
    const std::vector<QColor> zoneColors = ZoneColors(zones);
    for (const LegendRow& row : layout.legendRows) {
        PaintLegendSample(painter, row, layout, zoneColors);
        painter.setPen(kTextColor);
        painter.drawText(row.textBox, Qt::AlignLeft | Qt::AlignVCenter, row.text);
    }
}

// The marked states on top of everything: each label joined to its marker by
// a line, then the markers.
void PaintMarkedStates(QPainter& painter, const std::vector<MarkedState>& marked, const ChartLayout& layout)
{
    const Axes& axes = layout.axes;
    const double unit = layout.unit;
    for (const PlacedLabel& placed : layout.stateLabels) {
        const QPointF at = axes.ToDevice(marked[placed.owner].properties.at);
        const QRectF box(placed.center.x() - placed.size.width() / 2.0, placed.center.y() - placed.size.height() / 2.0,
                         placed.size.width(), placed.size.height());
        QPointF nearest(std::clamp(at.x(), box.left(), box.right()), std::clamp(at.y(), box.top(), box.bottom()));
        painter.setPen(QPen(MarkerColor(), std::max(0.6, 1.0 * unit)));
        painter.drawLine(QLineF(at, nearest));
        painter.setBrush(QColor(255, 255, 255, 240));
        painter.drawRoundedRect(box, 3.0 * unit, 3.0 * unit);
        painter.setBrush(Qt::NoBrush);
        painter.setPen(kTextColor);
        painter.drawText(box.adjusted(6.0 * unit, 4.0 * unit, -6.0 * unit, -4.0 * unit), Qt::AlignLeft | Qt::AlignVCenter,
                         placed.text);
    }
    for (const MarkedState& state : marked) {
        painter.setPen(QPen(Qt::black, std::max(0.8, 1.2 * unit)));
        painter.setBrush(MarkerColor());
        painter.drawEllipse(axes.ToDevice(state.properties.at), layout.markerRadius, layout.markerRadius);
    }
    painter.setBrush(Qt::NoBrush);
}

} // namespace

QColor MarkerColor() { return {0xd6, 0x1f, 0x26}; }

QColor ProcessColor() { return {0x1a, 0x1a, 0x1a}; }

void PaintChart(QPainter& painter, const ChartContent& content, const ChartLayout& layout)
{
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.fillRect(QRectF(QPointF(0.0, 0.0), layout.page), Qt::white);
    PaintGrid(painter, layout);
    PaintCloud(painter, content.cloud, layout);
    PaintZones(painter, content.zones, layout);
    PaintCurves(painter, content.curves, layout);
    PaintAxes(painter, layout);
    PaintCurveLabels(painter, content.curves, layout);
    PaintLegend(painter, layout, content.zones);
    for (const PlacedArrow& arrow : layout.arrows)
        PaintArrow(painter, arrow, layout.unit);
    PaintMarkedStates(painter, content.marked, layout);
}

} // namespace humitrax::chart
