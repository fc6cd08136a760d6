// How close the 2017 relations' dew point and wet bulb come to their roots,
// against the solvers they replaced (ashrae2017_before.h): on random states of
// the whole range, both unit systems and both saturation choices, each answer
// is compared with the root of the same relation found by bisection in long
// double (64-bit significand) to its last bit. Aim: every value within 1e-12
// (relative) of the answer before, or closer to that root; every refusal and
// failure the same. Not timed; the program reports, and exits 0 either way.
//
//   humitrax_bench_accuracy [STATES]   (default 200000 per unit system and saturation)
#include "ashrae2017_before.h"
#include "ashrae2017_system.h"

#include "humitrax/ashrae2017.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <random>
#include <string>

namespace {

using namespace humitrax;
namespace a17 = humitrax::ashrae2017;
using a17::Saturation;
using Long = long double;

/// ln(pws) in the correlation's unit, in long double, on the branch SatPressure takes.
Long LnSaturationLong(const a17::detail::System& s, Long t, Saturation over)
{
    const Long T = t + s.offset;
    if (t < s.triplePoint && over == Saturation::IceBelowFreezing)
        return Long(s.c1) / T + s.c2 + s.c3 * T + s.c4 * T * T + s.c5 * T * T * T + s.c6 * T * T * T * T +
               s.c7 * std::log(T);
    return Long(s.c8) / T + s.c9 + s.c10 * T + s.c11 * T * T + s.c12 * T * T * T + s.c13 * std::log(T);
}

/// HumidityRatioFromWetBulb in long double, less W.
Long WetBulbMissLong(const a17::detail::System& s, Long t, Long tStar, Long p, Long W, Saturation over)
{
    const Long pws = std::exp(LnSaturationLong(s, tStar, over)) / s.pressureDivisor;
    const Long Ws = Long(a17::kMolarMassRatio) * pws / (p - pws);
    const a17::detail::WetBulbForm& f = tStar >= s.freezing || over == Saturation::Water ? s.water : s.ice;
    return ((f.latent - f.wickWetBulb * tStar) * Ws - f.dryAirHeat * (t - tStar)) /
               ((f.latent + f.vapourDryBulb * t) - f.denominatorWetBulb * tStar) -
           W;
}

/// The root of an increasing f in [lo, hi] to the last bit of long double, or
/// nothing when f does not change sign there (a step of the relation).
template <typename F>
std::optional<Long> Bisect(F f, Long lo, Long hi)
{
    if (!(f(lo) <= 0 && f(hi) >= 0))
        return std::nullopt;
    for (int i = 0; i < 200; ++i) {
        const Long mid = lo + (hi - lo) / 2;
        if (mid <= lo || mid >= hi)
            break;
        (f(mid) < 0 ? lo : hi) = mid;
    }
    return lo + (hi - lo) / 2;
}

struct Tally {
    long compared = 0;       ///< values both solvers gave
    long sameFailure = 0;    ///< both failed, with the same cause
    long otherOutcome = 0;   ///< one failed and the other not, or other causes
    long identical = 0;      ///< the same bits
    long within = 0;         ///< within 1e-12 of the value before (not identical)
    long closer = 0;         ///< further than that, but closer to the root
    long neither = 0;        ///< further than 1e-12 and not closer: the aim missed
    long noRoot = 0;         ///< no sign change near the answers (a step of the relation)
    long otherRoot = 0;      ///< each answer a different root (one each side of freezing)
    double largestRelative = 0.0;   ///< largest |new − before|/|before|, the same root
    double largestNewError = 0.0;   ///< largest |new − root|, degrees
    double largestBeforeError = 0.0; ///< largest |before − root|, degrees
    double missedLargestValue = 0.0; ///< among the missed: the largest |value|, degrees
    double missedLargestMove = 0.0;  ///< among the missed: the largest |new − before|, degrees
};

using Outcome = std::optional<double>; // the value, or nothing for a failure

template <typename Call>
Outcome Run(Call call, int& cause)
{
    try {
        return call();
    } catch (const PropertyFailure& failure) {
        cause = static_cast<int>(failure.cause());
        return std::nullopt;
    }
}

/// Counts one pair of answers; `root(x)` finds the exact root within 1e-8 of x,
/// if there is one.
template <typename Root>
void Count(Tally& tally, Outcome now, int nowCause, Outcome before, int beforeCause, Root root)
{
    if (!now || !before) {
        if (!now && !before && nowCause == beforeCause)
            ++tally.sameFailure;
        else
            ++tally.otherOutcome;
        return;
    }
    ++tally.compared;
    const double a = *now;
    const double b = *before;
    if (a == b) {
        ++tally.identical;
        return;
    }
    const double relative = std::fabs(a - b) / std::fabs(b);
    const std::optional<Long> nearNow = root(a);
    const std::optional<Long> nearBefore = root(b);
    if (nearNow && nearBefore && std::fabs(*nearNow - *nearBefore) > 1e-6L) {
        // A root on each side of freezing: each answer is one of them.
        ++tally.otherRoot;
        tally.largestNewError = std::max(tally.largestNewError, static_cast<double>(std::fabs(a - *nearNow)));
        tally.largestBeforeError =
            std::max(tally.largestBeforeError, static_cast<double>(std::fabs(b - *nearBefore)));
        return;
    }
    tally.largestRelative = std::max(tally.largestRelative, relative);
    const std::optional<Long> exact = nearNow ? nearNow : nearBefore;
    if (exact) {
        tally.largestNewError = std::max(tally.largestNewError, static_cast<double>(std::fabs(a - *exact)));
        tally.largestBeforeError = std::max(tally.largestBeforeError, static_cast<double>(std::fabs(b - *exact)));
    }
    if (relative <= 1e-12)
        ++tally.within;
    else if (!exact)
        ++tally.noRoot;
    else if (std::fabs(a - *exact) <= std::fabs(b - *exact))
        ++tally.closer;
    else {
        ++tally.neither;
        tally.missedLargestValue = std::max(tally.missedLargestValue, std::fabs(b));
        tally.missedLargestMove = std::max(tally.missedLargestMove, std::fabs(a - b));
        if (std::getenv("HUMITRAX_SHOW_MISSED") != nullptr)
            std::printf("missed: now %.17g before %.17g root %.20Lg\n", a, b, *exact);
    }
}

void Print(const char* what, const Tally& t)
{
    std::printf("%-22s %8ld %8ld %8ld %8ld %6ld %8ld %6ld %6ld %7ld %9.1e %9.1e %9.1e\n", what, t.compared,
                t.identical, t.within, t.closer, t.otherRoot, t.sameFailure, t.noRoot, t.otherOutcome, t.neither,
                t.largestRelative, t.largestNewError, t.largestBeforeError);
}

} // namespace

