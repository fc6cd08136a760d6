// File: options.h
// The one option reader of humitrax-cli's commands: `--name value` or
// `--name=value`, flags without a value, options of a group that exclude each
// other, repeatable options, `--help`/`-h`, and `--` before positional
// arguments. The same rules and the same messages for every command.
#pragma once

#include "humitrax/pair.h"
#include "humitrax/state.h"

#include <array>
#include <cstdint>

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace humitrax::cli {

struct OptionSpec {
    std::string_view name;       ///< "--dry-bulb"
    bool takesValue = true;      ///< false for a flag
    std::string_view group = {}; ///< options of one group exclude each other
    bool repeatable = false;     ///< may be given more than once (values kept in order)
};

/// What a command line gave.
class Options {
public:
    /// Reads `args` by `specs`. Nothing on success, else the usage message:
    /// "unknown option '--x'", "unexpected argument 'x'", "--x needs a value",
    /// "--x is given twice", "--a and --b cannot both be given". Arguments
    /// that do not start with "--" ("-", "-5" and "-5,rh=80" included) are
    /// positional when `positionals` allows that many; any other "-x" is an
    /// unknown option. After --help or -h nothing else is read.
    std::optional<std::string> Read(std::span<const std::string_view> args,
                                    std::span<const OptionSpec> specs, std::size_t positionals = 0);

    [[nodiscard]] bool help() const noexcept { return m_help; }
    [[nodiscard]] bool Has(std::string_view name) const noexcept;
    /// The value of an option given once (the last of a repeatable one).
    [[nodiscard]] std::optional<std::string_view> Value(std::string_view name) const noexcept;
    /// Every value of a repeatable option, in order.
    [[nodiscard]] std::vector<std::string_view> Values(std::string_view name) const;
    /// The option given from a group, if any.
    [[nodiscard]] std::optional<std::string_view> Chosen(std::string_view group) const noexcept;
    [[nodiscard]] const std::vector<std::string_view>& positional() const noexcept
    {
        return m_positional;
    }

    /// Options and positional arguments in the order given: `name` is the
    /// option's ("--flow"), empty for a positional argument.
    struct Item {
        std::string_view name;
        std::string_view value;
    };
    [[nodiscard]] const std::vector<Item>& items() const noexcept { return m_items; }

private:
    struct Given {
        const OptionSpec* spec;
        std::string_view value;
    };
    std::vector<Given> m_given;
    std::vector<Item> m_items;
    std::vector<std::string_view> m_positional;
    bool m_help = false;
};

/// Readers of the values the commands share; each gives the usage message
/// in `message` when the value cannot be used.

/// How a command writes its result.
enum class Format : std::uint8_t { Table, Csv, Json };

/// `--format`, one of `choices` (in the order of Format, "table" first when
/// it is one); `fallback` when not given.
std::optional<Format> ReadFormat(const Options& options, Format fallback, std::span<const Format> choices,
                                 std::string& message);

/// `--units si|ip`; SI when not given.
std::optional<Units> ReadUnits(const Options& options, std::string& message);
/// `--model ashrae2017|calculator`; the 2017 relations when not given.
std::optional<Model> ReadModel(const Options& options, std::string& message);
/// `--saturation ice|water`: what the 2017 model takes saturation over below
/// the triple point; ice when not given. Water with another model is a
/// usage error.
std::optional<Saturation> ReadSaturation(const Options& options, Model model, std::string& message);
/// `--given NAME` or `--given NAME,NAME`: a condition read with the dry bulb
/// (wet_bulb, dew_point, relative_humidity, humidity_ratio, or enthalpy,
/// specific_volume, vapour_pressure), or two properties a state is given by,
/// into `given` in the order of kGivableProperties when the option is given;
/// false for another value.
bool ReadGiven(const Options& options, std::vector<Property>& given, std::string& message);
/// A finite number for an option (or any name): "--x: 'abc' is not a
/// number", "--x: 'inf' is not a finite number".
std::optional<double> ReadFiniteNumber(std::string_view name, std::string_view text,
                                       std::string& message);
/// One of `choices` for an option: "--format is table, csv or json, not 'x'".
std::optional<std::size_t> ReadChoice(std::string_view name, std::string_view text,
                                      std::span<const std::string_view> choices,
                                      std::string& message);

/// The options every state of a command shares: the unit system, the model,
/// the format, and the pressure or the altitude.
struct AirOptions {
    Units units = Units::SI;
    Model model = Model::Ashrae2017;
    Saturation saturation = Saturation::IceBelowFreezing;
    Format format = Format::Table;
    std::optional<double> pressure;
    std::optional<double> altitude;
};

/// The specs of AirOptions, for a command's own list of specs.
inline constexpr std::array<OptionSpec, 6> kAirOptionSpecs{{
    {"--units"},
    {"--model"},
    {"--saturation"},
    {"--format"},
    {"--pressure", true, "pressure"},
    {"--altitude", true, "pressure"},
}};

/// Whether `name` is one of kAirOptionSpecs.
bool IsAirOption(std::string_view name) noexcept;

/// Reads the shared options (--units si, --model ashrae2017, --saturation
/// ice and --format table by default); one of --pressure and --altitude is needed when
/// `pressureNeeded`. False with the reason in `message`.
bool ReadAirOptions(const Options& given, AirOptions& options, std::string& message, bool pressureNeeded = true);

/// The pressure the options give: --pressure itself, or the model's pressure
/// at --altitude (a failure is the cell's reason).
Cell PressureOf(const AirOptions& options);

} // namespace humitrax::cli
