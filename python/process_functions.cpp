// The air-conditioning processes over NumPy arrays: one process per row of
// equal-length float64 arrays, computed with the interpreter's lock released.
// Each row's values are named as humitrax-cli process names them in its csv,
// "part.quantity" ("leaving.dry_bulb", "process.heat"); a refused row has no
// values and its refusal as its status, the words the command writes. The
// given states' values are tallied for the plausibility warnings as
// humitrax.state's are.
#include "arrays.h"
#include "columns.h"
#include "signals.h"

#include "humitrax/plausibility.h"
#include "humitrax/process.h"
#include "humitrax/process_report.h"

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <limits>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <tuple>
#include <string_view>
#include <vector>

namespace py = pybind11;

namespace humitrax::python {
namespace {


using Kind = ProcessKind;

Kind KindFromName(std::string_view name)
{
    if (const std::optional<Kind> kind = ProcessKindFromName(name))
        return *kind;
    throw py::value_error("no process '" + std::string(name) + "'");
}

/// A given array and the argument it came from.
struct GivenArray {
    std::string argument;
    const double* values = nullptr;
    const bool* missing = nullptr; ///< nullptr, or true for a row's missing value

    [[nodiscard]] double At(std::size_t row) const
    {
        return missing != nullptr && missing[row] ? kNoValue : values[row];
    }
};

/// The given arrays by key.
struct Given {
    std::map<std::string, GivenArray> arrays;
    std::map<std::string, std::string> choices;

