// Thermal comfort over NumPy arrays: the predicted mean vote and percentage
// dissatisfied (ISO 7730) of one state of air per row, computed with the
// interpreter's lock released, as humitrax-cli comfort computes them: the
// state's vapour pressure from the state layer, the engine's Pmv, and the
// inputs converted to SI the same way. A row that cannot be computed has no
// values and the command's failure text as its status. The state's given
// values are tallied for the plausibility warnings as humitrax.state's are.
#include "arrays.h"
#include "columns.h"
#include "signals.h"

#include "humitrax/air_comfort.h"
#include "humitrax/state.h"

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

namespace py = pybind11;

namespace humitrax::python {
namespace {


/// The values of a row, by their place in the arguments.
enum Given : std::size_t { kFirst, kPressure, kSecond, kMet, kClo, kAirSpeed, kRadiant, kGivenCount };

/// A given array and the argument it came from; values nullptr for air_speed
/// and radiant when they are not given.
struct GivenArray {
    std::string argument;
    const double* values = nullptr;
    const bool* missing = nullptr;
};

struct Setup {
    Units units = Units::SI;
    Model model = Model::Ashrae2017;
    Saturation saturation = Saturation::IceBelowFreezing;
    std::array<Property, 2> state{Property::DryBulb, Property::RelativeHumidity}; ///< its two given properties
    bool altitude = false;
    std::array<GivenArray, kGivenCount> given;
};

/// One row, as humitrax-cli comfort computes it; its failure names a given
/// value that is missing or not finite first. The state's given values that
/// are not missing are tallied in `plausibility` (the pressure only where one
/// is given, not an altitude).
AirComfort ComputeRow(const Setup& setup, std::size_t row, Plausibility& plausibility)
{
    AirComfort out;
    std::array<double, kGivenCount> at{};
    const std::array<std::optional<Property>, kGivenCount> tallied{
        setup.state[0], setup.altitude ? std::nullopt : std::optional(Property::Pressure), setup.state[1]};
    for (std::size_t i = 0; i < kGivenCount; ++i) {
        const GivenArray& array = setup.given[i];
        if (array.values == nullptr)
            continue;
        const bool missing = array.missing != nullptr && array.missing[row];
        at[i] = array.values[row];
        if (tallied[i] && !missing)
            plausibility.Add(*tallied[i], at[i]);
        if (missing || !std::isfinite(at[i])) {
            out.failure.append(out.failure.empty() ? "" : "; ").append(array.argument).append(": ");
            out.failure.append(missing ? "missing" : std::isnan(at[i]) ? "not a number" : "not a finite number");
        }
    }
    if (!out.failure.empty())
        return out;
    Cell pressure;
    if (setup.altitude) {
        pressure = PressureFromAltitude(setup.units, at[kPressure], setup.model);
        if (!pressure.present) {
            out.failure = "pressure: " + std::string(pressure.reason);
            return out;
        }
    } else {
        pressure.value = at[kPressure];
    }
    const auto optional = [&](Given given) {
        return setup.given[given].values != nullptr ? std::optional<double>(at[given]) : std::nullopt;
    };
    return ComfortOfAir({setup.units, setup.model, setup.saturation, pressure.value,
                         {setup.state[0], at[kFirst], setup.state[1], at[kSecond]}},
                        {at[kMet], at[kClo], optional(kAirSpeed), optional(kRadiant)});
}

/// (names, columns, applicable, rows, texts, warnings): the value names, one
/// float64 array per name, the bool array of the in-range flags, the rows
/// with a status and their status texts, and the texts of the plausibility
/// warnings the state's given values call for.
py::tuple Comfort(std::string_view unitsName, std::string_view modelName, std::string_view saturationName,
                  std::string_view first, std::string_view second, bool altitude,
                  const std::vector<std::tuple<std::string, std::optional<InputArray>, std::optional<MissingArray>>>& arrays,
                  std::size_t rows, unsigned threads)
{
    Setup setup;
    if (unitsName != "si" && unitsName != "ip")
        throw py::value_error("units must be 'si' or 'ip', not '" + std::string(unitsName) + "'");
    setup.units = unitsName == "si" ? Units::SI : Units::InchPound;
    const std::optional<Model> model = ModelFromName(modelName);
    if (!model)
        throw py::value_error("no model '" + std::string(modelName) + "'");
    setup.model = *model;
    try {
        setup.saturation = SaturationOf(saturationName, setup.model);
    } catch (const std::invalid_argument& error) {
        throw py::value_error(error.what());
    }
    for (const auto& [name, property] : {std::pair{first, &setup.state[0]}, std::pair{second, &setup.state[1]}}) {
        const std::optional<Property> named = PropertyFromColumn(name);
        if (!named || !IsGivable(*named))
            throw py::value_error("a state is not given by '" + std::string(name) + "'");
        *property = *named;
    }
    setup.altitude = altitude;
    if (arrays.size() != kGivenCount)
        throw py::value_error("comfort takes " + std::to_string(kGivenCount) + " arrays");
    const auto rowsOf = [rows](const auto& array, const std::string& name) {
        if (array.ndim() != 1 || static_cast<std::size_t>(array.shape(0)) != rows)
            throw py::value_error(name + " must be one-dimensional, of " + std::to_string(rows) + " rows");
        return array.data();
    };
    for (std::size_t i = 0; i < kGivenCount; ++i) {
        const auto& [argument, array, missing] = arrays[i];
        setup.given[i].argument = argument;
        if (!array) {
            if (i < kAirSpeed)
                throw py::value_error(argument + " is needed");
            continue; // the command's default
        }
        setup.given[i].values = rowsOf(*array, argument);
        setup.given[i].missing = missing ? rowsOf(*missing, argument + "'s missing values") : nullptr;
    }

    py::list names;
    py::list columns;
    std::array<double*, kComfortValues.size()> out{};
    for (std::size_t i = 0; i < kComfortValues.size(); ++i) {
        names.append(py::str(std::string(kComfortValues[i].key)));
        py::array_t<double> column(static_cast<py::ssize_t>(rows));
        out[i] = column.mutable_data();
        columns.append(column);
    }
    py::array_t<bool> applicable(static_cast<py::ssize_t>(rows));
    bool* applicableOut = applicable.mutable_data();

    const Blocks blocks = SplitRows(rows, threads);
    std::vector<std::vector<RowStatus>> parts(blocks.count);
    std::vector<Plausibility> tallies(blocks.count, Plausibility(setup.units));
    const auto work = [&](std::size_t block, std::size_t begin, std::size_t end) {
        for (std::size_t row = begin; row < end; ++row) {
            AirComfort comfort = ComputeRow(setup, row, tallies[block]);
            const bool whole = comfort.failure.empty();
            for (std::size_t i = 0; i < out.size(); ++i)
                out[i][row] = whole ? comfort.values[i] : kNoValue;
            applicableOut[row] = whole && comfort.applicable;
            if (!whole)
                parts[block].push_back({row, std::move(comfort.failure)});
        }
    };
    bool finished = false;
    {
        const py::gil_scoped_release released;
        finished = ForEachBlock(blocks, work, &NoSignalRaised);
    }
    if (!finished)
        throw py::error_already_set(); // KeyboardInterrupt
    const std::vector<RowStatus> statuses = Joined(parts);
    Plausibility plausibility(setup.units);
    for (const Plausibility& tally : tallies)
        plausibility.Merge(tally);

    const auto [failing, texts] = FailingRows(statuses);
    return py::make_tuple(names, columns, applicable, failing, texts, WarningTexts(plausibility));
}

} // namespace

void DefineComfort(py::module_& module)
{
    module.def("comfort", &Comfort, py::arg("units"), py::arg("model"), py::arg("saturation"), py::arg("first"),
               py::arg("second"), py::arg("altitude"), py::arg("arrays"), py::arg("rows"), py::arg("threads"),
               "PMV and PPD per row: arrays as (argument, float64 array of rows, None or a bool array true "
               "for a missing value) for the state's first given property (first: its column name), the "
               "pressure (or altitude), the second, met, clo, air "
               "speed and radiant temperature, the array None for the last two when not given. threads "
               "0: one per core. Returns (names, columns, in_applicable_range, rows, texts, warnings).");
}

} // namespace humitrax::python
