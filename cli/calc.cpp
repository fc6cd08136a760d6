// The calc command: the calculator window's calculation from the command line,
// through the same driver, with the entries passed as texts exactly as typed.
#include "commands.h"

#include "driver.h"

#include <array>
#include <clocale>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace humitrax::cli {
namespace {

constexpr std::string_view kUsage =
    "humitrax-cli calc --dry-bulb T (--pressure P | --altitude A)\n"
    "                  (--wet-bulb V | --dew-point V | --relative-humidity V | --humidity-ratio V)\n";

constexpr std::string_view kHelpText = R"(  calc --dry-bulb T (--pressure P | --altitude A)
       (--wet-bulb V | --dew-point V | --relative-humidity V | --humidity-ratio V)
      The calculator window's calculation, through the same driver: the dry
      bulb T in °C, the barometric pressure in kPa or the altitude above sea
      level in m, and one condition: the wet bulb or the dew point in °C, the
      relative humidity in %, or the humidity ratio in kg/kg. Prints the
      ten-line report; otherwise the window's message on standard error with
      exit status 1: "Out of range values." for a value over its limit (dry
      bulb 51, pressure 108, altitude 5000, wet bulb or dew point the dry bulb,
      relative humidity 100, humidity ratio 1), "Check your values." for
      anything else, "Check your values" for an empty value. Numbers take a
      point or the locale's decimal separator (LC_ALL, LC_NUMERIC, LANG), never
      digit grouping; the report writes the locale's separator.
      Example:
        humitrax-cli calc --dry-bulb 0 --pressure 101.325 --relative-humidity 50

)";

/// Which entry of the window an option fills.
enum class Entry { DryBulb, Second, Third };

struct Option {
    std::string_view name;
    Entry entry;
    std::int16_t index; ///< barocond for the second entry, thirdcond for the third
};

constexpr std::array<Option, 7> kOptions = {{
    {"--dry-bulb", Entry::DryBulb, 0},
    {"--pressure", Entry::Second, 0},
    {"--altitude", Entry::Second, 1},
    {"--wet-bulb", Entry::Third, 0},
    {"--dew-point", Entry::Third, 1},
    {"--relative-humidity", Entry::Third, 2},
    {"--humidity-ratio", Entry::Third, 3},
}};

struct Given {
    std::string_view option;
    std::string value;
    std::int16_t index = 0;
};

int UsageError(std::string_view reason)
{
    std::fprintf(stderr, "humitrax-cli calc: %.*s\nUsage: %.*s", static_cast<int>(reason.size()),
                 reason.data(), static_cast<int>(kUsage.size()), kUsage.data());
    return kExitUsage;
}

const Option* FindOption(std::string_view name)
{
    for (const Option& option : kOptions)
        if (option.name == name)
            return &option;
    return nullptr;
}

/// The user's decimal separator, from LC_ALL, LC_NUMERIC or LANG.
NumberConventions ConventionsFromEnvironment()
{
    std::setlocale(LC_NUMERIC, "");
    NumberConventions conventions;
    const std::lconv* lc = std::localeconv();
    if (lc != nullptr && lc->decimal_point != nullptr && lc->decimal_point[0] != '\0')
        conventions.decimalSeparator = lc->decimal_point;
    return conventions;
}

void PrintReport(std::string_view report)
{
    // The report's lines are joined by CR LF for the window; here one per line.
    std::string lines;
    lines.reserve(report.size() + 1);
    for (std::size_t i = 0; i < report.size(); ++i) {
        if (report[i] == '\r' && i + 1 < report.size() && report[i + 1] == '\n')
            continue;
        lines += report[i];
    }
    lines += '\n';
    std::fwrite(lines.data(), 1, lines.size(), stdout);
}

} // namespace

std::string_view CalcHelp() { return kHelpText; }

int RunCalc(std::span<const std::string_view> args)
{
    std::array<std::optional<Given>, 3> given; // by Entry
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (arg == "--help" || arg == "-h") {
            std::fwrite(kHelpText.data(), 1, kHelpText.size(), stdout);
            return kExitOk;
        }
        const std::size_t equals = arg.find('=');
        const std::string_view name = arg.starts_with("--") ? arg.substr(0, equals) : arg;
        const Option* option = FindOption(name);
        if (option == nullptr) {
            if (arg.starts_with("-"))
                return UsageError("unknown option '" + std::string(name) + "'");
            return UsageError("unexpected argument '" + std::string(arg) + "'");
        }
        std::string value;
        if (equals != std::string_view::npos) {
            value = arg.substr(equals + 1);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            return UsageError(std::string(name) + " needs a value");
        }
        std::optional<Given>& slot = given[static_cast<std::size_t>(option->entry)];
        if (slot) {
            if (slot->option == option->name)
                return UsageError(std::string(name) + " is given twice");
            return UsageError(std::string(slot->option) + " and " + std::string(name) +
                              " cannot both be given");
        }
        slot = Given{option->name, std::move(value), option->index};
    }
    if (!given[static_cast<std::size_t>(Entry::DryBulb)])
        return UsageError("--dry-bulb is needed");
    if (!given[static_cast<std::size_t>(Entry::Second)])
        return UsageError("one of --pressure and --altitude is needed");
    if (!given[static_cast<std::size_t>(Entry::Third)])
        return UsageError(
            "one of --wet-bulb, --dew-point, --relative-humidity and --humidity-ratio is needed");

    CalculationRequest request;
    request.dryBulb = given[static_cast<std::size_t>(Entry::DryBulb)]->value;
    request.second = given[static_cast<std::size_t>(Entry::Second)]->value;
    request.barocond = given[static_cast<std::size_t>(Entry::Second)]->index;
    request.third = given[static_cast<std::size_t>(Entry::Third)]->value;
    request.thirdcond = given[static_cast<std::size_t>(Entry::Third)]->index;

    const CalculationOutcome outcome = Calculate(request, ConventionsFromEnvironment());
    if (!outcome.succeeded) {
        std::fprintf(stderr, "%s\n", outcome.text.c_str());
        return kExitFailure;
    }
    PrintReport(outcome.text);
    return kExitOk;
}

} // namespace humitrax::cli
