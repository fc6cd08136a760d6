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

PropertyOutcome Run(PropertyResult (*step)(StateCalculation&), StateCalculation& state) noexcept
{
    return detail::Capture([&] { return step(state); });
}

} // namespace

FullState BeginFullState(const double& T, const double& p, const std::int16_t& Situation,
                         const double& StateVar, const std::int16_t& UnitsSI) noexcept
{
    StateCalculation state(SystemOf(UnitsSI), T, p, Situation, StateVar, StateCalculation::Sharing::Many);
    FullState full;
    full.saturationPressure = detail::Capture([&] { return state.DryBulbSaturation(); });
    full.humidityRatio = detail::Capture([&] { return state.HumidityRatio(); });
    StateCalculation saturated = state.WithCondition(kSaturatedSituation, kSaturatedFraction);
    full.saturationRatio = detail::Capture([&] { return saturated.HumidityRatio(); });
    return full;
}

void FinishFullState(FullState& full, const double& T, const double& p, const std::int16_t& Situation,
                     const double& StateVar, const std::int16_t& UnitsSI) noexcept
{
    StateCalculation state(SystemOf(UnitsSI), T, p, Situation, StateVar, StateCalculation::Sharing::Many);
    state.Share(full.saturationPressure, full.humidityRatio);
    full.wetBulb = Run(detail::WetBulbStep, state);
    full.dewPoint = Run(detail::DewPointStep, state);
    full.relativeHumidity = Run(detail::RelativeHumidityStep, state);
    full.enthalpy = Run(detail::EnthalpyStep, state);
    full.volume = Run(detail::VolumeStep, state);
    if (UnitsSI == 0)
        full.grains = Run(detail::GrainsStep, state);
}

FullState ComputeFullState(const double& T, const double& p, const std::int16_t& Situation,
                           const double& StateVar, const std::int16_t& UnitsSI) noexcept
{
    FullState full = BeginFullState(T, p, Situation, StateVar, UnitsSI);
    FinishFullState(full, T, p, Situation, StateVar, UnitsSI);
    return full;
}

} // namespace humitrax
