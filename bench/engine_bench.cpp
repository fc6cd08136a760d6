// Speed of the property engine and of one press of the calculation driver,
// measured against the floor: the C library calls (exp, log, pow) that each
// property cannot avoid, made on the same arguments. After the benchmarks the
// program prints a table of ratios against the targets:
// - a closed-form SI function: at most 1.3 times its library calls;
// - WetBulbSI: at most 1.3 times (its saturation-pressure evaluations) times
//   SatPressureSI on the same temperatures;
// - one whole press of the driver, report included: at most 1.5 times the
//   engine calls it makes.
// The 2017 relations (ashrae2017.h) are timed on the same states, beside their
// solvers as they were (ashrae2017_before.h): a whole state in at most half the
// time before.
// Every benchmark walks a few thousand varied, ordinary states, one call per
// iteration, so that each time is the cost of one call.
#include "ashrae2017_before.h"
#include "run_times.h"
#include "humitrax/ashrae2017.h"
#include "driver.h"
#include "humitrax/full_state.h"
#include "humitrax/functions.h"
#include "humitrax/psychrometrics.h"
#include "units.h" // the wet-bulb relation, for counting the iteration's evaluations

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cfenv>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <iostream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

using namespace humitrax;

constexpr std::size_t kInputs = 4096; // a power of two: the index wraps with a mask
constexpr std::size_t kMask = kInputs - 1;

constexpr double kKelvin = 273.15;
constexpr double kDewExponent = 0.1984;

// ---------------------------------------------------------------------------
// Inputs

/// One ordinary state of moist air, every second property known.
struct State {
    double T;   ///< °C
    double p;   ///< kPa
    double rh;  ///< fraction
    double wetBulb;
    double dewPoint;
    double W;
};

/// The arguments of the library calls of one saturation pressure.
struct SatCall {
    double TA; ///< absolute temperature, K
    double s;  ///< ln of the pressure: the argument of exp
    bool ice;
};

SatCall SatCallAt(double t)
{
    return {t + kKelvin, std::log(SatPressureSI(t).AsNumber()), t + kKelvin <= kKelvin};
}

/// The arguments of the library calls of the dew-point correlation.
struct DewCall {
    double pw;
    double alpha;
};

DewCall DewCallFor(double W, double p)
{
    const double pw = (W * p) / (W + 0.62198);
    return {pw, std::log(pw)};
}

/// The texts a user types for a state, and the numbers the driver reads from them.
struct Press {
    std::array<CalculationRequest, 4> requests; ///< one per third condition
    double T;
    double p;
    std::array<double, 4> stateVar; ///< the engine's StateVar for each third condition
};

struct Inputs {
    std::vector<State> states;
    std::vector<double> ice;   ///< dry bulbs at or below 0 °C
    std::vector<double> water; ///< dry bulbs above 0 °C
    std::vector<Press> presses;
};

std::string Fixed(double value, int places)
{
    std::array<char, 64> buffer{};
    const auto written = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                       std::chars_format::fixed, places);
    return std::string(buffer.data(), written.ptr);
}

/// True when every property of every situation can be computed for the state.
bool Computable(const State& s)
{
    try {
        for (std::int16_t situation = 1; situation <= 4; ++situation) {
            const double v = situation == 1   ? s.wetBulb
                             : situation == 2 ? s.dewPoint
                             : situation == 3 ? s.rh
                                              : s.W;
            for (const EngineFunction& f : kEngineFunctions) {
                if (f.signature == Signature::State && f.name != "Grains")
                    (void)f.state(s.T, s.p, situation, v).AsNumber();
            }
        }
        return true;
    } catch (const PropertyFailure&) {
        return false;
    }
}

