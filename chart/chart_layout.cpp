#include "chart_layout.h"

#include <QFontMetricsF>
#include <QStringList>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <numbers>
#include <optional>
#include <utility>

namespace humitrax::chart {
namespace {

// A 1200 × 800 page is drawn at unit 1; every length and font scales with it.
constexpr double kDesignWidth = 1200.0;
constexpr double kDesignHeight = 800.0;

QFont MakeFont(double pixels, bool bold = false)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(pixels))));
    font.setBold(bold);
    return font;
}

// Most intervals between the ticks of each axis.
constexpr int kTemperatureIntervals = 14;
constexpr int kRatioIntervals = 15;
// A tick step is labelled with the fewest decimals that hold it to within
// this much; a finer step would get no decimals at all, every tick alike.
constexpr double kFinestTickStep = 1e-6;

// Fewest decimals that show every multiple of `step` exactly.
int DecimalsFor(double step)
{
    for (int decimals = 0; decimals < 8; ++decimals) {
        const double scaled = step * std::pow(10.0, decimals);
        if (std::fabs(scaled - std::round(scaled)) < kFinestTickStep)
            return decimals;
    }
    return 8;
}

QString Fixed(double value, int decimals)
{
    QString text = QString::number(value, 'f', decimals);
    // A small negative value rounds to "-0" or "-0.0": show it as zero.
    if (text.startsWith(QLatin1Char('-')) &&
        text.count(QLatin1Char('0')) + text.count(QLatin1Char('.')) == text.size() - 1)
        text.remove(0, 1);
    return text;
}

struct Units {
    QString temperature, ratio, enthalpy, volume, pressure, altitude;
};

Units UnitsOf(bool si)
{
    if (si)
        return {QStringLiteral("°C"), QStringLiteral("kg/kg"), QStringLiteral("kJ/kg"),
                QStringLiteral("m³/kg"), QStringLiteral("kPa"), QStringLiteral("m")};
    return {QStringLiteral("°F"), QStringLiteral("lb/lb"), QStringLiteral("Btu/lb"),
            QStringLiteral("ft³/lb"), QStringLiteral("psia"), QStringLiteral("ft")};
}

QString CurveText(const Curve& curve, bool si)
{
    switch (curve.family) {
    case Family::Saturation: return QStringLiteral("saturation");
    case Family::RelativeHumidity: return Fixed(curve.value * 100.0, 0) + QStringLiteral(" %");
    case Family::WetBulb:
    case Family::Enthalpy:
    case Family::Volume: return Fixed(curve.value, DecimalsFor(FamilyStep(curve.family, si)));
    }
    return {};
}

QString StateText(const StateProperties& state, bool si)
{
    const Units units = UnitsOf(si);
    const auto join = [](const QStringList& parts) { return parts.join(QStringLiteral(", ")); };
    QStringList first{Fixed(state.at.t, 1) + QStringLiteral(" ") + units.temperature + QStringLiteral(" db")};
    if (state.relativeHumidity)
        first << Fixed(*state.relativeHumidity, 1) + QStringLiteral(" % rh");
    QStringList second;
    if (state.wetBulb)
        second << QStringLiteral("wb ") + Fixed(*state.wetBulb, 1) + QStringLiteral(" ") + units.temperature;
    if (state.dewPoint)
        second << QStringLiteral("dp ") + Fixed(*state.dewPoint, 1) + QStringLiteral(" ") + units.temperature;
    QStringList third{QStringLiteral("W ") + Fixed(state.at.w, 5) + QStringLiteral(" ") + units.ratio};
    if (state.enthalpy)
        third << QStringLiteral("h ") + Fixed(*state.enthalpy, 1) + QStringLiteral(" ") + units.enthalpy;
    if (state.volume)
        third << QStringLiteral("v ") + Fixed(*state.volume, 3) + QStringLiteral(" ") + units.volume;
    QStringList lines{join(first)};
    if (!second.isEmpty())
        lines << join(second);
    lines << join(third);
    return lines.join(QLatin1Char('\n'));
}

QString TitleOf(const ChartSettings& settings)
{
    const Units units = UnitsOf(settings.si());
    QString pressure = Fixed(settings.pressure, 3);
    while (pressure.contains(QLatin1Char('.')) && (pressure.endsWith(QLatin1Char('0')) || pressure.endsWith(QLatin1Char('.'))))
        pressure.chop(1);
    pressure += QStringLiteral(" ") + units.pressure;
    QString system = settings.si() ? QStringLiteral("SI units") : QStringLiteral("inch-pound units");
    if (settings.model == Model::Ashrae2017) {
        system += QStringLiteral(", ASHRAE 2017 relations");
        if (settings.saturation == Saturation::Water)
            system += QStringLiteral(" over water");
    } else {
        system += QStringLiteral(", calculator's relations");
    }
    if (settings.altitude) {
        return QStringLiteral("Psychrometric chart at %1 %2 altitude (%3), %4")
            .arg(QString::number(*settings.altitude, 'g', 10), units.altitude, pressure, system);
    }
    return QStringLiteral("Psychrometric chart at %1, %2").arg(pressure, system);
}

