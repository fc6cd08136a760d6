// File: chart_layout.h
// Lays a chart out on a page of a given size: the margins and the plot area
// inside them, the ticks of both axes with their values, the titles, the
// legend, the process arrows, and labels for the curves and the marked
// states, each placed where it can be read and clear of the others. Everything the painter draws is
// positioned here, in device units. The layout measures text, so a
// QGuiApplication must exist.
#pragma once

#include "axes.h"
#include "chart_model.h"

#include <QFont>
#include <QLineF>
#include <QPointF>
#include <QPolygonF>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace humitrax::chart {

/// A state marked on the chart and labelled with its properties.
struct MarkedState {
    std::string name; ///< as the user gave it ("25,rh=50")
    StateProperties properties;
    /// A heading the label shows above the properties: a process state's
    /// role ("mixed"); none for a state the user marked.
    std::string title{};
};

/// A line from one marked state to another (indices into the marked
/// states): a step of a process, drawn as an arrow, or the dashed line on
/// to a coil's apparatus dew point.
struct ProcessLine {
    std::size_t from = 0;
    std::size_t to = 0;
    bool dashed = false;
};

/// A region shaded on the chart.
struct Zone {
    enum class Kind : std::uint8_t { Comfort, User } kind = Kind::User;
    std::string name; ///< for the legend
    std::vector<DataPoint> outline;
};

/// Everything a chart shows, in data units.
struct ChartContent {
    ChartSettings settings;
    std::vector<Curve> curves;
    std::vector<MarkedState> marked;
    std::vector<DataPoint> cloud;  ///< states from a table, all inside the drawn range
    std::string cloudName;         ///< where the cloud came from, for the legend
    std::vector<ProcessLine> processLines;
    std::vector<Zone> zones;       ///< shaded in this order, beneath the curves
};

/// The content of ComputeCurves for the settings, nothing marked.
ChartContent ContentFor(const ChartSettings& settings);

/// A text placed on the page: centred on `center`, turned by `angle` degrees
/// (clockwise, as QPainter::rotate turns).
struct PlacedLabel {
    QString text;
    QPointF center;
    double angle = 0.0;
    QSizeF size;                  ///< the box around the text
    std::size_t owner = 0;        ///< index of the curve or marked state it names
    [[nodiscard]] QPolygonF Outline() const;
};

/// A tick of an axis: its mark, out from the plot's edge, and its value.
struct TickMark {
    QLineF mark;
    QString text;
    QRectF textBox; ///< the text is aligned in it towards the mark
};

/// One row of the legend: a sample of what it names, then its text.
struct LegendRow {
    enum class Kind : std::uint8_t { Curve, Marked, Cloud, Process, Zone } kind = Kind::Curve;
    Family family = Family::Saturation; ///< the curve family a Curve row names
    QString text;
    QPointF sample;  ///< the sample's left end, halfway down the row
    QRectF textBox;  ///< the text is left-aligned and centred vertically in it
    std::size_t zone = 0; ///< the zone a Zone row names
};

/// A process line on the page: from the edge of one marker to the edge of
/// the next, with a head at its end unless it is dashed.
struct PlacedArrow {
    QLineF shaft;
    QPolygonF head; ///< empty for a dashed line
    bool dashed = false;
};

/// Where everything goes on the page.
struct ChartLayout {
    QSizeF page;
    double unit = 1.0; ///< scale of lengths and fonts: 1 on a 1200 × 800 page
    QFont titleFont;
    QFont axisFont;
    QFont labelFont;
    QString title;
    QString temperatureTitle;
    QString ratioTitle;
    Axes axes;
    std::vector<double> temperatureTicks;
    std::vector<double> ratioTicks;
    int temperatureDecimals = 0;
    int ratioDecimals = 3;
    std::vector<TickMark> temperatureMarks; ///< below the plot, one per temperature tick
    std::vector<TickMark> ratioMarks;       ///< right of the plot, one per ratio tick
    QRectF titleBox;                        ///< the chart's title, centred in it
    QRectF temperatureTitleBox;             ///< the dry-bulb axis title, centred in it
    /// The humidity-ratio axis title is centred in ratioTitleBox after the
    /// painter is moved to ratioTitleCenter and turned a quarter turn
    /// anticlockwise, so that it reads upwards beside the axis.
    QPointF ratioTitleCenter;
    QRectF ratioTitleBox;
    std::vector<Segment> grid;
    QRectF legend;
    bool legendInside = true;      ///< in the empty corner above saturation, else below the axis title
    std::vector<LegendRow> legendRows;
    double legendSample = 0.0;     ///< length of a row's sample
    std::vector<PlacedLabel> curveLabels;
    std::vector<PlacedLabel> stateLabels;
    std::vector<PlacedArrow> arrows;
    double markerRadius = 5.0;
};

/// Whether the tick labels of the dry-bulb axis (tMin…tMax) and of the
/// humidity-ratio axis (0…wMax) tell every tick apart. They show at most six
/// decimals, so a dry-bulb range of less than about 7·10⁻⁶ or a top humidity
/// ratio below about 7.5·10⁻⁶ cannot be labelled.
bool TemperatureTicksDistinct(const ChartSettings& settings);
bool RatioTicksDistinct(const ChartSettings& settings);

/// The layout of `content` on a page of `page` device units (pixels, or
/// points scaled alike).
ChartLayout LayOutChart(const ChartContent& content, const QSizeF& page);

/// The legend's name of a family, with the unit of its values.
QString FamilyName(Family family, bool si);

/// The head of an arrow that ends at `tip` coming from `from`, `length` long:
/// a closed triangle.
QPolygonF ArrowHead(const QPointF& from, const QPointF& tip, double length);

/// The device polylines of a curve's runs, one per run.
std::vector<QPolygonF> DevicePolylines(const Curve& curve, const Axes& axes);

} // namespace humitrax::chart
