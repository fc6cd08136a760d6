// The closed forms of the 2017 relations: saturation pressure, humidity ratio,
// relative humidity, degree of saturation, the wet-bulb equations, enthalpy,
// volume and the standard atmosphere.
#include "humitrax/ashrae2017.h"

#include "ashrae2017_system.h"
#include "num.h"

namespace humitrax::ashrae2017 {
namespace detail {

using humitrax::detail::Exp;
using humitrax::detail::Fail;
using humitrax::detail::Pow;

double InRange(const System& s, double t)
{
    // A value that does not compare (NaN) fails the test too.
    if (!(t >= s.lowest && t <= s.highest))
        Fail(FailureCause::TypeMismatch);
    return t;
}

} // namespace detail

using detail::Num;

double SatPressure(double t, bool si, Saturation over)
{
    const detail::System& s = detail::SystemOf(si);
    const Num lnP = detail::LnSaturation(s, detail::InRange(s, t), detail::OverIce(s, t, over));
    return (detail::Exp(lnP) / s.pressureDivisor).v;
}

double HumidityRatioFromVapourPressure(double pw, double p, bool /*si*/)
{
    return detail::RatioFromVapourPressure(pw, p).v;
}

double VapourPressureFromHumidityRatio(double W, double p, bool /*si*/)
{
    return ((Num(p) * W) / (detail::kMolarMassRatio + Num(W))).v;
}

double SatHumidityRatio(double t, double p, bool si, Saturation over)
{
    return HumidityRatioFromVapourPressure(SatPressure(t, si, over), p, si);
}

double HumidityRatioFromRelativeHumidity(double t, double p, double phi, bool si, Saturation over)
{
    const Num pw = Num(phi) * SatPressure(t, si, over);
    return HumidityRatioFromVapourPressure(pw.v, p, si);
}

double RelativeHumidityFromHumidityRatio(double t, double p, double W, bool si, Saturation over)
{
    const Num pw = VapourPressureFromHumidityRatio(W, p, si);
    return (pw / SatPressure(t, si, over)).v;
}

double DegreeOfSaturation(double t, double p, double W, bool si, Saturation over)
{
    return (Num(W) / SatHumidityRatio(t, p, si, over)).v;
}

double HumidityRatioFromWetBulb(double t, double twb, double p, bool si, Saturation over)
{
    const detail::System& s = detail::SystemOf(si);
    (void)detail::InRange(s, t);
    const Num WsStar = SatHumidityRatio(twb, p, si, over);
    const detail::WetBulbForm& form = twb >= s.freezing || over == Saturation::Water ? s.water : s.ice;
    return detail::WetBulbEquation(form, t, twb, WsStar).v;
}

double Enthalpy(double t, double W, bool si)
{
    const detail::System& s = detail::SystemOf(si);
    return (s.dryAirHeat * Num(t) + Num(W) * (s.latentHeat + s.vapourHeat * Num(t))).v;
}

double DryBulbFromEnthalpy(double h, double W, bool si)
{
    const detail::System& s = detail::SystemOf(si);
    return ((Num(h) - s.latentHeat * Num(W)) / (s.dryAirHeat + s.vapourHeat * Num(W))).v;
}

double Volume(double t, double W, double p, bool si)
{
    const detail::System& s = detail::SystemOf(si);
    return ((s.gasConstant * (Num(t) + s.offset)) * (1.0 + detail::kVolumeFactor * Num(W)) / p).v;
}

double PressureFromAltitude(double z, bool si)
{
    const detail::System& s = detail::SystemOf(si);
    const Num base = 1.0 - s.lapse * Num(z);
    if (!(base.v > 0.0))
        detail::Fail(FailureCause::InvalidOperation);
    return (s.seaLevelPressure * detail::Pow(base, detail::kAltitudeExponent)).v;
}

} // namespace humitrax::ashrae2017
