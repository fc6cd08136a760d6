// File: chart_painter.h
// Lays a chart out on a page of a given size (plot area, axes, ticks, labels
// that do not overlap, legend) and paints it with a QPainter. The layout
// measures text, so a QGuiApplication must exist.
#pragma once

#include "axes.h"
#include "chart_model.h"

#include <QColor>
#include <QFont>
#include <QPolygonF>
#include <QSizeF>
#include <QString>

#include <cstddef>
#include <string>
#include <vector>

class QPainter;

namespace humitrax::chart {

/// A state marked on the chart and labelled with its properties.
struct MarkedState {
    std::string name; ///< as the user gave it ("25,rh=50")
    StateProperties properties;
};

/// Everything a chart shows, in data units.
struct ChartContent {
    ChartSettings settings;
    std::vector<Curve> curves;
    std::vector<MarkedState> marked;
    std::vector<DataPoint> cloud;  ///< states from a table, all inside the drawn range
    std::string cloudName;         ///< where the cloud came from, for the legend
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
    std::vector<Segment> grid;
    QRectF legend;
    bool legendInside = true;      ///< in the empty corner above saturation, else below the axis title
    std::vector<PlacedLabel> curveLabels;
    std::vector<PlacedLabel> stateLabels;
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

/// Paints the chart: `painter` is active on a device of the layout's page size.
void PaintChart(QPainter& painter, const ChartContent& content, const ChartLayout& layout);

/// The colour a marked state's dot is filled with.
QColor MarkerColor();

/// The legend's name of a family, with the unit of its values.
QString FamilyName(Family family, bool si);

} // namespace humitrax::chart