const Inputs& TheInputs()
{
    static const Inputs inputs = [] {
        Inputs in;
        std::mt19937_64 random(20260707);
        // Ordinary weather and indoor air: 0.5 to 45 °C, 80 to 105 kPa, 5 to 100 %.
        std::uniform_real_distribution<double> dryBulb(0.5, 45.0);
        std::uniform_real_distribution<double> pressure(80.0, 105.0);
        std::uniform_real_distribution<double> humidity(0.05, 1.0);
        while (in.states.size() < kInputs) {
            State s{};
            s.T = dryBulb(random);
            s.p = pressure(random);
            s.rh = humidity(random);
            try {
                s.wetBulb = WetBulbSI(s.T, s.p, 3, s.rh).AsNumber();
                s.dewPoint = DewPointSI(s.T, s.p, 3, s.rh).AsNumber();
                s.W = HumidRatioSI(s.T, s.p, 3, s.rh).AsNumber();
            } catch (const PropertyFailure&) {
                continue;
            }
            if (Computable(s))
                in.states.push_back(s);
        }
        std::uniform_real_distribution<double> iceT(-60.0, 0.0);
        std::uniform_real_distribution<double> waterT(0.01, 60.0);
        for (std::size_t i = 0; i < kInputs; ++i) {
            in.ice.push_back(iceT(random));
            in.water.push_back(waterT(random));
        }
        // The same states typed into the window: dry bulb and temperatures to
        // one decimal, pressure to three, humidity in percent to one decimal,
        // humidity ratio to four. A state whose rounded entries do not give a
        // report for all four conditions is left out.
        for (const State& s : in.states) {
            Press press{};
            const std::string dryBulbText = Fixed(s.T, 1);
            const std::string pressureText = Fixed(s.p, 3);
            const std::array<std::string, 4> third = {Fixed(std::min(s.wetBulb, s.T), 1),
                                                      Fixed(std::min(s.dewPoint, s.T), 1),
                                                      Fixed(s.rh * 100.0, 1), Fixed(s.W, 4)};
            const NumberConventions conventions;
            bool allReport = true;
            for (std::int16_t index = 0; index < 4; ++index) {
                CalculationRequest& r = press.requests[static_cast<std::size_t>(index)];
                r.dryBulb = dryBulbText;
                r.second = pressureText;
                r.third = third[static_cast<std::size_t>(index)];
                r.barocond = 0;
                r.thirdcond = index;
                allReport = allReport && Calculate(r, conventions).succeeded;
            }
            if (!allReport)
                continue;
            press.T = *EntryToNumber(dryBulbText, conventions);
            press.p = *EntryToNumber(pressureText, conventions);
            for (std::size_t k = 0; k < 4; ++k)
                press.stateVar[k] = *EntryToNumber(third[k], conventions) / (k == 2 ? 100.0 : 1.0);
            in.presses.push_back(press);
        }
        for (std::size_t k = 0; in.presses.size() < kInputs; ++k)
            in.presses.push_back(in.presses[k]);
        in.presses.resize(kInputs);
        return in;
    }();
    return inputs;
}

double StateVar(const State& s, std::int16_t situation)
{
    switch (situation) {
    case 1: return s.wetBulb;
    case 2: return s.dewPoint;
    case 3: return s.rh;
    default: return s.W;
    }
}

// ---------------------------------------------------------------------------
// The wet-bulb iteration, counted

/// The result of WetBulbSI by the same steps, and how many saturation
/// pressures it evaluates (the humidity ratio's own included). The result is
/// compared with the engine's to the bit, which shows the count is the
/// engine's.
struct WetBulbCount {
    double result;
    int evaluations;
};

WetBulbCount CountWetBulb(const State& s, std::int16_t situation, std::vector<double>* points)
{
    using detail::kSI;
    const double v = StateVar(s, situation);
    int evaluations = 0;
    auto note = [&](double t) {
        ++evaluations;
        if (points != nullptr)
            points->push_back(t);
    };
    if (situation == 2)
        note(v);
    if (situation == 3)
        note(s.T);
    const double W = HumidRatioSI(s.T, s.p, situation, v).AsNumber();
    auto ratioAt = [&](double t) {
        note(t);
        const double pws = SatPressureSI(t).AsNumber();
        return detail::WetBulbRelation(kSI.wetBulb, s.T, t, detail::SaturationRatio(pws, s.p));
    };
    double t1 = s.T;
    double t2 = s.T - 10.0;
    double W1 = ratioAt(t1);
    double bestMiss = 0.0;
    double bestPoint = 0.0;
    for (int pass = 1; pass <= 100; ++pass) {
        const double W2 = ratioAt(t2);
        const double miss = std::fabs(W - W2);
        const double slope = (W1 - W2) / (t1 - t2);
        const double tested = t2;
        t1 = tested;
        const double intercept = W2 - t2 * slope;
        t2 = (W - intercept) / slope;
        if (miss < 1e-9)
            return {tested, evaluations};
        if (pass == 1 || miss < bestMiss) {
            bestMiss = miss;
            bestPoint = tested;
        }
        W1 = W2;
    }
    return {bestPoint, evaluations};
}

struct WetBulbProfile {
    double meanEvaluations = 0.0;
    bool matchesEngine = true;
    std::vector<double> points; ///< every temperature whose saturation pressure it evaluates
};

const WetBulbProfile& Profile(std::int16_t situation)
{
    static std::map<std::int16_t, WetBulbProfile> profiles;
    auto found = profiles.find(situation);
    if (found != profiles.end())
        return found->second;
    WetBulbProfile profile;
    long total = 0;
    for (const State& s : TheInputs().states) {
        const WetBulbCount count = CountWetBulb(s, situation, &profile.points);
        total += count.evaluations;
        const double engine = WetBulbSI(s.T, s.p, situation, StateVar(s, situation)).AsNumber();
        profile.matchesEngine = profile.matchesEngine &&
                                std::bit_cast<std::uint64_t>(engine) == std::bit_cast<std::uint64_t>(count.result);
    }
    profile.meanEvaluations = static_cast<double>(total) / static_cast<double>(TheInputs().states.size());
    return profiles.emplace(situation, std::move(profile)).first->second;
}

// ---------------------------------------------------------------------------
// Benchmarks

/// Runs `call(i)` once per iteration over the inputs.
template <typename Call>
void Walk(benchmark::State& state, Call call)
{
    std::size_t i = 0;
    for (auto _ : state) {
        call(i);
        i = (i + 1) & kMask;
    }
}