// The legend's rows, not yet placed: a family's line, the marked states' dot
// or the cloud.
std::vector<LegendRow> LegendEntries(const ChartContent& content)
{
    std::vector<LegendRow> entries;
    for (Family family : {Family::Saturation, Family::RelativeHumidity, Family::WetBulb,
                          Family::Enthalpy, Family::Volume}) {
        const bool drawn = std::any_of(content.curves.begin(), content.curves.end(),
                                       [&](const Curve& curve) { return curve.family == family; });
        if (drawn)
            entries.push_back({LegendRow::Kind::Curve, family, FamilyName(family, content.settings.si()), {}, {}});
    }
    // The states of processes are named by their labels and the arrows'
    // row; "marked states" are those the user marked.
    if (std::any_of(content.marked.begin(), content.marked.end(),
                    [](const MarkedState& state) { return state.title.empty(); }))
        entries.push_back({LegendRow::Kind::Marked, Family::Saturation, QStringLiteral("marked states"), {}, {}});
    if (std::any_of(content.processLines.begin(), content.processLines.end(),
                    [](const ProcessLine& line) { return !line.dashed; }))
        entries.push_back({LegendRow::Kind::Process, Family::Saturation, QStringLiteral("process"), {}, {}});
    for (std::size_t i = 0; i < content.zones.size(); ++i) {
        entries.push_back({LegendRow::Kind::Zone, Family::Saturation,
                           QString::fromStdString(content.zones[i].name), {}, {}, i});
    }
    if (!content.cloud.empty()) {
        QString text = QStringLiteral("%1 states").arg(content.cloud.size());
        if (!content.cloudName.empty())
            text += QStringLiteral(" from ") + QString::fromStdString(content.cloudName);
        entries.push_back({LegendRow::Kind::Cloud, Family::Saturation, text, {}, {}});
    }
    return entries;
}

struct LegendMetrics {
    double sample = 0.0;   // length of the line sample
    double gap = 0.0;
    double row = 0.0;      // height of one row
    double padding = 0.0;
};

LegendMetrics LegendMetricsOf(const QFontMetricsF& metrics, double unit)
{
    return {30.0 * unit, 8.0 * unit, metrics.height() * 1.35, 8.0 * unit};
}

double EntryWidth(const LegendRow& entry, const QFontMetricsF& metrics, const LegendMetrics& legend)
{
    return legend.sample + legend.gap + metrics.horizontalAdvance(entry.text);
}

double Length(const QPolygonF& polyline)
{
    double length = 0.0;
    for (qsizetype i = 1; i < polyline.size(); ++i)
        length += QLineF(polyline[i - 1], polyline[i]).length();
    return length;
}

// The point at arc length `at` along the polyline.
QPointF PointAt(const QPolygonF& polyline, double at)
{
    double walked = 0.0;
    for (qsizetype i = 1; i < polyline.size(); ++i) {
        const QLineF segment(polyline[i - 1], polyline[i]);
        const double length = segment.length();
        if (walked + length >= at && length > 0.0)
            return segment.pointAt((at - walked) / length);
        walked += length;
    }
    return polyline.isEmpty() ? QPointF() : polyline.back();
}

// The reading angle of text along the polyline around arc length `at`, in
// degrees, so that the text never reads upside down.
double AngleAt(const QPolygonF& polyline, double at, double span)
{
    const double total = Length(polyline);
    const QPointF before = PointAt(polyline, std::max(0.0, at - span));
    const QPointF after = PointAt(polyline, std::min(total, at + span));
    double angle = std::atan2(after.y() - before.y(), after.x() - before.x()) * 180.0 / std::numbers::pi;
    if (angle > 90.0)
        angle -= 180.0;
    if (angle <= -90.0)
        angle += 180.0;
    return angle;
}

QPolygonF OutlineOf(const QPointF& center, double angle, const QSizeF& size)
{
    QTransform transform;
    transform.translate(center.x(), center.y());
    transform.rotate(angle);
    return transform.map(QPolygonF(QRectF(-size.width() / 2.0, -size.height() / 2.0, size.width(), size.height())));
}

// The room a line takes, `halfWidth` either side.
QPolygonF LineOutline(const QLineF& line, double halfWidth)
{
    const QLineF unitNormal = line.normalVector().unitVector();
    const QPointF normal = (unitNormal.p2() - unitNormal.p1()) * halfWidth;
    return QPolygonF({line.p1() + normal, line.p2() + normal, line.p2() - normal, line.p1() - normal});
}

