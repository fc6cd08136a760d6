#include "air_options.h"

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

std::string Quoted(std::string_view text) { return "'" + std::string(text) + "'"; }

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

std::optional<std::vector<Argument>> SplitArguments(std::span<const std::string_view> args,
                                                    std::span<const std::string_view> flags,
                                                    std::string& message)
{
    std::vector<Argument> split;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string_view name = args[i];
        if (name.size() < 3 || name.substr(0, 2) != "--") {
            split.push_back({{}, name});
            continue;
        }
        bool flag = false;
        for (std::string_view f : flags)
            flag = flag || name == f;
        std::string_view value;
        if (const std::size_t equals = name.find('='); equals != std::string_view::npos) {
            value = name.substr(equals + 1);
            name = name.substr(0, equals);
        } else if (!flag) {
            if (i + 1 >= args.size()) {
                message = std::string(name) + " needs a value";
                return std::nullopt;
            }
            value = args[++i];
        }
        split.push_back({name, value});
    }
    return split;
}

OptionRead ReadAirOption(const Argument& argument, AirOptions& options, std::string& message)
{
    const std::string_view name = argument.name;
    const std::string_view value = argument.value;
    const auto twice = [&] {
        message = std::string(name) + " is given twice";
        return OptionRead::Bad;
    };
    if (name == "--units") {
        if (options.units)
            return twice();
        if (value == "si" || value == "ip") {
            options.units = value == "si" ? Units::SI : Units::InchPound;
            return OptionRead::Read;
        }
        message = "--units is si or ip, not " + Quoted(value);
        return OptionRead::Bad;
    }
    if (name == "--model") {
        if (options.modelGiven)
            return twice();
        const std::optional<Model> model = ModelFromName(value);
        if (!model) {
            message = "--model is calculator or ashrae2017, not " + Quoted(value);
            return OptionRead::Bad;
        }
        options.model = *model;
        options.modelGiven = true;
        return OptionRead::Read;
    }
    if (name == "--format") {
        if (options.formatGiven)
            return twice();
        if (value == "table" || value == "csv" || value == "json") {
            options.format = value == "table" ? Format::Table : value == "csv" ? Format::Csv : Format::Json;
            options.formatGiven = true;
            return OptionRead::Read;
        }
        message = "--format is table, csv or json, not " + Quoted(value);
        return OptionRead::Bad;
    }
    if (name == "--pressure" || name == "--altitude") {
        std::optional<double>& target = name == "--pressure" ? options.pressure : options.altitude;
        if (target)
            return twice();
        target = ParseFinite(name, value, message);
        return target ? OptionRead::Read : OptionRead::Bad;
    }
    return OptionRead::NotShared;
}

bool CheckAirOptions(const AirOptions& options, std::string& message)
{
    if (!options.units)
        message = "--units si or --units ip is needed";
    else if (options.pressure && options.altitude)
        message = "give --pressure or --altitude, not both";
    else if (!options.pressure && !options.altitude)
        message = "--pressure or --altitude is needed";
    return message.empty();
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