template <typename F>
void Keep(F&& value)
{
    benchmark::DoNotOptimize(value);
}

/// The bare library calls of one saturation pressure.
inline void SatFloor(const SatCall& c)
{
    Keep(std::log(c.TA));
    Keep(::pow(c.TA, 3.0));
    if (c.ice)
        Keep(::pow(c.TA, 4.0));
    Keep(std::exp(c.s));
}

/// The bare library calls of the dew-point correlation.
inline void DewFloor(const DewCall& c)
{
    Keep(std::log(c.pw));
    Keep(::pow(c.alpha, 2.0));
    Keep(::pow(c.alpha, 3.0));
    Keep(::pow(c.pw, kDewExponent));
}

/// The same calls in the order the formula imposes: exp waits for log and
/// pow (its argument is their sum). Returns the pressure, for a caller to wait on.
inline double SatFloorChained(const SatCall& c)
{
    double sum = std::log(c.TA) + ::pow(c.TA, 3.0);
    if (c.ice)
        sum += ::pow(c.TA, 4.0);
    // 0 × a finite sum is 0, which the compiler may not assume: the dependency stays.
    return std::exp(c.s + 0.0 * sum);
}

/// The dew-point calls in their order: ln(pw) first, its powers after it; pw
/// waits for the saturation pressures it is made from.
inline void DewFloorChained(const DewCall& c, double before)
{
    const double pw = c.pw + 0.0 * before;
    const double alpha = std::log(pw);
    Keep(::pow(alpha, 2.0));
    Keep(::pow(alpha, 3.0));
    Keep(::pow(pw, kDewExponent));
}

/// The library calls each state function cannot avoid, for one input.
struct FloorCalls {
    std::array<SatCall, 2> sat{};
    int satCount = 0;
    bool dew = false;
    DewCall dewCall{};
};

/// A closed-form function of a state in SI, from the engine's list: every one
/// but the wet bulb (an iteration, measured on its own) and grains
/// (inch-pound only).
using Fn = const EngineFunction*;

std::vector<Fn> ClosedFormFunctions()
{
    std::vector<Fn> functions;
    for (const EngineFunction& f : kEngineFunctions) {
        if (f.signature == Signature::State && f.name != "WetBulbSI" && f.name != "Grains")
            functions.push_back(&f);
    }
    return functions;
}

FloorCalls FloorFor(Fn fn, std::int16_t situation, const State& s)
{
    FloorCalls calls;
    auto sat = [&](double t) { calls.sat[static_cast<std::size_t>(calls.satCount++)] = SatCallAt(t); };
    // The saturation pressures of the humidity ratio for each situation.
    auto ratio = [&] {
        switch (situation) {
        case 1: sat(s.T); sat(s.wetBulb); break;
        case 2: sat(s.dewPoint); break;
        case 3: sat(s.T); break;
        default: break;
        }
    };
    if (fn->name == "HumiditySI") {
        // Its own wet-bulb relation (1), the humidity ratio then the dry bulb
        // (2), nothing (3), the dry bulb (4).
        if (situation == 1) {
            sat(s.T);
            sat(s.wetBulb);
        } else if (situation == 2) {
            sat(s.dewPoint);
            sat(s.T);
        } else if (situation == 4) {
            sat(s.T);
        }
    } else if (fn->name == "DewPointSI") {
        if (situation == 2)
            return calls; // the dew point given is returned as it is
        if (situation != 4)
            ratio();
        calls.dew = true;
        calls.dewCall = DewCallFor(s.W, s.p);
    } else {
        ratio();
    }
    return calls;
}

// The floor, call by call, on the arguments of SatPressureSI over water
// (exp, log, pow 3), over ice (pow 4) and of the dew point (pow 2, pow 0.1984).
void BareExp(benchmark::State& state)
{
    std::vector<double> s;
    for (double t : TheInputs().water) s.push_back(SatCallAt(t).s);
    Walk(state, [&](std::size_t i) { Keep(std::exp(s[i])); });
}
void BareLog(benchmark::State& state)
{
    const auto& t = TheInputs().water;
    Walk(state, [&](std::size_t i) { Keep(std::log(t[i] + kKelvin)); });
}
void BarePow(benchmark::State& state, double exponent)
{
    std::vector<double> base;
    for (const State& s : TheInputs().states) {
        const DewCall dew = DewCallFor(s.W, s.p);
        // pow 2 and pow 3 of the dew point take ln(pw); pow 3 and 4 of the
        // saturation pressure take the absolute temperature; 0.1984 takes pw.
        base.push_back(exponent == kDewExponent ? dew.pw : exponent == 2.0 ? dew.alpha : s.T + kKelvin);
    }
    Walk(state, [&](std::size_t i) { Keep(::pow(base[i], exponent)); });
}

/// Clearing and testing the floating-point status flags, once: what a status
/// test per statement would cost if it cleared the flags.
void BareFenvClearTest(benchmark::State& state)
{
    Walk(state, [](std::size_t) {
        std::feclearexcept(FE_ALL_EXCEPT);
        Keep(std::fetestexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW));
    });
}

