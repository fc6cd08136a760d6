#include "kit/options.h"

#include "kit/echo.h"
#include "kit/numbers.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>

namespace humitrax::cli {

std::optional<std::string> Options::Read(std::span<const std::string_view> args,
                                         std::span<const OptionSpec> specs, std::size_t positionals)
{
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string_view arg = args[i];
        if (!optionsEnded && (arg == "--help" || arg == "-h")) {
            m_help = true;
            return std::nullopt;
        }
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (optionsEnded || !arg.starts_with("--")) {
            const bool number = arg.size() > 1 && (std::isdigit(static_cast<unsigned char>(arg[1])) != 0 ||
                                                   arg[1] == '.');
            if (arg.starts_with("-") && arg != "-" && !number && !optionsEnded)
                return "unknown option " + Quoted(arg);
            if (m_positional.size() >= positionals)
                return "unexpected argument " + Quoted(arg);
            m_positional.push_back(arg);
            m_items.push_back({{}, arg});
            continue;
        }
        std::string_view value;
        bool hasValue = false;
        if (const std::size_t equals = arg.find('='); equals != std::string_view::npos) {
            value = arg.substr(equals + 1);
            arg = arg.substr(0, equals);
            hasValue = true;
        }
        const OptionSpec* spec = nullptr;
        for (const OptionSpec& candidate : specs) {
            if (candidate.name == arg)
                spec = &candidate;
        }
        if (spec == nullptr)
            return "unknown option " + Quoted(arg);
        if (spec->takesValue && !hasValue) {
            if (i + 1 >= args.size())
                return std::string(arg) + " needs a value";
            value = args[++i];
        } else if (!spec->takesValue && hasValue) {
            return std::string(arg) + " takes no value";
        }
        for (const Given& earlier : m_given) {
            if (earlier.spec == spec && !spec->repeatable)
                return std::string(arg) + " is given twice";
            if (earlier.spec != spec && !spec->group.empty() && earlier.spec->group == spec->group)
                return std::string(earlier.spec->name) + " and " + std::string(arg) +
                       " cannot both be given";
        }
        m_given.push_back({spec, value});
        m_items.push_back({spec->name, value});
    }
    return std::nullopt;
}

bool Options::Has(std::string_view name) const noexcept
{
    for (const Given& given : m_given) {
        if (given.spec->name == name)
            return true;
    }
    return false;
}

std::optional<std::string_view> Options::Value(std::string_view name) const noexcept
{
    std::optional<std::string_view> value;
    for (const Given& given : m_given) {
        if (given.spec->name == name)
            value = given.value;
    }
    return value;
}

std::vector<std::string_view> Options::Values(std::string_view name) const
{
    std::vector<std::string_view> values;
    for (const Given& given : m_given) {
        if (given.spec->name == name)
            values.push_back(given.value);
    }
    return values;
}

std::optional<std::string_view> Options::Chosen(std::string_view group) const noexcept
{
    for (const Given& given : m_given) {
        if (given.spec->group == group)
            return given.spec->name;
    }
    return std::nullopt;
}

std::optional<std::size_t> ReadChoice(std::string_view name, std::string_view text,
                                      std::span<const std::string_view> choices,
                                      std::string& message)
{
    for (std::size_t i = 0; i < choices.size(); ++i) {
        if (text == choices[i])
            return i;
    }
    message = std::string(name) + " is ";
    for (std::size_t i = 0; i < choices.size(); ++i) {
        if (i > 0)
            message += i + 1 == choices.size() ? " or " : ", ";
        message += choices[i];
    }
    message += ", not " + Quoted(text);
    return std::nullopt;
}

std::optional<Units> ReadUnits(const Options& options, std::string& message)
{
    const std::optional<std::string_view> text = options.Value("--units");
    if (!text)
        return Units::SI;
    static constexpr std::array<std::string_view, 2> kNames{"si", "ip"};
    const std::optional<std::size_t> choice = ReadChoice("--units", *text, kNames, message);
    if (!choice)
        return std::nullopt;
    return *choice == 0 ? Units::SI : Units::InchPound;
}

std::optional<Model> ReadModel(const Options& options, std::string& message)
{
    const std::optional<std::string_view> text = options.Value("--model");
    if (!text)
        return Model::Ashrae2017;
    const std::optional<Model> model = ModelFromName(*text);
    if (!model)
        message = "--model is calculator or ashrae2017, not " + Quoted(*text);
    return model;
}

