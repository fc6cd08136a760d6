// humitrax.engine: the engine's sixteen public functions one to one, with
// the engine's argument names. A result is a float, the engine's error text
// as a str, or None when empty; an engine failure is raised as
// humitrax.PropertyFailure, whose cause is the word CauseName gives. A bool
// argument is a TypeError, as everywhere in the module.
#include "humitrax/functions.h"

#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <array>
#include <cstdint>
#include <exception>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace py = pybind11;

namespace humitrax::python {

/// An argument the engine takes as a double: a float or an int (anything
/// pybind11 reads as a double), never a bool.
struct Real {
    double value = 0.0;
};

/// An argument the engine takes as a short (Situation, UnitsSI): an int,
/// never a bool.
struct Whole {
    std::int16_t value = 0;
};

namespace {

/// numpy.bool_, set when the functions are defined. One reference held for
/// the life of the process.
PyObject* numpyBoolType = nullptr;

/// Whether `object` is True or False, as Python's bool or NumPy's.
bool IsBool(py::handle object)
{
    return PyBool_Check(object.ptr()) ||
           (numpyBoolType != nullptr &&
            PyObject_TypeCheck(object.ptr(), reinterpret_cast<PyTypeObject*>(numpyBoolType)));
}

} // namespace
} // namespace humitrax::python

namespace pybind11::detail {

/// Reads an argument as pybind11 reads its `Number`, a bool refused: the call
/// then raises TypeError.
template <typename Argument, typename Number>
struct NoBoolCaster {
    PYBIND11_TYPE_CASTER(Argument, make_caster<Number>::name);

    bool load(handle source, bool convert)
    {
        make_caster<Number> number;
        if (humitrax::python::IsBool(source) || !number.load(source, convert))
            return false;
        value.value = cast_op<Number>(number);
        return true;
    }
};

template <>
struct type_caster<humitrax::python::Real> : NoBoolCaster<humitrax::python::Real, double> {};
template <>
struct type_caster<humitrax::python::Whole> : NoBoolCaster<humitrax::python::Whole, std::int16_t> {};

} // namespace pybind11::detail

namespace humitrax::python {
namespace {

/// humitrax.PropertyFailure, the Python class (humitrax/_failure.py). One
/// reference held for the life of the process.
PyObject* failureClass = nullptr;

void TranslateFailure(std::exception_ptr failure)
{
    try {
        if (failure)
            std::rethrow_exception(failure);
    } catch (const PropertyFailure& propertyFailure) {
        const std::string_view cause = CauseName(propertyFailure.cause());
        const py::object error =
            py::handle(failureClass)(py::str(cause.data(), cause.size()));
        PyErr_SetObject(failureClass, error.ptr());
    }
}

/// A result as Python sees it: a float, the error text, or None (empty).
using Answer = std::optional<std::variant<double, std::string>>;

Answer ToPython(const PropertyResult& result)
{
    switch (result.kind()) {
    case PropertyResult::Kind::Number: return result.AsNumber();
    case PropertyResult::Kind::Text: return std::string(result.text());
    case PropertyResult::Kind::Empty: break;
    }
    return std::nullopt;
}

/// A docstring from its sections, a blank line between them.
std::string Doc(std::initializer_list<std::string_view> sections)
{
    std::string doc;
    for (std::string_view section : sections) {
        if (!doc.empty())
            doc.append("\n\n");
        doc.append(section);
    }
    return doc;
}

/// The parts of the docstring of a function of a state that are its own.
struct StatePage {
    std::string_view summary;
    std::string_view returns;
    std::string_view raises; ///< its own failures, after the shared ones; may be empty
    std::string_view notes;
    std::string_view examples;
};

/// The docstrings, numpydoc, at most 76 characters a line.
namespace docs {

constexpr std::string_view kStateParameters = R"doc(Parameters
----------
T : float
    Dry-bulb temperature. [°C or °F]
p : float
    Barometric pressure. [kPa or psia]
Situation : int
    What ``StateVar`` holds: 1 the wet-bulb temperature, 2 the dew-point
    temperature, 3 the relative humidity, 4 the humidity ratio.
StateVar : float
    The condition ``Situation`` names: a wet bulb or dew point [°C or
    °F], a relative humidity as a fraction (0.5 for 50 %) [unitless], or
    a humidity ratio [kg/kg or lb/lb].
UnitsSI : int
    Nonzero for SI (°C, kPa, kg/kg), zero for inch-pound (°F, psia,
    lb/lb).)doc";

constexpr std::string_view kStateParametersSI = R"doc(Parameters
----------
T : float
    Dry-bulb temperature. [°C]
p : float
    Barometric pressure. [kPa]
Situation : int
    What ``StateVar`` holds: 1 the wet-bulb temperature, 2 the dew-point
    temperature, 3 the relative humidity, 4 the humidity ratio.
StateVar : float
    The condition ``Situation`` names: a wet bulb or dew point [°C], a
    relative humidity as a fraction (0.5 for 50 %) [unitless], or a
    humidity ratio [kg/kg].)doc";

constexpr std::string_view kReferences = R"doc(References
----------
.. [1] ASHRAE, 2017. *ASHRAE Handbook—Fundamentals*, chapter 1,
   Psychrometrics. Atlanta: ASHRAE.
.. [2] Hyland, R. W. and Wexler, A., 1983. Formulations for the
   thermodynamic properties of the saturated phases of H2O from 173.15 K
   to 473.15 K. *ASHRAE Transactions* 89(2A), 500-519.)doc";

