#include "kit/state_text.h"

#include "kit/echo.h"
#include "kit/numbers.h"
#include "kit/options.h"

#include <array>
#include <charconv>
#include <cmath>

namespace humitrax::cli {
namespace {

struct ConditionKey {
    std::string_view key;
    Condition condition;
};
constexpr std::array<ConditionKey, 4> kConditionKeys{{
    {"rh", Condition::RelativeHumidity},
    {"wb", Condition::WetBulb},
    {"dp", Condition::DewPoint},
    {"w", Condition::HumidityRatio},
}};

std::string_view Trimmed(std::string_view text) noexcept
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

} // namespace

std::optional<AirState> ParseAirState(std::string_view text, std::string& message)
{
    const std::size_t comma = text.find(',');
    const std::size_t equals = text.find('=', comma == std::string_view::npos ? 0 : comma);
    if (comma == std::string_view::npos || equals == std::string_view::npos) {
        message = "the state " + Quoted(text) + " is not DRY_BULB,rh=V (or wb=, dp=, w=)";
        return std::nullopt;
    }
    const std::string_view key = Trimmed(text.substr(comma + 1, equals - comma - 1));
    AirState state;
    bool known = false;
    for (const ConditionKey& condition : kConditionKeys) {
        if (key == condition.key) {
            state.condition = condition.condition;
            known = true;
        }
    }
    if (!known) {
        message = "the state " + Quoted(text) + " names " + Quoted(key) + "; give rh, wb, dp or w";
        return std::nullopt;
    }
    const std::string context = "the state " + Quoted(text);
    const std::optional<double> dryBulb = ReadFiniteNumber(context, Trimmed(text.substr(0, comma)), message);
    if (!dryBulb)
        return std::nullopt;
    const std::optional<double> value = ReadFiniteNumber(context, Trimmed(text.substr(equals + 1)), message);
    if (!value)
        return std::nullopt;
    state.dryBulb = *dryBulb;
    state.value = *value;
    return state;
}

std::optional<Flow> ParseFlow(std::string_view text, std::string& message)
{
    for (FlowUnit unit : {FlowUnit::KilogramsPerSecond, FlowUnit::PoundsPerMinute, FlowUnit::CubicMetresPerSecond,
                          FlowUnit::CubicMetresPerHour, FlowUnit::CubicFeetPerMinute}) {
        const std::string_view name = FlowUnitName(unit);
        if (text.size() <= name.size() || text.substr(text.size() - name.size()) != name)
            continue;
        const std::optional<double> value =
            ReadFiniteNumber("--flow", Trimmed(text.substr(0, text.size() - name.size())), message);
        if (!value)
            return std::nullopt;
        return Flow{*value, unit};
    }
    message = "--flow: " + Quoted(text) + " needs a unit: kg/s, lb/min, m3/s, m3/h or cfm";
    return std::nullopt;
}

} // namespace humitrax::cli
