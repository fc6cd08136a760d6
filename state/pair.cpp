// A state from any two of its properties: the dry bulb and humidity ratio
// that give both, found on the model's relations and polished on its own
// solvers, then the state from them.
#include "humitrax/pair.h"

#include "cells.h"
#include "rules.h"

#include "humitrax/checked.h"
#include "humitrax/constants.h"
#include "humitrax/psychrometrics.h"
#include "humitrax/relations.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <tuple>
#include <utility>

namespace humitrax {
namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

/// Passes of a bracketed search; each halves the bracket at least every
/// other pass, so this is far beyond what any double bracket needs.
constexpr int kMostPasses = 300;
/// Passes of a secant that polishes a root on the model's own solver.
constexpr int kMostPolishes = 12;
/// How far, relatively, the humidity ratio found may lie above saturation
/// and be saturated air: the rounding of the relations it was found by.
constexpr double kSaturatedRounding = 1e-12;

// Refusals of a pair, after the names of the values refused.
constexpr std::string_view kGivenTwice = "is given twice";
constexpr std::string_view kNotGivable = "cannot be given: a state is given by two of dry_bulb, wet_bulb, dew_point, "
                                         "relative_humidity, humidity_ratio, enthalpy, specific_volume and "
                                         "vapour_pressure";
constexpr std::string_view kSameMoisture = "fix the same moisture; give a temperature, the enthalpy or the volume "
                                           "as well";
constexpr std::string_view kShallow = "cross too shallowly: a line of constant wet bulb is nearly one of constant "
                                      "enthalpy, and the state where they cross is not worth its digits; give "
                                      "another pair";
constexpr std::string_view kNoState = "fit no air within the relations' range";

/// A pair that has no state, on its way to the refusal.
struct Refused {
    std::string_view why;
};

/// Whether a property fixes the moisture alone: dew point, humidity ratio,
/// vapour pressure.
bool FixesMoisture(Property property) noexcept
{
    return property == Property::DewPoint || property == Property::HumidityRatio ||
           property == Property::VapourPressure;
}

/// The root of f over [lo, hi], f having no value (nullopt) on the far side
/// of some temperature above the root: where it has one it is monotone, and
/// lo has one. Modified regula falsi (Illinois), halving where an end has no
/// value, to the last bits.
template <typename F>
std::optional<double> RootOver(F&& f, double lo, double hi)
{
    const std::optional<double> atLo = f(lo);
    if (!atLo)
        return std::nullopt;
    // The ends' residuals, oriented so that the root's left holds the negative
    // ones; a missing value lies on the right.
    const double sign = *atLo > 0.0 ? -1.0 : 1.0;
    const auto g = [&](double t) {
        const std::optional<double> value = f(t);
        return value ? sign * *value : kInfinity;
    };
    double a = lo;
    double ga = sign * *atLo;
    double b = hi;
    double gb = g(hi);
    if (ga == 0.0)
        return a;
    if (gb < 0.0)
        return std::nullopt; // no sign change: no root in the range
    int side = 0;
    for (int pass = 0; pass < kMostPasses; ++pass) {
        double m = std::isfinite(gb) ? (a * gb - b * ga) / (gb - ga) : a + (b - a) / 2.0;
        if (!(m > a && m < b))
            m = a + (b - a) / 2.0;
        if (m == a || m == b)
            break;
        const double gm = g(m);
        if (gm == 0.0)
            return m;
        if (gm < 0.0) {
            a = m;
            ga = gm;
            if (side < 0)
                gb /= 2.0;
            side = -1;
        } else {
            b = m;
            gb = gm;
            if (side > 0)
                ga /= 2.0;
            side = 1;
        }
    }
    // A bracket whose far end never had a value closed on the edge of the
    // values, not on a root.
    if (!std::isfinite(gb))
        return std::nullopt;
    return std::fabs(ga) <= std::fabs(gb) ? a : b;
}

/// W itself, or the saturation humidity ratio at t where W lies above it by
/// no more than the rounding of the relations W was found by.
double SaturatedToRounding(const Relations& relations, double t, double W)
{
    try {
        const double saturated = relations.SaturationRatio(t);
        if (W > saturated && W <= saturated * (1.0 + kSaturatedRounding))
            return saturated;
    } catch (const PropertyFailure&) {
        // no saturation here; the state says why
    }
    return W;
}

/// The solver of one pair: the model's relations at the pair's pressure.
class PairSolver {
public:
    explicit PairSolver(const PairInput& input) noexcept
        : m_in(input), m_relations(input.units, input.model, input.pressure, input.saturation)
    {
    }

