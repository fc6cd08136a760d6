// File: chart_model.h
// What a psychrometric chart shows, in data units and without any painting:
// the chart's settings, the curves of constant property computed by the
// property engine at the chart's pressure, and the states marked on it.
// Dry bulb runs across (°C or °F), humidity ratio up (kg/kg or lb/lb).
#pragma once

#include "humitrax/pair.h"
#include "humitrax/state.h"

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace humitrax::chart {

/// A place on the chart: dry bulb t (°C or °F) and humidity ratio w (kg/kg or lb/lb).
struct DataPoint {
    double t = 0.0;
    double w = 0.0;
};

/// The chart's unit system, pressure and drawn range.
struct ChartSettings {
    Units units = Units::SI;
    /// The relations every curve and state is computed by.
    Model model = Model::Calculator;
    /// What the 2017 model takes saturation over below the triple point.
    Saturation saturation = Saturation::IceBelowFreezing;
    /// Barometric pressure of every curve, kPa (SI) or psia (inch-pound).
    double pressure = 101.325;
    /// The altitude the pressure came from, m (SI) or ft (inch-pound), if any.
    std::optional<double> altitude;
    double tMin = -10.0; ///< left end of the dry-bulb axis
    double tMax = 50.0;  ///< right end of the dry-bulb axis
    double wMax = 0.030; ///< top of the humidity-ratio axis (the bottom is 0)

    [[nodiscard]] bool si() const noexcept { return units == Units::SI; }
};

/// The settings that a chart gets with no options: standard pressure at sea
/// level, −10 to 50 °C (14 to 122 °F), 0 to 0.030 of humidity ratio.
ChartSettings DefaultSettings(Units units);


/// The families of curves of constant property.
enum class Family : std::uint8_t {
    Saturation,       ///< relative humidity 1
    RelativeHumidity, ///< 10 to 90 % in steps of 10
    WetBulb,          ///< every 5 °C (10 °F)
    Enthalpy,         ///< every 10 kJ/kg (5 Btu/lb)
    Volume,           ///< every 0.02 m³/kg (0.5 ft³/lb)
};

/// One curve of constant property, cut into runs where the engine could not
/// give a point or where the curve leaves the drawn range. Every point of a run
/// is a value of the engine: the property at (t, w) equals `value`, w lies in
/// 0…wMax, t in tMin…tMax, and w is at most the saturation humidity ratio at t.
struct Curve {
    Family family = Family::Saturation;
    /// The constant: relative humidity as a fraction, wet bulb (°C or °F),
    /// enthalpy (kJ/kg or Btu/lb) or specific volume (m³/kg or ft³/lb).
    double value = 0.0;
    std::vector<std::vector<DataPoint>> runs;
};

/// The spacing between two curves of a family in the chart's units (0.1 for
/// relative humidity).
double FamilyStep(Family family, bool si);

/// Every curve of the chart: the saturation curve first, then relative
/// humidity, wet bulb, enthalpy and volume. Curves with nothing in range are
/// left out. Points the engine cannot compute (a PropertyFailure or an error
/// text) are left out.
std::vector<Curve> ComputeCurves(const ChartSettings& settings);

/// Humidity ratio of saturated air at t (the calculator's HumidRatio with a
/// relative humidity of 1, or the 2017 model's saturation humidity ratio),
/// or nothing when the model cannot give it.
std::optional<double> SaturationRatio(const ChartSettings& settings, double t);


/// A state placed on the chart, with the properties the engine gives for it.
struct StateProperties {
    DataPoint at;                         ///< dry bulb and humidity ratio
    std::optional<double> relativeHumidity; ///< percent
    std::optional<double> wetBulb;
    std::optional<double> dewPoint;
    std::optional<double> enthalpy;
    std::optional<double> volume;
};

/// Where a state lies: its humidity ratio by the engine. The text says why
/// there is none: the engine could not compute it, or the humidity ratio is
/// negative or above saturation at the dry bulb.
std::variant<DataPoint, std::string> LocateState(const AirState& state,
                                                 const ChartSettings& settings);

/// LocateState and every further property the engine gives for the state
/// (those it cannot give stay empty).
std::variant<StateProperties, std::string> DescribeState(const AirState& state,
                                                         const ChartSettings& settings);

/// True when the point lies inside the drawn range.
bool InRange(const DataPoint& point, const ChartSettings& settings);

/// A straight line between two places on the chart.
struct Segment {
    DataPoint from;
    DataPoint to;
};

/// The grid of the air region, below the saturation curve: a line at each
/// dry bulb of `temperatures` from w = 0 up to saturation (or wMax), and one at
/// each humidity ratio of `ratios` from saturation (or tMin) to tMax. Values
/// at the edges of the drawn range, and where the engine gives no saturation,
/// get no line.
std::vector<Segment> GridLines(const ChartSettings& settings, const std::vector<double>& temperatures,
                               const std::vector<double>& ratios);

/// The humidity ratio of air whose water vapour has the partial pressure
/// `vapourPressure` at the chart's pressure, both kPa or psia, by the chart's
/// model: W = ε·pa/(p − pa) with ε = 0.62198 (the calculator's) or 0.621945
/// (the 2017 relations).
double RatioAtVapourPressure(const ChartSettings& settings, double vapourPressure);

/// The comfort zone of ISO 7730 on the chart: the states where −0.5 ≤ PMV ≤
/// 0.5 for an occupant of metabolic rate `met` (met), clothing `clo` (clo)
/// and relative air speed `airSpeed` (m/s), the mean radiant temperature
/// equal to the dry bulb and no external work. Its outline: the cool
/// boundary (PMV −0.5) from the bottom upwards, then the warm one (PMV +0.5)
/// downwards, each a dry bulb at a vapour pressure from 0 up to where the
/// zone meets saturation; cut back to the saturation curve and the drawn
/// range where it would leave them. Empty when no part of the zone lies in
/// the drawn range. Throws PropertyFailure for inputs Pmv refuses (a
/// negative rate, clothing or speed).
std::vector<DataPoint> ComfortZoneOutline(const ChartSettings& settings, double met, double clo,
                                          double airSpeed);

/// The outline of a region given by its corners in order (at least three, at
/// the chart's pressure unless given): an edge between corners of the same
/// condition and value follows that curve, sampled along the dry bulb; any
/// other edge is straight on the chart (one of constant dry bulb is so
/// anyway). Each edge starts at its corner; the last returns to the first.
/// The text names the corner the engine cannot place ("corner 2: ...").
std::variant<std::vector<DataPoint>, std::string> ZoneOutline(const std::vector<AirState>& corners,
                                                              const ChartSettings& settings);

/// Round values for the ticks of an axis from `low` to `high`: multiples of 1,
/// 2 or 5 times a power of ten, the smallest such step that gives at most
/// `maxCount` intervals.
double TickStep(double low, double high, int maxCount);
std::vector<double> TickValues(double low, double high, double step);

} // namespace humitrax::chart
