// File: state_text.h
// The state text the commands take, "25,rh=50", and a flow such as "2.5kg/s":
// read once here for process, comfort and the chart's points and zones.
#pragma once

#include "humitrax/pair.h"
#include "humitrax/process.h"
#include "humitrax/state.h"

#include <optional>
#include <string>
#include <string_view>

namespace humitrax::cli {

/// Two of a state's properties, "KEY=V,KEY=V", the keys db (dry bulb), wb,
/// dp, rh (percent), w, h, v and pw (vapour pressure); a bare first number is
/// the dry bulb ("25,rh=50"). Numbers in the command's units, blanks around
/// them allowed. Nothing for any other text, with the reason in `message`.
std::optional<AirState> ParseAirState(std::string_view text, std::string& message);

/// A number and a flow unit, "2.5kg/s", "3000cfm", "1.2m3/s", "4000m3/h",
/// "150lb/min" (a blank between them allowed). Nothing for any other text, a
/// number that is not finite included, with the reason in `message`.
std::optional<Flow> ParseFlow(std::string_view text, std::string& message);

} // namespace humitrax::cli