void SatPressure(benchmark::State& state, bool ice)
{
    const auto& t = ice ? TheInputs().ice : TheInputs().water;
    Walk(state, [&](std::size_t i) { Keep(SatPressureSI(t[i])); });
}
void SatPressureFloor(benchmark::State& state, bool ice, bool chained)
{
    std::vector<SatCall> calls;
    for (double t : ice ? TheInputs().ice : TheInputs().water) calls.push_back(SatCallAt(t));
    if (chained)
        Walk(state, [&](std::size_t i) { Keep(SatFloorChained(calls[i])); });
    else
        Walk(state, [&](std::size_t i) { SatFloor(calls[i]); });
}

/// The saturation pressure as the formulas read, with no test of any value:
/// the difference to SatPressureSI is what the engine's value tests (and its
/// result type) cost.
double SatPressureUntested(double T)
{
    const auto& c = detail::kSI.saturation;
    if (!(T >= c.lowest && T <= c.highest))
        return 0.0;
    const double TA = T + c.offset;
    const double L = std::log(TA);
    double s = 0.0;
    if (TA > c.triplePoint) {
        s = (c.c12 * ::pow(TA, 3.0) + (((c.c8 / TA + c.c9) + c.c10 * TA) + c.c11 * TA * TA)) + c.c13 * L;
    } else {
        const double a = c.c5 * ::pow(TA, 3.0) + (((c.c1 / TA + c.c2) + c.c3 * TA) + c.c4 * TA * TA);
        s = (c.c6 * ::pow(TA, 4.0) + a) + c.c7 * L;
    }
    return std::exp(s);
}
void SatPressureUntestedBench(benchmark::State& state, bool ice)
{
    const auto& t = ice ? TheInputs().ice : TheInputs().water;
    Walk(state, [&](std::size_t i) { Keep(SatPressureUntested(t[i])); });
}

void StateFunctionBench(benchmark::State& state, Fn fn, std::int16_t situation)
{
    const humitrax::StateFunction f = fn->state;
    const auto& states = TheInputs().states;
    std::vector<double> v;
    for (const State& s : states) v.push_back(StateVar(s, situation));
    Walk(state, [&](std::size_t i) { Keep(f(states[i].T, states[i].p, situation, v[i])); });
}
void StateFunctionFloor(benchmark::State& state, Fn fn, std::int16_t situation, bool chained)
{
    std::vector<FloorCalls> calls;
    for (const State& s : TheInputs().states) calls.push_back(FloorFor(fn, situation, s));
    if (chained) {
        Walk(state, [&](std::size_t i) {
            const FloorCalls& c = calls[i];
            double pressures = 0.0;
            for (int k = 0; k < c.satCount; ++k)
                pressures += SatFloorChained(c.sat[static_cast<std::size_t>(k)]);
            if (c.dew)
                DewFloorChained(c.dewCall, pressures);
            else
                Keep(pressures);
        });
        return;
    }
    Walk(state, [&](std::size_t i) {
        const FloorCalls& c = calls[i];
        for (int k = 0; k < c.satCount; ++k)
            SatFloor(c.sat[static_cast<std::size_t>(k)]);
        if (c.dew)
            DewFloor(c.dewCall);
    });
}

void WetBulb(benchmark::State& state, std::int16_t situation)
{
    const auto& states = TheInputs().states;
    std::vector<double> v;
    for (const State& s : states) v.push_back(StateVar(s, situation));
    Walk(state, [&](std::size_t i) { Keep(WetBulbSI(states[i].T, states[i].p, situation, v[i])); });
}
/// SatPressureSI on the temperatures the wet bulb of `situation` evaluates;
/// chained, each call waits for the one before, as the iteration's calls do.
void WetBulbSatPoints(benchmark::State& state, std::int16_t situation, bool chained)
{
    const std::vector<double>& points = Profile(situation).points;
    std::size_t i = 0;
    double previous = 0.0;
    for (auto _ : state) {
        if (chained) {
            previous = SatPressureSI(points[i] + 0.0 * previous).AsNumber();
            Keep(previous);
        } else {
            Keep(SatPressureSI(points[i]));
        }
        if (++i == points.size())
            i = 0;
    }
}

