// The barometric pressure at an altitude, as the calculator converts one.
#include "cells.h"

#include "humitrax/ashrae2017.h"
#include "humitrax/psychrometrics.h"

#include <cmath>

namespace humitrax {
namespace {

constexpr double kFeetPerMetre = 3.2808;
constexpr double kStandardPsia = 14.697; // psia of the standard atmosphere
constexpr double kStandardKpa = 101.325; // kPa of the standard atmosphere

using detail::Checked;

} // namespace

double AltitudePressureSI(double metres)
{
    const double feet = Checked(metres * kFeetPerMetre);
    const double psia = interp(feet);
    const double ratio = Checked(psia / kStandardPsia);
    return Checked(ratio * kStandardKpa);
}

Cell PressureFromAltitude(Units units, double altitude, Model model)
{
    Cell cell;
    try {
        if (model == Model::Ashrae2017)
            cell.value = ashrae2017::PressureFromAltitude(altitude, units == Units::SI);
        else
            cell.value = Checked(units == Units::InchPound ? interp(altitude) : AltitudePressureSI(altitude));
        cell.present = true;
    } catch (const PropertyFailure& failure) {
        cell.reason = CausePhrase(failure.cause());
    }
    return cell;
}

} // namespace humitrax
