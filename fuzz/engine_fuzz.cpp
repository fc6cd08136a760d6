// Every engine function on arbitrary doubles (NaN, infinities, subnormals
// included), Situation codes and unit flags. Each call must end in a number,
// one of the function's own error texts, empty where the function may return
// it, or a PropertyFailure of a cause the function can raise; nothing else may
// escape. A public function with the flag nonzero must equal its SI companion.
#include "fuzz_input.h"
#include "humitrax/functions.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace humitrax::fuzz {
namespace {

/// How one call ended.
struct Outcome {
    enum class Kind : std::uint8_t { Number, Text, Empty, Failure } kind = Kind::Empty;
    double number = 0.0;
    std::string_view text;
    FailureCause cause = FailureCause::TypeMismatch;

    friend bool operator==(const Outcome& a, const Outcome& b)
    {
        if (a.kind != b.kind)
            return false;
        switch (a.kind) {
        case Kind::Number:
            return std::bit_cast<std::uint64_t>(a.number) == std::bit_cast<std::uint64_t>(b.number);
        case Kind::Text: return a.text == b.text;
        case Kind::Empty: return true;
        case Kind::Failure: return a.cause == b.cause;
        }
        return false;
    }
};

template <typename Call>
Outcome Run(std::string_view name, Call call)
{
    Outcome outcome;
    try {
        const PropertyResult result = call();
        switch (result.kind()) {
        case PropertyResult::Kind::Number:
            outcome.kind = Outcome::Kind::Number;
            outcome.number = result.AsNumber();
            break;
        case PropertyResult::Kind::Text:
            outcome.kind = Outcome::Kind::Text;
            outcome.text = result.text();
            break;
        case PropertyResult::Kind::Empty: outcome.kind = Outcome::Kind::Empty; break;
        }
    } catch (const PropertyFailure& failure) {
        outcome.kind = Outcome::Kind::Failure;
        outcome.cause = failure.cause();
    } catch (...) {
        PropertyBroken(name, "threw something other than a PropertyFailure");
    }
    return outcome;
}

bool ValidSituation(std::int16_t situation) { return situation >= 1 && situation <= 4; }

bool SameBits(double a, double b)
{
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

/// What one function may give for one set of arguments.
struct Allowed {
    std::initializer_list<std::string_view> texts; ///< its own error texts
    bool empty = false;                            ///< may it return empty
    std::initializer_list<FailureCause> causes;    ///< failures it may raise
    /// A number passed through unchanged from StateVar (which may be any
    /// double); any other number is finite.
    bool passesStateVar = false;
};

void Check(std::string_view name, const Outcome& outcome, const Allowed& allowed, double stateVar)
{
    switch (outcome.kind) {
    case Outcome::Kind::Number:
        if (allowed.passesStateVar)
            Require(SameBits(outcome.number, stateVar), name, "number is not StateVar unchanged");
        else
            Require(std::isfinite(outcome.number), name, "number is not finite");
        return;
    case Outcome::Kind::Text:
        for (std::string_view text : allowed.texts)
            if (outcome.text == text)
                return;
        PropertyBroken(name, std::string("text not its own: ") + std::string(outcome.text));
    case Outcome::Kind::Empty:
        Require(allowed.empty, name, "empty");
        return;
    case Outcome::Kind::Failure:
        for (FailureCause cause : allowed.causes)
            if (outcome.cause == cause)
                return;
        PropertyBroken(name, std::string("failure of an unexpected cause: ") +
                                 std::string(CauseName(outcome.cause)));
    }
}

constexpr std::initializer_list<FailureCause> kArithmetic{
    FailureCause::TypeMismatch, FailureCause::DivisionByZero, FailureCause::Overflow,
    FailureCause::InvalidOperation};
constexpr std::initializer_list<FailureCause> kArithmeticAndLogarithm{
    FailureCause::TypeMismatch, FailureCause::DivisionByZero, FailureCause::Overflow,
    FailureCause::InvalidOperation, FailureCause::InvalidLogarithm};
constexpr std::initializer_list<FailureCause> kArithmeticAndIteration{
    FailureCause::TypeMismatch, FailureCause::DivisionByZero, FailureCause::Overflow,
    FailureCause::InvalidOperation, FailureCause::NoConvergence};

void CheckSaturation(std::string_view name, const Outcome& outcome, double T, bool si)
{
    const bool inRange = si ? (T >= -100.0 && T <= 200.0) : (T >= -148.0 && T <= 392.0);
    if (inRange) {
        Require(outcome.kind == Outcome::Kind::Number, name, "no number inside the range");
        Require(std::isfinite(outcome.number) && outcome.number >= 0.0, name,
                "not a finite pressure");
    } else {
        Require(outcome.kind == Outcome::Kind::Text && outcome.text == texts::kOutOfRange, name,
                "not \"out of range\" outside the range");
    }
}

/// One function of T, p, Situation, StateVar in one unit system.
void CheckState(std::string_view function, const Outcome& outcome, bool si, double T,
                std::int16_t situation, double stateVar)
{
    const bool valid = ValidSituation(situation);
    const std::string name = std::string(function) + (si ? " (SI)" : " (inch-pound)");
    if (function == "HumidRatio") {
        Check(name, outcome, {{texts::kError}, false, kArithmetic, situation == kHumidityRatioGiven},
              stateVar);
        Require(valid != (outcome.kind == Outcome::Kind::Text), name, "\"error\" iff Situation invalid");
    } else if (function == "Humidity") {
        Check(name, outcome,
              {{texts::kOutOfRange}, !valid, kArithmetic, situation == kRelativeHumidityGiven},
              stateVar);
        if (outcome.kind == Outcome::Kind::Number && situation != kRelativeHumidityGiven)
            Require(outcome.number >= 0.0 && outcome.number <= 1.0, name, "fraction outside 0 to 1");
        if (outcome.kind == Outcome::Kind::Number && situation == kRelativeHumidityGiven)
            Require(!(outcome.number < 0.0 || outcome.number > 1.0), name, "fraction outside 0 to 1");
        if (!valid)
            Require(outcome.kind == Outcome::Kind::Empty || outcome.kind == Outcome::Kind::Text, name,
                    "invalid Situation gives neither empty nor \"out of range\"");
        // The dry-bulb test: below 0 (°C or °F) every Situation but the wet bulb's is out of range.
        if (situation != kWetBulbGiven && T < 0.0)
            Require(outcome.kind != Outcome::Kind::Number, name, "number for a dry bulb below 0");
    } else if (function == "DewPoint") {
        const std::string_view own = si ? texts::kInvalidSituation : texts::kSituationMustBe;
        Check(name, outcome, {{own}, false, kArithmeticAndLogarithm, situation == kDewPointGiven},
              stateVar);
        Require(valid != (outcome.kind == Outcome::Kind::Text), name, "text iff Situation invalid");
    } else if (function == "WetBulb") {
        Check(name, outcome,
              {{texts::kInvalidSituation}, false, kArithmeticAndIteration, situation == kWetBulbGiven},
              stateVar);
        Require(valid != (outcome.kind == Outcome::Kind::Text), name, "text iff Situation invalid");
    } else {
        // Volume, Enthalpy, Grains: a number or a failure, never a text.
        Check(name, outcome, {{}, false, kArithmetic, false}, stateVar);
        // The volume forms the absolute temperature before it asks for the
        // humidity ratio, so a dry bulb without one fails first.
        const bool absoluteFirst =
            function == "Volume" && !std::isfinite(T + (si ? 273.15 : 459.67));
        if (!valid && !absoluteFirst)
            Require(outcome.kind == Outcome::Kind::Failure &&
                        outcome.cause == FailureCause::TypeMismatch,
                    name, "invalid Situation does not fail with a type mismatch");
        if (!valid)
            Require(outcome.kind == Outcome::Kind::Failure, name, "invalid Situation does not fail");
    }
}

} // namespace
} // namespace humitrax::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace humitrax;
    using namespace humitrax::fuzz;
    FuzzInput in(data, size);
    const double T = in.Double();
    const double p = in.Double();
    const std::int16_t situation = in.Code();
    const double stateVar = in.Double();
    const std::int16_t unitsSI = in.Flag();
    const std::int16_t inchPound = 0;
    // Copies: the engine takes every argument by reference and must not write it.
    const double T0 = T;
    const double p0 = p;
    const double stateVar0 = stateVar;

    // interp: a finite pressure, or a failure for altitudes beyond any atmosphere.
    try {
        const double pressure = interp(T);
        Require(std::isfinite(pressure), "interp", "not finite");
    } catch (const PropertyFailure& failure) {
        Require(failure.cause() == FailureCause::Overflow ||
                    failure.cause() == FailureCause::InvalidOperation,
                "interp", "failure of an unexpected cause");
    } catch (...) {
        PropertyBroken("interp", "threw something other than a PropertyFailure");
    }

    const Outcome satSI = Run("SatPressureSI", [&] { return SatPressureSI(T); });
    CheckSaturation("SatPressureSI", satSI, T, true);
    const Outcome satIP = Run("SatPressure", [&] { return SatPressure(T, inchPound); });
    CheckSaturation("SatPressure (inch-pound)", satIP, T, false);
    if (unitsSI != 0)
        Require(Run("SatPressure", [&] { return SatPressure(T, unitsSI); }) == satSI, "SatPressure",
                "flag nonzero differs from SatPressureSI");

    // Each public function of a state, and its SI companion.
    for (const EngineFunction& f : kEngineFunctions) {
        if (f.signature != Signature::StateUnits)
            continue;
        const StateFunction siCompanion = FindEngineFunction(f.siCompanion)->state;
        const Outcome si = Run(f.name, [&] { return siCompanion(T, p, situation, stateVar); });
        CheckState(f.name, si, true, T, situation, stateVar);
        const Outcome ip = Run(f.name, [&] { return f.stateUnits(T, p, situation, stateVar, inchPound); });
        CheckState(f.name, ip, false, T, situation, stateVar);
        if (unitsSI != 0)
            Require(Run(f.name, [&] { return f.stateUnits(T, p, situation, stateVar, unitsSI); }) == si,
                    f.name, "flag nonzero differs from the SI companion");
    }
    const Outcome grains = Run("Grains", [&] { return Grains(T, p, situation, stateVar); });
    CheckState("Grains", grains, false, T, situation, stateVar);

    Require(SameBits(T, T0) && SameBits(p, p0) && SameBits(stateVar, stateVar0), "engine",
            "an argument was written");
    return 0;
}
