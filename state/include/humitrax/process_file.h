// File: process_file.h
// The JSON a process writes (`humitrax-cli process --format json`, one
// object) read back: its kind, units, relations and pressure, and each
// part's state and dry-air flow. What makes a process's air enter the next
// one (`FILE.json:PART`) and a chart draw it. Toolkit-free; the parsing is
// private.
#pragma once

#include "humitrax/process_report.h"
#include "humitrax/state.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace humitrax {

/// One part of a process as its file gives it: its dry bulb and humidity
/// ratio (both needed: finite, the ratio not negative), the further
/// properties the file holds, and its dry-air flow.
struct ProcessFilePart {
    std::string key; ///< "entering", "mixed" ...
    double dryBulb = 0.0;
    double humidityRatio = 0.0;
    std::optional<double> relativeHumidity; ///< percent
    std::optional<double> wetBulb;
    std::optional<double> dewPoint;
    std::optional<double> enthalpy;
    std::optional<double> specificVolume;
    std::optional<double> dryAirFlow; ///< kg/s or lb/min
};

/// A process as its file gives it.
struct ProcessFile {
    ProcessKind kind = ProcessKind::Mix;
    Units units = Units::SI;
    Model model = Model::Ashrae2017;
    Saturation saturation = Saturation::IceBelowFreezing; ///< "ice" when the file names none
    double pressure = 0.0;                                ///< kPa or psia, above 0
    std::vector<ProcessFilePart> parts;                   ///< in ProcessParts' order, leaving last
    std::optional<double> apparatusDewPoint;              ///< a coil's, when its loads give it
};

/// Reads the JSON text of a process. Nothing when it is no process's, with
/// the reason in `message`: "not JSON: ... at byte N", "not a process file:
/// it holds only null, ...", "not the JSON of humitrax-cli process --format
/// json: its \"process\" is not mix, heat, cool, coil or humidify" ...
std::optional<ProcessFile> ReadProcessFile(std::string_view json, std::string& message);

/// The part of a process whose key is `key`, or null.
const ProcessFilePart* FindPart(const ProcessFile& file, std::string_view key) noexcept;

} // namespace humitrax
