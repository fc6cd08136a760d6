// File: chart_file.h
// Writes a chart as SVG, PNG or PDF. The file appears whole or not at all:
// the chart is drawn in memory, written to a temporary file beside the target
// with every write checked, synced to the disk and renamed at the end.
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
/// units or 1/96 inch (PDF) and writes it to `path`. A symbolic link is
/// followed: the file it names is replaced and the link stays. A path that
/// names anything but a regular file (a directory, a FIFO, a device) is
/// refused, as is an existing file that may not be written. Returns an empty
/// text on success, else why nothing was written; a file already at the path
/// is then left as it was, and no temporary file is left behind.
/// `titleNote` ("states at 97.2 to 99.8 kPa") goes into the title before
/// the unit system.
std::string WriteChartFile(const std::string& path, FileFormat format, const ChartContent& content,
                           const QSize& size, const std::string& titleNote = {});

/// Makes SIGTERM, SIGHUP and SIGINT remove the temporary file of a chart
/// being written before they end the program by their default action. A
/// signal ignored when this is called stays ignored.
void RemoveTemporaryFileOnSignals();

} // namespace humitrax::chart