// The room the line from a marker to its label takes, from the marker's
// edge to the nearest point of the label's box; nothing when the box lies
// at the marker's edge.
std::optional<QPolygonF> LeaderOutline(const QPointF& at, const QPointF& center, const QSizeF& size, double radius,
                                       double unit)
{
    const QPointF nearest(std::clamp(at.x(), center.x() - size.width() / 2.0, center.x() + size.width() / 2.0),
                          std::clamp(at.y(), center.y() - size.height() / 2.0, center.y() + size.height() / 2.0));
    const QLineF leader(at, nearest);
    const double start = radius + 3.0 * unit;
    if (leader.length() <= start + unit)
        return std::nullopt;
    return LineOutline(QLineF(leader.pointAt(start / leader.length()), nearest), 1.5 * unit);
}

// The places already taken on the page, for labels that must not overlap.
class Occupancy {
public:
    Occupancy(const QRectF& area, std::vector<QPointF> saturation)
        : m_area(area), m_saturation(std::move(saturation))
    {
    }

    void Take(const QPolygonF& outline) { m_taken.push_back(outline); }
    [[nodiscard]] const QRectF& Area() const { return m_area; }

    [[nodiscard]] bool InsideArea(const QPolygonF& outline) const
    {
        return std::all_of(outline.begin(), outline.end(), [&](const QPointF& corner) { return m_area.contains(corner); });
    }

    [[nodiscard]] int Overlaps(const QPolygonF& outline) const
    {
        return static_cast<int>(std::count_if(m_taken.begin(), m_taken.end(),
                                              [&](const QPolygonF& taken) { return taken.intersects(outline); }));
    }

    [[nodiscard]] bool CrossesSaturation(const QPolygonF& outline) const
    {
        const QRectF bounds = outline.boundingRect();
        return std::any_of(m_saturation.begin(), m_saturation.end(), [&](const QPointF& point) {
            return bounds.contains(point) && outline.containsPoint(point, Qt::OddEvenFill);
        });
    }

    [[nodiscard]] bool Free(const QPolygonF& outline, bool mayCrossSaturation) const
    {
        return InsideArea(outline) && Overlaps(outline) == 0 &&
               (mayCrossSaturation || !CrossesSaturation(outline));
    }

private:
    QRectF m_area;
    std::vector<QPointF> m_saturation; // dense points of the saturation curve
    std::vector<QPolygonF> m_taken;
};

// Points along the saturation curve no further apart than `spacing`.
std::vector<QPointF> DenseSaturation(const std::vector<QPolygonF>& polylines, double spacing)
{
    std::vector<QPointF> points;
    for (const QPolygonF& polyline : polylines) {
        for (qsizetype i = 1; i < polyline.size(); ++i) {
            const QLineF segment(polyline[i - 1], polyline[i]);
            const int steps = std::max(1, static_cast<int>(std::ceil(segment.length() / spacing)));
            for (int k = 0; k < steps; ++k)
                points.push_back(segment.pointAt(static_cast<double>(k) / steps));
        }
        if (!polyline.isEmpty())
            points.push_back(polyline.back());
    }
    return points;
}

// Where along a curve each family prefers its label, as fractions of the
// longest run's length, best first.
std::vector<double> PreferredFractions(Family family)
{
    switch (family) {
    case Family::Saturation: return {0.55, 0.45, 0.65, 0.35, 0.75, 0.25, 0.85};
    case Family::RelativeHumidity: return {0.8, 0.7, 0.9, 0.6, 0.5, 0.4, 0.3, 0.2};
    case Family::WetBulb: return {0.5, 0.4, 0.6, 0.3, 0.7, 0.2, 0.8};
    case Family::Enthalpy: return {0.12, 0.22, 0.32, 0.85, 0.7, 0.55};
    case Family::Volume: return {0.85, 0.75, 0.65, 0.5, 0.35, 0.2};
    }
    return {0.5};
}

// The places a curve's label may take along `line`, the curve's longest run,
// best first: each a centre and a reading angle.
std::vector<std::pair<QPointF, double>> CurveLabelPlaces(Family family, const QPolygonF& line, const QSizeF& size,
                                                         double unit, bool startsOnSaturation)
{
    const double length = Length(line);
    const bool onSaturation = family == Family::Saturation;
    std::vector<std::pair<QPointF, double>> candidates;
    // An enthalpy line is best named just beyond its upper end, in the empty
    // region above saturation, as the ruler of a printed chart does.
    if (family == Family::Enthalpy && startsOnSaturation) {
        const double angle = AngleAt(line, 0.0, 12.0 * unit);
        const double radians = angle * std::numbers::pi / 180.0;
        const QPointF along(std::cos(radians), std::sin(radians));
        // Further out where the line meets saturation at a shallow angle.
        for (double clearance : {4.0 * unit, size.height(), 2.0 * size.height()})
            candidates.emplace_back(line.front() - along * (size.width() / 2.0 + clearance), angle);
    }
    for (double fraction : PreferredFractions(family)) {
        const double at = fraction * length;
        if (at < size.width() / 2.0 || at > length - size.width() / 2.0)
            continue;
        const double angle = AngleAt(line, at, std::max(size.width() / 2.0, 8.0 * unit));
        QPointF center = PointAt(line, at);
        if (onSaturation) {
            // Beside the curve, on the empty side (up and to the left).
            const double radians = angle * std::numbers::pi / 180.0;
            const QPointF normal(std::sin(radians), -std::cos(radians));
            center += normal * (size.height() / 2.0 + 3.0 * unit);
        }
        candidates.emplace_back(center, angle);
    }
    return candidates;
}

