// File: numbers.h
// Numbers as the command line reads and writes them, whatever the locale.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace humitrax::cli {

/// Decimal text with a point, an optional sign and exponent ("-1.5e3", "+2"),
/// read exactly as std::from_chars reads it; "inf" and "nan" too. Nothing for
/// anything else, trailing characters included.
std::optional<double> ParseDouble(std::string_view text);

/// A whole number that fits 16 bits ("-1", "4").
std::optional<std::int16_t> ParseInt16(std::string_view text);

/// The shortest decimal text that reads back as the same double.
std::string ShortestText(double value);

} // namespace humitrax::cli
