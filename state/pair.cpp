// A state from any two of its properties: the dry bulb and humidity ratio
// that give both, found on the model's relations and polished on its own
// solvers, then the state from them.
#include "humitrax/pair.h"

#include "cells.h"
#include "rules.h"

#include "humitrax/checked.h"
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
/// A residual this small (degrees, or relative to a relative humidity) is a
/// root already: the rounding of the relations themselves.
constexpr double kSettled = 1e-12;
/// Successive points this close (relative) are the root to the last bits.
constexpr double kSettledStep = 1e-14;
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
/// lo has one. Modified regula falsi (Anderson–Björck), halving where an end
/// has no value, until the points tried settle in the last bits. The ends' values
/// are known: f(lo), and f(hi) or nothing where f has none.
template <typename F>
std::optional<double> RootBetween(F&& f, double lo, double atLo, double hi, std::optional<double> atHi,
                                  double settled = kSettledStep)
{
    // The ends' residuals, oriented so that the root's left holds the negative
    // ones; a missing value lies on the right.
    const double sign = atLo > 0.0 ? -1.0 : 1.0;
    const auto g = [&](double t) {
        const std::optional<double> value = f(t);
        return value ? sign * *value : kInfinity;
    };
    double a = lo;
    double ga = sign * atLo;
    double b = hi;
    double gb = atHi ? sign * *atHi : kInfinity;
    if (ga == 0.0)
        return a;
    if (gb < 0.0)
        return std::nullopt; // no sign change: no root in the range
    int side = 0;
    double last = kInfinity;
    for (int pass = 0; pass < kMostPasses; ++pass) {
        double m = std::isfinite(gb) ? (a * gb - b * ga) / (gb - ga) : a + (b - a) / 2.0;
        if (!(m > a && m < b))
            m = a + (b - a) / 2.0;
        if (m == a || m == b)
            break;
        const double gm = g(m);
        // Settled: the points tried no longer move beyond the last bits, a
        // sign change on either side (not the edge of where f has values).
        if (gm == 0.0 || (std::isfinite(gm) && std::isfinite(gb) &&
                          std::fabs(m - last) <= settled * std::max(1.0, std::fabs(m))))
            return m;
        last = m;
        // The end kept a second time has its value scaled down, as Anderson
        // and Björck scale it (by half where their factor is not positive),
        // so that the regula falsi does not creep from one side.
        if (gm < 0.0) {
            if (side < 0) {
                const double factor = 1.0 - gm / ga;
                gb *= factor > 0.0 ? factor : 0.5;
            }
            a = m;
            ga = gm;
            side = -1;
        } else {
            if (side > 0 && std::isfinite(gb)) {
                const double factor = 1.0 - gm / gb;
                ga *= factor > 0.0 ? factor : 0.5;
            } else if (side > 0) {
                ga /= 2.0;
            }
            b = m;
            gb = gm;
            side = 1;
        }
    }
    // A bracket whose far end never had a value closed on the edge of the
    // values, not on a root.
    if (!std::isfinite(gb))
        return std::nullopt;
    return std::fabs(ga) <= std::fabs(gb) ? a : b;
}

/// The root of f over [lo, hi], by secant steps up from lo (f(lo) = atLo,
/// the first step `step`) while f keeps its sign at lo, then as RootBetween
/// finds it in the bracket a step closes: from so near a start the secant
/// settles in a few passes where the regula falsi over the whole range would
/// be held back by the curvature of the saturation pressure. The points tried
/// settle within `settled` relative: the last bits, or looser where a polish
/// on the model's own relation follows.
template <typename F>
std::optional<double> RootAboveFrom(F&& f, double lo, double atLo, double hi, double step,
                                    double settled = kSettledStep)
{
    if (atLo == 0.0)
        return lo;
    double a = lo;
    double atA = atLo;
    double b = std::min(hi, lo + step);
    for (int pass = 0; pass < kMostPasses && a < hi; ++pass) {
        const std::optional<double> atB = f(b);
        if (!atB || *atB == 0.0 || (*atB > 0.0) != (atLo > 0.0))
            return RootBetween(f, a, atA, b, atB, settled);
        // On to where the chord through the last two points meets 0: the
        // secant, which settles in a few passes on a curve this smooth; where
        // the chord does not lead on, twice the last step.
        const double chord = (b - a) * *atB / (atA - *atB);
        if (chord > 0.0 && chord <= settled * std::max(1.0, std::fabs(b)))
            return b;
        const double next = chord > 0.0 && std::isfinite(chord) ? b + chord : b + 2.0 * (b - a);
        a = b;
        atA = *atB;
        b = std::min(hi, next);
    }
    return std::nullopt;
}

