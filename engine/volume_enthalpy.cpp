// Specific volume, specific enthalpy and grains: closed forms in the humidity
// ratio (ideal-gas moist air).
#include "num.h"
#include "humitrax/psychrometrics.h"
#include "state_calculation.h"
#include "units.h"

namespace humitrax {
namespace detail {
namespace {

/// v = ((W·1.6078 + 1)·(TA·R)) / ((p·28.9645)·pressureFactor); h = (T·cpv + latent)·W + T·cpa.
struct ClosedFormConstants {
    double absoluteOffset;  ///< °F to °R, °C to K
    double gasConstant;     ///< universal, 1545.32 ft·lbf/(lbmol·°R) or 8314.41 J/(kmol·K)
    double pressureFactor;  ///< psia to lbf/ft², kPa to Pa
    double dryAirHeat;      ///< enthalpy: dry-air factor of T
    double latentHeat;      ///< enthalpy: latent term
    double vapourHeat;      ///< enthalpy: vapour factor of T
};

constexpr double kMolarMassDryAir = 28.9645;
constexpr double kVapourVolumeFactor = 1.6078;

constexpr ClosedFormConstants kClosedInchPound{459.67, 1545.32, 144.0, calculator::kEnthalpyInchPound.dryAir,
                                               calculator::kEnthalpyInchPound.latent,
                                               calculator::kEnthalpyInchPound.vapour};
constexpr ClosedFormConstants kClosedSI{273.15, 8314.41, 1000.0, calculator::kEnthalpySI.dryAir,
                                        calculator::kEnthalpySI.latent, calculator::kEnthalpySI.vapour};

const ClosedFormConstants& ClosedFormIn(const UnitSystem& units)
{
    return units.si ? kClosedSI : kClosedInchPound;
}

} // namespace

PropertyResult VolumeStep(StateCalculation& state)
{
    const ClosedFormConstants& c = ClosedFormIn(state.units);
    // The absolute temperature comes before the humidity ratio.
    const Num TA = Num(state.T) + c.absoluteOffset;
    const Num W = state.HumidityRatio();
    return (((W * kVapourVolumeFactor + 1.0) * (TA * c.gasConstant)) /
            ((Num(state.p) * kMolarMassDryAir) * c.pressureFactor))
        .v;
}

PropertyResult EnthalpyStep(StateCalculation& state)
{
    const ClosedFormConstants& c = ClosedFormIn(state.units);
    const Num W = state.HumidityRatio();
    return ((Num(state.T) * c.vapourHeat + c.latentHeat) * W + Num(state.T) * c.dryAirHeat).v;
}

PropertyResult GrainsStep(StateCalculation& state)
{
    const Num W = state.HumidityRatio();
    return (W * static_cast<double>(kGrainsPerPound)).v;
}

} // namespace detail

PropertyResult Volume(const double& T, const double& p, const std::int16_t& Situation,
                      const double& StateVar, const std::int16_t& UnitsSI)
{
    if (UnitsSI != 0)
        return VolumeSI(T, p, Situation, StateVar);
    return detail::RunAlone(detail::VolumeStep, detail::kInchPound, T, p, Situation, StateVar);
}

PropertyResult VolumeSI(const double& T, const double& p, const std::int16_t& Situation,
                        const double& StateVar)
{
    return detail::RunAlone(detail::VolumeStep, detail::kSI, T, p, Situation, StateVar);
}

PropertyResult Enthalpy(const double& T, const double& p, const std::int16_t& Situation,
                        const double& StateVar, const std::int16_t& UnitsSI)
{
    if (UnitsSI != 0)
        return EnthalpySI(T, p, Situation, StateVar);
    return detail::RunAlone(detail::EnthalpyStep, detail::kInchPound, T, p, Situation, StateVar);
}

PropertyResult EnthalpySI(const double& T, const double& p, const std::int16_t& Situation,
                          const double& StateVar)
{
    return detail::RunAlone(detail::EnthalpyStep, detail::kSI, T, p, Situation, StateVar);
}

PropertyResult Grains(const double& T, const double& p, const std::int16_t& Situation,
                      const double& StateVar)
{
    return detail::RunAlone(detail::GrainsStep, detail::kInchPound, T, p, Situation, StateVar);
}

} // namespace humitrax
