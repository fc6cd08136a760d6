#include "table/rows.h"

#include "table/csv.h"
#include "kit/echo.h"
#include "kit/numbers.h"

#include "humitrax/constants.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <iterator>
#include <new>
#include <span>
#include <unordered_map>
#include <unordered_set>

namespace humitrax::cli {

namespace {

constexpr std::string_view kStatusColumn = "status";
constexpr std::string_view kPressureColumn = "pressure";
constexpr std::string_view kAltitudeColumn = "altitude";
/// The roles a header's names give columns, each its own name read strictly
/// and loosely, and its own units.
constexpr std::array<std::string_view, 7> kRoleNames{
    "dry_bulb", "pressure", "altitude", "wet_bulb", "dew_point", "relative_humidity", "humidity_ratio"};
constexpr std::array<ColumnRole, kRoleNames.size()> kReadRoles = [] {
    std::array<ColumnRole, kRoleNames.size()> roles{};
    for (std::size_t i = 0; i < roles.size(); ++i)
        roles[i] = {kRoleNames[i], kRoleNames[i], kRoleNames[i]};
    return roles;
}();
constexpr std::string_view kConditionList = "wet_bulb, dew_point, relative_humidity, humidity_ratio";
constexpr std::string_view kGivableList = "dry_bulb, wet_bulb, dew_point, relative_humidity, humidity_ratio, "
                                          "enthalpy, specific_volume, vapour_pressure";

/// The properties a column may give a state by beside the four conditions,
/// read only by their names as written (a looser match is passed through).
bool IsOtherGiven(std::string_view name) noexcept
{
    return name == PropertyColumn(Property::Enthalpy) || name == PropertyColumn(Property::SpecificVolume) ||
           name == PropertyColumn(Property::VapourPressure);
}

/// The property a given column's name names (not the dry bulb's).
std::optional<Property> GivenProperty(std::string_view name) noexcept
{
    if (const std::optional<Condition> condition = ConditionFromColumn(name))
        return ConditionProperty(*condition);
    return IsOtherGiven(name) ? PropertyFromColumn(name) : std::nullopt;
}

bool Wants(const HeaderRules& rules, Property property) noexcept
{
    return std::find(rules.given.begin(), rules.given.end(), property) != rules.given.end();
}

void AppendJsonKey(std::string& out, std::string_view name)
{
    AppendJsonString(out, name);
    out.push_back(':');
}

/// "line N: column what", in the status of a row.
void AddInput(StatusText& status, std::size_t line, std::string_view column, std::string_view what)
{
    std::string& text = status.Next();
    std::array<char, 24> digits{};
    const auto [ptr, ec] = std::to_chars(digits.data(), digits.data() + digits.size(), line);
    (void)ec; // 24 characters hold every size_t
    text.append("line ").append(digits.data(), ptr).append(": ");
    text.append(column);
    if (!column.empty())
        text.push_back(' ');
    text.append(what);
}

/// Reads the number in a column of the record, converted to the unit
/// system's unit; a missing, empty, unreadable or "not measured" one is noted
/// in the status. A plain decimal taken as it is leaves its shortest text in
/// `value.decimal`, and `shortest` pointing at it. With `decimalComma` a
/// number may take a comma for its point ("25,5"), never both.
std::optional<double> ReadNumber(const CsvRecord& record, const InputColumn& column, std::string_view name,
                                 std::size_t line, StatusText& status, bool decimalComma, ValueScratch& value,
                                 std::string_view& shortest)
{
    if (column.index >= record.fields.size()) {
        AddInput(status, line, name, "is missing");
        return std::nullopt;
    }
    if (column.sourceFlag && *column.sourceFlag < record.fields.size() &&
        Trim(record.fields[*column.sourceFlag]) == "?") {
        status.Add(name, "missing");
        return std::nullopt;
    }
    std::string_view text = Trim(record.fields[column.index]);
    if (text.empty()) {
        AddInput(status, line, name, "is empty");
        return std::nullopt;
    }
    if (decimalComma) {
        const std::size_t comma = text.find(',');
        if (comma != std::string_view::npos && text.find(',', comma + 1) == std::string_view::npos &&
            text.find('.') == std::string_view::npos) {
            value.pointed.assign(text);
            value.pointed[comma] = '.';
            text = value.pointed;
        }
    }
    std::optional<double> number;
    std::string_view decimalText;
    PlainDecimal& decimal = value.decimal;
    if (ReadPlainDecimal(text, decimal)) {
        number = decimal.value;
        decimalText = decimal.shortest;
    } else {
        number = ParseDouble(text);
        if (!number) {
            AddInput(status, line, name, "is not a number");
            return std::nullopt;
        }
        if (!std::isfinite(*number)) {
            AddInput(status, line, name, "is not a finite number");
            return std::nullopt;
        }
    }
    if (column.missingCode &&
        (*number == *column.missingCode || (column.missingAtOrAbove && *number > *column.missingCode))) {
        status.Add(name, "missing");
        return std::nullopt;
    }
    if (column.unit.identity) {
        shortest = decimalText;
        return number;
    }
    const double converted = column.unit.Apply(*number);
    if (!std::isfinite(converted)) {
        AddInput(status, line, name, "is too large for the unit system's unit");
        return std::nullopt;
    }
    return converted;
}

/// A cell's number: the text read where the value is the one read, else
/// the shortest text that reads back, or `precision` significant digits.
template <bool kSignificant>
char* WriteCell(char* out, const Cell& cell, std::string_view shortest, int precision) noexcept
{
    if (!shortest.empty()) {
        std::memcpy(out, shortest.data(), shortest.size());
        return out + shortest.size();
    }
    if constexpr (kSignificant)
        return WriteSignificant(out, cell.value, precision);
    else
        return WriteNumber(out, cell.value);
}

char* Copy(char* out, std::string_view text) noexcept
{
    std::memcpy(out, text.data(), text.size());
    return out + text.size();
}

/// A CSV row's last field, the status, and its line feed.
char* EndCsvRow(char* out, std::string_view status) noexcept
{
    out = WriteCsvField(out, status);
    *out++ = '\n';
    return out;
}

/// A JSON row's last member, the status (null when empty).
char* EndJsonRow(char* out, std::string_view status) noexcept
{
    out = Copy(out, "\"status\":");
    if (status.empty())
        return Copy(out, "null");
    return WriteJsonString(out, status);
}

/// Room enough for the cells of a state and its status, in either format.
std::size_t CellsBound(std::string_view status) noexcept
{
    constexpr std::size_t kPerCell = kMaxNumberLength + 32; // the number, its key, a comma
    return kPropertyCount * kPerCell + 16 + kMaxJsonExpansion * status.size() + 4;
}

/// The cells of every property at full precision, the default output: a loop
/// over kAllProperties the compiler unrolls.
char* WriteEveryCsvCell(char* out, const StateResult& state, Units units, std::string_view status,
                        const SourceTexts& sources) noexcept
{
    for (Property property : kAllProperties) {
        if (!HasProperty(property, units))
            continue;
        const Cell& cell = state[property];
        if (cell.present)
            out = WriteCell<false>(out, cell, sources[static_cast<std::size_t>(property)], 0);
        *out++ = ',';
    }
    return EndCsvRow(out, status);
}

char* WriteEveryJsonCell(char* out, const StateResult& state, Units units, std::string_view status,
                         const SourceTexts& sources) noexcept
{
    for (Property property : kAllProperties) {
        if (!HasProperty(property, units))
            continue;
        *out++ = '"';
        out = Copy(out, PropertyColumn(property));
        out = Copy(out, "\":");
        const Cell& cell = state[property];
        if (cell.present)
            out = WriteCell<false>(out, cell, sources[static_cast<std::size_t>(property)], 0);
        else
            out = Copy(out, "null");
        *out++ = ',';
    }
    return EndJsonRow(out, status);
}

/// Whether a property is one of the given values, which --precision leaves
/// at the shortest text: the dry bulb, the pressure, the condition.
bool IsGiven(Property property, const BatchLayout& layout) noexcept
{
    return property == Property::Pressure || property == layout.given[0] || property == layout.given[1];
}

/// A cell of the chosen columns: a given value as the default output writes
/// it, a computed one at the layout's precision.
template <bool kSignificant>
char* WriteChosenCell(char* out, Property property, const Cell& cell, const BatchLayout& layout,
                      const SourceTexts& sources) noexcept
{
    const std::string_view source = sources[static_cast<std::size_t>(property)];
    if (kSignificant && IsGiven(property, layout))
        return WriteCell<false>(out, cell, source, 0);
    return WriteCell<kSignificant>(out, cell, source, layout.precision);
}

/// The cells of the properties --columns chose, at --precision.
template <bool kSignificant>
char* WriteChosenCsvCells(char* out, const StateResult& state, const BatchLayout& layout, std::string_view status,
                          const SourceTexts& sources) noexcept
{
    for (Property property : layout.written) {
        if (!HasProperty(property, layout.units))
            continue;
        const Cell& cell = state[property];
        if (cell.present)
            out = WriteChosenCell<kSignificant>(out, property, cell, layout, sources);
        *out++ = ',';
    }
    return EndCsvRow(out, status);
}

template <bool kSignificant>
char* WriteChosenJsonCells(char* out, const StateResult& state, const BatchLayout& layout, std::string_view status,
                           const SourceTexts& sources) noexcept
{
    for (Property property : layout.written) {
        if (!HasProperty(property, layout.units))
            continue;
        *out++ = '"';
        out = Copy(out, PropertyColumn(property));
        out = Copy(out, "\":");
        const Cell& cell = state[property];
        if (cell.present)
            out = WriteChosenCell<kSignificant>(out, property, cell, layout, sources);
        else
            out = Copy(out, "null");
        *out++ = ',';
    }
    return EndJsonRow(out, status);
}

/// Whether a layout writes the default output: every property, each number
/// the shortest text.
bool WritesEvery(const BatchLayout& layout) noexcept
{
    return layout.precision == 0 && layout.written.size() == kAllProperties.size();
}

/// The cells of a row as the layout writes them.
char* WriteCsvCells(char* out, const StateResult& state, const BatchLayout& layout, std::string_view status,
                    const SourceTexts& sources) noexcept
{
    if (WritesEvery(layout))
        return WriteEveryCsvCell(out, state, layout.units, status, sources);
    return layout.precision == 0 ? WriteChosenCsvCells<false>(out, state, layout, status, sources)
                                 : WriteChosenCsvCells<true>(out, state, layout, status, sources);
}

char* WriteJsonCells(char* out, const StateResult& state, const BatchLayout& layout, std::string_view status,
                     const SourceTexts& sources) noexcept
{
    if (WritesEvery(layout))
        return WriteEveryJsonCell(out, state, layout.units, status, sources);
    return layout.precision == 0 ? WriteChosenJsonCells<false>(out, state, layout, status, sources)
                                 : WriteChosenJsonCells<true>(out, state, layout, status, sources);
}

/// Whether an output column bears the name.
bool IsOutputName(std::string_view name, Units units) noexcept
{
    if (name == kStatusColumn)
        return true;
    for (Property property : kAllProperties) {
        if (HasProperty(property, units) && name == PropertyColumn(property))
            return true;
    }
    return false;
}

/// The column a value is read from, converted by the unit its header names
/// (or `fallbackUnit`); nothing, with the message, for a unit that does not fit.
std::optional<InputColumn> ReadColumn(std::size_t index, const ColumnName& column,
                                      std::string_view header, Units units,
                                      std::optional<std::string_view> fallbackUnit,
                                      std::string& message)
{
    InputColumn input;
    input.index = index;
    if (!column.hasUnit && !fallbackUnit)
        return input;
    const std::string_view unit = column.hasUnit ? std::string_view(column.unit) : *fallbackUnit;
    const std::optional<UnitConversion> conversion = ColumnUnit(column.name, unit, units);
    if (!conversion) {
        message = (column.hasUnit ? "the column " + Quoted(Trim(header)) : std::string("--pressure-unit")) +
                  " gives the unit " + Quoted(unit) + ", which is not one of " + std::string(ColumnUnits(column.name));
        return std::nullopt;
    }
    input.unit = *conversion;
    return input;
}

/// A given column of the header: the dry bulb, a condition, or an enthalpy,
/// volume or vapour pressure.
struct NamedGiven {
    std::size_t index;
    Property property;
};

/// The two given columns to read among those the header names (`dryBulb`,
/// if any, and `named`, in column order), in the order of
/// kGivableProperties.
std::optional<std::array<NamedGiven, 2>> ChooseGiven(std::optional<std::size_t> dryBulb,
                                                     std::vector<NamedGiven> named,
                                                     const std::vector<std::string_view>& header,
                                                     const HeaderRules& rules, std::string& message)
{
    // A table that is only plotted places a dry bulb by its conditions where
    // it has any (its enthalpy and the like are batch's output, passed over).
    const auto other = [](const NamedGiven& n) { return IsOtherGiven(PropertyColumn(n.property)); };
    if (rules.plotOnly && rules.given.empty() && dryBulb && !std::all_of(named.begin(), named.end(), other))
        std::erase_if(named, other);
    const auto ordered = [](NamedGiven a, NamedGiven b) {
        return GivableIndex(a.property) < GivableIndex(b.property) ? std::array{a, b} : std::array{b, a};
    };
    const auto find = [&](Property property) -> std::optional<NamedGiven> {
        if (property == Property::DryBulb)
            return dryBulb ? std::optional(NamedGiven{*dryBulb, property}) : std::nullopt;
        for (const NamedGiven& candidate : named) {
            if (candidate.property == property)
                return candidate;
        }
        return std::nullopt;
    };
    const auto missing = [&](Property property) {
        message = "the header has no " + std::string(PropertyColumn(property)) + " column, which --given names";
        return std::nullopt;
    };
    if (rules.given.size() == 2) {
        const std::optional<NamedGiven> first = find(rules.given[0]);
        if (!first)
            return missing(rules.given[0]);
        const std::optional<NamedGiven> second = find(rules.given[1]);
        if (!second)
            return missing(rules.given[1]);
        return ordered(*first, *second);
    }
    const std::optional<Property> wanted =
        rules.given.size() == 1 ? std::optional(rules.given.front())
        : named.size() > 1 && rules.plotOnly && dryBulb ? std::optional(Property::HumidityRatio)
                                                         : std::nullopt;
    if (!dryBulb) // MakeBatchLayout has said why a header without one has no pair
        return ordered(named.at(0), named.at(1));
    if (wanted) {
        if (const std::optional<NamedGiven> condition = find(*wanted))
            return ordered({*dryBulb, Property::DryBulb}, *condition);
        message = "the header has no " + std::string(PropertyColumn(*wanted)) + " column" +
                  (rules.given.empty() ? "; choose a condition with --given" : ", which --given names");
        return std::nullopt;
    }
    if (named.empty()) {
        message = "the header has none of " + std::string(kConditionList);
        return std::nullopt;
    }
    if (named.size() > 1) {
        message = "the header names " + Quoted(Trim(header[named[0].index])) + " and " +
                  Quoted(Trim(header[named[1].index])) + "; give exactly one of " +
                  std::string(kConditionList) + " beside the dry bulb, or choose with --given (one, or two of " +
                  std::string(kGivableList) + ")";
        return std::nullopt;
    }
    return ordered({*dryBulb, Property::DryBulb}, named.front());
}

/// The place a column's name gives it.
enum class Slot : std::uint8_t { None, DryBulb, Second, Condition, Output };

Slot SlotOf(std::string_view name, Units units) noexcept
{
    if (name == PropertyColumn(Property::DryBulb))
        return Slot::DryBulb;
    if (name == kPressureColumn || name == kAltitudeColumn)
        return Slot::Second;
    if (ConditionFromColumn(name))
        return Slot::Condition;
    return IsOutputName(name, units) ? Slot::Output : Slot::None;
}

/// Whether a column in the slot is read (the dry bulb, the pressure or
/// altitude, a condition) rather than written.
bool IsReadSlot(Slot slot) noexcept
{
    return slot == Slot::DryBulb || slot == Slot::Second || slot == Slot::Condition;
}

/// The columns of a header, sorted by what they hold.
struct HeaderColumns {
    /// Each column's name as it is read: a role's name and its unit, or the
    /// name as written.
    std::vector<ColumnName> names;
    std::optional<std::size_t> dryBulb;
    std::optional<std::size_t> pressure; ///< or the altitude
    bool altitude = false;
    std::vector<NamedGiven> given; ///< but the dry bulb
    std::vector<std::size_t> passThrough;
    /// Columns whose name before a parenthesis is a role's but whose text in
    /// it is none of its units ("Dry-bulb (K)"), passed through.
    std::vector<std::size_t> nearMisses;
};

bool SameText(std::string_view a, std::string_view b) noexcept
{
    a = Trim(a);
    b = Trim(b);
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
               return lower(x) == lower(y);
           });
}

