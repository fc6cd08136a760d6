// A process's JSON read back.
#include "humitrax/process_file.h"

#include <nlohmann/json.hpp>

#include <cmath>

namespace humitrax {
namespace {

using Json = nlohmann::json;

constexpr std::string_view kNotProcess = "not the JSON of humitrax-cli process --format json: ";

std::string NotProcess(std::string_view why) { return std::string(kNotProcess) + std::string(why); }

/// A member that is a finite number, or nothing.
std::optional<double> NumberIn(const Json& object, std::string_view key)
{
    const auto member = object.find(key);
    if (member == object.end() || !member->is_number())
        return std::nullopt;
    const double value = member->get<double>();
    return std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
}

/// A member that is a string, or nothing.
std::optional<std::string> TextIn(const Json& object, std::string_view key)
{
    const auto member = object.find(key);
    if (member == object.end() || !member->is_string())
        return std::nullopt;
    return member->get<std::string>();
}

/// What a bare JSON value is: "null", "a number" ...
std::string KindOf(const Json& value)
{
    if (value.is_null())
        return "null";
    if (value.is_boolean())
        return value.get<bool>() ? "true" : "false";
    if (value.is_number())
        return "a number";
    if (value.is_string())
        return "a string";
    return "a value";
}

/// One part's state, or nothing with the reason in `message`.
std::optional<ProcessFilePart> PartIn(const Json& root, std::string_view key, std::string& message)
{
    const std::string name(key);
    const auto member = root.find(key);
    if (member == root.end() || !member->is_object()) {
        message = NotProcess("it has no \"" + name + "\" state");
        return std::nullopt;
    }
    const Json& state = *member;
    using enum Property;
    const std::optional<double> dryBulb = NumberIn(state, PropertyColumn(DryBulb));
    const std::optional<double> ratio = NumberIn(state, PropertyColumn(HumidityRatio));
    if (!dryBulb || !ratio) {
        message = "its \"" + name + "\" state has no dry_bulb or humidity_ratio number";
        return std::nullopt;
    }
    if (*ratio < 0.0) {
        message = "its \"" + name + "\" state has a negative humidity ratio";
        return std::nullopt;
    }
    ProcessFilePart part;
    part.key = name;
    part.dryBulb = *dryBulb;
    part.humidityRatio = *ratio;
    part.relativeHumidity = NumberIn(state, PropertyColumn(RelativeHumidity));
    part.wetBulb = NumberIn(state, PropertyColumn(WetBulb));
    part.dewPoint = NumberIn(state, PropertyColumn(DewPoint));
    part.enthalpy = NumberIn(state, PropertyColumn(Enthalpy));
    part.specificVolume = NumberIn(state, PropertyColumn(SpecificVolume));
    part.dryAirFlow = NumberIn(state, kDryAirFlowKey);
    return part;
}

} // namespace

std::optional<ProcessFile> ReadProcessFile(std::string_view json, std::string& message)
{
    Json root;
    try {
        root = Json::parse(json);
    } catch (const Json::parse_error& error) {
        message = "not JSON: it cannot be read past byte " + std::to_string(error.byte);
        return std::nullopt;
    }
    if (root.is_primitive()) {
        message = "not a process file: it holds only " + KindOf(root) +
                  ", where humitrax-cli process --format json writes one JSON object";
        return std::nullopt;
    }
    if (!root.is_object()) {
        message = NotProcess("it is not an object");
        return std::nullopt;
    }
    ProcessFile file;
    const std::optional<ProcessKind> kind = ProcessKindFromName(TextIn(root, "process").value_or(""));
    if (!kind) {
        message = NotProcess("its \"process\" is not mix, heat, cool, coil or humidify");
        return std::nullopt;
    }
    file.kind = *kind;
    const std::string units = TextIn(root, "units").value_or("");
    if (units != "si" && units != "ip") {
        message = NotProcess("its \"units\" are not si or ip");
        return std::nullopt;
    }
    file.units = units == "si" ? Units::SI : Units::InchPound;
    const std::optional<Model> model = ModelFromName(TextIn(root, "model").value_or(""));
    if (!model) {
        message = NotProcess("its \"model\" is not calculator or ashrae2017");
        return std::nullopt;
    }
    file.model = *model;
    if (const std::optional<std::string> saturation = TextIn(root, "saturation")) {
        const std::optional<Saturation> named = SaturationFromName(*saturation);
        if (!named) {
            message = NotProcess("its \"saturation\" is not ice or water");
            return std::nullopt;
        }
        file.saturation = *named;
    }
    const std::optional<double> pressure = NumberIn(root, "pressure");
    if (!pressure || !(*pressure > 0.0)) {
        message = NotProcess("it has no pressure above 0");
        return std::nullopt;
    }
    file.pressure = *pressure;
    for (const ProcessPartName& part : ProcessParts(file.kind)) {
        std::optional<ProcessFilePart> read = PartIn(root, part.key, message);
        if (!read)
            return std::nullopt;
        file.parts.push_back(std::move(*read));
    }
    if (file.kind == ProcessKind::Coil) {
        const auto loads = root.find(kLoadsKey);
        if (loads != root.end() && loads->is_object())
            file.apparatusDewPoint = NumberIn(*loads, kApparatusDewPointKey);
    }
    return file;
}

const ProcessFilePart* FindPart(const ProcessFile& file, std::string_view key) noexcept
{
    for (const ProcessFilePart& part : file.parts) {
        if (part.key == key)
            return &part;
    }
    return nullptr;
}

} // namespace humitrax
