#include "process_json.h"

#include "humitrax/process_report.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>
#include <QString>

#include <algorithm>
#include <cmath>
#include <map>
#include <string_view>

namespace humitrax::chart {
namespace {

// States closer than this in dry bulb and in humidity ratio are one state.
constexpr double kSameState = 1e-9;

constexpr std::string_view kNotProcess = "not the JSON of humitrax-cli process --format json: ";


QString Key(std::string_view key) { return QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size())); }

std::optional<double> NumberIn(const QJsonObject& object, std::string_view key)
{
    const QJsonValue value = object.value(Key(key));
    if (!value.isDouble() || !std::isfinite(value.toDouble()))
        return std::nullopt;
    return value.toDouble();
}

std::variant<ProcessState, std::string> StateIn(const QJsonObject& root, std::string_view role)
{
    const std::string name(role);
    const QJsonValue value = root.value(Key(role));
    if (!value.isObject())
        return std::string(kNotProcess) + "it has no \"" + name + "\" state";
    const QJsonObject state = value.toObject();
    using enum humitrax::Property;
    const std::optional<double> dryBulb = NumberIn(state, PropertyColumn(DryBulb));
    const std::optional<double> ratio = NumberIn(state, PropertyColumn(HumidityRatio));
    if (!dryBulb || !ratio)
        return "its \"" + name + "\" state has no dry_bulb or humidity_ratio number";
    if (*ratio < 0.0)
        return "its \"" + name + "\" state has a negative humidity ratio";
    ProcessState result;
    result.role = name;
    result.properties.at = {*dryBulb, *ratio};
    result.properties.relativeHumidity = NumberIn(state, PropertyColumn(RelativeHumidity));
    result.properties.wetBulb = NumberIn(state, PropertyColumn(WetBulb));
    result.properties.dewPoint = NumberIn(state, PropertyColumn(DewPoint));
    result.properties.enthalpy = NumberIn(state, PropertyColumn(Enthalpy));
    result.properties.volume = NumberIn(state, PropertyColumn(SpecificVolume));
    return result;
}

/// What a bare JSON value is: "null", "number" ...
std::string KindOf(const QJsonValue& value)
{
    switch (value.type()) {
    case QJsonValue::Null: return "null";
    case QJsonValue::Bool: return value.toBool() ? "true" : "false";
    case QJsonValue::Double: return "a number";
    case QJsonValue::String: return "a string";
    default: return "a value";
    }
}

} // namespace

std::variant<ChartProcess, std::string> ReadProcessJson(const QByteArray& json, const ChartSettings& settings)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError) {
        // Qt reads only an object or an array at the top; a bare value such
        // as null is still JSON, just not a process.
        QJsonParseError inArray{};
        const QJsonDocument wrapped = QJsonDocument::fromJson("[" + json + "]", &inArray);
        if (inArray.error == QJsonParseError::NoError && wrapped.array().size() == 1)
            return "not a process file: it holds only " + KindOf(wrapped.array().at(0)) +
                   ", where humitrax-cli process --format json writes one JSON object";
        return "not JSON: " + error.errorString().toStdString() + " at byte " + std::to_string(error.offset);
    }
    if (!document.isObject())
        return std::string(kNotProcess) + "it is not an object";
    const QJsonObject root = document.object();
    ChartProcess process;
    process.kind = root.value(QStringLiteral("process")).toString().toStdString();
    const std::optional<ProcessKind> kind = ProcessKindFromName(process.kind);
    if (!kind)
        return std::string(kNotProcess) + "its \"process\" is not mix, heat, cool, coil or humidify";
    const std::span<const ProcessPartName> roles = ProcessParts(*kind);
    const QString units = root.value(QStringLiteral("units")).toString();
    if (units != QStringLiteral("si") && units != QStringLiteral("ip"))
        return std::string(kNotProcess) + "its \"units\" are not si or ip";
    if ((units == QStringLiteral("si")) != settings.si()) {
        return settings.si() ? "its states are in inch-pound units and the chart in SI (--units ip draws them)"
                           : "its states are in SI units and the chart in inch-pound (--units si draws them)";
    }
    const std::optional<Model> model = ModelFromName(root.value(QStringLiteral("model")).toString().toStdString());
    if (!model)
        return std::string(kNotProcess) + "its \"model\" is not calculator or ashrae2017";
    process.model = *model;
    const std::optional<double> pressure = NumberIn(root, "pressure");
    if (!pressure || !(*pressure > 0.0))
        return std::string(kNotProcess) + "it has no pressure above 0";
    process.pressure = *pressure;
    for (std::size_t i = 0; i < roles.size(); ++i) {
        auto state = StateIn(root, roles[i].key);
        if (auto* reason = std::get_if<std::string>(&state))
            return std::move(*reason);
        (i + 1 < roles.size() ? process.entering.emplace_back() : process.leaving) =
            std::move(std::get<ProcessState>(state));
    }
    if (*kind == ProcessKind::Coil)
        process.apparatusDewPoint = NumberIn(root.value(Key(kLoadsKey)).toObject(), kApparatusDewPointKey);
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
        basis.pressure = process.pressure;
        const std::string name = "apparatus dew point" + suffix;
        auto described = DescribeState({*process.apparatusDewPoint, Condition::RelativeHumidity, 100.0}, basis);
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