/// The role each --column gives, by column; nothing, with the message, for
/// a name the header lacks or holds twice, or a column given two roles.
std::optional<std::vector<std::string_view>> MappedRoles(const std::vector<std::string_view>& header,
                                                         const HeaderRules& rules, std::string& message)
{
    std::vector<std::string_view> roles(header.size());
    for (const ColumnMapping& mapping : rules.mappings) {
        std::optional<std::size_t> found;
        for (std::size_t column = 0; column < header.size(); ++column) {
            if (!SameText(header[column], mapping.header))
                continue;
            if (found) {
                message = "--column " + std::string(mapping.role) + "=" + Quoted(Trim(mapping.header)) +
                          ": the header has two such columns, " + std::to_string(*found + 1) + " and " +
                          std::to_string(column + 1);
                return std::nullopt;
            }
            found = column;
        }
        if (!found) {
            message = "--column " + std::string(mapping.role) + "=" + Quoted(Trim(mapping.header)) +
                      ": the header has no such column; it reads " + HeaderNames(header);
            return std::nullopt;
        }
        if (!roles[*found].empty()) {
            message = "--column gives " + Quoted(Trim(header[*found])) + " two roles, " +
                      std::string(roles[*found]) + " and " + std::string(mapping.role);
            return std::nullopt;
        }
        roles[*found] = mapping.role;
    }
    return roles;
}

