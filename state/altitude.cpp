// The barometric pressure at an altitude, as the calculator converts one.
#include "cells.h"

#include "humitrax/ashrae2017.h"
#include "humitrax/constants.h"
#include "humitrax/psychrometrics.h"

#include <cmath>

namespace humitrax {
namespace {

constexpr double kFeetPerMetre = 3.2808;
constexpr double kStandardPsia = 14.697; // psia of the standard atmosphere
constexpr double kStandardKpa = 101.325; // kPa of the standard atmosphere

/// The altitudes the standard atmosphere's relation is accurate for: the
/// Handbook gives it from −5000 m to 11 000 m (the top of the troposphere).
/// The calculator's polynomial fits the same atmosphere and is held to the
/// same range.
constexpr double kLowestMetres = -5000.0;
constexpr double kHighestMetres = 11000.0;

/// Why an altitude (m or ft) lies outside the range, or nothing.
std::string_view AltitudeRefusal(Units units, double altitude) noexcept
{
    const bool si = units == Units::SI;
    const double metres = si ? altitude : altitude * kMetresPerFoot;
    if (std::isnan(metres))
        return "the altitude is not a number";
    if (metres < kLowestMetres)
        return si ? "the altitude lies below -5000 m, the lowest the relations cover"
                  : "the altitude lies below -16404 ft, the lowest the relations cover";
    if (metres > kHighestMetres)
        return si ? "the altitude lies above 11000 m, the highest the relations cover"
                  : "the altitude lies above 36089 ft, the highest the relations cover";
    return {};
}


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
    cell.reason = AltitudeRefusal(units, altitude);
    if (!cell.reason.empty())
        return cell;
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
