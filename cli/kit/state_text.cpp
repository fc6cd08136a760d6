#include "kit/state_text.h"

#include "kit/echo.h"
#include "kit/numbers.h"
#include "kit/options.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

namespace humitrax::cli {
namespace {

/// The keys of the state text, one per property a state may be given by.
struct StateKey {
    std::string_view key;
    Property property;
};
constexpr std::array<StateKey, 8> kStateKeys{{
    {"db", Property::DryBulb},
    {"wb", Property::WetBulb},
    {"dp", Property::DewPoint},
    {"rh", Property::RelativeHumidity},
    {"w", Property::HumidityRatio},
    {"h", Property::Enthalpy},
    {"v", Property::SpecificVolume},
    {"pw", Property::VapourPressure},
}};
static_assert(kStateKeys.size() == kGivableProperties.size());

constexpr std::string_view kStateForm = "DRY_BULB,KEY=V or KEY=V,KEY=V (25,rh=50, h=50,rh=60; keys db, wb, dp, "
                                        "rh, w, h, v, pw)";

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
    if (comma == std::string_view::npos || text.find(',', comma + 1) != std::string_view::npos) {
        message = "the state " + Quoted(text) + " is not " + std::string(kStateForm);
        return std::nullopt;
    }
    const std::string context = "the state " + Quoted(text);
    // One KEY=V, or a bare number, the dry bulb, where `bare` allows it.
    const auto read = [&](std::string_view part, bool bare) -> std::optional<std::pair<Property, double>> {
        part = Trimmed(part);
        const std::size_t equals = part.find('=');
        Property property = Property::DryBulb;
        if (equals == std::string_view::npos) {
            if (!bare) {
                message = context + " is not " + std::string(kStateForm);
                return std::nullopt;
            }
        } else {
            const std::string_view key = Trimmed(part.substr(0, equals));
            const auto* found = std::find_if(kStateKeys.begin(), kStateKeys.end(),
                                             [&](const StateKey& known) { return known.key == key; });
            if (found == kStateKeys.end()) {
                message = context + " names " + Quoted(key) + "; give db, wb, dp, rh, w, h, v or pw";
                return std::nullopt;
            }
            property = found->property;
            part = Trimmed(part.substr(equals + 1));
        }
        const std::optional<double> value = ReadFiniteNumber(context, part, message);
        if (!value)
            return std::nullopt;
        return std::pair{property, *value};
    };
    const auto first = read(text.substr(0, comma), true);
    if (!first)
        return std::nullopt;
    const auto second = read(text.substr(comma + 1), false);
    if (!second)
        return std::nullopt;
    if (first->first == second->first) {
        message = context + " gives " + std::string(PropertyColumn(first->first)) + " twice";
        return std::nullopt;
    }
    return AirState{first->first, first->second, second->first, second->second};
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
