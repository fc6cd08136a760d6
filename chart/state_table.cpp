#include "state_table.h"

#include "humitrax/property_result.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <string_view>
#include <system_error>

namespace humitrax::chart {
namespace {

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

std::string Lower(std::string_view text)
{
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return lower;
}

std::optional<double> ParseNumber(std::string_view text)
{
    text = Trim(text);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    if (text.empty())
        return std::nullopt;
    double value = 0.0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value, std::chars_format::general);
    if (ec != std::errc() || ptr != end || !std::isfinite(value))
        return std::nullopt;
    return value;
}

constexpr std::size_t kMissing = static_cast<std::size_t>(-1);

struct Columns {
    std::size_t dryBulb = kMissing;
    std::size_t pressure = kMissing;
    std::size_t altitude = kMissing;
    std::size_t condition = kMissing;
    Condition kind = Condition::RelativeHumidity;
};

std::variant<Columns, std::string> ReadHeader(const std::vector<std::string>& header)
{
    Columns columns;
    struct Named {
        const char* name;
        Condition kind;
        std::size_t index = kMissing;
    };
    Named conditions[] = {{"wet_bulb", Condition::WetBulb},
                          {"dew_point", Condition::DewPoint},
                          {"relative_humidity", Condition::RelativeHumidity},
                          {"humidity_ratio", Condition::HumidityRatio}};
    for (std::size_t i = 0; i < header.size(); ++i) {
        const std::string name = Lower(Trim(header[i]));
        std::size_t* slot = nullptr;
        if (name == "dry_bulb")
            slot = &columns.dryBulb;
        else if (name == "pressure")
            slot = &columns.pressure;
        else if (name == "altitude")
            slot = &columns.altitude;
        for (Named& condition : conditions) {
            if (name == condition.name)
                slot = &condition.index;
        }
        if (slot == nullptr)
            continue;
        if (*slot != kMissing)
            return "the header names the column '" + name + "' twice";
        *slot = i;
    }
    if (columns.dryBulb == kMissing)
        return std::string("the header has no dry_bulb column");
    if (columns.pressure != kMissing && columns.altitude != kMissing)
        return std::string("the header names both pressure and altitude");
    int named = 0;
    for (const Named& condition : conditions) {
        if (condition.index != kMissing) {
            ++named;
            columns.condition = condition.index;
            columns.kind = condition.kind;
        }
    }
    if (named == 0)
        return std::string(
            "the header names no condition (wet_bulb, dew_point, relative_humidity or humidity_ratio)");
    // Several conditions: a table that batch wrote, whose humidity ratio places the state.
    if (named > 1) {
        const Named& ratio = conditions[3];
        if (ratio.index == kMissing)
            return std::string("the header names more than one condition and no humidity_ratio");
        columns.condition = ratio.index;
        columns.kind = Condition::HumidityRatio;
    }
    return columns;
}

} // namespace

bool CsvReader::Next(std::vector<std::string>& fields)
{
    fields.clear();
    std::streambuf* in = m_in.rdbuf();
    using Traits = std::char_traits<char>;
    if (!m_started) {
        m_started = true;
        // A UTF-8 byte-order mark.
        if (in->sgetc() == 0xEF) {
            in->sbumpc();
            if (in->sgetc() == 0xBB)
                in->sbumpc();
            if (in->sgetc() == 0xBF)
                in->sbumpc();
        }
    }
    if (Traits::eq_int_type(in->sgetc(), Traits::eof()))
        return false;
    std::string field;
    bool quoted = false;     // inside a quoted field
    bool wasQuoted = false;  // the field began with a quote
    for (;;) {
        const auto next = in->sbumpc();
        if (Traits::eq_int_type(next, Traits::eof())) {
            fields.push_back(std::move(field));
            return true;
        }
        const char c = Traits::to_char_type(next);
        if (quoted) {
            if (c == '"') {
                if (in->sgetc() == '"') {
                    in->sbumpc();
                    field += '"';
                } else {
                    quoted = false;
                }
            } else {
                field += c;
            }
            continue;
        }
        if (c == '"' && field.empty() && !wasQuoted) {
            quoted = true;
            wasQuoted = true;
        } else if (c == ',') {
            fields.push_back(std::move(field));
            field.clear();
            wasQuoted = false;
        } else if (c == '\n' || c == '\r') {
            if (c == '\r' && in->sgetc() == '\n')
                in->sbumpc();
            fields.push_back(std::move(field));
            return true;
        } else {
            field += c;
        }
    }
}

std::variant<StateTable, std::string> ReadStateTable(std::istream& in, const ChartSettings& settings)
{
    CsvReader reader(in);
    std::vector<std::string> fields;
    if (!reader.Next(fields))
        return std::string("the file is empty (a header row is needed)");
    auto header = ReadHeader(fields);
    if (auto* reason = std::get_if<std::string>(&header))
        return std::move(*reason);
    const Columns columns = std::get<Columns>(header);

    StateTable table;
    const auto cell = [&](std::size_t index) -> std::optional<double> {
        if (index >= fields.size())
            return std::nullopt;
        return ParseNumber(fields[index]);
    };
    while (reader.Next(fields)) {
        if (fields.size() == 1 && Trim(fields[0]).empty())
            continue; // a blank line
        ++table.rows;
        const std::optional<double> dryBulb = cell(columns.dryBulb);
        const std::optional<double> value = cell(columns.condition);
        StateInput state{0.0, columns.kind, 0.0, std::nullopt};
        bool usable = dryBulb && value;
        if (usable) {
            state.dryBulb = *dryBulb;
            state.value = *value;
        }
        if (usable && columns.pressure != kMissing) {
            state.pressure = cell(columns.pressure);
            usable = state.pressure.has_value();
        } else if (usable && columns.altitude != kMissing) {
            const std::optional<double> altitude = cell(columns.altitude);
            usable = altitude.has_value();
            if (usable) {
                try {
                    state.pressure = PressureAtAltitude(*altitude, settings.si);
                } catch (const PropertyFailure&) {
                    usable = false;
                }
            }
        }
        if (usable) {
            const auto located = LocateState(state, settings);
            if (const auto* point = std::get_if<DataPoint>(&located)) {
                table.points.push_back(*point);
                continue;
            }
        }
        ++table.failed;
    }
    return table;
}

} // namespace humitrax::chart
