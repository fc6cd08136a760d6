// The comfort command: the predicted mean vote and percentage dissatisfied
// (ISO 7730) of people in air of a given state.
#include "kit/state_text.h"
#include "table/csv.h"
#include "commands.h"
#include "kit/numbers.h"
#include "kit/options.h"
#include "kit/readable.h"
#include "kit/output.h"

#include "humitrax/air_comfort.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>

namespace humitrax::cli {
namespace {

constexpr std::string_view kHelp = R"(  comfort STATE --met M --clo C [--units si|ip] (--pressure P | --altitude A)
        [--air-speed V] [--radiant T] [--model ashrae2017|calculator] [--saturation ice|water] [--format table|csv|json]
      Thermal comfort by ISO 7730: the predicted mean vote (PMV, -3 cold to
      +3 hot) and the predicted percentage dissatisfied (PPD) of people in air
      of the STATE (as for process: 22,rh=60, 24,wb=17, h=45,rh=50 ...), whose water
      vapour pressure the state gives. --met is the metabolic rate in met,
      --clo the clothing in clo, --air-speed the air speed relative to the
      body (m/s, or ft/min with ip; default 0.1 m/s), --radiant the mean
      radiant temperature (default: the dry bulb). The model computes in SI:
      inch-pound inputs are converted, and the output is SI. Whether every
      input lies in the ranges ISO 7730 gives for the model is reported too.
      Example:
        humitrax-cli comfort 22,rh=60 --met 1.2 --clo 0.5 --units si --pressure 101.325

)";

struct ComfortOptions {
    AirOptions air;
    std::optional<AirState> state;
    std::optional<double> met;
    std::optional<double> clo;
    std::optional<double> airSpeed;
    std::optional<double> radiant;
};

constexpr Messages kSay{"comfort"};

constexpr std::array<OptionSpec, 10> kComfortOptions{{
    kAirOptionSpecs[0],
    kAirOptionSpecs[1],
    kAirOptionSpecs[2],
    kAirOptionSpecs[3],
    kAirOptionSpecs[4],
    kAirOptionSpecs[5],
    {"--met"},
    {"--clo"},
    {"--air-speed"},
    {"--radiant"},
}};

std::optional<int> ParseOptions(std::span<const std::string_view> args, ComfortOptions& options)
{
    Options given;
    if (std::optional<std::string> error = given.Read(args, kComfortOptions, 1))
        return kSay.Usage(*error);
    if (given.help())
        return WriteOut(kHelp) ? kExitOk : OutputFailed();
    std::string message;
    if (given.positional().empty())
        return kSay.Usage("a state is needed (22,rh=60)");
    options.state = ParseAirState(given.positional().front(), message);
    if (!options.state)
        return kSay.Usage(message);
    for (const auto& [name, target] : {std::pair{"--met", &options.met}, std::pair{"--clo", &options.clo},
                                       std::pair{"--air-speed", &options.airSpeed},
                                       std::pair{"--radiant", &options.radiant}}) {
        if (const std::optional<std::string_view> text = given.Value(name)) {
            *target = ReadFiniteNumber(name, *text, message);
            if (!*target)
                return kSay.Usage(message);
        }
    }
    if (!options.met || !options.clo)
        return kSay.Usage("--met and --clo are needed");
    if (!ReadAirOptions(given, options.air, message))
        return kSay.Usage(message);
    return std::nullopt;
}

} // namespace

std::string_view ComfortHelp() { return kHelp; }

int RunComfort(std::span<const std::string_view> args)
{
    ComfortOptions options;
    if (const std::optional<int> status = ParseOptions(args, options))
        return *status;
    const Units units = options.air.units;
    const Cell pressure = PressureOf(options.air);
    if (!pressure.present)
        return kSay.Fail("pressure: " + std::string(pressure.reason));
    const AirComfort comfort =
        ComfortOfAir({units, options.air.model, options.air.saturation, pressure.value, *options.state},
                     {*options.met, *options.clo, options.airSpeed, options.radiant});
    if (!comfort.failure.empty())
        return kSay.Fail(comfort.failure);
    const bool applicable = comfort.applicable;
    std::string out;
    switch (options.air.format) {
    case Format::Table:
        out = "Thermal comfort by ISO 7730 (PMV/PPD), ";
        out.append(ModelWords(options.air.model, options.air.saturation)).append("\n");
        for (std::size_t i = 0; i < kComfortValues.size(); ++i) {
            out.append("  ");
            AppendPadded(out, kComfortValues[i].label, 28);
            AppendPadded(out, ReadableNumber(comfort.values[i]), 12);
            out.append(kComfortValues[i].unit).push_back('\n');
        }
        out.append("  ");
        AppendPadded(out, "In ISO 7730's ranges", 28);
        out.append(applicable ? "yes\n" : "no\n");
        out = WithoutTrailingBlanks(out);
        break;
    case Format::Csv:
        for (const ComfortValue& value : kComfortValues)
            out.append(value.key).push_back(',');
        out.append(kApplicableRangeKey).push_back('\n');
        for (double value : comfort.values) {
            AppendNumber(out, value);
            out.push_back(',');
        }
        out.append(applicable ? "true\n" : "false\n");
        break;
    case Format::Json:
        out = "{" + ModelMembers(options.air.model, options.air.saturation) + ",";
        for (std::size_t i = 0; i < kComfortValues.size(); ++i) {
            AppendJsonString(out, kComfortValues[i].key);
            out.push_back(':');
            AppendNumber(out, comfort.values[i]);
            out.push_back(',');
        }
        AppendJsonString(out, kApplicableRangeKey);
        out.append(applicable ? ":true}\n" : ":false}\n");
        break;
    }
    return WriteOut(out) ? kExitOk : OutputFailed();
}

} // namespace humitrax::cli
