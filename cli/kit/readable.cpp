#include "kit/readable.h"

#include <array>
#include <charconv>

namespace humitrax::cli {

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

std::string ModelWords(Model model, Saturation saturation)
{
    std::string words(ModelName(model));
    words.append(" model");
    if (model == Model::Ashrae2017 && saturation == Saturation::Water)
        words.append(", saturation over water");
    return words;
}

std::string ModelMembers(Model model, Saturation saturation)
{
    std::string members = "\"model\":\"" + std::string(ModelName(model)) + "\"";
    if (model == Model::Ashrae2017)
        members.append(",\"saturation\":\"").append(SaturationName(saturation)).append("\"");
    return members;
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
