// One state from plain numbers, for the calls made row by row (from
// DataFrame.apply, from loops): the state of the array path for a single row,
// computed by the same ComputeRows, without NumPy's broadcasting around it.
// Anything but a well-formed call of plain numbers gives None, and the caller
// takes the array path, which says what is wrong with it.
#include "columns.h"

#include "humitrax/pair.h"

#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <array>
#include <cmath>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace py = pybind11;

namespace humitrax::python {
namespace {

constexpr long kMostThreads = 256;

/// A plain number (a float, a float's subclass such as numpy.float64, or an
/// int that is no bool), as a double; nothing for anything else, or an int
/// beyond a double's range.
std::optional<double> PlainNumber(py::handle value)
{
    PyObject* object = value.ptr();
    if (PyFloat_Check(object))
        return PyFloat_AS_DOUBLE(object);
    if (PyLong_CheckExact(object)) {
        const double number = PyLong_AsDouble(object);
        if (number == -1.0 && PyErr_Occurred()) {
            PyErr_Clear();
            return std::nullopt;
        }
        return number;
    }
    return std::nullopt;
}

/// The text of an exact str, or nothing.
std::optional<std::string_view> Text(py::handle value)
{
    if (!PyUnicode_CheckExact(value.ptr()))
        return std::nullopt;
    Py_ssize_t size = 0;
    const char* data = PyUnicode_AsUTF8AndSize(value.ptr(), &size);
    if (data == nullptr) {
        PyErr_Clear();
        return std::nullopt;
    }
    return std::string_view(data, static_cast<std::size_t>(size));
}

/// The property columns' names of a unit system, made once.
const std::vector<py::str>& ColumnNames(Units units)
{
    static const std::array<std::vector<py::str>, 2> kNames = [] {
        std::array<std::vector<py::str>, 2> names;
        for (Property property : kAllProperties) {
            for (Units system : {Units::SI, Units::InchPound}) {
                if (HasProperty(property, system))
                    names[system == Units::SI ? 0 : 1].emplace_back(std::string(PropertyColumn(property)));
            }
        }
        return names;
    }();
    return kNames[units == Units::SI ? 0 : 1];
}

/// (result, warnings) of one state given by plain numbers, as
/// humitrax.state gives it for scalars; None for any other call.
py::object StateOne(py::handle dryBulb, py::handle pressure, py::handle altitude, py::handle wetBulb,
                    py::handle dewPoint, py::handle relativeHumidity, py::handle humidityRatio, py::handle enthalpy,
                    py::handle specificVolume, py::handle vapourPressure, py::handle units, py::handle model,
                    py::handle saturation, py::handle threads)
{
    if (!threads.is_none()) {
        if (!PyLong_CheckExact(threads.ptr()))
            return py::none();
        const long count = PyLong_AsLong(threads.ptr());
        if (count < 1 || count > kMostThreads) {
            PyErr_Clear();
            return py::none();
        }
    }
    GivenColumns given;
    const std::optional<std::string_view> unitsName = Text(units);
    const std::optional<std::string_view> modelName = Text(model);
    const std::optional<std::string_view> saturationName = Text(saturation);
    if (!unitsName || !modelName || !saturationName || (*unitsName != "si" && *unitsName != "ip"))
        return py::none();
    given.units = *unitsName == "si" ? Units::SI : Units::InchPound;
    const std::optional<Model> modelValue = ModelFromName(*modelName);
    const std::optional<Saturation> saturationValue = SaturationFromName(*saturationName);
    if (!modelValue || !saturationValue || (*saturationValue == Saturation::Water && *modelValue != Model::Ashrae2017))
        return py::none();
    given.model = *modelValue;
    given.saturation = *saturationValue;
    if (pressure.is_none() == altitude.is_none())
        return py::none();
    given.altitude = pressure.is_none();
    const std::optional<double> place = PlainNumber(given.altitude ? altitude : pressure);
    if (!place)
        return py::none();

    // The two given properties, in the order of kGivableProperties.
    const std::array<py::handle, kGivableProperties.size()> values{
        dryBulb, wetBulb, dewPoint, relativeHumidity, humidityRatio, enthalpy, specificVolume, vapourPressure};
    std::array<double, 2> numbers{};
    std::size_t count = 0;
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (values[i].is_none())
            continue;
        const std::optional<double> number = PlainNumber(values[i]);
        if (!number || count == numbers.size())
            return py::none();
        (count == 0 ? given.first : given.second) = kGivableProperties[i];
        numbers[count++] = *number;
    }
    if (count != numbers.size())
        return py::none();
    given.rows = 1;
    given.firstValues = &numbers[0];
    given.pressure = &*place;
    given.secondValues = &numbers[1];

    std::array<double, kPropertyCount> cells{};
    PropertyColumns out{};
    for (std::size_t i = 0; i < kPropertyCount; ++i)
        out[i] = HasProperty(kAllProperties[i], given.units) ? &cells[i] : nullptr;
    std::vector<RowStatus> statuses;
    Plausibility plausibility(given.units);
    ComputeRows(given, out, 0, 1, statuses, plausibility);

    py::dict result;
    const std::vector<py::str>& names = ColumnNames(given.units);
    std::size_t name = 0;
    for (std::size_t i = 0; i < kPropertyCount; ++i) {
        if (out[i] != nullptr)
            result[names[name++]] = py::float_(cells[i]);
    }
    result["status"] = py::str(statuses.empty() ? std::string() : statuses.front().text);
    const std::vector<std::string> warnings = WarningTexts(plausibility);
    return py::make_tuple(result, warnings.empty() ? py::object(py::none()) : py::cast(warnings));
}

} // namespace

void DefineScalar(py::module_& module)
{
    module.def("state_one", &StateOne, py::arg("dry_bulb"), py::arg("pressure"), py::arg("altitude"),
               py::arg("wet_bulb"), py::arg("dew_point"), py::arg("relative_humidity"), py::arg("humidity_ratio"),
               py::arg("enthalpy"), py::arg("specific_volume"), py::arg("vapour_pressure"), py::arg("units"),
               py::arg("model"), py::arg("saturation"), py::arg("threads"),
               "One state given by plain numbers: (result, warnings) as humitrax.state gives them for "
               "scalars, or None for any other call.");
}

} // namespace humitrax::python
