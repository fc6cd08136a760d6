#include "axes.h"

namespace humitrax::chart {

Axes::Axes(double tMin, double tMax, double wMax, const QRectF& plot)
    : m_tMin(tMin), m_tMax(tMax), m_wMax(wMax), m_plot(plot)
{
}

double Axes::X(double t) const
{
    return m_plot.left() + (t - m_tMin) / (m_tMax - m_tMin) * m_plot.width();
}

double Axes::Y(double w) const { return m_plot.bottom() - w / m_wMax * m_plot.height(); }

QPointF Axes::ToDevice(const DataPoint& point) const { return {X(point.t), Y(point.w)}; }

DataPoint Axes::FromDevice(const QPointF& device) const
{
    return {m_tMin + (device.x() - m_plot.left()) / m_plot.width() * (m_tMax - m_tMin),
            (m_plot.bottom() - device.y()) / m_plot.height() * m_wMax};
}

} // namespace humitrax::chart
