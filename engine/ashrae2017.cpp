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
using humitrax::detail::Log;
using humitrax::detail::Pow;

double InRange(const System& s, double t)
{
    // A value that does not compare (NaN) fails the test too.
    if (!(t >= s.lowest && t <= s.highest))
        Fail(FailureCause::TypeMismatch);
    return t;
}

double SaturationSlope(const System& s, double t, Saturation over)
{
    const Num T = Num(t) + s.offset;
    const Num T2 = T * T;
    if (OverIce(s, t, over)) {
        const Num a = Num(-s.c1) / T2 + s.c3 + Num(2.0 * s.c4) * T + Num(3.0 * s.c5) * T2;
        return (a + Num(4.0 * s.c6) * (T2 * T) + Num(s.c7) / T).v;
    }
    const Num a = Num(-s.c8) / T2 + s.c10 + Num(2.0 * s.c11) * T + Num(3.0 * s.c12) * T2;
    return (a + Num(s.c13) / T).v;
}

namespace {

/// Eq. 33 or 35 with Ws* already known.
Num WetBulbEquation(const WetBulbForm& f, Num t, Num tStar, Num WsStar)
{
    const Num numerator = (f.latent - f.wickWetBulb * tStar) * WsStar - f.dryAirHeat * (t - tStar);
    const Num denominator = (f.latent + f.vapourDryBulb * t) - f.denominatorWetBulb * tStar;
    return numerator / denominator;
}

} // namespace
} // namespace detail

using detail::Num;

double SatPressure(double t, bool si, Saturation over)
{
    const detail::System& s = detail::SystemOf(si);
    const Num T = Num(detail::InRange(s, t)) + s.offset;
    const Num T2 = T * T;
    Num lnP = 0.0;
    if (detail::OverIce(s, t, over)) {
        lnP = Num(s.c1) / T + s.c2 + s.c3 * T + s.c4 * T2 + s.c5 * (T2 * T) + s.c6 * (T2 * T2) +
              s.c7 * detail::Log(T);
    } else {
        lnP = Num(s.c8) / T + s.c9 + s.c10 * T + s.c11 * T2 + s.c12 * (T2 * T) + s.c13 * detail::Log(T);
    }
    return (detail::Exp(lnP) / s.pressureDivisor).v;
}

double HumidityRatioFromVapourPressure(double pw, double p, bool /*si*/)
{
    return ((detail::kMolarMassRatio * Num(pw)) / (Num(p) - pw)).v;
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
