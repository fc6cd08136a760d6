#include "chart_model.h"

#include "humitrax/comfort.h"
#include "humitrax/constants.h"
#include "humitrax/relations.h"
#include "humitrax/state.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace humitrax::chart {
namespace {

// Samples across the dry-bulb axis for each curve; the ends of every run are
// then found exactly by bisection, so the sampling only decides the shape
// between them.
constexpr int kSamples = 600;
constexpr int kBisections = 60;
// A family never draws more curves than this; its step doubles until it fits.
constexpr int kMostCurvesPerFamily = 40;
// The comfort zone: vapour pressures scanned for where it begins and ends,
// halvings that find those ends, and vapour pressures at which each of its
// sides is found between them. Dry bulbs at which a zone's edge along a curve
// is.
constexpr int kComfortScan = 32;
constexpr int kComfortBisections = 40;
constexpr int kComfortSamples = 120;
constexpr int kEdgeSamples = 64;
// The limit of the comfort zone's predicted mean vote.
constexpr double kComfortVote = 0.5;
constexpr double kPascalsPerKilopascal = 1000.0;

// How far above the saturation humidity ratio a point of another curve may
// lie and still count as on it (rounding where a wet-bulb line meets it).
double SaturationTolerance(double saturation) { return 1e-15 + 1e-12 * std::fabs(saturation); }

// A relation's result, or nothing for a failure or a value that is not finite.
template <typename Call>
std::optional<double> Tried(Call&& call)
{
    try {
        const double value = call();
        if (!std::isfinite(value))
            return std::nullopt;
        return value;
    } catch (const PropertyFailure&) {
        return std::nullopt;
    }
}

// The chart's model in its units at its pressure.
Relations RelationsOf(const ChartSettings& settings)
{
    return {settings.units, settings.model, settings.pressure, settings.saturation};
}

// The curves' relations under the chart's model, in its units.
std::optional<double> RatioAtRelativeHumidity(const ChartSettings& settings, double t, double fraction)
{
    return Tried([&] { return RelationsOf(settings).RatioAtRelativeHumidity(t, fraction); });
}

std::optional<double> RatioAtWetBulb(const ChartSettings& settings, double t, double wet)
{
    return Tried([&] { return RelationsOf(settings).RatioAtWetBulb(t, wet); });
}

std::optional<double> EnthalpyAt(const ChartSettings& settings, double t, double w)
{
    return Tried([&] { return RelationsOf(settings).Enthalpy(t, w); });
}

std::optional<double> VolumeAt(const ChartSettings& settings, double t, double w)
{
    return Tried([&] { return RelationsOf(settings).Volume(t, w); });
}

// Of water to dry air, in the model's humidity ratio of a vapour pressure.
double MolarMassRatio(const ChartSettings& settings)
{
    return settings.model == Model::Ashrae2017 ? ashrae2017::kMolarMassRatio : calculator::kMolarMassRatio;
}

// The humidity ratio at which `property` (enthalpy or volume at dry bulb t and
// humidity ratio w, by the engine) equals `target`. Both properties are linear
// in w, so the secant lands on the answer at once; the further steps only
// take out rounding.
std::optional<double> SolveRatio(const std::function<std::optional<double>(double)>& property,
                                 double target)
{
    double w0 = 0.0;
    double w1 = 0.01;
    std::optional<double> p0 = property(w0);
    std::optional<double> p1 = property(w1);
    for (int step = 0; step < 4; ++step) {
        if (!p0 || !p1 || *p1 == *p0)
            break;
        const double w2 = w1 - (*p1 - target) * (w1 - w0) / (*p1 - *p0);
        if (!std::isfinite(w2))
            return std::nullopt;
        w0 = w1;
        p0 = p1;
        w1 = w2;
        p1 = property(w1);
        if (p1 && *p1 == target)
            break;
    }
    if (!p1)
        return std::nullopt;
    return w1;
}

using RatioAt = std::function<std::optional<double>(double t)>;

// Follows one curve w = ratio(t) across the chart and cuts it into runs inside
// the drawn range and below the saturation curve.
std::vector<std::vector<DataPoint>> Trace(const ChartSettings& settings, const RatioAt& ratio,
                                          bool isSaturation)
{
    const auto inside = [&](double t) -> std::optional<double> {
        const std::optional<double> w = ratio(t);
        if (!w || *w < 0.0 || *w > settings.wMax)
            return std::nullopt;
        if (!isSaturation) {
            const std::optional<double> saturation = SaturationRatio(settings, t);
            if (!saturation || *w > *saturation + SaturationTolerance(*saturation))
                return std::nullopt;
        }
        return w;
    };
    // The inside end of the boundary between t `in` (inside) and t `out`.
    const auto boundary = [&](double in, double out) -> DataPoint {
        double w = *inside(in);
        for (int i = 0; i < kBisections; ++i) {
            const double middle = in + (out - in) / 2.0;
            if (middle == in || middle == out)
                break;
            if (const std::optional<double> m = inside(middle)) {
                in = middle;
                w = *m;
            } else {
                out = middle;
            }
        }
        return {in, w};
    };

    std::vector<std::vector<DataPoint>> runs;
    std::vector<DataPoint> run;
    const double span = settings.tMax - settings.tMin;
    double previousT = settings.tMin;
    bool previousInside = false;
    for (int i = 0; i <= kSamples; ++i) {
        const double t = i == kSamples ? settings.tMax : settings.tMin + span * i / kSamples;
        const std::optional<double> w = inside(t);
        if (w && !previousInside && i > 0)
            run.push_back(boundary(t, previousT));
        if (w)
            run.push_back({t, *w});
        if (!w && previousInside) {
            run.push_back(boundary(previousT, t));
            if (run.size() >= 2)
                runs.push_back(std::move(run));
            run.clear();
        }
        previousInside = w.has_value();
        previousT = t;
    }
    if (run.size() >= 2)
        runs.push_back(std::move(run));
    return runs;
}

// The values of a family's curves from low to high: multiples of the step.
std::vector<double> FamilyValues(double low, double high, double step)
{
    if (!(low < high))
        return {};
    while ((high - low) / step > kMostCurvesPerFamily)
        step *= 2.0;
    std::vector<double> values;
    for (double k = std::ceil(low / step); k * step <= high; k += 1.0)
        values.push_back(k * step);
    return values;
}

void AddCurve(std::vector<Curve>& curves, const ChartSettings& settings, Family family, double value,
              const RatioAt& ratio)
{
    Curve curve{family, value, Trace(settings, ratio, family == Family::Saturation)};
    if (!curve.runs.empty())
        curves.push_back(std::move(curve));
}


} // namespace