std::optional<PlacedLabel> PlaceCurveLabel(const Curve& curve, std::size_t index,
                                           const std::vector<QPolygonF>& polylines, bool si,
                                           const QFontMetricsF& metrics, double unit,
                                           bool startsOnSaturation, Occupancy& occupancy)
{
    const auto longest = std::max_element(polylines.begin(), polylines.end(),
                                          [](const QPolygonF& a, const QPolygonF& b) { return Length(a) < Length(b); });
    if (longest == polylines.end() || longest->size() < 2)
        return std::nullopt;
    const QPolygonF& line = *longest;
    const double length = Length(line);
    PlacedLabel label;
    label.text = CurveText(curve, si);
    label.owner = index;
    label.size = QSizeF(metrics.horizontalAdvance(label.text) + 6.0 * unit, metrics.height() + 2.0 * unit);
    if (label.size.width() > length * 0.8 && curve.family != Family::Enthalpy)
        return std::nullopt;
    const bool onSaturation = curve.family == Family::Saturation;
    const std::vector<std::pair<QPointF, double>> candidates =
        CurveLabelPlaces(curve.family, line, label.size, unit, startsOnSaturation);
    for (const auto& [center, angle] : candidates) {
        const QPolygonF outline = OutlineOf(center, angle, label.size);
        if (occupancy.Free(outline, onSaturation)) {
            label.center = center;
            label.angle = angle;
            occupancy.Take(outline);
            return label;
        }
    }
    return std::nullopt;
}

// How far from its marker a state's label may stand: the near ring of
// places only, or further rings too on a chart whose process arrows leave
// less room near the markers.
enum class Reach : std::uint8_t { Near, Far };

PlacedLabel PlaceStateLabel(const MarkedState& state, std::size_t index, const Axes& axes, bool si,
                            const QFontMetricsF& metrics, double unit, double radius, Reach reach,
                            Occupancy& occupancy, bool& free)
{
    PlacedLabel label;
    label.text = StateText(state.properties, si);
    if (!state.title.empty())
        label.text = QString::fromStdString(state.title) + QLatin1Char('\n') + label.text;
    label.owner = index;
    const QStringList lines = label.text.split(QLatin1Char('\n'));
    double width = 0.0;
    for (const QString& line : lines)
        width = std::max(width, metrics.horizontalAdvance(line));
    label.size = QSizeF(width + 12.0 * unit, metrics.lineSpacing() * static_cast<double>(lines.size()) + 8.0 * unit);
    const QPointF at = axes.ToDevice(state.properties.at);
    const double halfWidth = label.size.width() / 2.0;
    const double halfHeight = label.size.height() / 2.0;
    std::vector<QPointF> offsets;
    const double near = radius + 8.0 * unit;
    const double step = 3.0 * metrics.lineSpacing();
    for (double away : reach == Reach::Near ? std::vector<double>{near}
                                            : std::vector<double>{near, near + step, near + 2.5 * step}) {
        offsets.insert(offsets.end(), {
            {away + halfWidth, -(away + halfHeight)}, {away + halfWidth, away + halfHeight},
            {-(away + halfWidth), -(away + halfHeight)}, {-(away + halfWidth), away + halfHeight},
            {0.0, -(away + halfHeight)}, {0.0, away + halfHeight},
            {away + halfWidth, 0.0}, {-(away + halfWidth), 0.0},
        });
    }
    // The first free place beside the marker, nearest first, moved inside
    // the plot where it sticks out (a small page, a marker in a corner);
    // failing that, the place that overlaps least.
    const QRectF area = occupancy.Area();
    int fewest = -1;
    for (const QPointF& offset : offsets) {
        const QPointF wanted = at + offset;
        const QPointF center(
            std::clamp(wanted.x(), area.left() + halfWidth, std::max(area.left() + halfWidth, area.right() - halfWidth)),
            std::clamp(wanted.y(), area.top() + halfHeight, std::max(area.top() + halfHeight, area.bottom() - halfHeight)));
        int overlaps = occupancy.Overlaps(OutlineOf(center, 0.0, label.size));
        // Further out, the line to the label must keep clear too.
        const std::optional<QPolygonF> leader =
            reach == Reach::Far ? LeaderOutline(at, center, label.size, radius, unit) : std::nullopt;
        if (leader)
            overlaps += occupancy.Overlaps(*leader);
        if (fewest < 0 || overlaps < fewest) {
            fewest = overlaps;
            label.center = center;
        }
        if (overlaps == 0)
            break;
    }
    free = fewest == 0;
    occupancy.Take(OutlineOf(label.center, 0.0, label.size));
    if (reach == Reach::Far) {
        if (const std::optional<QPolygonF> leader = LeaderOutline(at, label.center, label.size, radius, unit))
            occupancy.Take(*leader);
    }
    return label;
}

