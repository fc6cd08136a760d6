// File: axes.h
// The chart's axes: the linear map between data (dry bulb, humidity ratio)
// and the plot area on the device, y growing downwards as painters count.
#pragma once

#include "chart_model.h"

#include <QPointF>
#include <QRectF>

namespace humitrax::chart {

class Axes {
public:
    Axes() = default;
    /// Dry bulb tMin…tMax across `plot` from left to right, humidity ratio
    /// 0…wMax from its bottom edge to its top edge.
    Axes(double tMin, double tMax, double wMax, const QRectF& plot);

    [[nodiscard]] QPointF ToDevice(const DataPoint& point) const;
    [[nodiscard]] DataPoint FromDevice(const QPointF& device) const;
    [[nodiscard]] double X(double t) const;
    [[nodiscard]] double Y(double w) const;
    [[nodiscard]] const QRectF& plot() const { return m_plot; }

private:
    double m_tMin = 0.0;
    double m_tMax = 1.0;
    double m_wMax = 1.0;
    QRectF m_plot{0.0, 0.0, 1.0, 1.0};
};

} // namespace humitrax::chart