/// A column's name as it is read, and whether it is read strictly (by the
/// rules of old, or given by --column) rather than by the looser ones.
struct ReadName {
    ColumnName name;
    Slot slot = Slot::None;
    bool strict = true;
};

ReadName ReadHeaderName(std::string_view header, std::string_view mappedRole, Units units)
{
    ReadName read;
    ColumnName column = ReadColumnName(header);
    if (!mappedRole.empty()) {
        // The role's name, and the unit of the header: in brackets, or in
        // parentheses when it is one of the role's.
        if (!column.hasUnit && column.parenthesised && ColumnUnit(mappedRole, column.parenthesised->second, units)) {
            column.unit = column.parenthesised->second;
            column.hasUnit = true;
        }
        column.name = std::string(mappedRole);
        read.slot = IsOtherGiven(mappedRole) ? Slot::Condition : SlotOf(mappedRole, units);
    } else if (const std::optional<RoleReading> role = ReadRole(column, kReadRoles)) {
        column.name = std::string(kReadRoles[role->role].name);
        column.unit = role->unit;
        column.hasUnit = role->hasUnit;
        read.slot = SlotOf(column.name, units);
        read.strict = role->strict;
    } else {
        read.slot = SlotOf(column.name, units); // an output column's, or none
        // An enthalpy, volume or vapour pressure may be given, by its name.
        if (read.slot == Slot::Output && IsOtherGiven(column.name))
            read.slot = Slot::Condition;
    }
    read.name = std::move(column);
    return read;
}