// A zone's outline on the page.
QPolygonF DeviceOutline(const Zone& zone, const Axes& axes)
{
    QPolygonF outline;
    for (const DataPoint& point : zone.outline)
        outline << axes.ToDevice(point);
    return outline;
}

// A marker's footprint, for the labels to keep clear of it.
QPolygonF MarkerOutline(const QPointF& at, double radius)
{
    return QPolygonF(QRectF(at.x() - radius, at.y() - radius, 2.0 * radius, 2.0 * radius));
}

// The legend as a column of rows in the top-left corner of the plot, if it
// lies wholly in the empty region above saturation there.
std::optional<QRectF> LegendInside(const ChartContent& content, const Axes& axes, const QSizeF& size,
                                   double unit)
{
    const QRectF plot = axes.plot();
    const QRectF legend(plot.left() + 10.0 * unit, plot.top() + 10.0 * unit, size.width(), size.height());
    if (legend.right() > plot.right() - 10.0 * unit || legend.bottom() > plot.bottom() - 10.0 * unit)
        return std::nullopt;
    const QRectF clearance = legend.adjusted(-6.0 * unit, -6.0 * unit, 6.0 * unit, 6.0 * unit);
    for (const Curve& curve : content.curves) {
        for (const auto& run : curve.runs) {
            for (const DataPoint& point : run) {
                if (clearance.contains(axes.ToDevice(point)))
                    return std::nullopt;
            }
        }
    }
    for (const Zone& zone : content.zones) {
        if (QPolygonF outline = DeviceOutline(zone, axes); outline.intersects(QPolygonF(clearance)))
            return std::nullopt;
    }
    // Saturation rises to the right: above it at the lower right corner means
    // above it all along the legend's lower edge.
    const DataPoint corner = axes.FromDevice(clearance.bottomRight());
    const std::optional<double> saturation = SaturationRatio(content.settings, corner.t);
    if (saturation && *saturation >= corner.w)
        return std::nullopt;
    return legend;
}

double ArrowHeadLength(double unit) { return std::max(7.0, 14.0 * unit); }

// Lengths the margins are made of, at the page's scale.
struct Spacing {
    double pad = 0.0;  // around the titles and the tick values
    double tick = 0.0; // a tick mark's length
};

Spacing SpacingOf(double unit) { return {std::max(6.0, 12.0 * unit), std::max(3.0, 6.0 * unit)}; }

// The room between the page's edges and the plot: the title above, the first
// temperature value overhanging on the left, the ratio values and title on
// the right, the temperature values and title below. A legend below the
// plot adds its height to the bottom.
struct Margins {
    double top = 0.0;
    double left = 0.0;
    double right = 0.0;
    double bottom = 0.0;
};

// The fonts, the texts of the titles and the markers' size, at the page's
// scale.
void SetFontsAndTitles(ChartLayout& layout, const ChartSettings& settings)
{
    const Units units = UnitsOf(settings.si());
    const double unit = layout.unit;
    layout.titleFont = MakeFont(std::max(12.0, 20.0 * unit), true);
    layout.axisFont = MakeFont(std::max(10.0, 14.0 * unit));
    layout.labelFont = MakeFont(std::max(9.0, 12.0 * unit));
    layout.title = TitleOf(settings);
    layout.temperatureTitle = QStringLiteral("Dry-bulb temperature, ") + units.temperature;
    layout.ratioTitle = QStringLiteral("Humidity ratio, ") + units.ratio + QStringLiteral(" of dry air");
    layout.markerRadius = std::max(3.0, 5.5 * unit);
}

// The tick values of both axes, their decimals, and the grid through them.
void SetTicks(ChartLayout& layout, const ChartSettings& settings)
{
    const double temperatureStep = TickStep(settings.tMin, settings.tMax, kTemperatureIntervals);
    const double ratioStep = TickStep(0.0, settings.wMax, kRatioIntervals);
    layout.temperatureTicks = TickValues(settings.tMin, settings.tMax, temperatureStep);
    layout.ratioTicks = TickValues(0.0, settings.wMax, ratioStep);
    layout.temperatureDecimals = DecimalsFor(temperatureStep);
    layout.ratioDecimals = DecimalsFor(ratioStep);
    layout.grid = GridLines(settings, layout.temperatureTicks, layout.ratioTicks);
}

