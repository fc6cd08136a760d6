// Specific volume, specific enthalpy and grains: closed forms in the humidity
// ratio (ideal-gas moist air).
#include "checked.h"
#include "humitrax/psychrometrics.h"
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
constexpr int kGrainsPerPound = 7000;

constexpr ClosedFormConstants kClosedInchPound{459.67, 1545.32, 144.0, 0.24, 1061.0, 0.444};
constexpr ClosedFormConstants kClosedSI{273.15, 8314.41, 1000.0, 1.006, 2501.0, 1.805};

PropertyResult VolumeIn(const UnitSystem& units, const ClosedFormConstants& c, const double& T,
                        const double& p, const std::int16_t& Situation, const double& StateVar)
{
    // The absolute temperature comes before the humidity ratio.
    const Num TA = Num(T) + c.absoluteOffset;
    const Num W = HumidityRatioIn(units, T, p, Situation, StateVar).AsNumber();
    return (((W * kVapourVolumeFactor + 1.0) * (TA * c.gasConstant)) /
            ((Num(p) * kMolarMassDryAir) * c.pressureFactor))
        .v;
}

PropertyResult EnthalpyIn(const UnitSystem& units, const ClosedFormConstants& c, const double& T,
                          const double& p, const std::int16_t& Situation, const double& StateVar)
{
    const Num W = HumidityRatioIn(units, T, p, Situation, StateVar).AsNumber();
    return ((Num(T) * c.vapourHeat + c.latentHeat) * W + Num(T) * c.dryAirHeat).v;
}

} // namespace
} // namespace detail

PropertyResult Volume(const double& T, const double& p, const std::int16_t& Situation,
                      const double& StateVar, const std::int16_t& UnitsSI)
{
    if (UnitsSI != 0)
        return VolumeSI(T, p, Situation, StateVar);
    return detail::VolumeIn(detail::kInchPound, detail::kClosedInchPound, T, p, Situation, StateVar);
}

PropertyResult VolumeSI(const double& T, const double& p, const std::int16_t& Situation,
                        const double& StateVar)
{
    return detail::VolumeIn(detail::kSI, detail::kClosedSI, T, p, Situation, StateVar);
}

PropertyResult Enthalpy(const double& T, const double& p, const std::int16_t& Situation,
                        const double& StateVar, const std::int16_t& UnitsSI)
{
    if (UnitsSI != 0)
        return EnthalpySI(T, p, Situation, StateVar);
    return detail::EnthalpyIn(detail::kInchPound, detail::kClosedInchPound, T, p, Situation, StateVar);
}

PropertyResult EnthalpySI(const double& T, const double& p, const std::int16_t& Situation,
                          const double& StateVar)
{
    return detail::EnthalpyIn(detail::kSI, detail::kClosedSI, T, p, Situation, StateVar);
}

PropertyResult Grains(const double& T, const double& p, const std::int16_t& Situation,
                      const double& StateVar)
{
    static constexpr std::int16_t kInchPoundFlag = 0;
    const detail::Num W = HumidRatio(T, p, Situation, StateVar, kInchPoundFlag).AsNumber();
    return (W * static_cast<double>(detail::kGrainsPerPound)).v;
}

} // namespace humitrax
