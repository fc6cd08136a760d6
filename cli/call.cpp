// The call command: one engine function, by name, with its arguments as text.
#include "kit/call_lines.h"
#include "commands.h"
#include "kit/output.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include <poll.h>
#include <unistd.h>

namespace humitrax::cli {
namespace {

/// Whether standard input has bytes ready to read now (or is at its end):
/// always so for a file, so only a pipe or terminal that waits makes it false.
bool InputReady()
{
    pollfd input{STDIN_FILENO, POLLIN, 0};
    return ::poll(&input, 1, 0) != 0;
}

/// One call per line of standard input, one answer per line. Answers are
/// written in large pieces while input keeps coming, and at once whenever the
/// input has nothing more ready, so that a program driving the calls through
/// pipes gets each answer before it sends the next call.
int RunLines()
{
    constexpr std::size_t kWriteAbove = std::size_t{1} << 16;
    CallLineReader reader;
    std::string answers;
    std::array<char, std::size_t{1} << 16> buffer{};
    for (;;) {
        const ssize_t got = ::read(STDIN_FILENO, buffer.data(), buffer.size());
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return Messages("call").Fail("cannot read the input: " + std::string(std::strerror(errno)), kExitUsage);
        }
        if (got == 0)
            break;
        reader.Feed(std::string_view(buffer.data(), static_cast<std::size_t>(got)), answers);
        if (answers.size() > kWriteAbove || (!answers.empty() && !InputReady())) {
            if (!WriteOut(answers) || !FlushOut())
                return OutputFailed();
            answers.clear();
        }
    }
    reader.Finish(answers);
    if (!WriteOut(answers))
        return OutputFailed();
    return reader.allReadable() ? kExitOk : kExitUsage;
}

} // namespace

std::string_view CallHelp()
{
    return R"(  call FUNCTION ARG...
  call                      (one call per line on standard input)
      Evaluate one engine function and answer with one line. Arguments in
      the order of the function:
        interp X                        X: altitude in ft; psia
        SatPressure T UnitsSI           SatPressureSI T
        HumidRatio  T p Situation StateVar UnitsSI    HumidRatioSI T p Situation StateVar
        (likewise Humidity, DewPoint, WetBulb, Volume, Enthalpy and their SI
        companions; Grains T p Situation StateVar, inch-pound only)
      Numbers are decimal text with a point, exponent allowed, in any locale.
      Situation: 1 wet bulb, 2 dew point, 3 relative humidity (a fraction),
      4 humidity ratio. UnitsSI: nonzero SI (°C, kPa), 0 inch-pound (°F, psia).
      Answers: "number R" (the shortest text that reads back as the same
      double), "text T" (an error text of the engine), "empty",
      "failure CAUSE" (type-mismatch, division-by-zero, overflow,
      invalid-operation, invalid-logarithm, no-convergence), or "error WHAT"
      for a call that cannot be read (a blank line is answered
      "error empty line", so that answer N is always for line N; a line
      longer than 1 MiB is answered with one error and skipped); the exit
      status is then 2, else 0. Each answer is written as soon as no more
      input is waiting, so call can serve a program as a coprocess.
      Examples:
        humitrax-cli call WetBulbSI 25 101.325 3 0.5
        printf 'SatPressureSI 20\nDewPoint 77 14.696 4 0.01 0\n' | humitrax-cli call

)";
}

int RunCall(std::span<const std::string_view> args)
{
    if (args.empty())
        return RunLines();
    if (args.size() == 1 && (args.front() == "--help" || args.front() == "-h")) {
        const std::string_view help = CallHelp();
        return WriteOut(help.substr(0, help.size() - 1)) ? kExitOk : OutputFailed();
    }
    bool readable = false;
    const std::string answer = AnswerCall(args, readable) + '\n';
    if (!WriteOut(answer))
        return OutputFailed();
    return readable ? kExitOk : kExitUsage;
}

} // namespace humitrax::cli
