#include "batch_rows.h"

#include "csv.h"
#include "numbers.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <unordered_map>
#include <unordered_set>

namespace humitrax::cli {
namespace {

constexpr std::array<Property, 9> kProperties = {
    Property::DryBulb,       Property::Pressure, Property::WetBulb,
    Property::DewPoint,      Property::RelativeHumidity, Property::HumidityRatio,
    Property::Enthalpy,      Property::SpecificVolume,   Property::Grains,
};

constexpr std::string_view kStatusColumn = "status";
constexpr std::string_view kPressureColumn = "pressure";
constexpr std::string_view kAltitudeColumn = "altitude";
constexpr std::string_view kConditionList = "wet_bulb, dew_point, relative_humidity, humidity_ratio";

std::string_view Trim(std::string_view text) noexcept
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

std::string Quoted(std::string_view name)
{
    std::string quoted;
    quoted.reserve(name.size() + 2);
    quoted.push_back('\'');
    quoted.append(name);
    quoted.push_back('\'');
    return quoted;
}

void AppendJsonKey(std::string& out, std::string_view name)
{
    AppendJsonString(out, name);
    out.push_back(':');
}

/// The status of one row: failures joined by "; ".
class Status {
public:
    explicit Status(std::string& text) : m_text(text) { m_text.clear(); }

    /// "line N: column what"
    void AddInput(std::size_t line, std::string_view column, std::string_view what)
    {
        Separate();
        std::array<char, 24> digits{};
        const auto [ptr, ec] = std::to_chars(digits.data(), digits.data() + digits.size(), line);
        (void)ec; // 24 characters hold every size_t
        m_text.append("line ").append(digits.data(), ptr).append(": ");
        m_text.append(column);
        if (!column.empty())
            m_text.push_back(' ');
        m_text.append(what);
    }

    /// "column: reason"
    void AddCell(std::string_view column, std::string_view reason)
    {
        Separate();
        m_text.append(column).append(": ").append(reason);
    }

    [[nodiscard]] bool empty() const noexcept { return m_text.empty(); }

private:
    void Separate()
    {
        if (!m_text.empty())
            m_text.append("; ");
    }

