// The calc command: the calculator window's calculation from the command line,
// through the same driver, with the entries passed as texts exactly as typed.
#include "commands.h"

#include "driver.h"
#include "kit/options.h"
#include "kit/output.h"

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

/// The options; the entries' texts go to the driver as typed.
constexpr std::array<OptionSpec, 7> kOptions{{
    {"--dry-bulb"},
    {"--pressure", true, "second"},
    {"--altitude", true, "second"},
    {"--wet-bulb", true, "third"},
    {"--dew-point", true, "third"},
    {"--relative-humidity", true, "third"},
    {"--humidity-ratio", true, "third"},
}};

/// The list index each option of a group selects in the window.
std::int16_t EntryIndex(std::string_view option)
{
    using namespace condition_entries;
    if (option == "--altitude")
        return pressure_entries::kAltitude;
    if (option == "--dew-point")
        return kDewPoint;
    if (option == "--relative-humidity")
        return kRelativeHumidity;
    if (option == "--humidity-ratio")
        return kHumidityRatio;
    return 0; // --pressure, --wet-bulb
}

constexpr Messages kSay{"calc", {}, kUsage};

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

bool PrintReport(std::string_view report)
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
    return WriteOut(lines);
}

} // namespace

std::string_view CalcHelp() { return kHelpText; }

int RunCalc(std::span<const std::string_view> args)
{
    Options given;
    if (std::optional<std::string> error = given.Read(args, kOptions))
        return kSay.Usage(*error);
    if (given.help())
        return WriteOut(kHelpText) ? kExitOk : OutputFailed();
    if (!given.Has("--dry-bulb"))
        return kSay.Usage("--dry-bulb is needed");
    const std::optional<std::string_view> second = given.Chosen("second");
    if (!second)
        return kSay.Usage("one of --pressure and --altitude is needed");
    const std::optional<std::string_view> third = given.Chosen("third");
    if (!third)
        return kSay.Usage(
            "one of --wet-bulb, --dew-point, --relative-humidity and --humidity-ratio is needed");

    CalculationRequest request;
    request.dryBulb = *given.Value("--dry-bulb");
    request.second = *given.Value(*second);
    request.barocond = EntryIndex(*second);
    request.third = *given.Value(*third);
    request.thirdcond = EntryIndex(*third);

    const CalculationOutcome outcome = Calculate(request, ConventionsFromEnvironment());
    if (!outcome.succeeded) {
        std::fprintf(stderr, "%s\n", outcome.text.c_str());
        return kExitFailure;
    }
    return PrintReport(outcome.text) ? kExitOk : OutputFailed();
}

} // namespace humitrax::cli
