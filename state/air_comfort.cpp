// The comfort of people in air of a given state.
#include "humitrax/air_comfort.h"

#include "humitrax/constants.h"


namespace humitrax {
namespace {

constexpr double kDefaultAirSpeed = 0.1;            // m/s, in either unit system
constexpr double kMetresPerSecondPerFpm = 0.00508; // a foot a minute
constexpr double kPascalsPerKilopascal = 1000.0;

double Celsius(double value, Units units) { return units == Units::SI ? value : (value - 32.0) / 1.8; }

} // namespace

AirComfort ComfortOfAir(const PairInput& air, const ComfortGiven& person)
{
    AirComfort out;
    const StateResult state = ComputeStateFromPair(air);
    if (!state.refusal.empty()) {
        out.failure = "the air cannot exist: " + RefusalWords(state);
        return out;
    }
    const Cell& vapour = state[Property::VapourPressure];
    if (!vapour.present) {
        out.failure = "vapour_pressure: " + std::string(vapour.reason);
        return out;
    }
    const bool si = air.units == Units::SI;
    comfort::ComfortInput input{};
    const double dryBulb = state[Property::DryBulb].value;
    input.airTemperature = Celsius(dryBulb, air.units);
    input.meanRadiantTemperature = Celsius(person.radiant.value_or(dryBulb), air.units);
    input.airSpeed = person.airSpeed ? *person.airSpeed * (si ? 1.0 : kMetresPerSecondPerFpm) : kDefaultAirSpeed;
    input.vapourPressure = vapour.value * (si ? kPascalsPerKilopascal : kPascalsPerPsi);
    input.metabolicRate = person.metabolicRate;
    input.clothing = person.clothing;
    if (const std::optional<comfort::InputProblem> problem = comfort::InputRefusal(input)) {
        out.failure = std::string(problem->rule) + ", not " + ReadableNumber(input.*(problem->input));
        return out;
    }
    comfort::PmvPpd result{};
    try {
        result = comfort::Pmv(input);
    } catch (const PropertyFailure& failure) {
        out.failure = "PMV: " + std::string(CausePhrase(failure.cause()));
        return out;
    }
    out.values = {input.airTemperature, input.meanRadiantTemperature, input.airSpeed, input.vapourPressure,
                  input.metabolicRate,  input.clothing,               result.pmv,     result.ppd};
    out.applicable = comfort::InApplicableRange(input);
    return out;
}

} // namespace humitrax