ChartSettings DefaultSettings(Units units)
{
    ChartSettings settings;
    settings.units = units;
    if (units == Units::InchPound) {
        settings.pressure = 14.696;
        settings.tMin = 14.0;
        settings.tMax = 122.0;
    }
    return settings;
}


double FamilyStep(Family family, bool si)
{
    switch (family) {
    case Family::Saturation: return 1.0;
    case Family::RelativeHumidity: return 0.1;
    case Family::WetBulb: return si ? 5.0 : 10.0;
    case Family::Enthalpy: return si ? 10.0 : 5.0;
    case Family::Volume: return si ? 0.02 : 0.5;
    }
    return 1.0;
}

std::optional<double> SaturationRatio(const ChartSettings& settings, double t)
{
    try {
        return RelationsOf(settings).SaturationRatio(t);
    } catch (const PropertyFailure&) {
        return std::nullopt;
    }
}

std::vector<Curve> ComputeCurves(const ChartSettings& settings)
{
    const bool si = settings.si();
    std::vector<Curve> curves;

    AddCurve(curves, settings, Family::Saturation, 1.0,
             [&](double t) { return SaturationRatio(settings, t); });

    for (int percent = 10; percent <= 90; percent += 10) {
        const double fraction = percent / 100.0;
        AddCurve(curves, settings, Family::RelativeHumidity, fraction,
                 [&](double t) { return RatioAtRelativeHumidity(settings, t, fraction); });
    }

    // A wet-bulb line starts on the saturation curve at its own temperature and
    // falls to the right; lines from below the axis can still cross the chart.
    const double wetLow = std::max(TemperatureRangeOf(si).lowest, settings.tMin - (settings.tMax - settings.tMin));
    for (double wet : FamilyValues(wetLow, settings.tMax, FamilyStep(Family::WetBulb, si))) {
        AddCurve(curves, settings, Family::WetBulb, wet,
                 [&](double t) { return RatioAtWetBulb(settings, t, wet); });
    }

    // Enthalpy and volume grow with both the dry bulb and the humidity ratio:
    // their extremes lie at the dry lower-left corner and at the upper right.
    // Above the boiling point at this pressure there is no saturation: the
    // humidity ratio then reaches the top of the chart.
    const std::optional<double> saturationRight = SaturationRatio(settings, settings.tMax);
    const double topRight = saturationRight && *saturationRight > 0.0 ? std::min(settings.wMax, *saturationRight)
                                                                      : settings.wMax;
    using RelationAt = std::optional<double> (*)(const ChartSettings&, double t, double w);
    const auto span = [&](RelationAt property, Family family) {
        const std::optional<double> low = property(settings, settings.tMin, 0.0);
        const std::optional<double> high = property(settings, settings.tMax, topRight);
        if (!low || !high)
            return std::vector<double>{};
        return FamilyValues(*low, *high, FamilyStep(family, si));
    };
    for (const auto& [family, property] : {std::pair<Family, RelationAt>{Family::Enthalpy, &EnthalpyAt},
                                           std::pair<Family, RelationAt>{Family::Volume, &VolumeAt}}) {
        for (double value : span(property, family)) {
            AddCurve(curves, settings, family, value, [&](double t) {
                return SolveRatio([&](double w) { return property(settings, t, w); }, value);
            });
        }
    }
    return curves;
}

