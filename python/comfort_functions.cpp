// Thermal comfort over NumPy arrays: the predicted mean vote and percentage
// dissatisfied (ISO 7730) of one state of air per row, computed with the
// interpreter's lock released, as humitrax-cli comfort computes them: the
// state's vapour pressure from the state layer, the engine's Pmv, and the
// inputs converted to SI the same way. A row that cannot be computed has no
// values and the command's failure text as its status.
#include "columns.h"
#include "signals.h"

#include "humitrax/comfort.h"
#include "humitrax/constants.h"
#include "humitrax/state.h"

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

namespace py = pybind11;

namespace humitrax::python {
namespace {

using InputArray = py::array_t<double, py::array::c_style>;
using MissingArray = py::array_t<bool, py::array::c_style>;

constexpr double kNoValue = std::numeric_limits<double>::quiet_NaN();
constexpr double kDefaultAirSpeed = 0.1;          // m/s, the command's default in either unit system
constexpr double kMetresPerSecondPerFpm = 0.00508; // a foot a minute
constexpr double kPascalsPerKilopascal = 1000.0;

/// The values of a row, by their place in the arguments.
enum Given : std::size_t { kDryBulb, kPressure, kCondition, kMet, kClo, kAirSpeed, kRadiant, kGivenCount };

/// The values of a row, in the order the command writes them.
constexpr std::array<std::string_view, 8> kValueNames{
    "air_temperature", "mean_radiant_temperature", "air_speed", "vapour_pressure",
    "metabolic_rate",  "clothing",                 "pmv",       "ppd"};

/// A given array and the argument it came from; values nullptr for air_speed
/// and radiant when they are not given.
struct GivenArray {
    std::string argument;
    const double* values = nullptr;
    const bool* missing = nullptr;
};

struct Setup {
    Units units = Units::SI;
    Model model = Model::Calculator;
    Condition condition = Condition::RelativeHumidity;
    bool altitude = false;
    std::array<GivenArray, kGivenCount> given;
};

/// The six-significant-digit number of the command's messages ("0.25", not
/// "-0").
std::string ReadableNumber(double value)
{
    constexpr int kDigits = 6;
    std::array<char, 32> buffer{};
    const auto [ptr, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                         std::chars_format::general, kDigits);
    (void)ec; // 32 characters hold six digits of every double
    std::string text(buffer.data(), ptr);
    return text == "-0" ? "0" : text;
}

double Celsius(double value, Units units) { return units == Units::SI ? value : (value - 32.0) / 1.8; }

struct RowValues {
    std::array<double, kValueNames.size()> values{};
    bool applicable = false;
};

/// One row, as humitrax-cli comfort computes it; nothing, with the reason in
/// `status`, when it cannot.
std::optional<RowValues> ComputeRow(const Setup& setup, std::size_t row, std::string& status)
{
    status.clear();
    std::array<double, kGivenCount> at{};
    for (std::size_t i = 0; i < kGivenCount; ++i) {
        const GivenArray& array = setup.given[i];
        if (array.values == nullptr)
            continue;
        const bool missing = array.missing != nullptr && array.missing[row];
        at[i] = array.values[row];
        if (missing || !std::isfinite(at[i])) {
            status.append(status.empty() ? "" : "; ").append(array.argument).append(": ");
            status.append(missing ? "missing" : std::isnan(at[i]) ? "not a number" : "not a finite number");
        }
    }
    if (!status.empty())
        return std::nullopt;
    const bool si = setup.units == Units::SI;
    Cell pressure;
    if (setup.altitude) {
        pressure = PressureFromAltitude(setup.units, at[kPressure], setup.model);
        if (!pressure.present) {
            status = "pressure: " + std::string(pressure.reason);
            return std::nullopt;
        }
    } else {
        pressure.value = at[kPressure];
    }
    const StateResult state =
        ComputeState({setup.units, at[kDryBulb], pressure.value, setup.condition, at[kCondition], setup.model});
    if (!state.refusal.empty()) {
        status = "the air cannot exist: " + std::string(PropertyColumn(state.refused)) + " " +
                 std::string(state.refusal);
        return std::nullopt;
    }
    const Cell& vapour = state[Property::VapourPressure];
    if (!vapour.present) {
        status = "vapour_pressure: " + std::string(vapour.reason);
        return std::nullopt;
    }

    comfort::ComfortInput input{};
    input.airTemperature = Celsius(at[kDryBulb], setup.units);
    input.meanRadiantTemperature =
        Celsius(setup.given[kRadiant].values != nullptr ? at[kRadiant] : at[kDryBulb], setup.units);
    input.airSpeed = setup.given[kAirSpeed].values == nullptr ? kDefaultAirSpeed
                     : si                                     ? at[kAirSpeed]
                                                              : at[kAirSpeed] * kMetresPerSecondPerFpm;
    input.vapourPressure = vapour.value * (si ? kPascalsPerKilopascal : kPascalsPerPsi);
    input.metabolicRate = at[kMet];
    input.clothing = at[kClo];
    if (const std::optional<comfort::InputProblem> problem = comfort::InputRefusal(input)) {
        status = std::string(problem->rule) + ", not " + ReadableNumber(input.*(problem->input));
        return std::nullopt;
    }
    comfort::PmvPpd result{};
    try {
        result = comfort::Pmv(input);
    } catch (const PropertyFailure& failure) {
        status = "PMV: " + std::string(CausePhrase(failure.cause()));
        return std::nullopt;
    }
    return RowValues{{input.airTemperature, input.meanRadiantTemperature, input.airSpeed, input.vapourPressure,
                      input.metabolicRate, input.clothing, result.pmv, result.ppd},
                     comfort::InApplicableRange(input)};
}

/// (names, columns, applicable, rows, texts): the value names, one float64
/// array per name, the bool array of the in-range flags, the rows with a
/// status and their status texts.
py::tuple Comfort(std::string_view unitsName, std::string_view modelName, std::string_view conditionName,
                  bool altitude,
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
    const std::optional<Condition> condition = ConditionFromColumn(conditionName);
    if (!condition)
        throw py::value_error("no condition '" + std::string(conditionName) + "'");
    setup.condition = *condition;
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
    std::array<double*, kValueNames.size()> out{};
    for (std::size_t i = 0; i < kValueNames.size(); ++i) {
        names.append(py::str(std::string(kValueNames[i])));
        py::array_t<double> column(static_cast<py::ssize_t>(rows));
        out[i] = column.mutable_data();
        columns.append(column);
    }
    py::array_t<bool> applicable(static_cast<py::ssize_t>(rows));
    bool* applicableOut = applicable.mutable_data();

    const Blocks blocks = SplitRows(rows, threads);
    std::vector<std::vector<std::pair<std::size_t, std::string>>> parts(blocks.count);
    const auto work = [&](std::size_t block, std::size_t begin, std::size_t end) {
        std::string status;
        for (std::size_t row = begin; row < end; ++row) {
            const std::optional<RowValues> values = ComputeRow(setup, row, status);
            for (std::size_t i = 0; i < out.size(); ++i)
                out[i][row] = values ? values->values[i] : kNoValue;
            applicableOut[row] = values && values->applicable;
            if (!status.empty())
                parts[block].emplace_back(row, status);
        }
    };
    bool finished = false;
    {
        const py::gil_scoped_release released;
        finished = ForEachBlock(blocks, work, &NoSignalRaised);
    }
    if (!finished)
        throw py::error_already_set(); // KeyboardInterrupt
    std::vector<std::pair<std::size_t, std::string>> statuses;
    for (auto& part : parts)
        statuses.insert(statuses.end(), std::make_move_iterator(part.begin()), std::make_move_iterator(part.end()));

    py::array_t<std::int64_t> failing(static_cast<py::ssize_t>(statuses.size()));
    std::int64_t* index = failing.mutable_data();
    py::list texts(statuses.size());
    for (std::size_t i = 0; i < statuses.size(); ++i) {
        index[i] = static_cast<std::int64_t>(statuses[i].first);
        texts[i] = py::str(statuses[i].second);
    }
    return py::make_tuple(names, columns, applicable, failing, texts);
}

} // namespace

void DefineComfort(py::module_& module)
{
    module.def("comfort", &Comfort, py::arg("units"), py::arg("model"), py::arg("condition"), py::arg("altitude"),
               py::arg("arrays"), py::arg("rows"), py::arg("threads"),
               "PMV and PPD per row: arrays as (argument, float64 array of rows, None or a bool array true "
               "for a missing value) for the dry bulb, pressure (or altitude), condition, met, clo, air "
               "speed and radiant temperature, the array None for the last two when not given. threads "
               "0: one per core. Returns (names, columns, in_applicable_range, rows, texts).");
}

} // namespace humitrax::python