/// The engine calls one press makes for third condition `index`, as numbers.
void PressEngineCalls(const Press& press, std::size_t index)
{
    const double& T = press.T;
    const double& P = press.p;
    const double& v = press.stateVar[index];
    const auto situation = static_cast<std::int16_t>(index + 1);
    switch (index) {
    case 0:
        Keep(HumiditySI(T, P, situation, v).AsNumber() * 100.0);
        Keep(DewPointSI(T, P, situation, v).AsNumber());
        Keep(HumidRatioSI(T, P, situation, v).AsNumber());
        break;
    case 1:
        Keep(HumiditySI(T, P, situation, v).AsNumber() * 100.0);
        Keep(WetBulbSI(T, P, situation, v).AsNumber());
        Keep(HumidRatioSI(T, P, situation, v).AsNumber());
        break;
    case 2:
        Keep(DewPointSI(T, P, situation, v).AsNumber());
        Keep(WetBulbSI(T, P, situation, v).AsNumber());
        Keep(HumidRatioSI(T, P, situation, v).AsNumber());
        break;
    default:
        Keep(DewPointSI(T, P, situation, v).AsNumber());
        Keep(WetBulbSI(T, P, situation, v).AsNumber());
        Keep(HumiditySI(T, P, situation, v).AsNumber() * 100.0);
        break;
    }
    Keep(EnthalpySI(T, P, situation, v).AsNumber());
    Keep(VolumeSI(T, P, situation, v).AsNumber());
}
void EngineCallsOfPress(benchmark::State& state, std::size_t index)
{
    const auto& presses = TheInputs().presses;
    Walk(state, [&](std::size_t i) { PressEngineCalls(presses[i], index); });
}
void WholePress(benchmark::State& state, std::size_t index)
{
    const auto& presses = TheInputs().presses;
    const NumberConventions conventions;
    Walk(state, [&](std::size_t i) { Keep(Calculate(presses[i].requests[index], conventions)); });
}

/// The five engine calls of a state for `situation`, in the calculator's order:
/// the three humidity properties other than the given one, then enthalpy and
/// volume.
void SeparateCallsOfState(const State& s, std::int16_t situation)
{
    const double v = StateVar(s, situation);
    if (situation != 1)
        Keep(WetBulbSI(s.T, s.p, situation, v));
    if (situation != 2)
        Keep(DewPointSI(s.T, s.p, situation, v));
    if (situation != 3)
        Keep(HumiditySI(s.T, s.p, situation, v));
    if (situation != 4)
        Keep(HumidRatioSI(s.T, s.p, situation, v));
    Keep(EnthalpySI(s.T, s.p, situation, v));
    Keep(VolumeSI(s.T, s.p, situation, v));
}
void SeparateCalls(benchmark::State& state, std::int16_t situation)
{
    const auto& states = TheInputs().states;
    Walk(state, [&](std::size_t i) { SeparateCallsOfState(states[i], situation); });
}
/// The same state, every property the full state gives (the five above, the
/// given one, the saturation pressure and the saturation humidity ratio).
void FullStateBench(benchmark::State& state, std::int16_t situation)
{
    const auto& states = TheInputs().states;
    Walk(state, [&](std::size_t i) {
        const State& s = states[i];
        Keep(ComputeFullState(s.T, s.p, situation, StateVar(s, situation), 1));
    });
}

/// The library calls the full state from the relative humidity cannot avoid:
/// the saturation pressure at the dry bulb once, at each further trial point
/// of the wet bulb's secant, and the dew point's.
struct FullStateCalls {
    std::vector<SatCall> sat;
    DewCall dew;
};
const std::vector<FullStateCalls>& TheFullStateCalls()
{
    static const std::vector<FullStateCalls> calls = [] {
        std::vector<FullStateCalls> out;
        for (const State& s : TheInputs().states) {
            std::vector<double> points;
            (void)CountWetBulb(s, 3, &points);
            FullStateCalls c{{}, DewCallFor(s.W, s.p)};
            // The first two points are the dry bulb, for the humidity ratio
            // and as the first trial: the full state evaluates it once.
            for (std::size_t k = 1; k < points.size(); ++k)
                c.sat.push_back(SatCallAt(points[k]));
            out.push_back(std::move(c));
        }
        return out;
    }();
    return calls;
}
/// Those calls made independently, or chained as the secant chains them
/// (each saturation pressure waiting for the one before; the dew point
/// independent).
void FullStateFloor(benchmark::State& state, bool chained)
{
    const auto& calls = TheFullStateCalls();
    Walk(state, [&](std::size_t i) {
        const FullStateCalls& c = calls[i];
        double previous = 0.0;
        for (const SatCall& sat : c.sat) {
            if (chained)
                previous = SatFloorChained({sat.TA + 0.0 * previous, sat.s, sat.ice});
            else
                SatFloor(sat);
        }
        Keep(previous);
        DewFloor(c.dew);
    });
}

/// A press that ends in "Out of range values." (a dry bulb of 52).
void PressOutOfRange(benchmark::State& state)
{
    CalculationRequest request = TheInputs().presses[0].requests[2];
    request.dryBulb = "52";
    const NumberConventions conventions;
    Walk(state, [&](std::size_t) { Keep(Calculate(request, conventions)); });
}

// The 2017 relations on the same states, SI.

/// Each state's humidity ratio and vapour pressure under the 2017 relations.
struct State2017 {
    double W;
    double pw;
};

const std::vector<State2017>& TheStates2017()
{
    static const std::vector<State2017> states = [] {
        std::vector<State2017> out;
        for (const State& s : TheInputs().states) {
            const double W = ashrae2017::HumidityRatioFromRelativeHumidity(s.T, s.p, s.rh, true);
            out.push_back({W, ashrae2017::VapourPressureFromHumidityRatio(W, s.p, true)});
        }
        return out;
    }();
    return states;
}

