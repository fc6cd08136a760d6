// The call command: one engine function, by name, with its arguments as text.
#include "call_lines.h"
#include "commands.h"

#include <array>
#include <cstdio>
#include <string>

namespace humitrax::cli {
namespace {

/// One call per line of standard input, one answer per line; blank lines are
/// skipped.
int RunLines()
{
    CallLineReader reader;
    std::string answers;
    std::array<char, 1 << 16> buffer{};
    for (;;) {
        const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), stdin);
        reader.Feed(std::string_view(buffer.data(), got), answers);
        if (answers.size() > (1U << 16)) {
            std::fwrite(answers.data(), 1, answers.size(), stdout);
            answers.clear();
        }
        if (got < buffer.size())
            break;
    }
    reader.Finish(answers);
    std::fwrite(answers.data(), 1, answers.size(), stdout);
    std::fflush(stdout);
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
      for a call that cannot be read; the exit status is then 2, else 0.
      Examples:
        humitrax-cli call WetBulbSI 25 101.325 3 0.5
        printf 'SatPressureSI 20\nDewPoint 77 14.696 4 0.01 0\n' | humitrax-cli call

)";
}

int RunCall(std::span<const std::string_view> args)
{
    if (args.empty())
        return RunLines();
    bool readable = false;
    const std::string answer = AnswerCall(args, readable);
    std::printf("%s\n", answer.c_str());
    return readable ? kExitOk : kExitUsage;
}

} // namespace humitrax::cli