namespace {

/// A state by the state layer under the chart's model: its properties, or why
/// it cannot be placed.
std::variant<StateResult, std::string> ComputedState(const AirState& state,
                                                     const ChartSettings& settings)
{
    const StateResult result =
        ComputeStateFromPair({settings.units, settings.model, settings.saturation, settings.pressure, state});
    if (!result.refusal.empty())
        return RefusalWords(result);
    const Cell& ratio = result[humitrax::Property::HumidityRatio];
    if (!ratio.present)
        return "its humidity ratio cannot be computed (" + std::string(ratio.reason) + ")";
    return result;
}

std::optional<double> CellValue(const StateResult& result, humitrax::Property property)
{
    const Cell& cell = result[property];
    return cell.present ? std::optional<double>(cell.value) : std::nullopt;
}

} // namespace

std::variant<DataPoint, std::string> LocateState(const AirState& state, const ChartSettings& settings)
{
    auto computed = ComputedState(state, settings);
    if (auto* reason = std::get_if<std::string>(&computed))
        return std::move(*reason);
    const StateResult& result = std::get<StateResult>(computed);
    return DataPoint{result[humitrax::Property::DryBulb].value, result[humitrax::Property::HumidityRatio].value};
}

std::variant<StateProperties, std::string> DescribeState(const AirState& state,
                                                         const ChartSettings& settings)
{
    auto computed = ComputedState(state, settings);
    if (auto* reason = std::get_if<std::string>(&computed))
        return std::move(*reason);
    const StateResult& result = std::get<StateResult>(computed);
    using enum humitrax::Property;
    StateProperties properties;
    properties.at = {result[DryBulb].value, result[HumidityRatio].value};
    properties.relativeHumidity = CellValue(result, RelativeHumidity);
    properties.wetBulb = CellValue(result, WetBulb);
    properties.dewPoint = CellValue(result, DewPoint);
    properties.enthalpy = CellValue(result, Enthalpy);
    properties.volume = CellValue(result, SpecificVolume);
    return properties;
}

bool InRange(const DataPoint& point, const ChartSettings& settings)
{
    return point.t >= settings.tMin && point.t <= settings.tMax && point.w >= 0.0 &&
           point.w <= settings.wMax;
}