/// One whole state from dry bulb, pressure and relative humidity: saturation
/// pressure, humidity ratio, wet bulb, dew point, enthalpy and volume.
void Ashrae2017State(benchmark::State& state)
{
    const auto& states = TheInputs().states;
    Walk(state, [&](std::size_t i) {
        const State& s = states[i];
        Keep(ashrae2017::SatPressure(s.T, true));
        const double W = ashrae2017::HumidityRatioFromRelativeHumidity(s.T, s.p, s.rh, true);
        Keep(ashrae2017::WetBulb(s.T, W, s.p, true));
        Keep(ashrae2017::DewPoint(ashrae2017::VapourPressureFromHumidityRatio(W, s.p, true), true));
        Keep(ashrae2017::Enthalpy(s.T, W, true));
        Keep(ashrae2017::Volume(s.T, W, s.p, true));
    });
}
void Ashrae2017WetBulb(benchmark::State& state)
{
    const auto& states = TheInputs().states;
    const auto& states2017 = TheStates2017();
    Walk(state, [&](std::size_t i) { Keep(ashrae2017::WetBulb(states[i].T, states2017[i].W, states[i].p, true)); });
}
void Ashrae2017DewPoint(benchmark::State& state)
{
    const auto& states2017 = TheStates2017();
    Walk(state, [&](std::size_t i) { Keep(ashrae2017::DewPoint(states2017[i].pw, true)); });
}

// The same with the solvers as they were before (ashrae2017_before.h), for
// the table's comparison in the same run.
void Ashrae2017StateBefore(benchmark::State& state)
{
    const auto& states = TheInputs().states;
    Walk(state, [&](std::size_t i) {
        const State& s = states[i];
        Keep(ashrae2017::SatPressure(s.T, true));
        const double W = ashrae2017::HumidityRatioFromRelativeHumidity(s.T, s.p, s.rh, true);
        Keep(bench::before::WetBulb(s.T, W, s.p, true));
        Keep(bench::before::DewPoint(ashrae2017::VapourPressureFromHumidityRatio(W, s.p, true), true));
        Keep(ashrae2017::Enthalpy(s.T, W, true));
        Keep(ashrae2017::Volume(s.T, W, s.p, true));
    });
}
void Ashrae2017WetBulbBefore(benchmark::State& state)
{
    const auto& states = TheInputs().states;
    const auto& states2017 = TheStates2017();
    Walk(state, [&](std::size_t i) {
        Keep(bench::before::WetBulb(states[i].T, states2017[i].W, states[i].p, true));
    });
}
void Ashrae2017DewPointBefore(benchmark::State& state)
{
    const auto& states2017 = TheStates2017();
    Walk(state, [&](std::size_t i) { Keep(bench::before::DewPoint(states2017[i].pw, true)); });
}

// The driver's number conversions, on the values of the report.
void DriverRound(benchmark::State& state)
{
    const auto& states = TheInputs().states;
    Walk(state, [&](std::size_t i) { Keep(RoundHalfEven(states[i].wetBulb, 1)); });
}
void DriverText(benchmark::State& state)
{
    const auto& states = TheInputs().states;
    const NumberConventions conventions;
    Walk(state, [&](std::size_t i) { Keep(NumberToText(states[i].T, conventions)); });
}
void DriverEntry(benchmark::State& state)
{
    const auto& presses = TheInputs().presses;
    const NumberConventions conventions;
    Walk(state, [&](std::size_t i) { Keep(EntryToNumber(presses[i].requests[0].second, conventions)); });
}

constexpr std::array<const char*, 4> kThird{"wet_bulb", "dew_point", "relative_humidity", "humidity_ratio"};

