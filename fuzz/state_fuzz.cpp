// A state from any two of its properties, on arbitrary values (NaN,
// infinities, subnormals, values at and beyond the ends of every range),
// either model, either unit system, either saturation. The solver must end
// (libFuzzer calls a run over 10 s a hang) and give either a refusal with its
// reason, or a state whose every value is one air can have, the two given
// values standing as given.
#include "fuzz_input.h"
#include "humitrax/constants.h"
#include "humitrax/pair.h"

#include <cmath>
#include <cstdint>
#include <string>

namespace humitrax::fuzz {
namespace {

/// The given property for a byte: mostly the eight a state may be given by,
/// sometimes one it may not.
Property PropertyOf(std::uint8_t byte)
{
    if (byte < 240)
        return kGivableProperties[byte % kGivableProperties.size()];
    return kAllProperties[byte % kAllProperties.size()];
}

std::string Named(Property property, double value)
{
    return std::string(PropertyColumn(property)) + " " + std::to_string(value);
}

/// Every value of a state is one air can have.
void CheckPossible(const StateResult& state, const PairInput& input)
{
    const TemperatureRange& range = TemperatureRangeOf(input.units == Units::SI);
    const auto cell = [&](Property property) -> const Cell& { return state[property]; };
    for (Property property : kAllProperties) {
        if (cell(property).present)
            Require(std::isfinite(cell(property).value), "a value that is not finite", Named(property, cell(property).value));
    }
    Require(cell(Property::DryBulb).present, "a state without its dry bulb");
    const double t = cell(Property::DryBulb).value;
    for (Property temperature : {Property::DryBulb, Property::WetBulb, Property::DewPoint}) {
        if (!cell(temperature).present)
            continue;
        const double value = cell(temperature).value;
        Require(range.Contains(value), "a temperature outside the range", Named(temperature, value));
        Require(value <= t, "a temperature above the dry bulb", Named(temperature, value));
    }
    if (cell(Property::RelativeHumidity).present) {
        const double rh = cell(Property::RelativeHumidity).value;
        Require(rh >= 0.0 && rh <= 100.0, "a relative humidity outside 0 to 100 %", std::to_string(rh));
    }
    if (cell(Property::HumidityRatio).present)
        Require(cell(Property::HumidityRatio).value >= 0.0, "a humidity ratio below 0");
    if (cell(Property::VapourPressure).present) {
        const double pw = cell(Property::VapourPressure).value;
        Require(pw >= 0.0 && pw < input.pressure, "a vapour pressure outside 0 to the pressure", std::to_string(pw));
    }
    for (Property positive : {Property::SpecificVolume, Property::Density}) {
        if (cell(positive).present)
            Require(cell(positive).value > 0.0, "a volume or density not above 0", Named(positive, cell(positive).value));
    }
    if (cell(Property::DegreeOfSaturation).present) {
        const double mu = cell(Property::DegreeOfSaturation).value;
        Require(mu >= 0.0 && mu <= 1.0, "a degree of saturation outside 0 to 1", std::to_string(mu));
    }
    for (const auto& [property, value] : {std::pair{input.given.first, input.given.firstValue},
                                          std::pair{input.given.second, input.given.secondValue}}) {
        Require(cell(property).present && cell(property).value == value, "a given value that does not stand",
                Named(property, value));
    }
}

} // namespace
} // namespace humitrax::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace humitrax;
    using namespace humitrax::fuzz;
    FuzzInput in(data, size);
    const std::uint8_t choices = in.Byte();
    PairInput input;
    input.units = (choices & 1U) != 0 ? Units::InchPound : Units::SI;
    input.model = (choices & 2U) != 0 ? Model::Calculator : Model::Ashrae2017;
    input.saturation =
        (choices & 4U) != 0 && input.model == Model::Ashrae2017 ? Saturation::Water : Saturation::IceBelowFreezing;
    input.pressure = (choices & 8U) != 0 ? in.Double() : (input.units == Units::SI ? 101.325 : 14.696);
    input.given.first = PropertyOf(in.Byte());
    input.given.firstValue = in.Double();
    input.given.second = PropertyOf(in.Byte());
    input.given.secondValue = in.Double();
    const StateResult state = ComputeStateFromPair(input);
    if (state.refusal.empty())
        CheckPossible(state, input);
    return 0;
}
