// humitrax-cli: the property engine and the calculator's calculation for
// scripts, batch work, air-conditioning processes, comfort and charts.
#include "commands.h"
#include "kit/output.h"

#include "kit/echo.h"

#include <cstdio>
#include <exception>
#include <initializer_list>
#include <ios>
#include <new>
#include <span>
#include <string_view>
#include <vector>

namespace {

constexpr std::string_view kHelp = R"(humitrax-cli: properties of moist air (psychrometrics) from the command line.

Usage: humitrax-cli COMMAND [ARGUMENTS]
       humitrax-cli --help | --version

Commands:
)";

constexpr std::string_view kHelpEnd = R"(
Relations, for state, batch, process, comfort and chart:
  --model ashrae2017  those of the ASHRAE Handbook—Fundamentals 2017,
                      chapter 1 (the default): right below freezing, for
                      weather data and any work today
  --model calculator  the calculator window's own, to the bit, as calc and
                      call compute them
  --saturation ice    the 2017 relations take saturation over ice below
                      0.01 °C (the default), as the Handbook does
  --saturation water  over supercooled water at every temperature, as
                      meteorological data (TMY3, NSRDB, most station
                      records) give the dew point and relative humidity;
                      it applies to the relative humidity, the dew point,
                      the wet bulb and the saturation properties

Exit status, the same for every command:
  0  all well
  1  the calculation failed, or some rows failed (each row's status says why)
  2  the command line or the input could not be read
  3  the output could not be written
)";

} // namespace

namespace {

/// A command: its name, what runs it, and its section of --help.
struct Command {
    std::string_view name;
    int (*run)(std::span<const std::string_view> args);
    std::string_view (*help)();
};

/// Every command, in the order --help shows them; the chart only in a build
/// with the chart's library.
constexpr Command kCommands[] = {
    {"call", &humitrax::cli::RunCall, &humitrax::cli::CallHelp},
    {"calc", &humitrax::cli::RunCalc, &humitrax::cli::CalcHelp},
    {"state", &humitrax::cli::RunState, &humitrax::cli::StateHelp},
    {"batch", &humitrax::cli::RunBatch, &humitrax::cli::BatchHelp},
    {"process", &humitrax::cli::RunProcess, &humitrax::cli::ProcessHelp},
    {"comfort", &humitrax::cli::RunComfort, &humitrax::cli::ComfortHelp},
#ifdef HUMITRAX_HAVE_CHART
    {"chart", &humitrax::cli::RunChart, &humitrax::cli::ChartHelp},
#endif
};

int RunCommand(std::span<const std::string_view> args)
{
    using namespace humitrax::cli;
    if (args.empty()) {
        std::fputs("humitrax-cli: a command is needed; try 'humitrax-cli --help'\n", stderr);
        return kExitUsage;
    }
    const std::string_view name = args.front();
    if (name == "--help" || name == "-h" || name == "help") {
        if (!WriteOut(kHelp))
            return OutputFailed();
        for (const Command& command : kCommands) {
            if (!WriteOut(command.help()))
                return OutputFailed();
        }
        return WriteOut(kHelpEnd) ? kExitOk : OutputFailed();
    }
    if (name == "--version")
        return WriteOut("humitrax-cli " HUMITRAX_VERSION_TEXT "\n") ? kExitOk : OutputFailed();
    for (const Command& command : kCommands) {
        if (command.name == name)
            return command.run(args.subspan(1));
    }
    std::fprintf(stderr, "humitrax-cli: unknown command %s; try 'humitrax-cli --help'\n", Quoted(name).c_str());
    return kExitUsage;
}

} // namespace

int main(int argc, char** argv)
{
    using namespace humitrax::cli;
    int status = kExitFailure;
    try {
        const std::vector<std::string_view> args(argv + 1, argv + argc);
        status = RunCommand(args);
    } catch (const std::bad_alloc&) {
        std::fputs("humitrax-cli: out of memory\n", stderr);
        status = kExitFailure;
    } catch (const std::ios_base::failure& failure) {
        std::fprintf(stderr, "humitrax-cli: cannot read the input: %s\n", failure.what());
        status = kExitUsage;
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "humitrax-cli: %s\n", failure.what());
        status = kExitFailure;
    } catch (...) {
        std::fputs("humitrax-cli: an unexpected failure\n", stderr);
        status = kExitFailure;
    }
    // What is still buffered, and the close itself, can fail too (a full disk,
    // a closed descriptor): that is a failed write like any other.
    if (!CloseOut())
        return OutputFailed();
    return status;
}
