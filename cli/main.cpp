// humitrax-cli: the property engine and the calculator's calculation for
// scripts, batch work, air-conditioning processes, comfort and charts.
#include "commands.h"
#include "output.h"

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
Exit status, the same for every command:
  0  all well
  1  the calculation failed, or some rows failed (each row's status says why)
  2  the command line or the input could not be read
  3  the output could not be written
)";

} // namespace

namespace {

int RunCommand(std::span<const std::string_view> args)
{
    using namespace humitrax::cli;
    if (args.empty()) {
        std::fputs("humitrax-cli: a command is needed; try 'humitrax-cli --help'\n", stderr);
        return kExitUsage;
    }
    const std::string_view command = args.front();
    const std::span<const std::string_view> rest = args.subspan(1);
    if (command == "--help" || command == "-h" || command == "help") {
        for (std::string_view part : {kHelp, CallHelp(), CalcHelp(), StateHelp(), BatchHelp(),
                                      ProcessHelp(), ComfortHelp(), ChartHelp(), kHelpEnd}) {
            if (!WriteOut(part))
                return OutputFailed();
        }
        return kExitOk;
    }
    if (command == "--version")
        return WriteOut("humitrax-cli " HUMITRAX_VERSION_TEXT "\n") ? kExitOk : OutputFailed();
    if (command == "call")
        return RunCall(rest);
    if (command == "calc")
        return RunCalc(rest);
    if (command == "state")
        return RunState(rest);
    if (command == "batch")
        return RunBatch(rest);
    if (command == "process")
        return RunProcess(rest);
    if (command == "comfort")
        return RunComfort(rest);
    if (command == "chart")
        return RunChart(rest);
    std::fprintf(stderr, "humitrax-cli: unknown command '%.*s'; try 'humitrax-cli --help'\n",
                 static_cast<int>(command.size()), command.data());
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