constexpr std::string_view kInterp = R"doc(Barometric pressure of the standard atmosphere at an altitude.

Parameters
----------
X : float
    Altitude above sea level, negative below it; any value. [ft]

Returns
-------
float
    Barometric pressure. [psia]

Raises
------
humitrax.PropertyFailure
    ``"overflow"`` for an altitude whose sixth power no float holds
    (beyond about 1e51 ft) or an infinite one; ``"invalid-operation"``
    for a NaN.
TypeError
    An ``X`` that is not a number (a bool, a str, None).

See Also
--------
humitrax.state : Takes an altitude in m or ft, -5000 to 11000 m.

Notes
-----
A polynomial of the sixth degree fitted to the standard atmosphere,
highest power first, each power by the C library's pow::

    p = -9.06640328491781e-29 X⁶ + 1.16568636696007e-23 X⁵
        - 2.63483248782848e-19 X⁴ - 5.22566144078183e-14 X³
        + 7.81205590996818e-9 X² - 5.31684897035687e-4 X
        + 14.6965450413525

It is the calculator's relation for an altitude; the 2017 Handbook gives
the standard atmosphere as p = 14.696 (1 - 6.8754e-6 X)^5.2559 psia
(eq. (3) of [1]_), which ``humitrax.state(model="ashrae2017")`` uses.
The fit holds in the troposphere, where ``humitrax.state`` keeps
altitudes (-16404 to 36089 ft); beyond it the polynomial fits nothing and
turns negative above about 74271 ft. The engine itself takes any value.

References
----------
.. [1] ASHRAE, 2017. *ASHRAE Handbook—Fundamentals*, chapter 1,
   Psychrometrics, section "U.S. Standard Atmosphere". Atlanta: ASHRAE.

Examples
--------
>>> humitrax.engine.interp(0)
14.6965450413525
>>> round(humitrax.engine.interp(5000), 4)
12.2268)doc";

constexpr std::string_view kSatPressureNotes = R"doc(Notes
-----
The Hyland-Wexler formulations [2]_ as the Handbook gives them (eqs. (5)
and (6) of [1]_), with T the absolute temperature (K or °R)::

    over ice    ln pws = C1/T + C2 + C3 T + C4 T² + C5 T³ + C6 T⁴ + C7 ln T
    over water  ln pws = C8/T + C9 + C10 T + C11 T² + C12 T³ + C13 ln T

with the Handbook's constants, C2 and C9 less ln 1000 in SI for a result
in kPa rather than Pa. Ice is taken at and below 0 °C (32 °F), the
triple point included; the 2017 relations of
``humitrax.state(model="ashrae2017")`` take water from 0.01 °C
(32.018 °F) up.)doc";

constexpr std::string_view kSatPressure = R"doc(Saturation pressure of water vapour at a temperature.

Parameters
----------
T : float
    Temperature, -100 to 200 °C (-148 to 392 °F). [°C or °F]
UnitsSI : int
    Nonzero for SI (T in °C, the result in kPa), zero for inch-pound
    (°F, psia).

Returns
-------
float or str
    The saturation pressure: over ice at and below 0 °C (32 °F), over
    liquid water above. [kPa or psia] The text ``"out of range"`` for a
    T outside -100 to 200 °C (-148 to 392 °F), or NaN.

Raises
------
TypeError
    A ``T`` that is not a number (a bool, a str, None), or a ``UnitsSI``
    that is not an int from -32768 to 32767.

See Also
--------
SatPressureSI : The SI form.)doc";

constexpr std::string_view kSatPressureExamples = R"doc(Examples
--------
>>> round(humitrax.engine.SatPressure(77, 0), 6)
0.459656
>>> humitrax.engine.SatPressure(-150, 0)
'out of range')doc";

constexpr std::string_view kSatPressureSI =
    R"doc(Saturation pressure of water vapour at a temperature, in SI.

Parameters
----------
T : float
    Temperature, -100 to 200 °C. [°C]

Returns
-------
float or str
    The saturation pressure: over ice at and below 0 °C, over liquid
    water above. [kPa] The text ``"out of range"`` for a T outside -100
    to 200 °C, or NaN.

Raises
------
TypeError
    A ``T`` that is not a number (a bool, a str, None).