    /// The dry bulb and humidity ratio the pair gives; throws Refused or
    /// PropertyFailure.
    std::pair<double, double> Solve()
    {
        Property a = m_in.given.first;
        double x = m_in.given.firstValue;
        Property b = m_in.given.second;
        double y = m_in.given.secondValue;
        // The dry bulb first, then a property that fixes the moisture.
        if (b == Property::DryBulb || (FixesMoisture(b) && a != Property::DryBulb)) {
            std::swap(a, b);
            std::swap(x, y);
        }
        if (a == Property::DryBulb)
            return {x, DryAirToRounding(RatioAt(b, y, x))};
        if (FixesMoisture(a)) {
            if (FixesMoisture(b))
                throw Refused{kSameMoisture};
            const double W = RatioOf(a, x);
            return {DryBulbAt(b, y, W), W};
        }
        // Neither fixes the temperature nor the moisture: along the line of
        // one, the temperature where the other holds.
        if ((a == Property::WetBulb && b == Property::Enthalpy) || (a == Property::Enthalpy && b == Property::WetBulb))
            throw Refused{kShallow};
        // The wet bulb is the residual (it is found by a solver); of the rest,
        // the relative humidity gives the line, then the enthalpy.
        if (b == Property::RelativeHumidity || (a == Property::WetBulb) ||
            (b == Property::Enthalpy && a == Property::SpecificVolume)) {
            std::swap(a, b);
            std::swap(x, y);
        }
        return AlongLine(a, x, b, y);
    }

private:
    [[nodiscard]] const TemperatureRange& Range() const noexcept { return m_relations.range(); }

    /// W of air at t with property `property` = value (not the wet bulb's:
    /// see AlongLine); throws Refused where there is none.
    double RatioAt(Property property, double value, double t) const
    {
        switch (property) {
        case Property::RelativeHumidity: return m_relations.RatioAtRelativeHumidity(t, value / 100.0);
        case Property::Enthalpy: return Linear([&](double W) { return m_relations.Enthalpy(t, W); }, value);
        case Property::SpecificVolume: return Linear([&](double W) { return m_relations.Volume(t, W); }, value);
        case Property::VapourPressure: return m_relations.RatioAtVapourPressure(value);
        default: break;
        }
        throw Refused{kNoState};
    }

    /// The argument at which a function linear in it takes `value`, from its
    /// values at 0 and 1.
    template <typename F>
    static double Linear(F&& f, double value)
    {
        const double at0 = f(0.0);
        return CheckedDivide(Checked(value - at0), Checked(f(1.0) - at0));
    }

    /// The model's vapour pressure of air with humidity ratio W: the state's
    /// own cell.
    double VapourPressureOf(double W) const
    {
        const double p = m_in.pressure;
        if (m_in.model == Model::Calculator)
            return CheckedDivide(Checked(p * W), Checked(calculator::kMolarMassRatio + W));
        return ashrae2017::VapourPressureFromHumidityRatio(W, p, m_relations.si());
    }

    /// The model's dew point of air with humidity ratio W: the state's own cell.
    double DewPointOf(double W) const
    {
        if (m_in.model == Model::Calculator)
            return DewPoint(0.0, m_in.pressure, kHumidityRatioGiven, W, m_relations.si() ? 1 : 0).AsNumber();
        return ashrae2017::DewPoint(VapourPressureOf(W), m_relations.si(), m_in.saturation);
    }

    /// The model's wet bulb of air at (t, W): the state's own cell.
    double WetBulbOf(double t, double W) const
    {
        const StateResult state = ComputeState({m_in.units, t, m_in.pressure, Condition::HumidityRatio,
                                                SaturatedToRounding(m_relations, t, W), m_in.model, m_in.saturation});
        const Cell& cell = state[Property::WetBulb];
        if (!state.refusal.empty() || !cell.present)
            throw Refused{kNoState};
        return cell.value;
    }

    /// The humidity ratio a moisture property fixes.
    double RatioOf(Property property, double value) const
    {
        if (property == Property::HumidityRatio)
            return value;
        if (property == Property::VapourPressure)
            return m_relations.RatioAtVapourPressure(value);
        // The dew point: from the saturation pressure there, then on the
        // model's own dew point of the air, which is its cell.
        const double start = m_relations.RatioAtVapourPressure(m_relations.SaturationPressure(value));
        if (!(start >= 0.0))
            throw Refused{kNoState};
        return Polish([&](double W) { return DewPointOf(W) - value; }, start, start * 1e-7 + 1e-12);
    }

