// The relations of a model at a pressure, for the processes and the chart.
#include "humitrax/relations.h"

#include "cells.h"

#include "humitrax/ashrae2017.h"
#include "humitrax/psychrometrics.h"

#include <limits>

namespace humitrax {
namespace {


/// Liquid water: h_w = heat·(t − freezing).
constexpr double kWaterHeatSI = 4.186;
constexpr double kWaterHeatInchPound = 1.0;

constexpr int kMostHalvings = 2000;

const EnthalpyCoefficients& EnthalpyOf(Units units, Model model) noexcept
{
    const bool si = units == Units::SI;
    if (model == Model::Calculator)
        return si ? calculator::kEnthalpySI : calculator::kEnthalpyInchPound;
    return si ? ashrae2017::kEnthalpySI : ashrae2017::kEnthalpyInchPound;
}

} // namespace

Relations::Relations(Units units, Model model, double pressure, Saturation saturation) noexcept
    : m_units(units), m_model(model), m_pressure(pressure), m_saturation(saturation),
      m_enthalpy(EnthalpyOf(units, model))
{
}

double Relations::SaturationPressure(double t) const
{
    if (m_model == Model::Calculator)
        return SatPressure(t, si() ? 1 : 0).AsNumber();
    return ashrae2017::SatPressure(t, si(), m_saturation);
}

bool Relations::Saturates(double t) const { return SaturationPressure(t) < m_pressure; }

double Relations::SaturationRatio(double t) const
{
    if (!Saturates(t))
        return std::numeric_limits<double>::infinity();
    if (m_model == Model::Calculator)
        return RatioAtRelativeHumidity(t, 1.0);
    return ashrae2017::SatHumidityRatio(t, m_pressure, si(), m_saturation);
}

std::optional<double> Relations::BoilingPoint() const
{
    double below = range().lowest;
    double atOrAbove = range().highest;
    if (Saturates(atOrAbove))
        return std::nullopt;
    if (!Saturates(below))
        return below;
    for (int i = 0; i < kMostHalvings; ++i) {
        const double middle = below + (atOrAbove - below) / 2.0;
        if (middle == below || middle == atOrAbove)
            break;
        (Saturates(middle) ? below : atOrAbove) = middle;
    }
    return atOrAbove;
}

double Relations::RatioAtRelativeHumidity(double t, double fraction) const
{
    if (m_model == Model::Calculator)
        return HumidRatio(t, m_pressure, kRelativeHumidityGiven, fraction, si() ? 1 : 0).AsNumber();
    return ashrae2017::HumidityRatioFromRelativeHumidity(t, m_pressure, fraction, si(), m_saturation);
}

double Relations::RatioAtWetBulb(double t, double wetBulb) const
{
    if (m_model == Model::Calculator)
        return HumidRatio(t, m_pressure, kWetBulbGiven, wetBulb, si() ? 1 : 0).AsNumber();
    return ashrae2017::HumidityRatioFromWetBulb(t, wetBulb, m_pressure, si(), m_saturation);
}

double Relations::RatioAtVapourPressure(double pw) const
{
    if (m_model == Model::Calculator)
        return CheckedDivide(Checked(calculator::kMolarMassRatio * pw), Checked(m_pressure - pw));
    return ashrae2017::HumidityRatioFromVapourPressure(pw, m_pressure, si());
}

double Relations::VapourPressure(double W) const
{
    if (m_model == Model::Calculator)
        return CheckedDivide(Checked(m_pressure * W), Checked(calculator::kMolarMassRatio + W));
    return ashrae2017::VapourPressureFromHumidityRatio(W, m_pressure, si());
}

double Relations::RelativeHumidity(double t, double W) const
{
    if (m_model == Model::Ashrae2017)
        return ashrae2017::RelativeHumidityFromHumidityRatio(t, m_pressure, W, si(), m_saturation);
    const double pws = SaturationPressure(t);
    if (!(pws < m_pressure)) {
        // No saturated air to take the degree of saturation against: pw/pws.
        return CheckedDivide(VapourPressure(W), pws);
    }
    // The calculator's relation from the degree of saturation, at any dry bulb.
    const double mu = CheckedDivide(W, SaturationRatio(t));
    return CheckedDivide(mu, Checked(1.0 - Checked(CheckedDivide(pws, m_pressure) * (1.0 - mu))));
}

double Relations::Enthalpy(double t, double W) const
{
    if (m_model == Model::Calculator)
        return EngineProperty(Property::Enthalpy, m_units, t, m_pressure, Condition::HumidityRatio, W).AsNumber();
    return ashrae2017::Enthalpy(t, W, si());
}

double Relations::DryBulb(double h, double W) const
{
    if (m_model == Model::Calculator)
        return CheckedDivide(Checked(h - m_enthalpy.latent * W), Checked(m_enthalpy.dryAir + m_enthalpy.vapour * W));
    return Checked(ashrae2017::DryBulbFromEnthalpy(h, W, si()));
}

double Relations::Volume(double t, double W) const
{
    if (m_model == Model::Calculator)
        return EngineProperty(Property::SpecificVolume, m_units, t, m_pressure, Condition::HumidityRatio, W)
            .AsNumber();
    return ashrae2017::Volume(t, W, m_pressure, si());
}

double Relations::VapourEnthalpy(double t) const { return Checked(m_enthalpy.latent + m_enthalpy.vapour * t); }

double Relations::LiquidEnthalpy(double t) const
{
    return si() ? Checked(kWaterHeatSI * (t - Freezing())) : Checked(kWaterHeatInchPound * (t - Freezing()));
}

} // namespace humitrax
