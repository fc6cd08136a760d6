// One state: the refusal rules, the model's properties, and the properties
// formed from them alike under both models.
#include "cells.h"
#include "rules.h"

#include "humitrax/relations.h"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

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
        result[Property::VapourPressure] =
            Formed({&ratio}, [&] { return Relations(input.units, input.model, input.pressure).VapourPressure(W); });
    }
    result[Property::DegreeOfSaturation] =
        Formed({&ratio, &saturated}, [&] { return CheckedDivide(W, saturated.value); });
    result[Property::SpecificHumidity] =
        Formed({&ratio}, [&] { return CheckedDivide(W, Checked(1.0 + W)); });
    result[Property::Density] =
        Formed({&ratio, &volume}, [&] { return CheckedDivide(Checked(1.0 + W), volume.value); });
}

/// The refusal in the result; true when there is one.
bool Refuse(const detail::Refusal& refusal, StateResult& result) noexcept
{
    result.refusal = refusal.reason;
    result.refused = refusal.property;
    return !refusal.reason.empty();
}

/// The given values in their cells; true when they are refused (the
/// refusal in the result).
bool GivenRefused(const StateInput& input, StateResult& result) noexcept
{
    result[Property::DryBulb] = detail::Value(input.dryBulb);
    result[Property::Pressure] = detail::Value(input.pressure);
    result[ConditionProperty(input.condition)] = detail::Value(input.value);
    return Refuse(detail::GivenRefusal(input), result);
}

/// Whether the model's humidity ratios are refused (the refusal in the result).
template <typename Model>
bool RatioRefused(const StateInput& input, const Model& model, StateResult& result) noexcept
{
    return Refuse(detail::RatioRefusal(input, model.SaturationPressure(), model.SaturationRatio(),
                                      model.HumidityRatio()),
                  result);
}

/// The properties formed alike under both models, and the rules for values
/// no air has.
void Complete(const StateInput& input, StateResult& result) noexcept
{
    FormedProperties(input, result);
    detail::KeepPossibleValues(input, result);
}

/// A state under the 2017 model, its given values not refused.
void Ashrae2017Properties(const StateInput& input, StateResult& result) noexcept
{
    const detail::Ashrae2017State model(input);
    if (RatioRefused(input, model, result))
        return;
    model.Properties(result);
    Complete(input, result);
}

/// How many states ComputeStates takes at a time: their calculator states
/// are finished together, and their full states (about 300 bytes each) stay
/// in the processor's nearest cache.
constexpr std::size_t kBlock = 64;

/// ComputeState for a block of at most kBlock states, the calculator's
/// finished together.
void ComputeBlock(std::span<const StateInput> inputs, std::span<StateResult> results) noexcept
{
    std::array<std::optional<detail::CalculatorState>, kBlock> engines;
    std::array<FullState*, kBlock> states{};
    std::array<StateArguments, kBlock> arguments{};
    std::array<std::size_t, kBlock> which{};
    // The given values refused, and the 2017 model's states, one by one; the
    // calculator's full states begun together.
    std::size_t begun = 0;
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        const StateInput& input = inputs[i];
        StateResult& result = results[i];
        result = StateResult{};
        if (GivenRefused(input, result))
            continue;
        if (input.model != Model::Calculator) {
            Ashrae2017Properties(input, result);
            continue;
        }
        detail::CalculatorState& engine = engines[begun].emplace(input, detail::CalculatorState::Unbegun{});
        states[begun] = &engine.Full();
        arguments[begun] = engine.Arguments();
        which[begun] = i;
        ++begun;
    }
    BeginFullStates(states.data(), arguments.data(), begun);
    // Those whose humidity ratios are not refused finished together.
    std::array<std::size_t, kBlock> finishing{};
    std::size_t waiting = 0;
    for (std::size_t k = 0; k < begun; ++k) {
        if (RatioRefused(inputs[which[k]], *engines[k], results[which[k]]))
            continue;
        states[waiting] = states[k];
        arguments[waiting] = arguments[k];
        finishing[waiting] = k;
        ++waiting;
    }
    FinishFullStates(states.data(), arguments.data(), waiting);
    for (std::size_t n = 0; n < waiting; ++n) {
        const std::size_t k = finishing[n];
        StateResult& result = results[which[k]];
        engines[k]->Cells(result);
        Complete(inputs[which[k]], result);
    }
}

/// ComputeState for each input, a block at a time.
void ComputeRange(std::span<const StateInput> inputs, std::span<StateResult> results) noexcept
{
    for (std::size_t start = 0; start < inputs.size(); start += kBlock) {
        const std::size_t size = std::min(kBlock, inputs.size() - start);
        ComputeBlock(inputs.subspan(start, size), results.subspan(start, size));
    }
}

/// The fewest states given a thread of their own (some 0.1 ms of work), so
/// that starting the thread stays small beside what it computes.
constexpr std::size_t kStatesPerThread = 256;

} // namespace

StateResult ComputeState(const StateInput& input) noexcept
{
    StateResult result;
    if (GivenRefused(input, result))
        return result;
    if (input.model != Model::Calculator) {
        Ashrae2017Properties(input, result);
        return result;
    }
    // One engine computation serves the refusal rule and the properties.
    detail::CalculatorState engine(input);
    if (RatioRefused(input, engine, result))
        return result;
    engine.Properties(result);
    Complete(input, result);
    return result;
}

void ComputeStates(std::span<const StateInput> inputs, std::span<StateResult> results) noexcept
{
    ComputeStates(inputs, results, 1);
}

void ComputeStates(std::span<const StateInput> inputs, std::span<StateResult> results, unsigned threads) noexcept
{
    const std::size_t count = std::min(inputs.size(), results.size());
    if (threads == 0)
        threads = std::max(1U, std::thread::hardware_concurrency());
    const std::size_t parts = std::clamp<std::size_t>(count / kStatesPerThread, 1, threads);
    // Contiguous parts, the first on this thread; a thread that cannot be
    // started leaves its part to this one.
    auto part = [&](std::size_t k) {
        const std::size_t begin = count * k / parts;
        const std::size_t end = count * (k + 1) / parts;
        return std::pair(inputs.subspan(begin, end - begin), results.subspan(begin, end - begin));
    };
    std::vector<std::thread> workers;
    std::size_t started = 1;
    try {
        workers.reserve(parts - 1);
        for (; started < parts; ++started) {
            const auto [in, out] = part(started);
            workers.emplace_back([in = in, out = out] { ComputeRange(in, out); });
        }
    } catch (...) {
        // Fewer threads than asked for: the rest is computed here.
    }
    const auto [in, out] = part(0);
    ComputeRange(in, out);
    for (std::size_t k = started; k < parts; ++k) {
        const auto [restIn, restOut] = part(k);
        ComputeRange(restIn, restOut);
    }
    for (std::thread& worker : workers)
        worker.join();
}

} // namespace humitrax