std::vector<Segment> GridLines(const ChartSettings& settings, const std::vector<double>& temperatures,
                               const std::vector<double>& ratios)
{
    std::vector<Segment> lines;
    for (double t : temperatures) {
        if (t <= settings.tMin || t >= settings.tMax)
            continue;
        const std::optional<double> saturation = SaturationRatio(settings, t);
        if (!saturation || *saturation <= 0.0)
            continue;
        lines.push_back({{t, 0.0}, {t, std::min(*saturation, settings.wMax)}});
    }
    // Saturation rises with the dry bulb (below boiling), so each ratio meets
    // it once; bisection finds where.
    const std::optional<double> atLeft = SaturationRatio(settings, settings.tMin);
    const std::optional<double> atRight = SaturationRatio(settings, settings.tMax);
    for (double w : ratios) {
        if (w <= 0.0 || w >= settings.wMax || !atRight || *atRight < w)
            continue;
        double left = settings.tMin;
        if (!atLeft || *atLeft < w) {
            double below = settings.tMin;
            double above = settings.tMax;
            for (int i = 0; i < kBisections; ++i) {
                const double middle = below + (above - below) / 2.0;
                if (middle == below || middle == above)
                    break;
                const std::optional<double> saturation = SaturationRatio(settings, middle);
                if (saturation && *saturation >= w)
                    above = middle;
                else
                    below = middle;
            }
            left = above;
        }
        lines.push_back({{left, w}, {settings.tMax, w}});
    }
    return lines;
}

double RatioAtVapourPressure(const ChartSettings& settings, double vapourPressure)
{
    return MolarMassRatio(settings) * vapourPressure / (settings.pressure - vapourPressure);
}

namespace {

double Celsius(const ChartSettings& settings, double t) { return settings.si() ? t : (t - 32.0) / 1.8; }
double ChartTemperature(const ChartSettings& settings, double celsius)
{
    return settings.si() ? celsius : celsius * 1.8 + 32.0;
}

// The lowest dry bulb in the drawn range at which air of humidity ratio w is
// not above saturation (the range's left end when all of it is), or nothing
// when w is above saturation all across. Saturation rises with the dry bulb,
// and above the boiling point any humidity ratio is unsaturated.
std::optional<double> SaturationDryBulb(const ChartSettings& settings, double w)
{
    const auto holds = [&](double t) {
        const std::optional<double> saturation = SaturationRatio(settings, t);
        return !saturation || *saturation < 0.0 || *saturation >= w;
    };
    if (holds(settings.tMin))
        return settings.tMin;
    if (!holds(settings.tMax))
        return std::nullopt;
    double below = settings.tMin;
    double above = settings.tMax;
    for (int i = 0; i < kBisections; ++i) {
        const double middle = below + (above - below) / 2.0;
        if (middle == below || middle == above)
            break;
        (holds(middle) ? above : below) = middle;
    }
    return above;
}

// One level of the comfort zone: its dry bulbs at a vapour pressure, the
// cool end cut back to saturation.
struct ComfortLevel {
    double w = 0.0;
    double cool = 0.0;
    double warm = 0.0;
};

class ComfortZone {
public:
    ComfortZone(const ChartSettings& settings, double met, double clo, double airSpeed)
        : m_settings(settings), m_met(met), m_clo(clo), m_airSpeed(airSpeed)
    {
    }

    // The zone at vapour pressure pa (kPa or psia), or nothing where it has
    // no dry bulb in the drawn range below saturation.
    [[nodiscard]] std::optional<ComfortLevel> At(double pa) const
    {
        const ChartSettings& s = m_settings;
        const double w = RatioAtVapourPressure(s, pa);
        if (!(w >= 0.0) || w > s.wMax)
            return std::nullopt;
        const double pascals = pa * (s.si() ? kPascalsPerKilopascal : kPascalsPerPsi);
        const auto range = comfort::ComfortDryBulbRange(pascals, m_met, m_clo, m_airSpeed, kComfortVote,
                                                        Celsius(s, s.tMin), Celsius(s, s.tMax));
        const std::optional<double> saturated = SaturationDryBulb(s, w);
        if (!range || !saturated)
            return std::nullopt;
        // Back in the chart's unit, the ends are held to the range they were
        // found in.
        const double cool = std::clamp(ChartTemperature(s, range->first), s.tMin, s.tMax);
        const double warm = std::clamp(ChartTemperature(s, range->second), s.tMin, s.tMax);
        if (warm < *saturated)
            return std::nullopt;
        return ComfortLevel{w, std::max(cool, *saturated), warm};
    }

    // The edge of the vapour pressures that have a zone between `in` (which
    // has) and `out` (which has not).
    [[nodiscard]] double Edge(double in, double out) const
    {
        for (int i = 0; i < kComfortBisections; ++i) {
            const double middle = in + (out - in) / 2.0;
            if (middle == in || middle == out)
                break;
            (At(middle) ? in : out) = middle;
        }
        return in;
    }

private:
    const ChartSettings& m_settings;
    double m_met;
    double m_clo;
    double m_airSpeed;
};

} // namespace