// A title wider than a small page gets a smaller font, then an ellipsis.
void FitTitle(ChartLayout& layout, const Spacing& spacing)
{
    const double titleRoom = layout.page.width() - 2.0 * spacing.pad;
    const double titleWidth = QFontMetricsF(layout.titleFont).horizontalAdvance(layout.title);
    if (titleWidth > titleRoom) {
        layout.titleFont = MakeFont(std::max(9.0, layout.titleFont.pixelSize() * titleRoom / titleWidth), true);
        layout.title = QFontMetricsF(layout.titleFont).elidedText(layout.title, Qt::ElideRight, titleRoom);
    }
}

Margins MarginsOf(const ChartLayout& layout, const Spacing& spacing)
{
    const QFontMetricsF title(layout.titleFont);
    const QFontMetricsF axis(layout.axisFont);
    const double pad = spacing.pad;
    const double tick = spacing.tick;
    double widestRatio = 0.0;
    for (double value : layout.ratioTicks)
        widestRatio = std::max(widestRatio, axis.horizontalAdvance(Fixed(value, layout.ratioDecimals)));
    double widestTemperature = 0.0;
    for (double value : layout.temperatureTicks)
        widestTemperature = std::max(widestTemperature, axis.horizontalAdvance(Fixed(value, layout.temperatureDecimals)));
    Margins margins;
    margins.top = pad + title.height() + pad;
    margins.left = pad + std::max(pad, widestTemperature / 2.0);
    margins.right = tick + pad / 2.0 + widestRatio + pad + axis.height() + pad;
    margins.bottom = tick + pad / 2.0 + axis.height() + pad + axis.height() + pad;
    return margins;
}

// The plot inside the margins, `bottom` below it; never less than 10 units
// either way.
QRectF PlotArea(const QSizeF& page, const Margins& margins, double bottom)
{
    return QRectF(margins.left, margins.top, std::max(10.0, page.width() - margins.left - margins.right),
                  std::max(10.0, page.height() - margins.top - bottom));
}

// The legend below the axis title, in rows as wide as the plot; the plot
// shrinks to make room.
void PutLegendBelow(ChartLayout& layout, const ChartSettings& settings, const std::vector<LegendRow>& entries,
                    const QFontMetricsF& label, const LegendMetrics& legend, const Margins& margins,
                    const Spacing& spacing)
{
    const QSizeF& page = layout.page;
    layout.legendInside = false;
    const double available = page.width() - margins.left - margins.right;
    int rows = 1;
    double x = 0.0;
    for (const LegendRow& entry : entries) {
        const double width = EntryWidth(entry, label, legend) + 2.0 * legend.gap;
        if (x > 0.0 && x + width > available) {
            ++rows;
            x = 0.0;
        }
        x += width;
    }
    const double height = legend.row * rows + legend.padding;
    layout.axes = Axes(settings.tMin, settings.tMax, settings.wMax, PlotArea(page, margins, margins.bottom + height));
    const QRectF plot = layout.axes.plot();
    layout.legend = QRectF(plot.left(), page.height() - spacing.pad - height, plot.width(), height);
}

// Where the labels must keep out of: outside the plot, the saturation curve
// (but for its own label), the legend in the corner and the markers.
Occupancy OccupancyOf(const ChartContent& content, const ChartLayout& layout)
{
    const Axes& axes = layout.axes;
    const double unit = layout.unit;
    const double inset = 2.0 * unit;
    std::vector<QPolygonF> saturationLines;
    for (const Curve& curve : content.curves) {
        if (curve.family == Family::Saturation) {
            for (QPolygonF& polyline : DevicePolylines(curve, axes))
                saturationLines.push_back(std::move(polyline));
        }
    }
    Occupancy occupancy(axes.plot().adjusted(inset, inset, -inset, -inset),
                        DenseSaturation(saturationLines, 2.0 * unit));
    if (layout.legendInside)
        occupancy.Take(QPolygonF(layout.legend.adjusted(-4.0 * unit, -4.0 * unit, 4.0 * unit, 4.0 * unit)));
    for (const MarkedState& state : content.marked)
        occupancy.Take(MarkerOutline(axes.ToDevice(state.properties.at), layout.markerRadius + 2.0 * unit));
    for (const PlacedArrow& arrow : layout.arrows) {
        occupancy.Take(LineOutline(arrow.shaft, 3.0 * unit));
        if (!arrow.head.isEmpty())
            occupancy.Take(arrow.head);
    }
    return occupancy;
}