/// The column that holds a slot: the one read strictly, else the one read
/// loosely; the others read loosely are passed through. Nothing, with the
/// message, when two hold it alike.
std::optional<std::optional<std::size_t>> OneOf(const std::vector<std::size_t>& strict,
                                                const std::vector<std::size_t>& loose,
                                                const std::vector<std::string_view>& header,
                                                std::string_view what, std::vector<std::size_t>& passThrough,
                                                std::string& message)
{
    const std::vector<std::size_t>& holders = strict.empty() ? loose : strict;
    if (holders.size() > 1) {
        const std::string both = Quoted(Trim(header[holders[0]])) + " and " + Quoted(Trim(header[holders[1]]));
        message = what == kPressureColumn
                      ? "the header names " + both + "; give exactly one of pressure and altitude"
                      : "the header names " + std::string(what) + " twice, " + both;
        return std::nullopt;
    }
    if (!strict.empty())
        passThrough.insert(passThrough.end(), loose.begin(), loose.end());
    return holders.empty() ? std::nullopt : std::optional(holders.front());
}

/// Sorts the header's columns; nothing for a column named twice or one named
/// like an output column where that is refused.
std::optional<HeaderColumns> SortColumns(const std::vector<std::string_view>& header,
                                         const HeaderRules& rules, std::string& message)
{
    const std::optional<std::vector<std::string_view>> roles = MappedRoles(header, rules, message);
    if (!roles)
        return std::nullopt;
    HeaderColumns columns;
    // Each slot's columns read strictly [0] and loosely [1].
    std::array<std::vector<std::size_t>, 2> dryBulb;
    std::array<std::vector<std::size_t>, 2> second;
    std::array<std::vector<std::size_t>, 2> conditions;
    std::vector<std::size_t> passThrough;
    for (std::size_t column = 0; column < header.size(); ++column) {
        ReadName read = ReadHeaderName(header[column], (*roles)[column], rules.units);
        if (const std::optional<std::string>& before = read.name.beforeUnclosedBracket;
            (*roles)[column].empty() && before && IsReadSlot(SlotOf(*before, rules.units))) {
            message = "the column " + Quoted(Trim(header[column])) + " opens a unit bracket and never closes it (" +
                      Quoted(std::string(Trim(header[column])) + "]") + " would)";
            return std::nullopt;
        }
        const std::size_t strictness = read.strict ? 0 : 1;
        switch (read.slot) {
        case Slot::DryBulb: dryBulb[strictness].push_back(column); break;
        case Slot::Second: second[strictness].push_back(column); break;
        case Slot::Condition: conditions[strictness].push_back(column); break;
        case Slot::Output:
            if (rules.given.empty() && !rules.plotOnly) {
                message = "the input column " + Quoted(Trim(header[column])) +
                          " has the name of an output column; rename it, or give --given to read "
                          "batch's own output again";
                return std::nullopt;
            }
            break;
        case Slot::None:
            passThrough.push_back(column);
            if (read.name.parenthesised && IsReadSlot(SlotOf(read.name.parenthesised->first, rules.units)))
                columns.nearMisses.push_back(column);
            break;
        }
        columns.names.push_back(std::move(read.name));
    }
    const std::optional<std::optional<std::size_t>> dry =
        OneOf(dryBulb[0], dryBulb[1], header, "dry_bulb", passThrough, message);
    if (!dry)
        return std::nullopt;
    columns.dryBulb = *dry;
    const std::optional<std::optional<std::size_t>> pressure =
        OneOf(second[0], second[1], header, kPressureColumn, passThrough, message);
    if (!pressure)
        return std::nullopt;
    columns.pressure = *pressure;
    columns.altitude = columns.pressure && columns.names[**pressure].name == kAltitudeColumn;
    // The conditions read strictly, else those read loosely; with --given, a
    // loose one it names when no strict one does.
    const auto propertyOf = [&](std::size_t column) { return *GivenProperty(columns.names[column].name); };
    std::vector<std::size_t> named = conditions[0].empty() ? conditions[1] : conditions[0];
    for (std::size_t column : conditions[0].empty() ? std::vector<std::size_t>{} : conditions[1]) {
        if (Wants(rules, propertyOf(column)) && std::none_of(named.begin(), named.end(), [&](std::size_t other) {
                return propertyOf(other) == propertyOf(column);
            }))
            named.push_back(column);
        else
            passThrough.push_back(column);
    }
    std::sort(named.begin(), named.end());
    for (std::size_t column : named) {
        const Property property = propertyOf(column);
        for (const NamedGiven& earlier : columns.given) {
            if (earlier.property == property) {
                message = "the header names " + Echo(columns.names[column].name) + " twice, " +
                          Quoted(Trim(header[earlier.index])) + " and " + Quoted(Trim(header[column]));
                return std::nullopt;
            }
        }
        columns.given.push_back({column, property});
    }
    if (!rules.plotOnly) {
        std::sort(passThrough.begin(), passThrough.end());
        columns.passThrough = std::move(passThrough);
    }
    return columns;
}

