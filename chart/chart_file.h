// File: chart_file.h
// Writes a chart as SVG, PNG or PDF. The file appears whole or not at all:
// it is written to a temporary file beside the target and renamed at the end.
#pragma once

#include "chart_painter.h"

#include <QSize>

#include <optional>
#include <string>
#include <string_view>

namespace humitrax::chart {

enum class FileFormat : std::uint8_t { Svg, Png, Pdf };

/// The format named by the path's extension (.svg, .png, .pdf, in any case);
/// nothing for any other.
std::optional<FileFormat> FormatOfPath(std::string_view path);

/// Smallest and largest page sides accepted, in pixels.
inline constexpr int kSmallestSide = 400;
inline constexpr int kLargestSide = 8000;

/// Lays out and paints `content` on a page of `size` pixels (PNG), SVG user
/// units or 1/96 inch (PDF) and writes it to `path`. Returns an empty text on
/// success, else why nothing was written.
std::string WriteChartFile(const std::string& path, FileFormat format, const ChartContent& content,
                           const QSize& size);

} // namespace humitrax::chart