std::vector<DataPoint> ComfortZoneOutline(const ChartSettings& settings, double met, double clo, double airSpeed)
{
    const ComfortZone zone(settings, met, clo, airSpeed);
    // The vapour pressures with a zone form one interval: a higher vapour
    // pressure moves both ends of the zone to cooler air, while saturation
    // moves its lowest dry bulb the other way. It is found in a coarse scan
    // up to the top of the chart, and its ends by bisection.
    const double top = settings.pressure * settings.wMax / (MolarMassRatio(settings) + settings.wMax);
    double low = -1.0;
    double high = -1.0;
    for (int i = 0; i <= kComfortScan; ++i) {
        const double pa = i == kComfortScan ? top : top * i / kComfortScan;
        const bool inside = zone.At(pa).has_value();
        if (inside && low < 0.0)
            low = i == 0 ? pa : zone.Edge(pa, top * (i - 1) / kComfortScan);
        if (!inside && low >= 0.0) {
            high = zone.Edge(top * (i - 1) / kComfortScan, pa);
            break;
        }
        if (inside && i == kComfortScan)
            high = top;
    }
    if (low < 0.0 || high < 0.0)
        return {};
    std::vector<ComfortLevel> levels;
    for (int i = 0; i <= kComfortSamples; ++i) {
        const double pa = i == kComfortSamples ? high : low + (high - low) * i / kComfortSamples;
        if (const std::optional<ComfortLevel> level = zone.At(pa))
            levels.push_back(*level);
    }
    std::vector<DataPoint> outline;
    outline.reserve(2 * levels.size());
    for (const ComfortLevel& level : levels)
        outline.push_back({level.cool, level.w});
    for (auto level = levels.rbegin(); level != levels.rend(); ++level)
        outline.push_back({level->warm, level->w});
    return outline;
}

std::variant<std::vector<DataPoint>, std::string> ZoneOutline(const std::vector<AirState>& corners,
                                                              const ChartSettings& settings)
{
    std::vector<DataPoint> placed;
    for (std::size_t i = 0; i < corners.size(); ++i) {
        auto located = LocateState(corners[i], settings);
        if (const auto* reason = std::get_if<std::string>(&located))
            return "corner " + std::to_string(i + 1) + ": " + *reason;
        placed.push_back(std::get<DataPoint>(located));
    }
    std::vector<DataPoint> outline;
    for (std::size_t i = 0; i < corners.size(); ++i) {
        const AirState& from = corners[i];
        const AirState& to = corners[(i + 1) % corners.size()];
        outline.push_back(placed[i]);
        // An edge along one property's line (the second's, the first
        // changing) is drawn as that line.
        if (from.first != to.first || from.second != to.second || from.secondValue != to.secondValue ||
            from.firstValue == to.firstValue)
            continue;
        for (int k = 1; k < kEdgeSamples; ++k) {
            AirState along = from;
            along.firstValue = from.firstValue + (to.firstValue - from.firstValue) * k / kEdgeSamples;
            // A point the engine cannot place leaves the edge straight there.
            const auto located = LocateState(along, settings);
            if (const auto* point = std::get_if<DataPoint>(&located))
                outline.push_back(*point);
        }
    }
    return outline;
}

double TickStep(double low, double high, int maxCount)
{
    const double span = high - low;
    if (!(span > 0.0) || maxCount < 1)
        return 1.0;
    double power = std::pow(10.0, std::floor(std::log10(span / maxCount)));
    for (;;) {
        for (double factor : {1.0, 2.0, 5.0}) {
            const double step = factor * power;
            if (span / step <= maxCount + 1e-9)
                return step;
        }
        power *= 10.0;
    }
}

std::vector<double> TickValues(double low, double high, double step)
{
    std::vector<double> values;
    const double slack = step * 1e-9;
    for (double k = std::ceil((low - slack) / step); k * step <= high + slack; k += 1.0) {
        const double value = k * step;
        values.push_back(std::fabs(value) < slack ? 0.0 : value);
    }
    return values;
}

} // namespace humitrax::chart