/// "; it reads 'a', 'b'" and why a column with a name of the slot in it does
/// not hold it ("'Dry-bulb (K)' is dry_bulb only with a unit of C, °C, F or
/// °F"), for the message on a missing column of `role`.
std::string WhatTheHeaderReads(const std::vector<std::string_view>& header, const HeaderColumns& columns,
                               Slot role, Units units)
{
    std::string text = "; it reads " + HeaderNames(header);
    for (std::size_t column : columns.nearMisses) {
        const std::string& name = columns.names[column].parenthesised->first;
        if (SlotOf(name, units) != role)
            continue;
        text += "; " + Quoted(Trim(header[column])) + " is " + name + " only with a unit of " + std::string(ColumnUnits(name));
    }
    return text;
}

} // namespace

std::span<const std::string_view> ColumnRoles() noexcept
{
    static constexpr std::array<std::string_view, 10> kRoles{
        "dry_bulb",       "pressure", "altitude",        "wet_bulb",        "dew_point", "relative_humidity",
        "humidity_ratio", "enthalpy", "specific_volume", "vapour_pressure"};
    return kRoles;
}

std::string HeaderNames(const std::vector<std::string_view>& header)
{
    constexpr std::size_t kShown = 40;
    std::string names;
    for (std::size_t i = 0; i < header.size() && i < kShown; ++i)
        names += (i == 0 ? "" : ", ") + Quoted(Trim(header[i]));
    if (header.size() > kShown)
        names += " and " + std::to_string(header.size() - kShown) + " more";
    return names;
}

