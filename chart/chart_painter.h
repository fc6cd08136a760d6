// File: chart_painter.h
// Paints a chart with a QPainter as its layout (chart_layout.h) places it:
// grid, states from a table, curves, frame and ticks, titles, curve labels,
// legend, and the marked states with their labels on top.
#pragma once

#include "chart_layout.h"

#include <QColor>

class QPainter;

namespace humitrax::chart {

/// Paints the chart: `painter` is active on a device of the layout's page
/// size, and `layout` is LayOutChart's for `content`.
void PaintChart(QPainter& painter, const ChartContent& content, const ChartLayout& layout);

/// The colour a marked state's dot is filled with.
QColor MarkerColor();

} // namespace humitrax::chart