See Also
--------
SatPressure : The same with a unit flag; equal to it with UnitsSI
    nonzero.)doc";

constexpr std::string_view kSatPressureSIExamples = R"doc(Examples
--------
>>> round(humitrax.engine.SatPressureSI(25), 5)
3.16922
>>> humitrax.engine.SatPressureSI(250)
'out of range')doc";

/// The failures every function of a state can raise, for the unit form
/// and the SI form.
constexpr std::string_view kStateFailures = R"doc(humitrax.PropertyFailure
    When a value cannot be formed; its ``cause`` says why:
    ``"type-mismatch"`` when a temperature whose saturation pressure is
    needed (``T``, the wet bulb, the dew point) lies outside -100 to
    200 °C (-148 to 392 °F) or is NaN; ``"division-by-zero"`` when a
    vapour pressure equals ``p``; ``"invalid-operation"`` for a NaN among
    the other values used; ``"overflow"`` for a step whose result is
    infinite.)doc";

constexpr std::string_view kStateFailuresSI = R"doc(humitrax.PropertyFailure
    When a value cannot be formed; its ``cause`` says why:
    ``"type-mismatch"`` when a temperature whose saturation pressure is
    needed (``T``, the wet bulb, the dew point) lies outside -100 to
    200 °C or is NaN; ``"division-by-zero"`` when a vapour pressure
    equals ``p``; ``"invalid-operation"`` for a NaN among the other
    values used; ``"overflow"`` for a step whose result is infinite.)doc";

constexpr std::string_view kTypeError = R"doc(TypeError
    An argument that is not a number (a bool, a str, None), or a
    ``Situation`` or ``UnitsSI`` that is not an int from -32768 to
    32767.)doc";

constexpr std::string_view kTypeErrorSI = R"doc(TypeError
    An argument that is not a number (a bool, a str, None), or a
    ``Situation`` that is not an int from -32768 to 32767.)doc";

/// What the engine does not do, said once for every function of a state.
constexpr std::string_view kNoLimits =
    R"doc(Every property rests on the humidity ratio, which for Situations 1
to 3 takes the saturation pressure from the Hyland-Wexler formulations
[2]_ (``SatPressure``). The engine tests no value against the limits of
air: a relative humidity above 1 or a vapour pressure above ``p`` gives
a number all the same. ``humitrax.state`` refuses air that cannot exist
and gives every property at once, under either model.)doc";

constexpr std::string_view kHumidRatio =
    R"doc(Humidity ratio of moist air from its dry bulb, pressure and a condition.)doc";
constexpr std::string_view kHumidRatioSI = R"doc(Humidity ratio of moist air, in SI.)doc";

constexpr std::string_view kHumidRatioReturns = R"doc(Returns
-------
float or str
    The humidity ratio W, mass of water vapour per unit mass of dry air
    [kg/kg or lb/lb]; ``StateVar`` itself for Situation 4, whatever ``T``
    and ``p`` are. The text ``"error"`` for a Situation outside 1 to 4.)doc";
constexpr std::string_view kHumidRatioReturnsSI = R"doc(Returns
-------
float or str
    The humidity ratio W, mass of water vapour per unit mass of dry air
    [kg/kg]; ``StateVar`` itself for Situation 4, whatever ``T`` and
    ``p`` are. The text ``"error"`` for a Situation outside 1 to 4.)doc";

constexpr std::string_view kHumidRatioRaises =
    R"doc(    ``"division-by-zero"`` also when the wet-bulb relation's denominator
    is 0.)doc";

constexpr std::string_view kHumidRatioNotes = R"doc(Notes
-----
With ε = 0.62198 and pws(t) the saturation pressure (``SatPressure``,
Hyland-Wexler [2]_), Ws(t) = ε pws(t)/(p - pws(t)):

- Situation 1, wet bulb t*: the wet-bulb relation for water on the wick,
  used at every temperature: W = ((2501 - 2.381 t*) Ws(t*) - (T - t*)) /
  (2501 + 1.805 T - 4.186 t*) in SI, W = ((1093 - 0.556 t*) Ws(t*) -
  0.240 (T - t*)) / (1093 + 0.444 T - t*) in inch-pound. This is the form
  of eq. (33) of [1]_; in inch-pound units it is eq. (33) itself, in SI
  it has 2.381, 1 and 1.805 where eq. (33) has 2.326, 1.006 and 1.86.
- Situation 2, dew point td: W = Ws(td).
- Situation 3, relative humidity φ: pw = φ pws(T), W = ε pw/(p - pw).
- Situation 4: W is ``StateVar``.