std::optional<BatchLayout> MakeBatchLayout(const std::vector<std::string_view>& header,
                                           const HeaderRules& rules, std::string& message)
{
    const std::optional<HeaderColumns> columns = SortColumns(header, rules, message);
    if (!columns)
        return std::nullopt;
    // Without a dry bulb, two other properties give the state.
    const bool pairWithout = rules.given.size() == 2 ? !Wants(rules, Property::DryBulb)
                                                     : rules.given.empty() && columns->given.size() == 2;
    if (!columns->dryBulb && !pairWithout) {
        message = "the header has no dry_bulb column";
        if (rules.given.empty() && columns->given.size() > 2)
            message += ", and names " + std::to_string(columns->given.size()) +
                       " other properties a state is given by; choose two with --given A,B";
        message += WhatTheHeaderReads(header, *columns, Slot::DryBulb, rules.units) +
                   "; --column dry_bulb=NAME takes a column of another name";
        return std::nullopt;
    }
    if (!columns->pressure && !rules.plotOnly) {
        message = "the header has neither a pressure nor an altitude column" +
                  WhatTheHeaderReads(header, *columns, Slot::Second, rules.units) +
                  "; --column pressure=NAME or --column altitude=NAME takes a column of another name";
        return std::nullopt;
    }
    const std::optional<std::array<NamedGiven, 2>> chosen =
        ChooseGiven(columns->dryBulb, columns->given, header, rules, message);
    if (!chosen) {
        if (columns->given.empty() || !rules.given.empty())
            message += WhatTheHeaderReads(header, *columns, Slot::Condition, rules.units);
        if (columns->given.empty())
            message += "; --column relative_humidity=NAME (or another condition) takes a column of another name";
        return std::nullopt;
    }
    const auto read = [&](std::size_t index, std::optional<std::string_view> fallbackUnit) {
        return ReadColumn(index, columns->names[index], header[index], rules.units, fallbackUnit, message);
    };
    BatchLayout layout;
    layout.units = rules.units;
    layout.model = rules.model;
    layout.saturation = rules.saturation;
    layout.format = rules.format;
    layout.separator = rules.separator;
    layout.decimalComma = rules.separator == ';';
    layout.columnCount = header.size();
    const std::optional<InputColumn> first = read((*chosen)[0].index, std::nullopt);
    const std::optional<InputColumn> second = first ? read((*chosen)[1].index, std::nullopt) : std::nullopt;
    if (!second)
        return std::nullopt;
    layout.given = {(*chosen)[0].property, (*chosen)[1].property};
    layout.first = *first;
    layout.second = *second;
    layout.altitude = columns->altitude;
    if (columns->pressure) {
        if (layout.altitude && rules.pressureUnit) {
            message = "--pressure-unit is for a pressure column, and the header has an altitude";
            return std::nullopt;
        }
        layout.pressure = read(*columns->pressure, rules.pressureUnit);
        if (!layout.pressure)
            return std::nullopt;
    } else {
        layout.defaultPressure = rules.defaultPressure;
    }
    for (std::size_t column : columns->passThrough) {
        const std::string_view trimmed = Trim(header[column]);
        layout.passThroughColumns.push_back(column);
        layout.passThroughNames.emplace_back(header[column]);
        layout.passThroughLabels.push_back(
            trimmed.empty() ? "column " + std::to_string(column + 1) : Echo(trimmed));
    }
    SetJsonKeys(layout);
    return layout;
}