    /// The dry bulb at which air of humidity ratio W has the property's value.
    double DryBulbAt(Property property, double value, double W) const
    {
        switch (property) {
        case Property::Enthalpy: return m_relations.DryBulb(value, W);
        case Property::SpecificVolume: return Linear([&](double t) { return m_relations.Volume(t, W); }, value);
        case Property::RelativeHumidity:
            // Dry air's relative humidity is 0 at every dry bulb, and only
            // dry air's is.
            if (W == 0.0 || value == 0.0)
                throw Refused{W == 0.0 && value == 0.0 ? kSameMoisture : kNoState};
            return Found(RootOver(
                [&](double t) -> std::optional<double> {
                    try {
                        return m_relations.RelativeHumidity(t, W) * 100.0 - value;
                    } catch (const PropertyFailure&) {
                        return std::nullopt;
                    }
                },
                Range().lowest, Range().highest));
        case Property::WetBulb: {
            // Saturated air (to rounding): the dry bulb is the wet bulb.
            if (W >= m_relations.RatioAtWetBulb(value, value) * (1.0 - kSaturatedRounding))
                return value;
            // The wet-bulb relation's W falls as the dry bulb rises from the
            // wet bulb; then the model's own wet bulb, polished.
            const double start = Found(RootOver(
                [&](double t) -> std::optional<double> {
                    try {
                        return m_relations.RatioAtWetBulb(t, value) - W;
                    } catch (const PropertyFailure&) {
                        return std::nullopt;
                    }
                },
                value, Range().highest));
            return Polish([&](double t) { return WetBulbOf(t, W) - value; }, start, 1e-6);
        }
        default: break;
        }
        throw Refused{kNoState};
    }

    /// Along the line of `line` (relative humidity, enthalpy or volume), the
    /// dry bulb where `other` holds (its relation first; a wet bulb then
    /// polished on the model's own), and the humidity ratio there.
    std::pair<double, double> AlongLine(Property line, double lineValue, Property other, double otherValue) const
    {
        // Along a line of constant enthalpy or volume W runs smoothly through
        // 0 (the search may go past it); along one of constant relative
        // humidity it has a pole where φ·pws(t) reaches the pressure, and no
        // value beyond.
        const auto ratioAt = [&](double t) -> std::optional<double> {
            try {
                const double W = RatioAt(line, lineValue, t);
                return W >= 0.0 || line != Property::RelativeHumidity ? std::optional<double>(W) : std::nullopt;
            } catch (const PropertyFailure&) {
                return std::nullopt;
            }
        };
        const auto residual = [&](double t) -> std::optional<double> {
            const std::optional<double> W = ratioAt(t);
            if (!W)
                return std::nullopt;
            try {
                switch (other) {
                case Property::WetBulb: return m_relations.RatioAtWetBulb(t, otherValue) - *W;
                case Property::Enthalpy: return m_relations.Enthalpy(t, *W) - otherValue;
                case Property::SpecificVolume: return m_relations.Volume(t, *W) - otherValue;
                default: break;
                }
            } catch (const PropertyFailure&) {
            }
            return std::nullopt;
        };
        const double lo = other == Property::WetBulb ? std::max(otherValue, Range().lowest) : Range().lowest;
        double t = lo;
        // Saturated air (to rounding) has its wet bulb for its dry bulb.
        const std::optional<double> atLo = other == Property::WetBulb ? residual(lo) : std::nullopt;
        const std::optional<double> lineAtLo = ratioAt(lo);
        if (!atLo || !lineAtLo || std::fabs(*atLo) > kSaturatedRounding * std::fabs(*lineAtLo) + detail::kNegligibleRatio)
            t = Found(RootOver(residual, lo, Range().highest));
        if (other == Property::WetBulb) {
            t = Polish(
                [&](double trial) {
                    const std::optional<double> W = ratioAt(trial);
                    if (!W || *W < -detail::kNegligibleRatio)
                        throw Refused{kNoState};
                    return WetBulbOf(trial, DryAirToRounding(*W)) - otherValue;
                },
                t, 1e-6);
        }
        const std::optional<double> W = ratioAt(t);
        if (!W || *W < -detail::kNegligibleRatio)
            throw Refused{kNoState};
        return {t, DryAirToRounding(*W)};
    }

    /// W itself, or 0 for dry air that rounding put a hair below 0.
    static double DryAirToRounding(double W) noexcept
    {
        return W < 0.0 && W >= -detail::kNegligibleRatio ? 0.0 : W;
    }

    static double Found(const std::optional<double>& root)
    {
        if (!root)
            throw Refused{kNoState};
        return *root;
    }

