// File: chart_painter.h
// Paints a chart with a QPainter as its layout (chart_layout.h) places it:
// grid, states from a table, zones, curves, frame and ticks, titles, curve
// labels, legend, process arrows, and the marked states with their labels on
// top.
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

/// The colour of the process arrows, their heads filled with it.
QColor ProcessColor();

} // namespace humitrax::chart
