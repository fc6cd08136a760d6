// File: weather.h
// The weather files read beside CSV tables: EnergyPlus weather files (EPW)
// and NREL's Typical Meteorological Year 3 (TMY3) files. Where each holds the
// dry bulb, the humidity and the pressure, its codes for a value not
// measured, and the names its other fields pass through under (--keep).
#pragma once

#include "table/rows.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace humitrax::cli {

/// The names of an EnergyPlus weather file's 35 data fields, in their order
/// (the EnergyPlus weather file data dictionary's, in snake_case): year,
/// month, day, hour, minute, data_source_flags, dry_bulb, dew_point,
/// relative_humidity, pressure, ... liquid_precipitation_quantity.
std::span<const std::string_view> EpwFieldNames() noexcept;

/// The names --keep knows in a TMY3 file, in the order of its columns: date,
/// time, extraterrestrial_horizontal_radiation, ..., each measured value's
/// NAME_source and NAME_uncertainty after it.
std::vector<std::string> Tmy3FieldNames();

/// An EnergyPlus weather file's data rows: year, month, day, hour and minute
/// passed through, then the fields `rules.keep` names; dry bulb (°C, 99.9
/// not measured), dew point (°C, 99.9; or, with `rules.given` the relative
/// humidity, %, 999) and pressure (Pa, 999999) read. SI only.
std::optional<BatchLayout> MakeEpwLayout(const HeaderRules& rules, std::string& message);

/// Whether `line` (its line feed left off) is a TMY3 file's first: the
/// station's USAF number, name, state, time zone, latitude, longitude and
/// elevation.
bool IsTmy3StationLine(std::string_view line);

/// Whether `line` is a TMY3 file's second, its header: "Date (MM/DD/YYYY),
/// Time (HH:MM),...", with a dry bulb column.
bool IsTmy3HeaderLine(std::string_view line);

/// A TMY3 file's data rows by its header (the second line's fields): date and
/// time passed through, then the fields `rules.keep` names; "Dry-bulb (C)",
/// "Dew-point (C)" (or, with `rules.given` the relative humidity, "RHum (%)")
/// and "Pressure (mbar)" read, in the unit system's units. A value of -9900,
/// or one whose source flag is "?", was not measured.
std::optional<BatchLayout> MakeTmy3Layout(const std::vector<std::string_view>& header, const HeaderRules& rules,
                                          std::string& message);

} // namespace humitrax::cli
