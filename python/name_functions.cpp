// The names of a table's columns for humitrax.frame and the weather readers:
// the state layer's header rules (humitrax/column_names.h), those of
// humitrax-cli batch, and their unit conversions applied to whole arrays by
// the same arithmetic, so that the same text gives the same number bit for
// bit.
#include "humitrax/column_names.h"

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

namespace py = pybind11;

namespace humitrax::python {
namespace {

using InputArray = py::array_t<double, py::array::c_style | py::array::forcecast>;

Units UnitSystem(std::string_view name)
{
    if (name == "si")
        return Units::SI;
    if (name == "ip")
        return Units::InchPound;
    throw py::value_error("units must be 'si' or 'ip', not '" + std::string(name) + "'");
}

std::optional<std::string> UnitOf(bool hasUnit, const std::string& unit)
{
    return hasUnit ? std::optional(unit) : std::nullopt;
}

/// A role as Python gives it: (name, loose name, the column of its units).
using RoleTuple = std::tuple<std::string, std::string, std::string>;

/// (role index, strict, unit or None), or None.
std::optional<std::tuple<std::size_t, bool, std::optional<std::string>>>
ReadRoleOf(std::string_view header, const std::vector<RoleTuple>& given)
{
    std::vector<ColumnRole> roles;
    roles.reserve(given.size());
    for (const auto& [name, looseName, unitColumn] : given)
        roles.push_back({name, looseName, unitColumn});
    const std::optional<RoleReading> reading = ReadRole(ReadColumnName(header), roles);
    if (!reading)
        return std::nullopt;
    return std::tuple(reading->role, reading->strict, UnitOf(reading->hasUnit, reading->unit));
}

/// The values converted, a new array of the same shape.
py::array_t<double> Apply(const UnitConversion& conversion, const InputArray& values)
{
    py::array_t<double> out(std::vector<py::ssize_t>(values.shape(), values.shape() + values.ndim()));
    const double* in = values.data();
    double* write = out.mutable_data();
    const auto count = static_cast<std::size_t>(values.size());
    for (std::size_t i = 0; i < count; ++i)
        write[i] = conversion.Apply(in[i]);
    return out;
}

} // namespace

void DefineNames(py::module_& module)
{
    py::class_<ColumnName>(module, "ColumnName", "A header name as the header rules read it.")
        .def_readonly("name", &ColumnName::name, "Lower case, blanks and underscores between words as one '_'.")
        .def_property_readonly(
            "unit", [](const ColumnName& column) { return UnitOf(column.hasUnit, column.unit); },
            "The unit in brackets at the end, trimmed; None when none.")
        .def_readonly("before_unclosed_bracket", &ColumnName::beforeUnclosedBracket,
                      "The name before a '[' never closed; None when none.")
        .def_readonly("loose_name", &ColumnName::looseName, "The name with hyphens between words as blanks.")
        .def_readonly("parenthesised", &ColumnName::parenthesised,
                      "(name, text) of text in parentheses at the end, hyphens read as blanks; None when none.");
    module.def("read_column_name", &ReadColumnName, py::arg("header"), "A header name read by the header rules.");
    module.def("read_role", &ReadRoleOf, py::arg("header"), py::arg("roles"),
               "The role a header name gives among roles as (name, loose name, column of its units): "
               "(index, strict, unit or None), or None. Strictly first, then by a unit of the role in "
               "parentheses, then by hyphens.");

    py::class_<UnitConversion>(module, "UnitConversion",
                               "A change of unit, ((x + before) * factor / divisor) + after.")
        .def_readonly("identity", &UnitConversion::identity, "True when the values are taken as they are.")
        .def("apply", &Apply, py::arg("values"), "The values converted, as a new float64 array.");
    module.def(
        "column_unit",
        [](std::string_view column, std::string_view unit, std::string_view units) {
            return ColumnUnit(column, unit, UnitSystem(units));
        },
        py::arg("column"), py::arg("unit"), py::arg("units"),
        "The conversion of unit to the unit system's own for a column ('dry_bulb', 'pressure', "
        "'altitude' ...); None for a unit that does not fit it.");
    module.def(
        "column_units", [](std::string_view column) { return std::string(ColumnUnits(column)); },
        py::arg("column"), "The units a column may be given in, for a message: 'm or ft'.");
}

} // namespace humitrax::python
