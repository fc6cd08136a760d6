#include "chart_file.h"

#include <QFile>
#include <QImage>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QSvgGenerator>

#include <algorithm>
#include <cctype>

namespace humitrax::chart {
namespace {

constexpr int kDotsPerInch = 96;
constexpr int kDotsPerMetre = 3780; // 96 per inch

std::string Lower(std::string_view text)
{
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

// Paints on `device` laid out for its own size; false when the painter could
// not start or finish.
bool Paint(QPaintDevice& device, const ChartContent& content, const QSizeF& page)
{
    const ChartLayout layout = LayOutChart(content, page);
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    PaintChart(painter, content, layout);
    return painter.end();
}

} // namespace

std::optional<FileFormat> FormatOfPath(std::string_view path)
{
    const std::size_t dot = path.find_last_of('.');
    const std::size_t slash = path.find_last_of('/');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
        return std::nullopt;
    const std::string extension = Lower(path.substr(dot + 1));
    if (extension == "svg")
        return FileFormat::Svg;
    if (extension == "png")
        return FileFormat::Png;
    if (extension == "pdf")
        return FileFormat::Pdf;
    return std::nullopt;
}

std::string WriteChartFile(const std::string& path, FileFormat format, const ChartContent& content,
                           const QSize& size)
{
    QSaveFile file(QFile::decodeName(path.c_str()));
    if (!file.open(QIODevice::WriteOnly))
        return "cannot write '" + path + "': " + file.errorString().toStdString();

    const QString title = LayOutChart(content, QSizeF(size)).title;
    bool painted = false;
    switch (format) {
    case FileFormat::Svg: {
        QSvgGenerator generator;
        generator.setOutputDevice(&file);
        generator.setSize(size);
        generator.setViewBox(QRect(QPoint(0, 0), size));
        generator.setResolution(kDotsPerInch);
        generator.setTitle(title);
        generator.setDescription(QStringLiteral("Psychrometric chart drawn by humitrax-cli"));
        painted = Paint(generator, content, QSizeF(size));
        break;
    }
    case FileFormat::Png: {
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        if (image.isNull()) {
            file.cancelWriting();
            return "not enough memory for an image of " + std::to_string(size.width()) + "x" +
                   std::to_string(size.height()) + " pixels";
        }
        image.setDotsPerMeterX(kDotsPerMetre);
        image.setDotsPerMeterY(kDotsPerMetre);
        image.fill(Qt::white);
        painted = Paint(image, content, QSizeF(size)) && image.save(&file, "PNG");
        break;
    }
    case FileFormat::Pdf: {
        QPdfWriter writer(&file);
        writer.setResolution(kDotsPerInch);
        writer.setCreator(QStringLiteral("humitrax-cli"));
        writer.setTitle(title);
        // One page the size of the chart, 96 device units to the inch.
        const QPageSize page(QSizeF(size.width() * 72.0 / kDotsPerInch, size.height() * 72.0 / kDotsPerInch),
                             QPageSize::Point, QString(), QPageSize::ExactMatch);
        writer.setPageLayout(QPageLayout(page, QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
        painted = Paint(writer, content, QSizeF(writer.width(), writer.height()));
        break;
    }
    }
    if (!painted) {
        file.cancelWriting();
        return "cannot draw the chart into '" + path + "'";
    }
    if (!file.commit())
        return "cannot write '" + path + "': " + file.errorString().toStdString();
    return {};
}

} // namespace humitrax::chart
