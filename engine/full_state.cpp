// Every property of one state in one call: each property step of the public
// functions, run on one calculation that forms the shared values once.
#include "humitrax/full_state.h"

#include "state_calculation.h"
#include "units.h"

namespace humitrax {
namespace {

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

FullState BeginFullState(const double& T, const double& p, const std::int16_t& Situation,
                         const double& StateVar, const std::int16_t& UnitsSI) noexcept
{
    FullState full;
    const detail::UnitSystem& units = SystemOf(UnitsSI);
    StateCalculation state(units, T, p, Situation, StateVar, StateCalculation::Sharing::Many);
    state.KeepIn(full.saturationPressure, false, full.humidityRatio, false);
    state.Form();
    StateCalculation saturated(units, T, p, kSaturatedSituation, kSaturatedFraction,
                               StateCalculation::Sharing::Many);
    saturated.KeepIn(full.saturationPressure, true, full.saturationRatio, false);
    saturated.Form();
    return full;
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

FullState ComputeFullState(const double& T, const double& p, const std::int16_t& Situation,
                           const double& StateVar, const std::int16_t& UnitsSI) noexcept
{
    FullState full = BeginFullState(T, p, Situation, StateVar, UnitsSI);
    FinishFullState(full, T, p, Situation, StateVar, UnitsSI);
    return full;
}

} // namespace humitrax
