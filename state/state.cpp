// One state: the refusal rules, the model's properties, and the properties
// formed from them alike under both models.
#include "cells.h"

#include <algorithm>
#include <initializer_list>

namespace humitrax {
namespace {

/// The ratio of the molar masses of water and dry air in the calculator's
/// relations (the 2017 model uses its own, 0.621945).
constexpr double kCalculatorMolarMassRatio = 0.62198;

using detail::Checked;

/// Why air with these given values cannot exist, by the rules that need no
/// model, or nothing.
std::string_view ValueRefusal(const StateInput& input) noexcept
{
    if (!(input.pressure > 0.0))
        return "at or below 0";
    switch (input.condition) {
    case Condition::RelativeHumidity:
        if (input.value < 0.0)
            return "below 0 %";
        if (input.value > 100.0)
            return "above 100 %";
        break;
    case Condition::WetBulb:
    case Condition::DewPoint:
        if (input.value > input.dryBulb)
            return "above the dry bulb";
        break;
    case Condition::HumidityRatio:
        if (input.value < 0.0)
            return "below 0";
        break;
    }
    return {};
}

/// The humidity ratio the refusal rule of the model tests: of saturated air
/// when a humidity ratio is given, else the one the given condition makes.
bool TestsSaturation(const StateInput& input) noexcept
{
    return input.condition == Condition::HumidityRatio;
}

/// Why air that passes ValueRefusal cannot exist, from the model's humidity
/// ratio that TestsSaturation names, or nothing.
std::string_view RatioRefusal(const StateInput& input, const Cell& ratio) noexcept
{
    if (!ratio.present)
        return {};
    if (TestsSaturation(input)) {
        if (input.value > ratio.value)
            return "above saturation at the dry bulb and pressure";
    } else if (ratio.value < 0.0) {
        return "gives a negative humidity ratio";
    }
    return {};
}

/// A property formed from others: fails with the first missing one's reason.
template <typename Call>
Cell Formed(std::initializer_list<const Cell*> inputs, Call&& call) noexcept
{
    for (const Cell* cell : inputs) {
        if (!cell->present)
            return detail::Failed(cell->reason);
    }
    return detail::Attempt(call);
}

/// The properties formed from the humidity ratio, its saturation value and
/// the volume by their textbook relations.
void FormedProperties(const StateInput& input, StateResult& result) noexcept
{
    const Cell& ratio = result[Property::HumidityRatio];
    const Cell& saturated = result[Property::SaturationHumidityRatio];
    const Cell& volume = result[Property::SpecificVolume];
    const double& W = ratio.value;
    if (input.model == Model::Calculator) {
        result[Property::VapourPressure] = Formed({&ratio}, [&] {
            return detail::CheckedDivide(Checked(input.pressure * W), Checked(kCalculatorMolarMassRatio + W));
        });
    }
    result[Property::DegreeOfSaturation] =
        Formed({&ratio, &saturated}, [&] { return detail::CheckedDivide(W, saturated.value); });
    result[Property::SpecificHumidity] =
        Formed({&ratio}, [&] { return detail::CheckedDivide(W, Checked(1.0 + W)); });
    result[Property::Density] =
        Formed({&ratio, &volume}, [&] { return detail::CheckedDivide(Checked(1.0 + W), volume.value); });
}

} // namespace

StateResult ComputeState(const StateInput& input) noexcept
{
    StateResult result;
    result[Property::DryBulb] = detail::Value(input.dryBulb);
    result[Property::Pressure] = detail::Value(input.pressure);
    result[ConditionProperty(input.condition)] = detail::Value(input.value);
    auto refused = [&](std::string_view refusal) {
        result.refusal = refusal;
        if (!refusal.empty())
            result.refused = input.pressure > 0.0 ? ConditionProperty(input.condition) : Property::Pressure;
        return !refusal.empty();
    };
    if (refused(ValueRefusal(input)))
        return result;
    if (input.model == Model::Calculator) {
        // One engine computation serves the refusal rule and the properties.
        detail::CalculatorState engine(input);
        const Cell ratio = TestsSaturation(input) ? engine.SaturationRatio() : engine.HumidityRatio();
        if (refused(RatioRefusal(input, ratio)))
            return result;
        engine.Properties(result);
    } else {
        const detail::Ashrae2017State model(input);
        const Cell& ratio = TestsSaturation(input) ? model.SaturationRatio() : model.HumidityRatio();
        if (refused(RatioRefusal(input, ratio)))
            return result;
        model.Properties(result);
    }
    FormedProperties(input, result);
    return result;
}

void ComputeStates(std::span<const StateInput> inputs, std::span<StateResult> results) noexcept
{
    const std::size_t count = std::min(inputs.size(), results.size());
    for (std::size_t i = 0; i < count; ++i)
        results[i] = ComputeState(inputs[i]);
}

} // namespace humitrax