// The process lines between the markers' edges, where there is room for
// them (and for a head) between the markers.
std::vector<PlacedArrow> PlaceArrows(const ChartContent& content, const Axes& axes, double unit, double radius)
{
    std::vector<PlacedArrow> arrows;
    const double gap = radius + 3.0 * unit;
    const double head = ArrowHeadLength(unit);
    for (const ProcessLine& line : content.processLines) {
        const QLineF between(axes.ToDevice(content.marked[line.from].properties.at),
                             axes.ToDevice(content.marked[line.to].properties.at));
        const double length = between.length();
        if (length <= 2.0 * gap + (line.dashed ? 0.0 : head))
            continue;
        PlacedArrow arrow;
        arrow.shaft = QLineF(between.pointAt(gap / length), between.pointAt(1.0 - gap / length));
        arrow.dashed = line.dashed;
        if (!line.dashed) {
            arrow.head = ArrowHead(arrow.shaft.p1(), arrow.shaft.p2(), head);
            // The shaft stops inside the head, so that its round cap stays hidden.
            arrow.shaft.setP2(arrow.shaft.pointAt(1.0 - 0.6 * head / arrow.shaft.length()));
        }
        arrows.push_back(std::move(arrow));
    }
    return arrows;
}

// Whether the curve's first point lies on saturation.
bool StartsOnSaturation(const Curve& curve, const ChartSettings& settings)
{
    if (curve.runs.empty() || curve.runs.front().empty())
        return false;
    const DataPoint start = curve.runs.front().front();
    const std::optional<double> saturation = SaturationRatio(settings, start.t);
    return saturation && std::isfinite(*saturation) && std::fabs(*saturation - start.w) <= 1e-9 + 1e-6 * *saturation;
}

// Labels: the marked states first, then one per curve where there is room.
// True when every state's label found a free place.
bool ArrangeLabels(const ChartContent& content, const QFontMetricsF& label, ChartLayout& layout)
{
    const ChartSettings& settings = content.settings;
    layout.stateLabels.clear();
    layout.curveLabels.clear();
    const Axes& axes = layout.axes;
    layout.arrows = PlaceArrows(content, axes, layout.unit, layout.markerRadius);
    Occupancy occupancy = OccupancyOf(content, layout);
    const Reach reach = content.processLines.empty() ? Reach::Near : Reach::Far;
    bool allFree = true;
    for (std::size_t i = 0; i < content.marked.size(); ++i) {
        bool free = false;
        layout.stateLabels.push_back(PlaceStateLabel(content.marked[i], i, axes, settings.si(), label, layout.unit,
                                                     layout.markerRadius, reach, occupancy, free));
        allFree = allFree && free;
    }
    for (std::size_t i = 0; i < content.curves.size(); ++i) {
        const Curve& curve = content.curves[i];
        if (auto placed = PlaceCurveLabel(curve, i, DevicePolylines(curve, axes), settings.si(), label, layout.unit,
                                          StartsOnSaturation(curve, settings), occupancy))
            layout.curveLabels.push_back(std::move(*placed));
    }
    return allFree;
}

// The ticks' marks and values, and the titles, around the final plot.
void PlaceAxisTexts(ChartLayout& layout, const Spacing& spacing)
{
    const Axes& axes = layout.axes;
    const QRectF plot = axes.plot();
    const double unit = layout.unit;
    const double tick = spacing.tick;
    const double pad = spacing.pad;
    const QFontMetricsF axis(layout.axisFont);
    layout.temperatureMarks.clear();
    for (double t : layout.temperatureTicks) {
        const double x = axes.X(t);
        layout.temperatureMarks.push_back(
            {QLineF(x, plot.bottom(), x, plot.bottom() + tick), Fixed(t, layout.temperatureDecimals),
             QRectF(x - 100.0 * unit, plot.bottom() + tick + pad / 4.0, 200.0 * unit, axis.height())});
    }
    layout.ratioMarks.clear();
    for (double w : layout.ratioTicks) {
        const double y = axes.Y(w);
        layout.ratioMarks.push_back(
            {QLineF(plot.right(), y, plot.right() + tick, y), Fixed(w, layout.ratioDecimals),
             QRectF(plot.right() + tick + pad / 2.0, y - axis.height() / 2.0, 200.0 * unit, axis.height())});
    }
    const double temperatureTitleTop = plot.bottom() + tick + pad / 2.0 + axis.height() + pad / 2.0;
    layout.temperatureTitleBox = QRectF(plot.left(), temperatureTitleTop, plot.width(), axis.height());
    layout.ratioTitleCenter = QPointF(layout.page.width() - pad - axis.height() / 2.0, plot.center().y());
    layout.ratioTitleBox = QRectF(-plot.height() / 2.0, -axis.height() / 2.0, plot.height(), axis.height());
    layout.titleBox = QRectF(0.0, pad, layout.page.width(), QFontMetricsF(layout.titleFont).height());
}

