#include "table/weather.h"

#include "table/csv.h"
#include "kit/echo.h"
#include "kit/numbers.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>

namespace humitrax::cli {
namespace {

/// A field a weather file holds, by the name --keep gives it.
struct NamedField {
    std::string name;
    std::size_t index;
};

bool IsOutputColumn(std::string_view name) noexcept
{
    return name == "status" || std::any_of(kAllProperties.begin(), kAllProperties.end(), [&](Property property) {
               return PropertyColumn(property) == name;
           });
}

/// Passes the fields `keep` names through after those passed already; a
/// name an output column bears is written with "file_" in front. False, with
/// the message, for a name that is none of `fields`' or is given twice.
bool KeepFields(BatchLayout& layout, std::span<const std::string_view> keep, const std::vector<NamedField>& fields,
                std::string_view file, std::string& message)
{
    for (std::size_t i = 0; i < keep.size(); ++i) {
        const std::string_view name = keep[i];
        if (std::find(keep.begin(), keep.begin() + static_cast<std::ptrdiff_t>(i), name) !=
            keep.begin() + static_cast<std::ptrdiff_t>(i)) {
            message = "--keep names " + Echo(name) + " twice";
            return false;
        }
        const auto field = std::find_if(fields.begin(), fields.end(), [&](const NamedField& f) { return f.name == name; });
        if (field == fields.end()) {
            std::string names;
            for (const NamedField& f : fields)
                names += (names.empty() ? "" : ", ") + f.name;
            message = "--keep: " + Quoted(name) + " is no field of " + std::string(file) + "; its fields are " + names;
            return false;
        }
        if (std::find(layout.passThroughColumns.begin(), layout.passThroughColumns.end(), field->index) !=
            layout.passThroughColumns.end())
            continue; // the date and time pass through anyway
        const std::string written = IsOutputColumn(name) ? "file_" + std::string(name) : std::string(name);
        layout.passThroughColumns.push_back(field->index);
        layout.passThroughNames.push_back(written);
        layout.passThroughLabels.push_back(written);
    }
    return true;
}

/// A pressure in Pa or mbar, a temperature in °C, a relative humidity in %,
/// to the unit system's own.
UnitConversion To(std::string_view column, std::string_view unit, Units units)
{
    return ColumnUnit(column, unit, units).value_or(UnitConversion{});
}

/// The fields of a record line, for the checks of the first two lines.
std::vector<std::string> Fields(std::string_view line)
{
    std::string text(line);
    if (!text.empty() && text.back() == '\r')
        text.pop_back();
    CsvRecord record;
    ParseCsvRecord(text.data(), text.data() + text.size(), record);
    return {record.fields.begin(), record.fields.end()};
}

/// "Dry-bulb (C)" is labelled "dry-bulb"; "Dry-bulb source" is itself.
std::string Label(std::string_view header)
{
    std::string_view text = Trim(header);
    if (text.ends_with(')')) {
        if (const std::size_t open = text.rfind('('); open != std::string_view::npos)
            text = Trim(text.substr(0, open));
    }
    std::string label(text);
    for (char& c : label)
        c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    return label;
}

/// A TMY3 value column: its label in the header and its name; `flagged`
/// values have a source and an uncertainty column after them.
struct Tmy3Column {
    std::string_view label;
    std::string_view name;
    bool flagged;
};

// The columns of a TMY3 file (NREL's TMY3 user's manual), in their order. The
// liquid precipitation's depth and quantity share one source and one
// uncertainty ("Lprecip source"), and files revised since 2015 end in the
// present weather ("PresWth").
constexpr std::array<Tmy3Column, 28> kTmy3Columns{{
    {"date", "date", false},
    {"time", "time", false},
    {"etr", "extraterrestrial_horizontal_radiation", false},
    {"etrn", "extraterrestrial_direct_normal_radiation", false},
    {"ghi", "global_horizontal_radiation", true},
    {"dni", "direct_normal_radiation", true},
    {"dhi", "diffuse_horizontal_radiation", true},
    {"gh illum", "global_horizontal_illuminance", true},
    {"dn illum", "direct_normal_illuminance", true},
    {"dh illum", "diffuse_horizontal_illuminance", true},
    {"zenith lum", "zenith_luminance", true},
    {"totcld", "total_sky_cover", true},
    {"opqcld", "opaque_sky_cover", true},
    {"dry-bulb", "dry_bulb", true},
    {"dew-point", "dew_point", true},
    {"rhum", "relative_humidity", true},
    {"pressure", "pressure", true},
    {"wdir", "wind_direction", true},
    {"wspd", "wind_speed", true},
    {"hvis", "visibility", true},
    {"ceilhgt", "ceiling_height", true},
    {"pwat", "precipitable_water", true},
    {"aod", "aerosol_optical_depth", true},
    {"alb", "albedo", true},
    {"lprecip depth", "liquid_precipitation_depth", false},
    {"lprecip quantity", "liquid_precipitation_quantity", false},
    {"lprecip", "liquid_precipitation", true}, // only its source and uncertainty
    {"preswth", "present_weather", true},
}};

constexpr std::string_view kTmy3File = "this TMY3 file";

/// The fields of a TMY3 header by their --keep names, and the column of each
/// value's source flag by its name.
struct Tmy3Header {
    std::vector<NamedField> fields;
    std::vector<NamedField> sources;
};

Tmy3Header ReadTmy3Header(const std::vector<std::string_view>& header)
{
    std::vector<std::string> labels;
    for (std::string_view field : header)
        labels.push_back(Label(field));
    Tmy3Header read;
    for (const Tmy3Column& column : kTmy3Columns) {
        const bool flagsOnly = column.name == "liquid_precipitation";
        if (!flagsOnly) {
            const auto at = std::find(labels.begin(), labels.end(), column.label);
            if (at != labels.end())
                read.fields.push_back({std::string(column.name), static_cast<std::size_t>(at - labels.begin())});
        }
        if (!column.flagged)
            continue;
        const auto source = std::find(labels.begin(), labels.end(), std::string(column.label) + " source");
        if (source == labels.end())
            continue;
        const auto index = static_cast<std::size_t>(source - labels.begin());
        read.fields.push_back({std::string(column.name) + "_source", index});
        read.sources.push_back({std::string(column.name), index});
        // The uncertainty follows its source ("GH illum source", "Global illum uncert (%)").
        if (index + 1 < labels.size() && labels[index + 1].find("uncert") != std::string::npos)
            read.fields.push_back({std::string(column.name) + "_uncertainty", index + 1});
    }
    return read;
}

/// The condition a weather file's state is read by: its dew point, or its
/// relative humidity with --given relative_humidity; nothing, with the
/// message, for another --given, or a --pressure-unit (the file says its own,
/// `pressureUnit`).
std::optional<Property> WeatherCondition(const HeaderRules& rules, std::string_view file, std::string_view pressureUnit,
                                         std::string& message)
{
    if (rules.pressureUnit) {
        message = std::string(file) + " gives its pressure in " + std::string(pressureUnit) +
                  "; --pressure-unit does not apply";
        return std::nullopt;
    }
    const Property given = rules.given.empty() ? Property::DewPoint : rules.given.front();
    if (rules.given.size() > 1 || (given != Property::DewPoint && given != Property::RelativeHumidity)) {
        message = std::string(file) + " gives dew_point and relative_humidity; --given is one of those";
        return std::nullopt;
    }
    return given;
}

} // namespace

std::span<const std::string_view> EpwFieldNames() noexcept
{
    // The EnergyPlus weather file data dictionary's fields, N1 to N35 in order.
    static constexpr std::array<std::string_view, 35> kNames{
        "year",
        "month",
        "day",
        "hour",
        "minute",
        "data_source_flags",
        "dry_bulb",
        "dew_point",
        "relative_humidity",
        "pressure",
        "extraterrestrial_horizontal_radiation",
        "extraterrestrial_direct_normal_radiation",
        "horizontal_infrared_radiation",
        "global_horizontal_radiation",
        "direct_normal_radiation",
        "diffuse_horizontal_radiation",
        "global_horizontal_illuminance",
        "direct_normal_illuminance",
        "diffuse_horizontal_illuminance",
        "zenith_luminance",
        "wind_direction",
        "wind_speed",
        "total_sky_cover",
        "opaque_sky_cover",
        "visibility",
        "ceiling_height",
        "present_weather_observation",
        "present_weather_codes",
        "precipitable_water",
        "aerosol_optical_depth",
        "snow_depth",
        "days_since_last_snowfall",
        "albedo",
        "liquid_precipitation_depth",
        "liquid_precipitation_quantity",
    };
    return kNames;
}

std::vector<std::string> Tmy3FieldNames()
{
    std::vector<std::string> names;
    for (const Tmy3Column& column : kTmy3Columns) {
        if (column.name != "liquid_precipitation")
            names.emplace_back(column.name);
        if (column.flagged) {
            names.push_back(std::string(column.name) + "_source");
            names.push_back(std::string(column.name) + "_uncertainty");
        }
    }
    return names;
}

std::optional<BatchLayout> MakeEpwLayout(const HeaderRules& rules, std::string& message)
{
    // Data fields of an EnergyPlus weather file, from 0.
    constexpr std::size_t kTimeFields = 5; // year, month, day, hour, minute
    constexpr std::size_t kDryBulb = 6;
    constexpr std::size_t kDewPoint = 7;
    constexpr std::size_t kRelativeHumidity = 8;
    constexpr std::size_t kPressure = 9;
    constexpr std::size_t kDataFields = 35;
    if (rules.units != Units::SI) {
        message = "an EnergyPlus weather file is in SI units; --units ip cannot read it";
        return std::nullopt;
    }
    const std::optional<Property> condition = WeatherCondition(rules, "an EnergyPlus weather file", "Pa", message);
    if (!condition)
        return std::nullopt;
    const Property given = *condition;
    BatchLayout layout;
    layout.units = rules.units;
    layout.model = rules.model;
    layout.saturation = rules.saturation;
    layout.format = rules.format;
    layout.columnCount = static_cast<std::size_t>(-1); // rows may end in further fields
    layout.fewestFields = kDataFields;
    // The data dictionary's missing codes: a value at or above one is missing.
    layout.first = {kDryBulb, {}, 99.9, {}, true};
    layout.pressure = InputColumn{kPressure, To("pressure", "Pa", rules.units), 999999.0, {}, true};
    layout.given = {Property::DryBulb, given};
    layout.second = given == Property::DewPoint ? InputColumn{kDewPoint, {}, 99.9, {}, true}
                                                : InputColumn{kRelativeHumidity, {}, 999.0, {}, true};
    if (!rules.plotOnly) {
        const std::span<const std::string_view> names = EpwFieldNames();
        std::vector<NamedField> fields;
        for (std::size_t i = 0; i < names.size(); ++i)
            fields.push_back({std::string(names[i]), i});
        for (std::size_t i = 0; i < kTimeFields; ++i) {
            layout.passThroughColumns.push_back(i);
            layout.passThroughNames.emplace_back(names[i]);
            layout.passThroughLabels.emplace_back(names[i]);
        }
        if (!KeepFields(layout, rules.keep, fields, "an EnergyPlus weather file", message))
            return std::nullopt;
    }
    SetJsonKeys(layout);
    return layout;
}

bool IsTmy3StationLine(std::string_view line)
{
    const std::vector<std::string> fields = Fields(line);
    constexpr std::size_t kStationFields = 7; // USAF, name, state, time zone, latitude, longitude, elevation
    if (fields.size() != kStationFields || fields[0].empty())
        return false;
    const bool code = std::all_of(fields[0].begin(), fields[0].end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    });
    return code && std::all_of(fields.begin() + 3, fields.end(), [](const std::string& field) {
               const std::optional<double> number = ParseDouble(Trim(field));
               return number && std::isfinite(*number);
           });
}