void SetJsonKeys(BatchLayout& layout)
{
    std::unordered_set<std::string> taken;
    for (const std::string& name : layout.passThroughNames)
        taken.insert(ValidUtf8(name));
    for (Property property : kAllProperties)
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
}

std::string OutputHeader(const BatchLayout& layout)
{
    if (layout.format == Format::Json)
        return {};
    std::string out;
    for (const std::string& name : layout.passThroughNames) {
        AppendCsvField(out, name);
        out.push_back(',');
    }
    for (Property property : layout.written) {
        if (HasProperty(property, layout.units))
            out.append(PropertyColumn(property)).push_back(',');
    }
    out.append(kStatusColumn).push_back('\n');
    return out;
}

void SetOutputColumns(BatchLayout& layout, const HeaderRules& rules)
{
    layout.precision = rules.precision;
    if (rules.columns.empty())
        return;
    const auto chosen = [&](Property property) {
        return property == Property::DryBulb || IsGiven(property, layout) ||
               std::find(rules.columns.begin(), rules.columns.end(), property) != rules.columns.end();
    };
    layout.written.clear();
    std::copy_if(kAllProperties.begin(), kAllProperties.end(), std::back_inserter(layout.written), chosen);
}

void AppendCsvCells(std::string& out, const StateResult& state, Units units,
                    std::string_view status, const SourceTexts& sources)
{
    const std::size_t size = out.size();
    out.resize(size + CellsBound(status));
    char* end = WriteEveryCsvCell(out.data() + size, state, units, status, sources);
    out.resize(static_cast<std::size_t>(end - out.data()));
}

void AppendJsonCells(std::string& out, const StateResult& state, Units units,
                     std::string_view status, const SourceTexts& sources)
{
    const std::size_t size = out.size();
    out.resize(size + CellsBound(status));
    char* end = WriteEveryJsonCell(out.data() + size, state, units, status, sources);
    out.resize(static_cast<std::size_t>(end - out.data()));
}

void AppendFailedRow(const BatchLayout& layout, std::string_view status, std::string& out)
{
    const StateResult nothing{};
    const std::size_t size = out.size();
    if (layout.format == Format::Csv) {
        out.append(layout.passThroughColumns.size(), ',');
        out.resize(out.size() + CellsBound(status));
        char* end = WriteCsvCells(out.data() + size + layout.passThroughColumns.size(), nothing, layout, status, {});
        out.resize(static_cast<std::size_t>(end - out.data()));
        return;
    }
    out.push_back('{');
    for (const std::string& key : layout.jsonKeys)
        out.append(key).append("null,");
    const std::size_t cells = out.size();
    out.resize(cells + CellsBound(status));
    char* end = WriteJsonCells(out.data() + cells, nothing, layout, status, {});
    out.resize(static_cast<std::size_t>(end - out.data()));
    out.append("}\n");
}

bool ComputeRow(const BatchLayout& layout, const CsvRecord& record, std::size_t line,
                RowScratch& scratch, StateResult& state)
{
    StatusText status(scratch.status);
    if (record.unterminated)
        AddInput(status, line, "", "has a quoted field that is never closed");
    if (record.textAfterQuote)
        AddInput(status, line, "", "has text after a closing quote");
    if (record.fields.size() > layout.columnCount)
        AddInput(status, line, "", "has more fields than the header; the extra ones are dropped");
    if (record.fields.size() < layout.fewestFields) {
        // A field lost in the middle would shift every later one: none is read.
        AddInput(status, line, "", "has " + std::to_string(record.fields.size()) + " fields; a data line of an "
                        "EnergyPlus weather file has " + std::to_string(layout.fewestFields));
        state = StateResult{};
        return false;
    }
    for (std::size_t i = 0; i < layout.passThroughColumns.size(); ++i) {
        if (layout.passThroughColumns[i] >= record.fields.size())
            AddInput(status, line, layout.passThroughLabels[i], "is missing");
    }

    SourceTexts& sources = scratch.sources;
    sources = {};
    GivenBasis basis{layout.units,    layout.model,    layout.altitude,
                     layout.given[0], layout.given[1], layout.saturation};
    basis.noted = layout.written;
    Plausibility& plausibility = scratch.plausibility;
    const auto read = [&](GivenValue which, std::string_view column) -> std::optional<double> {
        std::optional<double> value;
        switch (which) {
        case GivenValue::First:
            value = ReadNumber(record, layout.first, column, line, status, layout.decimalComma, scratch.values[0],
                               sources[static_cast<std::size_t>(layout.given[0])]);
            if (value)
                plausibility.Add(layout.given[0], *value);
            return value;
        case GivenValue::Place: {
            if (!layout.pressure)
                return layout.defaultPressure;
            std::string_view altitudeText;
            value = ReadNumber(record, *layout.pressure, column, line, status, layout.decimalComma, scratch.values[1],
                               layout.altitude ? altitudeText : sources[static_cast<std::size_t>(Property::Pressure)]);
            if (value && !layout.altitude)
                plausibility.Add(Property::Pressure, *value);
            return value;
        }
        case GivenValue::Second: break;
        }
        value = ReadNumber(record, layout.second, column, line, status, layout.decimalComma, scratch.values[2],
                           sources[static_cast<std::size_t>(layout.given[1])]);
        if (value)
            plausibility.Add(layout.given[1], *value);
        return value;
    };
    return ComputeGivenState(basis, read, status, state);
}