The 2017 Handbook has ε = 0.621945 (section "Perfect Gas Relationships
for Dry and Moist Air" of [1]_).)doc";
constexpr std::string_view kHumidRatioNotesSI = R"doc(Notes
-----
With ε = 0.62198 and pws(t) the saturation pressure (``SatPressureSI``,
Hyland-Wexler [2]_), Ws(t) = ε pws(t)/(p - pws(t)):

- Situation 1, wet bulb t*: the wet-bulb relation for water on the wick,
  used at every temperature: W = ((2501 - 2.381 t*) Ws(t*) - (T - t*)) /
  (2501 + 1.805 T - 4.186 t*), the form of eq. (33) of [1]_ with 2.381,
  1 and 1.805 where it has 2.326, 1.006 and 1.86.
- Situation 2, dew point td: W = Ws(td).
- Situation 3, relative humidity φ: pw = φ pws(T), W = ε pw/(p - pw).
- Situation 4: W is ``StateVar``.

The 2017 Handbook has ε = 0.621945 (section "Perfect Gas Relationships
for Dry and Moist Air" of [1]_).)doc";

constexpr std::string_view kHumidRatioExamples = R"doc(Examples
--------
>>> round(humitrax.engine.HumidRatio(77, 14.696, 3, 0.5, 0), 6)
0.009882
>>> humitrax.engine.HumidRatio(77, 14.696, 5, 0.5, 0)
'error')doc";
constexpr std::string_view kHumidRatioExamplesSI = R"doc(Examples
--------
>>> round(humitrax.engine.HumidRatioSI(25, 101.325, 2, 13.9), 6)
0.009905
>>> humitrax.engine.HumidRatioSI(250, 101.325, 3, 0.5)
Traceback (most recent call last):
    ...
humitrax.PropertyFailure: type-mismatch)doc";

constexpr std::string_view kHumidity = R"doc(Relative humidity of moist air, as a fraction.)doc";
constexpr std::string_view kHumiditySI = R"doc(Relative humidity of moist air, as a fraction, in SI.)doc";

constexpr std::string_view kHumidityReturns = R"doc(Returns
-------
float, str or None
    The relative humidity φ, 0 to 1 (0.5 for 50 %) [unitless]: ``StateVar``
    itself for Situation 3; a φ computed at most 1e-12 above 1 is
    saturated air and gives exactly 1. The text ``"out of range"`` for a
    φ below 0 or above 1, and for a dry bulb the relation does not cover:
    below the wet bulb or below -60 °C with the wet bulb given, below
    0 °C with any other Situation; in inch-pound units below the wet bulb
    or below 32 °F. None for a Situation outside 1 to 4 (unless the dry
    bulb gives ``"out of range"``).)doc";
constexpr std::string_view kHumidityReturnsSI = R"doc(Returns
-------
float, str or None
    The relative humidity φ, 0 to 1 (0.5 for 50 %) [unitless]: ``StateVar``
    itself for Situation 3; a φ computed at most 1e-12 above 1 is
    saturated air and gives exactly 1. The text ``"out of range"`` for a
    φ below 0 or above 1, and for a dry bulb the relation does not cover:
    below the wet bulb or below -60 °C with the wet bulb given, below
    0 °C with any other Situation. None for a Situation outside 1 to 4
    (unless the dry bulb gives ``"out of range"``).)doc";

constexpr std::string_view kHumidityNotes = R"doc(Notes
-----
The humidity ratio W as ``HumidRatio`` forms it, then the degree of
saturation μ = W/Ws(T), Ws(T) = 0.62198 pws(T)/(p - pws(T)), and the
Handbook's relation between the two [1]_:

    φ = μ / (1 - (1 - μ) pws(T)/p)

with pws the saturation pressure (Hyland-Wexler [2]_). The 2017
relations of ``humitrax.state(model="ashrae2017")`` take φ = pw/pws(T)
instead, at every dry bulb of the range.)doc";

constexpr std::string_view kHumidityExamples = R"doc(Examples
--------
>>> round(humitrax.engine.Humidity(77, 14.696, 4, 0.01, 0), 4)
0.5059
>>> humitrax.engine.Humidity(20, 14.696, 4, 0.001, 0)
'out of range')doc";
constexpr std::string_view kHumidityExamplesSI = R"doc(Examples
--------
>>> round(humitrax.engine.HumiditySI(25, 101.325, 1, 18), 4)
0.5077
>>> print(humitrax.engine.HumiditySI(25, 101.325, 5, 0.5))
None)doc";

constexpr std::string_view kDewPoint = R"doc(Dew-point temperature of moist air.)doc";
constexpr std::string_view kDewPointSI = R"doc(Dew-point temperature of moist air, in SI.)doc";

constexpr std::string_view kDewPointReturns = R"doc(Returns
-------
float or str
    The dew point [°C or °F]; ``StateVar`` itself for Situation 2. For a
    Situation outside 1 to 4 the text ``"ERROR: Situation must be 1,2,3
    or 4"`` in inch-pound units, ``"error: invalid input for situation
    type"`` in SI.)doc";
constexpr std::string_view kDewPointReturnsSI = R"doc(Returns
-------
float or str
    The dew point [°C]; ``StateVar`` itself for Situation 2. The text
    ``"error: invalid input for situation type"`` for a Situation outside
    1 to 4.)doc";