bool IsTmy3HeaderLine(std::string_view line)
{
    const std::vector<std::string> fields = Fields(line);
    return fields.size() > 2 && Label(fields[0]) == "date" && Label(fields[1]) == "time" &&
           std::any_of(fields.begin(), fields.end(), [](const std::string& field) { return Label(field) == "dry-bulb"; });
}

std::optional<BatchLayout> MakeTmy3Layout(const std::vector<std::string_view>& header, const HeaderRules& rules,
                                          std::string& message)
{
    constexpr double kMissing = -9900.0;
    const std::optional<Property> chosen = WeatherCondition(rules, "a TMY3 file", "mbar", message);
    if (!chosen)
        return std::nullopt;
    const Property given = *chosen;
    const Tmy3Header read = ReadTmy3Header(header);
    const auto column = [&](std::string_view name, std::string_view label, std::string_view role,
                            std::string_view unit) -> std::optional<InputColumn> {
        const auto field = std::find_if(read.fields.begin(), read.fields.end(),
                                        [&](const NamedField& f) { return f.name == name; });
        if (field == read.fields.end()) {
            message = "the TMY3 header has no " + Quoted(label) + " column; it reads " + HeaderNames(header);
            return std::nullopt;
        }
        InputColumn input{field->index, To(role, unit, rules.units), kMissing, {}, false};
        const auto source = std::find_if(read.sources.begin(), read.sources.end(),
                                         [&](const NamedField& f) { return f.name == name; });
        if (source != read.sources.end())
            input.sourceFlag = source->index;
        return input;
    };
    const std::optional<InputColumn> dryBulb = column("dry_bulb", "Dry-bulb (C)", "dry_bulb", "C");
    const std::optional<InputColumn> pressure =
        dryBulb ? column("pressure", "Pressure (mbar)", "pressure", "mbar") : std::nullopt;
    const std::optional<InputColumn> condition =
        !pressure                         ? std::nullopt
        : given == Property::DewPoint ? column("dew_point", "Dew-point (C)", "dew_point", "C")
                                          : column("relative_humidity", "RHum (%)", "relative_humidity", "%");
    if (!condition)
        return std::nullopt;
    BatchLayout layout;
    layout.units = rules.units;
    layout.model = rules.model;
    layout.saturation = rules.saturation;
    layout.format = rules.format;
    layout.columnCount = header.size();
    layout.first = *dryBulb;
    layout.pressure = *pressure;
    layout.given = {Property::DryBulb, given};
    layout.second = *condition;
    if (!rules.plotOnly) {
        for (std::string_view name : {std::string_view("date"), std::string_view("time")}) {
            const auto field = std::find_if(read.fields.begin(), read.fields.end(),
                                            [&](const NamedField& f) { return f.name == name; });
            if (field == read.fields.end())
                continue;
            layout.passThroughColumns.push_back(field->index);
            layout.passThroughNames.emplace_back(name);
            layout.passThroughLabels.emplace_back(name);
        }
        if (!KeepFields(layout, rules.keep, read.fields, kTmy3File, message))
            return std::nullopt;
    }
    SetJsonKeys(layout);
    return layout;
}

} // namespace humitrax::cli
