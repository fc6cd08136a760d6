// File: process.h
// Air-conditioning processes on states of moist air: mixing two streams,
// sensible heating and cooling, a cooling and dehumidifying coil, and
// humidifying by steam or by evaporating water. Each works under either model
// and in either unit system. Inputs and results are plain structs, so a caller
// may run many processes side by side. Toolkit-free, standard C++ only.
//
// Conventions shared by every process:
// - Every state of one process has the process's pressure, model and units
//   (ProcessBasis). Temperatures are °C or °F, humidity ratios kg/kg or
//   lb/lb, enthalpies per unit mass of dry air kJ/kg or Btu/lb.
// - Flows of dry air are kg/s (SI) or lb/min (inch-pound), whatever unit the
//   flow was given in; a volume flow is of the moist air at its stream's own
//   state and becomes a dry-air flow through the specific volume (which is
//   per unit mass of dry air). Water flows are in the dry air's unit.
// - Energy flows are kW (SI) or Btu/h (inch-pound): kg/s × kJ/kg, or
//   lb/min × Btu/lb × 60 (EnergyFlowFactor).
// - Signs: `heat` and `water` are what the apparatus adds to the air, negative
//   when it takes them away. A cooling coil has negative heat and negative
//   water (its condensate).
// - Every result balances, with m the dry-air flows, W and h the states'
//   humidity ratios and enthalpies and F the EnergyFlowFactor:
//     dry air  Σ m_in = m_out
//     water    Σ m_in W_in + water = m_out W_out
//     energy   F (Σ m_in h_in + water h_water) + heat = F m_out h_out
//   to rounding (1e-12 of the terms).
// - The leaving dry bulb is found from the leaving enthalpy and humidity ratio
//   by the model's own enthalpy relation (Relations::DryBulb): the
//   calculator's h = 1.006 t + W (2501 + 1.805 t) kJ/kg (0.240 t + W (1061 +
//   0.444 t) Btu/lb) inverted, or the 2017 Handbook's DryBulbFromEnthalpy.
// - A leaving state above saturation by no more than rounding (1e-12 of the
//   saturation humidity ratio) is taken as saturated.
// - Above the boiling point at the pressure no air saturates: any humidity
//   ratio is air there, and heating or humidifying past it is computed.
// - A request no air or apparatus can meet is refused whole: `refusal` says
//   why (static storage), `refusedPart` which part of it. So is one whose
//   loads are too large to be numbers ("overflow"). The functions never
//   throw; any thread may call them.
#pragma once

#include "humitrax/pair.h"
#include "humitrax/state.h"

#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>

namespace humitrax {

/// The pressure, model and units every state of one process shares.
struct ProcessBasis {
    Units units = Units::SI;
    Model model = Model::Calculator;
    double pressure = 0.0; ///< kPa or psia
    Saturation saturation = Saturation::IceBelowFreezing; ///< the 2017 model's
};

/// The unit a flow is given in. The first two are dry-air mass flows, the
/// others volume flows of the moist air at its own state.
enum class FlowUnit : std::uint8_t {
    KilogramsPerSecond,   ///< "kg/s"
    PoundsPerMinute,      ///< "lb/min"
    CubicMetresPerSecond, ///< "m3/s"
    CubicMetresPerHour,   ///< "m3/h"
    CubicFeetPerMinute,   ///< "cfm"
};

/// The name of a flow unit, as above.
std::string_view FlowUnitName(FlowUnit unit) noexcept;
/// The flow unit a name names, if any.
std::optional<FlowUnit> FlowUnitFromName(std::string_view name) noexcept;
/// The unit of a dry-air (and water) flow: "kg/s" or "lb/min".
std::string_view MassFlowUnit(Units units) noexcept;
/// The unit of an energy flow: "kW" or "Btu/h".
std::string_view EnergyFlowUnit(Units units) noexcept;

/// The factor from mass flow × specific enthalpy to an energy flow: 1 in SI
/// (kg/s × kJ/kg = kW), 60 in inch-pound (lb/min × Btu/lb = Btu/min).
constexpr double EnergyFlowFactor(Units units) noexcept
{
    return units == Units::SI ? 1.0 : 60.0;
}

/// Btu/h per ton of refrigeration.
inline constexpr double kBtuPerHourPerTon = 12000.0;

struct Flow {
    double value = 0.0; ///< not negative
    FlowUnit unit = FlowUnit::KilogramsPerSecond;
};

/// The dry-air mass flow (kg/s or lb/min in `units`) of a flow whose air has
/// the specific volume `volume` (m³/kg or ft³/lb in `units`, per unit mass of
/// dry air; used for volume flows only). Converts between the systems:
/// 1 lb = 0.45359237 kg, 1 ft = 0.3048 m.
double DryAirFlow(const Flow& flow, Units units, double volume) noexcept;

/// Which part of a process a refusal concerns.
enum class ProcessPart : std::uint8_t {
    Process,  ///< the request itself (a target, a bypass factor ...)
    Entering, ///< the entering air (mixing: the first stream)
    Second,   ///< mixing: the second stream
    Leaving,  ///< the air that would leave
};

/// What a refusal of a needed value says; the state's cells say which.
inline constexpr std::string_view kMissingProperty = "a property the process needs could not be computed";

/// A process's states, flows and loads. Values a process does not have are
/// NaN (the second stream's flow, a coil's bypass factor elsewhere ...).
struct ProcessResult {
    static constexpr double kNone = std::numeric_limits<double>::quiet_NaN();

    StateResult entering; ///< mixing: the first stream
    StateResult second;   ///< mixing only: the second stream
    StateResult leaving;

