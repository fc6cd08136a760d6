// File: ashrae2017_before.h
// The 2017 relations' two solvers as they were before the Newton solvers:
// the dew point by Newton steps in 1/T from a chord between nodes every
// 10 K, and the wet bulb by Brent's method between the dew point and the
// dry bulb, each to 1e-9 degree. Kept for the benchmarks only: their time
// beside the engine's, and how far each answer lies from the other and from
// the root found in extended precision.
#pragma once

#include "humitrax/ashrae2017.h"

#include <optional>

namespace humitrax::bench::before {

/// ashrae2017::DewPoint as it was.
double DewPoint(double pw, bool si, ashrae2017::Saturation over = ashrae2017::Saturation::IceBelowFreezing);

/// ashrae2017::WetBulb as it was, the dew point known or not.
double WetBulb(double t, double W, double p, bool si, std::optional<double> dewPoint = std::nullopt,
               ashrae2017::Saturation over = ashrae2017::Saturation::IceBelowFreezing);

} // namespace humitrax::bench::before
