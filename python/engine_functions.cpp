// humitrax.engine: the engine's sixteen public functions one to one, with
// the engine's argument names. A result is a float, the engine's error text
// as a str, or None when empty; an engine failure is raised as
// humitrax.PropertyFailure, whose cause is the word CauseName gives. A bool
// argument is a TypeError, as everywhere in the module.
#include "humitrax/psychrometrics.h"

#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

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

using TemperatureFunction = PropertyResult (*)(const double&);
using TemperatureUnitsFunction = PropertyResult (*)(const double&, const std::int16_t&);
using StateFunction = PropertyResult (*)(const double&, const double&, const std::int16_t&,
                                         const double&);
using StateUnitsFunction = PropertyResult (*)(const double&, const double&, const std::int16_t&,
                                              const double&, const std::int16_t&);

template <TemperatureFunction function>
Answer CallTemperature(Real T)
{
    return ToPython(function(T.value));
}

template <TemperatureUnitsFunction function>
Answer CallTemperatureUnits(Real T, Whole UnitsSI)
{
    return ToPython(function(T.value, UnitsSI.value));
}

template <StateFunction function>
Answer CallState(Real T, Real p, Whole Situation, Real StateVar)
{
    return ToPython(function(T.value, p.value, Situation.value, StateVar.value));
}

template <StateUnitsFunction function>
Answer CallStateUnits(Real T, Real p, Whole Situation, Real StateVar, Whole UnitsSI)
{
    return ToPython(function(T.value, p.value, Situation.value, StateVar.value, UnitsSI.value));
}

/// Paragraphs wrapped for help(), at most 76 characters a line.
std::string Wrapped(std::initializer_list<std::string_view> paragraphs)
{
    constexpr std::size_t kWidth = 76;
    std::string doc;
    for (std::string_view paragraph : paragraphs) {
        if (!doc.empty())
            doc.append("\n\n");
        std::size_t column = 0;
        while (!paragraph.empty()) {
            const std::size_t space = paragraph.find(' ');
            const std::string_view word = paragraph.substr(0, space);
            paragraph = space == std::string_view::npos ? std::string_view() : paragraph.substr(space + 1);
            if (column > 0 && column + 1 + word.size() > kWidth) {
                doc.push_back('\n');
                column = 0;
            } else if (column > 0) {
                doc.push_back(' ');
                ++column;
            }
            doc.append(word);
            column += word.size();
        }
    }
    return doc;
}

constexpr std::string_view kStateArguments =
    "T is the dry bulb (°C or °F), p the barometric pressure (kPa or psia), Situation says "
    "what StateVar holds (1 wet bulb, 2 dew point, 3 relative humidity as a fraction, 4 "
    "humidity ratio), UnitsSI nonzero for SI and zero for inch-pound.";
constexpr std::string_view kSIArguments =
    "The SI form: T is the dry bulb (°C), p the barometric pressure (kPa), Situation says "
    "what StateVar holds (1 wet bulb, 2 dew point, 3 relative humidity as a fraction, 4 "
    "humidity ratio).";
constexpr std::string_view kResult =
    "Returns a float, the engine's error text as a str, or None (empty). Raises "
    "humitrax.PropertyFailure when the value cannot be formed.";

