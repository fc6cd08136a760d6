// Charts the tests draw: both unit systems, sea level and altitude, default
// and narrow ranges.
#pragma once

#include "chart_model.h"

#include <ostream>
#include <string>
#include <vector>

namespace humitrax::chart::testing {

struct SettingsRow {
    std::string name;
    ChartSettings settings;
};

// Test names and failure reports show the row by its name.
inline void PrintTo(const SettingsRow& row, std::ostream* out) { *out << row.name; }

inline std::vector<SettingsRow> SettingsRows()
{
    ChartSettings altitude = DefaultSettings(true);
    altitude.altitude = 2000.0;
    altitude.pressure = PressureAtAltitude(2000.0, true);
    ChartSettings hot = DefaultSettings(false);
    hot.tMin = 60.0;
    hot.tMax = 110.0;
    hot.wMax = 0.05;
    ChartSettings cold = DefaultSettings(true);
    cold.tMin = -40.0;
    cold.tMax = 10.0;
    cold.wMax = 0.008;
    return {{"SiSeaLevel", DefaultSettings(true)},
            {"InchPoundSeaLevel", DefaultSettings(false)},
            {"SiAt2000Metres", altitude},
            {"InchPoundHotAndHumid", hot},
            {"SiCold", cold}};
}

inline std::string RowName(const SettingsRow& row) { return row.name; }

} // namespace humitrax::chart::testing
