// File: relations.h
// The relations of one model, in one unit system, at one pressure, as plain
// functions of doubles: what the processes and the chart compute with, so that
// their curves and balances use the numbers a state's cells hold. Under the
// calculator's model each is the engine's own call (psychrometrics.h), under
// the 2017 model the Handbook's relation (ashrae2017.h). Toolkit-free,
// standard C++ only.
#pragma once

#include "humitrax/constants.h"
#include "humitrax/state.h"

#include <optional>

namespace humitrax {

/// Every function returns a number or throws PropertyFailure (a temperature
/// outside the range is TypeMismatch, as in the engine). Temperatures are °C
/// or °F, pressures kPa or psia, humidity ratios kg/kg or lb/lb, enthalpies
/// per unit mass of dry air kJ/kg or Btu/lb, relative humidity a fraction.
class Relations {
public:
    Relations(Units units, Model model, double pressure,
              Saturation saturation = Saturation::IceBelowFreezing) noexcept;

    [[nodiscard]] Units units() const noexcept { return m_units; }
    [[nodiscard]] Model model() const noexcept { return m_model; }
    [[nodiscard]] double pressure() const noexcept { return m_pressure; }
    /// What the 2017 model takes saturation over below the triple point.
    [[nodiscard]] Saturation saturation() const noexcept { return m_saturation; }
    [[nodiscard]] bool si() const noexcept { return m_units == Units::SI; }
    /// The temperatures the saturation pressure covers.
    [[nodiscard]] const TemperatureRange& range() const noexcept { return TemperatureRangeOf(si()); }
    /// Where liquid water freezes: 0 °C or 32 °F.
    [[nodiscard]] double Freezing() const noexcept { return si() ? 0.0 : 32.0; }

    /// The saturation pressure of water vapour at t (over ice below the
    /// model's triple point).
    [[nodiscard]] double SaturationPressure(double t) const;
    /// The humidity ratio of saturated air at t, Ws(t). Infinite where the
    /// saturation pressure reaches the pressure: above the boiling point no
    /// air saturates, and air of any humidity ratio exists.
    [[nodiscard]] double SaturationRatio(double t) const;
    /// Whether air at t can saturate: its saturation pressure lies below the
    /// pressure.
    [[nodiscard]] bool Saturates(double t) const;
    /// The boiling point at the pressure, where the saturation pressure
    /// reaches it; nothing when that lies above the range.
    [[nodiscard]] std::optional<double> BoilingPoint() const;

    /// W of air at t with the relative humidity `fraction` (not limited).
    [[nodiscard]] double RatioAtRelativeHumidity(double t, double fraction) const;
    /// W of air at t whose wet bulb is `wetBulb`.
    [[nodiscard]] double RatioAtWetBulb(double t, double wetBulb) const;
    /// W of air whose water vapour has the partial pressure pw.
    [[nodiscard]] double RatioAtVapourPressure(double pw) const;
    /// The partial pressure of the water vapour in air of humidity ratio W.
    [[nodiscard]] double VapourPressure(double W) const;
    /// The relative humidity of air at t with humidity ratio W, a fraction, not
    /// limited to 0…1; pw/pws(t) above the boiling point.
    [[nodiscard]] double RelativeHumidity(double t, double W) const;

    /// The specific enthalpy: under the calculator's model the engine's own
    /// call, so that it is the state's enthalpy bit for bit.
    [[nodiscard]] double Enthalpy(double t, double W) const;
    /// The dry bulb of air with enthalpy h and humidity ratio W: the model's
    /// enthalpy relation inverted.
    [[nodiscard]] double DryBulb(double h, double W) const;
    /// The specific volume per unit mass of dry air.
    [[nodiscard]] double Volume(double t, double W) const;

    /// The enthalpy of water vapour (and of steam) at t, per unit mass of
    /// water: the vapour term of the enthalpy relation.
    [[nodiscard]] double VapourEnthalpy(double t) const;
    /// The enthalpy of liquid water at t, per unit mass: 4.186 kJ/(kg·K) from
    /// 0 °C, or 1 Btu/(lb·°F) from 32 °F, as in the wet-bulb relation.
    [[nodiscard]] double LiquidEnthalpy(double t) const;

private:
    Units m_units;
    Model m_model;
    double m_pressure;
    Saturation m_saturation;
    EnthalpyCoefficients m_enthalpy;
};

} // namespace humitrax
