// humitrax-cli: the property engine and the calculator's calculation for
// scripts, batch work and charts.
#include "commands.h"

#include <cstdio>
#include <initializer_list>
#include <string_view>
#include <vector>

namespace {

constexpr std::string_view kHelp = R"(humitrax-cli: properties of moist air (psychrometrics) from the command line.

Usage: humitrax-cli COMMAND [ARGUMENTS]
       humitrax-cli --help | --version

Commands:
)";

constexpr std::string_view kHelpEnd = R"(
Exit status: 0 success, 1 a failed calculation or row, 2 a usage error.
)";

} // namespace

int main(int argc, char** argv)
{
    using namespace humitrax::cli;
    std::vector<std::string_view> args(argv + 1, argv + argc);
    if (args.empty()) {
        std::fputs("humitrax-cli: a command is needed; try 'humitrax-cli --help'\n", stderr);
        return kExitUsage;
    }
    const std::string_view command = args.front();
    const std::span<const std::string_view> rest(args.data() + 1, args.size() - 1);
    if (command == "--help" || command == "-h" || command == "help") {
        for (std::string_view part : {kHelp, CallHelp(), CalcHelp(), StateHelp(), BatchHelp(),
                                      ChartHelp(), kHelpEnd})
            std::fwrite(part.data(), 1, part.size(), stdout);
        return kExitOk;
    }
    if (command == "--version") {
        std::puts("humitrax-cli " HUMITRAX_VERSION_TEXT);
        return kExitOk;
    }
    if (command == "call")
        return RunCall(rest);
    if (command == "calc")
        return RunCalc(rest);
    if (command == "state")
        return RunState(rest);
    if (command == "batch")
        return RunBatch(rest);
    if (command == "chart")
        return RunChart(rest);
    std::fprintf(stderr, "humitrax-cli: unknown command '%.*s'; try 'humitrax-cli --help'\n",
                 static_cast<int>(command.size()), command.data());
    return kExitUsage;
}