void RegisterAll()
{
    auto reg = [](const std::string& name, auto&& fn) {
        benchmark::RegisterBenchmark(name.c_str(), fn)->Unit(benchmark::kNanosecond);
    };
    reg("floor/exp", BareExp);
    reg("floor/log", BareLog);
    for (double e : {2.0, 3.0, 4.0, kDewExponent})
        reg("floor/pow_" + Fixed(e, e == kDewExponent ? 4 : 0), [e](benchmark::State& s) { BarePow(s, e); });
    reg("floor/feclearexcept_fetestexcept", BareFenvClearTest);

    for (bool ice : {true, false}) {
        const std::string where = ice ? "ice" : "water";
        reg("SatPressureSI/" + where, [ice](benchmark::State& s) { SatPressure(s, ice); });
        reg("SatPressureSI_untested/" + where, [ice](benchmark::State& s) { SatPressureUntestedBench(s, ice); });
        reg("floor/SatPressureSI/" + where, [ice](benchmark::State& s) { SatPressureFloor(s, ice, false); });
        reg("chained_floor/SatPressureSI/" + where, [ice](benchmark::State& s) { SatPressureFloor(s, ice, true); });
    }
    for (Fn fn : ClosedFormFunctions()) {
        for (std::int16_t situation = 1; situation <= 4; ++situation) {
            const std::string suffix = std::string(fn->name) + "/" + std::to_string(situation);
            reg(suffix, [fn, situation](benchmark::State& s) { StateFunctionBench(s, fn, situation); });
            const FloorCalls calls = FloorFor(fn, situation, TheInputs().states[0]);
            if (calls.satCount == 0 && !calls.dew)
                continue; // no library call: no floor
            reg("floor/" + suffix, [fn, situation](benchmark::State& s) { StateFunctionFloor(s, fn, situation, false); });
            reg("chained_floor/" + suffix,
                [fn, situation](benchmark::State& s) { StateFunctionFloor(s, fn, situation, true); });
        }
    }
    for (std::int16_t situation = 1; situation <= 4; ++situation) {
        reg("WetBulbSI/" + std::to_string(situation), [situation](benchmark::State& s) { WetBulb(s, situation); });
        if (situation > 1) {
            reg("SatPressureSI/points_of_WetBulbSI/" + std::to_string(situation),
                [situation](benchmark::State& s) { WetBulbSatPoints(s, situation, false); });
            reg("SatPressureSI/points_of_WetBulbSI/" + std::to_string(situation) + "/chained",
                [situation](benchmark::State& s) { WetBulbSatPoints(s, situation, true); });
        }
    }
    for (std::int16_t situation = 1; situation <= 4; ++situation) {
        const std::string third = kThird[static_cast<std::size_t>(situation - 1)];
        reg("full_state/" + third, [situation](benchmark::State& s) { FullStateBench(s, situation); });
        reg("separate_calls_of_state/" + third, [situation](benchmark::State& s) { SeparateCalls(s, situation); });
    }
    reg("floor/full_state/relative_humidity", [](benchmark::State& s) { FullStateFloor(s, false); });
    reg("chained_floor/full_state/relative_humidity", [](benchmark::State& s) { FullStateFloor(s, true); });
    for (std::size_t index = 0; index < 4; ++index) {
        reg(std::string("press/") + kThird[index], [index](benchmark::State& s) { WholePress(s, index); });
        reg(std::string("engine_calls_of_press/") + kThird[index],
            [index](benchmark::State& s) { EngineCallsOfPress(s, index); });
    }
    reg("press/message_out_of_range", PressOutOfRange);
    reg("driver/RoundHalfEven", DriverRound);
    reg("driver/NumberToText", DriverText);
    reg("driver/EntryToNumber", DriverEntry);
    reg("ashrae2017/state", Ashrae2017State);
    reg("ashrae2017/WetBulb", Ashrae2017WetBulb);
    reg("ashrae2017/DewPoint", Ashrae2017DewPoint);
    reg("ashrae2017_before/state", Ashrae2017StateBefore);
    reg("ashrae2017_before/WetBulb", Ashrae2017WetBulbBefore);
    reg("ashrae2017_before/DewPoint", Ashrae2017DewPointBefore);
}

// ---------------------------------------------------------------------------
// The ratio table


constexpr double kClosedForm = 1.3;
constexpr double kPress = 1.5;
constexpr double kHalf = 0.5;

void Header(const char* reference, const char* second)
{
    std::printf("\n%-32s %8s %9s %6s %6s %-4s  %9s %6s\n", "benchmark", "time", reference, "ratio", "target", "",
                second, "ratio");
}

/// One line: the time, its reference, the ratio against the target, and a
/// second reference with its ratio for comparison.
void Row(const std::string& name, double time, double reference, double limit, double second)
{
    if (time < 0.0 || reference <= 0.0)
        return;
    const double ratio = time / reference;
    std::printf("%-32s %8.1f %9.1f %6.2f %6.2f %-4s", name.c_str(), time, reference, ratio, limit,
                ratio <= limit ? "met" : "MISS");
    if (second > 0.0)
        std::printf("  %9.1f %6.2f", second, time / second);
    std::printf("\n");
}

