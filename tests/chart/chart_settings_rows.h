// Charts the tests draw: both unit systems and both models, sea level and
// altitude, default and narrow ranges; and a property of a point on them by
// the state layer.
#pragma once

#include "chart_model.h"

#include "humitrax/state.h"

#include <ostream>
#include <string>
#include <vector>

namespace humitrax::chart::testing {

struct SettingsRow {
    std::string name;
    ChartSettings settings;
};

inline void PrintTo(const SettingsRow& row, std::ostream* out) { *out << row.name; }

inline std::vector<SettingsRow> SettingsRows()
{
    return {{"SiSeaLevel", DefaultSettings(Units::SI)},
            {"InchPoundSeaLevel", DefaultSettings(Units::InchPound)},
            {"SiAt2000MetresAshrae2017",
             {.model = Model::Ashrae2017, .pressure = PressureFromAltitude(Units::SI, 2000.0, Model::Ashrae2017).value,
              .altitude = 2000.0}},
            {"InchPoundHotAndHumidAshrae2017",
             {.units = Units::InchPound, .model = Model::Ashrae2017, .pressure = 14.696, .altitude = {}, .tMin = 60.0, .tMax = 110.0,
              .wMax = 0.05}},
            {"SiCold", {.altitude = {}, .tMin = -40.0, .tMax = 10.0, .wMax = 0.008}}};
}

// A property of the state at `point` by the state layer, under the chart's
// model and pressure; its reason when it has no value.
inline Cell PropertyAt(const ChartSettings& settings, const DataPoint& point, Property property)
{
    return ComputeState({settings.units, point.t, settings.pressure,
                         Condition::HumidityRatio, point.w, settings.model})[property];
}

inline double SaturationAt(const ChartSettings& settings, double t)
{
    return PropertyAt(settings, {t, 0.0}, Property::SaturationHumidityRatio).value;
}

} // namespace humitrax::chart::testing
