// File: echo.h
// Text from the input or the command line as a message quotes it back: never
// a raw control byte (a terminal escape, a line break that would split the
// message) nor broken UTF-8, and never more than a short line of it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace humitrax::cli {

/// The most characters of an echo; a longer one is cut there and ends "...".
inline constexpr std::size_t kEchoLimit = 60;

/// `text` as a message shows it. A backslash becomes "\\"; a line feed,
/// carriage return and tab "\n", "\r", "\t"; every other control byte (C0,
/// DEL, and the C1 controls U+0080 to U+009F) and every byte that is not part
/// of a well-formed UTF-8 sequence "\xNN" for each byte. At most kEchoLimit
/// characters, an escape counting as the characters it is written with and
/// never cut, then "..." when more followed.
///
/// **Example**: Echo("dry\x1b[31m") is "dry\\x1b[31m".
std::string Echo(std::string_view text);

/// The length of the UTF-8 sequence at the front of `text` (1 for ASCII), or
/// 0 when it is not well-formed: a stray continuation byte, an overlong form,
/// a surrogate, a value above U+10FFFF or a sequence cut short.
std::size_t Utf8SequenceLength(std::string_view text) noexcept;

/// Echo(text) in single quotes: "'dry_bulb [C'".
std::string Quoted(std::string_view text);

} // namespace humitrax::cli
