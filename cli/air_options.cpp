#include "air_options.h"

#include "echo.h"
#include "numbers.h"

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

std::optional<double> ParseFinite(std::string_view option, std::string_view text, std::string& message)
{
    const std::optional<double> value = ParseDouble(text);
    if (!value) {
        message = std::string(option) + ": " + Quoted(text) + " is not a number";
        return std::nullopt;
    }
    if (!std::isfinite(*value)) {
        message = std::string(option) + ": " + Quoted(text) + " is not a finite number";
        return std::nullopt;
    }
    return value;
}

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
    const std::optional<double> dryBulb = ParseFinite(context, Trimmed(text.substr(0, comma)), message);
    if (!dryBulb)
        return std::nullopt;
    const std::optional<double> value = ParseFinite(context, Trimmed(text.substr(equals + 1)), message);
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
            ParseFinite("--flow", Trimmed(text.substr(0, text.size() - name.size())), message);
        if (!value)
            return std::nullopt;
        return Flow{*value, unit};
    }
    message = "--flow: " + Quoted(text) + " needs a unit: kg/s, lb/min, m3/s, m3/h or cfm";
    return std::nullopt;
}

bool IsAirOption(std::string_view name) noexcept
{
    for (const OptionSpec& spec : kAirOptionSpecs) {
        if (spec.name == name)
            return true;
    }
    return false;
}

bool ReadAirOptions(const Options& given, AirOptions& options, std::string& message)
{
    options.units = ReadUnits(given, message);
    if (!options.units)
        return false;
    const std::optional<Model> model = ReadModel(given, message);
    if (!model)
        return false;
    options.model = *model;
    if (const std::optional<std::string_view> format = given.Value("--format")) {
        static constexpr std::array<std::string_view, 3> kFormats{"table", "csv", "json"};
        const std::optional<std::size_t> choice = ReadChoice("--format", *format, kFormats, message);
        if (!choice)
            return false;
        options.format = static_cast<Format>(*choice);
    }
    const std::optional<std::string_view> second = given.Chosen("pressure");
    if (!second) {
        message = "--pressure or --altitude is needed";
        return false;
    }
    std::optional<double>& target = *second == "--pressure" ? options.pressure : options.altitude;
    target = ParseFinite(*second, *given.Value(*second), message);
    return target.has_value();
}

Cell PressureOf(const AirOptions& options)
{
    if (options.altitude)
        return PressureFromAltitude(options.units.value_or(Units::SI), *options.altitude, options.model);
    Cell cell;
    cell.value = options.pressure.value_or(0.0);
    cell.present = true;
    return cell;
}

std::string_view PropertyLabel(Property property) noexcept
{
    switch (property) {
    case Property::DryBulb: return "Dry bulb temperature";
    case Property::Pressure: return "Barometric pressure";
    case Property::WetBulb: return "Wet bulb temperature";
    case Property::DewPoint: return "Dew point temperature";
    case Property::RelativeHumidity: return "Relative humidity";
    case Property::HumidityRatio: return "Humidity ratio";
    case Property::Enthalpy: return "Specific enthalpy";
    case Property::SpecificVolume: return "Specific volume";
    case Property::Grains: return "Moisture content";
    case Property::VapourPressure: return "Vapour pressure";
    case Property::SaturationVapourPressure: return "Saturation vapour pressure";
    case Property::SaturationHumidityRatio: return "Saturation humidity ratio";
    case Property::DegreeOfSaturation: return "Degree of saturation";
    case Property::SpecificHumidity: return "Specific humidity";
    case Property::Density: return "Density";
    }
    return "";
}

std::string ReadableNumber(double value)
{
    constexpr int kDigits = 6;
    std::array<char, 32> buffer{};
    auto [ptr, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                   std::chars_format::general, kDigits);
    (void)ec; // 32 characters hold six digits of every double
    std::string text(buffer.data(), ptr);
    return text == "-0" ? "0" : text;
}

std::string WithoutTrailingBlanks(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '\n') {
            while (!out.empty() && out.back() == ' ')
                out.pop_back();
        }
        out.push_back(c);
    }
    return out;
}

void AppendPadded(std::string& out, std::string_view text, std::size_t width)
{
    out.append(text);
    std::size_t characters = 0;
    for (char c : text) {
        if ((static_cast<unsigned char>(c) & 0xC0U) != 0x80U)
            ++characters;
    }
    if (characters < width)
        out.append(width - characters, ' ');
}

} // namespace humitrax::cli
