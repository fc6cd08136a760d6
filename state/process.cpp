// Air-conditioning processes: each finds its leaving state by the dry-air,
// water and energy balances under the model's own relations, then computes
// that state like any other.
#include "humitrax/process.h"

#include "humitrax/checked.h"
#include "humitrax/constants.h"
#include "humitrax/pair.h"
#include "humitrax/relations.h"

#include <array>
#include <cmath>
#include <optional>
#include <utility>

namespace humitrax {
namespace {

constexpr double kPercent = 100.0;

/// How far above saturation a computed leaving state may lie and still be
/// saturated air: the rounding of a dry bulb recovered from its enthalpy.
constexpr double kSaturationRounding = 1e-12;

/// How far below the entering air's a relative humidity target may lie and
/// still be the entering air's own.
constexpr double kTargetRounding = 1e-12;

constexpr double kCubicMetresPerCubicFoot = kMetresPerFoot * kMetresPerFoot * kMetresPerFoot;
constexpr double kSecondsPerMinute = 60.0;
constexpr double kSecondsPerHour = 3600.0;

/// Tried temperatures while seeking the apparatus dew point: fine enough that
/// a line cannot cross saturation twice between two of them unnoticed.
constexpr double kAdpStepSI = 0.05;
constexpr double kAdpStepInchPound = 0.09;

constexpr int kMostHalvings = 2000;
constexpr int kMostSteps = 6000;

/// Steps of the vapour pressure along a humidifier's path, from the entering
/// air's to the barometric pressure.
constexpr int kPathSteps = 1024;

/// How close (as a fraction) a humidifier's leaving relative humidity lies to
/// its target: the halving meets it to the last bit; the leaving state,
/// computed afresh, may differ in the last bits of its own relations.
constexpr double kTargetTolerance = 1e-9;

// Refusals, in a user's words.
constexpr std::string_view kAirCannotExist = "the air cannot exist";
constexpr std::string_view kNegativeFlow = "a flow below 0";
constexpr std::string_view kFlowNotFinite = "a flow that is not a finite number";
constexpr std::string_view kNoAir = "no air flows: both flows are 0";
constexpr std::string_view kFog = "the mixed air would be above saturation: the streams would form fog";
constexpr std::string_view kHeatingLowers = "heating cannot lower the dry bulb: the leaving dry bulb lies "
                                            "below the entering one";
constexpr std::string_view kCoolingRaises = "cooling cannot raise the dry bulb: the leaving dry bulb lies "
                                            "above the entering one";
constexpr std::string_view kBelowDewPoint = "the leaving dry bulb lies below the entering dew point: the air "
                                            "would condense; a cooling and dehumidifying coil (process coil) "
                                            "does that";
constexpr std::string_view kNotFinite = "a value that is not a finite number";
constexpr std::string_view kBypassRange = "a bypass factor outside 0 to 1";
constexpr std::string_view kAdpAboveDewPoint = "the apparatus dew point lies above the entering dew point: "
                                               "the coil would not dehumidify";
constexpr std::string_view kCoilFog = "the leaving air would be above saturation: fog in the coil";
constexpr std::string_view kCoilAddsWater = "the leaving humidity ratio lies above the entering one: a "
                                            "cooling coil cannot add water";
constexpr std::string_view kCoilHeats = "the leaving dry bulb lies above the entering one: a cooling coil "
                                        "cannot raise it";
constexpr std::string_view kNoApparatusDewPoint = "the line from the entering through the leaving state "
                                                  "never meets saturation: no apparatus dew point makes it";
constexpr std::string_view kFrozen = "the entering wet bulb lies below freezing: the humidifier's water "
                                     "would freeze";
constexpr std::string_view kDrying = "the target lies below the entering air's: a humidifier cannot dry "
                                     "air";
constexpr std::string_view kAboveSaturation = "the target lies above saturation";
constexpr std::string_view kHumidifierFog = "the leaving air would be above saturation: the humidifier "
                                            "would form fog";
constexpr std::string_view kEffectivenessRange = "an effectiveness outside 0 to 1";
constexpr std::string_view kSteamEffectiveness = "an effectiveness is for an adiabatic humidifier, not "
                                                 "steam";
constexpr std::string_view kNeverSaturates = "the humidifier's line never meets saturation";
constexpr std::string_view kTargetOffPath = "the relative humidity never reaches the target along the humidifier's "
                                            "path: the steam warms the air faster than it raises its relative "
                                            "humidity";
constexpr std::string_view kSteamAboveRangeSI = "steam above 200 °C, the highest temperature the relations cover";
constexpr std::string_view kSteamAboveRangeInchPound = "steam above 392 °F, the highest temperature the relations "
                                                       "cover";
constexpr std::string_view kSteamBelowBoiling = "steam below its boiling point at the air's pressure: the water "
                                                "would be liquid (evaporating water is an adiabatic humidifier's "
                                                "work)";

/// A refusal on its way to the result.
struct Refusal {
    std::string_view why;
    ProcessPart part;
};


Relations RelationsOf(const ProcessBasis& basis) noexcept
{
    return {basis.units, basis.model, basis.pressure, basis.saturation};
}

/// A given state of the process, by the one solver of two given properties.
StateResult Given(const Relations& relations, const AirState& state) noexcept
{
    return ComputeStateFromPair(
        {relations.units(), relations.model(), relations.saturation(), relations.pressure(), state});
}

StateInput At(const Relations& relations, double t, double W) noexcept
{
    return {relations.units(), t, relations.pressure(), Condition::HumidityRatio, W, relations.model(),
            relations.saturation()};
}

/// The temperature at or below `upper` at which air with humidity ratio W
/// saturates (Ws(T) = W), by halving; the lowest temperature when even that
/// saturates below W.
double SaturationTemperature(const Relations& relations, double W, double upper)
{
    double low = relations.range().lowest;
    double high = upper;
    if (relations.SaturationRatio(low) >= W)
        return low;
    for (int i = 0; i < kMostHalvings; ++i) {
        const double middle = low + (high - low) / 2.0;
        if (middle == low || middle == high)
            break;
        (relations.SaturationRatio(middle) < W ? low : high) = middle;
    }
    return high;
}

/// One state's dry bulb, humidity ratio and enthalpy.
struct Point {
    double t;
    double W;
    double h;
};

double Need(const StateResult& state, Property property, ProcessPart part)
{
    if (state.refusal.empty() && state[property].present)
        return state[property].value;
    throw Refusal{state.refusal.empty() ? kMissingProperty : kAirCannotExist, part};
}

Point PointOf(const StateResult& state, ProcessPart part)
{
    return {Need(state, Property::DryBulb, part), Need(state, Property::HumidityRatio, part),
            Need(state, Property::Enthalpy, part)};
}

/// The dry-air flow of a stream in the process's units.
double StreamFlow(const Flow& flow, Units units, const StateResult& state, ProcessPart part)
{
    if (!std::isfinite(flow.value))
        throw Refusal{kFlowNotFinite, part};
    if (flow.value < 0.0)
        throw Refusal{kNegativeFlow, part};
    const bool byVolume = flow.unit != FlowUnit::KilogramsPerSecond && flow.unit != FlowUnit::PoundsPerMinute;
    const double volume = byVolume ? Need(state, Property::SpecificVolume, part) : 0.0;
    return Checked(DryAirFlow(flow, units, volume));
}

/// The entering stream of a one-stream process: its state (kept in the
/// result), its point and its dry-air flow.
struct Stream {
    Point in;
    double m;
};

template <class Input>
Stream Enter(const Relations& relations, const Input& input, ProcessResult& result)
{
    result.entering = Given(relations, input.entering);
    const Point in = PointOf(result.entering, ProcessPart::Entering);
    return {in, StreamFlow(input.flow, input.basis.units, result.entering, ProcessPart::Entering)};
}

/// The state at (t, W), W taken down onto saturation when it lies above it by
/// no more than rounding; refused with `aboveSaturation` when further.
StateResult LeavingState(const Relations& relations, double t, double W, std::string_view aboveSaturation)
{
    const double saturated = relations.SaturationRatio(t);
    if (W > saturated) {
        if (W - saturated > kSaturationRounding * std::fabs(saturated))
            throw Refusal{aboveSaturation, ProcessPart::Leaving};
        W = saturated;
    }
    StateResult state = ComputeState(At(relations, t, W));
    if (!state.refusal.empty())
        throw Refusal{kAirCannotExist, ProcessPart::Leaving};
    return state;
}

/// The loads of one stream of dry-air flow m from `in` to `out`, with `water`
/// (flow) at enthalpy `waterEnthalpy` added; heat by the energy balance.
void SetLoads(ProcessResult& result, const Relations& relations, Units units, double m, const Point& in,
              const Point& out, double water, double waterEnthalpy)
{
    const double F = EnergyFlowFactor(units);
    const double atEnteringRatio = relations.Enthalpy(out.t, in.W);
    result.enteringDryAirFlow = m;
    result.dryAirFlow = m;
    // A flow too large for its loads to be numbers overflows here, refused like
    // any other failure rather than reported as a load without a value.
    result.sensible = Checked(F * (m * (atEnteringRatio - in.h)));
    result.latent = Checked(F * (m * (out.h - atEnteringRatio)));
    const double airSide = Checked(result.sensible + result.latent);
    result.sensibleHeatRatio = airSide == 0.0 ? ProcessResult::kNone : Checked(result.sensible / airSide);
    result.water = water;
    result.waterEnthalpy = waterEnthalpy;
    result.heat = Checked(F * Checked(Checked(m * (out.h - in.h)) - Checked(water * waterEnthalpy)));
    if (units == Units::InchPound)
        result.tons = result.heat / kBtuPerHourPerTon;
}

/// Runs a process, turning its refusals and failures into the result's.
template <typename Body>
ProcessResult Run(Body&& body) noexcept
{
    ProcessResult result;
    try {
        body(result);
    } catch (const Refusal& refusal) {
        result.refusal = refusal.why;
        result.refusedPart = refusal.part;
    } catch (const PropertyFailure& failure) {
        result.refusal = CausePhrase(failure.cause());
        result.refusedPart = ProcessPart::Process;
    } catch (...) {
        result.refusal = kMissingProperty;
        result.refusedPart = ProcessPart::Process;
    }
    return result;
}

/// Narrows [below, atOrAbove] onto the root of f, where f(below) < 0 ≤
/// f(atOrAbove) (the ends in either order), to the last bit: a pair of
/// neighbouring doubles between which f changes sign (where rounding makes f
/// change sign more than once within a few ulps, any of them).
/// Each step is a secant through the ends (its stale end's value halved when
/// the same end moves twice, as in the Illinois method), a halving where the
/// secant leaves the bracket or the bracket did not halve in two steps.
template <typename Function>
std::pair<double, double> Halve(Function&& f, double below, double atOrAbove)
{
    double fBelow = f(below);
    double fAbove = f(atOrAbove);
    int side = 0; // which end moved last: -1 below, +1 above
    double older = std::numeric_limits<double>::infinity(); // the width two steps ago
    double old = older;                                     // and one step ago
    for (int i = 0; i < kMostHalvings; ++i) {
        const double middle = below + (atOrAbove - below) / 2.0;
        if (middle == below || middle == atOrAbove)
            break;
        const double width = std::fabs(atOrAbove - below);
        double next = middle;
        if (width <= older / 2.0 && std::isfinite(fBelow) && std::isfinite(fAbove) && fAbove != fBelow) {
            const double secant = below - fBelow * (atOrAbove - below) / (fAbove - fBelow);
            if ((secant - below) * (secant - atOrAbove) < 0.0)
                next = secant;
        }
        older = old;
        old = width;
        const double value = f(next);
        if (value < 0.0) {
            below = next;
            fBelow = value;
            if (side == -1)
                fAbove /= 2.0;
            side = -1;
        } else {
            atOrAbove = next;
            fAbove = value;
            if (side == 1)
                fBelow /= 2.0;
            side = 1;
        }
    }
    return {below, atOrAbove};
}

ProcessResult Sensible(const SensibleInput& input, bool heating) noexcept
{
    return Run([&](ProcessResult& result) {
        const Relations relations = RelationsOf(input.basis);
        const auto [in, m] = Enter(relations, input, result);
        const double t = input.leavingDryBulb;
        if (!std::isfinite(t))
            throw Refusal{kNotFinite, ProcessPart::Process};
        if (heating && t < in.t)
            throw Refusal{kHeatingLowers, ProcessPart::Process};
        if (!heating && t > in.t)
            throw Refusal{kCoolingRaises, ProcessPart::Process};
        result.leaving = LeavingState(relations, t, in.W, kBelowDewPoint);
        SetLoads(result, relations, input.basis.units, m, in, PointOf(result.leaving, ProcessPart::Leaving),
                 0.0, 0.0);
    });
}

/// The apparatus dew point of a coil that takes `in` to `out`: the highest
/// temperature T at or below out's saturation temperature whose saturated
/// state lies on the line through both (in W and h).
double ApparatusDewPoint(const Relations& relations, const Point& in, const Point& out)
{
    const double dh = in.h - out.h;
    const double dW = in.W - out.W;
    // Zero where the saturated state at T lies on the line; not negative just
    // below the leaving state's saturation temperature.
    const auto offLine = [&](double T) {
        const double saturated = relations.SaturationRatio(T);
        return (saturated - out.W) * dh - (relations.Enthalpy(T, saturated) - out.h) * dW;
    };
    const double start = SaturationTemperature(relations, out.W, out.t);
    if (offLine(start) <= 0.0)
        return start;
    const double step = relations.si() ? kAdpStepSI : kAdpStepInchPound;
    double above = start;
    for (int i = 1; i <= kMostSteps; ++i) {
        const double below = std::fmax(start - step * i, relations.range().lowest);
        if (offLine(below) < 0.0)
            return Halve(offLine, below, above).second;
        if (below == relations.range().lowest)
            break;
        above = below;
    }
    throw Refusal{kNoApparatusDewPoint, ProcessPart::Leaving};
}

/// The air a humidifier makes from `in` as it takes up water (or steam) of
/// enthalpy `added` per unit mass: h = in.h + (W − in.W)·added, its dry bulb
/// from h and W. Along it the dry bulb moves monotonically towards the
/// water's own temperature, where the vapour term of the enthalpy equals
/// `added`.
struct HumidifierPath {
    const Relations& relations;
    Point in;
    double vapourPressure; ///< of the entering air
    double added;

