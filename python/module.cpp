// The compiled part of the Python package humitrax: the states of NumPy
// arrays computed with the interpreter's lock released, the property
// columns, the processes (process_functions.cpp), comfort
// (comfort_functions.cpp), the header rules of a table's columns
// (name_functions.cpp) and the engine's functions (engine_functions.cpp).
// The package's Python files check the arguments and shape the results; this
// module trusts nothing it is given all the same.
#include "arrays.h"
#include "columns.h"
#include "signals.h"

#include "humitrax/pair.h"

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cstdint>
#include <optional>
#include <string>
#include <stdexcept>
#include <string_view>
#include <tuple>
#include <vector>

namespace py = pybind11;

namespace humitrax::python {

void DefineEngine(py::module_& engine);
void DefineProcess(py::module_& module);
void DefineComfort(py::module_& module);
void DefineNames(py::module_& module);
void DefineScalar(py::module_& module);

namespace {


constexpr std::string_view kSI = "si";
constexpr std::string_view kInchPound = "ip";

Units UnitsFromName(std::string_view name)
{
    if (name == kSI)
        return Units::SI;
    if (name == kInchPound)
        return Units::InchPound;
    throw py::value_error("units must be 'si' or 'ip', not '" + std::string(name) + "'");
}

/// The properties a unit system has, in column order.
py::list Columns(std::string_view units)
{
    const Units system = UnitsFromName(units);
    py::list names;
    for (Property property : kAllProperties) {
        if (HasProperty(property, system))
            names.append(py::str(std::string(PropertyColumn(property))));
    }
    return names;
}

template <typename Array>
auto RowsOf(const Array& array, std::size_t rows, const char* name)
{
    if (array.ndim() != 1 || static_cast<std::size_t>(array.shape(0)) != rows)
        throw py::value_error(std::string(name) + " must be one-dimensional, as long as the first");
    return array.data();
}

/// The flags of the missing values of a given array: nullptr for none.
const bool* MissingOf(const std::optional<MissingArray>& missing, std::size_t rows, const char* name)
{
    return missing ? RowsOf(*missing, rows, name) : nullptr;
}

/// (columns, rows, texts, warnings): one array per property of the unit
/// system, the failing rows and their status texts, and the texts of the
/// plausibility warnings the given values call for. `missing`: the flags of
/// the missing values of the three given arrays, each None for none.
py::tuple Compute(std::string_view units, std::string_view model, std::string_view saturation,
                  std::string_view first, std::string_view second, bool altitude, const InputArray& firstValues,
                  const InputArray& pressure, const InputArray& secondValues,
                  const std::tuple<std::optional<MissingArray>, std::optional<MissingArray>,
                                   std::optional<MissingArray>>& missing,
                  unsigned threads)
{
    GivenColumns given;
    given.units = UnitsFromName(units);
    const std::optional<Model> modelValue = ModelFromName(model);
    if (!modelValue)
        throw py::value_error("model must be 'calculator' or 'ashrae2017', not '" +
                              std::string(model) + "'");
    given.model = *modelValue;
    try {
        given.saturation = SaturationOf(saturation, given.model);
    } catch (const std::invalid_argument& error) {
        throw py::value_error(error.what());
    }
    for (const auto& [name, property] : {std::pair{first, &given.first}, std::pair{second, &given.second}}) {
        const std::optional<Property> named = PropertyFromColumn(name);
        if (!named || !IsGivable(*named))
            throw py::value_error("a state is not given by '" + std::string(name) + "'");
        *property = *named;
    }
    given.altitude = altitude;
    if (firstValues.ndim() != 1)
        throw py::value_error("the first given values must be one-dimensional");
    given.rows = static_cast<std::size_t>(firstValues.shape(0));
    given.firstValues = RowsOf(firstValues, given.rows, "first");
    given.pressure = RowsOf(pressure, given.rows, "pressure");
    given.secondValues = RowsOf(secondValues, given.rows, "second");
    given.firstMissing = MissingOf(std::get<0>(missing), given.rows, "the first's missing values");
    given.pressureMissing = MissingOf(std::get<1>(missing), given.rows, "pressure's missing values");
    given.secondMissing = MissingOf(std::get<2>(missing), given.rows, "the second's missing values");

    py::list columns;
    PropertyColumns out{};
    for (std::size_t i = 0; i < kPropertyCount; ++i) {
        if (!HasProperty(kAllProperties[i], given.units))
            continue;
        py::array_t<double> column(static_cast<py::ssize_t>(given.rows));
        out[i] = column.mutable_data();
        columns.append(column);
    }

    std::optional<ComputedRows> computed;
    {
        const py::gil_scoped_release released;
        computed = ComputeColumns(given, out, threads, &NoSignalRaised);
    }
    if (!computed)
        throw py::error_already_set(); // KeyboardInterrupt
    const auto [rows, texts] = FailingRows(computed->statuses);
    return py::make_tuple(columns, rows, texts, WarningTexts(computed->plausibility));
}

} // namespace
} // namespace humitrax::python

PYBIND11_MODULE(_humitrax, module)
{
    using namespace humitrax::python;
    module.doc() = "The compiled part of humitrax; use the package's functions instead.";
    module.attr("__version__") = HUMITRAX_VERSION_TEXT;
    module.attr("MODELS") = py::make_tuple(std::string(ModelName(humitrax::Model::Calculator)),
                                           std::string(ModelName(humitrax::Model::Ashrae2017)));
    module.def("columns", &Columns, py::arg("units"),
               "The property columns of a unit system ('si' or 'ip'), in order.");
    module.def("compute", &Compute, py::arg("units"), py::arg("model"), py::arg("saturation"), py::arg("first"),
               py::arg("second"), py::arg("altitude"), py::arg("first_values"), py::arg("pressure"),
               py::arg("second_values"),
               py::arg("missing"), py::arg("threads"),
               "The states given by two properties (first, second: their column names) at a pressure or "
               "altitude, of one-dimensional float64 arrays of equal length: (columns, rows, "
               "texts, warnings), one array per property of columns(units), then the indices of the "
               "rows that are not whole and their status texts, and the plausibility warnings' texts, "
               "one per column. missing: for each of the three "
               "arrays, None or a bool array as long, true for a missing value. threads 0: one "
               "per core.");
    DefineProcess(module);
    DefineComfort(module);
    DefineNames(module);
    DefineScalar(module);
    py::module_ engine = module.def_submodule("engine", "The property engine's functions.");
    DefineEngine(engine);
}