/// Defines a function and its SI companion, both described by `what`.
template <StateUnitsFunction function, StateFunction si>
void DefinePair(py::module_& engine, const char* name, const char* siName, std::string_view what)
{
    engine.def(name, &CallStateUnits<function>, py::arg("T"), py::arg("p"), py::arg("Situation"),
               py::arg("StateVar"), py::arg("UnitsSI"),
               Wrapped({what, kStateArguments, kResult}).c_str());
    engine.def(siName, &CallState<si>, py::arg("T"), py::arg("p"), py::arg("Situation"),
               py::arg("StateVar"), Wrapped({what, kSIArguments, kResult}).c_str());
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

    engine.def(
        "interp", [](Real X) { return interp(X.value); }, py::arg("X"),
        Wrapped({"Barometric pressure of the standard atmosphere in psia at the altitude X in "
                 "feet (any value, negative included), by a polynomial of the sixth degree; "
                 "interp(0) is 14.6965450413525.",
                 "Returns a float. Raises humitrax.PropertyFailure (overflow, "
                 "invalid-operation) for altitudes far beyond any atmosphere."})
            .c_str());
    engine.def("SatPressure", &CallTemperatureUnits<&SatPressure>, py::arg("T"), py::arg("UnitsSI"),
               Wrapped({"Saturation pressure of water vapour at T: over ice at and below the "
                        "triple point, over liquid water above it. T in °C and the result in "
                        "kPa when UnitsSI is nonzero, °F and psia when it is zero.",
                        "Returns a float, or \"out of range\" outside -100 to 200 °C (-148 to "
                        "392 °F) or for a NaN."})
                   .c_str());
    engine.def("SatPressureSI", &CallTemperature<&SatPressureSI>, py::arg("T"),
               Wrapped({"SatPressure in SI: T in °C, the result in kPa.",
                        "Returns a float, or \"out of range\" outside -100 to 200 °C or for a "
                        "NaN."})
                   .c_str());
    DefinePair<&HumidRatio, &HumidRatioSI>(
        engine, "HumidRatio", "HumidRatioSI",
        "Humidity ratio W, kg/kg or lb/lb. \"error\" for a Situation outside 1 to 4; Situation "
        "4 returns StateVar unchanged. Fails (type-mismatch) when a temperature lies outside "
        "the saturation range, (division-by-zero) when the vapour pressure equals p.");
    DefinePair<&Humidity, &HumiditySI>(
        engine, "Humidity", "HumiditySI",
        "Relative humidity as a fraction. \"out of range\" for a dry bulb below its limit or "
        "below the wet bulb, or a fraction outside 0 to 1; None for a Situation outside 1 to "
        "4.");
    DefinePair<&DewPoint, &DewPointSI>(
        engine, "DewPoint", "DewPointSI",
        "Dew-point temperature, °C or °F. Situation 2 returns StateVar unchanged; an error "
        "text for a Situation outside 1 to 4. Fails (invalid-logarithm) for a humidity ratio "
        "of 0.");
    DefinePair<&WetBulb, &WetBulbSI>(
        engine, "WetBulb", "WetBulbSI",
        "Thermodynamic wet-bulb temperature, °C or °F, by a secant iteration. Situation 1 "
        "returns StateVar unchanged. Fails (type-mismatch) when a trial temperature leaves the "
        "saturation range, (no-convergence) when the iteration finds no answer.");
    DefinePair<&Volume, &VolumeSI>(
        engine, "Volume", "VolumeSI",
        "Specific volume per unit mass of dry air, m³/kg or ft³/lb. Fails (type-mismatch) for "
        "a Situation outside 1 to 4, (division-by-zero) for p = 0.");
    engine.def("Grains", &CallState<&Grains>, py::arg("T"), py::arg("p"), py::arg("Situation"),
               py::arg("StateVar"),
               Wrapped({"Moisture content in grains of water per pound of dry air, inch-pound "
                        "only: the humidity ratio times 7000.",
                        "T is the dry bulb (°F), p the barometric pressure (psia), Situation "
                        "says what StateVar holds (1 wet bulb, 2 dew point, 3 relative humidity "
                        "as a fraction, 4 humidity ratio).",
                        kResult})
                   .c_str());
    DefinePair<&Enthalpy, &EnthalpySI>(
        engine, "Enthalpy", "EnthalpySI",
        "Specific enthalpy per unit mass of dry air, kJ/kg (from 0 °C) or Btu/lb (from 0 °F). "
        "Fails (type-mismatch) for a Situation outside 1 to 4.");
}

} // namespace humitrax::python