constexpr std::string_view kDewPointRaises =
    R"doc(    ``"invalid-logarithm"`` for a humidity ratio of 0 (dry air, which has
    no dew point) or between -0.62198 and 0.)doc";

constexpr std::string_view kDewPointNotes = R"doc(Notes
-----
The humidity ratio W as ``HumidRatio`` forms it, the vapour pressure
pw = p W/(0.62198 + W), and the Handbook's dew-point correlation in
α = ln pw [1]_, in its form for dew points from 0 to 93 °C (32 to
200 °F), used at every humidity::

    td = C14 + C15 α + C16 α² + C17 α³ + C18 pw^0.1984

with C14 to C18 = 6.54, 14.526, 0.7389, 0.09486, 0.4569 (pw in kPa, td
in °C) or 100.45, 33.193, 2.319, 0.17074, 1.2063 (psia, °F). Below
freezing it gives neither the dew point over water nor the frost point
exactly; near saturation it can come out up to 0.031 K above the dry
bulb (``humitrax.state`` gives the dry bulb there). The 2017 relations
of ``humitrax.state(model="ashrae2017")`` invert the saturation pressure
instead: the frost point below the triple point.)doc";
constexpr std::string_view kDewPointNotesSI = R"doc(Notes
-----
The humidity ratio W as ``HumidRatioSI`` forms it, the vapour pressure
pw = p W/(0.62198 + W), and the Handbook's dew-point correlation in
α = ln pw [1]_, in its form for dew points from 0 to 93 °C, used at
every humidity::

    td = 6.54 + 14.526 α + 0.7389 α² + 0.09486 α³ + 0.4569 pw^0.1984

with pw in kPa. Below freezing it gives neither the dew point over
water nor the frost point exactly; near saturation it can come out up
to 0.031 K above the dry bulb (``humitrax.state`` gives the dry bulb
there). The 2017 relations of ``humitrax.state(model="ashrae2017")``
invert the saturation pressure instead: the frost point below the
triple point.)doc";

constexpr std::string_view kDewPointExamples = R"doc(Examples
--------
>>> round(humitrax.engine.DewPoint(77, 14.696, 3, 0.5, 0), 3)
57.014
>>> humitrax.engine.DewPoint(77, 14.696, 5, 0.5, 0)
'ERROR: Situation must be 1,2,3 or 4')doc";
constexpr std::string_view kDewPointExamplesSI = R"doc(Examples
--------
>>> round(humitrax.engine.DewPointSI(25, 101.325, 3, 0.5), 3)
13.893
>>> humitrax.engine.DewPointSI(25, 101.325, 4, 0)
Traceback (most recent call last):
    ...
humitrax.PropertyFailure: invalid-logarithm)doc";

constexpr std::string_view kWetBulb =
    R"doc(Thermodynamic wet-bulb temperature of moist air, by a secant iteration.)doc";
constexpr std::string_view kWetBulbSI = R"doc(Thermodynamic wet-bulb temperature of moist air, in SI.)doc";

constexpr std::string_view kWetBulbReturns = R"doc(Returns
-------
float or str
    The wet bulb [°C or °F]; ``StateVar`` itself for Situation 1. The
    text ``"error: invalid input for situation type"`` for a Situation
    outside 1 to 4.)doc";
constexpr std::string_view kWetBulbReturnsSI = R"doc(Returns
-------
float or str
    The wet bulb [°C]; ``StateVar`` itself for Situation 1. The text
    ``"error: invalid input for situation type"`` for a Situation outside
    1 to 4.)doc";

constexpr std::string_view kWetBulbRaises =
    R"doc(    A trial temperature outside the range is ``"type-mismatch"`` too:
    at once for a dry bulb less than 10 degrees above the range's lower
    end. ``"no-convergence"`` when the iteration finds no answer.)doc";

constexpr std::string_view kWetBulbNotes = R"doc(Notes
-----
The wet bulb t* is the temperature at which the wet-bulb relation of
``HumidRatio`` (Situation 1, its form for water on the wick, at every
temperature) gives the air's humidity ratio W. A secant iteration finds
it: it starts from t* = T and t* = T - 10, evaluates the relation at the
newer point, and stops when that point's humidity ratio lies within 1e-9
of W, returning the point tested. After 100 passes the tested point with
the smallest miss is returned if that miss is below 1e-6 (the saturation
pressure steps by about 97 ppm at the triple point, and a secant across
the step can hop over it for ever); otherwise the iteration fails.

The 2017 relations of ``humitrax.state(model="ashrae2017")`` solve eq.
(33) above freezing and eq. (35) (ice on the wick) below it [1]_ by a
bracketed iteration instead.)doc";