    [[nodiscard]] double At(const std::string& key, std::size_t row) const
    {
        const auto found = arrays.find(key);
        if (found == arrays.end())
            throw std::invalid_argument("no array '" + key + "'");
        return found->second.At(row);
    }
    [[nodiscard]] const std::string& Choice(const std::string& key) const
    {
        const auto found = choices.find(key);
        if (found == choices.end())
            throw std::invalid_argument("no choice '" + key + "'");
        return found->second;
    }
};

/// The two properties a state is given by, under `key` + "given1" and "given2".
std::array<Property, 2> PairOf(const Given& given, const std::string& key)
{
    std::array<Property, 2> pair{};
    for (std::size_t i = 0; i < pair.size(); ++i) {
        const std::string& name = given.Choice(key + "given" + std::to_string(i + 1));
        const std::optional<Property> property = PropertyFromColumn(name);
        if (!property || !IsGivable(*property))
            throw std::invalid_argument("a state is not given by '" + name + "'");
        pair[i] = *property;
    }
    return pair;
}

FlowUnit FlowUnitOf(const Given& given, const std::string& key)
{
    const std::optional<FlowUnit> unit = FlowUnitFromName(given.Choice(key));
    if (!unit)
        throw std::invalid_argument("no flow unit '" + given.Choice(key) + "'");
    return *unit;
}

/// The choices of a process that are the same in every row.
struct Setup {
    Kind kind = Kind::Mix;
    Units units = Units::SI;
    Model model = Model::Ashrae2017;
    Saturation saturation = Saturation::IceBelowFreezing;
    bool altitude = false;
    std::array<Property, 2> entering{};
    FlowUnit flowUnit = FlowUnit::KilogramsPerSecond;
    std::array<Property, 2> second{};                       ///< mix
    FlowUnit secondFlowUnit = FlowUnit::KilogramsPerSecond; ///< mix
    CoilMode coilMode = CoilMode::ApparatusDewPoint;
    std::array<Property, 2> leaving{}; ///< coil by its leaving state
    Humidifier humidifier = Humidifier::Steam;
    HumidifyTarget target = HumidifyTarget::RelativeHumidity;
};

Setup SetupOf(Kind kind, Units units, Model model, bool altitude, const Given& given)
{
    Setup setup;
    setup.kind = kind;
    setup.units = units;
    setup.model = model;
    const auto saturation = given.choices.find("saturation");
    setup.saturation = SaturationOf(saturation == given.choices.end() ? "ice" : saturation->second, model);
    setup.altitude = altitude;
    setup.entering = PairOf(given, "");
    setup.flowUnit = FlowUnitOf(given, "flow_unit");
    if (kind == Kind::Mix) {
        setup.second = PairOf(given, "second_");
        setup.secondFlowUnit = FlowUnitOf(given, "second_flow_unit");
    }
    if (kind == Kind::Coil) {
        setup.coilMode = given.Choice("coil_mode") == "leaving" ? CoilMode::LeavingState : CoilMode::ApparatusDewPoint;
        if (setup.coilMode == CoilMode::LeavingState)
            setup.leaving = PairOf(given, "leaving_");
    }
    if (kind == Kind::Humidify) {
        setup.humidifier = given.Choice("humidifier") == "adiabatic" ? Humidifier::Adiabatic : Humidifier::Steam;
        const std::string& target = given.Choice("target");
        setup.target = target == "humidity_ratio"   ? HumidifyTarget::HumidityRatio
                       : target == "effectiveness" ? HumidifyTarget::Effectiveness
                                                   : HumidifyTarget::RelativeHumidity;
    }
    return setup;
}

/// A given state of a process whose values are tallied for the plausibility
/// warnings: the key prefix of its given values, and their properties.
struct TalliedState {
    std::string key;
    std::array<Property, 2> given;
};

/// The given states of the process: the entering one (with the pressure),
/// and the second stream of a mix or the leaving state of a coil.
std::vector<TalliedState> TalliedStates(const Setup& setup)
{
    std::vector<TalliedState> states{{"", setup.entering}};
    if (setup.kind == Kind::Mix)
        states.push_back({"second_", setup.second});
    if (setup.kind == Kind::Coil && setup.coilMode == CoilMode::LeavingState)
        states.push_back({"leaving_", setup.leaving});
    return states;
}

/// The state given under a key prefix in a row.
AirState StateAt(const Given& given, const std::string& key, const std::array<Property, 2>& pair, std::size_t row)
{
    return {pair[0], given.At(key + "given1", row), pair[1], given.At(key + "given2", row)};
}

/// Tallies a row's given states, each in its own check; a missing value is
/// NaN, which no check counts.
void Tally(const Setup& setup, const Given& given, const std::vector<TalliedState>& states, std::size_t row,
           std::vector<Plausibility>& tallies)
{
    for (std::size_t i = 0; i < states.size(); ++i) {
        const AirState state = StateAt(given, states[i].key, states[i].given, row);
        tallies[i].Add(state.first, state.firstValue);
        if (i == 0 && !setup.altitude)
            tallies[i].Add(Property::Pressure, given.At("pressure", row));
        tallies[i].Add(state.second, state.secondValue);
    }
}

/// The warnings' texts, each naming the argument of its values where that is
/// not the column's own name ("b_dry_bulb: ..." of the second stream).
std::vector<std::string> StateWarnings(const Given& given, const std::vector<TalliedState>& states,
                                       const std::vector<Plausibility>& tallies)
{
    std::vector<std::string> texts;
    for (std::size_t i = 0; i < states.size(); ++i) {
        for (PlausibilityWarning& warning : tallies[i].Warnings()) {
            const std::string key = warning.column == Property::Pressure   ? std::string("pressure")
                                    : warning.column == states[i].given[0] ? states[i].key + "given1"
                                                                           : states[i].key + "given2";
            const std::string_view column = PropertyColumn(warning.column);
            const std::string& argument = given.arrays.at(key).argument;
            if (argument != column && std::string_view(warning.text).starts_with(column))
                warning.text.replace(0, column.size(), argument);
            texts.push_back(std::move(warning.text));
        }
    }
    return texts;
}

/// One row's process; refused or failing before it, `status` says why.
std::optional<ProcessResult> ComputeRow(const Setup& setup, const Given& given, std::size_t row,
                                        std::string& status)
{
    status.clear();
    for (const auto& [key, array] : given.arrays) {
        const double value = array.At(row);
        if (!std::isfinite(value)) {
            status.append(status.empty() ? "" : "; ").append(array.argument).append(": ");
            status.append(array.missing != nullptr && array.missing[row] ? "missing"
                          : std::isnan(value)                            ? "not a number"
                                                                         : "not a finite number");
        }
    }
    if (!status.empty())
        return std::nullopt;
    Cell pressure;
    if (setup.altitude) {
        pressure = PressureFromAltitude(setup.units, given.At("pressure", row), setup.model);
        if (!pressure.present) {
            status.append("pressure: ").append(pressure.reason);
            return std::nullopt;
        }
    } else {
        pressure.value = given.At("pressure", row);
    }
    const ProcessBasis basis{setup.units, setup.model, pressure.value, setup.saturation};
    const AirState entering = StateAt(given, "", setup.entering, row);
    const Flow flow{given.At("flow", row), setup.flowUnit};
    ProcessResult result;
    switch (setup.kind) {
    case Kind::Mix:
        result = Mix({basis, entering, flow,
                      StateAt(given, "second_", setup.second, row),
                      {given.At("second_flow", row), setup.secondFlowUnit}});
        break;
    case Kind::Heat: result = Heat({basis, entering, flow, given.At("to", row)}); break;
    case Kind::Cool: result = Cool({basis, entering, flow, given.At("to", row)}); break;
    case Kind::Coil:
        if (setup.coilMode == CoilMode::LeavingState) {
            result = Coil({basis, entering, flow, CoilMode::LeavingState,
                           StateAt(given, "leaving_", setup.leaving, row)});
        } else {
            result = Coil({basis, entering, flow, CoilMode::ApparatusDewPoint, {}, given.At("adp", row),
                           given.At("bypass", row)});
        }
        break;
    case Kind::Humidify:
        result = Humidify({basis, entering, flow, setup.humidifier,
                           setup.humidifier == Humidifier::Steam ? given.At("steam", row) : 0.0, setup.target,
                           given.At("target", row)});
        break;
    }
    if (result.refused()) {
        status = ProcessRefusal(setup.kind, result, setup.units);
        return std::nullopt;
    }
    status = ProcessFailures(setup.kind, result, setup.units);
    return result;
}

/// (names, columns, rows, texts, warnings): the value names, one array per
/// name, the rows with a status and their status texts, and the texts of the
/// plausibility warnings the given states call for.
py::tuple Process(std::string_view kindName, std::string_view unitsName, std::string_view modelName,
                  bool altitude, const std::map<std::string, std::string>& choices,
                  const std::vector<std::tuple<std::string, std::string, InputArray, std::optional<MissingArray>>>& arrays,
                  std::size_t rows)
{
    const Kind kind = KindFromName(kindName);
    if (unitsName != "si" && unitsName != "ip")
        throw py::value_error("units must be 'si' or 'ip', not '" + std::string(unitsName) + "'");
    const Units units = unitsName == "si" ? Units::SI : Units::InchPound;
    const std::optional<Model> model = ModelFromName(modelName);
    if (!model)
        throw py::value_error("no model '" + std::string(modelName) + "'");
    Given given;
    given.choices = choices;
    const auto rowsOf = [rows](const auto& array, const std::string& name) {
        if (array.ndim() != 1 || static_cast<std::size_t>(array.shape(0)) != rows)
            throw py::value_error(name + " must be one-dimensional, of " + std::to_string(rows) + " rows");
        return array.data();
    };
    for (const auto& [key, argument, array, missing] : arrays) {
        given.arrays[key] = {argument, rowsOf(array, argument),
                             missing ? rowsOf(*missing, argument + "'s missing values") : nullptr};
    }
    Setup setup;
    try {
        setup = SetupOf(kind, units, *model, altitude, given);
    } catch (const std::invalid_argument& error) {
        throw py::value_error(error.what());
    }

    py::list names;
    std::vector<double*> out;
    py::list columns;
    ForEachProcessValue(kind, ProcessResult{}, units,
                        [&](std::string_view part, std::string_view quantity, double, std::string_view) {
        names.append(py::str(std::string(part) + "." + std::string(quantity)));
        py::array_t<double> column(static_cast<py::ssize_t>(rows));
        out.push_back(column.mutable_data());
        columns.append(column);
    });

    // One thread, in blocks: Ctrl-C stops it between two.
    const Blocks blocks = SplitRows(rows, 1);
    std::vector<std::vector<RowStatus>> parts(blocks.count);
    const std::vector<TalliedState> states = TalliedStates(setup);
    std::vector<std::vector<Plausibility>> tallies(blocks.count,
                                                   std::vector<Plausibility>(states.size(), Plausibility(units)));
    const auto work = [&](std::size_t block, std::size_t begin, std::size_t end) {
        std::string status;
        for (std::size_t row = begin; row < end; ++row) {
            Tally(setup, given, states, row, tallies[block]);
            const std::optional<ProcessResult> result = ComputeRow(setup, given, row, status);
            std::size_t j = 0;
            if (result) {
                ForEachProcessValue(kind, *result, units,
                                    [&](std::string_view, std::string_view, double value, std::string_view) {
                                        out[j++][row] = std::isfinite(value) ? value : kNoValue;
                                    });
            } else {
                for (double* column : out)
                    column[row] = kNoValue;
            }
            if (!status.empty())
                parts[block].push_back({row, status});
        }
    };
    bool finished = false;
    std::string failure;
    {
        const py::gil_scoped_release released;
        try {
            finished = ForEachBlock(blocks, work, &NoSignalRaised);
        } catch (const std::invalid_argument& error) {
            failure = error.what();
        }
    }
    if (!failure.empty())
        throw py::value_error(failure);
    if (!finished)
        throw py::error_already_set(); // KeyboardInterrupt
    const std::vector<RowStatus> statuses = Joined(parts);
    std::vector<Plausibility> plausibility(states.size(), Plausibility(units));
    for (const std::vector<Plausibility>& block : tallies) {
        for (std::size_t i = 0; i < states.size(); ++i)
            plausibility[i].Merge(block[i]);
    }

    const auto [failing, texts] = FailingRows(statuses);
    return py::make_tuple(names, columns, failing, texts, StateWarnings(given, states, plausibility));
}

/// The value names of a kind of process in a unit system, "part.quantity",
/// made once (under the interpreter's lock).
const std::vector<py::str>& ValueNames(Kind kind, Units units)
{
    static std::array<std::vector<py::str>, kProcessKinds.size() * 2> names;
    std::vector<py::str>& those = names[static_cast<std::size_t>(kind) * 2 + (units == Units::SI ? 0 : 1)];
    if (those.empty()) {
        ForEachProcessValue(kind, ProcessResult{}, units,
                            [&](std::string_view part, std::string_view quantity, double, std::string_view) {
                                those.emplace_back(std::string(part) + "." + std::string(quantity));
                            });
    }
    return those;
}

/// (result, warnings) of one process given by plain numbers, as the array
/// path gives them for scalars: the value names to floats, then "status";
/// None when a value is no plain number (a float, or an int that is no bool
/// and fits a double).
py::object ProcessOne(std::string_view kindName, std::string_view unitsName, std::string_view modelName,
                      bool altitude, const std::map<std::string, std::string>& choices,
                      const std::vector<std::tuple<std::string, std::string, py::handle>>& numbers)
{
    std::vector<double> values(numbers.size());
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        PyObject* object = std::get<2>(numbers[i]).ptr();
        if (PyFloat_Check(object)) {
            values[i] = PyFloat_AS_DOUBLE(object);
        } else if (PyLong_CheckExact(object)) {
            values[i] = PyLong_AsDouble(object);
            if (values[i] == -1.0 && PyErr_Occurred()) {
                PyErr_Clear();
                return py::none();
            }
        } else {
            return py::none();
        }
    }
    const Kind kind = KindFromName(kindName);
    if (unitsName != "si" && unitsName != "ip")
        return py::none();
    const Units units = unitsName == "si" ? Units::SI : Units::InchPound;
    const std::optional<Model> model = ModelFromName(modelName);
    if (!model)
        return py::none();
    Given given;
    given.choices = choices;
    for (std::size_t i = 0; i < numbers.size(); ++i)
        given.arrays[std::get<0>(numbers[i])] = {std::get<1>(numbers[i]), &values[i], nullptr};
    Setup setup;
    try {
        setup = SetupOf(kind, units, *model, altitude, given);
    } catch (const std::invalid_argument&) {
        return py::none(); // the array path says what is wrong
    }
    const std::vector<TalliedState> states = TalliedStates(setup);
    std::vector<Plausibility> tallies(states.size(), Plausibility(units));
    Tally(setup, given, states, 0, tallies);
    std::string status;
    const std::optional<ProcessResult> result = ComputeRow(setup, given, 0, status);
    py::dict out;
    const std::vector<py::str>& names = ValueNames(kind, units);
    std::size_t j = 0;
    ForEachProcessValue(kind, result.value_or(ProcessResult{}), units,
                        [&](std::string_view, std::string_view, double value, std::string_view) {
                            out[names[j++]] = py::float_(result && std::isfinite(value) ? value : kNoValue);
                        });
    out["status"] = py::str(status);
    const std::vector<std::string> warnings = StateWarnings(given, states, tallies);
    return py::make_tuple(out, warnings.empty() ? py::object(py::none()) : py::cast(warnings));
}

} // namespace

void DefineProcess(py::module_& module)
{
    module.def("process_one", &ProcessOne, py::arg("kind"), py::arg("units"), py::arg("model"), py::arg("altitude"),
               py::arg("choices"), py::arg("numbers"),
               "One process given by plain numbers (key, argument, value): (result, warnings) as process "
               "gives them for scalars, or None for any other call.");
    module.def("process", &Process, py::arg("kind"), py::arg("units"), py::arg("model"), py::arg("altitude"),
               py::arg("choices"), py::arg("arrays"), py::arg("rows"),
               "One process per row: kind 'mix', 'heat', 'cool', 'coil' or 'humidify'; choices "
               "(condition, flow units, coil mode, humidifier, target) by key; arrays as (key, "
               "argument, float64 array of rows, None or a bool array true for a missing value). "
               "Returns (names, columns, rows, texts, warnings).");
}

} // namespace humitrax::python