    [[nodiscard]] double DryBulb(double W) const { return relations.DryBulb(in.h + (W - in.W) * added, W); }
    [[nodiscard]] double RelativeHumidity(double W) const { return relations.RelativeHumidity(DryBulb(W), W); }

    /// The least humidity ratio along the path at which the relative humidity
    /// reaches `fraction`, to the last bit: the end at or above it (`atOrAbove`)
    /// or just below it. Nothing when the relative humidity never gets there
    /// before the path leaves the range: hot steam can warm the air faster than
    /// it raises its relative humidity, which then rises to a peak and falls.
    [[nodiscard]] std::optional<double> Reaching(double fraction, bool atOrAbove) const
    {
        const auto excess = [&](double W) { return RelativeHumidity(W) - fraction; };
        if (excess(in.W) >= 0.0)
            return in.W;
        // The path is walked in even steps of the vapour pressure, from the
        // entering air's up to the barometric pressure, which no air reaches:
        // it covers every humidity ratio in a bounded number of steps, finest
        // where air is found. The first step where the target is reached is
        // halved down to its crossing.
        const double p = relations.pressure();
        double below = in.W;
        for (int k = 1; k < kPathSteps; ++k) {
            const double W = relations.RatioAtVapourPressure(vapourPressure + (p - vapourPressure) * k / kPathSteps);
            double miss = 0.0;
            try {
                miss = excess(W);
            } catch (const PropertyFailure&) {
                return std::nullopt; // the dry bulb has left the range
            }
            if (miss >= 0.0) {
                const auto [under, over] = Halve(excess, below, W);
                return atOrAbove ? over : under;
            }
            below = W;
        }
        return std::nullopt;
    }
};

/// Why steam at t cannot humidify air at the process's pressure, or nothing:
/// the relations hold it up to the top of their range, and steam that flows
/// into the air at its pressure is at or above its boiling point there;
/// below it, the water would be liquid.
std::string_view SteamRefusal(const Relations& relations, double t)
{
    if (!std::isfinite(t))
        return kNotFinite;
    if (t > relations.range().highest)
        return relations.si() ? kSteamAboveRangeSI : kSteamAboveRangeInchPound;
    const std::optional<double> boiling = relations.BoilingPoint();
    if (!boiling || t < *boiling)
        return kSteamBelowBoiling;
    return {};
}

} // namespace

std::string_view FlowUnitName(FlowUnit unit) noexcept
{
    switch (unit) {
    case FlowUnit::KilogramsPerSecond: return "kg/s";
    case FlowUnit::PoundsPerMinute: return "lb/min";
    case FlowUnit::CubicMetresPerSecond: return "m3/s";
    case FlowUnit::CubicMetresPerHour: return "m3/h";
    case FlowUnit::CubicFeetPerMinute: return "cfm";
    }
    return "";
}

std::optional<FlowUnit> FlowUnitFromName(std::string_view name) noexcept
{
    for (FlowUnit unit : {FlowUnit::KilogramsPerSecond, FlowUnit::PoundsPerMinute, FlowUnit::CubicMetresPerSecond,
                          FlowUnit::CubicMetresPerHour, FlowUnit::CubicFeetPerMinute}) {
        if (name == FlowUnitName(unit))
            return unit;
    }
    return std::nullopt;
}

std::string_view MassFlowUnit(Units units) noexcept { return units == Units::SI ? "kg/s" : "lb/min"; }

std::string_view EnergyFlowUnit(Units units) noexcept { return units == Units::SI ? "kW" : "Btu/h"; }

double DryAirFlow(const Flow& flow, Units units, double volume) noexcept
{
    const bool si = units == Units::SI;
    // Volume flows in m³/s (SI) or ft³/min (inch-pound) first.
    double volumeFlow = 0.0;
    switch (flow.unit) {
    case FlowUnit::KilogramsPerSecond:
        return si ? flow.value : flow.value / kKilogramsPerPound * kSecondsPerMinute;
    case FlowUnit::PoundsPerMinute:
        return si ? flow.value * kKilogramsPerPound / kSecondsPerMinute : flow.value;
    case FlowUnit::CubicMetresPerSecond:
        volumeFlow = si ? flow.value : flow.value / kCubicMetresPerCubicFoot * kSecondsPerMinute;
        break;
    case FlowUnit::CubicMetresPerHour:
        volumeFlow = si ? flow.value / kSecondsPerHour
                        : flow.value / kCubicMetresPerCubicFoot / (kSecondsPerHour / kSecondsPerMinute);
        break;
    case FlowUnit::CubicFeetPerMinute:
        volumeFlow = si ? flow.value * kCubicMetresPerCubicFoot / kSecondsPerMinute : flow.value;
        break;
    }
    return volumeFlow / volume;
}

ProcessResult Mix(const MixInput& input) noexcept
{
    return Run([&](ProcessResult& result) {
        const Relations relations = RelationsOf(input.basis);
        const Units units = input.basis.units;
        result.entering = Given(relations, input.first);
        result.second = Given(relations, input.second);
        const Point a = PointOf(result.entering, ProcessPart::Entering);
        const Point b = PointOf(result.second, ProcessPart::Second);
        const double ma = StreamFlow(input.firstFlow, units, result.entering, ProcessPart::Entering);
        const double mb = StreamFlow(input.secondFlow, units, result.second, ProcessPart::Second);
        const double m = Checked(ma + mb);
        if (m == 0.0)
            throw Refusal{kNoAir, ProcessPart::Process};
        const double W = Checked((ma * a.W + mb * b.W) / m);
        const double h = Checked((ma * a.h + mb * b.h) / m);
        result.leaving = LeavingState(relations, relations.DryBulb(h, W), W, kFog);
        result.enteringDryAirFlow = ma;
        result.secondDryAirFlow = mb;
        result.dryAirFlow = m;
        result.heat = 0.0;
        result.water = 0.0;
    });
}

ProcessResult Heat(const SensibleInput& input) noexcept { return Sensible(input, true); }

ProcessResult Cool(const SensibleInput& input) noexcept { return Sensible(input, false); }

ProcessResult Coil(const CoilInput& input) noexcept
{
    return Run([&](ProcessResult& result) {
        const Relations relations = RelationsOf(input.basis);
        const auto [in, m] = Enter(relations, input, result);
        if (input.mode == CoilMode::ApparatusDewPoint) {
            const double adp = input.apparatusDewPoint;
            const double bf = input.bypassFactor;
            if (!std::isfinite(adp) || !std::isfinite(bf))
                throw Refusal{kNotFinite, ProcessPart::Process};
            if (bf < 0.0 || bf > 1.0)
                throw Refusal{kBypassRange, ProcessPart::Process};
            const double Wadp = relations.SaturationRatio(adp);
            if (Wadp > in.W)
                throw Refusal{kAdpAboveDewPoint, ProcessPart::Process};
            const double hadp = relations.Enthalpy(adp, Wadp);
            const double W = Checked(Wadp + bf * (in.W - Wadp));
            const double h = Checked(hadp + bf * (in.h - hadp));
            result.leaving = LeavingState(relations, relations.DryBulb(h, W), W, kCoilFog);
            result.apparatusDewPoint = adp;
            result.bypassFactor = bf;
        } else {
            result.leaving = Given(relations, input.leaving);
            const Point out = PointOf(result.leaving, ProcessPart::Leaving);
            if (out.W > in.W)
                throw Refusal{kCoilAddsWater, ProcessPart::Leaving};
            if (out.t > in.t)
                throw Refusal{kCoilHeats, ProcessPart::Leaving};
            if (out.W == in.W && out.h == in.h) {
                result.bypassFactor = 1.0; // the coil changes nothing: no line, no apparatus dew point
            } else {
                const double adp = ApparatusDewPoint(relations, in, out);
                const double hadp = relations.Enthalpy(adp, relations.SaturationRatio(adp));
                result.apparatusDewPoint = adp;
                result.bypassFactor = Checked((out.h - hadp) / (in.h - hadp));
            }
        }
        const Point out = PointOf(result.leaving, ProcessPart::Leaving);
        result.waterTemperature = Need(result.leaving, Property::DewPoint, ProcessPart::Leaving);
        SetLoads(result, relations, input.basis.units, m, in, out, Checked(m * (out.W - in.W)),
                 relations.LiquidEnthalpy(result.waterTemperature));
    });
}

ProcessResult Humidify(const HumidifyInput& input) noexcept
{
    return Run([&](ProcessResult& result) {
        const Relations relations = RelationsOf(input.basis);
        const auto [in, m] = Enter(relations, input, result);
        const bool steam = input.humidifier == Humidifier::Steam;
        double waterTemperature = 0.0;
        if (steam) {
            waterTemperature = input.steamTemperature;
            if (const std::string_view why = SteamRefusal(relations, waterTemperature); !why.empty())
                throw Refusal{why, ProcessPart::Process};
        } else {
            waterTemperature = Need(result.entering, Property::WetBulb, ProcessPart::Entering);
            if (waterTemperature < relations.Freezing())
                throw Refusal{kFrozen, ProcessPart::Entering};
        }
        const double added = steam ? relations.VapourEnthalpy(waterTemperature)
                                   : relations.LiquidEnthalpy(waterTemperature);
        const HumidifierPath path{relations, in, Need(result.entering, Property::VapourPressure, ProcessPart::Entering),
                                  added};

        const double target = input.targetValue;
        if (!std::isfinite(target))
            throw Refusal{kNotFinite, ProcessPart::Process};
        double W = in.W;
        switch (input.target) {
        case HumidifyTarget::HumidityRatio: {
            if (target < in.W)
                throw Refusal{kDrying, ProcessPart::Process};
            // Air past the first saturation on the way is fog, even where the
            // path comes out of it again further on.
            const std::optional<double> saturated = path.Reaching(1.0, false);
            if (saturated && target > *saturated)
                throw Refusal{kHumidifierFog, ProcessPart::Leaving};
            W = target;
            break;
        }
        case HumidifyTarget::RelativeHumidity: {
            const double phi = target / kPercent;
            if (phi > 1.0)
                throw Refusal{kAboveSaturation, ProcessPart::Process};
            // The entering air's own relative humidity, recomputed, may differ in the last bits.
            if (phi < relations.RelativeHumidity(in.t, in.W) * (1.0 - kTargetRounding))
                throw Refusal{kDrying, ProcessPart::Process};
            const std::optional<double> reached = path.Reaching(phi, true);
            if (!reached)
                throw Refusal{kTargetOffPath, ProcessPart::Process};
            W = *reached;
            break;
        }
        case HumidifyTarget::Effectiveness: {
            if (steam)
                throw Refusal{kSteamEffectiveness, ProcessPart::Process};
            if (target < 0.0 || target > 1.0)
                throw Refusal{kEffectivenessRange, ProcessPart::Process};
            const std::optional<double> saturated = path.Reaching(1.0, false);
            if (!saturated)
                throw Refusal{kNeverSaturates, ProcessPart::Process};
            W = in.W + target * (*saturated - in.W);
            break;
        }
        }
        result.leaving = LeavingState(relations, path.DryBulb(W), W, kHumidifierFog);
        const Point out = PointOf(result.leaving, ProcessPart::Leaving);
        if (input.target == HumidifyTarget::RelativeHumidity &&
            std::fabs(result.leaving[Property::RelativeHumidity].value - target) > kTargetTolerance * kPercent)
            throw Refusal{kTargetOffPath, ProcessPart::Process};
        result.waterTemperature = waterTemperature;
        SetLoads(result, relations, input.basis.units, m, in, out, Checked(m * (out.W - in.W)), added);
        result.heat = 0.0; // the water or steam brings the energy; no heat is added
        if (input.basis.units == Units::InchPound)
            result.tons = 0.0;
    });
}

} // namespace humitrax
