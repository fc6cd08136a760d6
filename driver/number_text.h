// File: number_text.h
// Numbers as the calculator reads them from its entries and writes them into
// its report, in the user's conventions.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace humitrax {

/// The user's number conventions.
struct NumberConventions {
    /// The locale's decimal separator, UTF-8 (usually "." or ","). The point
    /// stands in for an empty one or one that holds a control character.
    std::string decimalSeparator = ".";
};

/// An entry's text as a number: the point is always a decimal separator and
/// the locale's own separator is accepted too; surrounding blanks are ignored;
/// a sign and an exponent are accepted. Nothing for an empty text or blanks,
/// digit grouping, "inf", "nan", hexadecimal or a value beyond a double.
std::optional<double> EntryToNumber(std::string_view text, const NumberConventions& conventions);

/// value rounded to `places` decimal places; a value exactly halfway (judged on
/// the double's exact value) goes to the even digit.
double RoundHalfEven(double value, int places);

/// value rounded to 15 significant digits, in plain decimal notation with no
/// trailing zeros, no separator for whole values, "0" before the separator
/// below 1, a leading minus for negatives (never "-0") and no grouping.
std::string NumberToText(double value, const NumberConventions& conventions);

/// A value as the report writes it: NumberToText(RoundHalfEven(value, places)),
/// or NumberToText(value) when places is negative; quicker for the report's
/// ordinary magnitudes.
std::string ReportNumber(double value, int places, const NumberConventions& conventions);

} // namespace humitrax