    /// The root of f near `start`, by the secant from start and start + step,
    /// to the last bits: where the model's own solver or correlation stands a
    /// hair from the relation the start was found on.
    /// A trial where f has no value (the air would not exist there) ends the
    /// secant at the best point so far; the first step goes the other way.
    template <typename F>
    static double Polish(F&& f, double start, double step)
    {
        const auto tried = [&](double x) -> std::optional<double> {
            try {
                return f(x);
            } catch (const Refused&) {
                return std::nullopt;
            } catch (const PropertyFailure&) {
                return std::nullopt;
            }
        };
        double x0 = start;
        const std::optional<double> atStart = tried(x0);
        if (!atStart)
            throw Refused{kNoState};
        double f0 = *atStart;
        if (f0 == 0.0)
            return x0;
        double x1 = start + step;
        std::optional<double> next = tried(x1);
        if (!next) {
            x1 = start - step;
            next = tried(x1);
        }
        if (!next)
            return x0;
        double f1 = *next;
        for (int pass = 0; pass < kMostPolishes && f1 != 0.0 && f1 != f0; ++pass) {
            const double x2 = x1 - f1 * (x1 - x0) / (f1 - f0);
            if (!std::isfinite(x2) || x2 == x1)
                break;
            const std::optional<double> f2 = tried(x2);
            if (!f2)
                break;
            x0 = x1;
            f0 = f1;
            x1 = x2;
            f1 = *f2;
        }
        return std::fabs(f1) <= std::fabs(f0) ? x1 : x0;
    }

    const PairInput& m_in;
    Relations m_relations;
};

} // namespace

StateResult ComputeStateFromPair(const PairInput& input) noexcept
{
    StateResult result;
    const auto refuse = [&](Property property, std::string_view why, std::optional<Property> with = {}) {
        result.refused = property;
        result.refusedWith = with;
        result.refusal = why;
        return result;
    };
    const Property a = input.given.first;
    const Property b = input.given.second;
    result[a] = detail::Value(input.given.firstValue);
    result[b] = detail::Value(input.given.secondValue);
    if (!IsGivable(a))
        return refuse(a, kNotGivable);
    if (!IsGivable(b))
        return refuse(b, kNotGivable);
    if (a == b)
        return refuse(b, kGivenTwice);
    // The dry bulb with a condition is the state as it always was given.
    for (const auto& [t, other, value] :
         {std::tuple{a, b, input.given.secondValue}, std::tuple{b, a, input.given.firstValue}}) {
        if (t != Property::DryBulb)
            continue;
        for (Condition condition : kConditions) {
            if (ConditionProperty(condition) == other) {
                const double dryBulb = a == Property::DryBulb ? input.given.firstValue : input.given.secondValue;
                return ComputeState(
                    {input.units, dryBulb, input.pressure, condition, value, input.model, input.saturation});
            }
        }
    }
    result[Property::Pressure] = detail::Value(input.pressure);
    for (const auto& [property, value] : {std::pair{Property::Pressure, input.pressure},
                                          std::pair{a, input.given.firstValue}, std::pair{b, input.given.secondValue}}) {
        if (const std::string_view why = detail::ValueRefusal(property, value, input.units, input.pressure);
            !why.empty())
            return refuse(property, why);
    }
    double t = 0.0;
    double W = 0.0;
    try {
        std::tie(t, W) = PairSolver(input).Solve();
    } catch (const Refused& refused) {
        return refuse(a, refused.why, b);
    } catch (...) {
        return refuse(a, kNoState, b);
    }
    // A given wet bulb or dew point a hair above the dry bulb found, by the
    // rounding of saturated air's, is that dry bulb.
    for (const auto& [property, value] : {std::pair{a, input.given.firstValue}, std::pair{b, input.given.secondValue}}) {
        if ((property == Property::WetBulb || property == Property::DewPoint) && value > t &&
            value - t <= kSaturatedRounding * std::max(1.0, std::fabs(t)))
            t = value;
    }
    // Saturated air a hair above saturation by rounding is saturated air.
    W = SaturatedToRounding(Relations(input.units, input.model, input.pressure, input.saturation), t, W);
    result = ComputeState({input.units, t, input.pressure, Condition::HumidityRatio, W, input.model, input.saturation});
    // A given wet bulb or dew point stands in the state: above the dry bulb
    // found (a dew point above a given wet bulb, by a hair) it is no air.
    const auto aboveDryBulb = [&](Property property, double value) {
        return (property == Property::WetBulb || property == Property::DewPoint) && value > t;
    };
    if (!result.refusal.empty() || aboveDryBulb(a, input.given.firstValue) ||
        aboveDryBulb(b, input.given.secondValue)) {
        // Found, but no air (above saturation, below 0, out of the range).
        StateResult none;
        none[a] = detail::Value(input.given.firstValue);
        none[b] = detail::Value(input.given.secondValue);
        none[Property::Pressure] = detail::Value(input.pressure);
        none.refused = a;
        none.refusedWith = b;
        none.refusal = kNoState;
        return none;
    }
    // The given values stand as given.
    result[a] = detail::Value(input.given.firstValue);
    result[b] = detail::Value(input.given.secondValue);
    return result;
}

} // namespace humitrax