constexpr std::string_view kWetBulbExamples = R"doc(Examples
--------
>>> round(humitrax.engine.WetBulb(77, 14.696, 3, 0.5, 0), 3)
64.196)doc";
constexpr std::string_view kWetBulbExamplesSI = R"doc(Examples
--------
>>> round(humitrax.engine.WetBulbSI(25, 101.325, 3, 0.5), 3)
17.875
>>> humitrax.engine.WetBulbSI(-95, 101.325, 3, 0.5)
Traceback (most recent call last):
    ...
humitrax.PropertyFailure: type-mismatch)doc";

constexpr std::string_view kVolume = R"doc(Specific volume of moist air per unit mass of dry air.)doc";
constexpr std::string_view kVolumeSI =
    R"doc(Specific volume of moist air per unit mass of dry air, in SI.)doc";

constexpr std::string_view kVolumeReturns = R"doc(Returns
-------
float
    The specific volume. [m³/kg or ft³/lb])doc";
constexpr std::string_view kVolumeReturnsSI = R"doc(Returns
-------
float
    The specific volume. [m³/kg])doc";

constexpr std::string_view kVolumeRaises =
    R"doc(    ``"type-mismatch"`` also for a Situation outside 1 to 4;
    ``"division-by-zero"`` also for ``p`` = 0.)doc";

constexpr std::string_view kVolumeNotes = R"doc(Notes
-----
Moist air as an ideal gas, with W as ``HumidRatio`` forms it::

    v = R (T + 273.15)(1 + 1.6078 W) / (28.9645 p)

with R = 8.31441 kJ/(kmol·K) and p in kPa, or R = 1545.32
ft·lbf/(lbmol·°R), T + 459.67 and p in lbf/ft² (psia × 144). The 2017
Handbook gives v = 0.287042 (t + 273.15)(1 + 1.607858 W)/p (section
"Perfect Gas Relationships for Dry and Moist Air" of [1]_), which
``humitrax.state(model="ashrae2017")`` uses.)doc";
constexpr std::string_view kVolumeNotesSI = R"doc(Notes
-----
Moist air as an ideal gas, with W as ``HumidRatioSI`` forms it::

    v = R (T + 273.15)(1 + 1.6078 W) / (28.9645 p)

with R = 8.31441 kJ/(kmol·K) and p in kPa. The 2017 Handbook gives
v = 0.287042 (t + 273.15)(1 + 1.607858 W)/p (section "Perfect Gas
Relationships for Dry and Moist Air" of [1]_), which
``humitrax.state(model="ashrae2017")`` uses.)doc";

constexpr std::string_view kVolumeExamples = R"doc(Examples
--------
>>> round(humitrax.engine.Volume(77, 14.696, 3, 0.5, 0), 4)
13.745)doc";
constexpr std::string_view kVolumeExamplesSI = R"doc(Examples
--------
>>> round(humitrax.engine.VolumeSI(25, 101.325, 3, 0.5), 5)
0.85808
>>> humitrax.engine.VolumeSI(25, 0, 4, 0.01)
Traceback (most recent call last):
    ...
humitrax.PropertyFailure: division-by-zero)doc";

constexpr std::string_view kGrains =
    R"doc(Moisture content in grains of water per pound of dry air, inch-pound only.

Parameters
----------
T : float
    Dry-bulb temperature. [°F]
p : float
    Barometric pressure. [psia]
Situation : int
    What ``StateVar`` holds: 1 the wet-bulb temperature, 2 the dew-point
    temperature, 3 the relative humidity, 4 the humidity ratio.
StateVar : float
    The condition ``Situation`` names: a wet bulb or dew point [°F], a
    relative humidity as a fraction (0.5 for 50 %) [unitless], or a
    humidity ratio [lb/lb].

Returns
-------
float
    The moisture content. [gr/lb]

Raises
------
humitrax.PropertyFailure
    When a value cannot be formed; its ``cause`` says why:
    ``"type-mismatch"`` when a temperature whose saturation pressure is
    needed (``T``, the wet bulb, the dew point) lies outside -148 to
    392 °F or is NaN, or for a Situation outside 1 to 4;
    ``"division-by-zero"`` when a vapour pressure equals ``p``;
    ``"invalid-operation"`` for a NaN among the other values used;
    ``"overflow"`` for a step whose result is infinite.
TypeError
    An argument that is not a number (a bool, a str, None), or a
    ``Situation`` that is not an int from -32768 to 32767.

See Also
--------
HumidRatio : The humidity ratio in lb/lb.

Notes
-----
The humidity ratio W as ``HumidRatio`` forms it in inch-pound units
[1]_, times 7000 grains to the pound.)doc";

constexpr std::string_view kGrainsExamples = R"doc(Examples
--------
>>> round(humitrax.engine.Grains(77, 14.696, 3, 0.5), 2)
69.17)doc";

constexpr std::string_view kEnthalpy = R"doc(Specific enthalpy of moist air per unit mass of dry air.)doc";
constexpr std::string_view kEnthalpySI =
    R"doc(Specific enthalpy of moist air per unit mass of dry air, in SI.)doc";

