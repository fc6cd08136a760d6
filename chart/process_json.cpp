#include "process_json.h"

#include "humitrax/process_file.h"
#include "humitrax/process_report.h"


#include <algorithm>
#include <cmath>
#include <map>
#include <string_view>

namespace humitrax::chart {
namespace {

// States closer than this in dry bulb and in humidity ratio are one state.
constexpr double kSameState = 1e-9;

ProcessState StateOf(const ProcessFilePart& part)
{
    ProcessState state;
    state.role = part.key;
    state.properties.at = {part.dryBulb, part.humidityRatio};
    state.properties.relativeHumidity = part.relativeHumidity;
    state.properties.wetBulb = part.wetBulb;
    state.properties.dewPoint = part.dewPoint;
    state.properties.enthalpy = part.enthalpy;
    state.properties.volume = part.specificVolume;
    return state;
}

} // namespace

std::variant<ChartProcess, std::string> ReadProcessJson(const QByteArray& json, const ChartSettings& settings)
{
    std::string message;
    const std::optional<ProcessFile> file =
        ReadProcessFile(std::string_view(json.constData(), static_cast<std::size_t>(json.size())), message);
    if (!file)
        return message;
    if (file->units != settings.units) {
        return settings.si() ? "its states are in inch-pound units and the chart in SI (--units ip draws them)"
                             : "its states are in SI units and the chart in inch-pound (--units si draws them)";
    }
    ChartProcess process;
    process.kind = std::string(ProcessKindName(file->kind));
    process.model = file->model;
    process.saturation = file->saturation;
    process.pressure = file->pressure;
    for (std::size_t i = 0; i + 1 < file->parts.size(); ++i)
        process.entering.push_back(StateOf(file->parts[i]));
    process.leaving = StateOf(file->parts.back());
    process.apparatusDewPoint = file->apparatusDewPoint;
    return process;
}

std::vector<std::string> AddProcesses(ChartContent& content, const std::vector<ChartProcess>& processes)
{
    std::vector<std::string> notes;
    // A kind drawn more than once is told apart by its count: "heat 2".
    std::map<std::string, int> kinds;
    for (const ChartProcess& process : processes)
        ++kinds[process.kind];
    std::map<std::string, int> seen;

    const std::size_t first = content.marked.size();
    std::vector<std::vector<std::string>> names; // of each marked state from `first` on
    // The marked state a process state is drawn as, or nothing when it lies
    // outside the drawn range.
    const auto mark = [&](const StateProperties& properties, const std::string& name) -> std::optional<std::size_t> {
        if (!InRange(properties.at, content.settings)) {
            notes.push_back("'" + name + "' lies outside the drawn range and is left out");
            return std::nullopt;
        }
        for (std::size_t i = first; i < content.marked.size(); ++i) {
            const DataPoint& at = content.marked[i].properties.at;
            if (std::fabs(at.t - properties.at.t) <= kSameState && std::fabs(at.w - properties.at.w) <= kSameState) {
                std::vector<std::string>& those = names[i - first];
                if (std::find(those.begin(), those.end(), name) == those.end())
                    those.push_back(name);
                return i;
            }
        }
        content.marked.push_back({name, properties});
        names.push_back({name});
        return content.marked.size() - 1;
    };

    for (const ChartProcess& process : processes) {
        std::string suffix;
        if (processes.size() > 1) {
            suffix = " (" + process.kind;
            const int count = ++seen[process.kind];
            if (kinds[process.kind] > 1)
                suffix += " " + std::to_string(count);
            suffix += ")";
        }
        std::vector<std::optional<std::size_t>> entering;
        for (const ProcessState& state : process.entering)
            entering.push_back(mark(state.properties, state.role + suffix));
        const std::optional<std::size_t> leaving = mark(process.leaving.properties, process.leaving.role + suffix);
        for (const std::optional<std::size_t>& from : entering) {
            if (from && leaving && *from != *leaving)
                content.processLines.push_back({*from, *leaving, false});
        }
        if (!process.apparatusDewPoint)
            continue;
        ChartSettings basis = content.settings;
        basis.model = process.model;
        basis.saturation = process.saturation;
        basis.pressure = process.pressure;
        const std::string name = "apparatus dew point" + suffix;
        auto described = DescribeState(DryBulbState(*process.apparatusDewPoint, Condition::RelativeHumidity, 100.0), basis);
        if (const auto* reason = std::get_if<std::string>(&described)) {
            notes.push_back("'" + name + "' cannot be placed and is left out: " + *reason);
            continue;
        }
        const std::optional<std::size_t> adp = mark(std::get<StateProperties>(described), name);
        if (adp && leaving && *adp != *leaving)
            content.processLines.push_back({*leaving, *adp, true});
    }
    for (std::size_t i = 0; i < names.size(); ++i) {
        std::string title;
        for (const std::string& name : names[i])
            title += (title.empty() ? "" : " = ") + name;
        content.marked[first + i].name = title;
        content.marked[first + i].title = title;
    }
    return notes;
}

} // namespace humitrax::chart
