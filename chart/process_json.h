// File: process_json.h
// Air-conditioning processes on the chart: the states of a process read back
// from the JSON that `humitrax-cli process --format json` writes, and a chain
// of processes joined into the chart's marked states and the arrows between
// them.
#pragma once

#include "chart_layout.h"

#include <QByteArray>

#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace humitrax::chart {

/// A state of a process, named by its role in it.
struct ProcessState {
    std::string role; ///< as the JSON names it: "entering", "leaving", "first", "second", "mixed"
    StateProperties properties; ///< `at` its dry bulb and humidity ratio
};

/// One process as its JSON gives it.
struct ChartProcess {
    std::string kind;                    ///< "mix", "heat", "cool", "coil" or "humidify"
    Model model = Model::Ashrae2017;
    Saturation saturation = Saturation::IceBelowFreezing;
    double pressure = 0.0;               ///< of every state, kPa or psia
    std::vector<ProcessState> entering;  ///< both streams of a mix
    ProcessState leaving;
    std::optional<double> apparatusDewPoint; ///< a coil's, when the JSON gives it
};

/// Reads a process from the JSON text of `humitrax-cli process --format
/// json`: its kind, units, model and pressure, and each state's dry bulb and
/// humidity ratio (both needed, finite, the ratio not negative) with the
/// further properties it has. The states must be in the chart's units. The
/// text says what is wrong otherwise.
std::variant<ChartProcess, std::string> ReadProcessJson(const QByteArray& json, const ChartSettings& settings);

/// Adds the processes, in order, to `content`'s marked states and process
/// lines: an arrow from each entering state (both streams of a mix) to the
/// leaving one, and a dashed line on from a coil's leaving state to its
/// apparatus dew point, marked on saturation. States that coincide (dry bulb
/// and humidity ratio within 1e-9) are marked once, titled with each role:
/// the role alone for a single process, the role and the process's kind for
/// several ("leaving (coil) = entering (heat)"). A state outside the drawn
/// range is left out with its lines; so is an apparatus dew point the engine
/// cannot place. Returns a note for each state left out.
std::vector<std::string> AddProcesses(ChartContent& content, const std::vector<ChartProcess>& processes);

} // namespace humitrax::chart