constexpr std::string_view kEnthalpyReturns = R"doc(Returns
-------
float
    The specific enthalpy, 0 for dry air at 0 °C (0 °F). [kJ/kg or
    Btu/lb])doc";
constexpr std::string_view kEnthalpyReturnsSI = R"doc(Returns
-------
float
    The specific enthalpy, 0 for dry air at 0 °C. [kJ/kg])doc";

constexpr std::string_view kEnthalpyRaises =
    R"doc(    ``"type-mismatch"`` also for a Situation outside 1 to 4.)doc";

constexpr std::string_view kEnthalpyNotes = R"doc(Notes
-----
Moist air as a mixture of ideal gases, with W as ``HumidRatio`` forms
it::

    h = 1.006 T + W (2501 + 1.805 T)    kJ/kg
    h = 0.240 T + W (1061 + 0.444 T)    Btu/lb

The 2017 Handbook's relation has 1.86 where the SI form has 1.805
(section "Perfect Gas Relationships for Dry and Moist Air" of [1]_);
``humitrax.state(model="ashrae2017")`` uses it.)doc";
constexpr std::string_view kEnthalpyNotesSI = R"doc(Notes
-----
Moist air as a mixture of ideal gases, with W as ``HumidRatioSI`` forms
it::

    h = 1.006 T + W (2501 + 1.805 T)    kJ/kg

The 2017 Handbook's relation has 1.86 where this has 1.805 (section
"Perfect Gas Relationships for Dry and Moist Air" of [1]_);
``humitrax.state(model="ashrae2017")`` uses it.)doc";

constexpr std::string_view kEnthalpyExamples = R"doc(Examples
--------
>>> round(humitrax.engine.Enthalpy(77, 14.696, 3, 0.5, 0), 3)
29.302)doc";
constexpr std::string_view kEnthalpyExamplesSI = R"doc(Examples
--------
>>> round(humitrax.engine.EnthalpySI(25, 101.325, 3, 0.5), 3)
50.31)doc";

constexpr StatePage kHumidRatioPage{kHumidRatio, kHumidRatioReturns, kHumidRatioRaises,
                                    kHumidRatioNotes, kHumidRatioExamples};
constexpr StatePage kHumidRatioSIPage{kHumidRatioSI, kHumidRatioReturnsSI, kHumidRatioRaises,
                                      kHumidRatioNotesSI, kHumidRatioExamplesSI};
constexpr StatePage kHumidityPage{kHumidity, kHumidityReturns, {},
                                  kHumidityNotes, kHumidityExamples};
constexpr StatePage kHumiditySIPage{kHumiditySI, kHumidityReturnsSI, {},
                                    kHumidityNotes, kHumidityExamplesSI};
constexpr StatePage kDewPointPage{kDewPoint, kDewPointReturns, kDewPointRaises,
                                  kDewPointNotes, kDewPointExamples};
constexpr StatePage kDewPointSIPage{kDewPointSI, kDewPointReturnsSI, kDewPointRaises,
                                    kDewPointNotesSI, kDewPointExamplesSI};
constexpr StatePage kWetBulbPage{kWetBulb, kWetBulbReturns, kWetBulbRaises,
                                 kWetBulbNotes, kWetBulbExamples};
constexpr StatePage kWetBulbSIPage{kWetBulbSI, kWetBulbReturnsSI, kWetBulbRaises,
                                   kWetBulbNotes, kWetBulbExamplesSI};
constexpr StatePage kVolumePage{kVolume, kVolumeReturns, kVolumeRaises,
                                kVolumeNotes, kVolumeExamples};
constexpr StatePage kVolumeSIPage{kVolumeSI, kVolumeReturnsSI, kVolumeRaises,
                                  kVolumeNotesSI, kVolumeExamplesSI};
constexpr StatePage kEnthalpyPage{kEnthalpy, kEnthalpyReturns, kEnthalpyRaises,
                                  kEnthalpyNotes, kEnthalpyExamples};
constexpr StatePage kEnthalpySIPage{kEnthalpySI, kEnthalpyReturnsSI, kEnthalpyRaises,
                                    kEnthalpyNotesSI, kEnthalpyExamplesSI};

} // namespace docs

/// The docstring of a function of a state: its own parts around what every
/// such function shares, in the unit form (`si` false) or the SI form;
/// `companion` is the other form's name.
std::string StateDoc(const StatePage& page, bool si, std::string_view companion)
{
    std::string raises = "Raises\n------\n";
    raises.append(si ? docs::kStateFailuresSI : docs::kStateFailures);
    if (!page.raises.empty())
        raises.append("\n").append(page.raises);
    raises.append("\n").append(si ? docs::kTypeErrorSI : docs::kTypeError);
    std::string seeAlso = "See Also\n--------\n";
    seeAlso.append(companion);
    seeAlso.append(si ? " : The same with a unit flag, equal to this with UnitsSI\n    nonzero."
                      : " : The SI form, equal to this with UnitsSI nonzero.");
    return Doc({page.summary, si ? docs::kStateParametersSI : docs::kStateParameters, page.returns, raises,
                seeAlso, page.notes, docs::kNoLimits, docs::kReferences, page.examples});
}

