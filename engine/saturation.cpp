// Saturation pressure of water vapour and pressure of the standard atmosphere.
#include "num.h"
#include "humitrax/psychrometrics.h"
#include "units.h"

#include <cmath>

namespace humitrax {
namespace detail {
namespace {

/// Coefficients of interp, altitude in feet, pressure in psia.
constexpr double kAltitude0 = 14.6965450413525;
constexpr double kAltitude1 = -0.000531684897035687;
constexpr double kAltitude2 = 7.81205590996818e-09;
constexpr double kAltitude3 = -5.22566144078183e-14;
constexpr double kAltitude4 = -2.63483248782848e-19;
constexpr double kAltitude5 = 1.16568636696007e-23;
constexpr double kAltitude6 = -9.06640328491781e-29;

PropertyResult Saturation(const SaturationConstants& c, const double& T)
{
    // A value that does not compare (NaN) fails the test too.
    if (!(T >= c.lowest && T <= c.highest))
        return PropertyResult::Text(texts::kOutOfRange);
    // Inside the range the absolute temperature lies between 173.15 and
    // 473.15 K (311.67 and 851.67 °R): every term is finite, the logarithm's
    // argument positive and the sum between about −14 and 8, so no step can
    // fail and only the result needs its test.
    const double TA = T + c.offset;
    const double L = std::log(TA);
    double s = 0.0;
    if (TA > c.triplePoint) {
        // Over liquid water.
        s = (c.c12 * ::pow(TA, 3.0) + (((c.c8 / TA + c.c9) + c.c10 * TA) + c.c11 * TA * TA)) + c.c13 * L;
    } else {
        // Over ice, the triple point included.
        const double a = c.c5 * ::pow(TA, 3.0) + (((c.c1 / TA + c.c2) + c.c3 * TA) + c.c4 * TA * TA);
        s = (c.c6 * ::pow(TA, 4.0) + a) + c.c7 * L;
    }
    return Checked(std::exp(s));
}

} // namespace

PropertyResult SaturationPressureIn(const UnitSystem& units, const double& T)
{
    static constexpr std::int16_t kInchPoundFlag = 0;
    return units.si ? SatPressureSI(T) : SatPressure(T, kInchPoundFlag);
}

double SaturationRatio(double pws, double p)
{
    const Num numerator = kMolarMassRatio * Num(pws);
    const Num difference = Num(p) - pws;
    return (numerator / difference).v;
}

} // namespace detail

double interp(const double& X)
{
    using detail::Num;
    using detail::Pow;
    const Num x = X;
    // Highest power first, each partial sum rounded to a double.
    Num s = detail::kAltitude6 * Pow(x, 6.0);
    s = detail::kAltitude5 * Pow(x, 5.0) + s;
    s = detail::kAltitude4 * Pow(x, 4.0) + s;
    s = detail::kAltitude3 * Pow(x, 3.0) + s;
    return (((detail::kAltitude2 * Pow(x, 2.0) + s) + detail::kAltitude1 * x) + detail::kAltitude0).v;
}

PropertyResult SatPressure(const double& T, const std::int16_t& UnitsSI)
{
    if (UnitsSI != 0)
        return SatPressureSI(T);
    return detail::Saturation(detail::kInchPound.saturation, T);
}

PropertyResult SatPressureSI(const double& T) { return detail::Saturation(detail::kSI.saturation, T); }

} // namespace humitrax