void PrintRatios(const humitrax::bench::RunTimes& r)
{
    std::printf("\nRatios: CPU time per call in ns, the median of the repetitions when repeated.\n");
    std::printf("\nClosed forms against their library calls (floor: the calls made independently;\n"
                "chained: in the formula's order, exp waiting for log and pow, the dew point's\n"
                "powers for its logarithm). The target applies to the floor.\n");
    Header("floor", "chained");
    for (const char* where : {"ice", "water"}) {
        const std::string name = std::string("SatPressureSI/") + where;
        Row(name, r.Time(name), r.Time("floor/" + name), kClosedForm, r.Time("chained_floor/" + name));
    }
    for (Fn fn : ClosedFormFunctions()) {
        for (int situation = 1; situation <= 4; ++situation) {
            const std::string name = std::string(fn->name) + "/" + std::to_string(situation);
            const FloorCalls calls = FloorFor(fn, static_cast<std::int16_t>(situation), TheInputs().states[0]);
            if (calls.satCount == 0 && !calls.dew) {
                if (r.Time(name) >= 0.0)
                    std::printf("%-32s %8.1f  (no library call: nothing to compare with)\n", name.c_str(),
                                r.Time(name));
                continue;
            }
            Row(name, r.Time(name), r.Time("floor/" + name), kClosedForm, r.Time("chained_floor/" + name));
        }
    }

    std::printf("\nWetBulbSI against (its saturation-pressure evaluations) x SatPressureSI on the\n"
                "same temperatures (independent calls; chained: each call waiting for the one\n"
                "before, as the iteration's calls do). The target applies to the first.\n");
    Header("n x sat", "n x chain");
    for (int situation = 2; situation <= 4; ++situation) {
        const std::string name = "WetBulbSI/" + std::to_string(situation);
        const std::string points = "SatPressureSI/points_of_WetBulbSI/" + std::to_string(situation);
        const double sat = r.Time(points);
        const double chained = r.Time(points + "/chained");
        if (sat < 0.0 || r.Time(name) < 0.0)
            continue;
        const WetBulbProfile& profile = Profile(static_cast<std::int16_t>(situation));
        Row(name, r.Time(name), profile.meanEvaluations * sat, kClosedForm,
            chained > 0.0 ? profile.meanEvaluations * chained : -1.0);
        std::printf("%-32s %.2f evaluations per call%s; SatPressureSI %.1f ns, chained %.1f ns\n", "",
                    profile.meanEvaluations, profile.matchesEngine ? "" : " (COUNT UNVERIFIED)", sat, chained);
    }

    std::printf("\nOne full state (ComputeFullState, SI: every property) against the five separate\n"
                "calls of a state, in the calculator's order. Speed-up target: 3.5 from the relative\n"
                "humidity.\n");
    std::printf("%-36s %8s %9s %8s\n", "benchmark", "time", "separate", "speed-up");
    for (const char* third : kThird) {
        const double full = r.Time(std::string("full_state/") + third);
        const double separate = r.Time(std::string("separate_calls_of_state/") + third);
        if (full > 0.0 && separate > 0.0)
            std::printf("%-36s %8.1f %9.1f %8.2f\n", (std::string("full_state/") + third).c_str(), full, separate,
                        separate / full);
    }
    const double separate = r.Time("separate_calls_of_state/relative_humidity");
    for (const char* floor : {"floor", "chained_floor"}) {
        const double time = r.Time(std::string(floor) + "/full_state/relative_humidity");
        if (time > 0.0 && separate > 0.0)
            std::printf("%-36s %8.1f %9.1f %8.2f  (its library calls alone: the most a full state could gain)\n",
                        (std::string(floor) + "/full_state/rh").c_str(), time, separate, separate / time);
    }

    std::printf("\nOne whole press (entries read, engine calls, report composed) against the engine\n"
                "calls it makes.\n");
    Header("engine", "");
    for (const char* third : kThird) {
        const std::string name = std::string("press/") + third;
        Row(name, r.Time(name), r.Time(std::string("engine_calls_of_press/") + third), kPress, -1.0);
    }

    std::printf("\nThe 2017 relations (SI, from the relative humidity) against their solvers as they\n"
                "were (bench/ashrae2017_before.h), on the same states in the same run. Target for a\n"
                "whole state: at most half the time before.\n");
    Header("before", "");
    for (const char* what : {"state", "WetBulb", "DewPoint"}) {
        const std::string name = std::string("ashrae2017/") + what;
        const double time = r.Time(name);
        const double before = r.Time(std::string("ashrae2017_before/") + what);
        if (std::string(what) == "state")
            Row(name, time, before, kHalf, -1.0);
        else if (time >= 0.0 && before > 0.0)
            std::printf("%-32s %8.1f %9.1f %6.2f\n", name.c_str(), time, before, time / before);
    }

    std::printf("\nCost of the engine's value tests (and its result type):\n");
    for (const char* where : {"ice", "water"}) {
        const std::string name = std::string("SatPressureSI/") + where;
        const double tested = r.Time(name);
        const double untested = r.Time(std::string("SatPressureSI_untested/") + where);
        if (tested >= 0.0 && untested > 0.0)
            std::printf("  %s %.1f ns, the same formula untested %.1f ns: %+.1f ns (%+.0f %%)\n", name.c_str(),
                        tested, untested, tested - untested, 100.0 * (tested - untested) / untested);
    }
    if (const double fenv = r.Time("floor/feclearexcept_fetestexcept"); fenv >= 0.0)
        std::printf("  clearing and testing the status flags instead, once per call: %.1f ns\n", fenv);
}

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    const Inputs& inputs = TheInputs();
    std::printf("%zu states (0.5 to 45 C, 80 to 105 kPa, 5 to 100 %%); %zu typed presses\n", inputs.states.size(),
                inputs.presses.size());
    for (std::int16_t situation = 2; situation <= 4; ++situation) {
        const WetBulbProfile& profile = Profile(situation);
        std::printf("WetBulbSI/%d: %.2f saturation pressures per call on average (count %s the engine's results)\n",
                    situation, profile.meanEvaluations,
                    profile.matchesEngine ? "checked against" : "DOES NOT MATCH");
    }
    RegisterAll();
    // Colours only on a terminal, as the library's own reporter does.
    humitrax::bench::RunTimes reporter(isatty(STDOUT_FILENO) != 0 ? benchmark::ConsoleReporter::OO_ColorTabular
                                                           : benchmark::ConsoleReporter::OO_Tabular);
    std::fflush(stdout);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::cout.flush(); // the reporter writes to std::cout, the table to stdout
    PrintRatios(reporter);
    benchmark::Shutdown();
    return 0;
}