namespace {

/// What `out` grows by beyond a row's room when it runs short: resizing zeroes
/// the new bytes, so it grows by a few hundred rows at a time rather than
/// doubling (its capacity still grows geometrically).
constexpr std::size_t kOutputGrowth = 64 * 1024;
/// The most input a block's output is reserved for at its start.
constexpr std::size_t kReserveInputBytes = 4 * 1024 * 1024;
/// A passed-through field longer than this gets room for exactly what it
/// becomes, not for the most it could: a field of hundreds of megabytes is
/// then held twice (read and written), not up to seven times.
constexpr std::size_t kExactRoomAbove = 64 * 1024;

/// Room for a passed-through field as the output writes it.
std::size_t FieldRoom(std::string_view field, Format format) noexcept
{
    const bool json = format == Format::Json;
    if (field.size() > kExactRoomAbove)
        return json ? JsonStringLength(field) : CsvFieldLength(field);
    return (json ? kMaxJsonExpansion : 2) * field.size() + 2;
}

/// Writes one output row into `out` beyond `used`, into room for the longest
/// it can be; returns the new end of what is written.
std::size_t WriteRow(const BatchLayout& layout, const CsvRecord& record, const StateResult& state,
                     const RowScratch& scratch, std::string& out, std::size_t used)
{
    std::size_t bound = CellsBound(scratch.status) + 4;
    for (std::size_t i = 0; i < layout.passThroughColumns.size(); ++i) {
        const std::size_t column = layout.passThroughColumns[i];
        const std::string_view field = column < record.fields.size() ? record.fields[column] : std::string_view();
        bound += FieldRoom(field, layout.format) + layout.jsonKeys[i].size() + 8;
    }
    if (out.size() < used + bound)
        out.resize(used + bound + kOutputGrowth);
    char* write = out.data() + used;
    if (layout.format == Format::Csv) {
        for (std::size_t column : layout.passThroughColumns) {
            if (column < record.fields.size())
                write = WriteCsvField(write, record.fields[column]);
            *write++ = ',';
        }
        write = WriteCsvCells(write, state, layout, scratch.status, scratch.sources);
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
        write = WriteJsonCells(write, state, layout, scratch.status, scratch.sources);
        write = Copy(write, "}\n");
    }
    return static_cast<std::size_t>(write - out.data());
}

} // namespace

BlockCounts ProcessBlock(const BatchLayout& layout, char* data, std::size_t size,
                         std::size_t firstLine, std::string& out)
{
    BlockCounts counts;
    CsvRecord record;
    RowScratch scratch;
    scratch.plausibility = Plausibility(layout.units);
    StateResult state;
    // The rows are written into `out` beyond `used`, and it is cut to what was
    // written at the end. A CSV row of relative-humidity input comes out about
    // eight times as long as it went in: room for that from the start spares
    // copying the rows each time the string outgrows its capacity. (Only a
    // hint: a block over a few MiB, one long record, gets no more than that.)
    std::size_t used = out.size();
    out.reserve(used + 8 * std::min(size, kReserveInputBytes));
    ForEachCsvRow(data, data + size, firstLine, record, layout.separator, layout.keptFields(), [&](std::size_t line) {
        ++counts.rows;
        try {
            ComputeRow(layout, record, line, scratch, state);
            used = WriteRow(layout, record, state, scratch, out, used);
        } catch (const std::bad_alloc&) {
            // No room for this row's output (a field of hundreds of megabytes):
            // its cells stay empty, and the rows after it go on.
            out.resize(used);
            AppendFailedRow(layout,
                            "line " + std::to_string(line) +
                                ": could not be held in memory (its output row needs more than could be had)",
                            out);
            used = out.size();
            ++counts.failedRows;
            return;
        }
        if (!scratch.status.empty())
            ++counts.failedRows;
    });
    out.resize(used);
    counts.plausibility = scratch.plausibility;
    return counts;
}

} // namespace humitrax::cli
