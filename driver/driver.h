// File: driver.h
// The calculation driver: from the calculator window's three entry texts and two
// list selections to the ten-line results report, or to one of three messages.
// Toolkit-free: the window and humitrax-cli both call it.
#pragma once

#include "number_text.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace humitrax {

/// The three messages a press can end with.
namespace messages {
inline constexpr std::string_view kEmptyEntry = "Check your values";
inline constexpr std::string_view kOutOfRange = "Out of range values.";
inline constexpr std::string_view kCheckValues = "Check your values.";
} // namespace messages

/// The entries of the list `barocond`, by index: what `second` holds. Any
/// index but kPressure counts as the altitude.
namespace pressure_entries {
inline constexpr std::int16_t kPressure = 0; ///< kPa
inline constexpr std::int16_t kAltitude = 1; ///< m
} // namespace pressure_entries

/// The entries of the list `thirdcond`, by index: what `Text1` holds.
namespace condition_entries {
inline constexpr std::int16_t kWetBulb = 0;          ///< °C
inline constexpr std::int16_t kDewPoint = 1;         ///< °C
inline constexpr std::int16_t kRelativeHumidity = 2; ///< %
inline constexpr std::int16_t kHumidityRatio = 3;    ///< kg/kg
} // namespace condition_entries

/// What the window holds at a press, all in SI as the window works.
struct CalculationRequest {
    std::string dryBulb;        ///< DBT, °C
    std::string second;         ///< second: pressure in kPa or altitude in m
    std::string third;          ///< Text1: the third condition
    std::int16_t barocond = 0;  ///< an entry of `pressure_entries`
    std::int16_t thirdcond = 0; ///< an entry of `condition_entries`
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

} // namespace humitrax
