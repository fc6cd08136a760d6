// File: readable.h
// What the commands' tables are made of: a property's name for reading,
// numbers rounded for reading, and columns padded to a width.
#pragma once

#include "humitrax/state.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace humitrax::cli {

/// A property's name for a table: "Dry bulb temperature" ...
std::string_view PropertyLabel(Property property) noexcept;

/// The relations for reading: "ashrae2017 model", "ashrae2017 model,
/// saturation over water", "calculator model".
std::string ModelWords(Model model, Saturation saturation);

/// The relations as JSON members: "\"model\":\"ashrae2017\",\"saturation\":\"ice\""
/// (the saturation for the 2017 model only), no comma around them.
std::string ModelMembers(Model model, Saturation saturation);

/// The text without the blanks that padding leaves at the ends of its lines.
std::string WithoutTrailingBlanks(std::string_view text);

/// `text` padded with blanks to `width` characters (counting UTF-8
/// characters, so that "°C" takes two).
void AppendPadded(std::string& out, std::string_view text, std::size_t width);

} // namespace humitrax::cli