// The legend's rows inside its box: one under another in the corner, side by
// side and wrapping below the plot.
void PlaceLegendRows(ChartLayout& layout, std::vector<LegendRow> rows, const QFontMetricsF& label,
                     const LegendMetrics& legend)
{
    const QRectF& box = layout.legend;
    double x = box.left() + legend.padding;
    double y = box.top() + legend.padding / 2.0;
    for (LegendRow& row : rows) {
        const double width = EntryWidth(row, label, legend);
        if (!layout.legendInside && x > box.left() + legend.padding && x + width > box.right()) {
            x = box.left() + legend.padding;
            y += legend.row;
        }
        row.sample = QPointF(x, y + legend.row / 2.0);
        row.textBox = QRectF(x + legend.sample + legend.gap, y, width, legend.row);
        if (layout.legendInside)
            y += legend.row;
        else
            x += width + 2.0 * legend.gap;
    }
    layout.legendRows = std::move(rows);
    layout.legendSample = legend.sample;
}

} // namespace

QString FamilyName(Family family, bool si)
{
    const Units units = UnitsOf(si);
    switch (family) {
    case Family::Saturation: return QStringLiteral("saturation (100 % relative humidity)");
    case Family::RelativeHumidity: return QStringLiteral("relative humidity, %");
    case Family::WetBulb: return QStringLiteral("wet bulb, ") + units.temperature;
    case Family::Enthalpy: return QStringLiteral("enthalpy, ") + units.enthalpy;
    case Family::Volume: return QStringLiteral("specific volume, ") + units.volume;
    }
    return {};
}

std::vector<QPolygonF> DevicePolylines(const Curve& curve, const Axes& axes)
{
    std::vector<QPolygonF> polylines;
    for (const auto& run : curve.runs) {
        QPolygonF polyline;
        polyline.reserve(static_cast<qsizetype>(run.size()));
        for (const DataPoint& point : run)
            polyline << axes.ToDevice(point);
        polylines.push_back(std::move(polyline));
    }
    return polylines;
}

QPolygonF PlacedLabel::Outline() const { return OutlineOf(center, angle, size); }

QPolygonF ArrowHead(const QPointF& from, const QPointF& tip, double length)
{
    const QLineF back = QLineF(tip, from).unitVector();
    const QPointF along = (back.p2() - back.p1()) * length;
    const QPointF across(-along.y() * 0.4, along.x() * 0.4);
    return QPolygonF({tip, tip + along + across, tip + along - across});
}

ChartContent ContentFor(const ChartSettings& settings)
{
    ChartContent content;
    content.settings = settings;
    content.curves = ComputeCurves(settings);
    return content;
}

bool TemperatureTicksDistinct(const ChartSettings& settings)
{
    return TickStep(settings.tMin, settings.tMax, kTemperatureIntervals) >= kFinestTickStep;
}

bool RatioTicksDistinct(const ChartSettings& settings)
{
    return TickStep(0.0, settings.wMax, kRatioIntervals) >= kFinestTickStep;
}

ChartLayout LayOutChart(const ChartContent& content, const QSizeF& page)
{
    const ChartSettings& settings = content.settings;
    ChartLayout layout;
    layout.page = page;
    layout.unit = std::min(page.width() / kDesignWidth, page.height() / kDesignHeight);
    const Spacing spacing = SpacingOf(layout.unit);
    SetFontsAndTitles(layout, settings);
    SetTicks(layout, settings);
    FitTitle(layout, spacing);
    const Margins margins = MarginsOf(layout, spacing);

    const QFontMetricsF label(layout.labelFont);
    std::vector<LegendRow> entries = LegendEntries(content);
    const LegendMetrics legend = LegendMetricsOf(label, layout.unit);
    double widestEntry = 0.0;
    for (const LegendRow& entry : entries)
        widestEntry = std::max(widestEntry, EntryWidth(entry, label, legend));
    const QSizeF column(widestEntry + 2.0 * legend.padding,
                        legend.row * static_cast<double>(entries.size()) + legend.padding);

    layout.axes = Axes(settings.tMin, settings.tMax, settings.wMax, PlotArea(page, margins, margins.bottom));
    if (const std::optional<QRectF> inside = LegendInside(content, layout.axes, column, layout.unit)) {
        layout.legend = *inside;
        layout.legendInside = true;
    } else {
        PutLegendBelow(layout, settings, entries, label, legend, margins, spacing);
    }
    // A legend in the corner gives way to the labels of the marked states.
    if (!ArrangeLabels(content, label, layout) && layout.legendInside) {
        PutLegendBelow(layout, settings, entries, label, legend, margins, spacing);
        ArrangeLabels(content, label, layout);
    }
    PlaceAxisTexts(layout, spacing);
    PlaceLegendRows(layout, std::move(entries), label, legend);
    return layout;
}

} // namespace humitrax::chart