/// RootAboveFrom lo, where f has its value first taken.
template <typename F>
std::optional<double> RootAbove(F&& f, double lo, double hi, double step, double settled = kSettledStep)
{
    const std::optional<double> atLo = f(lo);
    return atLo ? RootAboveFrom(f, lo, *atLo, hi, step, settled) : std::nullopt;
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

    /// The model's dew point of air with humidity ratio W: the state's own cell.
    double DewPointOf(double W) const
    {
        if (m_in.model == Model::Calculator)
            return DewPoint(0.0, m_in.pressure, kHumidityRatioGiven, W, m_relations.si() ? 1 : 0).AsNumber();
        return ashrae2017::DewPoint(m_relations.VapourPressure(W), m_relations.si(), m_in.saturation);
    }

    /// The model's wet bulb of air at (t, W): the state's own cell, by the
    /// function that forms it (at most the dry bulb, as the state holds it),
    /// without the rest of the state. W a hair above saturation is saturated
    /// air, unless the caller knows that it lies well below
    /// (`nearSaturation` false).
    double WetBulbOf(double t, double W, bool nearSaturation = true) const
    {
        if (nearSaturation)
            W = SaturatedToRounding(m_relations, t, W);
        double wetBulb = 0.0;
        try {
            if (m_in.model == Model::Calculator) {
                const PropertyResult result = WetBulb(t, m_in.pressure, kHumidityRatioGiven, W, m_relations.si() ? 1 : 0);
                if (!result.isNumber())
                    throw Refused{kNoState};
                wetBulb = result.AsNumber();
            } else {
                wetBulb = ashrae2017::WetBulb(t, W, m_in.pressure, m_relations.si(), std::nullopt, m_in.saturation);
            }
        } catch (const PropertyFailure&) {
            throw Refused{kNoState};
        }
        return std::min(wetBulb, t);
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
        return Polish([&](double W) { return DewPointOf(W) - value; }, start, start * 1e-7 + 1e-12, kSettled);
    }

    /// The dry bulb at which air of humidity ratio W has the property's value.
    double DryBulbAt(Property property, double value, double W)
    {
        switch (property) {
        case Property::Enthalpy: return m_relations.DryBulb(value, W);
        case Property::SpecificVolume: return Linear([&](double t) { return m_relations.Volume(t, W); }, value);
        case Property::RelativeHumidity:
            // Dry air's relative humidity is 0 at every dry bulb, and only
            // dry air's is.
            if (W == 0.0 || value == 0.0)
                throw Refused{W == 0.0 && value == 0.0 ? kSameMoisture : kNoState};
        {
            const auto miss = [&](double t) -> std::optional<double> {
                try {
                    return m_relations.RelativeHumidity(t, W) * 100.0 - value;
                } catch (const PropertyFailure&) {
                    return std::nullopt;
                }
            };
            // φ = pw/pws(t) (under the calculator's relations too, but for
            // their rounding): the temperature whose saturation pressure is
            // pw/φ, then the secant on the model's own relative humidity.
            const double pw = m_relations.VapourPressure(W);
            if (const std::optional<double> start = SaturationTemperature(pw * 100.0 / value)) {
                const double t = Polish([&](double trial) { return Found(miss(trial)); }, *start, 1e-6,
                                        kSettled * value);
                const std::optional<double> left = miss(t);
                if (left && std::fabs(*left) <= kSettled * value)
                    return t;
            }
            return Found(RootAbove(miss, Range().lowest, Range().highest, StepOf(1.0)));
        }
        case Property::WetBulb: {
            // Saturated air (to rounding): the dry bulb is the wet bulb.
            if (W >= m_relations.RatioAtWetBulb(value, value) * (1.0 - kSaturatedRounding))
                return value;
            // The wet-bulb relation's W falls as the dry bulb rises from the
            // wet bulb; then the model's own wet bulb, polished.
            const double start = Found(RootAbove(
                [&](double t) -> std::optional<double> {
                    try {
                        return m_relations.RatioAtWetBulb(t, value) - W;
                    } catch (const PropertyFailure&) {
                        return std::nullopt;
                    }
                },
                value, Range().highest, StepOf(1.0), SettledBeforePolish()));
            int trials = 0;
            return Polish([&](double t) { return WetBulbAt(t, W, true, ++trials) - value; }, start, 1e-6, kSettled);
        }
        default: break;
        }
        throw Refused{kNoState};
    }

    /// Along the line of `line` (relative humidity, enthalpy or volume), the
    /// dry bulb where `other` holds (its relation first; a wet bulb then
    /// polished on the model's own), and the humidity ratio there.
    std::pair<double, double> AlongLine(Property line, double lineValue, Property other, double otherValue)
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
        // How far from `other` the air at t on the line (humidity ratio W) is.
        const auto residualWith = [&](double t, double W) -> std::optional<double> {
            try {
                switch (other) {
                case Property::WetBulb: return m_relations.RatioAtWetBulb(t, otherValue) - W;
                case Property::Enthalpy: return m_relations.Enthalpy(t, W) - otherValue;
                case Property::SpecificVolume: return m_relations.Volume(t, W) - otherValue;
                default: break;
                }
            } catch (const PropertyFailure&) {
            }
            return std::nullopt;
        };
        const auto residual = [&](double t) -> std::optional<double> {
            const std::optional<double> W = ratioAt(t);
            return W ? residualWith(t, *W) : std::nullopt;
        };
        const double lo = other == Property::WetBulb ? std::max(otherValue, Range().lowest) : Range().lowest;
        double t = lo;
        // Saturated air (to rounding) has its wet bulb for its dry bulb.
        const std::optional<double> lineAtLo = ratioAt(lo);
        const std::optional<double> atLo =
            other == Property::WetBulb && lineAtLo ? residualWith(lo, *lineAtLo) : std::nullopt;
        if (!atLo || !lineAtLo || std::fabs(*atLo) > kSaturatedRounding * std::fabs(*lineAtLo) + detail::kNegligibleRatio)
            t = Found(atLo ? RootAboveFrom(residual, lo, *atLo, Range().highest, StepOf(1.0), SettledBeforePolish())
                           : RootAbove(residual, lo, Range().highest, StepOf(1.0)));
        if (other == Property::WetBulb) {
            const bool wellBelowSaturation = line == Property::RelativeHumidity && lineValue < 99.9;
            int trials = 0;
            t = Polish(
                [&](double trial) {
                    const std::optional<double> W = ratioAt(trial);
                    if (!W || *W < -detail::kNegligibleRatio)
                        throw Refused{kNoState};
                    return WetBulbAt(trial, DryAirToRounding(*W), !wellBelowSaturation, ++trials) - otherValue;
                },
                t, 1e-6, kSettled);
        }
        const std::optional<double> W = ratioAt(t);
        if (!W || *W < -detail::kNegligibleRatio)
            throw Refused{kNoState};
        return {t, DryAirToRounding(*W)};
    }

    /// How near a root of the wet-bulb relation need settle before its polish
    /// on the model's own wet bulb: the calculator's always needs polishing
    /// (its solver stops a hair from the relation), so its search may stop
    /// once its points move by 1e-5 (the root is then far closer than that,
    /// and the polish takes as many steps from there); the 2017 wet bulb
    /// agrees with the relation's root to the last bits, which then makes the
    /// polish's first point its last.
    [[nodiscard]] double SettledBeforePolish() const noexcept
    {
        return m_in.model == Model::Calculator ? 1e-5 : kSettledStep;
    }

    /// `kelvins` in the unit system's degrees.
    [[nodiscard]] double StepOf(double kelvins) const noexcept { return m_relations.si() ? kelvins : kelvins * 1.8; }

    /// The temperature whose saturation pressure is pws, by the 2017
    /// relations (the calculator's lie within a few hundredths of a degree),
    /// or nothing beyond the range.
    [[nodiscard]] std::optional<double> SaturationTemperature(double pws) const noexcept
    {
        if (!(pws > 0.0) || !std::isfinite(pws))
            return std::nullopt;
        try {
            const double t = ashrae2017::DewPoint(
                pws, m_relations.si(), m_in.model == Model::Ashrae2017 ? m_in.saturation : Saturation::IceBelowFreezing);
            return Range().Contains(t) ? std::optional<double>(t) : std::nullopt;
        } catch (...) {
            return std::nullopt;
        }
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
    /// hair from the relation the start was found on. A point whose residual
    /// is within `tolerance` is the root.
    /// A trial where f has no value (the air would not exist there) ends the
    /// secant at the best point so far; the first step goes the other way.
    template <typename F>
    static double Polish(F&& f, double start, double step, double tolerance = 0.0)
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
        if (std::fabs(f0) <= tolerance)
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
            // A step within the last bits: there, a solver's stopping rule
            // makes f a staircase that the secant would only walk along.
            if (!std::isfinite(x2) || std::fabs(x2 - x1) <= kSettledStep * std::max(std::fabs(x1), std::fabs(step)))
                break;
            const std::optional<double> f2 = tried(x2);
            if (!f2)
                break;
            if (std::fabs(*f2) <= tolerance)
                return x2;
            x0 = x1;
            f0 = f1;
            x1 = x2;
            f1 = *f2;
        }
        return std::fabs(f1) <= std::fabs(f0) ? x1 : x0;
    }

    /// The model's wet bulb at (t, W) for the polish's trial `trial`: its
    /// first two (the start and the slope's) by the wet bulb alone, later ones
    /// (where the polish ends, as a rule on its third) from the whole state,
    /// which is kept so that the answer need not compute it again.
    double WetBulbAt(double t, double W, bool nearSaturation, int trial)
    {
        if (trial <= 2)
            return WetBulbOf(t, W, nearSaturation);
        W = SaturatedToRounding(m_relations, t, W);
        StateResult state = ComputeState(
            {m_in.units, t, m_in.pressure, Condition::HumidityRatio, W, m_in.model, m_in.saturation});
        const Cell& wetBulb = state[Property::WetBulb];
        if (!state.refusal.empty() || !wetBulb.present)
            throw Refused{kNoState};
        const double value = wetBulb.value;
        m_kept = Kept{t, W, std::move(state)};
        return value;
    }

    /// A state computed whole on the way, by its dry bulb and humidity ratio.
    struct Kept {
        double t;
        double W;
        StateResult state;
    };

public:
    /// The state at (t, W) if the solver computed it on the way, or nothing.
    std::optional<StateResult> KeptAt(double t, double W) && noexcept
    {
        if (m_kept && m_kept->t == t && m_kept->W == W)
            return std::move(m_kept->state);
        return std::nullopt;
    }

private:
    const PairInput& m_in;
    Relations m_relations;
    std::optional<Kept> m_kept;
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
    PairSolver solver(input);
    try {
        std::tie(t, W) = solver.Solve();
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
    if (std::optional<StateResult> kept = std::move(solver).KeptAt(t, W))
        result = std::move(*kept);
    else
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
