// File: driver.h
// The calculation driver: from the calculator window's three entry texts and two
// list selections to the ten-line results report, or to one of three messages.
// Toolkit-free: the window and humitrax-cli both call it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace humitrax {

/// The three messages a press can end with.
namespace messages {
inline constexpr std::string_view kEmptyEntry = "Check your values";
inline constexpr std::string_view kOutOfRange = "Out of range values.";
inline constexpr std::string_view kCheckValues = "Check your values.";
} // namespace messages

/// The user's number conventions.
struct NumberConventions {
    /// The locale's decimal separator, UTF-8 (usually "." or ",").
    std::string decimalSeparator = ".";
};

/// What the window holds at a press, all in SI as the window works.
struct CalculationRequest {
    std::string dryBulb;       ///< DBT, °C
    std::string second;        ///< second: pressure in kPa or altitude in m
    std::string third;         ///< Text1: the third condition
    std::int16_t barocond = 0;  ///< 0 pressure, any other index altitude
    std::int16_t thirdcond = 0; ///< 0 wet bulb, 1 dew point, 2 relative humidity %, 3 humidity ratio
};

/// The report, or the message that ended the press.
struct CalculationOutcome {
    bool succeeded = false;
    /// The report (ten lines joined by CR LF, nothing after the last) when it
    /// succeeded, else exactly one of the messages.
    std::string text;
};

/// One press of Calculate. Never throws and never hangs.
CalculationOutcome Calculate(const CalculationRequest& request,
                             const NumberConventions& conventions) noexcept;

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

/// The barometric pressure in kPa at an altitude in metres, as the calculator
/// computes it: metres × 3.2808 to feet, interp, then psia ÷ 14.697 × 101.325
/// (dividing first). Throws PropertyFailure for a result that is not finite.
double AltitudePressureSI(double metres);

/// A value as the report writes it: NumberToText(RoundHalfEven(value, places)),
/// or NumberToText(value) when places is negative; quicker for the report's
/// ordinary magnitudes.
std::string ReportNumber(double value, int places, const NumberConventions& conventions);

} // namespace humitrax