/// The page of a function of a state, by its name; null for the others.
const StatePage* StatePageOf(std::string_view name)
{
    struct Named {
        std::string_view name;
        const StatePage* page;
    };
    static constexpr std::array<Named, 12> kPages{{
        {"HumidRatio", &docs::kHumidRatioPage},
        {"HumidRatioSI", &docs::kHumidRatioSIPage},
        {"Humidity", &docs::kHumidityPage},
        {"HumiditySI", &docs::kHumiditySIPage},
        {"DewPoint", &docs::kDewPointPage},
        {"DewPointSI", &docs::kDewPointSIPage},
        {"WetBulb", &docs::kWetBulbPage},
        {"WetBulbSI", &docs::kWetBulbSIPage},
        {"Volume", &docs::kVolumePage},
        {"VolumeSI", &docs::kVolumeSIPage},
        {"Enthalpy", &docs::kEnthalpyPage},
        {"EnthalpySI", &docs::kEnthalpySIPage},
    }};
    for (const Named& named : kPages) {
        if (named.name == name)
            return named.page;
    }
    return nullptr;
}

/// The name of the other form of a function of a state: its SI companion, or
/// the function with the unit flag whose companion it is.
std::string_view OtherForm(const EngineFunction& function)
{
    if (!function.siCompanion.empty())
        return function.siCompanion;
    for (const EngineFunction& candidate : kEngineFunctions) {
        if (candidate.siCompanion == function.name)
            return candidate.name;
    }
    return {};
}

/// The docstring of an engine function.
std::string DocOf(const EngineFunction& function)
{
    if (const StatePage* page = StatePageOf(function.name))
        return StateDoc(*page, function.signature == Signature::State, OtherForm(function));
    if (function.name == "interp")
        return std::string(docs::kInterp);
    if (function.name == "SatPressure")
        return Doc({docs::kSatPressure, docs::kSatPressureNotes, docs::kReferences, docs::kSatPressureExamples});
    if (function.name == "SatPressureSI")
        return Doc({docs::kSatPressureSI, docs::kSatPressureNotes, docs::kReferences, docs::kSatPressureSIExamples});
    return Doc({docs::kGrains, docs::kNoLimits, docs::kReferences, docs::kGrainsExamples});
}

/// Defines one engine function, by its signature, with its docstring.
void Define(py::module_& engine, const EngineFunction& function)
{
    const char* name = function.name.data(); // every name is a literal
    const std::string doc = DocOf(function);
    switch (function.signature) {
    case Signature::Altitude:
        engine.def(
            name, [call = function.altitude](Real X) { return call(X.value); }, py::arg("X"), doc.c_str());
        return;
    case Signature::Temperature:
        engine.def(
            name, [call = function.temperature](Real T) { return ToPython(call(T.value)); }, py::arg("T"),
            doc.c_str());
        return;
    case Signature::TemperatureUnits:
        engine.def(
            name,
            [call = function.temperatureUnits](Real T, Whole UnitsSI) {
                return ToPython(call(T.value, UnitsSI.value));
            },
            py::arg("T"), py::arg("UnitsSI"), doc.c_str());
        return;
    case Signature::State:
        engine.def(
            name,
            [call = function.state](Real T, Real p, Whole Situation, Real StateVar) {
                return ToPython(call(T.value, p.value, Situation.value, StateVar.value));
            },
            py::arg("T"), py::arg("p"), py::arg("Situation"), py::arg("StateVar"), doc.c_str());
        return;
    case Signature::StateUnits:
        engine.def(
            name,
            [call = function.stateUnits](Real T, Real p, Whole Situation, Real StateVar, Whole UnitsSI) {
                return ToPython(call(T.value, p.value, Situation.value, StateVar.value, UnitsSI.value));
            },
            py::arg("T"), py::arg("p"), py::arg("Situation"), py::arg("StateVar"), py::arg("UnitsSI"), doc.c_str());
        return;
    }
}

} // namespace

void DefineEngine(py::module_& engine)
{
    engine.doc() = "The property engine's functions, one to one; see humitrax.engine.";

    failureClass =
        py::object(py::module_::import("humitrax._failure").attr("PropertyFailure")).release().ptr();
    engine.attr("PropertyFailure") = py::handle(failureClass);
    py::register_local_exception_translator(&TranslateFailure);
    numpyBoolType = py::object(py::module_::import("numpy").attr("bool_")).release().ptr();

    for (const EngineFunction& function : kEngineFunctions)
        Define(engine, function);
}

} // namespace humitrax::python