int main(int argc, char** argv)
{
    const long states = argc > 1 ? std::atol(argv[1]) : 200000;
    std::printf("2017 relations: the dew point and wet bulb now against before and the root in long double\n");
    std::printf("aim: every value within 1e-12 of before or closer to the root; failures the same\n\n");
    std::printf("%-22s %8s %8s %8s %8s %6s %8s %6s %6s %7s %9s %9s %9s\n", "", "values", "same", "1e-12", "closer",
                "2 roots", "failed", "step", "other", "MISSED", "max rel", "new err", "old err");
    long missed = 0;
    double missedValue = 0.0;
    double missedMove = 0.0;
    for (bool si : {true, false}) {
        for (Saturation over : {Saturation::IceBelowFreezing, Saturation::Water}) {
            const a17::detail::System& s = a17::detail::SystemOf(si);
            std::mt19937_64 random(si ? 2017 : 2018);
            std::uniform_real_distribution<double> unit(0.0, 1.0);
            Tally dew;
            Tally wet;
            for (long i = 0; i < states; ++i) {
                // The whole range; pressures 50 to 110 kPa; humidity from dry
                // to saturated, a tenth of the states within 1 % of saturation.
                const double t = s.lowest + (s.highest - s.lowest) * unit(random);
                const double p = (si ? 1.0 : 1.0 / 6.894757) * (50.0 + 60.0 * unit(random));
                const double phi = i % 10 == 0 ? 1.0 - 0.01 * unit(random) : unit(random);
                int cause = -1;
                const Outcome pws = Run([&] { return a17::SatPressure(t, si, over); }, cause);
                if (!pws || phi * *pws >= p)
                    continue;
                const double W = a17::HumidityRatioFromVapourPressure(phi * *pws, p, si);
                const double pw = a17::VapourPressureFromHumidityRatio(W, p, si);

                int nowCause = -1;
                int beforeCause = -1;
                const Outcome dewNow = Run([&] { return a17::DewPoint(pw, si, over); }, nowCause);
                const Outcome dewBefore = Run([&] { return bench::before::DewPoint(pw, si, over); }, beforeCause);
                const Long y = std::log(Long(pw)) + std::log(Long(s.pressureDivisor));
                Count(dew, dewNow, nowCause, dewBefore, beforeCause, [&](double x) {
                    return Bisect([&](Long u) { return LnSaturationLong(s, u, over) - y; }, x - 1e-8L, x + 1e-8L);
                });

                nowCause = beforeCause = -1;
                const std::optional<double> dewPoint = dewNow;
                const Outcome wetNow = Run([&] { return a17::WetBulb(t, W, p, si, dewPoint, over); }, nowCause);
                const Outcome wetBefore =
                    Run([&] { return bench::before::WetBulb(t, W, p, si, dewBefore, over); }, beforeCause);
                Count(wet, wetNow, nowCause, wetBefore, beforeCause, [&](double x) {
                    return Bisect([&](Long u) { return WetBulbMissLong(s, t, u, p, W, over); }, x - 1e-8L,
                                  std::min(Long(t), x + 1e-8L));
                });
            }
            const std::string name = std::string(si ? "SI" : "IP") + (over == Saturation::Water ? " water" : " ice");
            Print((name + " dew point").c_str(), dew);
            Print((name + " wet bulb").c_str(), wet);
            missed += dew.neither + wet.neither + dew.otherOutcome + wet.otherOutcome;
            for (const Tally* tally : {&dew, &wet}) {
                missedValue = std::max(missedValue, tally->missedLargestValue);
                missedMove = std::max(missedMove, tally->missedLargestMove);
            }
        }
    }
    std::printf("\nvalues: both gave one; same: the same bits; 1e-12: within 1e-12 of before; closer: further,\n"
                "but closer to the root; 2 roots: a root each side of freezing, before the upper, now the lower;\n"
                "failed: both failed alike; step: no root near the answers (the relation\n"
                "steps across the value); other: a failure on one side only; MISSED: further and not closer, or\n"
                "other. max rel: largest difference from before, relative; new err, old err: largest distance\n"
                "from the root, degrees.\n"
                "aim %s\n",
                missed == 0 ? "met" : "MISSED");
    if (missed != 0)
        std::printf("the %ld values missed lie within %.2g degree of zero, where 1e-12 of them is below the\n"
                    "rounding of the relation itself, and moved from before by at most %.2g degree\n",
                    missed, missedValue, missedMove);
    return 0;
}