    std::string& m_text;
};

/// Reads the number in a column of the record; a missing, empty or unreadable
/// one is noted in the status.
/// Reads the number in a column of the record; a missing, empty or unreadable
/// one is noted in the status. A plain decimal leaves its shortest text in
/// `decimal`, and `shortest` pointing at it.
std::optional<double> ReadNumber(const CsvRecord& record, std::size_t column,
                                 std::string_view name, std::size_t line, Status& status,
                                 PlainDecimal& decimal, std::string_view& shortest)
{
    if (column >= record.fields.size()) {
        status.AddInput(line, name, "is missing");
        return std::nullopt;
    }
    const std::string_view text = Trim(record.fields[column]);
    if (text.empty()) {
        status.AddInput(line, name, "is empty");
        return std::nullopt;
    }
    if (ReadPlainDecimal(text, decimal)) {
        shortest = decimal.shortest;
        return decimal.value;
    }
    const std::optional<double> value = ParseDouble(text);
    if (!value) {
        status.AddInput(line, name, "is not a number");
        return std::nullopt;
    }
    if (!std::isfinite(*value)) {
        status.AddInput(line, name, "is not a finite number");
        return std::nullopt;
    }
    return value;
}

char* WriteCell(char* out, const Cell& cell, std::string_view shortest) noexcept
{
    if (shortest.empty())
        return WriteNumber(out, cell.value);
    std::memcpy(out, shortest.data(), shortest.size());
    return out + shortest.size();
}

char* Copy(char* out, std::string_view text) noexcept
{
    std::memcpy(out, text.data(), text.size());
    return out + text.size();
}

/// Room enough for the cells of a state and its status, in either format.
std::size_t CellsBound(std::string_view status) noexcept
{
    constexpr std::size_t kPerCell = kMaxNumberLength + 24; // the number, its key, a comma
    return kPropertyCount * kPerCell + 16 + kMaxJsonExpansion * status.size() + 4;
}

char* WriteCsvCells(char* out, const StateResult& state, Units units, std::string_view status,
                    const SourceTexts& sources) noexcept
{
    for (Property property : kProperties) {
        if (!HasProperty(property, units))
            continue;
        const Cell& cell = state[property];
        if (cell.present)
            out = WriteCell(out, cell, sources[static_cast<std::size_t>(property)]);
        *out++ = ',';
    }
    out = WriteCsvField(out, status);
    *out++ = '\n';
    return out;
}

char* WriteJsonCells(char* out, const StateResult& state, Units units, std::string_view status,
                     const SourceTexts& sources) noexcept
{
    for (Property property : kProperties) {
        if (!HasProperty(property, units))
            continue;
        *out++ = '"';
        out = Copy(out, PropertyColumn(property));
        out = Copy(out, "\":");
        const Cell& cell = state[property];
        if (cell.present)
            out = WriteCell(out, cell, sources[static_cast<std::size_t>(property)]);
        else
            out = Copy(out, "null");
        *out++ = ',';
    }
    out = Copy(out, "\"status\":");
    if (status.empty())
        return Copy(out, "null");
    return WriteJsonString(out, status);
}

Cell Given(const std::optional<double>& value) noexcept
{
    Cell cell;
    if (value) {
        cell.value = *value;
        cell.present = true;
    }
    return cell;
}

} // namespace

std::optional<BatchLayout> MakeBatchLayout(const std::vector<std::string_view>& header,
                                           Units units, OutputFormat format,
                                           std::string& message)
{
    BatchLayout layout;
    layout.units = units;
    layout.format = format;
    layout.columnCount = header.size();
    std::optional<std::size_t> dryBulb;
    std::optional<std::size_t> pressure;
    std::optional<std::size_t> condition;
    for (std::size_t column = 0; column < header.size(); ++column) {
        const std::string_view name = Trim(header[column]);
        if (name == PropertyColumn(Property::DryBulb)) {
            if (dryBulb) {
                message = "the header names dry_bulb twice";
                return std::nullopt;
            }
            dryBulb = column;
        } else if (name == kPressureColumn || name == kAltitudeColumn) {
            if (pressure) {
                message = "the header names " + Quoted(Trim(header[*pressure])) + " and " +
                          Quoted(name) + "; give exactly one of pressure and altitude";
                return std::nullopt;
            }
            pressure = column;
            layout.altitude = name == kAltitudeColumn;
        } else if (const std::optional<Condition> given = ConditionFromColumn(name)) {
            if (condition) {
                message = "the header names " + Quoted(Trim(header[*condition])) + " and " +
                          Quoted(name) + "; give exactly one of " + std::string(kConditionList);
                return std::nullopt;
            }
            condition = column;
            layout.condition = *given;
        } else {
            bool isOutput = name == kStatusColumn;
            for (Property property : kProperties) {
                if (HasProperty(property, units) && name == PropertyColumn(property))
                    isOutput = true;
            }
            if (isOutput) {
                message = "the input column " + Quoted(name) +
                          " has the name of an output column; rename it";
                return std::nullopt;
            }
            layout.passThroughColumns.push_back(column);
            layout.passThroughNames.emplace_back(header[column]);
            layout.passThroughLabels.push_back(
                name.empty() ? "column " + std::to_string(column + 1) : std::string(name));
        }
    }
    if (!dryBulb) {
        message = "the header has no dry_bulb column";
        return std::nullopt;
    }
    if (!pressure) {
        message = "the header has neither a pressure nor an altitude column";
        return std::nullopt;
    }
    if (!condition) {
        message = "the header has none of " + std::string(kConditionList);
        return std::nullopt;
    }
    layout.dryBulbColumn = *dryBulb;
    layout.pressureColumn = *pressure;
    layout.conditionColumn = *condition;
    // JSON keys are the names as valid UTF-8. A name met before takes the
    // first suffix "_2", "_3"... that no column bears and no key took.
    std::unordered_set<std::string> taken;
    for (const std::string& name : layout.passThroughNames)
        taken.insert(ValidUtf8(name));
    for (Property property : kProperties)
        taken.emplace(PropertyColumn(property));
    taken.emplace(kStatusColumn);
    std::unordered_set<std::string> used;
    std::unordered_map<std::string, std::size_t> nextSuffix;
    for (const std::string& name : layout.passThroughNames) {
        std::string key = ValidUtf8(name);
        if (!used.insert(key).second) {
            std::size_t& suffix = nextSuffix.try_emplace(key, 2).first->second;
            std::string candidate;
            do {
                candidate = key + "_" + std::to_string(suffix++);
            } while (taken.count(candidate) != 0 || used.count(candidate) != 0);
            key = std::move(candidate);
            used.insert(key);
        }
        std::string member;
        AppendJsonKey(member, key);
        layout.jsonKeys.push_back(std::move(member));
    }
    return layout;
}

std::string OutputHeader(const BatchLayout& layout)
{
    if (layout.format == OutputFormat::Json)
        return {};
    std::string out;
    for (const std::string& name : layout.passThroughNames) {
        AppendCsvField(out, name);
        out.push_back(',');
    }
    for (Property property : kProperties) {
        if (HasProperty(property, layout.units))
            out.append(PropertyColumn(property)).push_back(',');
    }
    out.append(kStatusColumn).push_back('\n');
    return out;
}

void AppendCsvCells(std::string& out, const StateResult& state, Units units,
                    std::string_view status, const SourceTexts& sources)
{
    const std::size_t size = out.size();
    out.resize(size + CellsBound(status));
    char* end = WriteCsvCells(out.data() + size, state, units, status, sources);
    out.resize(static_cast<std::size_t>(end - out.data()));
}

void AppendJsonCells(std::string& out, const StateResult& state, Units units,
                     std::string_view status, const SourceTexts& sources)
{
    const std::size_t size = out.size();
    out.resize(size + CellsBound(status));
    char* end = WriteJsonCells(out.data() + size, state, units, status, sources);
    out.resize(static_cast<std::size_t>(end - out.data()));
}

void AppendFailedRow(const BatchLayout& layout, std::string_view status, std::string& out)
{
    const StateResult nothing{};
    if (layout.format == OutputFormat::Csv) {
        out.append(layout.passThroughColumns.size(), ',');
        AppendCsvCells(out, nothing, layout.units, status);
        return;
    }
    out.push_back('{');
    for (const std::string& key : layout.jsonKeys)
        out.append(key).append("null,");
    AppendJsonCells(out, nothing, layout.units, status);
    out.append("}\n");
}

BlockCounts ProcessBlock(const BatchLayout& layout, char* data, std::size_t size,
                         std::size_t firstLine, std::string& out)
{
    BlockCounts counts;
    CsvRecord record;
    std::string statusText;
    const std::string_view pressureName = layout.altitude ? kAltitudeColumn : kPressureColumn;
    const Property conditionProperty = ConditionProperty(layout.condition);
    const std::string_view conditionName = PropertyColumn(conditionProperty);
    const std::string_view dryBulbName = PropertyColumn(Property::DryBulb);
    char* pos = data;
    char* const end = data + size;
    std::size_t line = firstLine;
    // The rows are written into `out` beyond `used`; it grows by doubling and
    // is cut to what was written at the end.
    std::size_t used = out.size();
    while (pos < end) {
        const std::size_t recordLine = line;
        pos = ParseCsvRecord(pos, end, record);
        line += record.lineFeeds;
        if (record.blank())
            continue;
        ++counts.rows;
        Status status(statusText);
        if (record.unterminated)
            status.AddInput(recordLine, "", "has a quoted field that is never closed");
        if (record.textAfterQuote)
            status.AddInput(recordLine, "", "has text after a closing quote");
        if (record.fields.size() > layout.columnCount) {
            status.AddInput(recordLine, "",
                            "has more fields than the header; the extra ones are dropped");
        }
        for (std::size_t i = 0; i < layout.passThroughColumns.size(); ++i) {
            if (layout.passThroughColumns[i] >= record.fields.size())
                status.AddInput(recordLine, layout.passThroughLabels[i], "is missing");
        }

        SourceTexts sources{};
        std::array<PlainDecimal, 3> decimals;
        std::string_view altitudeText;
        const std::optional<double> dryBulb =
            ReadNumber(record, layout.dryBulbColumn, dryBulbName, recordLine, status, decimals[0],
                       sources[static_cast<std::size_t>(Property::DryBulb)]);
        const std::optional<double> pressureOrAltitude = ReadNumber(
            record, layout.pressureColumn, pressureName, recordLine, status, decimals[1],
            layout.altitude ? altitudeText : sources[static_cast<std::size_t>(Property::Pressure)]);
        const std::optional<double> given =
            ReadNumber(record, layout.conditionColumn, conditionName, recordLine, status,
                       decimals[2], sources[static_cast<std::size_t>(conditionProperty)]);

        Cell pressure = Given(layout.altitude ? std::nullopt : pressureOrAltitude);
        if (layout.altitude && pressureOrAltitude) {
            pressure = PressureFromAltitude(layout.units, *pressureOrAltitude);
            if (!pressure.present)
                status.AddCell(PropertyColumn(Property::Pressure), pressure.reason);
        }

        const bool computable = dryBulb && pressure.present && given;
        StateResult state = computable ? ComputeState({layout.units, *dryBulb, pressure.value,
                                                       layout.condition, *given})
                                       : StateResult{};
        if (computable) {
            ForEachFailure(state, layout.units, kProperties, [&](Property property, std::string_view reason) {
                status.AddCell(PropertyColumn(property), reason);
            });
        } else {
            state[Property::DryBulb] = Given(dryBulb);
            state[Property::Pressure] = pressure;
            state[conditionProperty] = Given(given);
        }

        // One row written straight into the output, into room for the
        // longest it can be.
        std::size_t bound = CellsBound(statusText) + 4;
        for (std::size_t i = 0; i < layout.passThroughColumns.size(); ++i) {
            const std::size_t column = layout.passThroughColumns[i];
            const std::size_t fieldSize =
                column < record.fields.size() ? record.fields[column].size() : 0;
            bound += kMaxJsonExpansion * fieldSize + layout.jsonKeys[i].size() + 8;
        }
        if (out.size() < used + bound)
            out.resize(std::max(2 * out.size(), used + bound));
        char* write = out.data() + used;
        if (layout.format == OutputFormat::Csv) {
            for (std::size_t column : layout.passThroughColumns) {
                if (column < record.fields.size())
                    write = WriteCsvField(write, record.fields[column]);
                *write++ = ',';
            }
            write = WriteCsvCells(write, state, layout.units, statusText, sources);
        } else {
            *write++ = '{';
            for (std::size_t i = 0; i < layout.passThroughColumns.size(); ++i) {
                const std::size_t column = layout.passThroughColumns[i];
                write = Copy(write, layout.jsonKeys[i]);
                if (column < record.fields.size())
                    write = WriteJsonString(write, record.fields[column]);
                else
                    write = Copy(write, "null");
                *write++ = ',';
            }
            write = WriteJsonCells(write, state, layout.units, statusText, sources);
            write = Copy(write, "}\n");
        }
        used = static_cast<std::size_t>(write - out.data());
        if (!status.empty())
            ++counts.failedRows;
    }
    out.resize(used);
    return counts;
}

} // namespace humitrax::cli
