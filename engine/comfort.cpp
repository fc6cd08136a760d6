// PMV and PPD of ISO 7730:2005, section 4, and the comfort zone of a chart.
#include "humitrax/comfort.h"

#include "num.h"

#include <cmath>

namespace humitrax::comfort {
namespace {

using detail::Exp;
using detail::Fail;
using detail::Num;
using detail::Pow;

constexpr double kWattsPerMet = 58.15;  ///< W/m² of body surface per met
constexpr double kCloToSI = 0.155;      ///< m²·K/W per clo
constexpr double kCelsiusToModel = 273; ///< the standard's own offset to kelvins
constexpr double kRadiation = 3.96e-8;  ///< W/(m²·K⁴): emissivity × Stefan-Boltzmann × effective radiating area

/// Clothing temperature: bisection stops at this bracket width, K, and fails
/// after kMaxHalvings. 100 halvings close any bracket narrower than 1e21 K,
/// and every double below about 4e6 is spaced finer than the tolerance.
constexpr double kClothingTolerance = 1e-9;
constexpr int kMaxHalvings = 100;

/// Comfort zone: the ends are found to this width, K.
constexpr double kDryBulbTolerance = 1e-6;

bool IsNonNegative(double x) { return std::isfinite(x) && x >= 0.0; }

bool IsTemperature(double t) { return std::isfinite(t) && t >= -kCelsiusToModel; }

void Validate(const ComfortInput& in)
{
    if (InputRefusal(in))
        Fail(FailureCause::InvalidOperation);
}

/// Clothing area factor, equation (4); Icl in m²·K/W.
Num ClothingAreaFactor(Num Icl)
{
    return Icl.v <= 0.078 ? 1.00 + 1.290 * Icl : 1.05 + 0.645 * Icl;
}

/// Convective heat transfer coefficient, W/(m²·K), equation (3): the larger
/// of natural and forced convection.
Num ConvectionCoefficient(Num tcl, Num ta, Num forced)
{
    const Num natural = 2.38 * Pow(detail::Abs(tcl - ta), 0.25);
    return natural.v > forced.v ? natural : forced;
}

} // namespace

std::optional<InputProblem> InputRefusal(const ComfortInput& in) noexcept
{
    if (!(std::isfinite(in.metabolicRate) && in.metabolicRate > 0.0))
        return InputProblem{&ComfortInput::metabolicRate, "the metabolic rate must be above 0 met"};
    if (!IsNonNegative(in.clothing))
        return InputProblem{&ComfortInput::clothing, "the clothing must be 0 clo or more"};
    if (!IsNonNegative(in.airSpeed))
        return InputProblem{&ComfortInput::airSpeed, "the air speed must be 0 or more"};
    if (!IsNonNegative(in.vapourPressure))
        return InputProblem{&ComfortInput::vapourPressure, "the water vapour pressure must be 0 or more"};
    if (!IsNonNegative(in.externalWork) || in.externalWork > in.metabolicRate)
        return InputProblem{&ComfortInput::externalWork,
                            "the external work must lie between 0 and the metabolic rate"};
    if (!IsTemperature(in.airTemperature))
        return InputProblem{&ComfortInput::airTemperature,
                            "the air temperature must be -273 °C or more, the model's absolute zero"};
    if (!IsTemperature(in.meanRadiantTemperature))
        return InputProblem{&ComfortInput::meanRadiantTemperature,
                            "the mean radiant temperature must be -273 °C or more, the model's absolute zero"};
    return std::nullopt;
}

PmvPpd Pmv(const ComfortInput& input)
{
    Validate(input);
    const Num ta = input.airTemperature;
    const Num tr = input.meanRadiantTemperature;
    const Num pa = input.vapourPressure;
    const Num M = Num(input.metabolicRate) * kWattsPerMet;
    const Num W = Num(input.externalWork) * kWattsPerMet;
    const Num MW = M - W;
    const Num Icl = Num(input.clothing) * kCloToSI;
    const Num fcl = ClothingAreaFactor(Icl);
    const Num forced = 12.1 * std::sqrt(input.airSpeed);
    const Num radiantK4 = Pow(tr + kCelsiusToModel, 4.0);

    // Heat lost from the clothing surface by radiation and convection, W/m².
    // It rises with tcl, so equation (2), written as miss(tcl) = 0, has one root.
    struct SurfaceLoss {
        Num radiation, convection;
    };
    auto surfaceLoss = [&](Num tcl) {
        const Num hc = ConvectionCoefficient(tcl, ta, forced);
        return SurfaceLoss{kRadiation * fcl * (Pow(tcl + kCelsiusToModel, 4.0) - radiantK4),
                           fcl * hc * (tcl - ta)};
    };
    const Num skinSide = 35.7 - 0.028 * MW;
    auto miss = [&](Num tcl) {
        const SurfaceLoss loss = surfaceLoss(tcl);
        return tcl - skinSide + Icl * (loss.radiation + loss.convection);
    };

    // The root lies between the lowest and the highest of skinSide, ta and tr:
    // at the lowest neither term of the miss is positive, at the highest
    // neither is negative.
    Num low = std::fmin(skinSide.v, std::fmin(ta.v, tr.v));
    Num high = std::fmax(skinSide.v, std::fmax(ta.v, tr.v));
    for (int halving = 0; (high - low).v > kClothingTolerance; ++halving) {
        if (halving == kMaxHalvings)
            Fail(FailureCause::NoConvergence);
        const Num middle = low + (high - low) / 2.0;
        if (miss(middle).v < 0.0)
            low = middle;
        else
            high = middle;
    }
    const Num tcl = low + (high - low) / 2.0;
    const SurfaceLoss loss = surfaceLoss(tcl);

    // Equation (1), term by term: diffusion through the skin, sweating (none
    // below 58.15 W/m², as the standard's program has it: evaporation of sweat
    // cannot add heat), latent and dry respiration, then the clothing surface.
    const Num diffusion = 3.05e-3 * (5733.0 - 6.99 * MW - pa);
    const Num sweating = MW.v > kWattsPerMet ? 0.42 * (MW - kWattsPerMet) : Num(0.0);
    const Num latentRespiration = 1.7e-5 * M * (5867.0 - pa);
    const Num dryRespiration = 0.0014 * M * (34.0 - ta);
    const Num load = MW - diffusion - sweating - latentRespiration - dryRespiration - loss.radiation
                     - loss.convection;
    const Num pmv = (0.303 * Exp(-0.036 * M) + 0.028) * load;

    // Equation (5).
    const Num ppd = 100.0 - 95.0 * Exp(-0.03353 * Pow(pmv, 4.0) - 0.2179 * Pow(pmv, 2.0));
    return {pmv.v, ppd.v};
}

bool InApplicableRange(const ComfortInput& input)
{
    auto within = [](double x, double lowest, double highest) { return lowest <= x && x <= highest; };
    return within(input.metabolicRate, 0.8, 4.0) && within(input.clothing, 0.0, 2.0)
           && within(input.airTemperature, 10.0, 30.0) && within(input.meanRadiantTemperature, 10.0, 40.0)
           && within(input.airSpeed, 0.0, 1.0) && within(input.vapourPressure, 0.0, 2700.0);
}

std::optional<std::pair<double, double>> ComfortDryBulbRange(double vapourPressure, double metabolicRate,
                                                             double clothing, double airSpeed,
                                                             double pmvLimit, double tmin, double tmax)
{
    if (!(std::isfinite(pmvLimit) && pmvLimit > 0.0 && std::isfinite(tmin) && std::isfinite(tmax)
          && tmin <= tmax))
        Fail(FailureCause::InvalidOperation);
    auto pmvAt = [&](double t) {
        return Pmv({t, t, airSpeed, vapourPressure, metabolicRate, clothing}).pmv;
    };
    const double pmvLow = pmvAt(tmin);
    const double pmvHigh = pmvAt(tmax);
    if (pmvLow > pmvLimit || pmvHigh < -pmvLimit)
        return std::nullopt;

    // Bisection between a dry bulb on the cold side of a zone end and one on
    // its warm side; returns the last cold and the first warm one found.
    auto boundary = [&](auto isColdSide) {
        double cold = tmin;
        double warm = tmax;
        while (warm - cold > kDryBulbTolerance) {
            const double middle = cold + (warm - cold) / 2.0;
            if (middle == cold || middle == warm)
                break; // no double between them
            (isColdSide(pmvAt(middle)) ? cold : warm) = middle;
        }
        return std::pair{cold, warm};
    };
    // Each end is the side of its bracket inside the zone.
    const double lower = pmvLow >= -pmvLimit
                             ? tmin
                             : boundary([&](double pmv) { return pmv < -pmvLimit; }).second;
    const double upper = pmvHigh <= pmvLimit
                             ? tmax
                             : boundary([&](double pmv) { return pmv <= pmvLimit; }).first;
    return std::pair{lower, upper};
}

} // namespace humitrax::comfort
