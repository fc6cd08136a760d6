// One state: the refusal rules, the model's properties, and the properties
// formed from them alike under both models.
#include "cells.h"
#include "rules.h"

#include "humitrax/constants.h"

#include <algorithm>
#include <initializer_list>

namespace humitrax {
namespace {


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
            return CheckedDivide(Checked(input.pressure * W), Checked(calculator::kMolarMassRatio + W));
        });
    }
    result[Property::DegreeOfSaturation] =
        Formed({&ratio, &saturated}, [&] { return CheckedDivide(W, saturated.value); });
    result[Property::SpecificHumidity] =
        Formed({&ratio}, [&] { return CheckedDivide(W, Checked(1.0 + W)); });
    result[Property::Density] =
        Formed({&ratio, &volume}, [&] { return CheckedDivide(Checked(1.0 + W), volume.value); });
}

} // namespace

StateResult ComputeState(const StateInput& input) noexcept
{
    StateResult result;
    result[Property::DryBulb] = detail::Value(input.dryBulb);
    result[Property::Pressure] = detail::Value(input.pressure);
    result[ConditionProperty(input.condition)] = detail::Value(input.value);
    auto refused = [&](const detail::Refusal& refusal) {
        result.refusal = refusal.reason;
        result.refused = refusal.property;
        return !refusal.reason.empty();
    };
    if (refused(detail::GivenRefusal(input)))
        return result;
    if (input.model == Model::Calculator) {
        // One engine computation serves the refusal rule and the properties.
        detail::CalculatorState engine(input);
        if (refused(detail::RatioRefusal(input, engine.SaturationPressure(), engine.SaturationRatio(),
                                         engine.HumidityRatio())))
            return result;
        engine.Properties(result);
    } else {
        const detail::Ashrae2017State model(input);
        if (refused(detail::RatioRefusal(input, model.SaturationPressure(), model.SaturationRatio(),
                                         model.HumidityRatio())))
            return result;
        model.Properties(result);
    }
    FormedProperties(input, result);
    detail::KeepPossibleValues(input, result);
    return result;
}

void ComputeStates(std::span<const StateInput> inputs, std::span<StateResult> results) noexcept
{
    const std::size_t count = std::min(inputs.size(), results.size());
    for (std::size_t i = 0; i < count; ++i)
        results[i] = ComputeState(inputs[i]);
}

} // namespace humitrax
