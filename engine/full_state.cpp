// Every property of one state in one call: each property step of the public
// functions, run on one calculation that forms the shared values once.
#include "humitrax/full_state.h"

#include "state_calculation.h"
#include "units.h"

#include <array>
#include <optional>

namespace humitrax {
namespace {

using detail::SaturationPressureIn;
using detail::StateCalculation;

/// Saturated air: the relative humidity given, 1.
constexpr std::int16_t kSaturatedSituation = kRelativeHumidityGiven;
constexpr double kSaturatedFraction = 1.0;

const detail::UnitSystem& SystemOf(std::int16_t UnitsSI) noexcept
{
    return UnitsSI != 0 ? detail::kSI : detail::kInchPound;
}

void Run(PropertyOutcome& outcome, PropertyResult (*step)(StateCalculation&), StateCalculation& state) noexcept
{
    detail::CaptureInto(outcome, [&] { return step(state); });
}

} // namespace

namespace {

/// BeginFullState after its first step, the saturation pressure at the dry
/// bulb, which `full` holds.
void BeginWithSaturation(FullState& full, const double& T, const double& p, const std::int16_t& Situation,
                         const double& StateVar, const std::int16_t& UnitsSI) noexcept
{
    const detail::UnitSystem& units = SystemOf(UnitsSI);
    StateCalculation state(units, T, p, Situation, StateVar, StateCalculation::Sharing::Many);
    state.KeepIn(full.saturationPressure, true, full.humidityRatio, false);
    state.Form();
    StateCalculation saturated(units, T, p, kSaturatedSituation, kSaturatedFraction,
                               StateCalculation::Sharing::Many);
    saturated.KeepIn(full.saturationPressure, true, full.saturationRatio, false);
    saturated.Form();
}

} // namespace

FullState BeginFullState(const double& T, const double& p, const std::int16_t& Situation,
                         const double& StateVar, const std::int16_t& UnitsSI) noexcept
{
    FullState full;
    detail::CaptureInto(full.saturationPressure, [&] { return SaturationPressureIn(SystemOf(UnitsSI), T); });
    BeginWithSaturation(full, T, p, Situation, StateVar, UnitsSI);
    return full;
}

void BeginFullStates(FullState* const* states, const StateArguments* arguments, std::size_t count) noexcept
{
    // The saturation pressures at the dry bulbs first, independent of each
    // other, then the rest of each state.
    for (std::size_t i = 0; i < count; ++i) {
        const StateArguments& a = arguments[i];
        *states[i] = FullState{};
        detail::CaptureInto(states[i]->saturationPressure, [&] { return SaturationPressureIn(SystemOf(a.UnitsSI), a.T); });
    }
    for (std::size_t i = 0; i < count; ++i) {
        const StateArguments& a = arguments[i];
        BeginWithSaturation(*states[i], a.T, a.p, a.Situation, a.StateVar, a.UnitsSI);
    }
}

void FinishFullState(FullState& full, const double& T, const double& p, const std::int16_t& Situation,
                     const double& StateVar, const std::int16_t& UnitsSI) noexcept
{
    StateCalculation state(SystemOf(UnitsSI), T, p, Situation, StateVar, StateCalculation::Sharing::Many);
    state.KeepIn(full.saturationPressure, true, full.humidityRatio, true);
    // The dew point first: its library calls, independent of the wet bulb's
    // secant, can then run while the secant starts.
    Run(full.dewPoint, detail::DewPointStep, state);
    Run(full.wetBulb, detail::WetBulbStep, state);
    Run(full.relativeHumidity, detail::RelativeHumidityStep, state);
    Run(full.enthalpy, detail::EnthalpyStep, state);
    Run(full.volume, detail::VolumeStep, state);
    if (UnitsSI == 0)
        Run(full.grains, detail::GrainsStep, state);
}

namespace {

/// How many states' secants run side by side: enough to keep the processor's
/// reorder window busy with independent library calls.
constexpr std::size_t kLanes = 4;

/// One state whose wet bulb is being found, its other properties done.
struct Lane {
    std::optional<StateCalculation> state;
    detail::WetBulbSecant secant;
    PropertyOutcome* wetBulb = nullptr;
    bool running = false;
};

/// Starts `full` in the lane: every property but the wet bulb, then the
/// secant's beginning. Each property is computed from the full state's own
/// saturation pressure and humidity ratio, as FinishFullState computes it:
/// their order among themselves changes none of them.
void Start(Lane& lane, FullState& full, const StateArguments& a) noexcept
{
    lane.state.emplace(SystemOf(a.UnitsSI), a.T, a.p, a.Situation, a.StateVar, StateCalculation::Sharing::Many);
    StateCalculation& state = *lane.state;
    state.KeepIn(full.saturationPressure, true, full.humidityRatio, true);
    Run(full.dewPoint, detail::DewPointStep, state);
    Run(full.relativeHumidity, detail::RelativeHumidityStep, state);
    Run(full.enthalpy, detail::EnthalpyStep, state);
    Run(full.volume, detail::VolumeStep, state);
    if (a.UnitsSI == 0)
        Run(full.grains, detail::GrainsStep, state);
    lane.wetBulb = &full.wetBulb;
    lane.secant = detail::WetBulbSecant{};
    try {
        lane.running = !lane.secant.Begin(state);
        if (!lane.running)
            lane.wetBulb->result = lane.secant.Result();
    } catch (const PropertyFailure& failure) {
        lane.wetBulb->failure = failure.cause();
        lane.running = false;
    }
}

} // namespace

void FinishFullStates(FullState* const* states, const StateArguments* arguments, std::size_t count) noexcept
{
    std::array<Lane, kLanes> lanes;
    std::size_t next = 0;
    for (;;) {
        // Every idle lane takes the next state whose wet bulb needs passes.
        std::size_t running = 0;
        for (Lane& lane : lanes) {
            while (!lane.running && next < count) {
                Start(lane, *states[next], arguments[next]);
                ++next;
            }
            running += lane.running ? 1U : 0U;
        }
        if (running == 0)
            return;
        // The trial points' saturation pressures, independent of each other,
        // then each lane's pass.
        std::array<PropertyResult, kLanes> saturation;
        for (std::size_t k = 0; k < kLanes; ++k) {
            Lane& lane = lanes[k];
            if (!lane.running)
                continue;
            try {
                saturation[k] = SaturationPressureIn(lane.state->units, lane.secant.Trial());
            } catch (const PropertyFailure& failure) {
                lane.wetBulb->failure = failure.cause();
                lane.running = false;
            }
        }
        for (std::size_t k = 0; k < kLanes; ++k) {
            Lane& lane = lanes[k];
            if (!lane.running)
                continue;
            try {
                if (lane.secant.Pass(saturation[k])) {
                    lane.wetBulb->result = lane.secant.Result();
                    lane.running = false;
                }
            } catch (const PropertyFailure& failure) {
                lane.wetBulb->failure = failure.cause();
                lane.running = false;
            }
        }
    }
}

FullState ComputeFullState(const double& T, const double& p, const std::int16_t& Situation,
                           const double& StateVar, const std::int16_t& UnitsSI) noexcept
{
    FullState full = BeginFullState(T, p, Situation, StateVar, UnitsSI);
    FinishFullState(full, T, p, Situation, StateVar, UnitsSI);
    return full;
}

} // namespace humitrax