std::optional<Saturation> ReadSaturation(const Options& options, Model model, std::string& message)
{
    const std::optional<std::string_view> text = options.Value("--saturation");
    if (!text)
        return Saturation::IceBelowFreezing;
    const std::optional<Saturation> saturation = SaturationFromName(*text);
    if (!saturation) {
        message = "--saturation is ice or water, not " + Quoted(*text);
        return std::nullopt;
    }
    if (*saturation == Saturation::Water && model != Model::Ashrae2017) {
        message = "--saturation water is for the 2017 relations; the calculator's take saturation over ice "
                  "below 0 °C";
        return std::nullopt;
    }
    return saturation;
}

bool ReadGiven(const Options& options, std::vector<Property>& given, std::string& message)
{
    const std::optional<std::string_view> text = options.Value("--given");
    if (!text)
        return true;
    const auto fail = [&] {
        message = "--given takes a condition (wet_bulb, dew_point, relative_humidity or humidity_ratio; or "
                  "enthalpy, specific_volume or vapour_pressure), read with the dry bulb, or two of dry_bulb, "
                  "wet_bulb, dew_point, relative_humidity, humidity_ratio, enthalpy, specific_volume and "
                  "vapour_pressure (enthalpy,humidity_ratio), not " + Quoted(*text);
        return false;
    };
    const std::size_t comma = text->find(',');
    given.clear();
    for (std::string_view name : {text->substr(0, comma), comma == std::string_view::npos
                                                                ? std::string_view()
                                                                : text->substr(comma + 1)}) {
        if (name.empty() && comma == std::string_view::npos)
            break;
        const std::optional<Property> found = PropertyFromColumn(name);
        if (!found || !IsGivable(*found) || std::find(given.begin(), given.end(), *found) != given.end())
            return fail();
        given.push_back(*found);
    }
    if (given.size() == 1 && given.front() == Property::DryBulb)
        return fail();
    // In the order of kGivableProperties, as a state reads them.
    std::sort(given.begin(), given.end(),
              [](Property a, Property b) { return GivableIndex(a) < GivableIndex(b); });
    return true;
}

std::optional<double> ReadFiniteNumber(std::string_view name, std::string_view text,
                                       std::string& message)
{
    const std::optional<double> value = ParseDouble(text);
    if (!value) {
        message = std::string(name) + ": " + Quoted(text) + " is not a number";
        return std::nullopt;
    }
    if (!std::isfinite(*value)) {
        message = std::string(name) + ": " + Quoted(text) + " is not a finite number";
        return std::nullopt;
    }
    return value;
}

std::optional<Format> ReadFormat(const Options& options, Format fallback, std::span<const Format> choices,
                                 std::string& message)
{
    const std::optional<std::string_view> text = options.Value("--format");
    if (!text)
        return fallback;
    static constexpr std::array<std::string_view, 3> kNames{"table", "csv", "json"};
    std::vector<std::string_view> names;
    for (Format format : choices)
        names.push_back(kNames[static_cast<std::size_t>(format)]);
    const std::optional<std::size_t> choice = ReadChoice("--format", *text, names, message);
    if (!choice)
        return std::nullopt;
    return choices[*choice];
}

bool IsAirOption(std::string_view name) noexcept
{
    for (const OptionSpec& spec : kAirOptionSpecs) {
        if (spec.name == name)
            return true;
    }
    return false;
}

bool ReadAirOptions(const Options& given, AirOptions& options, std::string& message, bool pressureNeeded)
{
    const std::optional<Units> units = ReadUnits(given, message);
    if (!units)
        return false;
    options.units = *units;
    const std::optional<Model> model = ReadModel(given, message);
    if (!model)
        return false;
    options.model = *model;
    const std::optional<Saturation> saturation = ReadSaturation(given, *model, message);
    if (!saturation)
        return false;
    options.saturation = *saturation;
    static constexpr std::array<Format, 3> kFormats{Format::Table, Format::Csv, Format::Json};
    const std::optional<Format> format = ReadFormat(given, Format::Table, kFormats, message);
    if (!format)
        return false;
    options.format = *format;
    const std::optional<std::string_view> second = given.Chosen("pressure");
    if (!second) {
        if (pressureNeeded)
            message = "--pressure or --altitude is needed";
        return !pressureNeeded;
    }
    std::optional<double>& target = *second == "--pressure" ? options.pressure : options.altitude;
    target = ReadFiniteNumber(*second, *given.Value(*second), message);
    return target.has_value();
}

Cell PressureOf(const AirOptions& options)
{
    if (options.altitude)
        return PressureFromAltitude(options.units, *options.altitude, options.model);
    Cell cell;
    cell.value = options.pressure.value_or(0.0);
    cell.present = true;
    return cell;
}

} // namespace humitrax::cli