    double enteringDryAirFlow = kNone; ///< kg/s or lb/min; mixing: the first stream
    double secondDryAirFlow = kNone;   ///< mixing only
    double dryAirFlow = kNone;         ///< leaving

    double heat = kNone;     ///< kW or Btu/h added to the air by the apparatus
    double sensible = kNone; ///< F m (h(t_out, W_in) − h_in): the air's enthalpy change at the entering W
    double latent = kNone;   ///< F m (h_out − h(t_out, W_in)): the rest, from the change of W
    double sensibleHeatRatio = kNone; ///< sensible / (sensible + latent)
    double tons = kNone;     ///< heat / 12000 Btu/h; inch-pound only

    double water = kNone;            ///< kg/s or lb/min added to the air; negative: condensate
    double waterTemperature = kNone; ///< of the water or steam added, or of the condensate
    double waterEnthalpy = kNone;    ///< per unit mass of water, kJ/kg or Btu/lb

    double apparatusDewPoint = kNone; ///< coil only
    double bypassFactor = kNone;      ///< coil only

    std::string_view refusal; ///< empty unless refused
    ProcessPart refusedPart = ProcessPart::Process;

    [[nodiscard]] bool refused() const noexcept { return !refusal.empty(); }
};

/// Two streams mixed adiabatically: the dry-air mass and energy balance gives
/// W and h as the dry-air-weighted means, the dry bulb from them.
/// Refused: a negative or not finite flow; no air at all; a mixed state above
/// saturation (the streams would form fog).
struct MixInput {
    ProcessBasis basis;
    AirState first;
    Flow firstFlow;
    AirState second;
    Flow secondFlow;
};
ProcessResult Mix(const MixInput& input) noexcept;

/// Heating or cooling at a constant humidity ratio to a leaving dry bulb.
/// Heat refuses a leaving dry bulb below the entering one, Cool one above it,
/// and Cool one below the entering dew point (where the air would condense:
/// that is the coil's work).
struct SensibleInput {
    ProcessBasis basis;
    AirState entering;
    Flow flow;
    double leavingDryBulb = 0.0;
};
ProcessResult Heat(const SensibleInput& input) noexcept;
ProcessResult Cool(const SensibleInput& input) noexcept;

/// How a coil's leaving air is given.
enum class CoilMode : std::uint8_t {
    LeavingState,      ///< `leaving`: its dry bulb and one condition
    ApparatusDewPoint, ///< `apparatusDewPoint` and `bypassFactor`
};

/// A cooling and dehumidifying coil. With the apparatus dew point t_adp and
/// bypass factor BF: W_out = W_adp + BF (W_in − W_adp), h likewise, W_adp the
/// saturation humidity ratio at t_adp. With the leaving state, the apparatus
/// dew point is where the line from the entering through the leaving state
/// (in W and h) meets saturation, and BF = (h_out − h_adp)/(h_in − h_adp).
/// The condensate, m (W_in − W_out), leaves as liquid water at the leaving
/// dew point: h_w = 4.186 t kJ/kg, or t − 32 Btu/lb.
/// Refused: a bypass factor outside 0…1; an apparatus dew point above the
/// entering dew point; a leaving humidity ratio or dry bulb above the
/// entering one; a leaving state above saturation (fog in the coil); a
/// leaving state whose line from the entering one never meets saturation.
struct CoilInput {
    ProcessBasis basis;
    AirState entering;
    Flow flow;
    CoilMode mode = CoilMode::ApparatusDewPoint;
    AirState leaving;               ///< CoilMode::LeavingState
    double apparatusDewPoint = 0.0; ///< CoilMode::ApparatusDewPoint
    double bypassFactor = 0.0;      ///< CoilMode::ApparatusDewPoint, 0…1
};
ProcessResult Coil(const CoilInput& input) noexcept;

enum class Humidifier : std::uint8_t {
    /// Steam at `steamTemperature`, its enthalpy the vapour term of the model's
    /// enthalpy relation (2501 + 1.805 t or 2501 + 1.86 t kJ/kg, 1061 + 0.444 t
    /// Btu/lb): h_out = h_in + (W_out − W_in) h_g, the dry bulb nearly held.
    Steam,
    /// Water evaporated into the air, supplied at the entering wet bulb (h_w =
    /// 4.186 t kJ/kg, t − 32 Btu/lb): along the line of constant wet bulb,
    /// to saturation at its end. Refused for a wet bulb below freezing.
    Adiabatic,
};

enum class HumidifyTarget : std::uint8_t {
    RelativeHumidity, ///< leaving, percent
    HumidityRatio,    ///< leaving
    /// Adiabatic only: W_out = W_in + ε (W* − W_in), W* where the humidifier's
    /// line meets saturation (at the wet bulb).
    Effectiveness,
};

/// Humidifying to a target, along the humidifier's path h = h_in + (W −
/// W_in) h_water. Steam much hotter than the air warms it as it humidifies:
/// the relative humidity then rises to a peak and falls again, and a target
/// is met where the path first reaches it. Refused: a target below the
/// entering air's (a humidifier cannot dry air), above saturation, past the
/// first saturation on the path (fog), or never reached on the path; an
/// effectiveness outside 0…1 or for steam; steam above the top of the range,
/// or below its boiling point at the air's pressure (it would be liquid).
struct HumidifyInput {
    ProcessBasis basis;
    AirState entering;
    Flow flow;
    Humidifier humidifier = Humidifier::Steam;
    double steamTemperature = 100.0; ///< Humidifier::Steam
    HumidifyTarget target = HumidifyTarget::RelativeHumidity;
    double targetValue = 0.0;
};
ProcessResult Humidify(const HumidifyInput& input) noexcept;

} // namespace humitrax
